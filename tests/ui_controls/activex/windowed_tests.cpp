// Controls that do not activate windowless, in a "UIActiveX" host window: the tests' own
// windowed control, and Windows Media Player as Wine provides it, made by CLSID and by ProgID.
#include <gtest/gtest.h>

#include <ocidl.h>

#include "activex_fixture.h"
#include "ui_controls/activex/ui_activex.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ActiveXTest::HostWindow;
using ActiveXTest::RectInParent;
using ActiveXTest::ReleaseAndCount;
using ActiveXTest::TestControlModule;
using Utils::ComPtr;

constexpr wchar_t kMediaPlayerClsid[] = L"{6BF52A52-394A-11D3-B153-00C04F79FAA6}";
constexpr wchar_t kMediaPlayerProgId[] = L"WMPlayer.OCX";

::testing::AssertionResult RectIs(const RECT& actual, const RECT& expected) {
  if (::EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom
         << " instead of " << expected.left << "," << expected.top << "," << expected.right << ","
         << expected.bottom;
}

// A window with a 40-pixel control above a 100-pixel ActiveX host.
class WindowedHost {
public:
  WindowedHost(const wchar_t* clsid, const wchar_t* moduleName) {
    above_ = window_.Add(new SkinUI::CControlUI(), 40, L"above");
    control_ = window_.Add(new SkinUI::CActiveXUI(), 100, L"activex");
    if (moduleName != nullptr) control_->SetAttribute(L"modulename", moduleName);
    control_->SetAttribute(L"clsid", clsid);
    window_.Attach();
  }

  HostWindow& window() { return window_; }
  SkinUI::CControlUI* above() const { return above_; }
  SkinUI::CActiveXUI* control() const { return control_; }
  HWND HostHwnd() const { return control_->GetNativeWindow(); }
  ComPtr<IOleObject> Object() const {
    ComPtr<IOleObject> object;
    control_->GetControl(IID_IOleObject, object.put_void());
    return object;
  }
  ComPtr<IOleClientSite> Site() const { return ActiveXTest::ClientSiteOf(Object().get()); }

private:
  HostWindow window_;
  SkinUI::CControlUI* above_ = nullptr;
  SkinUI::CActiveXUI* control_ = nullptr;
};

// The host window of a windowed object: its class, name, styles and place.
void ExpectHostWindowAt(HWND skinned, HWND host, const RECT& rc) {
  ASSERT_NE(host, nullptr);
  EXPECT_NE(host, skinned);
  EXPECT_EQ(::GetParent(host), skinned);
  EXPECT_EQ(ActiveXTest::ClassOf(host), L"ActiveXWnd");
  wchar_t title[32] = {};
  ::GetWindowTextW(host, title, 32);
  EXPECT_STREQ(title, L"UIActiveX");
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(host, GWL_STYLE)) & style, style);
  EXPECT_TRUE(RectIs(RectInParent(host), rc));
}

class WindowedTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(module_.Loaded()); }

  ActiveXTest::ComScope com_;
  TestControlModule module_;
  WindowedHost host_{ActiveXTest::ClsidText(ActiveXTestControl::kWindowedClsid).c_str(),
                     TestControlModule::Path().c_str()};
};

TEST_F(WindowedTest, ActivatesInAHostWindowAtTheControlsRectangle) {
  ExpectHostWindowAt(host_.window().hwnd(), host_.HostHwnd(), RECT{0, 40, 400, 140});
  EXPECT_TRUE(module_.Has(L"site IOleInPlaceSite yes"));
  EXPECT_TRUE(module_.Has(L"CanInPlaceActivate hr=00000000"));
  EXPECT_TRUE(module_.Has(L"OnInPlaceActivate hr=00000000"));
  EXPECT_TRUE(module_.Has(L"GetWindow hr=00000000 class=ActiveXWnd"));
  EXPECT_TRUE(module_.Has(L"child window yes"));
  // In its host window the object sits at the window's origin.
  EXPECT_EQ(module_.Lines(L"SetObjectRects").back(), L"SetObjectRects 0,0,400,100");
  HWND child = ActiveXTest::FindChildOfClass(host_.HostHwnd(), ActiveXTestControl::kChildWindowClass);
  ASSERT_NE(child, nullptr);
  EXPECT_TRUE(RectIs(RectInParent(child), RECT{0, 0, 400, 100}));
}

TEST_F(WindowedTest, HostWindowFollowsTheControlsRectangleAndVisibility) {
  host_.above()->SetFixedHeight(60);
  host_.window().host().Repaint();
  ExpectHostWindowAt(host_.window().hwnd(), host_.HostHwnd(), RECT{0, 60, 400, 160});
  EXPECT_EQ(module_.Lines(L"SetObjectRects").back(), L"SetObjectRects 0,0,400,100");

  host_.control()->SetFixedHeight(50);
  host_.window().host().Repaint();
  ExpectHostWindowAt(host_.window().hwnd(), host_.HostHwnd(), RECT{0, 60, 400, 110});
  EXPECT_EQ(module_.Lines(L"SetObjectRects").back(), L"SetObjectRects 0,0,400,50");

  host_.control()->SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(host_.HostHwnd()));
  host_.control()->SetVisible(true);
  EXPECT_TRUE(::IsWindowVisible(host_.HostHwnd()));
  // Hidden with its parent too.
  host_.window().root()->SetVisible(false);
  EXPECT_FALSE(::IsWindowVisible(host_.HostHwnd()));
  host_.window().root()->SetVisible(true);
  EXPECT_TRUE(::IsWindowVisible(host_.HostHwnd()));
}

TEST_F(WindowedTest, HostWindowKeepsTheWheelToItself) {
  host_.window().host().received.clear();
  host_.window().host().recordMessages = true;
  POINT screen = {200, 90};
  ::ClientToScreen(host_.window().hwnd(), &screen);
  EXPECT_EQ(::SendMessageW(host_.HostHwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                           MAKELPARAM(screen.x, screen.y)),
            0);
  host_.window().host().recordMessages = false;
  for (UINT message : host_.window().host().received) EXPECT_NE(message, WM_MOUSEWHEEL);
}

TEST_F(WindowedTest, FocusInTheHostWindowActivatesTheObjectsInterfaceOnce) {
  module_.ClearJournal();
  ::SetFocus(host_.HostHwnd());
  EXPECT_EQ(module_.Lines(L"DoVerb"),
            std::vector<std::wstring>{L"DoVerb -4 parent=ActiveXWnd rect=0,0,400,100"});
  EXPECT_TRUE(module_.Has(L"OnUIActivate hr=00000000"));
  ::SetFocus(host_.window().hwnd());
  ::SetFocus(host_.HostHwnd());
  EXPECT_EQ(module_.Lines(L"DoVerb").size(), 1u) << "already UI-active";
}

TEST_F(WindowedTest, PrintingTheHostWindowDrawsTheObject) {
  TestSupport::DibCanvas canvas(400, 100, 0xFFFFFFFF);
  module_.ClearJournal();
  ::SendMessageW(host_.HostHwnd(), WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc()),
                 PRF_CLIENT);
  EXPECT_EQ(module_.Lines(L"Draw"), std::vector<std::wstring>{L"Draw 1 0,0,400,100"});
  EXPECT_PRED3(TestSupport::ColorNear, canvas.Pixel(200, 50) & 0x00FFFFFFu, 0x003366CCu, 2);
}

TEST_F(WindowedTest, SiteDrawsAndLendsTheHostWindowsContext) {
  ComPtr<IOleClientSite> site = host_.Site();
  ASSERT_TRUE(site);
  module_.ClearJournal();
  EXPECT_EQ(site->ShowObject(), S_OK);
  EXPECT_EQ(module_.Lines(L"Draw"), std::vector<std::wstring>{L"Draw 1 0,0,400,100"});

  auto windowless = site.As<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
  ASSERT_TRUE(windowless);
  HDC dc = nullptr;
  ASSERT_EQ(windowless->GetDC(nullptr, 0, &dc), S_OK);
  EXPECT_NE(dc, nullptr);
  HDC second = reinterpret_cast<HDC>(static_cast<INT_PTR>(-1));
  EXPECT_EQ(windowless->GetDC(nullptr, 0, &second), E_FAIL) << "one lent context at a time";
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(windowless->ReleaseDC(dc), S_OK);
  EXPECT_EQ(windowless->ReleaseDC(dc), E_INVALIDARG) << "given back already";
  EXPECT_EQ(windowless->GetDC(nullptr, 0, nullptr), E_POINTER);
}

TEST_F(WindowedTest, ReleaseDestroysTheHostWindowAndGivesBackEveryReference) {
  HWND hostWindow = host_.HostHwnd();
  ComPtr<IOleObject> object = host_.Object();
  ComPtr<IOleClientSite> site = host_.Site();
  ASSERT_TRUE(site);
  host_.control()->ReleaseControl();
  EXPECT_FALSE(::IsWindow(hostWindow));
  EXPECT_EQ(host_.control()->GetNativeWindow(), nullptr);
  EXPECT_EQ(ReleaseAndCount(site), 0u);
  EXPECT_EQ(ReleaseAndCount(object), 0u);
  EXPECT_EQ(module_.LiveObjects(), 0);
  EXPECT_TRUE(module_.Has(L"OnInPlaceDeactivate hr=00000000"));
}

TEST_F(WindowedTest, ADetachedSiteAnswersUnexpected) {
  ComPtr<IOleClientSite> site = host_.Site();
  ASSERT_TRUE(site);
  host_.control()->ReleaseControl();
  auto windowless = site.As<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
  auto container = site.As<IOleContainer>(IID_IOleContainer);
  auto controlSite = site.As<IOleControlSite>(IID_IOleControlSite);
  ASSERT_TRUE(windowless && container && controlSite);
  HWND window = nullptr;
  EXPECT_EQ(windowless->GetWindow(&window), E_UNEXPECTED);
  EXPECT_EQ(site->ShowObject(), E_UNEXPECTED);
  EXPECT_EQ(windowless->GetFocus(), E_UNEXPECTED);
  EXPECT_EQ(windowless->SetCapture(TRUE), E_UNEXPECTED);
  BOOL noRedraw = FALSE;
  EXPECT_EQ(windowless->OnInPlaceActivateEx(&noRedraw, 0), E_UNEXPECTED);
  ComPtr<IEnumUnknown> objects;
  EXPECT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.put()), E_UNEXPECTED);
  ComPtr<IDispatch> extended;
  EXPECT_EQ(controlSite->GetExtendedControl(extended.put()), E_UNEXPECTED);
  windowless.reset();
  container.reset();
  controlSite.reset();
  EXPECT_EQ(ReleaseAndCount(site), 0u);
}

TEST_F(WindowedTest, LayeredWindowShowsTheCaretInItsPrintedCopy) {
  // A layered window shows what its manager prints of the host window, where the system draws
  // no caret: the host window blinks one into the printed copy.
  HostWindow window;
  window.manager().SetLayered(true);
  ASSERT_TRUE(window.manager().IsLayered());
  auto* control = window.Add(new SkinUI::CActiveXUI(), 100, L"layered");
  control->SetAttribute(L"modulename", TestControlModule::Path().c_str());
  control->SetAttribute(L"clsid", ActiveXTest::ClsidText(ActiveXTestControl::kWindowedClsid).c_str());
  window.Attach();
  HWND host = control->GetNativeWindow();
  ASSERT_NE(host, nullptr);
  ASSERT_NE(host, window.hwnd());
  HWND child = ActiveXTest::FindChildOfClass(host, ActiveXTestControl::kChildWindowClass);
  ASSERT_NE(child, nullptr);
  ASSERT_TRUE(::CreateCaret(child, nullptr, 2, 20));
  ASSERT_TRUE(::SetCaretPos(50, 30));

  TestSupport::DibCanvas canvas(400, 100, 0xFFFFFFFF);
  auto caretShown = [&] {
    canvas.Fill(0xFFFFFFFF);
    ::SendMessageW(host, WM_PRINT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
    return (canvas.Pixel(50, 40) & 0x00FFFFFFu) == 0;
  };
  EXPECT_TRUE(TestSupport::PumpUntil(caretShown, 5000)) << "the caret blinks on";
  EXPECT_PRED3(TestSupport::ColorNear, canvas.Pixel(60, 40) & 0x00FFFFFFu, 0x003366CCu, 2)
      << "the object's own drawing beside it";
  EXPECT_PRED3(TestSupport::ColorNear, canvas.Pixel(50, 70) & 0x00FFFFFFu, 0x003366CCu, 2)
      << "no caret below its rectangle";
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return !caretShown(); }, 5000)) << "and off again";
  ::DestroyCaret();
}

// --- Windows Media Player, as Wine provides it -------------------------------------------------

class MediaPlayerTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
  ActiveXTest::ComScope com_;
};

TEST_P(MediaPlayerTest, IsCreatedActivatedAndReleased) {
  WindowedHost host(GetParam(), nullptr);
  ASSERT_TRUE(host.control()->IsCreated());
  ComPtr<IOleObject> object = host.Object();
  ASSERT_TRUE(object) << "Wine's wmp.dll makes the object";
  CLSID clsid = CLSID_NULL;
  ::CLSIDFromString(kMediaPlayerClsid, &clsid);
  EXPECT_TRUE(::IsEqualCLSID(host.control()->GetClsid(), clsid));
  // Wine's player refuses windowless activation and lives in the host window.
  ExpectHostWindowAt(host.window().hwnd(), host.HostHwnd(), RECT{0, 40, 400, 140});

  ComPtr<IOleClientSite> site = host.Site();
  ASSERT_TRUE(site) << "the player keeps the client site it was given";
  for (const IID* iid : {&IID_IOleInPlaceSite, &IID_IOleInPlaceSiteEx,
                         &IID_IOleInPlaceSiteWindowless, &IID_IOleControlSite, &IID_IOleContainer,
                         &IID_IObjectWithSite, &IID_IOleWindow}) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(site->QueryInterface(*iid, part.put_void()), S_OK) << ActiveXTest::ClsidText(*iid);
  }
  auto window = site.As<IOleWindow>(IID_IOleWindow);
  HWND siteWindow = nullptr;
  ASSERT_TRUE(window);
  EXPECT_EQ(window->GetWindow(&siteWindow), S_OK);
  EXPECT_EQ(siteWindow, host.HostHwnd());
  // Its extended control is the player's own automation object.
  auto controlSite = site.As<IOleControlSite>(IID_IOleControlSite);
  ComPtr<IDispatch> extended;
  ASSERT_TRUE(controlSite);
  ComPtr<IDispatch> automation;
  const HRESULT automationResult = object->QueryInterface(IID_IDispatch, automation.put_void());
  EXPECT_EQ(controlSite->GetExtendedControl(extended.put()), automationResult);
  EXPECT_EQ(extended.get(), automation.get());
  extended.reset();
  automation.reset();
  controlSite.reset();
  window.reset();

  HWND hostWindow = host.HostHwnd();
  host.control()->ReleaseControl();
  EXPECT_FALSE(::IsWindow(hostWindow));
  // The object goes first: Wine's player keeps its in-place site until it is destroyed.
  EXPECT_EQ(ReleaseAndCount(object), 0u);
  EXPECT_EQ(ReleaseAndCount(site), 0u);
}

TEST_P(MediaPlayerTest, ClosingTheWindowReleasesIt) {
  auto host = std::make_unique<WindowedHost>(GetParam(), nullptr);
  ComPtr<IOleObject> object = host->Object();
  ASSERT_TRUE(object);
  host.reset();
  EXPECT_EQ(ReleaseAndCount(object), 0u);
}

INSTANTIATE_TEST_SUITE_P(ByClsidAndProgId, MediaPlayerTest,
                         ::testing::Values(kMediaPlayerClsid, kMediaPlayerProgId),
                         [](const ::testing::TestParamInfo<const wchar_t*>& param) {
                           return std::string(param.param[0] == L'{' ? "Clsid" : "ProgId");
                         });

}  // namespace
