// Untrusted skins: a control tree 256 levels deep, and attribute values and attribute lists
// made of junk, huge numbers and cut-off text, laid out, painted and hit-tested without a crash
// or an endless loop.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "control_test_util.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_test_support.h"

using namespace SkinUI;

namespace {

constexpr int kDepth = 256;

// A chain of kDepth containers with a red leaf at the bottom; returns the root.
CContainerUI* MakeDeepTree(CControlUI** leafOut) {
  auto* root = new CContainerUI;
  CContainerUI* level = root;
  for (int i = 1; i < kDepth; ++i) {
    auto* next = new CContainerUI;
    if (i == kDepth / 2) next->SetVirtualWnd(L"middle");
    EXPECT_TRUE(level->Add(next));
    level = next;
  }
  auto* leaf = new CControlUI;
  leaf->SetName(L"leaf");
  leaf->SetBkColor(0xFFFF0000);
  level->Add(leaf);
  *leafOut = leaf;
  return root;
}

TEST(ControlRobustness, TreeTwoHundredFiftySixLevelsDeep) {
  CControlUI* leaf = nullptr;
  std::unique_ptr<CContainerUI> root(MakeDeepTree(&leaf));
  root->SetPos(RECT{0, 0, 64, 64}, false);
  EXPECT_TRUE(ControlTest::SameRect(leaf->GetPos(), RECT{0, 0, 64, 64}));
  TestSupport::DibCanvas canvas(64, 64);
  EXPECT_TRUE(root->Paint(canvas.dc(), canvas.Rect()));
  EXPECT_EQ(canvas.Pixel(32, 32) & 0x00FFFFFF, 0xFF0000u);
  EXPECT_EQ(ControlTest::HitTest(root.get(), 5, 5), leaf);
  EXPECT_EQ(std::wstring(leaf->GetVirtualWnd().GetData()), L"middle");
  root->SetVisible(false);
  EXPECT_FALSE(leaf->IsVisible());
  root->SetVisible(true);
  EXPECT_TRUE(leaf->IsVisible());
  leaf->NeedParentUpdate();
  root->Move(SIZE{3, 4}, true);
  EXPECT_TRUE(ControlTest::SameRect(leaf->GetPos(), RECT{3, 4, 67, 68}));
}

TEST(ControlRobustness, DeepTreeInAWindow) {
  TestSupport::TestHostWindow host(64, 64);
  CControlUI* leaf = nullptr;
  CContainerUI* root = MakeDeepTree(&leaf);
  ASSERT_TRUE(host.Attach(root));
  EXPECT_EQ(host.manager().FindControl(L"leaf"), leaf);
  EXPECT_EQ(host.manager().FindControl(POINT{10, 10}), leaf);
  leaf->SetFocus();
  leaf->NeedUpdate();
  host.Repaint();
  root->RemoveAll();
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return host.manager().FindControl(L"leaf") == nullptr; }));
}

// A small deterministic generator so that a failing value can be reproduced.
class Junk {
public:
  explicit Junk(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  std::wstring Value() {
    static const wchar_t kAlphabet[] = L"0123456789,,,---  #.eE+xyzfalsetrue\"'=<>\t\x7f\xff";
    const uint32_t kind = Next() % 8;
    std::wstring text;
    if (kind == 0) return text;
    if (kind == 1) return std::wstring(1 + Next() % 400, L'9');
    if (kind == 2) return L"-" + std::wstring(1 + Next() % 30, L'9') + L",2147483647,-1,99999999999";
    const uint32_t length = Next() % (kind == 3 ? 2000 : 24);
    for (uint32_t i = 0; i < length; ++i) {
      text += kAlphabet[Next() % (sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1)];
    }
    return text;
  }

private:
  uint32_t state_;
};

const wchar_t* const kNames[] = {
    L"pos", L"padding", L"bkcolor", L"bkcolor1", L"bkcolor2", L"bkcolor3", L"bordercolor",
    L"focusbordercolor", L"colorhsl", L"bordersize", L"borderstyle", L"borderround", L"bkimage",
    L"width", L"height", L"minwidth", L"minheight", L"maxwidth", L"maxheight", L"name", L"text",
    L"tooltip", L"userdata", L"tag", L"enabled", L"mouse", L"keyboard", L"visible", L"float",
    L"shortcut", L"menu", L"virtualwnd", L"inset", L"mousechild", L"vscrollbar",
    L"vscrollbarstyle", L"hscrollbar", L"hscrollbarstyle", L"childpadding", L"childalign",
    L"childvalign", L"button1color", L"thumbcolor", L"hor", L"linesize", L"range", L"value",
    L"scrollunit", L"showbutton1", L"showbutton2", L"thumbnormalimage", L"junk"};

TEST(ControlRobustness, JunkAttributeValuesNeverBreakLayoutPaintingOrLookup) {
  Junk junk(12345);
  TestSupport::DibCanvas canvas(80, 80);
  for (int round = 0; round < 300; ++round) {
    CContainerUI root;
    auto* container = new CContainerUI;
    auto* control = new CControlUI;
    auto* bar = new CScrollBarUI;
    root.Add(container);
    container->Add(control);
    container->Add(bar);
    for (int i = 0; i < 12; ++i) {
      const wchar_t* name = kNames[junk.Next() % (sizeof(kNames) / sizeof(kNames[0]))];
      const std::wstring value = junk.Value();
      CControlUI* target = i % 3 == 0 ? static_cast<CControlUI*>(container)
                                      : (i % 3 == 1 ? control : static_cast<CControlUI*>(bar));
      target->SetAttribute(name, value.c_str());
    }
    root.SetPos(RECT{0, 0, 80, 80}, false);
    container->ProcessScrollBar(container->GetClientPos(), static_cast<int>(junk.Next() % 400),
                                static_cast<int>(junk.Next() % 400));
    root.Paint(canvas.dc(), canvas.Rect());
    ControlTest::HitTest(&root, static_cast<int>(junk.Next() % 100),
                         static_cast<int>(junk.Next() % 100));
    container->LineDown();
    container->PageRight();
    container->EndDown();
    TInputEventUI down = ControlTest::MakeEvent(kEventButtonDown, POINT{70, 70});
    bar->DoEvent(down);
    TInputEventUI up = ControlTest::MakeEvent(kEventButtonUp, POINT{70, 70});
    bar->DoEvent(up);
    const SIZE range = container->GetScrollRange();
    EXPECT_GE(range.cx, 0);
    EXPECT_GE(range.cy, 0);
  }
}

TEST(ControlRobustness, JunkAttributeListsStopCleanly) {
  Junk junk(777);
  const std::wstring pieces[] = {L"name=\"", L"\"", L" ", L"  ", L"=", L"text",
                                 L"pos=\"1,2,3,4\"", L"bkcolor=\"#", L"\x00e9", L"width"};
  for (int round = 0; round < 2000; ++round) {
    std::wstring list;
    const uint32_t count = junk.Next() % 12;
    for (uint32_t i = 0; i < count; ++i) list += pieces[junk.Next() % std::size(pieces)];
    CContainerUI container;
    container.ApplyAttributeList(list.c_str());
    container.SetAttribute(L"vscrollbarstyle", list.c_str());
  }
  std::wstring huge;
  for (int i = 0; i < 5000; ++i) huge += L"a=\"b\" ";
  CControlUI control;
  control.ApplyAttributeList(huge.c_str());
  EXPECT_STREQ(control.GetCustomAttribute(L"a"), L"b");
}

}  // namespace
