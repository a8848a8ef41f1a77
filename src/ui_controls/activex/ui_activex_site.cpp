#include "ui_controls/activex/ui_activex_site.h"

#include "ui_controls/activex/ui_activex.h"
#include "ui_controls/activex/ui_activex_wnd.h"
#include "ui_core/manager/ui_manager.h"

namespace SkinUI {
namespace {

template <typename Interface>
HRESULT Hand(Interface* part, void** object) {
  part->AddRef();
  *object = part;
  return S_OK;
}

bool IsOneOf(REFIID iid, std::initializer_list<const IID*> iids) {
  for (const IID* candidate : iids) {
    if (::IsEqualIID(iid, *candidate)) return true;
  }
  return false;
}

}  // namespace

// --- CActiveXCtrl ------------------------------------------------------------------------------

CActiveXCtrl::CActiveXCtrl(CActiveXUI* owner) : owner_(owner) {}

CActiveXCtrl::~CActiveXCtrl() { DestroyHostWindow(); }

void CActiveXCtrl::DetachOwner() {
  DestroyHostWindow();
  owner_ = nullptr;
  // An object that stays in place after it was closed still holds this site: the site's own
  // references to the object go now, or the two would keep each other alive.
  inPlaceActive_ = false;
  inPlaceObject_.reset();
  viewObject_.reset();
  outerSite_.reset();
}

IOleInPlaceObjectWindowless* CActiveXCtrl::GetWindowlessObject() const {
  // The in-place object of a windowless activation was asked for as the windowless interface.
  return windowless_ ? static_cast<IOleInPlaceObjectWindowless*>(inPlaceObject_.get()) : nullptr;
}

void CActiveXCtrl::QueryViewObject(IOleObject* control) {
  viewObject_.reset();
  if (control == nullptr) return;
  for (const IID* iid : {&IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject}) {
    if (SUCCEEDED(control->QueryInterface(*iid, viewObject_.put_void())) && viewObject_) return;
  }
}

CWindowManagerUI* CActiveXCtrl::GetManager() const {
  return owner_ != nullptr ? owner_->GetManager() : nullptr;
}

HWND CActiveXCtrl::HostWindow() const {
  return owner_ != nullptr ? owner_->hostWindow_ : nullptr;
}

HRESULT CActiveXCtrl::CreateActiveXWnd() {
  if (window_ && window_->GetHWND() != nullptr) return S_OK;
  CWindowManagerUI* manager = GetManager();
  if (manager == nullptr || manager->GetPaintWindow() == nullptr) return E_UNEXPECTED;
  window_ = std::make_unique<CActiveXWnd>();
  HWND window = window_->Init(this, manager->GetPaintWindow());
  if (window == nullptr) {
    window_.reset();
    return E_FAIL;
  }
  owner_->hostWindow_ = window;
  return S_OK;
}

void CActiveXCtrl::ForgetHostWindow(HWND window) {
  if (owner_ != nullptr && owner_->hostWindow_ == window) owner_->hostWindow_ = nullptr;
}

void CActiveXCtrl::DestroyHostWindow() {
  if (!window_) return;
  lentDC_.reset();  // a DC of the window cannot outlive it
  if (window_->GetHWND() != nullptr) ::DestroyWindow(window_->GetHWND());
  window_.reset();
}

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsOneOf(iid, {&IID_IUnknown, &IID_IOleWindow, &IID_IOleInPlaceSite, &IID_IOleInPlaceSiteEx,
                    &IID_IOleInPlaceSiteWindowless})) {
    return Hand(static_cast<IOleInPlaceSiteWindowless*>(this), object);
  }
  if (::IsEqualIID(iid, IID_IOleClientSite)) return Hand(static_cast<IOleClientSite*>(this), object);
  if (::IsEqualIID(iid, IID_IOleControlSite)) {
    return Hand(static_cast<IOleControlSite*>(this), object);
  }
  if (::IsEqualIID(iid, IID_IOleContainer)) return Hand(static_cast<IOleContainer*>(this), object);
  if (::IsEqualIID(iid, IID_IObjectWithSite)) {
    return Hand(static_cast<IObjectWithSite*>(this), object);
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
}

STDMETHODIMP_(ULONG) CActiveXCtrl::Release() {
  const LONG count = ::InterlockedDecrement(&refCount_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

// --- IOleClientSite ---

STDMETHODIMP CActiveXCtrl::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD /*assign*/, DWORD /*whichMoniker*/,
                                      IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** container) {
  if (container == nullptr) return E_POINTER;
  *container = nullptr;
  if (outerSite_ &&
      SUCCEEDED(outerSite_->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container))) &&
      *container != nullptr) {
    return S_OK;
  }
  return QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(container));
}

STDMETHODIMP CActiveXCtrl::ShowObject() {
  if (owner_ == nullptr) return E_UNEXPECTED;
  HWND host = HostWindow();
  if (host == nullptr) return E_FAIL;
  Utils::UniqueWindowDC dc(host);
  if (!dc) return E_FAIL;
  if (viewObject_) {
    const RECT rc = owner_->ObjectRect();
    const RECTL bounds = {rc.left, rc.top, rc.right, rc.bottom};
    viewObject_->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &bounds, nullptr,
                      nullptr, 0);
  }
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(BOOL /*show*/) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ---

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  if (owner_ == nullptr) return E_UNEXPECTED;
  if (owner_->hostWindow_ == nullptr) CreateActiveXWnd();
  *window = owner_->hostWindow_;
  return *window != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(BOOL /*enterMode*/) { return S_OK; }

// --- IOleInPlaceSite ---

STDMETHODIMP CActiveXCtrl::CanInPlaceActivate() { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnInPlaceActivate() { return OnInPlaceActivateEx(nullptr, 0); }

STDMETHODIMP CActiveXCtrl::OnUIActivate() {
  uiActive_ = true;
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame,
                                            IOleInPlaceUIWindow** document, LPRECT position,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr ||
      frameInfo == nullptr) {
    return E_POINTER;
  }
  *frame = nullptr;
  *document = nullptr;
  if (owner_ == nullptr) return E_UNEXPECTED;
  // The host window's client area when the object has one; a windowless object sits at the
  // control's rectangle in the skinned window.
  RECT rc = owner_->GetPos();
  if (window_ && window_->GetHWND() != nullptr) ::GetClientRect(window_->GetHWND(), &rc);
  *position = rc;
  *clip = rc;
  if (!accelerators_) {
    ACCEL none = {};
    accelerators_.reset(::CreateAcceleratorTableW(&none, 1));
  }
  *frame = new CActiveXFrameWnd(this);
  CWindowManagerUI* manager = owner_->GetManager();
  frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = manager != nullptr ? manager->GetPaintWindow() : nullptr;
  frameInfo->haccel = accelerators_.get();
  frameInfo->cAccelEntries = 1;
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE /*extent*/) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL /*undoable*/) {
  uiActive_ = false;
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }

STDMETHODIMP CActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT /*position*/) { return E_NOTIMPL; }

// --- IOleInPlaceSiteEx ---

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL* /*noRedraw*/, DWORD flags) {
  if (owner_ == nullptr || !owner_->control_) return E_UNEXPECTED;
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr || manager->GetPaintWindow() == nullptr) return E_UNEXPECTED;
  IOleObject* control = owner_->control_.get();
  if (!owner_->runningLocked_ && SUCCEEDED(::OleLockRunning(control, TRUE, FALSE))) {
    owner_->runningLocked_ = true;
  }
  HRESULT hr = E_FAIL;
  inPlaceObject_.reset();
  if ((flags & ACTIVATE_WINDOWLESS) != 0) {
    windowless_ = true;
    hr = control->QueryInterface(IID_IOleInPlaceObjectWindowless, inPlaceObject_.put_void());
    if (SUCCEEDED(hr) && inPlaceObject_) {
      owner_->hostWindow_ = manager->GetPaintWindow();
      manager->AddMessageFilter(owner_);
    } else {
      hr = E_NOINTERFACE;
    }
  }
  if (FAILED(hr)) {
    windowless_ = false;
    hr = CreateActiveXWnd();
    if (FAILED(hr)) return hr;
    hr = control->QueryInterface(IID_IOleInPlaceObject, inPlaceObject_.put_void());
  }
  if (inPlaceObject_) {
    const RECT rc = owner_->ObjectRect();
    inPlaceObject_->SetObjectRects(&rc, &rc);
  }
  inPlaceActive_ = SUCCEEDED(hr);
  return hr;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL /*noRedraw*/) {
  inPlaceActive_ = false;
  inPlaceObject_.reset();
  DestroyHostWindow();
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate() { return S_OK; }

// --- IOleInPlaceSiteWindowless ---

STDMETHODIMP CActiveXCtrl::CanWindowlessActivate() { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetCapture() {
  if (owner_ == nullptr) return E_UNEXPECTED;
  return captured_ ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL capture) {
  if (owner_ == nullptr) return E_UNEXPECTED;
  captured_ = capture == TRUE;
  if (captured_) {
    ::SetCapture(HostWindow());
  } else {
    ::ReleaseCapture();
  }
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus() {
  if (owner_ == nullptr) return E_UNEXPECTED;
  return focused_ ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL focus) {
  if (owner_ == nullptr) return E_UNEXPECTED;
  if (focus) owner_->SetFocus();
  focused_ = focus == TRUE;
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT /*rect*/, DWORD flags, HDC* dc) {
  if (dc == nullptr) return E_POINTER;
  *dc = nullptr;
  if (owner_ == nullptr) return E_UNEXPECTED;
  // A windowless object paints in DoPaint into the DC it is given: there is no other DC for
  // it, and one lent DC at a time.
  HWND host = HostWindow();
  if (windowless_ || host == nullptr || lentDC_) return E_FAIL;
  Utils::UniqueWindowDC windowDC(host);
  if (!windowDC) return E_FAIL;
  if ((flags & OLEDC_PAINTBKGND) != 0) {
    const RECT rc = owner_->ObjectRect();
    ::FillRect(windowDC.get(), &rc, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
  }
  lentDC_ = std::move(windowDC);
  *dc = lentDC_.get();
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC dc) {
  if (dc == nullptr || dc != lentDC_.get()) return E_INVALIDARG;
  lentDC_.reset();
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase) {
  HWND host = HostWindow();
  if (host == nullptr) return E_FAIL;
  return ::InvalidateRect(host, rect, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase) {
  HWND host = HostWindow();
  if (host == nullptr) return E_FAIL;
  return ::InvalidateRgn(host, region, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT /*dx*/, INT /*dy*/, LPCRECT /*scroll*/,
                                      LPCRECT /*clip*/) {
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT /*rect*/) { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                              LRESULT* result) {
  if (result == nullptr) return E_POINTER;
  *result = ::DefWindowProcW(HostWindow(), message, wParam, lParam);
  return S_OK;
}

// --- IOleControlSite ---

STDMETHODIMP CActiveXCtrl::OnControlInfoChanged() { return S_OK; }

STDMETHODIMP CActiveXCtrl::LockInPlaceActive(BOOL /*lock*/) { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** dispatch) {
  if (dispatch == nullptr) return E_POINTER;
  *dispatch = nullptr;
  if (owner_ == nullptr || !owner_->control_) return E_UNEXPECTED;
  return owner_->control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL* /*himetric*/, POINTF* /*container*/,
                                           DWORD /*flags*/) {
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG* /*msg*/, DWORD /*modifiers*/) {
  return S_FALSE;
}

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL focus) {
  focused_ = focus == TRUE;
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

// --- IObjectWithSite ---

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* site) {
  if (site != nullptr) site->AddRef();
  outerSite_.reset(site);
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID iid, void** site) {
  if (site == nullptr) return E_POINTER;
  *site = nullptr;
  if (!outerSite_) return E_FAIL;
  return outerSite_->QueryInterface(iid, site);
}

// --- IOleContainer ---

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx* /*context*/, LPOLESTR /*name*/,
                                            ULONG* /*eaten*/, IMoniker** moniker) {
  if (moniker != nullptr) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD /*flags*/, IEnumUnknown** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  *enumerator = nullptr;
  if (owner_ == nullptr) return E_UNEXPECTED;
  *enumerator = new CActiveXEnum(owner_->control_.get());
  return S_OK;
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL lock) {
  locked_ = lock != FALSE;
  return S_OK;
}

// --- CActiveXFrameWnd ----------------------------------------------------------------------------

CActiveXFrameWnd::CActiveXFrameWnd(CActiveXCtrl* site) {
  if (site != nullptr) site->AddRef();
  site_.reset(site);
}

STDMETHODIMP CActiveXFrameWnd::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsOneOf(iid, {&IID_IUnknown, &IID_IOleWindow, &IID_IOleInPlaceUIWindow,
                    &IID_IOleInPlaceFrame})) {
    return Hand(static_cast<IOleInPlaceFrame*>(this), object);
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::Release() {
  const LONG count = ::InterlockedDecrement(&refCount_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXFrameWnd::GetWindow(HWND* window) {
  if (window == nullptr) return E_POINTER;
  *window = nullptr;
  CWindowManagerUI* manager = site_ ? site_->GetManager() : nullptr;
  if (manager == nullptr) return E_UNEXPECTED;
  *window = manager->GetPaintWindow();
  return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::ContextSensitiveHelp(BOOL /*enterMode*/) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::GetBorder(LPRECT /*border*/) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS /*widths*/) {
  return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS /*widths*/) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* object,
                                               LPCOLESTR /*name*/) {
  if (object != nullptr) object->AddRef();
  activeObject_.reset(object);
  return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::InsertMenus(HMENU /*menu*/, LPOLEMENUGROUPWIDTHS /*widths*/) {
  return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::SetMenu(HMENU /*menu*/, HOLEMENU /*shared*/,
                                       HWND /*activeObject*/) {
  return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::RemoveMenus(HMENU /*menu*/) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::SetStatusText(LPCOLESTR /*text*/) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::EnableModeless(BOOL /*enable*/) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::TranslateAccelerator(LPMSG /*msg*/, WORD /*id*/) {
  return S_FALSE;
}

// --- CActiveXEnum --------------------------------------------------------------------------------

CActiveXEnum::CActiveXEnum(IUnknown* control) {
  if (control != nullptr) control->AddRef();
  control_.reset(control);
}

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (IsOneOf(iid, {&IID_IUnknown, &IID_IEnumUnknown})) {
    return Hand(static_cast<IEnumUnknown*>(this), object);
  }
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
}

STDMETHODIMP_(ULONG) CActiveXEnum::Release() {
  const LONG count = ::InterlockedDecrement(&refCount_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXEnum::Next(ULONG count, IUnknown** items, ULONG* fetched) {
  if (fetched != nullptr) *fetched = 0;
  if (count == 0) return S_OK;
  if (items == nullptr) return E_POINTER;
  if (position_ != 0 || !control_) {
    items[0] = nullptr;
    return S_FALSE;
  }
  ++position_;
  control_->AddRef();
  items[0] = control_.get();
  if (fetched != nullptr) *fetched = 1;
  return count == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG count) {
  // Saturates: a huge skip must not wrap round to the start.
  position_ = count > ~position_ ? ~0UL : position_ + count;
  return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset() {
  position_ = 0;
  return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown** clone) {
  if (clone != nullptr) *clone = nullptr;
  return E_NOTIMPL;
}

}  // namespace SkinUI
