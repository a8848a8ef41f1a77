#pragma once
// The container side of an embedded ActiveX object: CActiveXCtrl is its OLE site (client site,
// windowless in-place site, control site, object-with-site and container), CActiveXFrameWnd the
// in-place frame it is given, CActiveXEnum the container's enumeration of its one object.
// Each is reference counted from 1 and deletes itself at 0; the owner control lets go of its
// site when it releases the object, after which the site answers E_UNEXPECTED where it would
// need the owner.
#include <windows.h>
#include <ocidl.h>
#include <ole2.h>

#include <memory>

#include "base/unique_resource.h"

namespace SkinUI {

class CActiveXUI;
class CActiveXWnd;
class CWindowManagerUI;

class CActiveXCtrl final : public IOleClientSite,
                           public IOleInPlaceSiteWindowless,
                           public IOleControlSite,
                           public IObjectWithSite,
                           public IOleContainer {
public:
  explicit CActiveXCtrl(CActiveXUI* owner);
  CActiveXCtrl(const CActiveXCtrl&) = delete;
  CActiveXCtrl& operator=(const CActiveXCtrl&) = delete;

  // --- for the owner and its host window ------------------------------------------------------

  CActiveXUI* GetOwner() const { return owner_; }
  // The owner is releasing its object: the site no longer reaches it, and the host window goes.
  void DetachOwner();
  bool IsWindowless() const { return windowless_; }
  bool IsInPlaceActive() const { return inPlaceActive_; }
  bool IsUIActive() const { return uiActive_; }
  bool IsFocused() const { return focused_; }
  void SetFocused(bool focused) { focused_ = focused; }
  bool IsCaptured() const { return captured_; }
  IViewObject* GetViewObject() const { return viewObject_.get(); }
  IOleInPlaceObject* GetInPlaceObject() const { return inPlaceObject_.get(); }
  // The in-place object of a windowless activation, else null.
  IOleInPlaceObjectWindowless* GetWindowlessObject() const;
  CActiveXWnd* GetHostWindowObject() const { return window_.get(); }
  // Takes the richest view interface the object has (IViewObjectEx, IViewObject2, IViewObject).
  void QueryViewObject(IOleObject* control);
  // The manager of the owner, or null.
  CWindowManagerUI* GetManager() const;
  // The host window and its object (a child of the skinned window named "UIActiveX").
  HRESULT CreateActiveXWnd();
  // The host window object has gone with its window.
  void ForgetHostWindow(HWND window);

  // --- IUnknown ---
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // --- IOleClientSite ---
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // --- IOleWindow ---
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

  // --- IOleInPlaceSite ---
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;

  // --- IOleInPlaceSiteEx ---
  STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
  STDMETHODIMP OnInPlaceDeactivateEx(BOOL noRedraw) override;
  STDMETHODIMP RequestUIActivate() override;

  // --- IOleInPlaceSiteWindowless ---
  STDMETHODIMP CanWindowlessActivate() override;
  STDMETHODIMP GetCapture() override;
  STDMETHODIMP SetCapture(BOOL capture) override;
  STDMETHODIMP GetFocus() override;
  STDMETHODIMP SetFocus(BOOL focus) override;
  STDMETHODIMP GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
  STDMETHODIMP ReleaseDC(HDC dc) override;
  STDMETHODIMP InvalidateRect(LPCRECT rect, BOOL erase) override;
  STDMETHODIMP InvalidateRgn(HRGN region, BOOL erase) override;
  STDMETHODIMP ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
  STDMETHODIMP AdjustRect(LPRECT rect) override;
  STDMETHODIMP OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT* result) override;

  // --- IOleControlSite ---
  STDMETHODIMP OnControlInfoChanged() override;
  STDMETHODIMP LockInPlaceActive(BOOL lock) override;
  STDMETHODIMP GetExtendedControl(IDispatch** dispatch) override;
  STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override;
  STDMETHODIMP OnFocus(BOOL focus) override;
  STDMETHODIMP ShowPropertyFrame() override;

  // --- IObjectWithSite ---
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID iid, void** site) override;

  // --- IParseDisplayName, IOleContainer ---
  STDMETHODIMP ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten,
                                IMoniker** moniker) override;
  STDMETHODIMP EnumObjects(DWORD flags, IEnumUnknown** enumerator) override;
  STDMETHODIMP LockContainer(BOOL lock) override;

private:
  ~CActiveXCtrl();
  // The owner's host window (the skinned window when windowless), or null.
  HWND HostWindow() const;
  void DestroyHostWindow();

  LONG refCount_ = 1;
  CActiveXUI* owner_;
  std::unique_ptr<CActiveXWnd> window_;
  Utils::ComPtr<IUnknown> outerSite_;
  Utils::ComPtr<IViewObject> viewObject_;
  Utils::ComPtr<IOleInPlaceObject> inPlaceObject_;  // IOleInPlaceObjectWindowless when windowless
  bool locked_ = false;
  bool focused_ = false;
  bool captured_ = false;
  bool uiActive_ = false;
  bool inPlaceActive_ = false;
  bool windowless_ = true;
  // The accelerator table named in the frame information (one empty entry): the container owns
  // it, so it lives as long as the site.
  Utils::UniqueAcceleratorTable accelerators_;
  // The DC a windowless object asked for and has not given back yet.
  Utils::UniqueWindowDC lentDC_;
};

// The in-place frame given to the object. It reaches the owner through the site, so that it
// answers E_UNEXPECTED instead of touching a control that is gone.
class CActiveXFrameWnd final : public IOleInPlaceFrame {
public:
  explicit CActiveXFrameWnd(CActiveXCtrl* site);
  CActiveXFrameWnd(const CActiveXFrameWnd&) = delete;
  CActiveXFrameWnd& operator=(const CActiveXFrameWnd&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;

  STDMETHODIMP InsertMenus(HMENU menu, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU menu, HOLEMENU shared, HWND activeObject) override;
  STDMETHODIMP RemoveMenus(HMENU menu) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

  IOleInPlaceActiveObject* GetActiveObject() const { return activeObject_.get(); }

private:
  ~CActiveXFrameWnd() = default;

  LONG refCount_ = 1;
  Utils::ComPtr<CActiveXCtrl> site_;
  Utils::ComPtr<IOleInPlaceActiveObject> activeObject_;
};

// Enumerates the container's one object.
class CActiveXEnum final : public IEnumUnknown {
public:
  explicit CActiveXEnum(IUnknown* control);  // AddRef'd; null enumerates nothing
  CActiveXEnum(const CActiveXEnum&) = delete;
  CActiveXEnum& operator=(const CActiveXEnum&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP Next(ULONG count, IUnknown** items, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumUnknown** clone) override;

private:
  ~CActiveXEnum() = default;

  LONG refCount_ = 1;
  ULONG position_ = 0;
  Utils::ComPtr<IUnknown> control_;
};

}  // namespace SkinUI
