#include "ui_core/ui_tab_layout.h"
