// The web browser control with Wine's own browser object: made from a skin or in code, sent to a
// local file and to the package server, the events it receives through its sink (in order, with
// their parameters), its answers as the document's host, keys while it has the focus, and what
// it gives back when it is released or its window closes.
//
// Wine's browser has no HTML engine here: every navigation ends in NavigateError (the document
// cannot be made), so there is no NavigateComplete2, DocumentComplete or document, and what a
// document asks of its host (the UI handler, script errors) cannot be seen from a real page.
#include <gtest/gtest.h>

#include <docobj.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <string>
#include <vector>

#include "activex_fixture.h"
#include "package_server.h"
#include "test_support.h"
#include "ui_controls/activex/ui_web_browser.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ActiveXTest::HostWindow;
using ActiveXTest::ReleaseAndCount;
using ActiveXTest::SameObject;
using Utils::ComPtr;

constexpr wchar_t kBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
constexpr GUID kDocHostCommandHandler = {
    0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
constexpr GUID kDownloadManagerService = {
    0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};
// How long a navigation may take to end under Wine on a busy machine (a limit, not a pause).
constexpr DWORD kNavigationLimitMs = 60000;

const char kPage[] = "<html><head><title>t</title></head><body>page</body></html>";

// The text of one event parameter; a by-reference variant is followed to its value.
std::wstring ParameterText(const VARIANT& parameter) {
  const VARIANT* value = &parameter;
  if (parameter.vt == (VT_BYREF | VT_VARIANT) && parameter.pvarVal != nullptr) {
    value = parameter.pvarVal;
  }
  if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN) {
    return value->punkVal != nullptr ? L"object" : L"null";
  }
  VARIANT text;
  ::VariantInit(&text);
  std::wstring result;
  if (SUCCEEDED(::VariantChangeType(&text, const_cast<VARIANT*>(value), 0, VT_BSTR)) &&
      text.bstrVal != nullptr) {
    result.assign(text.bstrVal, ::SysStringLen(text.bstrVal));
  }
  ::VariantClear(&text);
  return result;
}

struct BrowserEvent {
  DISPID id = 0;
  std::vector<std::wstring> parameters;  // in the order the event declares them
  HRESULT answer = S_OK;
};

// The control itself, recording what its event sink receives and what it answers.
class RecordingBrowser : public SkinUI::CWebBrowserUI {
public:
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    BrowserEvent event;
    event.id = id;
    if (params != nullptr) {
      // The parameters come last first.
      for (UINT i = params->cArgs; i > 0; --i) {
        event.parameters.push_back(ParameterText(params->rgvarg[i - 1]));
      }
    }
    event.answer = CWebBrowserUI::Invoke(id, iid, locale, flags, params, result, exception,
                                         argumentError);
    events.push_back(event);
    return event.answer;
  }

  std::vector<DISPID> Ids() const {
    std::vector<DISPID> ids;
    for (const BrowserEvent& event : events) ids.push_back(event.id);
    return ids;
  }
  const BrowserEvent* Find(DISPID id) const {
    for (const BrowserEvent& event : events) {
      if (event.id == id) return &event;
    }
    return nullptr;
  }
  // A navigation ends with its document or with an error.
  bool NavigationEnded() const {
    return Find(DISPID_DOCUMENTCOMPLETE) != nullptr || Find(DISPID_NAVIGATEERROR) != nullptr;
  }
  ULONG ComReferences() {
    AddRef();
    return Release();
  }

  std::vector<BrowserEvent> events;
};

// "250(object,url,...)=0 ..." for failure messages.
std::string EventsText(const RecordingBrowser& browser) {
  std::wstring text;
  for (const BrowserEvent& event : browser.events) {
    text += std::to_wstring(event.id) + L"(";
    for (size_t i = 0; i < event.parameters.size(); ++i) {
      text += (i > 0 ? L"," : L"") + event.parameters[i];
    }
    text += L")=" + std::to_wstring(static_cast<unsigned long>(event.answer)) + L" ";
  }
  return TestSupport::ToUtf8(text);
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// "file:///C:/dir/page.html" for a Windows path.
std::wstring FileUrl(std::wstring path) {
  for (wchar_t& ch : path) {
    if (ch == L'\\') ch = L'/';
  }
  return L"file:///" + path;
}

class WebBrowserTest : public ::testing::Test {
protected:
  RecordingBrowser* AddBrowser(const std::wstring& homePage, bool autoNavigate) {
    auto* browser = window_.Add(new RecordingBrowser(), 200, L"browser");
    browser->SetAttribute(L"homepage", homePage.c_str());
    browser->SetAttribute(L"autonavi", autoNavigate ? L"true" : L"false");
    return browser;
  }

  // Checks the events of one navigation to url: it starts with BeforeNavigate2 for the URL and
  // ends with the document (NavigationComplete2 before DocumentComplete) or with an error, and
  // the sink answers what it handles.
  static void ExpectNavigation(const RecordingBrowser& browser, const std::wstring& urlPart) {
    SCOPED_TRACE("events: " + EventsText(browser));
    ASSERT_FALSE(browser.events.empty());
    const BrowserEvent& first = browser.events.front();
    EXPECT_EQ(first.id, DISPID_BEFORENAVIGATE2);
    ASSERT_EQ(first.parameters.size(), 7u) << "browser, URL, flags, frame, post data, headers, cancel";
    EXPECT_EQ(first.parameters[0], L"object");
    EXPECT_TRUE(Contains(first.parameters[1], urlPart)) << TestSupport::ToUtf8(first.parameters[1]);
    EXPECT_EQ(first.parameters[6], L"0") << "not cancelled";

    const BrowserEvent& last = browser.events.back();
    if (last.id == DISPID_NAVIGATEERROR) {
      // Without an HTML engine the document cannot be made: the error names the URL and a code.
      ASSERT_EQ(last.parameters.size(), 5u) << "browser, URL, frame, status, cancel";
      EXPECT_TRUE(Contains(last.parameters[1], urlPart)) << TestSupport::ToUtf8(last.parameters[1]);
      EXPECT_NE(last.parameters[3], L"0");
      EXPECT_NE(last.parameters[3], L"");
    } else {
      ASSERT_EQ(last.id, DISPID_DOCUMENTCOMPLETE);
      ASSERT_NE(browser.Find(DISPID_NAVIGATECOMPLETE2), nullptr);
      EXPECT_TRUE(Contains(last.parameters.at(1), urlPart));
    }
    for (const BrowserEvent& event : browser.events) {
      switch (event.id) {
        case DISPID_STATUSTEXTCHANGE:
        case DISPID_COMMANDSTATECHANGE:
        case DISPID_BEFORENAVIGATE2:
        case DISPID_NAVIGATECOMPLETE2:
        case DISPID_DOCUMENTCOMPLETE:
        case DISPID_NAVIGATEERROR:
        case DISPID_NEWWINDOW3:
          EXPECT_EQ(event.answer, S_OK) << event.id;
          break;
        default:
          EXPECT_EQ(event.answer, DISP_E_MEMBERNOTFOUND) << event.id;
      }
    }
  }

  ActiveXTest::ComScope com_;
  HostWindow window_;
};

TEST_F(WebBrowserTest, SkinMakesTheBrowserThatGoesHomeAndClosingTheWindowReleasesIt) {
  PackageServer::Server server;
  ASSERT_TRUE(server.Start());
  server.AddFile("/home.html", kPage);
  const std::wstring home = TestSupport::FromUtf8(server.Url("/home.html"));
  const std::wstring xml = L"<Window size=\"400,300\"><VerticalLayout>"
                           L"<WebBrowser name=\"web\" height=\"200\" autonavi=\"true\" homepage=\"" +
                           home + L"\"/></VerticalLayout></Window>";
  ASSERT_NE(window_.AttachSkin(xml.c_str()), nullptr);
  SkinUI::CControlUI* found = window_.manager().FindControl(L"web");
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found->GetClass(), L"WebBrowser");
  auto* browser = static_cast<SkinUI::CWebBrowserUI*>(found->GetInterface(L"WebBrowser"));
  ASSERT_NE(browser, nullptr);
  EXPECT_NE(found->GetInterface(L"ActiveX"), nullptr);
  EXPECT_EQ(ActiveXTest::ClsidText(browser->GetClsid()), kBrowserClsid);
  EXPECT_EQ(std::wstring(browser->GetHomePage().GetData()), home);
  EXPECT_TRUE(browser->IsAutoNavigate());
  EXPECT_TRUE(browser->IsCreated());
  ASSERT_NE(browser->GetWebBrowser2(), nullptr) << "Wine's ieframe.dll makes the browser";

  // The browser asks the server for the home page.
  EXPECT_TRUE(TestSupport::PumpUntil(
      [&] { return server.CountRequests("GET", "/home.html") >= 1; }, kNavigationLimitMs));

  ComPtr<IWebBrowser2> held;
  browser->GetWebBrowser2()->AddRef();
  held.reset(browser->GetWebBrowser2());
  window_.Close();
  // A download still under way holds the browser until it has wound down.
  auto othersHold = [&held] {
    held->AddRef();
    return held->Release() > 1;
  };
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return !othersHold(); }, kNavigationLimitMs));
  EXPECT_EQ(ReleaseAndCount(held), 0u) << "nobody else holds the browser";
}

TEST_F(WebBrowserTest, LocalFileNavigationDeliversItsEventsInOrder) {
  TestSupport::ScratchDir dir(L"web");
  const std::wstring page = dir.File(L"page.html");
  ASSERT_TRUE(TestSupport::WriteBytes(page, kPage));
  RecordingBrowser* browser = AddBrowser(FileUrl(page), true);
  window_.Attach();
  ASSERT_NE(browser->GetWebBrowser2(), nullptr);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return browser->NavigationEnded(); },
                                     kNavigationLimitMs))
      << EventsText(*browser);
  ExpectNavigation(*browser, L"page.html");
}

TEST_F(WebBrowserTest, PackageServerNavigationRequestsThePageAndDeliversItsEvents) {
  PackageServer::Server server;
  ASSERT_TRUE(server.Start());
  server.AddFile("/pages/index.html", kPage);
  RecordingBrowser* browser = AddBrowser(L"", false);
  window_.Attach();
  ASSERT_NE(browser->GetWebBrowser2(), nullptr);
  EXPECT_TRUE(browser->events.empty()) << "no home page, no navigation";

  const std::wstring url = TestSupport::FromUtf8(server.Url("/pages/index.html"));
  browser->Navigate2(url.c_str());
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return browser->NavigationEnded(); },
                                     kNavigationLimitMs))
      << EventsText(*browser) << " requests " << server.CountRequests("");
  ExpectNavigation(*browser, url);
  EXPECT_EQ(browser->events.front().parameters[1], url);
  EXPECT_GE(server.CountRequests("GET", "/pages/index.html"), 1u);
}

TEST_F(WebBrowserTest, HomePageIsVisitedOnlyWhenAskedAndPresent) {
  struct Case {
    const wchar_t* homePage;
    bool autoNavigate;
    bool navigates;
  };
  const Case cases[] = {
      {L"", true, false},
      {L"about:blank", false, false},
      {L"about:blank", true, true},
  };
  for (const Case& c : cases) {
    HostWindow window;
    auto* browser = window.Add(new RecordingBrowser(), 200);
    browser->SetAttribute(L"homepage", c.homePage);
    browser->SetAttribute(L"autonavi", c.autoNavigate ? L"true" : L"false");
    window.Attach();
    EXPECT_TRUE(browser->IsCreated());
    EXPECT_NE(browser->GetWebBrowser2(), nullptr);
    // The browser announces a navigation before Navigate2 returns.
    EXPECT_EQ(browser->Find(DISPID_BEFORENAVIGATE2) != nullptr, c.navigates)
        << TestSupport::ToUtf8(c.homePage) << " autonavi " << c.autoNavigate;
    if (c.navigates) {
      EXPECT_TRUE(TestSupport::PumpUntil([&] { return browser->NavigationEnded(); },
                                         kNavigationLimitMs))
          << EventsText(*browser);
    }
  }
}

TEST_F(WebBrowserTest, ReleaseUnadvisesTheSinkAndGivesBackTheBrowser) {
  RecordingBrowser* browser = AddBrowser(L"", false);
  window_.Attach();
  ASSERT_NE(browser->GetWebBrowser2(), nullptr);
  EXPECT_GT(browser->ComReferences(), 0u) << "the browser holds the event sink";
  ComPtr<IWebBrowser2> held;
  browser->GetWebBrowser2()->AddRef();
  held.reset(browser->GetWebBrowser2());

  browser->ReleaseControl();
  EXPECT_EQ(browser->GetWebBrowser2(), nullptr);
  EXPECT_FALSE(browser->IsCreated());
  EXPECT_EQ(browser->ComReferences(), 0u) << "nothing holds a part of the control any more";
  EXPECT_EQ(ReleaseAndCount(held), 0u);
}

TEST_F(WebBrowserTest, KeysGoToTheBrowserOnlyWhileTheFocusIsInIt) {
  RecordingBrowser* browser = AddBrowser(L"", false);
  // An unrelated native window of the same skinned window.
  Utils::UniqueWindow other(::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 250, 100,
                                              20, window_.hwnd(), nullptr, nullptr, nullptr));
  ASSERT_TRUE(other);
  window_.Attach();
  ASSERT_NE(browser->GetWebBrowser2(), nullptr);
  HWND host = browser->GetNativeWindow();
  ASSERT_NE(host, nullptr);
  EXPECT_NE(host, window_.hwnd()) << "Wine's browser lives in a host window of its own";

  MSG key = {};
  key.hwnd = host;
  key.message = WM_KEYDOWN;
  key.wParam = VK_TAB;
  MSG move = key;
  move.message = WM_MOUSEMOVE;
  move.wParam = 0;

  ::SetFocus(other.get());
  ASSERT_EQ(::GetFocus(), other.get());
  EXPECT_EQ(browser->TranslateAccelerator(&key), S_FALSE);
  EXPECT_FALSE(window_.manager().TranslateAccelerator(&key));

  ::SetFocus(host);
  ASSERT_EQ(::GetFocus(), host);
  EXPECT_EQ(browser->TranslateAccelerator(&move), S_FALSE) << "not a key";
  // A key with the focus inside goes to the browser, and its answer comes back.
  ComPtr<IOleInPlaceActiveObject> object;
  ASSERT_EQ(browser->GetControl(IID_IOleInPlaceActiveObject, object.put_void()), S_OK);
  const HRESULT expected = object->TranslateAccelerator(&key);
  EXPECT_EQ(browser->TranslateAccelerator(&key), expected);
  EXPECT_EQ(window_.manager().TranslateAccelerator(&key), expected == S_OK);

  // Without a browser there is nothing to translate with.
  browser->ReleaseControl();
  EXPECT_EQ(browser->TranslateAccelerator(&key), E_NOTIMPL);
  EXPECT_FALSE(window_.manager().TranslateAccelerator(&key)) << "no longer a translator";
}

// --- the control's answers as the browser's host, without a browser -----------------------------

class BrowserHostTest : public ::testing::Test {
protected:
  ActiveXTest::ComScope com_;
  RecordingBrowser browser_;
};

TEST_F(BrowserHostTest, EveryPartAnswersForOneObject) {
  IUnknown* identity = nullptr;
  ASSERT_EQ(browser_.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  const IID* parts[] = {&IID_IDispatch, &DIID_DWebBrowserEvents2, &IID_IDocHostUIHandler,
                        &IID_IServiceProvider, &IID_IOleCommandTarget};
  for (const IID* iid : parts) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(browser_.QueryInterface(*iid, part.put_void()), S_OK) << ActiveXTest::ClsidText(*iid);
    EXPECT_TRUE(SameObject(part.get(), identity)) << ActiveXTest::ClsidText(*iid);
  }
  ComPtr<IUnknown> sink;
  browser_.QueryInterface(DIID_DWebBrowserEvents2, sink.put_void());
  EXPECT_EQ(sink.get(), static_cast<IDispatch*>(&browser_)) << "the events go to the sink";
  sink.reset();
  for (const IID* iid : {&IID_IOleObject, &IID_IOleClientSite, &IID_IConnectionPoint}) {
    ComPtr<IUnknown> none;
    EXPECT_EQ(browser_.QueryInterface(*iid, none.put_void()), E_NOINTERFACE);
    EXPECT_FALSE(none);
  }
  EXPECT_EQ(browser_.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  identity->Release();
  EXPECT_EQ(browser_.ComReferences(), 0u) << "every reference came back";
}

TEST_F(BrowserHostTest, SinkAnswersTheEventsItHandles) {
  struct Case {
    DISPID id;
    HRESULT answer;
  };
  const Case cases[] = {
      {DISPID_STATUSTEXTCHANGE, S_OK},     {DISPID_COMMANDSTATECHANGE, S_OK},
      {DISPID_BEFORENAVIGATE2, S_OK},      {DISPID_NAVIGATECOMPLETE2, S_OK},
      {DISPID_DOCUMENTCOMPLETE, S_OK},     {DISPID_NAVIGATEERROR, S_OK},
      {DISPID_NEWWINDOW3, S_OK},           {DISPID_DOWNLOADBEGIN, DISP_E_MEMBERNOTFOUND},
      {DISPID_DOWNLOADCOMPLETE, DISP_E_MEMBERNOTFOUND}, {12345, DISP_E_MEMBERNOTFOUND},
  };
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  for (const Case& c : cases) {
    EXPECT_EQ(browser_.Invoke(c.id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &none,
                              nullptr, nullptr, nullptr),
              c.answer)
        << c.id;
    EXPECT_EQ(browser_.Invoke(c.id, IID_IDispatch, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &none,
                              nullptr, nullptr, nullptr),
              E_INVALIDARG)
        << c.id;
  }
  UINT count = 7;
  EXPECT_EQ(browser_.GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(count, 0u);
  ComPtr<ITypeInfo> info;
  EXPECT_EQ(browser_.GetTypeInfo(0, LOCALE_SYSTEM_DEFAULT, info.put()), E_NOTIMPL);
}

TEST_F(BrowserHostTest, ScriptErrorsOpenNoDialogAndKeepScriptsRunning) {
  VARIANT out;
  ::VariantInit(&out);
  VARIANT in;
  ::VariantInit(&in);
  EXPECT_EQ(browser_.Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, &in, &out), S_OK);
  EXPECT_EQ(out.vt, VT_BOOL);
  EXPECT_EQ(out.boolVal, VARIANT_TRUE);
  EXPECT_EQ(browser_.Exec(&kDocHostCommandHandler, OLECMDID_SHOWSCRIPTERROR, 0, nullptr, nullptr),
            E_POINTER);

  struct Case {
    const GUID* group;
    DWORD command;
    HRESULT answer;
  };
  const Case cases[] = {
      {nullptr, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP},
      {&IID_IDispatch, OLECMDID_SHOWSCRIPTERROR, OLECMDERR_E_UNKNOWNGROUP},
      {&kDocHostCommandHandler, OLECMDID_REFRESH, OLECMDERR_E_NOTSUPPORTED},
  };
  for (const Case& c : cases) {
    VARIANT untouched;
    ::VariantInit(&untouched);
    EXPECT_EQ(browser_.Exec(c.group, c.command, 0, nullptr, &untouched), c.answer) << c.command;
    EXPECT_EQ(untouched.vt, VT_EMPTY);
  }
  OLECMD command = {OLECMDID_SHOWSCRIPTERROR, 0};
  EXPECT_EQ(browser_.QueryStatus(&kDocHostCommandHandler, 1, &command, nullptr),
            OLECMDERR_E_NOTSUPPORTED);
}

TEST_F(BrowserHostTest, DocumentHostLeavesTheBrowsersOwnBehaviourAlone) {
  EXPECT_EQ(browser_.ShowContextMenu(0, nullptr, nullptr, nullptr), S_FALSE);
  EXPECT_EQ(browser_.GetHostInfo(nullptr), E_NOTIMPL);
  EXPECT_EQ(browser_.ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(browser_.HideUI(), S_OK);
  EXPECT_EQ(browser_.UpdateUI(), S_OK);
  EXPECT_EQ(browser_.EnableModeless(TRUE), E_NOTIMPL);
  EXPECT_EQ(browser_.OnDocWindowActivate(TRUE), E_NOTIMPL);
  EXPECT_EQ(browser_.OnFrameWindowActivate(TRUE), E_NOTIMPL);
  EXPECT_EQ(browser_.ResizeBorder(nullptr, nullptr, FALSE), E_NOTIMPL);
  MSG msg = {};
  EXPECT_EQ(browser_.TranslateAccelerator(&msg, nullptr, 0), S_FALSE);
  LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
  EXPECT_EQ(browser_.GetOptionKeyPath(&key, 0), E_NOTIMPL);
  EXPECT_EQ(key, nullptr);
  IDropTarget* drop = reinterpret_cast<IDropTarget*>(1);
  EXPECT_EQ(browser_.GetDropTarget(nullptr, &drop), S_FALSE);
  EXPECT_EQ(drop, nullptr);
  IDispatch* external = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(browser_.GetExternal(&external), S_FALSE);
  EXPECT_EQ(external, nullptr);
  LPWSTR translated = reinterpret_cast<LPWSTR>(1);
  wchar_t url[] = L"http://127.0.0.1/";
  EXPECT_EQ(browser_.TranslateUrl(0, url, &translated), E_NOTIMPL);
  EXPECT_EQ(translated, nullptr);
  IDataObject* data = reinterpret_cast<IDataObject*>(1);
  EXPECT_EQ(browser_.FilterDataObject(nullptr, &data), E_NOTIMPL);
  EXPECT_EQ(data, nullptr);
  LRESULT result = 0;
  EXPECT_EQ(browser_.ShowMessage(nullptr, nullptr, nullptr, MB_OK, nullptr, 0, &result), S_OK);

  // No service, the download manager included: the browser keeps its own downloads.
  for (const GUID* service : {&kDownloadManagerService, &IID_IDispatch}) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(browser_.QueryService(*service, *service, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(browser_.ComReferences(), 0u);
}

}  // namespace
