#include "ui_core/ui_layouts.h"
