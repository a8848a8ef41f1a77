#include "ui_core/ui_render.h"
