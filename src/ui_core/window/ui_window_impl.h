#pragma once
// WindowImplBase turns a CWindowWnd into a borderless skinned window: on WM_CREATE it removes
// the caption style, binds its window manager, opens the skin (folder, archive file, XML
// resource or archive resource), builds the control tree and attaches it; afterwards the whole
// window is client area, with caption dragging, sizing borders, round corners and maximisation to
// the work area taken from the skin's window attributes. CSkinFrame is the concrete base of the
// installer's windows: skin settings from its constructor and a drop shadow configured from the
// skin's window attributes.
#include <windows.h>

#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_string.h"
#include "ui_core/window/ui_shadow.h"
#include "ui_core/window/ui_window.h"

namespace SkinUI {

// Where a frame window's skin comes from.
enum SkinResourceTypeUI : int {
  kSkinFromFolder = 1,        // files of the skin folder
  kSkinFromArchiveFile = 2,   // an archive file in the skin folder (GetSkinZipFile)
  kSkinFromXmlResource = 3,   // the skin file is a resource id of type "xml"
  kSkinFromArchiveResource = 4,  // an archive in a "ZIPRES" resource (GetResourceID)
};

// The resource id of the skin archive that the installer carries.
constexpr UINT kSkinArchiveResourceId = 147;

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback {
public:
  WindowImplBase() = default;
  ~WindowImplBase() override = default;

  CWindowManagerUI& GetManager() { return manager_; }

  // INotifyUI: hands the notification to the notify pump.
  void Notify(TNotifyMsgUI& msg) override;
  // IMessageFilterUI (registered as a pre-message filter): Return and Escape key-downs go to
  // HandleDefaultKey.
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  // IDialogBuilderCallback: no custom controls.
  CControlUI* CreateControl(const wchar_t* elementName) override;

  SKINUI_DECLARE_NOTIFY_MAP()

protected:
  UINT GetClassStyle() const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

  virtual void InitWindow();
  virtual void OnClick(TNotifyMsgUI& msg);
  virtual CStringUI GetSkinFolder() = 0;
  virtual CStringUI GetSkinFile() = 0;
  virtual LRESULT HandleDefaultKey(WPARAM key);
  virtual int GetResourceType() const;
  virtual CStringUI GetSkinZipFile();
  virtual const wchar_t* GetResourceID() const;  // a resource name or MAKEINTRESOURCE id
  virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LRESULT HandleCustomMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  virtual LONG GetStyle();

  CWindowManagerUI manager_;
};

// The skin source of a frame window.
struct TSkinInfoUI {
  int resourceType = kSkinFromArchiveResource;
  UINT resourceId = kSkinArchiveResourceId;
  CStringUI skinFolder;
  CStringUI skinFile;
  CStringUI windowClassName;
};

class CSkinFrame : public WindowImplBase {
public:
  explicit CSkinFrame(const TSkinInfoUI& info);
  ~CSkinFrame() override = default;

  // Escape is swallowed, so it never closes a frame window; the rest goes to the base.
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  CWindowShadow& GetShadow() { return shadow_; }

protected:
  // After the base routing: a layered window's shadow follows its first picture (see the .cpp).
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  const wchar_t* GetWindowClassName() const override;
  CStringUI GetSkinFolder() override;
  CStringUI GetSkinFile() override;
  int GetResourceType() const override;
  const wchar_t* GetResourceID() const override;
  void InitWindow() override;

  int resourceType_;
  UINT resourceId_;
  CStringUI skinFolder_;
  CStringUI skinFile_;
  CStringUI windowClassName_;
  CWindowShadow shadow_;
};

}  // namespace SkinUI
