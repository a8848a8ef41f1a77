#include "ui_core/ui_scrollbar.h"
