// The tests' own control activated windowless in a real window: what its site answers, how it
// paints through the window's paint, which of the window's messages reach it, and that every
// reference it was given comes back.
#include <gtest/gtest.h>

#include <ocidl.h>

#include "activex_fixture.h"
#include "ui_controls/ui_activex.h"
#include "ui_core/ui_manager.h"

namespace {

using ActiveXTest::HostWindow;
using ActiveXTest::ReleaseAndCount;
using ActiveXTest::TestControlModule;
using Utils::ComPtr;

constexpr uint32_t kControlRgb = (0x33u << 16) | (0x66u << 8) | 0xCCu;

// The colour of a pixel without its alpha (GDI drawing leaves alpha at 0).
uint32_t Rgb(uint32_t pixel) { return pixel & 0x00FFFFFFu; }

class WindowlessTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(module_.Loaded()) << "activex_test_control.dll beside the test program";
    window_.Add(new SkinUI::CControlUI(), 40, L"above");
    control_ = window_.Add(new SkinUI::CActiveXUI(), 100, L"activex");
    control_->SetAttribute(L"modulename", TestControlModule::Path().c_str());
    control_->SetAttribute(L"clsid",
                           ActiveXTest::ClsidText(ActiveXTestControl::kWindowlessClsid).c_str());
    window_.Attach();
    ASSERT_TRUE(control_->IsCreated());
  }

  ComPtr<IOleObject> Object() {
    ComPtr<IOleObject> object;
    control_->GetControl(IID_IOleObject, object.put_void());
    return object;
  }

  LRESULT Send(UINT message, WPARAM wParam, int x, int y) {
    return ::SendMessageW(window_.hwnd(), message, wParam, MAKELPARAM(x, y));
  }

  ActiveXTest::ComScope com_;
  TestControlModule module_;
  HostWindow window_;
  SkinUI::CActiveXUI* control_ = nullptr;
};

TEST_F(WindowlessTest, ActivatesWindowlessInTheSkinnedWindow) {
  EXPECT_EQ(module_.Line(L"site IOleInPlaceSiteWindowless"), L"site IOleInPlaceSiteWindowless yes");
  EXPECT_TRUE(module_.Has(L"OnInPlaceActivateEx windowless hr=00000000"));
  EXPECT_TRUE(module_.Has(L"GetWindow hr=00000000 class=TessmarkTestHost"));
  EXPECT_TRUE(module_.Has(L"SetHostNames UIActiveX"));
  EXPECT_EQ(control_->GetNativeWindow(), window_.hwnd()) << "the skinned window hosts it";
  EXPECT_EQ(ActiveXTest::FindChildOfClass(window_.hwnd(), L"ActiveXWnd"), nullptr);
  // The object is told its place in the skinned window: below the 40 pixels of "above".
  EXPECT_EQ(module_.Lines(L"SetObjectRects").back(), L"SetObjectRects 0,40,400,140");
  EXPECT_EQ(module_.Line(L"DoVerb"), L"DoVerb -5 parent=TessmarkTestHost rect=0,40,400,140");
  // HIMETRIC of 400 x 100 pixels at the screen's resolution.
  Utils::UniqueWindowDC screen(nullptr);
  const int cx = ::MulDiv(2540, 400, ::GetDeviceCaps(screen.get(), LOGPIXELSX));
  const int cy = ::MulDiv(2540, 100, ::GetDeviceCaps(screen.get(), LOGPIXELSY));
  EXPECT_EQ(module_.Lines(L"SetExtent").back(),
            L"SetExtent 1 " + std::to_wstring(cx) + L"," + std::to_wstring(cy));
}

TEST_F(WindowlessTest, SiteOffersWhatInPlaceActivationAsksFor) {
  EXPECT_EQ(module_.Line(L"GetWindowContext"),
            L"GetWindowContext hr=00000000 cb=" +
                std::to_wstring(sizeof(OLEINPLACEFRAMEINFO)) + L" sizeof=" +
                std::to_wstring(sizeof(OLEINPLACEFRAMEINFO)) +
                L" mdi=0 accel=yes entries=1 frame=TessmarkTestHost position=0,40,400,140 "
                L"document=no");
  EXPECT_EQ(module_.Line(L"frame window"),
            L"frame window=TessmarkTestHost RequestBorderSpace hr=800401a1");
  EXPECT_TRUE(module_.Has(L"site IOleControlSite yes"));
  EXPECT_TRUE(module_.Has(L"GetContainer hr=00000000"));
  EXPECT_TRUE(module_.Has(L"EnumObjects hr=00000001 fetched=1 me=yes"));
  EXPECT_TRUE(module_.Has(L"SetSite set")) << "a control with a site of its own gets the site";

  ComPtr<IOleClientSite> site;
  ASSERT_EQ(Object()->GetClientSite(site.put()), S_OK);
  ASSERT_TRUE(site);
  const IID* parts[] = {&IID_IUnknown,         &IID_IOleClientSite,  &IID_IOleWindow,
                        &IID_IOleInPlaceSite,  &IID_IOleInPlaceSiteEx,
                        &IID_IOleInPlaceSiteWindowless,              &IID_IOleControlSite,
                        &IID_IOleContainer,    &IID_IObjectWithSite};
  for (const IID* iid : parts) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(site->QueryInterface(*iid, part.put_void()), S_OK) << ActiveXTest::ClsidText(*iid);
    EXPECT_TRUE(ActiveXTest::SameObject(part.get(), site.get())) << ActiveXTest::ClsidText(*iid);
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(site->QueryInterface(IID_IDispatch, none.put_void()), E_NOINTERFACE);
  EXPECT_FALSE(none);
}

TEST_F(WindowlessTest, AskingForADeviceContextFailsWithANullContext) {
  // A windowless object paints into the DC its host hands to Draw; the site has none to lend.
  EXPECT_TRUE(module_.Has(L"GetDC hr=80004005 dc=null"));
  EXPECT_TRUE(module_.Has(L"InvalidateRect hr=00000000"));
}

TEST_F(WindowlessTest, PaintsThroughTheWindowsPaint) {
  TestSupport::DibCanvas canvas(400, 300, 0xFFFFFFFF);
  window_.root()->Paint(canvas.dc(), canvas.Rect());
  EXPECT_PRED3(TestSupport::ColorNear, Rgb(canvas.Pixel(200, 90)), kControlRgb, 2);
  EXPECT_PRED3(TestSupport::ColorNear, Rgb(canvas.Pixel(0, 40)), kControlRgb, 2);
  EXPECT_PRED3(TestSupport::ColorNear, Rgb(canvas.Pixel(399, 139)), kControlRgb, 2);
  EXPECT_PRED3(TestSupport::ColorNear, Rgb(canvas.Pixel(200, 39)), 0x00FFFFFFu, 2);
  EXPECT_PRED3(TestSupport::ColorNear, Rgb(canvas.Pixel(200, 140)), 0x00FFFFFFu, 2);
  EXPECT_EQ(module_.Lines(L"Draw").back(), L"Draw 1 0,40,400,140");
}

TEST_F(WindowlessTest, MouseMessagesReachItOnlyOverIt) {
  module_.ClearJournal();
  Send(WM_MOUSEMOVE, 0, 200, 20);  // over "above"
  EXPECT_TRUE(module_.Lines(L"OnWindowMessage").empty());
  Send(WM_MOUSEMOVE, 0, 200, 90);
  EXPECT_EQ(module_.Lines(L"OnWindowMessage"),
            std::vector<std::wstring>{L"OnWindowMessage 0200"});
}

TEST_F(WindowlessTest, ButtonDownFocusesItAndCapturesUntilButtonUp) {
  module_.ClearJournal();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 90);
  EXPECT_EQ(window_.manager().GetFocus(), control_);
  EXPECT_TRUE(module_.Has(L"GetCapture 00000000 GetFocus 00000000"));
  // Captured, the object gets the pointer wherever it goes.
  Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 20);
  Send(WM_LBUTTONUP, 0, 200, 20);
  EXPECT_TRUE(module_.Has(L"GetCapture 00000001"));
  Send(WM_MOUSEMOVE, 0, 200, 21);
  EXPECT_EQ(module_.Lines(L"OnWindowMessage"),
            (std::vector<std::wstring>{L"OnWindowMessage 0201", L"OnWindowMessage 0200",
                                       L"OnWindowMessage 0202"}));
}

TEST_F(WindowlessTest, KeysReachItOnlyWhileItHasTheFocus) {
  window_.manager().SetFocus(nullptr);
  module_.ClearJournal();
  ::SendMessageW(window_.hwnd(), WM_KEYDOWN, 'A', 1);
  EXPECT_TRUE(module_.Lines(L"OnWindowMessage").empty());
  control_->SetFocus();
  ::SendMessageW(window_.hwnd(), WM_KEYDOWN, 'A', 1);
  ::SendMessageW(window_.hwnd(), WM_CHAR, 'a', 1);
  EXPECT_EQ(module_.Lines(L"OnWindowMessage"),
            (std::vector<std::wstring>{L"OnWindowMessage 0100", L"OnWindowMessage 0102"}));
}

TEST_F(WindowlessTest, CursorQueriesReachItWithoutEndingTheWindowsOwnHandling) {
  POINT screen = {200, 90};
  ::ClientToScreen(window_.hwnd(), &screen);
  ::SetCursorPos(screen.x, screen.y);
  module_.ClearJournal();
  bool handled = true;
  control_->MessageHandler(WM_SETCURSOR, reinterpret_cast<WPARAM>(window_.hwnd()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), handled);
  EXPECT_FALSE(handled);
  EXPECT_TRUE(module_.Has(L"OnWindowMessage 0020"));
}

TEST_F(WindowlessTest, MouseOffDisabledInputAndOtherMessagesAreLeftToTheWindow) {
  module_.ClearJournal();
  control_->SetMouseEnabled(false);
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 90);
  Send(WM_LBUTTONUP, 0, 200, 90);
  bool handled = true;
  control_->MessageHandler(WM_SIZE, 0, MAKELPARAM(400, 300), handled);
  EXPECT_FALSE(handled);
  EXPECT_TRUE(module_.Lines(L"OnWindowMessage").empty());
}

TEST_F(WindowlessTest, ReleaseGivesBackEveryReference) {
  ComPtr<IOleObject> object = Object();
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(object->GetClientSite(site.put()), S_OK);
  ASSERT_TRUE(site);
  EXPECT_EQ(module_.LiveObjects(), 1);

  control_->ReleaseControl();
  EXPECT_EQ(control_->GetNativeWindow(), nullptr);
  EXPECT_FALSE(control_->IsCreated() && Object()) << "no object after the release";
  const std::vector<std::wstring> journal = module_.Journal();
  const std::vector<std::wstring> tail(journal.end() - 4, journal.end());
  EXPECT_EQ(tail, (std::vector<std::wstring>{L"SetSite null", L"Close 1",
                                             L"OnInPlaceDeactivateEx hr=00000000",
                                             L"SetClientSite null"}));
  EXPECT_EQ(ReleaseAndCount(site), 0u) << "the site is held by nobody else";
  EXPECT_EQ(ReleaseAndCount(object), 0u) << "the object is held by nobody else";
  EXPECT_EQ(module_.LiveObjects(), 0);

  // The window's messages no longer go to the released object.
  module_.ClearJournal();
  Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 90);
  EXPECT_TRUE(module_.Journal().empty());
}

TEST_F(WindowlessTest, DestroyingTheWindowReleasesTheObject) {
  ComPtr<IOleObject> object = Object();
  window_.Close();
  EXPECT_EQ(ReleaseAndCount(object), 0u);
  EXPECT_EQ(module_.LiveObjects(), 0);
}

}  // namespace
