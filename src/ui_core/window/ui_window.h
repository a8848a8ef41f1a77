#pragma once
// CWindowWnd ties one native window to one object: it registers the window class (or a
// superclass of an existing one), creates the window with the object as its creation parameter,
// routes every message of the window to the object's HandleMessage and tells the object when the
// window is gone. It also runs the modal message loop.
//
// CNotifyPump routes notifications to handler methods through static maps keyed by
// notification word and control name, with optional virtual windows that take the
// notifications of a part of the control tree.
#include <windows.h>

#include "base/unique_resource.h"
#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_string_map.h"

namespace SkinUI {

class CNotifyPump;

// One entry of a notification map. kind: 1 = the handler takes (wParam, lParam), 2 = it takes the
// notification, 0 = end of the table. The thunk casts the pump to the class that declared the map.
struct TNotifyMapEntryUI {
  const wchar_t* type;         // notification word
  const wchar_t* controlName;  // empty: any control
  int kind;
  void (*thunk)(CNotifyPump* pump, TNotifyMsgUI& msg);
};

struct TNotifyMapUI {
  const TNotifyMapUI* base;  // the base class's map, or null
  const TNotifyMapEntryUI* entries;
};

class CNotifyPump {
public:
  CNotifyPump() = default;
  CNotifyPump(const CNotifyPump&) = delete;
  CNotifyPump& operator=(const CNotifyPump&) = delete;
  virtual ~CNotifyPump() = default;

  virtual const TNotifyMapUI* GetMessageMap() const;

  bool AddVirtualWnd(const wchar_t* name, CNotifyPump* pump);
  bool RemoveVirtualWnd(const wchar_t* name);
  // Virtual windows first (by the message's virtual-window name), then the own map chain.
  bool NotifyPump(TNotifyMsgUI& msg);
  bool LoopDispatch(TNotifyMsgUI& msg);
  static const TNotifyMapEntryUI* FindMessageEntry(const TNotifyMapEntryUI* entries,
                                                   const TNotifyMsgUI& msg);

  static const TNotifyMapUI messageMap_;

protected:
  CStringMapUI virtualWnds_{83};  // name -> CNotifyPump*, not owned
};

// Declares the map of a class derived from CNotifyPump (inside the class body).
#define SKINUI_DECLARE_NOTIFY_MAP()                                   \
 public:                                                              \
  static const ::SkinUI::TNotifyMapUI messageMap_;                    \
  const ::SkinUI::TNotifyMapUI* GetMessageMap() const override;       \
                                                                      \
 private:                                                             \
  static const ::SkinUI::TNotifyMapEntryUI messageEntries_[];

// In the class's source file:
//   SKINUI_BEGIN_NOTIFY_MAP(CMainWnd, CSkinFrame)
//     SKINUI_ON_NOTIFY(CMainWnd, L"click", L"okBtn", OnOk)        // void OnOk(TNotifyMsgUI&)
//     SKINUI_ON_NOTIFY_PARAMS(CMainWnd, L"timer", L"", OnTimer)   // void OnTimer(WPARAM, LPARAM)
//   SKINUI_END_NOTIFY_MAP(CMainWnd, CSkinFrame)
// An empty control name matches any control; an entry naming the sender wins over it.
#define SKINUI_BEGIN_NOTIFY_MAP(Class, Base)                                                   \
  const ::SkinUI::TNotifyMapUI* Class::GetMessageMap() const { return &Class::messageMap_; } \
  const ::SkinUI::TNotifyMapEntryUI Class::messageEntries_[] = {
#define SKINUI_ON_NOTIFY(Class, type, name, method)                                  \
  {type, name, 2,                                                                    \
   [](::SkinUI::CNotifyPump* pump, ::SkinUI::TNotifyMsgUI& msg) {                    \
     static_cast<Class*>(pump)->method(msg);                                         \
   }},
#define SKINUI_ON_NOTIFY_PARAMS(Class, type, name, method)                           \
  {type, name, 1,                                                                    \
   [](::SkinUI::CNotifyPump* pump, ::SkinUI::TNotifyMsgUI& msg) {                    \
     static_cast<Class*>(pump)->method(msg.wParam, msg.lParam);                      \
   }},
#define SKINUI_END_NOTIFY_MAP(Class, Base)                                                     \
  {nullptr, nullptr, 0, nullptr}};                                                            \
  const ::SkinUI::TNotifyMapUI Class::messageMap_ = {&Base::messageMap_, Class::messageEntries_};

class CWindowWnd {
public:
  CWindowWnd() = default;
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  HWND GetHWND() const { return hWnd_; }
  operator HWND() const { return hWnd_; }  // NOLINT: a window object is used where HWND is

  bool RegisterWindowClass();
  bool RegisterSuperclass();

  HWND Create(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
              int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
              int cy = CW_USEDEFAULT, HMENU menu = nullptr);
  HWND CreateInRect(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                    const RECT& rc, HMENU menu = nullptr);
  HWND Subclass(HWND window);
  void Unsubclass();
  void ShowWindow(bool show = true, bool takeFocus = true);
  // Runs the modal loop until the window is gone (or WM_QUIT); the result is the wParam of the
  // last WM_CLOSE of this window, 0 when there was none.
  UINT ShowModal();
  void Close(UINT result = IDOK);  // posts WM_CLOSE with wParam = result
  void CenterWindow();
  void SetIcon(UINT resourceId);

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
  virtual const wchar_t* GetWindowClassName() const = 0;
  virtual const wchar_t* GetSuperClassName() const;
  virtual UINT GetClassStyle() const;
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnFinalMessage(HWND window);
public:
  virtual ~CWindowWnd() = default;

protected:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND hWnd_ = nullptr;
  WNDPROC oldWndProc_ = ::DefWindowProcW;
  bool subclassed_ = false;

private:
  // Both window procedures: the object comes from the creation parameters at WM_NCCREATE and is
  // kept in the user data (own classes) or in the "WndX" property (superclasses, subclassed
  // windows).
  static LRESULT RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                              bool objectInProperty);
  // WM_NCDESTROY of a window with an object: the previous procedure first, then the object lets
  // go of the window (user data or property, subclassing) and hears OnFinalMessage.
  LRESULT FinishFinalMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                             bool objectInProperty);

  Utils::UniqueIcon bigIcon_;
  Utils::UniqueIcon smallIcon_;
};

}  // namespace SkinUI
