#include "ui_controls/activex/ui_web_browser.h"

#include <exdispid.h>
#include <mshtml.h>

#include "base/log.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// The system web browser control (Shell.Explorer).
constexpr CLSID kWebBrowserClsid = {
    0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
constexpr IID kWebBrowser2Iid = {
    0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};
constexpr IID kWebBrowserEvents2Iid = {
    0x34A715A0, 0x6587, 0x11D0, {0x92, 0x4A, 0x00, 0x20, 0xAF, 0xC7, 0xAC, 0x4D}};
// A document that takes a UI handler from its host.
constexpr IID kCustomDocIid = {
    0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
// The commands a document sends its host (script errors among them).
constexpr GUID kDocHostCommandHandler = {
    0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};

// A VARIANT cleared when the scope ends.
class ScopedVariant {
public:
  ScopedVariant() { ::VariantInit(&value_); }
  ~ScopedVariant() { ::VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  VARIANT* get() { return &value_; }
  // The value as text ("" when it has none).
  std::wstring Text() {
    ScopedVariant text;
    if (FAILED(::VariantChangeType(text.get(), &value_, 0, VT_BSTR)) || text.get()->bstrVal == nullptr) {
      return std::wstring();
    }
    return std::wstring(text.get()->bstrVal, ::SysStringLen(text.get()->bstrVal));
  }

private:
  VARIANT value_;
};

// Reads one property of an object by name; the HRESULT of the read.
HRESULT ReadProperty(IDispatch* object, const wchar_t* name, ScopedVariant& value) {
  DISPID id = DISPID_UNKNOWN;
  auto* names = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_SYSTEM_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  return object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none,
                        value.get(), nullptr, nullptr);
}

}  // namespace

CWebBrowserUI::CWebBrowserUI() { clsid_ = kWebBrowserClsid; }

CWebBrowserUI::~CWebBrowserUI() { CWebBrowserUI::ReleaseControl(); }

const wchar_t* CWebBrowserUI::GetClass() const { return L"WebBrowser"; }

void* CWebBrowserUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"WebBrowser")) return this;
  return CActiveXUI::GetInterface(name);
}

void CWebBrowserUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || value == nullptr) return;
  if (NameIs(name, L"homepage")) {
    SetHomePage(value);
  } else if (NameIs(name, L"autonavi")) {
    autoNavigate_ = ParseAttributeBool(value);
  } else {
    CActiveXUI::SetAttribute(name, value);
  }
}

void CWebBrowserUI::SetHomePage(const wchar_t* url) { homePage_ = url != nullptr ? url : L""; }

bool CWebBrowserUI::DoCreateControl() {
  if (!CActiveXUI::DoCreateControl()) return false;
  AddTranslator();
  GetControl(kWebBrowser2Iid, webBrowser_.put_void());
  // The sink listens before the home page is asked for: the browser announces a navigation
  // (BeforeNavigate2) before Navigate2 returns, and a sink advised after it would miss that.
  RegisterEventHandler(true);
  if (autoNavigate_ && !homePage_.IsEmpty()) Navigate2(homePage_.GetData());
  return true;
}

void CWebBrowserUI::ReleaseControl() {
  created_ = false;
  RemoveTranslator();
  RegisterEventHandler(false);
  webBrowser_.reset();
  // The browser goes with the sink: a new one (another CLSID, delay switched off) must not leave
  // the old one running.
  CActiveXUI::ReleaseControl();
}

void CWebBrowserUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
  if (manager != manager_) RemoveTranslator();
  CActiveXUI::SetManager(manager, parent, init);
  if (created_ && control_) AddTranslator();
}

void CWebBrowserUI::AddTranslator() {
  if (manager_ != nullptr && !translatorAdded_) {
    translatorAdded_ = manager_->AddAcceleratorTranslator(this);
  }
}

void CWebBrowserUI::RemoveTranslator() {
  if (translatorAdded_ && manager_ != nullptr) manager_->RemoveAcceleratorTranslator(this);
  translatorAdded_ = false;
}

void CWebBrowserUI::Navigate2(const wchar_t* url) {
  if (url == nullptr || *url == L'\0' || !webBrowser_) return;
  VARIANT target;
  ::VariantInit(&target);
  target.vt = VT_BSTR;
  target.bstrVal = ::SysAllocString(url);
  if (target.bstrVal == nullptr) return;
  webBrowser_->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
  ::VariantClear(&target);
}

HRESULT CWebBrowserUI::RegisterEventHandler(bool on) {
  if (on == (eventCookie_ != 0)) return S_OK;
  Utils::ComPtr<IWebBrowser2> browser;
  HRESULT hr = GetControl(kWebBrowser2Iid, browser.put_void());
  if (FAILED(hr) || !browser) return FAILED(hr) ? hr : E_NOINTERFACE;
  Utils::ComPtr<IConnectionPointContainer> container;
  hr = browser->QueryInterface(IID_IConnectionPointContainer, container.put_void());
  if (FAILED(hr) || !container) return FAILED(hr) ? hr : E_NOINTERFACE;
  Utils::ComPtr<IConnectionPoint> point;
  hr = container->FindConnectionPoint(kWebBrowserEvents2Iid, point.put());
  if (FAILED(hr) || !point) return FAILED(hr) ? hr : E_NOINTERFACE;
  if (on) return point->Advise(static_cast<IDispatch*>(this), &eventCookie_);
  hr = point->Unadvise(eventCookie_);
  eventCookie_ = 0;
  return hr;
}

HRESULT CWebBrowserUI::ShowMessage(HWND /*window*/, LPOLESTR /*text*/, LPOLESTR /*caption*/,
                                   DWORD /*type*/, LPOLESTR /*helpFile*/, DWORD /*helpContext*/,
                                   LRESULT* /*result*/) {
  return S_OK;
}

// --- IUnknown ------------------------------------------------------------------------------------

STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (::IsEqualIID(iid, IID_IDocHostUIHandler)) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else if (::IsEqualIID(iid, IID_IServiceProvider)) {
    *object = static_cast<IServiceProvider*>(this);
  } else if (::IsEqualIID(iid, IID_IOleCommandTarget)) {
    *object = static_cast<IOleCommandTarget*>(this);
  } else if (::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, kWebBrowserEvents2Iid) ||
             ::IsEqualIID(iid, IID_IUnknown)) {
    // One IUnknown for every part (COM identity), and the event sink under the name of the
    // events it takes.
    *object = static_cast<IDispatch*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
}

STDMETHODIMP_(ULONG) CWebBrowserUI::Release() {
  return static_cast<ULONG>(::InterlockedDecrement(&refCount_));
}

// --- IDocHostUIHandler -----------------------------------------------------------------------

STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD /*id*/, POINT* /*point*/, IUnknown* /*target*/,
                                            IDispatch* /*reserved*/) {
  return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* /*info*/) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD /*id*/, IOleInPlaceActiveObject* /*activeObject*/,
                                   IOleCommandTarget* /*commandTarget*/,
                                   IOleInPlaceFrame* /*frame*/,
                                   IOleInPlaceUIWindow* /*document*/) {
  return S_OK;
}

STDMETHODIMP CWebBrowserUI::HideUI() { return S_OK; }

STDMETHODIMP CWebBrowserUI::UpdateUI() { return S_OK; }

STDMETHODIMP CWebBrowserUI::EnableModeless(BOOL /*enable*/) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(BOOL /*activate*/) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(BOOL /*activate*/) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT /*border*/, IOleInPlaceUIWindow* /*window*/,
                                         BOOL /*frameWindow*/) {
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG /*msg*/, const GUID* /*group*/,
                                                 DWORD /*commandId*/) {
  return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD /*reserved*/) {
  if (key != nullptr) *key = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget* /*dropTarget*/,
                                          IDropTarget** replacement) {
  if (replacement != nullptr) *replacement = nullptr;
  return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** external) {
  if (external != nullptr) *external = nullptr;
  return S_FALSE;
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD /*translate*/, LPWSTR /*url*/,
                                         LPWSTR* translated) {
  if (translated != nullptr) *translated = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject* /*object*/,
                                             IDataObject** replacement) {
  if (replacement != nullptr) *replacement = nullptr;
  return E_NOTIMPL;
}

// --- IServiceProvider ------------------------------------------------------------------------

STDMETHODIMP CWebBrowserUI::QueryService(REFGUID /*service*/, REFIID /*iid*/, void** object) {
  // No service is offered, the download manager included: this control implements none, and
  // the browser keeps its own download handling.
  if (object != nullptr) *object = nullptr;
  return E_NOINTERFACE;
}

// --- IOleCommandTarget -----------------------------------------------------------------------

STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID* /*group*/, ULONG /*count*/,
                                        OLECMD* /*commands*/, OLECMDTEXT* /*text*/) {
  return OLECMDERR_E_NOTSUPPORTED;
}

STDMETHODIMP CWebBrowserUI::Exec(const GUID* group, DWORD commandId, DWORD /*options*/,
                                 VARIANT* in, VARIANT* out) {
  if (group == nullptr || !::IsEqualGUID(*group, kDocHostCommandHandler)) {
    return OLECMDERR_E_UNKNOWNGROUP;
  }
  if (commandId != OLECMDID_SHOWSCRIPTERROR) return OLECMDERR_E_NOTSUPPORTED;
  ReadScriptError(in);
  if (out == nullptr) return E_POINTER;
  // Scripts keep running and no dialog opens.
  ::VariantClear(out);
  out->vt = VT_BOOL;
  out->boolVal = VARIANT_TRUE;
  return S_OK;
}

HRESULT CWebBrowserUI::ReadScriptError(VARIANT* in) {
  if (in == nullptr || (in->vt != VT_UNKNOWN && in->vt != VT_DISPATCH) || in->punkVal == nullptr) {
    return E_INVALIDARG;
  }
  Utils::ComPtr<IHTMLDocument2> document;
  HRESULT hr = in->punkVal->QueryInterface(IID_IHTMLDocument2, document.put_void());
  if (FAILED(hr) || !document) return FAILED(hr) ? hr : E_NOINTERFACE;
  Utils::ComPtr<IHTMLWindow2> window;
  hr = document->get_parentWindow(window.put());
  if (FAILED(hr) || !window) return FAILED(hr) ? hr : E_FAIL;
  Utils::ComPtr<IHTMLEventObj> event;
  hr = window->get_event(event.put());
  if (FAILED(hr) || !event) return FAILED(hr) ? hr : E_FAIL;
  ScopedVariant line, character, code, message, url;
  ReadProperty(event.get(), L"errorLine", line);
  ReadProperty(event.get(), L"errorCharacter", character);
  ReadProperty(event.get(), L"errorCode", code);
  ReadProperty(event.get(), L"errorMessage", message);
  hr = ReadProperty(event.get(), L"errorUrl", url);
  UTILS_LOG(L"script error in %ls at %ls:%ls (code %ls): %ls\r\n", url.Text().c_str(),
            line.Text().c_str(), character.Text().c_str(), code.Text().c_str(),
            message.Text().c_str());
  return hr;
}

// --- IDispatch ---------------------------------------------------------------------------------

STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* count) {
  if (count != nullptr) *count = 0;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfo(UINT /*index*/, LCID /*locale*/, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetIDsOfNames(REFIID /*iid*/, LPOLESTR* /*names*/, UINT /*count*/,
                                          LCID /*locale*/, DISPID* /*ids*/) {
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID /*locale*/, WORD /*flags*/,
                                   DISPPARAMS* /*params*/, VARIANT* /*result*/,
                                   EXCEPINFO* /*exception*/, UINT* /*argumentError*/) {
  if (!::IsEqualIID(iid, IID_NULL)) return E_INVALIDARG;
  switch (id) {
    case DISPID_STATUSTEXTCHANGE:
    case DISPID_COMMANDSTATECHANGE:
    case DISPID_BEFORENAVIGATE2:
    case DISPID_DOCUMENTCOMPLETE:
    case DISPID_NAVIGATEERROR:
    case DISPID_NEWWINDOW3:
      return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
      OnNavigateComplete();
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

void CWebBrowserUI::OnNavigateComplete() {
  if (!webBrowser_) return;
  Utils::ComPtr<IDispatch> document;
  if (FAILED(webBrowser_->get_Document(document.put())) || !document) return;
  if (auto custom = document.As<ICustomDoc>(kCustomDocIid)) {
    custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
  }
}

// --- ITranslateAcceleratorUI -------------------------------------------------------------------

LRESULT CWebBrowserUI::TranslateAccelerator(MSG* msg) {
  if (msg == nullptr || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
  if (!webBrowser_) return E_NOTIMPL;
  HWND focus = ::GetFocus();
  if (hostWindow_ == nullptr || focus == nullptr ||
      (focus != hostWindow_ && !::IsChild(hostWindow_, focus))) {
    return S_FALSE;
  }
  auto active = webBrowser_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
  if (!active) return S_FALSE;
  return active->TranslateAccelerator(msg);
}

}  // namespace SkinUI
