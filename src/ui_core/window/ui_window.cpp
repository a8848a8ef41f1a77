#include "ui_core/window/ui_window.h"

#include <utility>

#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"

namespace SkinUI {

// --- CNotifyPump ---------------------------------------------------------------------------------

namespace {
const TNotifyMapEntryUI kNoNotifyEntries[] = {{nullptr, nullptr, 0, nullptr}};

bool IsEmptyText(const wchar_t* text) { return text == nullptr || text[0] == L'\0'; }
}  // namespace

const TNotifyMapUI CNotifyPump::messageMap_ = {nullptr, kNoNotifyEntries};

const TNotifyMapUI* CNotifyPump::GetMessageMap() const { return &CNotifyPump::messageMap_; }

bool CNotifyPump::AddVirtualWnd(const wchar_t* name, CNotifyPump* pump) {
  if (IsEmptyText(name) || pump == nullptr) return false;
  if (virtualWnds_.Find(name, false) != nullptr) return false;
  return virtualWnds_.Insert(name, pump);
}

bool CNotifyPump::RemoveVirtualWnd(const wchar_t* name) {
  if (IsEmptyText(name)) return false;
  return virtualWnds_.Remove(name);
}

const TNotifyMapEntryUI* CNotifyPump::FindMessageEntry(const TNotifyMapEntryUI* entries,
                                                       const TNotifyMsgUI& msg) {
  if (entries == nullptr) return nullptr;
  const CStringUI senderName = msg.sender != nullptr ? msg.sender->GetName() : CStringUI();
  const TNotifyMapEntryUI* fallback = nullptr;
  for (const TNotifyMapEntryUI* entry = entries; entry->kind != 0; ++entry) {
    if (entry->type == nullptr || msg.type != entry->type) continue;
    if (IsEmptyText(entry->controlName)) {
      // A table may list several catch-all entries for one word; the last one is in force.
      fallback = entry;
    } else if (senderName == entry->controlName) {
      return entry;
    }
  }
  return fallback;
}

bool CNotifyPump::LoopDispatch(TNotifyMsgUI& msg) {
  for (const TNotifyMapUI* map = GetMessageMap(); map != nullptr; map = map->base) {
    const TNotifyMapEntryUI* entry = FindMessageEntry(map->entries, msg);
    if (entry == nullptr) continue;
    if (entry->thunk != nullptr) entry->thunk(this, msg);
    return true;
  }
  return false;
}

bool CNotifyPump::NotifyPump(TNotifyMsgUI& msg) {
  if (!msg.virtualWnd.IsEmpty()) {
    for (int i = 0; i < virtualWnds_.GetSize(); ++i) {
      const wchar_t* name = virtualWnds_.GetAt(i);
      if (name == nullptr || msg.virtualWnd.CompareNoCase(name) != 0) continue;
      auto* pump = static_cast<CNotifyPump*>(virtualWnds_.Find(name, false));
      if (pump != nullptr && pump->LoopDispatch(msg)) return true;
    }
  }
  return LoopDispatch(msg);
}

// --- CWindowWnd: classes and creation ------------------------------------------------------------

namespace {
// The window property that holds the object of a superclassed or subclassed window.
const wchar_t kObjectProperty[] = L"WndX";

bool RegisteredOrAlreadyThere(ATOM atom) {
  return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
}  // namespace

const wchar_t* CWindowWnd::GetSuperClassName() const { return nullptr; }

UINT CWindowWnd::GetClassStyle() const { return 0; }

LRESULT CWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(oldWndProc_, hWnd_, message, wParam, lParam);
}

void CWindowWnd::OnFinalMessage(HWND /*window*/) {}

bool CWindowWnd::RegisterWindowClass() {
  WNDCLASSW wc = {};
  wc.style = GetClassStyle();
  wc.lpfnWndProc = &CWindowWnd::WindowProc;
  wc.hInstance = CWindowManagerUI::GetInstance();
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = GetWindowClassName();
  return RegisteredOrAlreadyThere(::RegisterClassW(&wc));
}

bool CWindowWnd::RegisterSuperclass() {
  const wchar_t* superName = GetSuperClassName();
  if (IsEmptyText(superName)) return false;
  HINSTANCE instance = CWindowManagerUI::GetInstance();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  // System classes first (no instance), then the classes of this module.
  if (!::GetClassInfoExW(nullptr, superName, &wc)) {
    wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(instance, superName, &wc)) return false;
  }
  oldWndProc_ = wc.lpfnWndProc;
  wc.lpfnWndProc = &CWindowWnd::ControlProc;
  wc.hInstance = instance;
  wc.lpszClassName = GetWindowClassName();
  return RegisteredOrAlreadyThere(::RegisterClassExW(&wc));
}

HWND CWindowWnd::Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                        int cx, int cy, HMENU menu) {
  const bool registered =
      GetSuperClassName() != nullptr ? RegisterSuperclass() : RegisterWindowClass();
  if (!registered) return nullptr;
  hWnd_ = ::CreateWindowExW(exStyle, GetWindowClassName(), title, style, x, y, cx, cy, parent,
                            menu, CWindowManagerUI::GetInstance(), this);
  return hWnd_;
}

HWND CWindowWnd::CreateInRect(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                              const RECT& rc, HMENU menu) {
  return Create(parent, title, style, exStyle, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top, menu);
}

HWND CWindowWnd::Subclass(HWND window) {
  if (window == nullptr || !::IsWindow(window)) return nullptr;
  ::SetPropW(window, kObjectProperty, this);
  oldWndProc_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::ControlProc)));
  if (oldWndProc_ == nullptr) {
    ::RemovePropW(window, kObjectProperty);
    oldWndProc_ = ::DefWindowProcW;
    return nullptr;
  }
  subclassed_ = true;
  hWnd_ = window;
  return hWnd_;
}

void CWindowWnd::Unsubclass() {
  if (!subclassed_) return;
  if (hWnd_ != nullptr && ::IsWindow(hWnd_)) {
    ::SetWindowLongPtrW(hWnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
    ::RemovePropW(hWnd_, kObjectProperty);
  }
  oldWndProc_ = ::DefWindowProcW;
  subclassed_ = false;
}

// --- CWindowWnd: showing, the modal loop, placement ------------------------------------------------

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
  if (hWnd_ == nullptr || !::IsWindow(hWnd_)) return;
  ::ShowWindow(hWnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

UINT CWindowWnd::ShowModal() {
  if (hWnd_ == nullptr || !::IsWindow(hWnd_)) return 0;
  const HWND window = hWnd_;
  UINT result = 0;
  HWND owner = ::GetWindow(window, GW_OWNER);
  ::ShowWindow(window, SW_SHOWNORMAL);
  if (owner != nullptr) ::EnableWindow(owner, FALSE);

  MSG msg = {};
  bool quit = false;
  // Only locals from here on: a window object may delete itself at its last message.
  while (::IsWindow(window)) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      break;
    }
    if (got == -1) break;
    if (msg.message == WM_CLOSE && msg.hwnd == window) {
      result = static_cast<UINT>(msg.wParam);
      // The owner takes over before this window goes, so that activation does not pass to
      // some other program's window in between.
      if (owner != nullptr) {
        ::EnableWindow(owner, TRUE);
        ::SetFocus(owner);
      }
    }
    if (!CWindowManagerUI::TranslateMessage(&msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  if (owner != nullptr && ::IsWindow(owner)) {
    ::EnableWindow(owner, TRUE);
    ::SetFocus(owner);
  }
  // A quit request ends every loop on the way out, not only the innermost one.
  if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
  return result;
}

void CWindowWnd::Close(UINT result) {
  if (hWnd_ == nullptr || !::IsWindow(hWnd_)) return;
  ::PostMessageW(hWnd_, WM_CLOSE, static_cast<WPARAM>(result), 0);
}

void CWindowWnd::CenterWindow() {
  if (hWnd_ == nullptr || !::IsWindow(hWnd_)) return;
  RECT rcWindow = {};
  ::GetWindowRect(hWnd_, &rcWindow);
  const int width = rcWindow.right - rcWindow.left;
  const int height = rcWindow.bottom - rcWindow.top;

  HWND owner = ::GetWindow(hWnd_, GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(owner != nullptr ? owner : hWnd_,
                                        MONITOR_DEFAULTTONEAREST),
                    &monitor);
  const RECT work = monitor.rcWork;
  RECT reference = work;
  if (owner != nullptr && !::IsIconic(owner)) ::GetWindowRect(owner, &reference);

  int x = (reference.left + reference.right) / 2 - width / 2;
  int y = (reference.top + reference.bottom) / 2 - height / 2;
  if (x < work.left) {
    x = work.left;
  } else if (x + width > work.right) {
    x = work.right - width;
  }
  if (y < work.top) {
    y = work.top;
  } else if (y + height > work.bottom) {
    y = work.bottom - height;
  }
  ::SetWindowPos(hWnd_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::SetIcon(UINT resourceId) {
  if (hWnd_ == nullptr || !::IsWindow(hWnd_)) return;
  HINSTANCE instance = CWindowManagerUI::GetInstance();
  Utils::UniqueIcon big(static_cast<HICON>(
      ::LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR)));
  Utils::UniqueIcon small(static_cast<HICON>(::LoadImageW(
      instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
  ::SendMessageW(hWnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageW(hWnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The window shows the icons for as long as it lives; the object outlives its window.
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(small);
}

LRESULT CWindowWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(hWnd_, message, wParam, lParam);
}

LRESULT CWindowWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(hWnd_, message, wParam, lParam);
}

// --- CWindowWnd: the window procedures -------------------------------------------------------------

LRESULT CWindowWnd::FinishFinalMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       bool objectInProperty) {
  const LRESULT result = ::CallWindowProcW(oldWndProc_, window, message, wParam, lParam);
  if (objectInProperty) {
    if (subclassed_) Unsubclass();
    ::RemovePropW(window, kObjectProperty);
  } else {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (subclassed_) Unsubclass();
  }
  hWnd_ = nullptr;
  OnFinalMessage(window);
  return result;
}

LRESULT CWindowWnd::RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                 bool objectInProperty) {
  CWindowWnd* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    self = static_cast<CWindowWnd*>(create->lpCreateParams);
    if (self != nullptr) {
      self->hWnd_ = window;
      if (objectInProperty) {
        ::SetPropW(window, kObjectProperty, self);
      } else {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      }
    }
  } else {
    self = objectInProperty
               ? static_cast<CWindowWnd*>(::GetPropW(window, kObjectProperty))
               : reinterpret_cast<CWindowWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && self != nullptr) {
      return self->FinishFinalMessage(window, message, wParam, lParam, objectInProperty);
    }
  }
  if (self != nullptr) return self->HandleMessage(message, wParam, lParam);
  return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return RouteMessage(window, message, wParam, lParam, false);
}

LRESULT CALLBACK CWindowWnd::ControlProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  return RouteMessage(window, message, wParam, lParam, true);
}

}  // namespace SkinUI
