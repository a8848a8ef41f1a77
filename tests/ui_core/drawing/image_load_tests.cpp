// Decoding images: premultiplied pixels, masks, solid colours, the skin folder, skin archives,
// plain paths, and what happens to files that are missing, empty or not images.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "drawing_fixture.h"
#include "test_support.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"

using namespace DrawingTest;
using SkinUI::CRenderUI;
using SkinUI::CWindowManagerUI;
using SkinUI::TImageEntryUI;

namespace {

struct EntryDeleter {
  void operator()(TImageEntryUI* entry) const { CRenderUI::FreeImage(entry); }
};
using Entry = std::unique_ptr<TImageEntryUI, EntryDeleter>;

Entry Load(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0) {
  return Entry(CRenderUI::LoadImage(name, type, mask));
}

}  // namespace

TEST(ImageLoading, PixelsArePremultipliedBgraInATopDownDib) {
  SkinFolder skin;
  WriteTestImages(skin);
  Entry image = Load(L"alpha.png");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 2);
  EXPECT_EQ(image->height, 2);
  EXPECT_TRUE(image->alpha);
  EXPECT_TRUE(image->bitmap);
  EXPECT_FALSE(image->pixelCopy);
  EXPECT_FALSE(image->useHsl);
  EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(ImagePixel(*image, 1, 0), 0x80008000u);  // 0xFF * 0x80 / 255
  EXPECT_EQ(ImagePixel(*image, 0, 1), 0x00000000u);
  EXPECT_EQ(ImagePixel(*image, 1, 1), 0xFF0000FFu);

  BITMAP info = {};
  ASSERT_EQ(::GetObjectW(image->bitmap.get(), sizeof(info), &info), static_cast<int>(sizeof(info)));
  EXPECT_EQ(info.bmBitsPixel, 32);
  EXPECT_EQ(info.bmWidth, 2);

  Entry opaque = Load(L"grid.png");
  ASSERT_TRUE(opaque);
  EXPECT_FALSE(opaque->alpha);
  EXPECT_EQ(ImagePixel(*opaque, 5, 5), kYellow);
}

TEST(ImageLoading, MaskMatchesTheWholePremultipliedValueOnly) {
  SkinFolder skin;
  WriteTestImages(skin);
  // Without alpha in the mask an opaque red pixel stays.
  Entry unmasked = Load(L"redblue.png", nullptr, 0x00FF0000);
  ASSERT_TRUE(unmasked);
  EXPECT_EQ(ImagePixel(*unmasked, 0, 0), 0xFFFF0000u);
  EXPECT_FALSE(unmasked->alpha);
  EXPECT_EQ(unmasked->mask, 0x00FF0000u);

  Entry masked = Load(L"redblue.png", nullptr, 0xFFFF0000);
  ASSERT_TRUE(masked);
  EXPECT_EQ(ImagePixel(*masked, 0, 0), 0u);
  EXPECT_EQ(ImagePixel(*masked, 1, 0), 0xFF0000FFu);
  EXPECT_TRUE(masked->alpha);
}

TEST(ImageLoading, SolidColoursBecomeOnePixel) {
  struct Case {
    const wchar_t* name;
    uint32_t pixel;
    bool alpha;
  } cases[] = {
      {L"#80FF0000", 0x80800000u, true},
      {L"FF00FF00", 0xFF00FF00u, false},
      {L"#00FFFFFF", 0x00000000u, true},
      {L"#zz", 0x00000000u, true},
      {L"#FFFFFFFFFFFF", 0xFFFFFFFFu, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.name));
    Entry image = Load(c.name, SkinUI::kImageTypeColor);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 1);
    EXPECT_EQ(image->height, 1);
    EXPECT_EQ(ImagePixel(*image, 0, 0), c.pixel);
    EXPECT_EQ(image->alpha, c.alpha);
  }
}

TEST(ImageLoading, SkinFolderFirstThenPlainPath) {
  SkinFolder skin;
  WriteTestImages(skin);
  Entry inSkin = Load(L"sub\\inner.png");
  ASSERT_TRUE(inSkin);
  EXPECT_EQ(ImagePixel(*inSkin, 0, 0), kGreen);

  // Not in the skin: the name is a path of its own.
  TestSupport::ScratchDir elsewhere(L"plain");
  ASSERT_TRUE(WritePng(elsewhere.File(L"plain.png"), 1, 1, {kBlue}));
  Entry plain = Load(elsewhere.File(L"plain.png").c_str());
  ASSERT_TRUE(plain);
  EXPECT_EQ(ImagePixel(*plain, 0, 0), kBlue);

  // A resource type whose resource does not exist falls back to the path as well.
  Entry viaType = Load(elsewhere.File(L"plain.png").c_str(), L"PNG");
  ASSERT_TRUE(viaType);
  EXPECT_EQ(ImagePixel(*viaType, 0, 0), kBlue);
}

TEST(ImageLoading, MissingEmptyAndUndecodableFilesGiveNothing) {
  SkinFolder skin;
  ASSERT_TRUE(TestSupport::WriteBytes(skin.File(L"empty.png"), ""));
  ASSERT_TRUE(TestSupport::WriteBytes(skin.File(L"text.png"), "this is not an image"));
  std::string truncated = EncodePng(4, 4, Pixels(16, kRed));
  truncated.resize(truncated.size() / 2);
  ASSERT_TRUE(TestSupport::WriteBytes(skin.File(L"truncated.png"), truncated));
  // A PNG header that claims 20000 x 20000 pixels is refused before anything is allocated.
  std::string forged = EncodePng(1, 1, {kRed});
  const unsigned char huge[8] = {0, 0, 0x4E, 0x20, 0, 0, 0x4E, 0x20};
  forged.replace(16, 8, reinterpret_cast<const char*>(huge), 8);
  ASSERT_TRUE(TestSupport::WriteBytes(skin.File(L"forged.png"), forged));

  for (const wchar_t* name : {L"nothere.png", L"empty.png", L"text.png", L"truncated.png",
                              L"forged.png", L"", L"sub\\"}) {
    EXPECT_FALSE(Load(name)) << TestSupport::ToUtf8(name);
  }
  EXPECT_FALSE(Load(nullptr));
  EXPECT_FALSE(Load(L"nothere.png", L"PNG"));
  EXPECT_FALSE(Load(MAKEINTRESOURCEW(4242), L"PNG"));
  EXPECT_EQ(CRenderUI::LoadImageFromMemory(nullptr, 10), nullptr);
  const uint8_t junk[3] = {1, 2, 3};
  EXPECT_EQ(CRenderUI::LoadImageFromMemory(junk, sizeof(junk)), nullptr);
}

// A "#" resource id beyond 16 bits names no resource, so the lookup ends before Windows sees it:
// Wine answers such an id by freeing a pointer one character into the caller's text (a heap
// warning, and a free of memory that was never a heap block). The last error shows whether the
// lookup was made: FindResourceW would set it.
TEST(ImageLoading, ResourceIdsBeyondSixteenBitsAreNotLookedUp) {
  SkinFolder skin;
  constexpr DWORD kUntouched = 0x20001234;
  for (const wchar_t* type : {L"#70000", L"#65536", L"#99999999999", L"#", L"#12x"}) {
    ::SetLastError(kUntouched);
    EXPECT_FALSE(Load(MAKEINTRESOURCEW(1), type)) << TestSupport::ToUtf8(type);
    EXPECT_EQ(::GetLastError(), kUntouched) << TestSupport::ToUtf8(type);
  }
  // As a name the text is then tried as a path of its own, which is not there either.
  EXPECT_FALSE(Load(L"#70000", L"PNG"));
}

TEST(ImageLoading, FreeImageKeepsTheRecordWhenAsked) {
  SkinFolder skin;
  WriteTestImages(skin);
  Entry image = Load(L"grid.png");
  ASSERT_TRUE(image);
  CRenderUI::FreeImage(image.get(), false);
  EXPECT_FALSE(image->bitmap);
  EXPECT_EQ(image->pixels, nullptr);
  CRenderUI::FreeImage(nullptr);
}

// The archives are packed at build time by the real zip and 7zz from PNGs made there.
class ArchiveImages : public ::testing::TestWithParam<bool> {};

TEST_P(ArchiveImages, ItemsComeFromTheArchiveAndOthersFromPlainPaths) {
  SkinFolder skin;
  const bool is7z = GetParam();
  CWindowManagerUI::SetResourcePath((TestSupport::TestDataDir() + L"\\drawing").c_str());
  CWindowManagerUI::SetResourceArchive7z(is7z);
  CWindowManagerUI::SetResourceZip(is7z ? L"skin.7z" : L"skin.zip");

  // archive.png is 2 x 1: opaque (0x11, 0x22, 0x33) and (0x40, 0x80, 0xC0) at alpha 0x80.
  for (const wchar_t* name : {L"images\\archive.png", L"images/archive.png"}) {
    Entry image = Load(name);
    ASSERT_TRUE(image) << TestSupport::ToUtf8(name);
    EXPECT_EQ(ImagePixel(*image, 0, 0), 0xFF112233u);
    EXPECT_EQ(ImagePixel(*image, 1, 0), 0x80204060u);
    EXPECT_TRUE(image->alpha);
  }
  EXPECT_FALSE(Load(L"images\\missing.png"));
  EXPECT_FALSE(Load(L"images\\notimage.png"));

  // A name that is not an item of the archive is tried as a path.
  TestSupport::ScratchDir elsewhere(L"plain");
  ASSERT_TRUE(WritePng(elsewhere.File(L"plain.png"), 1, 1, {kGreen}));
  Entry plain = Load(elsewhere.File(L"plain.png").c_str());
  ASSERT_TRUE(plain);
  EXPECT_EQ(ImagePixel(*plain, 0, 0), kGreen);
}

INSTANTIATE_TEST_SUITE_P(ZipAnd7z, ArchiveImages, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? std::string("SevenZip") : std::string("Zip");
                         });
