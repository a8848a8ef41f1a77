#include "ui_controls/installer/ui_control_images.h"

#include "ui_core/drawing/ui_render.h"

namespace SkinUI {

bool LoadControlImage(CControlUI& control, TImageDescUI& image) {
  if (!image.parsed) {
    // Without a DC the call only parses and loads.
    CRenderUI::DrawImageString(nullptr, control.GetManager(), control.GetPos(), control.GetPos(),
                               image);
  }
  return image.image != nullptr;
}

void SetControlImage(CControlUI& control, TImageDescUI& image, const wchar_t* description) {
  if (image.IsLoaded(description)) return;
  image.SetDescription(description);
  control.Invalidate();
}

bool DrawControlImageFaded(CControlUI& control, HDC hDC, TImageDescUI& image, BYTE fade) {
  if (fade == 255) return control.DrawImage(hDC, image);
  if (!LoadControlImage(control, image)) return false;
  const BYTE own = image.fade;
  image.fade = static_cast<BYTE>(own * fade / 255);
  const bool drawn = control.DrawImage(hDC, image);
  image.fade = own;
  return drawn;
}

bool DrawControlImageAt(CControlUI& control, HDC hDC, TImageDescUI& image, const RECT& dest) {
  if (dest.right <= dest.left || dest.bottom <= dest.top) return false;
  if (!LoadControlImage(control, image)) return false;
  const RECT own = image.dest;
  image.dest = dest;
  const bool drawn = control.DrawImage(hDC, image);
  image.dest = own;
  return drawn;
}

}  // namespace SkinUI
