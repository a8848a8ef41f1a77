#include "ui_controls/installer/ui_control_state.h"

#include "ui_core/manager/ui_manager.h"

namespace SkinUI {

UINT WithFocusAndDisabledBits(const CControlUI& control, UINT state) {
  state &= ~(kStateFocused | kStateDisabled);
  if (control.IsFocused()) state |= kStateFocused;
  if (!control.IsEnabled()) state |= kStateDisabled;
  return state;
}

bool RouteMouseToParent(CControlUI& control, TInputEventUI& event, bool* toBase) {
  *toBase = false;
  if (control.IsMouseEnabled() || event.type < kEventMouseFirst || event.type > kEventMouseLast) {
    return false;
  }
  if (control.GetParent() != nullptr) {
    control.GetParent()->DoEvent(event);
  } else {
    *toBase = true;
  }
  return true;
}

HotChange TrackHotState(CControlUI& control, UINT& state, const TInputEventUI& event) {
  if (event.type != kEventMouseEnter && event.type != kEventMouseLeave) return HotChange::kNone;
  const bool inside = ::PtInRect(&control.GetPos(), event.mousePoint) != FALSE;
  CWindowManagerUI* manager = control.GetManager();
  if (event.type == kEventMouseEnter) {
    if (!inside || !control.IsEnabled() || (state & kStateHot) != 0) return HotChange::kNone;
    state |= kStateHot;
    control.Invalidate();
    return HotChange::kEntered;
  }
  if (inside) {
    if (manager != nullptr) manager->AddMouseLeaveTracking(&control);
    return HotChange::kStillInside;
  }
  if (manager != nullptr) manager->RemoveMouseLeaveTracking(&control);
  if (!control.IsEnabled() || (state & kStateHot) == 0) return HotChange::kNone;
  state &= ~kStateHot;
  control.Invalidate();
  return HotChange::kLeft;
}

}  // namespace SkinUI
