// The skin that the installer carries: every layout builds, every name that the windows look up
// is there with its class, the names that this skin leaves out stay out, and every image that a
// layout names is in the archive; the program's icon loads in every size it carries.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "app_ui_support.h"
#include "base/unique_resource.h"
#include "test_support.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_core/layout/ui_tab_layout.h"

namespace {

struct NameClass {
  const wchar_t* name;
  const wchar_t* interfaceName;  // the class's interface: null = the name must be absent
};

void ExpectNames(AppTest::SkinTree& tree, const std::vector<NameClass>& table) {
  for (const NameClass& row : table) {
    SkinUI::CControlUI* control = tree.Find(row.name);
    if (row.interfaceName == nullptr) {
      EXPECT_EQ(control, nullptr) << TestSupport::ToUtf8(row.name) << " should be absent";
      continue;
    }
    ASSERT_NE(control, nullptr) << TestSupport::ToUtf8(row.name);
    EXPECT_NE(control->GetInterface(row.interfaceName), nullptr)
        << TestSupport::ToUtf8(row.name) << " is a " << TestSupport::ToUtf8(control->GetClass());
  }
}

const wchar_t* const kLayouts[] = {L"mainWnd.xml",       L"MessageBox1Wnd.xml",
                                   L"MessageBox2Wnd.xml", L"NetworkTipWnd.xml",
                                   L"exitTipWnd.xml",     L"InstalledPathTipWnd.xml"};

TEST(SkinLayouts, EveryLayoutOfTheEmbeddedArchiveBuilds) {
  ASSERT_TRUE(AppTest::UseEmbeddedSkin());
  for (const wchar_t* layout : kLayouts) {
    AppTest::SkinTree tree(layout);
    EXPECT_NE(tree.Root(), nullptr) << TestSupport::ToUtf8(layout);
  }
  // Lookups ignore case: the main window asks for "MainWnd.xml", the box for "ExitTipWnd.xml".
  EXPECT_NE(AppTest::SkinTree(L"MainWnd.xml").Root(), nullptr);
  EXPECT_NE(AppTest::SkinTree(L"ExitTipWnd.xml", 360, 180).Root(), nullptr);
}

TEST(SkinLayouts, MainWindowNamesHaveTheirClasses) {
  AppTest::SkinTree tree(L"MainWnd.xml");
  ASSERT_NE(tree.Root(), nullptr);
  ExpectNames(tree, {
                        {L"winCtn", L"VerticalLayout"},
                        {L"titleTabLt", L"TabLayout"},
                        {L"mainTabLt", L"TabLayout"},
                        {L"defaultInstallBtn", L"Button"},
                        {L"customeInstallBtn", L"Button"},
                        {L"customeBtn", L"Button"},
                        {L"treatyBtn", L"CheckBox"},
                        {L"backBtn", L"Button"},
                        {L"openProduceBtn", L"Button"},
                        {L"treatyCb", L"CheckBox"},
                        {L"chDirBtn", L"Button"},
                        {L"installDirEdit", L"Edit"},
                        {L"progressLb", L"Label"},
                        {L"titleGrpCtn", L"HorizontalLayout"},
                        {L"createDSCb", L"CheckBox"},
                        {L"createQSCb", L"CheckBox"},
                        {L"progressAnLb", L"SequenceLabel"},
                        {L"installPrg", L"Progress"},
                        {L"tipLbl", L"Label"},
                        {L"closebtn", L"Button"},
                        {L"minbtn", L"Button"},
                        // Left out of this skin on purpose.
                        {L"serviceCb", nullptr},
                        {L"ableftBtn", nullptr},
                        {L"abrightBtn", nullptr},
                        {L"finishedLbl", nullptr},
                        {L"softNameLbl", nullptr},
                        {L"installLogo", nullptr},
                        {L"languageCombo", nullptr},
                        {L"bTitleLbl1", nullptr},
                    });
}

TEST(SkinLayouts, MainWindowStartsOnTheStartPageWithItsTicks) {
  AppTest::SkinTree tree(L"MainWnd.xml");
  auto* pages = static_cast<SkinUI::CTabLayoutUI*>(
      tree.Find(L"mainTabLt")->GetInterface(L"TabLayout"));
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->GetCount(), 4);
  EXPECT_EQ(pages->GetSelectedIndex(), 0);
  // Each control sits on its page.
  const struct {
    const wchar_t* name;
    int page;
  } placement[] = {{L"defaultInstallBtn", 0}, {L"treatyCb", 0},          {L"treatyBtn", 0},
                   {L"customeBtn", 0},        {L"tipLbl", 0},            {L"installDirEdit", 1},
                   {L"chDirBtn", 1},          {L"createDSCb", 1},        {L"createQSCb", 1},
                   {L"customeInstallBtn", 1}, {L"progressAnLb", 2},      {L"progressLb", 2},
                   {L"installPrg", 2},        {L"openProduceBtn", 3}};
  for (const auto& row : placement) {
    SkinUI::CControlUI* control = tree.Find(row.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetParent(), pages->GetItemAt(row.page)) << TestSupport::ToUtf8(row.name);
  }
  for (const wchar_t* ticked : {L"treatyCb", L"treatyBtn", L"createDSCb", L"createQSCb"}) {
    auto* option = static_cast<SkinUI::COptionUI*>(tree.Find(ticked)->GetInterface(L"Option"));
    ASSERT_NE(option, nullptr);
    EXPECT_TRUE(option->IsSelected()) << TestSupport::ToUtf8(ticked);
  }
  EXPECT_FALSE(tree.Find(L"tipLbl")->IsVisible());
  EXPECT_FALSE(tree.Find(L"backBtn")->IsVisible());
  EXPECT_EQ(tree.Find(L"treatyCb")->GetText(), L"已同意");
  EXPECT_EQ(tree.Find(L"treatyBtn")->GetText(), L"《用户许可协议》");
  EXPECT_EQ(tree.Find(L"createDSCb")->GetText(), L"创建桌面快捷方式");
  EXPECT_EQ(tree.Find(L"createQSCb")->GetText(), L"添加到快速启动栏");
}

TEST(SkinLayouts, MessageBoxesHaveTheirTextsAndButtons) {
  const struct {
    const wchar_t* layout;
    int width;
    const wchar_t* caption;
    const wchar_t* text;
    const wchar_t* ok;      // null: no "okBtn"
    const wchar_t* cancel;  // null: no "cancelBtn"
  } boxes[] = {
      {L"MessageBox1Wnd.xml", 360, L"CAPTION", L"TEXT", nullptr, nullptr},
      {L"MessageBox2Wnd.xml", 360, L"CAPTION", L"TEXT", nullptr, nullptr},
      {L"NetworkTipWnd.xml", 360, L"温馨提示", L"当前网络环境较差，请在网络通畅时进行重试",
       L"重新安装", L"稍后再试"},
      {L"exitTipWnd.xml", 360, L"温馨提示", L"您确定要退出安装吗？", L"是", L"否"},
      {L"InstalledPathTipWnd.xml", 400, L"温馨提示",
       L"检测到计算机中已存在此软件，是否为您更新为最新版本？", L"安装最新版本", L"打开软件"},
  };
  for (const auto& box : boxes) {
    SCOPED_TRACE(TestSupport::ToUtf8(box.layout));
    AppTest::SkinTree tree(box.layout, box.width, 180);
    ASSERT_NE(tree.Root(), nullptr);
    ExpectNames(tree, {{L"captionLbl", L"Label"}, {L"textLbl", L"Label"}, {L"closebtn", L"Button"},
                       {L"okBtn", box.ok ? L"Button" : nullptr},
                       {L"cancelBtn", box.cancel ? L"Button" : nullptr}});
    EXPECT_EQ(tree.Find(L"captionLbl")->GetText(), box.caption);
    EXPECT_EQ(tree.Find(L"textLbl")->GetText(), box.text);
    if (box.ok) {
      EXPECT_EQ(tree.Find(L"okBtn")->GetText(), box.ok);
    }
    if (box.cancel) {
      EXPECT_EQ(tree.Find(L"cancelBtn")->GetText(), box.cancel);
    }
    EXPECT_EQ(tree.Host().manager().GetInitSize().cx, box.width);
    EXPECT_EQ(tree.Host().manager().GetInitSize().cy, 180);
  }
}

TEST(SkinLayouts, EveryImageThatALayoutNamesIsInTheArchive) {
  ASSERT_TRUE(AppTest::UseEmbeddedSkin());
  const std::regex image(R"(res\\[A-Za-z0-9_\\%.]+\.png)");
  std::set<std::string> images;
  for (const wchar_t* layout : kLayouts) {
    const std::string xml = AppTest::ReadSkinItem(layout);
    ASSERT_FALSE(xml.empty()) << TestSupport::ToUtf8(layout);
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), image);
         it != std::sregex_iterator(); ++it) {
      images.insert(it->str());
    }
  }
  // The page backgrounds that the page changes set, and the spinner's frames.
  for (int page = 1; page <= 4; ++page) {
    images.insert("res\\mainWnd\\bg" + std::to_string(page) + ".png");
  }
  images.erase("res\\mainWnd\\installBtnAnimate\\%.3d.png");
  for (int frame = 0; frame < 12; ++frame) {
    char name[64];
    snprintf(name, sizeof(name), "res\\mainWnd\\installBtnAnimate\\%03d.png", frame);
    images.insert(name);
  }
  EXPECT_GT(images.size(), 30u);
  for (const std::string& name : images) {
    const std::string png = AppTest::ReadSkinItem(TestSupport::FromUtf8(name));
    ASSERT_GT(png.size(), 8u) << name;
    EXPECT_EQ(png.substr(1, 3), "PNG") << name;
  }
}

// The icon the window and the shell show: each size loads as itself (the large ones are kept as
// PNG in the file) and draws as a blue tile whose rounded corner lets the background through.
TEST(SkinLayouts, TheProgramIconLoadsInEverySizeItCarries) {
  for (int size : {16, 24, 32, 48, 64}) {
    Utils::UniqueIcon icon(static_cast<HICON>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(145), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(icon) << size;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.get(), &info)) << size;
    Utils::UniqueBitmap color(info.hbmColor);
    Utils::UniqueBitmap mask(info.hbmMask);
    BITMAP bitmap{};
    ASSERT_TRUE(::GetObjectW(color.get(), sizeof(bitmap), &bitmap)) << size;
    EXPECT_EQ(bitmap.bmWidth, size);
    EXPECT_EQ(bitmap.bmHeight, size);

    TestSupport::DibCanvas canvas(size, size, 0xFFFFFFFF);
    ASSERT_TRUE(::DrawIconEx(canvas.dc(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL));
    EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(0, 0), 0xFFFFFFFF, 8))
        << size << ": corner " << TestSupport::ColorText(canvas.Pixel(0, 0));
    // Left of the mark, on the tile.
    const uint32_t tile = canvas.Pixel(size * 15 / 100, size / 2);
    EXPECT_GT(static_cast<int>(tile & 0xFF), static_cast<int>((tile >> 16) & 0xFF) + 60)
        << size << ": tile " << TestSupport::ColorText(tile);
  }
}

TEST(SkinLayouts, TheLanguageTableTravelsWithTheSkin) {
  EXPECT_FALSE(AppTest::ReadSkinItem(L"language.json").empty());
}

}  // namespace
