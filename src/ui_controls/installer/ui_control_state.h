#pragma once
// The state that buttons, options, edits and sliders keep about the pointer and the focus, and
// the rules they share for it.
#include <windows.h>

#include "ui_core/manager/ui_control.h"
#include "ui_core/values/ui_events.h"

namespace SkinUI {

constexpr UINT kStateFocused = 0x01;
constexpr UINT kStateSelected = 0x02;
constexpr UINT kStateDisabled = 0x04;
constexpr UINT kStateHot = 0x08;
constexpr UINT kStatePushed = 0x10;
constexpr UINT kStateCaptured = 0x40;

// The state with the focused bit following IsFocused and the disabled bit following IsEnabled.
UINT WithFocusAndDisabledBits(const CControlUI& control, UINT state);

// A control that does not take the mouse hands its mouse events on. True when this event is
// such a one: it went to the parent, or, without a parent, *toBase tells the caller to give it
// to its base class's handling.
bool RouteMouseToParent(CControlUI& control, TInputEventUI& event, bool* toBase);

enum class HotChange {
  kNone,         // not a pointer enter or leave, or nothing changed
  kEntered,      // the control became hot
  kLeft,         // the control stopped being hot
  kStillInside,  // a leave while the pointer is still over the control: asked to report later
};
// The hot bit follows the pointer entering and leaving an enabled control; a leave that finds
// the pointer still inside (it went onto something laid over the control) keeps the control hot
// and has the window report the leave again later.
HotChange TrackHotState(CControlUI& control, UINT& state, const TInputEventUI& event);

}  // namespace SkinUI
