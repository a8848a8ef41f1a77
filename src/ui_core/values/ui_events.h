#pragma once
// What flows between a window, its manager and its controls: input events handed to controls,
// notifications that controls send to their window, and the three interfaces through which a
// window listens (notifiers), filters raw messages (message filters) and creates custom controls
// while a skin is built.
#include <windows.h>

#include "ui_core/values/ui_string.h"

namespace SkinUI {

class CControlUI;

// Types of TInputEventUI. The mouse events are the closed range kEventMouseFirst..kEventMouseLast.
enum EventTypeUI : int {
  kEventKeyDown = 3,        // WM_KEYDOWN to the focus control; key = wParam
  kEventKeyUp = 4,          // WM_KEYUP to the control that got the key-down
  kEventChar = 5,           // WM_CHAR to the focus control; key = wParam
  kEventSysKey = 6,         // WM_SYSKEYDOWN to the focus control
  kEventMouseMove = 9,      // to the click control, else to the control under the pointer
  kEventMouseLeave = 10,
  kEventMouseEnter = 11,
  kEventMouseHover = 12,
  kEventButtonDown = 13,
  kEventButtonUp = 14,
  kEventRButtonDown = 15,
  kEventDblClick = 16,
  kEventContextMenu = 17,
  kEventScrollWheel = 18,   // wParam 1 when the wheel turned toward the user, else 0
  kEventKillFocus = 20,     // sender = the control that gains the focus
  kEventSetFocus = 21,
  kEventWindowSize = 22,
  kEventSetCursor = 23,
  kEventTimer = 24,         // wParam = the control's own timer id
};
constexpr int kEventMouseFirst = kEventMouseMove;
constexpr int kEventMouseLast = kEventScrollWheel;

// Key state bits of TInputEventUI (as CWindowManagerUI::MapKeyState reads them).
constexpr WORD kKeyStateLButton = 0x01;
constexpr WORD kKeyStateRButton = 0x02;
constexpr WORD kKeyStateShift = 0x04;
constexpr WORD kKeyStateControl = 0x08;
constexpr WORD kKeyStateAlt = 0x20;

struct TInputEventUI {
  int type = 0;
  CControlUI* sender = nullptr;
  DWORD timestamp = 0;        // GetTickCount
  POINT mousePoint = {0, 0};  // client coordinates
  WORD key = 0;               // virtual key or character
  WORD keyState = 0;          // kKeyState* bits
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// A notification from a control (or the manager) to its window.
struct TNotifyMsgUI {
  CStringUI type;        // "click", "selectchanged", "windowinit" ...
  CStringUI virtualWnd;  // the sender's virtual window when the manager uses them, else empty
  CControlUI* sender = nullptr;  // null when the sender was removed before delivery
  DWORD timestamp = 0;
  POINT mousePoint = {0, 0};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class INotifyUI {
public:
  virtual void Notify(TNotifyMsgUI& msg) = 0;

protected:
  ~INotifyUI() = default;
};

class IMessageFilterUI {
public:
  // Sets handled to consume the message; the result is then the message's result.
  virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;

protected:
  ~IMessageFilterUI() = default;
};

// An accelerator translator: returns 0 when it consumed the message.
class ITranslateAcceleratorUI {
public:
  virtual LRESULT TranslateAccelerator(MSG* msg) = 0;

protected:
  ~ITranslateAcceleratorUI() = default;
};

class IDialogBuilderCallback {
public:
  // A new control for an element name that the builder does not know, or null.
  virtual CControlUI* CreateControl(const wchar_t* elementName) = 0;

protected:
  ~IDialogBuilderCallback() = default;
};

}  // namespace SkinUI
