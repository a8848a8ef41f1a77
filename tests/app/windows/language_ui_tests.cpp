// The language table in the running UI: "language.json" of the skin that the window managers
// hold open fills the text table, and "%{n}" tokens draw and measure as their texts.
#include <gtest/gtest.h>

#include "app/ui_language.h"
#include "app_ui_support.h"
#include "test_support.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_manager.h"

namespace {

class LanguageTable : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(AppTest::UseEmbeddedSkin());
    SkinUI::CWindowManagerUI::RemoveAllLanguageTexts();
  }
  void TearDown() override { SkinUI::CWindowManagerUI::RemoveAllLanguageTexts(); }
};

TEST_F(LanguageTable, TheSkinsTableFillsTheTextsOfTheChosenLanguage) {
  EXPECT_EQ(App::LoadLanguageTable(10, L""), 10);
  ASSERT_NE(SkinUI::CWindowManagerUI::GetLanguageText(1), nullptr);
  EXPECT_EQ(*SkinUI::CWindowManagerUI::GetLanguageText(1), L"지금 설치");
  // Another language replaces the texts of the same ids.
  EXPECT_EQ(App::LoadLanguageTable(0, L"zh-TW"), 2);
  EXPECT_EQ(*SkinUI::CWindowManagerUI::GetLanguageText(1), L"立即安裝");
  EXPECT_EQ(App::LoadLanguageTable(0, L"xx-XX"), 0);
  EXPECT_EQ(*SkinUI::CWindowManagerUI::GetLanguageText(1), L"Install now");
}

TEST_F(LanguageTable, TokensDrawAndMeasureAsTheirTexts) {
  App::LoadLanguageTable(1, L"");  // zh-CN: id 1 is "立即安装"
  TestSupport::TestHostWindow host(200, 60);
  auto* root = new SkinUI::CVerticalLayoutUI();
  auto* token = new SkinUI::CLabelUI();
  auto* plain = new SkinUI::CLabelUI();
  for (SkinUI::CLabelUI* label : {token, plain}) {
    label->SetFixedHeight(30);
    label->SetAttribute(L"textcolor", L"#FF000000");
    root->Add(label);
  }
  token->SetText(L"%{1}");
  plain->SetText(L"立即安装");
  ASSERT_TRUE(host.Attach(root));
  TestSupport::DibCanvas canvas(200, 60);
  root->Paint(canvas.dc(), canvas.Rect());
  int ink = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 200; ++x) {
      ASSERT_EQ(canvas.Pixel(x, y), canvas.Pixel(x, y + 30)) << x << "," << y;
      if (!TestSupport::ColorNear(canvas.Pixel(x, y), 0xFFFFFFFF, 40)) ++ink;
    }
  }
  EXPECT_GT(ink, 20);  // something was drawn
  const SIZE a = SkinUI::CRenderUI::GetTextSize(host.manager().GetPaintDC(), &host.manager(),
                                                L"%{1}", -1, DT_SINGLELINE);
  const SIZE b = SkinUI::CRenderUI::GetTextSize(host.manager().GetPaintDC(), &host.manager(),
                                                L"立即安装", -1, DT_SINGLELINE);
  EXPECT_GT(b.cx, 0);
  EXPECT_EQ(a.cx, b.cx);
  EXPECT_EQ(a.cy, b.cy);
}

TEST_F(LanguageTable, AnEarlierInstallationsLanguageIsReadFromItsConfig) {
  TestSupport::ScratchDir dir(L"cfg");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"config.ini"), "[Install]\r\nLanguage=ja-JP\r\n"));
  AppTest::SkinTree tree(L"MessageBox1Wnd.xml", 360, 180);
  EXPECT_EQ(App::ReadConfigLanguage(dir.Path(), &tree.Host().manager()), 9);
  EXPECT_EQ(*SkinUI::CWindowManagerUI::GetLanguageText(6), L"参照");
  TestSupport::ScratchDir empty(L"cfg");
  EXPECT_EQ(App::ReadConfigLanguage(empty.Path(), &tree.Host().manager()), 0);
  EXPECT_EQ(*SkinUI::CWindowManagerUI::GetLanguageText(6), L"Browse");
}

}  // namespace
