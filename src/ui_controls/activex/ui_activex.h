#pragma once
// An ActiveX control embedded in a skinned window ("ActiveX"). The COM object is made from a
// CLSID or ProgID (or from a named module's class factory) and activated in place: windowless,
// painting into the window's DC and taking the window's messages through this control's message
// filter, or in a child host window (CActiveXWnd) that follows the control's rectangle and
// visibility. The OLE site objects live in ui_activex_site.h.
#include <windows.h>
#include <ole2.h>

#include "base/unique_resource.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_string.h"

namespace SkinUI {

class CActiveXCtrl;
class CActiveXWnd;

class CActiveXUI : public CControlUI, public IMessageFilterUI {
public:
  CActiveXUI();
  ~CActiveXUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  HWND GetNativeWindow() const override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void SetVisible(bool visible = true) override;
  void SetInheritedVisible(bool visible = true) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;

  // Lets go of the COM object, its site and the message filter; the control stays created.
  virtual void ReleaseControl();
  // Makes, sets up and activates the COM object of the stored CLSID; false on any failure.
  virtual bool DoCreateControl();

  // Windowless activation: mouse, cursor and key messages of the window for the object.
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  // A CLSID in braces or a ProgID (at most 99 characters are read).
  bool CreateControl(const wchar_t* clsidOrProgId);
  // A zero CLSID is refused; otherwise the object is made now unless creation is delayed.
  bool CreateControl(const CLSID& clsid);
  bool IsDelayCreate() const { return delayCreate_; }
  // Switching the delay off makes a pending object now.
  void SetDelayCreate(bool delayCreate);
  const CLSID& GetClsid() const { return clsid_; }
  const CStringUI& GetModuleName() const { return moduleName_; }
  void SetModuleName(const wchar_t* moduleName);
  bool IsCreated() const { return created_; }
  // The object's interface: E_POINTER without out, E_PENDING while there is no object.
  HRESULT GetControl(const IID& iid, void** out);

protected:
  friend class CActiveXCtrl;
  friend class CActiveXWnd;

  // The item rectangle as the object sees it: in the host window's coordinates when the object
  // lives in its own host window, in the skinned window's otherwise.
  RECT ObjectRect() const;
  // Places the object (extent, object rects, host window) at the item rectangle.
  void PlaceObject();
  void PlaceHostWindow();
  void ShowHostWindow();
  // In-place activation in the skinned window, when the object wants to be visible.
  HRESULT ActivateInPlace();

  CLSID clsid_ = {};
  CStringUI moduleName_;
  bool created_ = false;
  bool delayCreate_ = true;
  Utils::ComPtr<IOleObject> control_;
  CActiveXCtrl* site_ = nullptr;  // one reference held
  HWND hostWindow_ = nullptr;     // the skinned window (windowless) or the CActiveXWnd

private:
  // Drops the external lock taken for in-place activation.
  void UnlockRunning();

  // COM is left only by a control that entered it.
  bool comInitialised_ = false;
  // Set when activation had to wait for a window (the object was made while the skin was built).
  bool activationPending_ = false;
  bool runningLocked_ = false;
  // The module whose class factory made the object; kept while the object may still run code
  // from it.
  Utils::UniqueLibrary module_;
};

}  // namespace SkinUI
