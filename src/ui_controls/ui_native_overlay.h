#pragma once
// What the controls that lay a native child window over themselves while in use share (the
// edit field's edit box, the date field's picker): where the window goes, how it follows the
// control, and how the focus leaves it.
#include <windows.h>

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

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

}  // namespace SkinUI
