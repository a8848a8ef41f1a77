#pragma once
// What the controls that lay a native child window over themselves while in use share (the
// edit field's edit box, the date field's picker): where the window goes, how it follows the
// control, and how the focus leaves it.
#include <windows.h>

#include "ui_core/window/ui_window.h"

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;
struct TInputEventUI;

// rc clipped by the client rect of every ancestor of the control; empty when an ancestor is
// hidden or clips it away.
RECT ClipToAncestorClients(const CControlUI& control, RECT rc);

// Moves the native window over rc and shows it without activating it, or hides it when rc is
// empty (the control is scrolled out of view).
void PlaceNativeOverlay(HWND window, const RECT& rc);

// The native window lost the keyboard focus to `gaining`: the skinned window hears of it too,
// unless it is the one that gains it (it then knows already).
void ForwardNativeFocusLoss(CWindowManagerUI* manager, WPARAM gaining, LPARAM lParam);

// The focus went to another control while the native window kept the keyboard: the skinned
// window takes it, and the native window closes as on any focus loss.
void TakeKeyboardFromOverlay(CWindowManagerUI* manager, HWND window);

// Destroys the native window of a control that goes away; the manager forgets it first.
void DestroyNativeOverlay(CWindowManagerUI* manager, HWND window);

// The native window lost the focus and its owner is still there: the skinned window hears of
// it, then the window closes. The close destroys it: the window object is gone afterwards.
void CloseOverlayOnFocusLoss(CWindowManagerUI* manager, HWND window, WPARAM gaining,
                             LPARAM lParam);

// The field that owns `*window` goes away: the window is forgotten, told so and destroyed (its
// final message deletes the window object). Nothing when no window is open.
template <class Window>
void DestroyOwnedOverlay(CWindowManagerUI* manager, Window*& window) {
  if (window == nullptr) return;
  Window* closing = window;
  window = nullptr;
  closing->DetachOwner();
  DestroyNativeOverlay(manager, closing->GetHWND());
}

// What a field does next with an input event after RouteOverlayFieldEvent.
enum class OverlayFieldEvent {
  kDone,    // handled: nothing more to do
  kToBase,  // the field's base class takes the event
  kFocus,   // the focus arrives: the field's own handling, then its base class's
  kPress,   // a press on the enabled field: the field's own handling only
};

// The input every field with a native overlay treats alike: mouse input routed to its parent,
// the hover state (when `hotState` is given), the I-beam cursor, the focus asked back after a
// window resize, the wheel kept while the overlay is open, the keyboard taken back from it on a
// focus loss, and the mouse moves, releases and context menus it swallows. A press on a
// disabled field is dropped; on an enabled one the mouse capture is released first.
// `overlay` is the open window object, or null.
OverlayFieldEvent RouteOverlayFieldEvent(CControlUI& field, const CWindowWnd* overlay,
                                         UINT* hotState, TInputEventUI& event);

}  // namespace SkinUI
