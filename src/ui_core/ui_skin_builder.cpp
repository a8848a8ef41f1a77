#include "ui_core/ui_skin_builder.h"
