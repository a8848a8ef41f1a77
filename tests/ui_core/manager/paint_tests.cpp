// Painting: the first layout's "windowinit", the painting flag, printing into a given DC, and the
// layered path's premultiplied off-screen bitmap that UpdateLayeredWindow is handed.
#include <gtest/gtest.h>

#include "manager_test_controls.h"
#include "test_support.h"

namespace {

using namespace SkinUI;
using ManagerTest::OffscreenPixel;
using ManagerTest::PixelControl;
using ManagerTest::Scene;
using TestSupport::ColorNear;
using TestSupport::ColorText;

PixelControl* AddPixels(Scene& scene, DWORD argb, const wchar_t* pos) {
  auto* control = new PixelControl(argb);
  control->SetAttribute(L"pos", pos);
  control->SetFloat(true);
  scene.root->Add(control);
  return control;
}

std::wstring SkinFolder() { return TestSupport::TestDataDir() + L"\\manager\\skin\\"; }

class PaintTest : public ::testing::Test {
protected:
  void SetUp() override { ManagerTest::MoveCursorAway(); }
};

TEST_F(PaintTest, WindowInitGoesOutOnceAfterTheFirstLayout) {
  Scene scene;
  bool paintingDuringInit = false;
  struct InitWatcher : INotifyUI {
    void Notify(TNotifyMsgUI& msg) override {
      if (msg.type == L"windowinit") *painting = manager->IsPainting();
    }
    CWindowManagerUI* manager;
    bool* painting;
  } watcher;
  watcher.manager = &scene.manager();
  watcher.painting = &paintingDuringInit;
  scene.manager().AddNotifier(&watcher);
  ASSERT_TRUE(scene.Attach());
  scene.host.Repaint();
  scene.host.Repaint();
  EXPECT_EQ(scene.notes.Count(L"windowinit"), 1);
  EXPECT_EQ(scene.notes.list[0].sender, scene.root);
  EXPECT_TRUE(paintingDuringInit);
  EXPECT_FALSE(scene.manager().IsPainting());
  scene.manager().RemoveNotifier(&watcher);
}

TEST_F(PaintTest, ControlsPaintInsideThePaintPassOnly) {
  Scene scene;
  PixelControl* pixels = AddPixels(scene, 0xFF0000FF, L"10,10,50,50");
  ASSERT_TRUE(scene.Attach());
  EXPECT_GE(pixels->paints, 1);
  EXPECT_TRUE(pixels->sawPainting);
  EXPECT_FALSE(scene.manager().IsPainting());
  EXPECT_NE(scene.manager().GetOffscreenBitmap(), nullptr);
}

TEST_F(PaintTest, PrintClientPaintsTheTreeIntoTheGivenDC) {
  Scene scene;
  PixelControl* pixels = AddPixels(scene, 0xFF0000FF, L"10,10,50,50");
  ASSERT_TRUE(scene.Attach());
  TestSupport::DibCanvas canvas(400, 300, 0xFFFFFFFF);
  const int paintsBefore = pixels->paints;
  EXPECT_EQ(scene.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT), 0);
  EXPECT_EQ(pixels->paints, paintsBefore + 1);
  EXPECT_TRUE(ColorNear(canvas.Pixel(20, 20), 0xFF0000FF)) << ColorText(canvas.Pixel(20, 20));
  EXPECT_TRUE(ColorNear(canvas.Pixel(60, 60), 0xFFFFFFFF)) << ColorText(canvas.Pixel(60, 60));
  // A DC of nothing is ignored.
  scene.Send(WM_PRINTCLIENT, 0, PRF_CLIENT | PRF_CHILDREN);
}

TEST_F(PaintTest, LayeredWindowHandsOnPremultipliedPixelsWithTheControlsAlpha) {
  Scene scene(64, 32, 100, 100);
  AddPixels(scene, 0x80FF0000, L"0,0,32,16");
  AddPixels(scene, 0xFF00FF00, L"0,16,32,32");
  ASSERT_TRUE(scene.Attach());
  scene.manager().SetLayered(true);
  EXPECT_TRUE(scene.manager().IsLayered());
  EXPECT_NE(::GetWindowLongPtrW(scene.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  CWindowManagerUI& manager = scene.manager();
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return OffscreenPixel(manager, 5, 5) != 0; }));
  // Half-transparent red, premultiplied: every channel scaled by 128 / 255.
  EXPECT_TRUE(ColorNear(OffscreenPixel(manager, 5, 5), 0x80800000)) << ColorText(OffscreenPixel(manager, 5, 5));
  EXPECT_TRUE(ColorNear(OffscreenPixel(manager, 5, 20), 0xFF00FF00)) << ColorText(OffscreenPixel(manager, 5, 20));
  // No control: fully transparent.
  EXPECT_EQ(OffscreenPixel(manager, 50, 10), 0u);
  EXPECT_FALSE(manager.IsPainting());

  // Leaving layered mode goes back to ordinary painting.
  manager.SetLayered(false);
  EXPECT_FALSE(manager.IsLayered());
  EXPECT_EQ(::GetWindowLongPtrW(scene.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  scene.host.Repaint();
}

TEST_F(PaintTest, LayeredImageAlphaShapesTheWindow) {
  CWindowManagerUI::SetResourcePath(SkinFolder().c_str());
  Scene scene(64, 32, 100, 100);
  AddPixels(scene, 0xFF2040C0, L"0,0,64,32");
  ASSERT_TRUE(scene.Attach());
  // shape.png: the left half opaque, the right half at alpha 64.
  scene.manager().SetWindowAttribute(L"layeredimage", L"shape.png");
  ASSERT_TRUE(scene.manager().IsLayered());
  EXPECT_EQ(scene.manager().GetLayeredImage(), L"shape.png");
  CWindowManagerUI& manager = scene.manager();
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return (OffscreenPixel(manager, 40, 10) >> 24) != 0; }));
  EXPECT_TRUE(ColorNear(OffscreenPixel(manager, 10, 10), 0xFF2040C0)) << ColorText(OffscreenPixel(manager, 10, 10));
  // Each channel times 64 / 255 (integer division), the alpha 64.
  EXPECT_TRUE(ColorNear(OffscreenPixel(manager, 40, 10), 0x40081030, 1)) << ColorText(OffscreenPixel(manager, 40, 10));
  CWindowManagerUI::SetResourcePath(L"");
}

// Posted from a "windowinit" handler: it arrives after the paint that sent "windowinit" has
// returned and before any later paint (posted messages come before timers and paints).
constexpr UINT kMsgAfterInitPaint = WM_APP + 77;

// Records how far painting had got when kMsgAfterInitPaint arrived.
struct AfterInitProbe : INotifyUI, IMessageFilterUI {
  void Notify(TNotifyMsgUI& msg) override {
    if (msg.type == L"windowinit") ::PostMessageW(window, kMsgAfterInitPaint, 0, 0);
  }
  LRESULT MessageHandler(UINT message, WPARAM, LPARAM, bool& handled) override {
    if (message != kMsgAfterInitPaint) return 0;
    handled = true;
    arrived = true;
    paintsThen = pixels->paints;
    pixelThen = OffscreenPixel(*manager, 5, 5);
    return 0;
  }
  HWND window = nullptr;
  CWindowManagerUI* manager = nullptr;
  PixelControl* pixels = nullptr;
  bool arrived = false;
  int paintsThen = -1;
  DWORD pixelThen = 0xDEADBEEF;
};

TEST_F(PaintTest, ALayeredWindowStopsAfterWindowInitWhileItsLayeredUpdateIsPending) {
  Scene scene(64, 32, 100, 100);
  PixelControl* pixels = AddPixels(scene, 0xFF00FF00, L"0,0,64,32");
  AfterInitProbe probe;
  probe.window = scene.hwnd();
  probe.manager = &scene.manager();
  probe.pixels = pixels;
  scene.manager().AddNotifier(&probe);
  scene.manager().AddMessageFilter(&probe);
  scene.manager().SetLayered(true);
  scene.manager().SetLayeredOpacity(200);
  EXPECT_EQ(scene.manager().GetOpacity(), 200);
  ASSERT_TRUE(scene.Attach());
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return OffscreenPixel(scene.manager(), 5, 5) != 0; }));
  EXPECT_EQ(scene.notes.Count(L"windowinit"), 1);
  // The paint that laid the tree out and sent "windowinit" drew nothing; a later one did.
  ASSERT_TRUE(probe.arrived);
  EXPECT_EQ(probe.paintsThen, 0);
  EXPECT_EQ(probe.pixelThen, 0u);
  EXPECT_FALSE(scene.manager().IsPainting());
  EXPECT_TRUE(ColorNear(OffscreenPixel(scene.manager(), 5, 5), 0xFF00FF00));
  EXPECT_GE(pixels->paints, 1);
  scene.manager().RemoveMessageFilter(&probe);
  scene.manager().RemoveNotifier(&probe);
}

TEST_F(PaintTest, OpacityMakesTheWindowLayeredThroughTheSystem) {
  Scene scene(64, 32, 100, 100);
  ASSERT_TRUE(scene.Attach());
  scene.manager().SetWindowAttribute(L"opacity", L"128");
  EXPECT_EQ(scene.manager().GetOpacity(), 128);
  EXPECT_FALSE(scene.manager().IsLayered());
  EXPECT_NE(::GetWindowLongPtrW(scene.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(scene.hwnd(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 128);
  EXPECT_NE(flags & LWA_ALPHA, 0u);
  // Out of range: clamped to a byte, not wrapped.
  scene.manager().SetWindowAttribute(L"opacity", L"300");
  EXPECT_EQ(scene.manager().GetOpacity(), 255);
}

TEST_F(PaintTest, AChildWindowNeverBecomesLayered) {
  Scene scene;
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50,
                                 scene.hwnd(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);
  {
    CWindowManagerUI manager;
    manager.Init(child);
    manager.SetLayered(true);
    EXPECT_FALSE(manager.IsLayered());
    EXPECT_EQ(::GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
  }
  ::DestroyWindow(child);
}

TEST_F(PaintTest, MessagesBeforeATreeIsAttachedDoNoHarm) {
  Scene scene(64, 32, 100, 100);
  scene.root->SetBkColor(0xFF0000FF);
  PixelControl* pixels = AddPixels(scene, 0xFF0000FF, L"40,0,64,32");
  TestSupport::NotifyRecorder early;
  scene.manager().AddNotifier(&early);
  // Without a tree the window is painted black over whatever was there, and nothing is left
  // to paint.
  {
    Utils::UniqueWindowDC dc(scene.hwnd());
    RECT all = {0, 0, 64, 32};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ASSERT_EQ(::GetPixel(dc.get(), 10, 10), RGB(255, 255, 255));
  }
  scene.host.Repaint();
  {
    Utils::UniqueWindowDC dc(scene.hwnd());
    EXPECT_EQ(::GetPixel(dc.get(), 10, 10), RGB(0, 0, 0));
  }
  RECT update = {};
  EXPECT_FALSE(::GetUpdateRect(scene.hwnd(), &update, FALSE));
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  scene.Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  scene.Send(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  scene.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), scene.ScreenParam(10, 10));
  scene.Send(WM_KEYDOWN, 'A', 0);
  scene.Send(WM_TIMER, 17, 0);
  scene.Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
  scene.Send(WM_MOUSEHOVER, 0, MAKELPARAM(10, 10));
  scene.Send(WM_MOUSELEAVE);
  scene.Send(WM_CONTEXTMENU, 0, -1);
  TestSupport::PumpPending();
  EXPECT_EQ(scene.manager().GetRoot(), nullptr);
  EXPECT_FALSE(scene.manager().IsPainting());
  EXPECT_FALSE(scene.manager().IsCaptured());
  EXPECT_EQ(scene.manager().GetFocus(), nullptr);
  EXPECT_EQ(scene.manager().GetHover(), nullptr);
  EXPECT_TRUE(early.list.empty()) << "a notification went out without a tree";
  EXPECT_EQ(pixels->paints, 0);

  // The window takes its tree afterwards as if nothing had come before.
  ASSERT_TRUE(scene.Attach());
  EXPECT_EQ(early.Types(), std::vector<std::wstring>{L"windowinit"});
  EXPECT_GE(pixels->paints, 1);
  {
    Utils::UniqueWindowDC dc(scene.hwnd());
    EXPECT_EQ(::GetPixel(dc.get(), 10, 10), RGB(0, 0, 255));
  }
  scene.manager().RemoveNotifier(&early);
}

TEST_F(PaintTest, ResizingTheWindowLaysTheTreeOutAgain) {
  Scene scene(200, 100);
  ASSERT_TRUE(scene.Attach());
  EXPECT_EQ(scene.root->GetPos().right, 200);
  RECT window = {0, 0, 300, 150};
  ::SetWindowPos(scene.hwnd(), nullptr, 0, 0, window.right, window.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  scene.host.Repaint();
  EXPECT_EQ(scene.root->GetPos().right, 300);
  EXPECT_EQ(scene.root->GetPos().bottom, 150);
}

}  // namespace
