#include "ui_controls/installer/ui_native_overlay.h"

#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_events.h"

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

void CloseOverlayOnFocusLoss(CWindowManagerUI* manager, HWND window, WPARAM gaining,
                             LPARAM lParam) {
  ForwardNativeFocusLoss(manager, gaining, lParam);
  ::SendMessageW(window, WM_CLOSE, 0, 0);
}

OverlayFieldEvent RouteOverlayFieldEvent(CControlUI& field, const CWindowWnd* overlay,
                                         UINT* hotState, TInputEventUI& event) {
  bool toBase = false;
  if (RouteMouseToParent(field, event, &toBase)) {
    return toBase ? OverlayFieldEvent::kToBase : OverlayFieldEvent::kDone;
  }
  if (hotState != nullptr && TrackHotState(field, *hotState, event) == HotChange::kStillInside) {
    return OverlayFieldEvent::kDone;
  }
  CWindowManagerUI* manager = field.GetManager();
  switch (event.type) {
    case kEventSetCursor:
      if (!field.IsEnabled()) return OverlayFieldEvent::kToBase;
      ::SetCursor(::LoadCursorW(nullptr, IDC_IBEAM));
      return OverlayFieldEvent::kDone;
    case kEventWindowSize:
      if (overlay != nullptr && manager != nullptr) manager->SetFocusNeeded(&field);
      return OverlayFieldEvent::kToBase;
    case kEventScrollWheel:
      return overlay != nullptr ? OverlayFieldEvent::kDone : OverlayFieldEvent::kToBase;
    case kEventSetFocus:
      return OverlayFieldEvent::kFocus;
    case kEventKillFocus:
      if (field.IsEnabled()) {
        field.Invalidate();
        if (overlay != nullptr) TakeKeyboardFromOverlay(manager, overlay->GetHWND());
      }
      return OverlayFieldEvent::kToBase;
    case kEventButtonDown:
    case kEventRButtonDown:
    case kEventDblClick:
      if (!field.IsEnabled()) return OverlayFieldEvent::kDone;
      if (manager != nullptr) manager->ReleaseCapture();
      return OverlayFieldEvent::kPress;
    case kEventMouseMove:
    case kEventButtonUp:
    case kEventContextMenu:
      return OverlayFieldEvent::kDone;
    default:
      return OverlayFieldEvent::kToBase;
  }
}

}  // namespace SkinUI
