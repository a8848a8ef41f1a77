#include "ui_controls/activex/ui_activex.h"

#include <ocidl.h>

#include <cwchar>

#include "ui_controls/activex/ui_activex_site.h"
#include "ui_controls/activex/ui_activex_wnd.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// What the text form of a CLSID or ProgID may hold (the rest of a longer value is ignored).
constexpr size_t kMaxClsidText = 99;

bool IsZeroClsid(const CLSID& clsid) { return ::IsEqualCLSID(clsid, CLSID_NULL) != FALSE; }

using GetClassObjectProc = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowProc = HRESULT(STDAPICALLTYPE*)();

template <typename Proc>
Proc ModuleProc(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Pixels of the screen to HIMETRIC (hundredths of a millimetre) along one axis.
LONG PixelsToHimetric(int pixels, int pixelsPerInch) {
  return pixelsPerInch > 0 ? ::MulDiv(2540, pixels, pixelsPerInch) : 0;
}

bool IsButtonDown(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
      return true;
    default:
      return false;
  }
}

}  // namespace

CActiveXUI::CActiveXUI() {
  comInitialised_ = SUCCEEDED(::CoInitialize(nullptr));
}

CActiveXUI::~CActiveXUI() {
  CActiveXUI::ReleaseControl();
  if (comInitialised_) ::CoUninitialize();
}

const wchar_t* CActiveXUI::GetClass() const { return L"ActiveX"; }

void* CActiveXUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ActiveX")) return this;
  return CControlUI::GetInterface(name);
}

UINT CActiveXUI::GetControlFlags() const { return kControlFlagTabStop; }

HWND CActiveXUI::GetNativeWindow() const { return hostWindow_; }

// --- creation --------------------------------------------------------------------------------

bool CActiveXUI::CreateControl(const wchar_t* clsidOrProgId) {
  if (clsidOrProgId == nullptr) return false;
  wchar_t text[kMaxClsidText + 1] = {};
  std::wcsncpy(text, clsidOrProgId, kMaxClsidText);
  CLSID clsid = CLSID_NULL;
  if (text[0] == L'{') {
    if (FAILED(::CLSIDFromString(text, &clsid))) clsid = CLSID_NULL;
  } else if (FAILED(::CLSIDFromProgID(text, &clsid))) {
    clsid = CLSID_NULL;
  }
  return CreateControl(clsid);
}

bool CActiveXUI::CreateControl(const CLSID& clsid) {
  if (IsZeroClsid(clsid)) return false;
  created_ = false;
  clsid_ = clsid;
  if (!delayCreate_) DoCreateControl();
  return true;
}

void CActiveXUI::SetDelayCreate(bool delayCreate) {
  if (delayCreate_ == delayCreate) return;
  if (!delayCreate && !created_ && !IsZeroClsid(clsid_)) DoCreateControl();
  delayCreate_ = delayCreate;
}

void CActiveXUI::SetModuleName(const wchar_t* moduleName) {
  moduleName_ = moduleName != nullptr ? moduleName : L"";
}

HRESULT CActiveXUI::GetControl(const IID& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!control_) return E_PENDING;
  return control_->QueryInterface(iid, out);
}

bool CActiveXUI::DoCreateControl() {
  ReleaseControl();
  created_ = true;

  Utils::ComPtr<IUnknown> object;
  if (!moduleName_.IsEmpty()) {
    Utils::UniqueLibrary module(::LoadLibraryW(moduleName_.GetData()));
    auto getClassObject =
        module ? ModuleProc<GetClassObjectProc>(module.get(), "DllGetClassObject") : nullptr;
    Utils::ComPtr<IClassFactory> factory;
    if (getClassObject != nullptr &&
        SUCCEEDED(getClassObject(clsid_, IID_IClassFactory, factory.put_void())) && factory) {
      factory->CreateInstance(nullptr, IID_IOleObject, object.put_void());
    }
    if (object) module_ = std::move(module);
  }
  if (!object &&
      FAILED(::CoCreateInstance(clsid_, nullptr, CLSCTX_ALL, IID_IOleControl, object.put_void()))) {
    return false;
  }
  control_ = object.As<IOleObject>(IID_IOleObject);
  object.reset();
  if (!control_) return false;

  site_ = new CActiveXCtrl(this);
  DWORD miscStatus = 0;
  control_->GetMiscStatus(DVASPECT_CONTENT, &miscStatus);
  Utils::ComPtr<IOleClientSite> clientSite;
  site_->QueryInterface(IID_IOleClientSite, clientSite.put_void());

  HRESULT hr = S_OK;
  const bool siteFirst = (miscStatus & OLEMISC_SETCLIENTSITEFIRST) != 0;
  if (siteFirst) control_->SetClientSite(clientSite.get());
  if (auto persist = control_.As<IPersistStreamInit>(IID_IPersistStreamInit)) {
    hr = persist->InitNew();
  }
  if (SUCCEEDED(hr)) {
    if (!siteFirst) control_->SetClientSite(clientSite.get());
    site_->QueryViewObject(control_.get());
    control_->SetHostNames(L"UIActiveX", nullptr);
    if (manager_ != nullptr) manager_->SendNotify(this, L"showactivex", 0, 0, false);
    if ((miscStatus & OLEMISC_INVISIBLEATRUNTIME) == 0) hr = ActivateInPlace();
    if (SUCCEEDED(hr)) {
      if (auto withSite = control_.As<IObjectWithSite>(IID_IObjectWithSite)) {
        hr = withSite->SetSite(clientSite.get());
      }
    }
  }
  if (FAILED(hr)) {
    // A half set-up object is not kept: the control stays empty (and created, so that the next
    // layout pass does not try again).
    CActiveXUI::ReleaseControl();
    return false;
  }
  return true;
}

HRESULT CActiveXUI::ActivateInPlace() {
  HWND window = manager_ != nullptr ? manager_->GetPaintWindow() : nullptr;
  if (window == nullptr) {
    // Made while the skin was being built: activation waits for the first placement.
    activationPending_ = true;
    return S_OK;
  }
  activationPending_ = false;
  Utils::ComPtr<IOleClientSite> clientSite;
  site_->QueryInterface(IID_IOleClientSite, clientSite.put_void());
  RECT rc = itemRect_;
  return control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite.get(), 0, window, &rc);
}

void CActiveXUI::ReleaseControl() {
  hostWindow_ = nullptr;
  activationPending_ = false;
  if (control_) {
    if (auto withSite = control_.As<IObjectWithSite>(IID_IObjectWithSite)) {
      withSite->SetSite(nullptr);
    }
    control_->Close(OLECLOSE_NOSAVE);
    control_->SetClientSite(nullptr);
    UnlockRunning();
    control_.reset();
  }
  if (site_ != nullptr) {
    CActiveXCtrl* site = site_;
    site_ = nullptr;
    site->DetachOwner();
    site->Release();
  }
  if (manager_ != nullptr) manager_->RemoveMessageFilter(this);
  if (module_) {
    // The module goes only when it says none of its objects is left; otherwise it stays loaded
    // for the life of the process.
    auto canUnloadNow = ModuleProc<CanUnloadNowProc>(module_.get(), "DllCanUnloadNow");
    if (canUnloadNow != nullptr && canUnloadNow() == S_OK) {
      module_.reset();
    } else {
      module_.release();
    }
  }
}

void CActiveXUI::UnlockRunning() {
  // OleLockRunning holds an external reference for as long as the lock lasts; without this
  // the object would outlive its release.
  if (!runningLocked_) return;
  runningLocked_ = false;
  ::OleLockRunning(control_.get(), FALSE, FALSE);
}

// --- placement and visibility ----------------------------------------------------------------

RECT CActiveXUI::ObjectRect() const {
  RECT rc = itemRect_;
  if (site_ != nullptr && !site_->IsWindowless()) {
    ::OffsetRect(&rc, -rc.left, -rc.top);
  }
  return rc;
}

void CActiveXUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  if (!created_) {
    DoCreateControl();
  } else if (activationPending_ && control_ && site_ != nullptr) {
    ActivateInPlace();
  }
  PlaceObject();
}

void CActiveXUI::PlaceObject() {
  if (!control_ || site_ == nullptr) return;
  Utils::UniqueWindowDC screen(nullptr);
  SIZEL extent = {
      PixelsToHimetric(itemRect_.right - itemRect_.left,
                       screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0),
      PixelsToHimetric(itemRect_.bottom - itemRect_.top,
                       screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0)};
  control_->SetExtent(DVASPECT_CONTENT, &extent);
  if (IOleInPlaceObject* inPlace = site_->GetInPlaceObject()) {
    const RECT objectRect = ObjectRect();
    inPlace->SetObjectRects(&objectRect, &objectRect);
  }
  PlaceHostWindow();
}

void CActiveXUI::PlaceHostWindow() {
  if (site_ == nullptr || site_->IsWindowless()) return;
  CActiveXWnd* window = site_->GetHostWindowObject();
  if (window == nullptr || window->GetHWND() == nullptr) return;
  ::MoveWindow(window->GetHWND(), itemRect_.left, itemRect_.top, itemRect_.right - itemRect_.left,
               itemRect_.bottom - itemRect_.top, TRUE);
}

void CActiveXUI::ShowHostWindow() {
  if (site_ == nullptr || site_->IsWindowless()) return;
  CActiveXWnd* window = site_->GetHostWindowObject();
  if (window == nullptr || window->GetHWND() == nullptr) return;
  ::ShowWindow(window->GetHWND(), IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::Move(SIZE offset, bool needInvalidate) {
  CControlUI::Move(offset, needInvalidate);
  PlaceHostWindow();
}

void CActiveXUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  ShowHostWindow();
}

void CActiveXUI::SetInheritedVisible(bool visible) {
  CControlUI::SetInheritedVisible(visible);
  ShowHostWindow();
}

void CActiveXUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  if (NameIs(name, L"clsid")) {
    CreateControl(value);
  } else if (NameIs(name, L"modulename")) {
    SetModuleName(value);
  } else if (NameIs(name, L"delaycreate")) {
    SetDelayCreate(ParseAttributeBool(value));
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

bool CActiveXUI::DoPaint(HDC hDC, const RECT& /*paint*/, CControlUI* /*stop*/) {
  if (site_ == nullptr || !site_->IsWindowless() || !site_->IsInPlaceActive()) return true;
  IViewObject* view = site_->GetViewObject();
  if (view == nullptr) return true;
  const RECTL bounds = {itemRect_.left, itemRect_.top, itemRect_.right, itemRect_.bottom};
  view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hDC, &bounds, nullptr, nullptr, 0);
  return true;
}

// --- windowless message routing --------------------------------------------------------------

LRESULT CActiveXUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = false;
  if (site_ == nullptr || !site_->IsInPlaceActive()) return 0;
  IOleInPlaceObjectWindowless* windowless = site_->GetWindowlessObject();
  if (windowless == nullptr) return 0;

  bool consumes = true;
  const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
  if (mouse || message == WM_SETCURSOR) {
    if (!IsMouseEnabled() || manager_ == nullptr) return 0;
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (message == WM_SETCURSOR) {
      // WM_SETCURSOR carries a hit-test code, not a point: ask where the pointer is.
      ::GetCursorPos(&pt);
      ::ScreenToClient(manager_->GetPaintWindow(), &pt);
    } else if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
      ::ScreenToClient(manager_->GetPaintWindow(), &pt);  // the wheel reports screen points
    }
    bool hit = site_->IsCaptured();
    if (!hit) {
      Utils::ComPtr<IViewObjectEx> view;
      if (IViewObject* object = site_->GetViewObject()) {
        object->QueryInterface(IID_IViewObjectEx, view.put_void());
      }
      DWORD result = HITRESULT_OUTSIDE;
      hit = view && SUCCEEDED(view->QueryHitPoint(DVASPECT_CONTENT, &itemRect_, pt, 0, &result)) &&
            result == HITRESULT_HIT;
    }
    if (!hit) return 0;
    if (IsButtonDown(message)) {
      if (!manager_->IsNoActivate()) ::SetFocus(manager_->GetPaintWindow());
      SetFocus();
    }
    consumes = message != WM_SETCURSOR;
  } else if (message >= WM_KEYFIRST && message <= WM_KEYLAST) {
    if (!IsFocused()) return 0;
  } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
    consumes = false;
  } else {
    return 0;
  }
  LRESULT result = 0;
  if (windowless->OnWindowMessage(message, wParam, lParam, &result) == S_OK) handled = consumes;
  return result;
}

}  // namespace SkinUI
