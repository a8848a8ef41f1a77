#include "ui_core/ui_image.h"
