// Fonts, images, default attribute lists and option groups, per window and shared by all
// windows; the skin folder and the skin archive selection.
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "manager_test_controls.h"
#include "test_support.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_string_or_id.h"

namespace {

using namespace SkinUI;
using ManagerTest::Scene;

std::wstring DataDir() { return TestSupport::TestDataDir() + L"\\manager\\"; }

LOGFONTW FontOf(HFONT font) {
  LOGFONTW lf = {};
  ::GetObjectW(font, sizeof(lf), &lf);
  return lf;
}

LOGFONTW DefaultGuiFont() { return FontOf(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT))); }

class ResourceTest : public ::testing::Test {
protected:
  void SetUp() override { ManagerTest::MoveCursorAway(); }
  void TearDown() override {
    CWindowManagerUI probe;
    probe.RemoveAllFonts(true);
    probe.RemoveAllImages(true);
    probe.RemoveAllDefaultAttributeList(true);
    CWindowManagerUI::SetResourceZip(L"", false);
    CWindowManagerUI::SetResourceArchive7z(false);
    CWindowManagerUI::SetResourcePath(L"");
  }
};

TEST_F(ResourceTest, AddFontBuildsFromTheDefaultGuiFont) {
  Scene scene;
  CWindowManagerUI& manager = scene.manager();
  HFONT plain = manager.AddFont(1, L"Tahoma", 12, false, false, false);
  ASSERT_NE(plain, nullptr);
  LOGFONTW lf = FontOf(plain);
  EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
  EXPECT_EQ(lf.lfHeight, -12);
  EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(lf.lfWeight, DefaultGuiFont().lfWeight);

  HFONT styled = manager.AddFont(2, L"Tahoma", 12, true, true, true);
  lf = FontOf(styled);
  // Bold adds 700 to the default weight (400 gives 1100).
  EXPECT_EQ(lf.lfWeight, DefaultGuiFont().lfWeight + 700);
  EXPECT_EQ(lf.lfUnderline, TRUE);
  EXPECT_EQ(lf.lfItalic, TRUE);
  TFontEntryUI* info = manager.GetFontInfo(2);
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->bold && info->underline && info->italic);
  EXPECT_EQ(info->size, 12);
  EXPECT_GT(info->metrics.tmHeight, 0);
  EXPECT_EQ(manager.GetFontInfoByHandle(styled), info);
  EXPECT_EQ(manager.FindFont(L"Tahoma", 12, true, true, true), styled);
  EXPECT_EQ(manager.FindFont(L"Tahoma", 13, true, true, true), nullptr);
}

TEST_F(ResourceTest, AReplacedFontLivesUntilTheWindowsFontsAreRemoved) {
  Scene scene;
  CWindowManagerUI& manager = scene.manager();
  HFONT first = manager.AddFont(3, L"Tahoma", 12, false, false, false);
  HFONT second = manager.AddFont(3, L"Tahoma", 20, false, false, false);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(manager.GetFont(3), second);
  EXPECT_EQ(FontOf(second).lfHeight, -20);
  // A control or a native edit given the first font may still draw with it; the same holds for
  // the window's default font.
  EXPECT_EQ(::GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(FontOf(first).lfHeight, -12);
  manager.SetDefaultFont(L"Tahoma", 15, false, false, false);
  HFONT oldDefault = manager.GetFont(-1);
  manager.SetDefaultFont(L"Tahoma", 16, false, false, false);
  EXPECT_EQ(FontOf(manager.GetFont(-1)).lfHeight, -16);
  EXPECT_EQ(::GetObjectType(oldDefault), static_cast<DWORD>(OBJ_FONT));
  manager.RemoveAllFonts();
  EXPECT_EQ(::GetObjectType(first), 0u);  // deleted
  EXPECT_EQ(::GetObjectType(second), 0u);
  EXPECT_EQ(::GetObjectType(oldDefault), 0u);
}

TEST_F(ResourceTest, UnknownOrNegativeIdsGiveTheDefaultFont) {
  Scene scene;
  CWindowManagerUI& manager = scene.manager();
  HFONT fallback = manager.GetFont(-1);
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(manager.GetFont(99), fallback);
  EXPECT_EQ(manager.GetDefaultFontInfo()->font.get(), fallback);
  EXPECT_EQ(manager.GetFontInfo(-5), manager.GetDefaultFontInfo());
  EXPECT_STREQ(manager.GetDefaultFontInfo()->face.GetData(), DefaultGuiFont().lfFaceName);
  // A window default font replaces the shared one for this window only.
  manager.SetDefaultFont(L"Tahoma", 17, false, false, false);
  EXPECT_EQ(FontOf(manager.GetFont(-1)).lfHeight, -17);
  Scene other(100, 100, 600, 100);
  EXPECT_EQ(other.manager().GetFont(-1), fallback);
}

TEST_F(ResourceTest, AFaceNameLongerThanTheFieldIsCutWithItsTerminator) {
  Scene scene;
  const std::wstring longFace(200, L'F');
  HFONT font = scene.manager().AddFont(4, longFace.c_str(), 12, false, false, false);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(std::wcslen(FontOf(font).lfFaceName), 31u);
  EXPECT_EQ(scene.manager().GetFontInfo(4)->face.GetLength(), 31);
  // Huge sizes and null faces are taken without harm.
  EXPECT_NE(scene.manager().AddFont(5, nullptr, 2147483647, false, false, false), nullptr);
  EXPECT_NE(scene.manager().AddFont(6, L"Tahoma", -2147483647 - 1, false, false, false), nullptr);
}

TEST_F(ResourceTest, SharedFontsAreSeenByEveryWindowOwnFontsOnlyByTheirs) {
  Scene one;
  Scene two(100, 100, 600, 100);
  HFONT own = one.manager().AddFont(7, L"Tahoma", 11, false, false, false);
  HFONT shared = one.manager().AddFont(8, L"Tahoma", 13, false, false, false, true);
  EXPECT_EQ(one.manager().GetFont(7), own);
  EXPECT_EQ(two.manager().GetFont(7), two.manager().GetFont(-1));
  EXPECT_EQ(two.manager().GetFont(8), shared);
  // The window's own font wins over a shared one of the same id.
  HFONT ownEight = two.manager().AddFont(8, L"Tahoma", 15, false, false, false);
  EXPECT_EQ(two.manager().GetFont(8), ownEight);
  EXPECT_EQ(one.manager().GetFont(8), shared);
  // With shared resources on, what a window adds goes to every window.
  two.manager().SetUseSharedResources(true);
  HFONT nine = two.manager().AddFont(9, L"Tahoma", 9, false, false, false);
  EXPECT_EQ(one.manager().GetFont(9), nine);
}

TEST_F(ResourceTest, ImagesLoadOncePerWindowAndSharedImagesServeEveryWindow) {
  CWindowManagerUI::SetResourcePath((DataDir() + L"skin").c_str());
  Scene one;
  Scene two(100, 100, 600, 100);
  TImageEntryUI* blue = one.manager().GetImageEx(L"blue.png");
  ASSERT_NE(blue, nullptr);
  EXPECT_EQ(blue->width, 2);
  EXPECT_EQ(blue->height, 2);
  EXPECT_EQ(one.manager().GetImageEx(L"blue.png"), blue);
  TImageEntryUI* otherBlue = two.manager().GetImageEx(L"blue.png");
  EXPECT_NE(otherBlue, blue);  // each window decodes its own

  TImageEntryUI* red = one.manager().AddImage(L"half_red.png", nullptr, 0, false, true);
  ASSERT_NE(red, nullptr);
  EXPECT_TRUE(red->alpha);
  EXPECT_EQ(two.manager().GetImageEx(L"half_red.png"), red);

  // Adding again under the same name replaces the entry.
  TImageEntryUI* again = one.manager().AddImage(L"blue.png", nullptr, 0, true);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(one.manager().GetImageEx(L"blue.png"), again);
  EXPECT_TRUE(again->useHsl);
  EXPECT_NE(again->pixelCopy, nullptr);

  EXPECT_EQ(one.manager().AddImage(L"missing.png"), nullptr);
  EXPECT_EQ(one.manager().GetImageEx(L"missing.png"), nullptr);
  EXPECT_EQ(one.manager().AddImage(nullptr), nullptr);
  EXPECT_EQ(one.manager().AddImage(L""), nullptr);
}

TEST_F(ResourceTest, AnImageDeclaredAgainByAnIncludedLayoutLeavesTheControlsBuiltBeforeDrawing) {
  CWindowManagerUI::SetResourcePath((DataDir() + L"skin").c_str());
  TestSupport::TestHostWindow host(60, 40);
  // "early" takes blue.png as the skin declares it; the Include then declares blue.png again,
  // with a mask that clears its only colour, before "late" takes it.
  CSkinBuilderUI builder;
  CControlUI* root = builder.Create(CStringOrIdUI(L"ReDeclare.xml"), nullptr, nullptr,
                                    &host.manager());
  ASSERT_NE(root, nullptr) << TestSupport::ToUtf8(builder.GetLastErrorMessage());
  ASSERT_TRUE(host.Attach(root));
  ASSERT_NE(host.manager().FindControl(L"early"), nullptr);
  ASSERT_NE(host.manager().FindControl(L"late"), nullptr);
  TestSupport::DibCanvas canvas(60, 40, 0xFFFFFFFF);
  root->Paint(canvas.dc(), canvas.Rect(), nullptr);
  root->Paint(canvas.dc(), canvas.Rect(), nullptr);  // a second paint reads the entries again
  EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(10, 10), 0xFF0000FF))
      << "early: " << TestSupport::ColorText(canvas.Pixel(10, 10));
  EXPECT_TRUE(TestSupport::ColorNear(canvas.Pixel(30, 10), 0xFFFFFFFF))
      << "late: " << TestSupport::ColorText(canvas.Pixel(30, 10));
  TImageEntryUI* current = host.manager().GetImageEx(L"blue.png");
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->mask, 0xFF0000FFu);
}

TEST_F(ResourceTest, AColourImageWhoseColourStartsWithADigitIsAColourNotAResourceNumber) {
  Scene scene;
  TImageEntryUI* colour = scene.manager().AddImage(L"80FF0000", kImageTypeColor);
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(colour->width, 1);
  EXPECT_EQ(colour->height, 1);
  ASSERT_NE(colour->pixels, nullptr);
  uint32_t pixel = 0;
  std::memcpy(&pixel, colour->pixels, 4);
  EXPECT_TRUE(TestSupport::ColorNear(pixel, 0x80800000)) << TestSupport::ColorText(pixel);
}

TEST_F(ResourceTest, ImagesComeFromACachedZipOrA7zArchiveInMemory) {
  CWindowManagerUI::SetResourcePath(DataDir().c_str());
  CWindowManagerUI::SetResourceZip(L"skin.zip", true);
  EXPECT_TRUE(CWindowManagerUI::IsCachedResourceZip());
  ASSERT_NE(CWindowManagerUI::GetResourceZipHandle(), nullptr);
  EXPECT_FALSE(SkinArchiveIs7z(CWindowManagerUI::GetResourceZipHandle()));
  {
    Scene scene;
    TImageEntryUI* image = scene.manager().GetImageEx(L"shape.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 64);
  }

  std::string bytes7z;
  std::string bytesZip;
  ASSERT_TRUE(TestSupport::ReadBytes(DataDir() + L"skin.7z", &bytes7z));
  ASSERT_TRUE(TestSupport::ReadBytes(DataDir() + L"skin.zip", &bytesZip));
  CWindowManagerUI::SetResourceArchive7z(true);
  CWindowManagerUI::SetResourceZipMemory(bytes7z.data(), bytes7z.size());
  EXPECT_EQ(CWindowManagerUI::GetResourceZip(), L"membuffer");
  SkinArchiveHandle* handle = CWindowManagerUI::GetResourceZipHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(SkinArchiveIs7z(handle));
  {
    Scene scene;
    TImageEntryUI* image = scene.manager().GetImageEx(L"blue.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 2);
  }
  // A second memory archive while one is open changes nothing.
  CWindowManagerUI::SetResourceZipMemory(bytesZip.data(), bytesZip.size());
  EXPECT_EQ(CWindowManagerUI::GetResourceZipHandle(), handle);

  // An archive that cannot be read leaves no handle.
  CWindowManagerUI::SetResourceZip(L"", false);
  CWindowManagerUI::SetResourceArchive7z(false);
  const std::string junk(100, 'x');
  CWindowManagerUI::SetResourceZipMemory(junk.data(), junk.size());
  EXPECT_EQ(CWindowManagerUI::GetResourceZipHandle(), nullptr);
  CWindowManagerUI::SetResourceZip(L"not-there.zip", true);
  EXPECT_EQ(CWindowManagerUI::GetResourceZipHandle(), nullptr);
}

TEST_F(ResourceTest, ResourcePathGetsOneTrailingSeparator) {
  const struct {
    const wchar_t* given;
    const wchar_t* stored;
  } cases[] = {
      {L"C:\\skin", L"C:\\skin\\"},
      {L"C:\\skin\\", L"C:\\skin\\"},
      {L"C:\\skin/", L"C:\\skin/"},
      {L"", L""},
      {nullptr, L""},
  };
  for (const auto& c : cases) {
    CWindowManagerUI::SetResourcePath(c.given);
    EXPECT_STREQ(CWindowManagerUI::GetResourcePath().GetData(), c.stored);
  }
}

TEST_F(ResourceTest, InstancePathIsTheProgramsFolder) {
  CWindowManagerUI::SetInstance(::GetModuleHandleW(nullptr));
  const CStringUI folder = CWindowManagerUI::GetInstancePath();
  ASSERT_FALSE(folder.IsEmpty());
  EXPECT_EQ(folder.GetAt(folder.GetLength() - 1), L'\\');
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(std::wstring(path).find(folder.GetData()), 0u);
  EXPECT_EQ(CWindowManagerUI::GetResourceInstance(), CWindowManagerUI::GetInstance());
}

TEST_F(ResourceTest, DefaultAttributeListsOwnBeforeShared) {
  Scene one;
  Scene two(100, 100, 600, 100);
  one.manager().AddDefaultAttributeList(L"Button", L"width=\"10\"");
  one.manager().AddDefaultAttributeList(L"Label", L"height=\"5\"", true);
  EXPECT_STREQ(one.manager().GetDefaultAttributeList(L"Button"), L"width=\"10\"");
  EXPECT_EQ(two.manager().GetDefaultAttributeList(L"Button"), nullptr);
  EXPECT_STREQ(two.manager().GetDefaultAttributeList(L"Label"), L"height=\"5\"");
  two.manager().AddDefaultAttributeList(L"Label", L"height=\"6\"");
  EXPECT_STREQ(two.manager().GetDefaultAttributeList(L"Label"), L"height=\"6\"");
  one.manager().AddDefaultAttributeList(L"Button", L"width=\"11\"");
  EXPECT_STREQ(one.manager().GetDefaultAttributeList(L"Button"), L"width=\"11\"");
  one.manager().RemoveAllDefaultAttributeList();
  EXPECT_EQ(one.manager().GetDefaultAttributeList(L"Button"), nullptr);
  EXPECT_EQ(one.manager().GetDefaultAttributeList(nullptr), nullptr);
}

TEST_F(ResourceTest, OptionGroupsHoldEachOptionOnce) {
  Scene scene;
  CControlUI first;
  CControlUI second;
  CWindowManagerUI& manager = scene.manager();
  EXPECT_TRUE(manager.AddOptionGroup(L"g", &first));
  EXPECT_FALSE(manager.AddOptionGroup(L"g", &first));
  EXPECT_TRUE(manager.AddOptionGroup(L"g", &second));
  EXPECT_FALSE(manager.AddOptionGroup(nullptr, &first));
  EXPECT_FALSE(manager.AddOptionGroup(L"g", nullptr));
  ASSERT_NE(manager.GetOptionGroup(L"g"), nullptr);
  EXPECT_EQ(manager.GetOptionGroup(L"g")->GetSize(), 2);
  manager.RemoveOptionGroup(L"g", &first);
  EXPECT_EQ(manager.GetOptionGroup(L"g")->GetSize(), 1);
  manager.RemoveOptionGroup(L"g", &second);
  EXPECT_EQ(manager.GetOptionGroup(L"g"), nullptr);
  EXPECT_EQ(manager.GetOptionGroup(L"nothing"), nullptr);
  manager.AddOptionGroup(L"h", &first);
  manager.RemoveAllOptionGroups();
  EXPECT_EQ(manager.GetOptionGroup(L"h"), nullptr);
}

TEST_F(ResourceTest, NewManagersStartWithTheSharedColours) {
  Scene scene;
  EXPECT_EQ(scene.manager().GetDefaultDisabledColor(), 0xFFA7A6AAu);
  EXPECT_EQ(scene.manager().GetDefaultFontColor(), 0xFF000000u);
  EXPECT_EQ(scene.manager().GetDefaultLinkFontColor(), 0xFF0000FFu);
  EXPECT_EQ(scene.manager().GetDefaultLinkHoverFontColor(), 0xFFD3215Fu);
  EXPECT_EQ(scene.manager().GetDefaultSelectedBkColor(), 0xFFBAE4FFu);
}

}  // namespace
