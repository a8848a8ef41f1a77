// The tests' own ActiveX control (see test_control.h). It behaves as a plain in-place control
// does: it takes its client site, activates windowless when the site offers it (else in a window
// of its own inside the site's window), keeps the frame it is given until it deactivates,
// captures the pointer while its button is down, and deactivates when it is closed.
#include "test_control.h"

#include <ocidl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "base/unique_resource.h"

namespace {

using ActiveXTestControl::kChildWindowClass;
using ActiveXTestControl::kPaintColor;
using Utils::ComPtr;

HMODULE g_module = nullptr;
LONG g_liveObjects = 0;
LONG g_locks = 0;
std::mutex g_journalLock;
std::vector<std::wstring> g_journal;

void Note(const wchar_t* format, ...) {
  wchar_t line[512];
  va_list args;
  va_start(args, format);
  std::vswprintf(line, sizeof(line) / sizeof(line[0]), format, args);
  va_end(args);
  std::lock_guard<std::mutex> lock(g_journalLock);
  g_journal.emplace_back(line);
}

const wchar_t* YesNo(bool value) { return value ? L"yes" : L"no"; }

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  if (window == nullptr || ::GetClassNameW(window, name, 128) == 0) return L"none";
  return name;
}

template <typename T>
ComPtr<T> Query(IUnknown* object, REFIID iid) {
  ComPtr<T> result;
  if (object != nullptr) object->QueryInterface(iid, result.put_void());
  return result;
}

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps = {};
    HDC dc = ::BeginPaint(window, &ps);
    RECT client = {};
    ::GetClientRect(window, &client);
    Utils::UniqueBrush brush(::CreateSolidBrush(kPaintColor));
    ::FillRect(dc, &client, brush.get());
    ::EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_SETFOCUS) Note(L"child WM_SETFOCUS");
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterChildClass() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = ChildProc;
  wc.hInstance = g_module;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kChildWindowClass;
  ::RegisterClassW(&wc);
}

struct Behaviour {
  bool windowlessCapable = false;
  DWORD miscStatus = 0;
  bool failInit = false;
};

class TestControl final : public IOleObject,
                          public IOleInPlaceObjectWindowless,
                          public IViewObjectEx,
                          public IPersistStreamInit,
                          public IOleControl,
                          public IObjectWithSite {
public:
  explicit TestControl(const Behaviour& behaviour) : behaviour_(behaviour) {
    ::InterlockedIncrement(&g_liveObjects);
  }

  // --- IUnknown ---
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IOleObject)) {
      *object = static_cast<IOleObject*>(this);
    } else if (::IsEqualIID(iid, IID_IOleWindow) || ::IsEqualIID(iid, IID_IOleInPlaceObject) ||
               (behaviour_.windowlessCapable &&
                ::IsEqualIID(iid, IID_IOleInPlaceObjectWindowless))) {
      *object = static_cast<IOleInPlaceObjectWindowless*>(this);
    } else if (::IsEqualIID(iid, IID_IViewObject) || ::IsEqualIID(iid, IID_IViewObject2) ||
               ::IsEqualIID(iid, IID_IViewObjectEx)) {
      *object = static_cast<IViewObjectEx*>(this);
    } else if (::IsEqualIID(iid, IID_IPersist) || ::IsEqualIID(iid, IID_IPersistStreamInit)) {
      *object = static_cast<IPersistStreamInit*>(this);
    } else if (::IsEqualIID(iid, IID_IOleControl)) {
      *object = static_cast<IOleControl*>(this);
    } else if (::IsEqualIID(iid, IID_IObjectWithSite)) {
      *object = static_cast<IObjectWithSite*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }

  // --- IOleObject ---
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    Note(L"SetClientSite %ls", site != nullptr ? L"set" : L"null");
    if (site != nullptr) site->AddRef();
    clientSite_.reset(site);
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite** site) override {
    if (site == nullptr) return E_POINTER;
    *site = clientSite_.get();
    if (*site != nullptr) (*site)->AddRef();
    return S_OK;
  }
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR /*object*/) override {
    Note(L"SetHostNames %ls", app != nullptr ? app : L"(null)");
    return S_OK;
  }
  STDMETHODIMP Close(DWORD option) override {
    Note(L"Close %lu", option);
    InPlaceDeactivate();
    return S_OK;
  }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                      LPCRECT rect) override {
    Note(L"DoVerb %ld parent=%ls rect=%ld,%ld,%ld,%ld", verb, ClassOf(parent).c_str(),
         rect != nullptr ? rect->left : -1, rect != nullptr ? rect->top : -1,
         rect != nullptr ? rect->right : -1, rect != nullptr ? rect->bottom : -1);
    if (site != nullptr && site != clientSite_.get()) SetClientSite(site);
    switch (verb) {
      case OLEIVERB_INPLACEACTIVATE:
      case OLEIVERB_SHOW:
        return Activate();
      case OLEIVERB_UIACTIVATE: {
        const HRESULT hr = Activate();
        if (FAILED(hr)) return hr;
        if (!uiActive_ && inPlaceSite_) {
          uiActive_ = true;
          Note(L"OnUIActivate hr=%08lx", static_cast<unsigned long>(inPlaceSite_->OnUIActivate()));
        }
        return S_OK;
      }
      default:
        return OLEOBJ_S_INVALIDVERB;
    }
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override {
    if (verbs != nullptr) *verbs = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR* type) override {
    if (type != nullptr) *type = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
    if (size == nullptr) return E_POINTER;
    Note(L"SetExtent %lu %ld,%ld", aspect, size->cx, size->cy);
    extent_ = *size;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD, SIZEL* size) override {
    if (size == nullptr) return E_POINTER;
    *size = extent_;
    return S_OK;
  }
  STDMETHODIMP Advise(IAdviseSink*, DWORD* connection) override {
    if (connection != nullptr) *connection = 0;
    return E_NOTIMPL;
  }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override {
    if (advise != nullptr) *advise = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    if (status == nullptr) return E_POINTER;
    *status = behaviour_.miscStatus;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // --- IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless ---
  STDMETHODIMP GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = child_.get();
    return child_ ? S_OK : E_FAIL;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return S_OK; }
  STDMETHODIMP InPlaceDeactivate() override {
    if (!active_) return S_OK;
    active_ = false;
    uiActive_ = false;
    child_.reset();
    frame_.reset();
    if (auto windowless = Query<IOleInPlaceSiteWindowless>(inPlaceSite_.get(),
                                                           IID_IOleInPlaceSiteWindowless);
        windowless && windowless_) {
      Note(L"OnInPlaceDeactivateEx hr=%08lx",
           static_cast<unsigned long>(windowless->OnInPlaceDeactivateEx(TRUE)));
    } else if (inPlaceSite_) {
      Note(L"OnInPlaceDeactivate hr=%08lx",
           static_cast<unsigned long>(inPlaceSite_->OnInPlaceDeactivate()));
    }
    inPlaceSite_.reset();
    windowless_ = false;
    return S_OK;
  }
  STDMETHODIMP UIDeactivate() override {
    uiActive_ = false;
    return S_OK;
  }
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override {
    if (position == nullptr || clip == nullptr) return E_POINTER;
    Note(L"SetObjectRects %ld,%ld,%ld,%ld", position->left, position->top, position->right,
         position->bottom);
    position_ = *position;
    if (child_) {
      ::MoveWindow(child_.get(), position->left, position->top, position->right - position->left,
                   position->bottom - position->top, TRUE);
    }
    return S_OK;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnWindowMessage(UINT message, WPARAM, LPARAM, LRESULT* result) override {
    if (result != nullptr) *result = 0;
    Note(L"OnWindowMessage %04x", message);
    auto site = Query<IOleInPlaceSiteWindowless>(clientSite_.get(), IID_IOleInPlaceSiteWindowless);
    if (site && message == WM_LBUTTONDOWN) {
      site->SetCapture(TRUE);
      site->SetFocus(TRUE);
      Note(L"GetCapture %08lx GetFocus %08lx", static_cast<unsigned long>(site->GetCapture()),
           static_cast<unsigned long>(site->GetFocus()));
    } else if (site && message == WM_LBUTTONUP) {
      site->SetCapture(FALSE);
      Note(L"GetCapture %08lx", static_cast<unsigned long>(site->GetCapture()));
    }
    return S_OK;
  }
  STDMETHODIMP GetDropTarget(IDropTarget** target) override {
    if (target != nullptr) *target = nullptr;
    return E_NOTIMPL;
  }

  // --- IViewObject, IViewObject2, IViewObjectEx ---
  STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                    LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override {
    if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
    Note(L"Draw %lu %ld,%ld,%ld,%ld", aspect, bounds->left, bounds->top, bounds->right,
         bounds->bottom);
    const RECT rc = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    Utils::UniqueBrush brush(::CreateSolidBrush(kPaintColor));
    ::FillRect(dc, &rc, brush.get());
    return S_OK;
  }
  STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) override {
    if (set != nullptr) *set = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
  STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink** sink) override {
    if (sink != nullptr) *sink = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetExtent(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
    if (size == nullptr) return E_POINTER;
    *size = extent_;
    return S_OK;
  }
  STDMETHODIMP GetRect(DWORD, LPRECTL) override { return E_NOTIMPL; }
  STDMETHODIMP GetViewStatus(DWORD* status) override {
    if (status == nullptr) return E_POINTER;
    *status = VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND;
    return S_OK;
  }
  STDMETHODIMP QueryHitPoint(DWORD, LPCRECT bounds, POINT point, LONG, DWORD* result) override {
    if (bounds == nullptr || result == nullptr) return E_POINTER;
    *result = ::PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
  }
  STDMETHODIMP QueryHitRect(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*,
                                LPSIZEL) override {
    return E_NOTIMPL;
  }

  // --- IPersist, IPersistStreamInit ---
  STDMETHODIMP GetClassID(CLSID* clsid) override {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_NULL;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(LPSTREAM) override { return E_NOTIMPL; }
  STDMETHODIMP Save(LPSTREAM, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP InitNew() override {
    Note(L"InitNew client site %ls", YesNo(clientSite_.get() != nullptr));
    return behaviour_.failInit ? E_FAIL : S_OK;
  }

  // --- IOleControl ---
  STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
  STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
  STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
  STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

  // --- IObjectWithSite ---
  STDMETHODIMP SetSite(IUnknown* site) override {
    Note(L"SetSite %ls", site != nullptr ? L"set" : L"null");
    if (site != nullptr) site->AddRef();
    outerSite_.reset(site);
    return S_OK;
  }
  STDMETHODIMP GetSite(REFIID iid, void** site) override {
    if (site == nullptr) return E_POINTER;
    *site = nullptr;
    return outerSite_ ? outerSite_->QueryInterface(iid, site) : E_FAIL;
  }

private:
  ~TestControl() {
    ::InterlockedDecrement(&g_liveObjects);
  }

  // Activation as a control does it: windowless when the site offers it and says yes, else in
  // a window of its own; then the window, the frame and the container it is given.
  HRESULT Activate() {
    if (active_) return S_OK;
    if (!clientSite_) return E_UNEXPECTED;
    HRESULT hr = E_FAIL;
    if (behaviour_.windowlessCapable) {
      auto windowless = Query<IOleInPlaceSiteWindowless>(clientSite_.get(),
                                                         IID_IOleInPlaceSiteWindowless);
      Note(L"site IOleInPlaceSiteWindowless %ls", YesNo(static_cast<bool>(windowless)));
      if (windowless && windowless->CanWindowlessActivate() == S_OK) {
        BOOL noRedraw = FALSE;
        hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        Note(L"OnInPlaceActivateEx windowless hr=%08lx", static_cast<unsigned long>(hr));
        if (SUCCEEDED(hr)) {
          windowless_ = true;
          inPlaceSite_.reset(windowless.release());
        }
      }
    }
    if (!windowless_) {
      auto site = Query<IOleInPlaceSite>(clientSite_.get(), IID_IOleInPlaceSite);
      Note(L"site IOleInPlaceSite %ls", YesNo(static_cast<bool>(site)));
      if (!site) return E_NOINTERFACE;
      hr = site->CanInPlaceActivate();
      Note(L"CanInPlaceActivate hr=%08lx", static_cast<unsigned long>(hr));
      if (hr != S_OK) return E_FAIL;
      hr = site->OnInPlaceActivate();
      Note(L"OnInPlaceActivate hr=%08lx", static_cast<unsigned long>(hr));
      if (FAILED(hr)) return hr;
      inPlaceSite_ = site;
    }
    active_ = true;

    HWND parent = nullptr;
    hr = inPlaceSite_->GetWindow(&parent);
    Note(L"GetWindow hr=%08lx class=%ls", static_cast<unsigned long>(hr), ClassOf(parent).c_str());
    LookAtWindowContext();
    if (windowless_) {
      TryForeignDC();
    } else if (parent != nullptr) {
      RegisterChildClass();
      child_.reset(::CreateWindowExW(0, kChildWindowClass, L"", WS_CHILD | WS_VISIBLE,
                                     position_.left, position_.top,
                                     position_.right - position_.left,
                                     position_.bottom - position_.top, parent, nullptr, g_module,
                                     nullptr));
      Note(L"child window %ls", YesNo(static_cast<bool>(child_)));
    }
    LookAtContainer();
    Note(L"site IOleControlSite %ls",
         YesNo(static_cast<bool>(Query<IOleControlSite>(clientSite_.get(), IID_IOleControlSite))));
    return S_OK;
  }

  void LookAtWindowContext() {
    ComPtr<IOleInPlaceUIWindow> document;
    RECT clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof(info);
    const HRESULT hr =
        inPlaceSite_->GetWindowContext(frame_.put(), document.put(), &position_, &clip, &info);
    Note(L"GetWindowContext hr=%08lx cb=%u sizeof=%u mdi=%d accel=%ls entries=%u frame=%ls "
         L"position=%ld,%ld,%ld,%ld document=%ls",
         static_cast<unsigned long>(hr), info.cb, static_cast<unsigned>(sizeof(info)),
         info.fMDIApp, YesNo(info.haccel != nullptr), info.cAccelEntries,
         ClassOf(info.hwndFrame).c_str(), position_.left, position_.top, position_.right,
         position_.bottom, YesNo(static_cast<bool>(document)));
    if (!frame_) return;
    HWND frameWindow = nullptr;
    frame_->GetWindow(&frameWindow);
    BORDERWIDTHS widths = {};
    Note(L"frame window=%ls RequestBorderSpace hr=%08lx", ClassOf(frameWindow).c_str(),
         static_cast<unsigned long>(frame_->RequestBorderSpace(&widths)));
  }

  void TryForeignDC() {
    auto windowless = Query<IOleInPlaceSiteWindowless>(inPlaceSite_.get(),
                                                       IID_IOleInPlaceSiteWindowless);
    HDC dc = reinterpret_cast<HDC>(static_cast<INT_PTR>(-1));  // must be overwritten
    const HRESULT hr = windowless->GetDC(nullptr, OLEDC_PAINTBKGND, &dc);
    Note(L"GetDC hr=%08lx dc=%ls", static_cast<unsigned long>(hr),
         dc == nullptr ? L"null" : L"set");
    if (SUCCEEDED(hr) && dc != nullptr) windowless->ReleaseDC(dc);
    Note(L"InvalidateRect hr=%08lx",
         static_cast<unsigned long>(windowless->InvalidateRect(nullptr, FALSE)));
  }

  void LookAtContainer() {
    ComPtr<IOleContainer> container;
    const HRESULT hr = clientSite_->GetContainer(container.put());
    Note(L"GetContainer hr=%08lx", static_cast<unsigned long>(hr));
    if (!container) return;
    ComPtr<IEnumUnknown> objects;
    container->EnumObjects(OLECONTF_EMBEDDINGS, objects.put());
    if (!objects) return;
    IUnknown* items[2] = {};
    ULONG fetched = 0;
    const HRESULT next = objects->Next(2, items, &fetched);
    auto self = Query<IUnknown>(static_cast<IOleObject*>(this), IID_IUnknown);
    Note(L"EnumObjects hr=%08lx fetched=%lu me=%ls", static_cast<unsigned long>(next), fetched,
         YesNo(fetched == 1 && items[0] == self.get()));
    for (ULONG i = 0; i < fetched; ++i) items[i]->Release();
  }

  LONG refCount_ = 1;
  Behaviour behaviour_;
  ComPtr<IOleClientSite> clientSite_;
  ComPtr<IOleInPlaceSite> inPlaceSite_;
  ComPtr<IOleInPlaceFrame> frame_;
  ComPtr<IUnknown> outerSite_;
  Utils::UniqueWindow child_;
  RECT position_ = {};
  SIZEL extent_ = {};
  bool active_ = false;
  bool uiActive_ = false;
  bool windowless_ = false;
};

class Factory final : public IClassFactory {
public:
  explicit Factory(const Behaviour& behaviour) : behaviour_(behaviour) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG count = ::InterlockedDecrement(&refCount_);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* control = new TestControl(behaviour_);
    const HRESULT hr = control->QueryInterface(iid, object);
    control->Release();
    Note(L"CreateInstance hr=%08lx", static_cast<unsigned long>(hr));
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ::InterlockedIncrement(&g_locks);
    } else {
      ::InterlockedDecrement(&g_locks);
    }
    return S_OK;
  }

private:
  ~Factory() = default;
  LONG refCount_ = 1;
  Behaviour behaviour_;
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  Behaviour behaviour;
  if (::IsEqualCLSID(clsid, ActiveXTestControl::kWindowlessClsid)) {
    behaviour.windowlessCapable = true;
  } else if (::IsEqualCLSID(clsid, ActiveXTestControl::kWindowedClsid)) {
  } else if (::IsEqualCLSID(clsid, ActiveXTestControl::kInvisibleClsid)) {
    behaviour.miscStatus = OLEMISC_INVISIBLEATRUNTIME | OLEMISC_SETCLIENTSITEFIRST;
  } else if (::IsEqualCLSID(clsid, ActiveXTestControl::kFailingInitClsid)) {
    behaviour.failInit = true;
  } else {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new Factory(behaviour);
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return g_liveObjects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

extern "C" int __cdecl TestControlJournal(wchar_t* buffer, int size) {
  std::wstring text;
  {
    std::lock_guard<std::mutex> lock(g_journalLock);
    for (const std::wstring& line : g_journal) text += line + L"\n";
  }
  if (buffer != nullptr && size > 0) {
    const size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    text.copy(buffer, count);
    buffer[count] = L'\0';
  }
  return static_cast<int>(text.size());
}

extern "C" void __cdecl TestControlClearJournal() {
  std::lock_guard<std::mutex> lock(g_journalLock);
  g_journal.clear();
}

extern "C" LONG __cdecl TestControlLiveObjects() { return g_liveObjects; }
