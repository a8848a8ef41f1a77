#include "ui_controls/ui_native_overlay.h"

#include "ui_core/ui_control.h"
#include "ui_core/ui_manager.h"

namespace SkinUI {

RECT ClipToAncestorClients(const CControlUI& control, RECT rc) {
  for (CControlUI* ancestor = control.GetParent(); ancestor != nullptr;
       ancestor = ancestor->GetParent()) {
    if (!ancestor->IsVisible()) return RECT{0, 0, 0, 0};
    const RECT client = ancestor->GetClientPos();
    if (!::IntersectRect(&rc, &rc, &client)) return RECT{0, 0, 0, 0};
  }
  return rc;
}

void PlaceNativeOverlay(HWND window, const RECT& rc) {
  if (window == nullptr) return;
  if (::IsRectEmpty(&rc)) {
    ::ShowWindow(window, SW_HIDE);
  } else {
    ::SetWindowPos(window, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
}

void ForwardNativeFocusLoss(CWindowManagerUI* manager, WPARAM gaining, LPARAM lParam) {
  if (manager == nullptr || reinterpret_cast<HWND>(gaining) == manager->GetPaintWindow()) return;
  ::SendMessageW(manager->GetPaintWindow(), WM_KILLFOCUS, gaining, lParam);
}

void TakeKeyboardFromOverlay(CWindowManagerUI* manager, HWND window) {
  if (manager == nullptr || window == nullptr || ::GetFocus() != window) return;
  ::SetFocus(manager->GetPaintWindow());
}

void DestroyNativeOverlay(CWindowManagerUI* manager, HWND window) {
  if (manager != nullptr) manager->RemoveNativeWindow(window);
  if (window != nullptr) ::DestroyWindow(window);
}

}  // namespace SkinUI
