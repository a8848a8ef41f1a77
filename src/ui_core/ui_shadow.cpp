#include "ui_core/ui_shadow.h"
