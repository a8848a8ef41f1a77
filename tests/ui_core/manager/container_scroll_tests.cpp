// Scrolling a container: by its operations, by keys and by the wheel, clamped at both ends;
// bars shown, hidden, placed and ranged by ProcessScrollBar as the content changes.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_test_support.h"

using namespace SkinUI;
using ControlTest::MakeEvent;
using ControlTest::RectText;
using ControlTest::SameRect;

namespace {

// Hands the content's size to the container as a layout does at the end of its placement.
void ProcessContent(CContainerUI& container, int cxRequired, int cyRequired) {
  container.ProcessScrollBar(container.GetClientPos(), cxRequired, cyRequired);
}

// A 200 x 100 container with the asked bars, a plain child and a float child, whose content
// needs cx x cy.
struct ScrolledContainer {
  ScrolledContainer(bool vertical, bool horizontal, int cx, int cy) {
    container.EnableScrollBar(vertical, horizontal);
    child = new CControlUI;
    floating = new CControlUI;
    floating->ApplyAttributeList(L"float=\"true\" pos=\"5,5,15,15\"");
    container.Add(child);
    container.Add(floating);
    container.SetPos(RECT{0, 0, 200, 100}, false);
    ProcessContent(container, cx, cy);
    childStart = child->GetPos();
    floatStart = floating->GetPos();
  }
  // The plain child moved against the scroll position; the float child did not move.
  bool ChildrenFollow() const {
    const SIZE pos = container.GetScrollPos();
    RECT expected = childStart;
    ::OffsetRect(&expected, -pos.cx, -pos.cy);
    return SameRect(child->GetPos(), expected) && SameRect(floating->GetPos(), floatStart);
  }

  CContainerUI container;
  CControlUI* child = nullptr;
  CControlUI* floating = nullptr;
  RECT childStart = {};
  RECT floatStart = {};
};

struct OperationCase {
  const char* name;
  std::function<void(CContainerUI&)> operation;
  int expected;
};

TEST(ContainerScrolling, OperationsMoveThePositionAndStopAtBothEnds) {
  ScrolledContainer s(true, false, 0, 300);
  ASSERT_EQ(s.container.GetScrollRange().cy, 200);
  const OperationCase cases[] = {
      {"LineDown", [](CContainerUI& c) { c.LineDown(); }, 8},
      {"LineDown", [](CContainerUI& c) { c.LineDown(); }, 16},
      {"PageDown", [](CContainerUI& c) { c.PageDown(); }, 116},
      {"EndDown", [](CContainerUI& c) { c.EndDown(); }, 200},
      {"LineDown at the end", [](CContainerUI& c) { c.LineDown(); }, 200},
      {"PageDown at the end", [](CContainerUI& c) { c.PageDown(); }, 200},
      {"LineUp", [](CContainerUI& c) { c.LineUp(); }, 192},
      {"PageUp", [](CContainerUI& c) { c.PageUp(); }, 92},
      {"HomeUp", [](CContainerUI& c) { c.HomeUp(); }, 0},
      {"LineUp at the top", [](CContainerUI& c) { c.LineUp(); }, 0},
      {"PageUp at the top", [](CContainerUI& c) { c.PageUp(); }, 0},
      {"SetScrollPos 150", [](CContainerUI& c) { c.SetScrollPos(SIZE{0, 150}); }, 150},
      {"SetScrollPos below 0", [](CContainerUI& c) { c.SetScrollPos(SIZE{0, -5}); }, 0},
      {"SetScrollPos past the range", [](CContainerUI& c) { c.SetScrollPos(SIZE{0, 1000}); },
       200},
      {"LineLeft without a horizontal bar", [](CContainerUI& c) { c.LineLeft(); }, 200},
  };
  for (const OperationCase& test : cases) {
    test.operation(s.container);
    EXPECT_EQ(s.container.GetScrollPos().cy, test.expected) << test.name;
    EXPECT_EQ(s.container.GetScrollPos().cx, 0) << test.name;
    EXPECT_TRUE(s.ChildrenFollow()) << test.name << ": child " << RectText(s.child->GetPos());
  }
}

TEST(ContainerScrolling, HorizontalOperationsAndPagesLessTheOtherBar) {
  ScrolledContainer s(true, true, 500, 300);
  const SIZE range = s.container.GetScrollRange();
  EXPECT_EQ(range.cx, 500 - 184);
  EXPECT_EQ(range.cy, 300 - 84);
  const OperationCase cases[] = {
      {"LineRight", [](CContainerUI& c) { c.LineRight(); }, 8},
      {"PageRight", [](CContainerUI& c) { c.PageRight(); }, 8 + 184},
      {"EndRight", [](CContainerUI& c) { c.EndRight(); }, 316},
      {"LineRight at the end", [](CContainerUI& c) { c.LineRight(); }, 316},
      {"PageLeft", [](CContainerUI& c) { c.PageLeft(); }, 316 - 184},
      {"HomeLeft", [](CContainerUI& c) { c.HomeLeft(); }, 0},
      {"LineLeft at the start", [](CContainerUI& c) { c.LineLeft(); }, 0},
  };
  for (const OperationCase& test : cases) {
    test.operation(s.container);
    EXPECT_EQ(s.container.GetScrollPos().cx, test.expected) << test.name;
    EXPECT_TRUE(s.ChildrenFollow()) << test.name;
  }
  s.container.PageDown();
  EXPECT_EQ(s.container.GetScrollPos().cy, 84) << "a page less the horizontal bar";
}

struct KeyCase {
  WORD key;
  int expected;
};

TEST(ContainerScrolling, KeysScrollTheVerticalBarElseTheHorizontalOne) {
  {
    ScrolledContainer s(true, false, 0, 300);
    const KeyCase cases[] = {{VK_DOWN, 8},   {VK_NEXT, 108}, {VK_END, 200}, {VK_UP, 192},
                             {VK_PRIOR, 92}, {VK_HOME, 0},   {VK_RIGHT, 0}, {VK_LEFT, 0},
                             {'A', 0}};
    for (const KeyCase& test : cases) {
      TInputEventUI event = MakeEvent(kEventKeyDown, POINT{0, 0}, test.key, test.key);
      s.container.DoEvent(event);
      EXPECT_EQ(s.container.GetScrollPos().cy, test.expected) << "key " << test.key;
    }
  }
  {
    ScrolledContainer s(false, true, 500, 0);
    const KeyCase cases[] = {{VK_DOWN, 8},  {VK_NEXT, 208}, {VK_END, 300}, {VK_UP, 292},
                             {VK_HOME, 0}, {VK_PRIOR, 0}};
    for (const KeyCase& test : cases) {
      TInputEventUI event = MakeEvent(kEventKeyDown, POINT{0, 0}, test.key, test.key);
      s.container.DoEvent(event);
      EXPECT_EQ(s.container.GetScrollPos().cx, test.expected) << "key " << test.key;
    }
  }
  {
    ScrolledContainer s(true, false, 0, 300);
    s.container.SetKeyboardEnabled(false);
    TInputEventUI down = MakeEvent(kEventKeyDown, POINT{0, 0}, VK_DOWN, VK_DOWN);
    s.container.DoEvent(down);
    EXPECT_EQ(s.container.GetScrollPos().cy, 0) << "keyboard disabled";
    s.container.SetKeyboardEnabled(true);
    s.container.SetEnabled(false);
    s.container.DoEvent(down);
    EXPECT_EQ(s.container.GetScrollPos().cy, 0) << "container disabled";
    s.container.SetEnabled(true);
    s.container.GetVerticalScrollBar()->SetEnabled(false);
    s.container.DoEvent(down);
    EXPECT_EQ(s.container.GetScrollPos().cy, 0) << "bar disabled";
  }
}

TEST(ContainerScrolling, WheelScrollsTheBarUnderThePointerFirst) {
  {
    ScrolledContainer s(true, false, 0, 300);
    TInputEventUI down = MakeEvent(kEventScrollWheel, POINT{50, 50}, 1);
    s.container.DoEvent(down);
    s.container.DoEvent(down);
    EXPECT_EQ(s.container.GetScrollPos().cy, 16);
    TInputEventUI up = MakeEvent(kEventScrollWheel, POINT{50, 50}, 0);
    s.container.DoEvent(up);
    EXPECT_EQ(s.container.GetScrollPos().cy, 8);
    TInputEventUI odd = MakeEvent(kEventScrollWheel, POINT{50, 50}, 7);
    s.container.DoEvent(odd);
    EXPECT_EQ(s.container.GetScrollPos().cy, 8) << "other values are not wheel turns";
  }
  {
    ScrolledContainer s(true, true, 500, 300);
    const RECT bar = s.container.GetHorizontalScrollBar()->GetPos();
    EXPECT_TRUE(SameRect(bar, RECT{0, 84, 184, 100})) << RectText(bar);
    TInputEventUI overBar = MakeEvent(kEventScrollWheel, POINT{50, 90}, 1);
    s.container.DoEvent(overBar);
    EXPECT_EQ(s.container.GetScrollPos().cx, 8) << "over the horizontal bar";
    EXPECT_EQ(s.container.GetScrollPos().cy, 0);
    TInputEventUI elsewhere = MakeEvent(kEventScrollWheel, POINT{50, 50}, 1);
    s.container.DoEvent(elsewhere);
    EXPECT_EQ(s.container.GetScrollPos().cy, 8) << "elsewhere the vertical bar";
  }
  {
    ScrolledContainer s(false, true, 500, 0);
    TInputEventUI down = MakeEvent(kEventScrollWheel, POINT{50, 50}, 1);
    s.container.DoEvent(down);
    EXPECT_EQ(s.container.GetScrollPos().cx, 8) << "only a horizontal bar";
  }
  {
    // The wheel over a bar reaches the container through the bar.
    ScrolledContainer s(true, false, 0, 300);
    CScrollBarUI* bar = s.container.GetVerticalScrollBar();
    TInputEventUI down = MakeEvent(kEventScrollWheel, POINT{190, 50}, 1);
    bar->DoEvent(down);
    EXPECT_EQ(s.container.GetScrollPos().cy, 8);
  }
}

TEST(ContainerScrolling, LineSizeIsTheFontHeightPlusEightOrTheScrollUnit) {
  TestSupport::TestHostWindow host;
  TFontEntryUI* font = host.manager().GetDefaultFontInfo();
  ASSERT_NE(font, nullptr);
  const int line = font->metrics.tmHeight + 8;
  EXPECT_GT(line, 8);
  {
    ScrolledContainer s(true, false, 0, 300);
    s.container.SetManager(&host.manager(), nullptr, false);
    s.container.LineDown();
    EXPECT_EQ(s.container.GetScrollPos().cy, line);
    s.container.GetVerticalScrollBar()->SetScrollUnit(20);
    s.container.HomeUp();
    s.container.LineDown();
    EXPECT_EQ(s.container.GetScrollPos().cy, 20) << "the scroll unit, whatever the font";
  }
}

TEST(ContainerScrolling, ScrollingSendsScrollFromTheBar) {
  TestSupport::TestHostWindow host;
  TestSupport::NotifyRecorder recorder;
  host.manager().AddNotifier(&recorder);
  {
    ScrolledContainer s(true, false, 0, 300);
    s.container.SetManager(&host.manager(), nullptr, false);
    s.container.GetVerticalScrollBar()->SetScrollUnit(10);
    s.container.LineDown();
    EXPECT_TRUE(TestSupport::PumpUntil([&] { return recorder.Count(L"scroll") == 1; }));
    ASSERT_FALSE(recorder.list.empty());
    EXPECT_EQ(recorder.list.back().sender, s.container.GetVerticalScrollBar());
    EXPECT_EQ(recorder.list.back().wParam, 10u);
    EXPECT_EQ(recorder.list.back().lParam, 0);
  }
  host.manager().RemoveNotifier(&recorder);
}

struct ProcessStep {
  int cx;
  int cy;
  bool verticalShown;
  int verticalRange;
  bool horizontalShown;
  int horizontalRange;
  const char* what;
};

// Lays itself out as the layouts do: its children first, then ProcessScrollBar over its client
// area with the size its content needs.
class ContentContainer : public CContainerUI {
public:
  void SetPos(RECT rc, bool needInvalidate = true) override {
    CContainerUI::SetPos(rc, needInvalidate);
    ProcessScrollBar(GetClientPos(), content.cx, content.cy);
  }
  // Lays the container out again for content of a new size, as the window would.
  void Relayout(int cx, int cy) {
    content = SIZE{cx, cy};
    SetPos(GetPos(), false);
  }
  SIZE content = {0, 0};
};

void RunSteps(bool vertical, bool horizontal, const ProcessStep* steps, size_t count,
              const char* table) {
  ContentContainer container;
  container.EnableScrollBar(vertical, horizontal);
  auto* child = new CControlUI;
  container.Add(child);
  // The bars start hidden, as they are for content that fits.
  container.SetPos(RECT{0, 0, 200, 100}, false);
  for (size_t i = 0; i < count; ++i) {
    const ProcessStep& step = steps[i];
    container.Relayout(step.cx, step.cy);
    const SIZE range = container.GetScrollRange();
    CScrollBarUI* v = container.GetVerticalScrollBar();
    CScrollBarUI* h = container.GetHorizontalScrollBar();
    if (v != nullptr) {
      EXPECT_EQ(v->IsVisible(), step.verticalShown) << table << ": " << step.what;
      EXPECT_EQ(range.cy, step.verticalRange) << table << ": " << step.what;
      EXPECT_GE(v->GetScrollRange(), 0);
      if (v->IsVisible()) {
        EXPECT_TRUE(SameRect(v->GetPos(), RECT{184, 0, 200, container.GetClientPos().bottom}))
            << table << ": " << step.what << ": " << RectText(v->GetPos());
      }
    }
    if (h != nullptr) {
      EXPECT_EQ(h->IsVisible(), step.horizontalShown) << table << ": " << step.what;
      EXPECT_EQ(range.cx, step.horizontalRange) << table << ": " << step.what;
      EXPECT_GE(h->GetScrollRange(), 0);
      if (h->IsVisible()) {
        EXPECT_TRUE(SameRect(h->GetPos(), RECT{0, 84, container.GetClientPos().right, 100}))
            << table << ": " << step.what << ": " << RectText(h->GetPos());
      }
    }
    // The child fills the client area, shifted by the scroll position.
    const RECT client = container.GetClientPos();
    EXPECT_EQ(child->GetPos().left, client.left - container.GetScrollPos().cx) << step.what;
    EXPECT_EQ(child->GetPos().top, client.top - container.GetScrollPos().cy) << step.what;
  }
}

TEST(ContainerScrolling, ProcessScrollBarShowsRangesAndHidesTheBars) {
  const ProcessStep verticalOnly[] = {
      {0, 50, false, 0, false, 0, "content fits"},
      {0, 300, true, 200, false, 0, "taller content shows the bar"},
      {0, 250, true, 150, false, 0, "the range follows the content"},
      {0, 100, false, 0, false, 0, "content that fits again hides the bar"},
      {0, 101, true, 1, false, 0, "one pixel too many"},
  };
  RunSteps(true, false, verticalOnly, std::size(verticalOnly), "vertical only");

  const ProcessStep horizontalOnly[] = {
      {150, 0, false, 0, false, 0, "content fits"},
      {500, 0, false, 0, true, 300, "wider content shows the bar"},
      {400, 0, false, 0, true, 200, "the range follows the content"},
      {200, 0, false, 0, false, 0, "content that fits again hides the bar"},
  };
  RunSteps(false, true, horizontalOnly, std::size(horizontalOnly), "horizontal only");

  const ProcessStep both[] = {
      {100, 50, false, 0, false, 0, "content fits"},
      {100, 300, true, 200, false, 0, "only taller"},
      {500, 300, true, 216, true, 316, "taller and wider"},
      {150, 300, true, 200, false, 0, "narrower again"},
      {150, 60, false, 0, false, 0, "everything fits"},
      {500, 50, false, 0, true, 300, "only wider"},
  };
  RunSteps(true, true, both, std::size(both), "both bars");
}

TEST(ContainerScrolling, ShrinkingContentLowersThePositionAndMovesTheChildren) {
  ContentContainer container;
  container.EnableScrollBar(true, false);
  auto* child = new CControlUI;
  container.Add(child);
  container.content = SIZE{0, 300};
  container.SetPos(RECT{0, 0, 200, 100}, false);
  ASSERT_EQ(container.GetScrollRange().cy, 200);
  container.SetScrollPos(SIZE{0, 180});
  EXPECT_EQ(child->GetPos().top, -180);
  container.Relayout(0, 250);
  EXPECT_EQ(container.GetScrollRange().cy, 150);
  EXPECT_EQ(container.GetScrollPos().cy, 150);
  EXPECT_EQ(child->GetPos().top, -150) << "laid out again at the lower position";
}

}  // namespace
