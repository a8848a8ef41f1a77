// The window manager's message switch: window messages, mouse and keyboard input turned into
// input events for the controls, hover and leave tracking with the tooltip, capture, control
// timers, and the keyboard focus with its TAB order.
#include <windowsx.h>

#include <new>

#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"

namespace SkinUI {
namespace {

POINT ClientPoint(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

POINT ScreenToClientPoint(HWND window, LPARAM lParam) {
  POINT pt = ClientPoint(lParam);
  ::ScreenToClient(window, &pt);
  return pt;
}

TInputEventUI NewEvent(int type, CControlUI* sender, POINT pt) {
  TInputEventUI event;
  event.type = type;
  event.sender = sender;
  event.timestamp = ::GetTickCount();
  event.mousePoint = pt;
  event.keyState = CWindowManagerUI::MapKeyState();
  return event;
}

bool IsTabStop(const CControlUI* control) {
  return (control->GetControlFlags() & kControlFlagTabStop) != 0;
}

CControlUI* CALLBACK CollectProc(CControlUI* control, LPVOID data) {
  static_cast<CPtrArrayUI*>(data)->Add(control);
  return nullptr;
}

}  // namespace

WORD CWindowManagerUI::MapKeyState() {
  WORD state = 0;
  if (::GetKeyState(VK_CONTROL) < 0) state |= kKeyStateControl;
  if (::GetKeyState(VK_RBUTTON) < 0) state |= kKeyStateRButton;
  if (::GetKeyState(VK_LBUTTON) < 0) state |= kKeyStateLButton;
  if (::GetKeyState(VK_SHIFT) < 0) state |= kKeyStateShift;
  if (::GetKeyState(VK_MENU) < 0) state |= kKeyStateAlt;
  return state;
}

void CWindowManagerUI::RaiseEvent(CControlUI* control, int type, POINT pt, WPARAM wParam,
                                  LPARAM lParam, WORD key, CControlUI* sender) {
  if (control == nullptr) return;
  TInputEventUI event = NewEvent(type, sender != nullptr ? sender : control, pt);
  event.key = key;
  event.wParam = wParam;
  event.lParam = lParam;
  control->Event(event);
}

// --- the message switch ----------------------------------------------------------------------

bool CWindowManagerUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
  result = 0;
  if (paintWindow_ == nullptr) return false;
  if (FilterMessage(message, wParam, lParam, result)) return true;
  if (layered_ && HandleLayeredFrame(message, wParam, result)) return true;
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
      return HandleMouseMessage(message, wParam, lParam, result);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      return HandleKeyMessage(message, wParam, lParam);
    default:
      return HandleWindowMessage(message, wParam, lParam, result);
  }
}

bool CWindowManagerUI::FilterMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT& result) {
  if (!OfferToFilters(messageFilters_, message, wParam, lParam, result)) return false;
  // The last mouse point stays right even when a filter takes the message.
  if (message >= WM_MOUSEMOVE && message <= WM_LBUTTONDBLCLK) {
    mousePoint_ = ClientPoint(lParam);
  } else if (message == WM_CONTEXTMENU || message == WM_MOUSEWHEEL) {
    mousePoint_ = ScreenToClientPoint(paintWindow_, lParam);
  }
  return true;
}

bool CWindowManagerUI::HandleLayeredFrame(UINT message, WPARAM wParam, LRESULT& result) {
  switch (message) {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
      result = 0;
      return true;
    case WM_NCACTIVATE:
      if (::IsIconic(paintWindow_)) return false;
      result = wParam == 0 ? TRUE : FALSE;
      return true;
    default:
      return false;
  }
}

bool CWindowManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result) {
  switch (message) {
    case WM_SIZE:
      if (focus_ != nullptr) RaiseEvent(focus_, kEventWindowSize, mousePoint_, wParam, lParam);
      if (root_ != nullptr) root_->NeedUpdate();
      updateNeeded_ = true;
      if (layered_) Invalidate();
      return true;
    case WM_KILLFOCUS:
      HandleKillFocus(reinterpret_cast<HWND>(wParam));
      return false;
    case WM_PAINT:
      HandlePaint();
      return true;
    case WM_PRINTCLIENT:
      HandlePrintClient(reinterpret_cast<HDC>(wParam), lParam);
      return false;
    case WM_CLOSE:
      HandleClose();
      return false;
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT || root_ == nullptr) return false;
      if (captured_) return true;
      POINT pt = {0, 0};
      ::GetCursorPos(&pt);
      ::ScreenToClient(paintWindow_, &pt);
      CControlUI* control = FindControl(pt);
      if (control == nullptr || (control->GetControlFlags() & kControlFlagSetCursor) == 0) {
        return false;
      }
      RaiseEvent(control, kEventSetCursor, pt, wParam, lParam);
      result = TRUE;
      return true;
    }
    case WM_MOUSEACTIVATE:
      if (!noActivate_) return false;
      result = MA_NOACTIVATE;
      return true;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      if (info == nullptr) return false;
      if (minInfo_.cx > 0) info->ptMinTrackSize.x = minInfo_.cx;
      if (minInfo_.cy > 0) info->ptMinTrackSize.y = minInfo_.cy;
      if (maxInfo_.cx > 0) info->ptMaxTrackSize.x = maxInfo_.cx;
      if (maxInfo_.cy > 0) info->ptMaxTrackSize.y = maxInfo_.cy;
      return false;
    }
    case WM_NOTIFY: {
      // A native child's notification goes back to the child, which knows what it means.
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header == nullptr || header->hwndFrom == nullptr) return false;
      result = ::SendMessageW(header->hwndFrom, message + kReflectedMessageOffset, wParam, lParam);
      return true;
    }
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (lParam == 0) return false;
      result = ::SendMessageW(reinterpret_cast<HWND>(lParam), message + kReflectedMessageOffset,
                              wParam, lParam);
      return true;
    case WM_TIMER:
      return HandleTimerMessage(wParam);
    case kMsgDrainQueue:
      DrainAsyncQueue();
      return true;
    default:
      return false;
  }
}

void CWindowManagerUI::HandleKillFocus(HWND gaining) {
  // Focus that moves into a native child of a control (an edit box) moves the control focus too.
  for (HWND window = gaining; window != nullptr && window != paintWindow_;
       window = ::GetParent(window)) {
    const int index = nativeWindows_.Find(window);
    if (index < 0) continue;
    auto* control = static_cast<CControlUI*>(nativeWindowControls_[index]);
    if (control != focus_) SetFocus(control, false);
    return;
  }
}

void CWindowManagerUI::HandleClose() {
  // Every control that saw the pointer enter or a button go down sees the matching end.
  if (hover_ != nullptr) {
    RaiseEvent(hover_, kEventMouseLeave, mousePoint_);
    hover_ = nullptr;
  }
  if (click_ != nullptr) {
    RaiseEvent(click_, kEventButtonUp, mousePoint_);
    click_ = nullptr;
    ReleaseCapture();
  }
  SetFocus(nullptr, false);
  if (::GetActiveWindow() == paintWindow_ || ::GetFocus() == paintWindow_) {
    const bool child = (::GetWindowLongPtrW(paintWindow_, GWL_STYLE) & WS_CHILD) != 0;
    HWND next = child ? ::GetParent(paintWindow_) : ::GetWindow(paintWindow_, GW_OWNER);
    if (next != nullptr) ::SetFocus(next);
  }
  DestroyToolTip();
}

void CWindowManagerUI::DestroyToolTip() {
  // The tooltip is owned by the window and went with it when the window was destroyed first.
  if (toolTipWindow_ && !::IsWindow(toolTipWindow_.get())) toolTipWindow_.release();
  toolTipWindow_.reset();
}

// --- mouse -----------------------------------------------------------------------------------

bool CWindowManagerUI::HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result) {
  switch (message) {
    case WM_MOUSEMOVE:
      HandleMouseMove(ClientPoint(lParam));
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
      HandleButtonDown(message, ClientPoint(lParam), wParam, lParam);
      return false;
    case WM_LBUTTONUP: {
      const POINT pt = ClientPoint(lParam);
      mousePoint_ = pt;
      if (click_ == nullptr) return false;
      ReleaseCapture();
      RaiseEvent(click_, kEventButtonUp, pt, wParam, lParam);
      click_ = nullptr;
      return false;
    }
    case WM_CONTEXTMENU: {
      if (root_ == nullptr || captured_) return false;
      const POINT pt = ScreenToClientPoint(paintWindow_, lParam);
      mousePoint_ = pt;
      if (click_ == nullptr) return false;
      TInputEventUI event = NewEvent(kEventContextMenu, click_, pt);
      event.keyState = static_cast<WORD>(wParam);
      event.lParam = reinterpret_cast<LPARAM>(click_);
      CControlUI* target = click_;
      click_ = nullptr;
      target->Event(event);
      return false;
    }
    case WM_MOUSEWHEEL: {
      if (root_ == nullptr) return false;
      const POINT pt = ScreenToClientPoint(paintWindow_, lParam);
      mousePoint_ = pt;
      CControlUI* control = FindControl(pt);
      if (control == nullptr || control->GetManager() != this) return false;
      // Only the direction counts: touch pads send deltas that are not multiples of 120.
      const short delta = static_cast<short>(HIWORD(wParam));
      RaiseEvent(control, kEventScrollWheel, pt, delta < 0 ? 1 : 0, lParam);
      // What lies under the pointer may have scrolled: let hover follow it.
      ::SendMessageW(paintWindow_, WM_MOUSEMOVE, 0, MAKELPARAM(mousePoint_.x, mousePoint_.y));
      return false;
    }
    case WM_MOUSEHOVER:
      if (!HandleMouseHover(ClientPoint(lParam))) return false;
      result = 0;
      return true;
    case WM_MOUSELEAVE:
      HandleMouseLeave();
      return false;
    default:
      return false;
  }
}

void CWindowManagerUI::StartMouseTracking() {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = paintWindow_;
  track.dwHoverTime =
      toolTipWindow_ ? static_cast<DWORD>(::SendMessageW(toolTipWindow_.get(), TTM_GETDELAYTIME,
                                                         TTDT_INITIAL, 0))
                     : hoverTime_;
  if (::TrackMouseEvent(&track)) mouseTracking_ = true;
}

void CWindowManagerUI::HandleMouseMove(POINT pt) {
  if (root_ == nullptr) return;
  if (!mouseTracking_) StartMouseTracking();
  mousePoint_ = pt;
  CControlUI* newHover = FindControl(pt);
  if (newHover != nullptr && newHover->GetManager() != this) return;
  ControlWatchUI watch(this, &newHover);
  if (!captured_ && newHover != hover_) ChangeHover(newHover, pt);
  if (click_ != nullptr) {
    RaiseEvent(click_, kEventMouseMove, pt);
  } else if (newHover != nullptr) {
    RaiseEvent(newHover, kEventMouseMove, pt);
  }
}

void CWindowManagerUI::ChangeHover(CControlUI*& newHover, POINT pt) {
  if (hover_ != nullptr) {
    CControlUI* oldHover = hover_;
    ControlWatchUI watch(this, &oldHover);
    // Controls that asked to hear about the pointer leaving (a scroll bar under its thumb).
    const CPtrArrayUI tracking(mouseLeaveTracking_);
    for (int i = 0; i < tracking.GetSize() && oldHover != nullptr; ++i) {
      auto* control = static_cast<CControlUI*>(tracking[i]);
      if (mouseLeaveTracking_.Find(control) >= 0) {
        RaiseEvent(control, kEventMouseLeave, pt, 0, 0, 0, oldHover);
      }
    }
    RaiseEvent(oldHover, kEventMouseLeave, pt);
  }
  DeactivateToolTip();
  hover_ = nullptr;
  if (newHover == nullptr) return;
  RaiseEvent(newHover, kEventMouseEnter, pt);
  hover_ = newHover;
}

void CWindowManagerUI::HandleButtonDown(UINT message, POINT pt, WPARAM wParam, LPARAM lParam) {
  TakeNativeFocus();
  mousePoint_ = pt;
  CControlUI* control = FindControl(pt);
  if (control == nullptr || control->GetManager() != this) return;
  ControlWatchUI watch(this, &control);
  if (message == WM_LBUTTONDOWN) {
    click_ = control;
    control->SetFocus();
    if (control == nullptr) return;
    SetCapture();
    RaiseEvent(control, kEventButtonDown, pt, wParam, lParam);
  } else if (message == WM_LBUTTONDBLCLK) {
    SetCapture();
    RaiseEvent(control, kEventDblClick, pt, wParam, lParam);
    click_ = control;
  } else {
    control->SetFocus();
    RaiseEvent(control, kEventRButtonDown, pt, wParam, lParam);
    click_ = control;
  }
}

bool CWindowManagerUI::HandleMouseHover(POINT pt) {
  mouseTracking_ = false;
  CControlUI* control = FindControl(pt);
  if (control == nullptr) return false;
  ControlWatchUI watch(this, &control);
  if (hover_ != nullptr) RaiseEvent(hover_, kEventMouseHover, pt);
  if (control == nullptr) return true;
  CStringUI text = control->GetToolTip();
  ProcessMultiLanguageTokens(text);
  if (text.IsEmpty()) return true;
  toolTipText_ = text;
  toolTip_ = TOOLINFOW{};
  // The structure's own size: the common controls of a 64-bit process refuse a 32-bit layout.
  toolTip_.cbSize = sizeof(toolTip_);
  toolTip_.uFlags = TTF_IDISHWND;
  toolTip_.hwnd = paintWindow_;
  toolTip_.uId = reinterpret_cast<UINT_PTR>(paintWindow_);
  toolTip_.hinst = GetInstance();
  toolTip_.lpszText = const_cast<wchar_t*>(toolTipText_.GetData());
  toolTip_.rect = control->GetPos();
  if (!toolTipWindow_) {
    toolTipWindow_.reset(::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                           paintWindow_, nullptr, GetInstance(), nullptr));
    if (!toolTipWindow_) return true;
    ::SendMessageW(toolTipWindow_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolTip_));
  }
  HWND tip = toolTipWindow_.get();
  // The tip speaks the skin's language: in the system's UI face (Tahoma under Wine) Chinese
  // tips showed as boxes. Set on every hover, as the window's default font may have changed.
  if (HFONT font = GetFont(-1)) ::SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
  ::SendMessageW(tip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&toolTip_));
  ::SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolTip_));
  return true;
}

void CWindowManagerUI::DeactivateToolTip() {
  if (!toolTipWindow_) return;
  ::SendMessageW(toolTipWindow_.get(), TTM_TRACKACTIVATE, FALSE,
                 reinterpret_cast<LPARAM>(&toolTip_));
}

void CWindowManagerUI::HandleMouseLeave() {
  DeactivateToolTip();
  if (mouseTracking_) {
    // The pointer may still be over the window (over a tooltip, say): then the move keeps the
    // hover; otherwise a point outside every control ends it.
    POINT screen = {0, 0};
    ::GetCursorPos(&screen);
    POINT pt = screen;
    ::ScreenToClient(paintWindow_, &pt);
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(paintWindow_, &client);
    LPARAM where = -1;
    if (!::IsIconic(paintWindow_) && ::GetActiveWindow() == paintWindow_ &&
        ::PtInRect(&client, pt) &&
        ::SendMessageW(paintWindow_, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) ==
            HTCLIENT) {
      where = MAKELPARAM(pt.x, pt.y);
    }
    ::SendMessageW(paintWindow_, WM_MOUSEMOVE, 0, where);
  }
  mouseTracking_ = false;
}

// --- keyboard --------------------------------------------------------------------------------

bool CWindowManagerUI::HandleKeyMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const WORD key = static_cast<WORD>(wParam);
  switch (message) {
    case WM_KEYDOWN: {
      CControlUI* target = focus_;
      if (target == nullptr) return false;
      ControlWatchUI watch(this, &target);
      RaiseEvent(target, kEventKeyDown, mousePoint_, wParam, lParam, key);
      key_ = target;
      return false;
    }
    case WM_KEYUP:
      if (key_ == nullptr) return false;
      RaiseEvent(key_, kEventKeyUp, mousePoint_, wParam, lParam, key);
      key_ = nullptr;
      return false;
    case WM_CHAR:
      if (focus_ != nullptr) RaiseEvent(focus_, kEventChar, mousePoint_, wParam, lParam, key);
      return false;
    default:
      return false;
  }
}

// --- timers ----------------------------------------------------------------------------------

bool CWindowManagerUI::HandleTimerMessage(WPARAM wParam) {
  if (wParam == kLayeredTimerId && layered_) {
    if (!::IsRectEmpty(&layeredUpdateRect_) && !::IsIconic(paintWindow_)) HandlePaint();
    return true;
  }
  const UINT_PTR systemId = LOWORD(wParam);
  for (int i = 0; i < timers_.GetSize(); ++i) {
    auto* timer = static_cast<TTimerEntryUI*>(timers_[i]);
    if (timer->window != paintWindow_ || timer->killed || timer->systemId != systemId) continue;
    RaiseEvent(timer->control, kEventTimer, mousePoint_, timer->localId, 0);
    return true;
  }
  return false;
}

bool CWindowManagerUI::SetTimer(CControlUI* control, UINT localId, UINT elapse) {
  if (control == nullptr || paintWindow_ == nullptr) return false;
  for (int i = 0; i < timers_.GetSize(); ++i) {
    auto* timer = static_cast<TTimerEntryUI*>(timers_[i]);
    if (timer->control != control || timer->window != paintWindow_ || timer->localId != localId) {
      continue;
    }
    if (!timer->killed) return false;
    if (::SetTimer(paintWindow_, timer->systemId, elapse, nullptr) == 0) return false;
    timer->killed = false;
    return true;
  }
  timerIdCounter_ = (timerIdCounter_ + 1) % 255;
  const UINT_PTR systemId = timerIdCounter_;
  if (::SetTimer(paintWindow_, systemId, elapse, nullptr) == 0) return false;
  auto* timer = new (std::nothrow) TTimerEntryUI;
  if (timer == nullptr || !timers_.Add(timer)) {
    ::KillTimer(paintWindow_, systemId);
    delete timer;
    return false;
  }
  timer->control = control;
  timer->localId = localId;
  timer->window = paintWindow_;
  timer->systemId = systemId;
  return true;
}

bool CWindowManagerUI::KillTimer(CControlUI* control, UINT localId) {
  for (int i = 0; i < timers_.GetSize(); ++i) {
    auto* timer = static_cast<TTimerEntryUI*>(timers_[i]);
    if (timer->control != control || timer->window != paintWindow_ ||
        timer->localId != localId || timer->killed) {
      continue;
    }
    if (::IsWindow(timer->window)) ::KillTimer(timer->window, timer->systemId);
    timer->killed = true;
    return true;
  }
  return false;
}

int CWindowManagerUI::KillControlTimers(CControlUI* control) {
  int removed = 0;
  for (int i = timers_.GetSize() - 1; i >= 0; --i) {
    auto* timer = static_cast<TTimerEntryUI*>(timers_[i]);
    if (timer->control != control) continue;
    if (!timer->killed && ::IsWindow(timer->window)) ::KillTimer(timer->window, timer->systemId);
    delete timer;
    timers_.Remove(i);
    ++removed;
  }
  return removed;
}

void CWindowManagerUI::RemoveAllTimers() {
  for (int i = 0; i < timers_.GetSize(); ++i) {
    auto* timer = static_cast<TTimerEntryUI*>(timers_[i]);
    if (!timer->killed && ::IsWindow(timer->window)) ::KillTimer(timer->window, timer->systemId);
    delete timer;
  }
  timers_.Empty();
}

// --- capture ---------------------------------------------------------------------------------

void CWindowManagerUI::SetCapture() {
  ::SetCapture(paintWindow_);
  captured_ = true;
}

void CWindowManagerUI::ReleaseCapture() {
  if (::GetCapture() == paintWindow_) ::ReleaseCapture();
  captured_ = false;
}

// --- focus -----------------------------------------------------------------------------------

void CWindowManagerUI::TakeNativeFocus() {
  if (!noActivate_ && paintWindow_ != nullptr) ::SetFocus(paintWindow_);
}

void CWindowManagerUI::KillFocusControl(CControlUI* gaining) {
  CControlUI* losing = focus_;
  if (losing == nullptr) return;
  ControlWatchUI watch(this, &losing);
  TInputEventUI event = NewEvent(kEventKillFocus, gaining, mousePoint_);
  losing->Event(event);
  if (losing != nullptr) SendNotify(losing, L"killfocus");
  focus_ = nullptr;
}

void CWindowManagerUI::SetFocus(CControlUI* control, bool focusWindow) {
  // Only a control of the window's tree takes the focus: one of a tree still being built (a tab
  // page that the builder selects) may be discarded without the manager hearing of it. Such a
  // control is refused before anything changes: the focus, native or not, stays where it is.
  if (control != nullptr && !IsInAttachedTree(control)) return;
  if (focusWindow && paintWindow_ != nullptr && ::GetFocus() != paintWindow_ &&
      control != focus_ && !noActivate_) {
    ::SetFocus(paintWindow_);
  }
  // A control that takes the focus here wins over a move to the next tab stop still pending (a
  // page selected before the layout ran): that move would take the focus from it at the next
  // paint.
  if (control == focus_) {
    if (control != nullptr) focusNeeded_ = false;
    return;
  }
  ControlWatchUI watch(this, &control);
  KillFocusControl(control);
  // The handlers of "killfocus" may have taken the control out of the tree.
  if (control == nullptr || control->GetManager() != this || !IsInAttachedTree(control) ||
      !control->IsVisible() || !control->IsEnabled()) {
    return;
  }
  focus_ = control;
  focusNeeded_ = false;
  RaiseEvent(control, kEventSetFocus, mousePoint_);
  if (control != nullptr) SendNotify(control, L"setfocus");
}

void CWindowManagerUI::SetFocusNeeded(CControlUI* control) {
  TakeNativeFocus();
  if (control == nullptr) return;
  ControlWatchUI watch(this, &control);
  KillFocusControl(control);
  if (control == nullptr) return;
  // The tab stop before the control holds the focus until the next paint moves it forward.
  focus_ = FindTabStop(control, false);
  focusNeeded_ = true;
  if (root_ != nullptr) root_->NeedUpdate();
  updateNeeded_ = true;
}

bool CWindowManagerUI::SetNextTabControl(bool forward) {
  if (updateNeeded_ && forward) {
    // The controls are not placed yet; move the focus after the next layout.
    focusNeeded_ = true;
    if (paintWindow_ != nullptr) ::InvalidateRect(paintWindow_, nullptr, FALSE);
    return true;
  }
  CControlUI* next = FindTabStop(focus_, forward);
  if (next != nullptr) SetFocus(next, true);
  focusNeeded_ = false;
  return true;
}

CControlUI* CWindowManagerUI::FindTabStop(CControlUI* from, bool forward) {
  if (root_ == nullptr) return nullptr;
  CPtrArrayUI visited;
  root_->FindControl(&CollectProc, &visited, kFindVisible | kFindEnabled | kFindMeFirst);
  const int count = visited.GetSize();
  const int position = from != nullptr ? visited.Find(from) : -1;
  if (forward) {
    for (int i = position + 1; i < count; ++i) {
      if (IsTabStop(static_cast<CControlUI*>(visited[i]))) return static_cast<CControlUI*>(visited[i]);
    }
    for (int i = 0; i < count; ++i) {
      if (IsTabStop(static_cast<CControlUI*>(visited[i]))) return static_cast<CControlUI*>(visited[i]);
    }
    return nullptr;
  }
  for (int i = (position < 0 ? count : position) - 1; i >= 0; --i) {
    if (IsTabStop(static_cast<CControlUI*>(visited[i]))) return static_cast<CControlUI*>(visited[i]);
  }
  for (int i = count - 1; i >= 0; --i) {
    if (IsTabStop(static_cast<CControlUI*>(visited[i]))) return static_cast<CControlUI*>(visited[i]);
  }
  return nullptr;
}

}  // namespace SkinUI
