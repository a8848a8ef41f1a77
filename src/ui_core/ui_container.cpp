#include "ui_core/ui_container.h"
