#include "ui_core/ui_window_impl.h"
