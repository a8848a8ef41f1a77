// The skin's Window element: each attribute read into the manager, untrusted values included.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "manager_test_controls.h"
#include "test_support.h"

namespace {

using namespace SkinUI;
using ManagerTest::Scene;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class WindowAttributeTest : public ::testing::Test {
protected:
  void SetUp() override { ManagerTest::MoveCursorAway(); }
};

TEST_F(WindowAttributeTest, EachAttributeLandsWhereItBelongs) {
  Scene scene;
  CWindowManagerUI& m = scene.manager();
  const struct {
    const wchar_t* name;
    const wchar_t* value;
    std::function<bool()> check;
  } cases[] = {
      {L"sizebox", L"1,2,3,4", [&] { return SameRect(m.GetSizeBox(), RECT{1, 2, 3, 4}); }},
      {L"SIZEBOX", L"5,6,7,8", [&] { return SameRect(m.GetSizeBox(), RECT{5, 6, 7, 8}); }},
      {L"caption", L"0,0,0,35", [&] { return SameRect(m.GetCaptionRect(), RECT{0, 0, 0, 35}); }},
      {L"Caption", L"1;2", [&] { return SameRect(m.GetCaptionRect(), RECT{1, 2, 0, 0}); }},
      {L"roundcorner", L"4,5", [&] { return m.GetRoundCorner().cx == 4 && m.GetRoundCorner().cy == 5; }},
      {L"mininfo", L"300,200", [&] { return m.GetMinInfo().cx == 300 && m.GetMinInfo().cy == 200; }},
      {L"maxinfo", L"0,500", [&] { return m.GetMaxInfo().cx == 0 && m.GetMaxInfo().cy == 500; }},
      {L"showdirty", L"TRUE", [&] { return m.IsShowDirty(); }},
      {L"ShowDirty", L"yes", [&] { return !m.IsShowDirty(); }},
      {L"noactivate", L"True", [&] { return m.IsNoActivate(); }},
      {L"NoActivate", L"false",
       [&] { return m.IsNoActivate() && m.GetWindowCustomAttribute(L"NoActivate") != nullptr; }},
      {L"layeredopacity", L"99", [&] { return m.GetOpacity() == 99; }},
      {L"LayeredOpacity", L"50",
       [&] { return m.GetOpacity() == 99 && m.GetWindowCustomAttribute(L"LayeredOpacity") != nullptr; }},
      {L"defaultfontcolor", L"#FF112233", [&] { return m.GetDefaultFontColor() == 0xFF112233u; }},
      {L"DisabledFontColor", L"FF445566", [&] { return m.GetDefaultDisabledColor() == 0xFF445566u; }},
      {L"linkfontcolor", L"#FF0000AA", [&] { return m.GetDefaultLinkFontColor() == 0xFF0000AAu; }},
      {L"linkhoverfontcolor", L"#ff0000bb", [&] { return m.GetDefaultLinkHoverFontColor() == 0xFF0000BBu; }},
      {L"selectedcolor", L"#GG", [&] { return m.GetDefaultSelectedBkColor() == 0u; }},
      {L"showshadow", L"true", [&] { return std::wstring(m.GetWindowCustomAttribute(L"showshadow")) == L"true"; }},
      {L"showshadow", L"false", [&] { return std::wstring(m.GetWindowCustomAttribute(L"showshadow")) == L"true"; }},
      {L"shadowsize", L"", [&] { return m.GetWindowCustomAttribute(L"shadowsize") == nullptr; }},
      {L"", L"x", [&] { return m.GetWindowCustomAttribute(L"") == nullptr; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(std::wstring(c.name) + L"=" + c.value));
    m.SetWindowAttribute(c.name, c.value);
    EXPECT_TRUE(c.check());
  }
  m.RemoveAllWindowCustomAttribute();
  EXPECT_EQ(m.GetWindowCustomAttribute(L"showshadow"), nullptr);
}

TEST_F(WindowAttributeTest, TrackingSizesApplyOnlyWherePositive) {
  Scene scene;
  scene.manager().SetWindowAttribute(L"mininfo", L"300,0");
  scene.manager().SetWindowAttribute(L"maxinfo", L"0,500");
  MINMAXINFO info = {};
  info.ptMinTrackSize = POINT{11, 12};
  info.ptMaxTrackSize = POINT{1300, 1400};
  LRESULT result = 0;
  EXPECT_FALSE(scene.manager().MessageHandler(WM_GETMINMAXINFO, 0,
                                              reinterpret_cast<LPARAM>(&info), result));
  EXPECT_EQ(info.ptMinTrackSize.x, 300);
  EXPECT_EQ(info.ptMinTrackSize.y, 12);
  EXPECT_EQ(info.ptMaxTrackSize.x, 1300);
  EXPECT_EQ(info.ptMaxTrackSize.y, 500);
}

TEST_F(WindowAttributeTest, NoActivateAnswersMouseActivation) {
  Scene scene;
  LRESULT result = 0;
  EXPECT_FALSE(scene.manager().MessageHandler(WM_MOUSEACTIVATE, 0, 0, result));
  scene.manager().SetWindowAttribute(L"noactivate", L"true");
  EXPECT_TRUE(scene.manager().MessageHandler(WM_MOUSEACTIVATE, 0, 0, result));
  EXPECT_EQ(result, MA_NOACTIVATE);
}

TEST_F(WindowAttributeTest, SizeResizesTheWindowOnlyBeforeATreeIsAttached) {
  Scene scene(200, 100);
  scene.manager().SetWindowAttribute(L"size", L"250,120");
  EXPECT_EQ(scene.manager().GetInitSize().cx, 250);
  EXPECT_EQ(scene.manager().GetClientSize().cx, 250);
  EXPECT_EQ(scene.manager().GetClientSize().cy, 120);
  ASSERT_TRUE(scene.Attach());
  scene.manager().SetWindowAttribute(L"Size", L"300,200");
  EXPECT_EQ(scene.manager().GetInitSize().cy, 200);
  EXPECT_EQ(scene.manager().GetClientSize().cx, 250);
}

TEST_F(WindowAttributeTest, UntrustedValuesAreReadWithoutHarm) {
  Scene scene(200, 100);
  CWindowManagerUI& m = scene.manager();
  m.SetWindowAttribute(L"size", L"99999999999999,-5");
  EXPECT_EQ(m.GetInitSize().cx, INT_MAX);
  EXPECT_EQ(m.GetInitSize().cy, -5);
  m.SetWindowAttribute(L"caption", L"abc");
  EXPECT_TRUE(SameRect(m.GetCaptionRect(), RECT{0, 0, 0, 0}));
  m.SetWindowAttribute(L"sizebox", L"1,");
  EXPECT_TRUE(SameRect(m.GetSizeBox(), RECT{1, 0, 0, 0}));
  m.SetWindowAttribute(L"roundcorner", nullptr);
  m.SetWindowAttribute(nullptr, L"1");
  m.SetWindowAttribute(L"opacity", L"-20");
  EXPECT_EQ(m.GetOpacity(), 0);
  m.SetWindowAttribute(L"layeredopacity", L"99999999999");
  EXPECT_EQ(m.GetOpacity(), 255);
  const std::wstring huge(100000, L'9');
  m.SetWindowAttribute(L"roundcorner", huge.c_str());
  m.SetWindowAttribute(huge.c_str(), huge.c_str());
  EXPECT_EQ(std::wstring(m.GetWindowCustomAttribute(huge.c_str())), huge);
  m.SetWindowAttribute(L"defaultfontcolor", L"#123456789ABCDEF");
  EXPECT_EQ(m.GetDefaultFontColor(), 0x12345678u);
}

}  // namespace
