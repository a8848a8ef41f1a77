// The tests' own control activated windowless in a real window: what its site answers, how it
// paints through the window's paint, which of the window's messages reach it, and that every
// reference it was given comes back.
#include <gtest/gtest.h>

#include <ocidl.h>

#include <utility>

#include "activex_fixture.h"
#include "ui_controls/activex/ui_activex.h"
#include "ui_core/manager/ui_manager.h"

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

TEST_F(WindowlessTest, SiteGivesItsFixedAnswers) {
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(Object()->GetClientSite(site.put()), S_OK);
  ASSERT_TRUE(site);
  auto inPlace = site.As<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
  auto controlSite = site.As<IOleControlSite>(IID_IOleControlSite);
  auto container = site.As<IOleContainer>(IID_IOleContainer);
  ASSERT_TRUE(inPlace && controlSite && container);

  IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
  SIZE scroll = {1, 1};
  RECT rc = {0, 0, 1, 1};
  POINTL himetric = {0, 0};
  POINTF point = {0, 0};
  MSG msg = {};
  LRESULT result = 1;
  IMoniker* parsed = reinterpret_cast<IMoniker*>(1);
  ULONG eaten = 0;
  wchar_t name[] = L"x";
  const struct {
    const char* call;
    HRESULT actual;
    HRESULT expected;
  } answers[] = {
      {"SaveObject", site->SaveObject(), E_NOTIMPL},
      {"GetMoniker", site->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJFULL, &moniker),
       E_NOTIMPL},
      {"OnShowWindow", site->OnShowWindow(TRUE), E_NOTIMPL},
      {"RequestNewObjectLayout", site->RequestNewObjectLayout(), E_NOTIMPL},
      {"ContextSensitiveHelp", inPlace->ContextSensitiveHelp(TRUE), S_OK},
      {"CanInPlaceActivate", inPlace->CanInPlaceActivate(), S_OK},
      {"Scroll", inPlace->Scroll(scroll), E_NOTIMPL},
      {"DiscardUndoState", inPlace->DiscardUndoState(), E_NOTIMPL},
      {"DeactivateAndUndo", inPlace->DeactivateAndUndo(), E_NOTIMPL},
      {"OnPosRectChange", inPlace->OnPosRectChange(&rc), E_NOTIMPL},
      {"RequestUIActivate", inPlace->RequestUIActivate(), S_OK},
      {"CanWindowlessActivate", inPlace->CanWindowlessActivate(), S_OK},
      {"ScrollRect", inPlace->ScrollRect(1, 1, &rc, &rc), S_OK},
      {"AdjustRect", inPlace->AdjustRect(&rc), S_OK},
      {"OnDefWindowMessage", inPlace->OnDefWindowMessage(WM_NULL, 0, 0, &result), S_OK},
      {"OnControlInfoChanged", controlSite->OnControlInfoChanged(), S_OK},
      {"LockInPlaceActive", controlSite->LockInPlaceActive(TRUE), S_OK},
      {"TransformCoords", controlSite->TransformCoords(&himetric, &point, XFORMCOORDS_SIZE), S_OK},
      {"TranslateAccelerator", controlSite->TranslateAccelerator(&msg, 0), S_FALSE},
      {"ShowPropertyFrame", controlSite->ShowPropertyFrame(), E_NOTIMPL},
      {"ParseDisplayName", container->ParseDisplayName(nullptr, name, &eaten, &parsed), E_NOTIMPL},
      {"LockContainer", container->LockContainer(TRUE), S_OK},
  };
  for (const auto& answer : answers) EXPECT_EQ(answer.actual, answer.expected) << answer.call;
  EXPECT_EQ(moniker, nullptr);
  EXPECT_EQ(parsed, nullptr);
  EXPECT_EQ(result, 0) << "the default handling of WM_NULL";

  // The object tells its focus through the control site.
  EXPECT_EQ(controlSite->OnFocus(TRUE), S_OK);
  EXPECT_EQ(inPlace->GetFocus(), S_OK);
  EXPECT_EQ(controlSite->OnFocus(FALSE), S_OK);
  EXPECT_EQ(inPlace->GetFocus(), S_FALSE);
  // The tests' control has no automation object to extend.
  ComPtr<IDispatch> extended;
  EXPECT_EQ(controlSite->GetExtendedControl(extended.put()), E_NOINTERFACE);
  EXPECT_FALSE(extended);
  EXPECT_EQ(controlSite->GetExtendedControl(nullptr), E_POINTER);
}

TEST_F(WindowlessTest, ContainerEnumeratesItsOneObject) {
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(Object()->GetClientSite(site.put()), S_OK);
  ComPtr<IOleContainer> container;
  ASSERT_EQ(site->GetContainer(container.put()), S_OK);
  ComPtr<IEnumUnknown> objects;
  ASSERT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, objects.put()), S_OK);
  EXPECT_EQ(container->EnumObjects(OLECONTF_EMBEDDINGS, nullptr), E_POINTER);

  auto next = [&objects](ULONG* fetched) {
    IUnknown* item = nullptr;
    const HRESULT hr = objects->Next(1, &item, fetched);
    ComPtr<IUnknown> owned(item);
    return std::make_pair(hr, owned);
  };
  ULONG fetched = 0;
  auto first = next(&fetched);
  EXPECT_EQ(first.first, S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_TRUE(ActiveXTest::SameObject(first.second.get(), Object().get()));
  auto second = next(&fetched);
  EXPECT_EQ(second.first, S_FALSE);
  EXPECT_EQ(fetched, 0u);
  EXPECT_FALSE(second.second);

  EXPECT_EQ(objects->Reset(), S_OK);
  EXPECT_EQ(next(nullptr).first, S_OK) << "from the start again";
  EXPECT_EQ(objects->Reset(), S_OK);
  EXPECT_EQ(objects->Skip(1), S_OK);
  EXPECT_EQ(next(nullptr).first, S_FALSE);
  // A skip past the end does not wrap round to the start.
  EXPECT_EQ(objects->Skip(~0UL), S_OK);
  EXPECT_EQ(objects->Skip(5), S_OK);
  EXPECT_EQ(next(nullptr).first, S_FALSE);
  ComPtr<IEnumUnknown> clone;
  EXPECT_EQ(objects->Clone(clone.put()), E_NOTIMPL);
  EXPECT_FALSE(clone);
  first.second.reset();
  EXPECT_EQ(ReleaseAndCount(objects), 0u);
}

TEST_F(WindowlessTest, OuterSiteIsKeptAndItsContainerPreferred) {
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(Object()->GetClientSite(site.put()), S_OK);
  auto withSite = site.As<IObjectWithSite>(IID_IObjectWithSite);
  ASSERT_TRUE(withSite);
  ComPtr<IUnknown> outer;
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, outer.put_void()), E_FAIL) << "none yet";
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, nullptr), E_POINTER);

  // Another control's site, as an outer site that is a container too.
  auto* other = window_.Add(new SkinUI::CActiveXUI(), 50, L"other");
  other->SetAttribute(L"modulename", TestControlModule::Path().c_str());
  other->SetAttribute(L"clsid", ActiveXTest::ClsidText(ActiveXTestControl::kWindowedClsid).c_str());
  window_.root()->NeedUpdate();
  window_.host().Repaint();
  ComPtr<IOleObject> otherObject;
  ASSERT_EQ(other->GetControl(IID_IOleObject, otherObject.put_void()), S_OK);
  ComPtr<IOleClientSite> otherSite;
  ASSERT_EQ(otherObject->GetClientSite(otherSite.put()), S_OK);

  EXPECT_EQ(withSite->SetSite(otherSite.get()), S_OK);
  ASSERT_EQ(withSite->GetSite(IID_IOleClientSite, outer.put_void()), S_OK);
  EXPECT_TRUE(ActiveXTest::SameObject(outer.get(), otherSite.get()));
  ComPtr<IOleContainer> container;
  ASSERT_EQ(site->GetContainer(container.put()), S_OK);
  EXPECT_TRUE(ActiveXTest::SameObject(container.get(), otherSite.get()));

  EXPECT_EQ(withSite->SetSite(nullptr), S_OK);
  EXPECT_EQ(withSite->GetSite(IID_IUnknown, outer.put_void()), E_FAIL);
  ASSERT_EQ(site->GetContainer(container.put()), S_OK);
  EXPECT_TRUE(ActiveXTest::SameObject(container.get(), site.get())) << "its own again";
}

TEST_F(WindowlessTest, FrameAnswersUntilItsControlIsGone) {
  ComPtr<IOleClientSite> site;
  ASSERT_EQ(Object()->GetClientSite(site.put()), S_OK);
  auto inPlace = site.As<IOleInPlaceSite>(IID_IOleInPlaceSite);
  ASSERT_TRUE(inPlace);
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT position = {};
  RECT clip = {};
  OLEINPLACEFRAMEINFO info = {};
  info.cb = sizeof(info);
  ASSERT_EQ(inPlace->GetWindowContext(frame.put(), document.put(), &position, &clip, &info), S_OK);
  ASSERT_TRUE(frame);
  EXPECT_FALSE(document);
  EXPECT_TRUE(::EqualRect(&position, &clip));
  EXPECT_EQ(info.cb, sizeof(OLEINPLACEFRAMEINFO));
  EXPECT_EQ(info.hwndFrame, window_.hwnd());
  EXPECT_EQ(inPlace->GetWindowContext(nullptr, document.put(), &position, &clip, &info), E_POINTER);

  HWND frameWindow = nullptr;
  EXPECT_EQ(frame->GetWindow(&frameWindow), S_OK);
  EXPECT_EQ(frameWindow, window_.hwnd());
  RECT border = {};
  BORDERWIDTHS widths = {};
  OLEMENUGROUPWIDTHS groups = {};
  MSG msg = {};
  const struct {
    const char* call;
    HRESULT actual;
    HRESULT expected;
  } answers[] = {
      {"ContextSensitiveHelp", frame->ContextSensitiveHelp(FALSE), S_OK},
      {"GetBorder", frame->GetBorder(&border), S_OK},
      {"RequestBorderSpace", frame->RequestBorderSpace(&widths), INPLACE_E_NOTOOLSPACE},
      {"SetBorderSpace", frame->SetBorderSpace(&widths), S_OK},
      {"InsertMenus", frame->InsertMenus(nullptr, &groups), S_OK},
      {"SetMenu", frame->SetMenu(nullptr, nullptr, nullptr), S_OK},
      {"RemoveMenus", frame->RemoveMenus(nullptr), S_OK},
      {"SetStatusText", frame->SetStatusText(L"status"), S_OK},
      {"EnableModeless", frame->EnableModeless(TRUE), S_OK},
      {"TranslateAccelerator", frame->TranslateAccelerator(&msg, 0), S_FALSE},
      {"SetActiveObject", frame->SetActiveObject(nullptr, nullptr), S_OK},
  };
  for (const auto& answer : answers) EXPECT_EQ(answer.actual, answer.expected) << answer.call;
  for (const IID* iid : {&IID_IUnknown, &IID_IOleWindow, &IID_IOleInPlaceUIWindow}) {
    ComPtr<IUnknown> part;
    EXPECT_EQ(frame->QueryInterface(*iid, part.put_void()), S_OK) << ActiveXTest::ClsidText(*iid);
  }
  ComPtr<IUnknown> none;
  EXPECT_EQ(frame->QueryInterface(IID_IOleClientSite, none.put_void()), E_NOINTERFACE);

  control_->ReleaseControl();
  EXPECT_EQ(frame->GetWindow(&frameWindow), E_UNEXPECTED);
  EXPECT_EQ(frameWindow, nullptr);
  EXPECT_EQ(ReleaseAndCount(frame), 0u);
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
