#include "ui_core/ui_window.h"
