#include "ui_core/ui_control.h"
