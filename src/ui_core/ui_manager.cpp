#include "ui_core/ui_manager.h"
