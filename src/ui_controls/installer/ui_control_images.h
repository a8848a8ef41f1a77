#pragma once
// Image records of the controls drawn the way the controls of this library need it: loaded once
// without drawing, drawn with an extra fade, or drawn at a place inside the control that the
// control computes at every paint.
#include <windows.h>

#include "ui_core/drawing/ui_image.h"
#include "ui_core/manager/ui_control.h"

namespace SkinUI {

// Parses the description once and loads its image through the control's window; nothing is
// drawn. True when the image is there.
bool LoadControlImage(CControlUI& control, TImageDescUI& image);

// The image setters' rule: nothing when the description is unchanged and its image loaded;
// otherwise the record is cleared, takes the new description and the control repaints.
void SetControlImage(CControlUI& control, TImageDescUI& image, const wchar_t* description);

// Draws the image over the control with its own fade scaled by `fade` (255: as described).
// True when something could be drawn (the description names an image that loads).
bool DrawControlImageFaded(CControlUI& control, HDC hDC, TImageDescUI& image, BYTE fade);

// Draws the image into `dest`, given relative to the control's top-left corner, in place of the
// description's own destination. An empty dest draws nothing and returns false.
bool DrawControlImageAt(CControlUI& control, HDC hDC, TImageDescUI& image, const RECT& dest);

}  // namespace SkinUI
