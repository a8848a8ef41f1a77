// Dragging the separator band of a vertical or horizontal layout, by input events handed to the
// layout and by mouse messages sent to a real window.
#include <gtest/gtest.h>

#include <string>

#include "layout_test_util.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_test_support.h"

using LayoutTest::BuildText;
using LayoutTest::ControlPtr;
using LayoutTest::Rects;
using SkinUI::CControlUI;
using SkinUI::TInputEventUI;

namespace {

struct DragStep {
  int type;        // an input event type
  POINT point;
  int fixedSize;   // the pane's fixed height (width) after the step
  bool captured;   // whether the drag runs after the step
};

TInputEventUI MakeEvent(int type, POINT point) {
  TInputEventUI event;
  event.type = type;
  event.mousePoint = point;
  return event;
}

CControlUI* FindByName(CControlUI* root, const wchar_t* name) {
  if (root->GetName() == name) return root;
  auto* box = static_cast<SkinUI::IContainerUI*>(root->GetInterface(L"IContainer"));
  for (int i = 0; box != nullptr && i < box->GetCount(); ++i) {
    if (CControlUI* found = FindByName(box->GetItemAt(i), name)) return found;
  }
  return nullptr;
}

template <class Layout>
void RunDrag(Layout* pane, bool vertical, const DragStep* steps, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    TInputEventUI event = MakeEvent(steps[i].type, steps[i].point);
    pane->DoEvent(event);
    EXPECT_EQ(steps[i].fixedSize, vertical ? pane->GetFixedHeight() : pane->GetFixedWidth())
        << "step " << i;
    const RECT band = pane->GetSeparatorRect(true);
    const RECT fixedBand = pane->GetSeparatorRect(false);
    // While a drag runs the band follows the new position; otherwise both are the same.
    if (!steps[i].captured) {
      EXPECT_EQ(band, fixedBand) << "step " << i;
    }
  }
}

}  // namespace

TEST(Separator, VerticalDragFollowsThePointerAndStopsAtTheLimits) {
  ControlPtr root = BuildText(
      L"<Window><VerticalLayout><VerticalLayout name='pane' height='100' sepheight='4' "
      L"sepimm='true' minheight='30' maxheight='200'/><Control name='rest'/></VerticalLayout>"
      L"</Window>");
  ASSERT_TRUE(root);
  root->SetManager(nullptr, nullptr, false);
  root->SetPos({0, 0, 200, 300}, false);
  auto* pane = static_cast<SkinUI::CVerticalLayoutUI*>(FindByName(root.get(), L"pane"));
  ASSERT_NE(nullptr, pane);
  const RECT band = pane->GetSeparatorRect(false);
  EXPECT_EQ((RECT{0, 96, 200, 100}), band);
  EXPECT_EQ(SkinUI::kControlFlagSetCursor, pane->GetControlFlags());

  const DragStep steps[] = {
      {SkinUI::kEventButtonDown, {10, 50}, 100, false},   // outside the band: no drag
      {SkinUI::kEventMouseMove, {10, 150}, 100, false},
      {SkinUI::kEventButtonDown, {10, 98}, 100, true},
      {SkinUI::kEventMouseMove, {10, 102}, 100, true},    // still within the band's reach
      {SkinUI::kEventMouseMove, {10, 120}, 118, true},
      {SkinUI::kEventMouseMove, {10, 110}, 108, true},
      {SkinUI::kEventMouseMove, {10, 20}, 30, true},      // stops at the minimum
      {SkinUI::kEventMouseMove, {10, 5}, 30, true},       // further up: ignored
      {SkinUI::kEventMouseMove, {10, 400}, 200, true},    // stops at the maximum
      {SkinUI::kEventMouseMove, {10, 450}, 200, true},
      {SkinUI::kEventButtonUp, {10, 450}, 200, false},
      {SkinUI::kEventMouseMove, {10, 100}, 200, false},   // released: the pane stays
  };
  RunDrag(pane, true, steps, sizeof(steps) / sizeof(steps[0]));
  root->SetPos({0, 0, 200, 300}, false);
  EXPECT_EQ(L"pane=0,0,200,200 rest=0,200,200,300", Rects(root.get()));
}

TEST(Separator, HorizontalBandAtTheLeftEdgeDragsTheLeftEdge) {
  ControlPtr root = BuildText(
      L"<Window><HorizontalLayout><Control name='left' width='50'/><HorizontalLayout name='pane' "
      L"width='100' sepwidth='-4' sepimm='true' minwidth='20'/><Control name='rest'/>"
      L"</HorizontalLayout></Window>");
  ASSERT_TRUE(root);
  root->SetManager(nullptr, nullptr, false);
  root->SetPos({0, 0, 300, 100}, false);
  auto* pane = static_cast<SkinUI::CHorizontalLayoutUI*>(FindByName(root.get(), L"pane"));
  ASSERT_NE(nullptr, pane);
  EXPECT_EQ((RECT{50, 0, 54, 100}), pane->GetSeparatorRect(false));

  const DragStep steps[] = {
      {SkinUI::kEventButtonDown, {52, 10}, 100, true},
      {SkinUI::kEventMouseMove, {48, 10}, 100, true},  // still within the band's reach
      {SkinUI::kEventMouseMove, {40, 10}, 108, true},
      {SkinUI::kEventMouseMove, {45, 10}, 103, true},
      {SkinUI::kEventMouseMove, {140, 10}, 20, true},  // stops at the minimum
      {SkinUI::kEventButtonUp, {140, 10}, 20, false},
  };
  RunDrag(pane, false, steps, sizeof(steps) / sizeof(steps[0]));
  root->SetPos({0, 0, 300, 100}, false);
  EXPECT_EQ(L"left=0,0,50,100 pane=50,0,70,100 rest=70,0,300,100", Rects(root.get()));
}

TEST(Separator, BandRectanglesByTheTable) {
  const struct {
    const wchar_t* xml;
    RECT band;
  } cases[] = {
      {L"<VerticalLayout name='pane' sepheight='4'/>", {0, 96, 200, 100}},
      {L"<VerticalLayout name='pane' sepheight='-6'/>", {0, 0, 200, 6}},
      {L"<VerticalLayout name='pane' sepheight='500'/>", {0, 0, 200, 100}},
      {L"<VerticalLayout name='pane' sepheight='-500'/>", {0, 0, 200, 100}},
      {L"<VerticalLayout name='pane'/>", {0, 100, 200, 100}},
      {L"<HorizontalLayout name='pane' sepwidth='5'/>", {195, 0, 200, 100}},
      {L"<HorizontalLayout name='pane' sepwidth='-5'/>", {0, 0, 5, 100}},
  };
  for (const auto& c : cases) {
    ControlPtr root = BuildText(std::wstring(L"<Window>") + c.xml + L"</Window>");
    ASSERT_TRUE(root);
    root->SetPos({0, 0, 200, 100}, false);
    RECT band = {};
    if (auto* v = static_cast<SkinUI::CVerticalLayoutUI*>(root->GetInterface(L"VerticalLayout"))) {
      band = v->GetSeparatorRect(false);
    } else {
      band = static_cast<SkinUI::CHorizontalLayoutUI*>(root->GetInterface(L"HorizontalLayout"))
                 ->GetSeparatorRect(false);
    }
    EXPECT_EQ(c.band, band) << c.xml;
  }
}

TEST(Separator, OnlyAnEnabledLayoutWithABandWantsTheCursor) {
  SkinUI::CVerticalLayoutUI pane;
  EXPECT_EQ(0u, pane.GetControlFlags());
  pane.SetSepHeight(3);
  EXPECT_EQ(SkinUI::kControlFlagSetCursor, pane.GetControlFlags());
  pane.SetEnabled(false);
  EXPECT_EQ(0u, pane.GetControlFlags());
  SkinUI::CHorizontalLayoutUI row;
  row.SetSepWidth(-2);
  EXPECT_EQ(SkinUI::kControlFlagSetCursor, row.GetControlFlags());
}

TEST(Separator, PreviewDragInAWindowShowsABandAndResizesOnRelease) {
  TestSupport::TestHostWindow host(200, 300);
  ControlPtr built = BuildText(
      L"<Window><VerticalLayout><VerticalLayout name='pane' height='100' sepheight='4' "
      L"minheight='30'/><Control name='rest'/></VerticalLayout></Window>",
      &host.manager());
  ASSERT_TRUE(built);
  ASSERT_TRUE(host.Attach(built.release()));
  CControlUI* root = host.manager().GetRoot();
  auto* pane = static_cast<SkinUI::CVerticalLayoutUI*>(host.manager().FindControl(L"pane"));
  ASSERT_NE(nullptr, pane);
  EXPECT_EQ((RECT{0, 0, 200, 100}), pane->GetPos());

  const HWND hwnd = host.hwnd();
  ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, TestSupport::PointParam(10, 98));
  ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, TestSupport::PointParam(10, 98));
  ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, TestSupport::PointParam(10, 120));
  // The preview moves only the band; the pane keeps its place until the button is released.
  EXPECT_EQ((RECT{0, 0, 200, 100}), pane->GetPos());
  EXPECT_EQ((RECT{0, 118, 200, 122}), pane->GetSeparatorRect(true));
  EXPECT_EQ(122, pane->GetFixedHeight());

  TestSupport::DibCanvas canvas(200, 300);
  pane->DoPostPaint(canvas.dc(), canvas.Rect());
  // 0xAA black over white.
  EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(10, 120) | 0xFF000000, 0xFF555555, 3))
      << TestSupport::ColorText(canvas.Pixel(10, 120));
  EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(10, 110) | 0xFF000000, 0xFFFFFFFF, 0));

  ::SendMessageW(hwnd, WM_LBUTTONUP, 0, TestSupport::PointParam(10, 120));
  host.Repaint();
  EXPECT_EQ(L"pane=0,0,200,122 rest=0,122,200,300", Rects(root));
  // Released: nothing more is painted after the tree.
  canvas.Fill(0xFFFFFFFF);
  pane->DoPostPaint(canvas.dc(), canvas.Rect());
  EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(10, 120), 0xFFFFFFFF, 0));
}
