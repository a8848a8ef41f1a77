// The image description grammar: what a description text becomes in its record.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "ui_core/drawing/ui_image.h"

using SkinUI::TImageDescUI;

namespace {

struct DescCase {
  const wchar_t* text;
  const wchar_t* name;
  bool typeGiven;
  const wchar_t* type;
  RECT dest;
  RECT source;
  RECT corner;
  DWORD mask;
  int fade;
  bool hole, xtiled, ytiled, hsl;
};

constexpr RECT kNone = {0, 0, 0, 0};
constexpr int kBig = 1 << 20;

const DescCase kCases[] = {
    // A bare name is the whole text.
    {L"res\\mainWnd\\bg1.png", L"res\\mainWnd\\bg1.png", false, L"", kNone, kNone, kNone, 0, 255},
    // The file, 2-pixel corners and a mask without alpha.
    {L"file='a.png' corner='2,2,2,2' mask='#FF0000'", L"a.png", false, L"", kNone, kNone,
     {2, 2, 2, 2}, 0x00FF0000, 255},
    // Two blanks between items read like one; blanks around '=' are skipped.
    {L"file='a.png'  dest='1,2,3,4'", L"a.png", false, L"", {1, 2, 3, 4}, kNone, kNone, 0, 255},
    {L" file = 'a.png'\tsource = '5,6,7,8' ", L"a.png", false, L"", kNone, {5, 6, 7, 8}, kNone, 0, 255},
    // A character other than a blank right after a closing quote ends the parse there.
    {L"file='a.png' dest='1,2,3,4'x source='5,6,7,8'", L"a.png", false, L"", {1, 2, 3, 4}, kNone,
     kNone, 0, 255},
    // Solid colours and resources pass their type on.
    {L"color='#80FF0000'", L"#80FF0000", true, L"*COLOR*", kNone, kNone, kNone, 0, 255},
    {L"res='147' restype='PNG'", L"147", true, L"PNG", kNone, kNone, kNone, 0, 255},
    {L"file='a.png' restype='PNG'", L"a.png", false, L"PNG", kNone, kNone, kNone, 0, 255},
    // Fade is clamped to a byte.
    {L"file='a.png' fade='128'", L"a.png", false, L"", kNone, kNone, kNone, 0, 128},
    {L"file='a.png' fade='300'", L"a.png", false, L"", kNone, kNone, kNone, 0, 255},
    {L"file='a.png' fade='-5'", L"a.png", false, L"", kNone, kNone, kNone, 0, 0},
    // Flags: "true" only.
    {L"file='a.png' hole='true' xtiled='true' ytiled='false' hsl='true'", L"a.png", false, L"",
     kNone, kNone, kNone, 0, 255, true, true, false, true},
    {L"file='a.png' hole='TRUE' ytiled='true'", L"a.png", false, L"", kNone, kNone, kNone, 0, 255,
     false, false, true, false},
    // "scale9" is another name of the corners.
    {L"file='a.png' scale9='1,2,3,4'", L"a.png", false, L"", kNone, kNone, {1, 2, 3, 4}, 0, 255},
    // Unknown keys are ignored.
    {L"file='a.png' sparkle='9' source='0,0,10,10'", L"a.png", false, L"", kNone, {0, 0, 10, 10},
     kNone, 0, 255},
    // Missing quotes, an unterminated value, a key without '=': the items before stay.
    {L"file='a.png' dest=1,2,3,4", L"a.png", false, L"", kNone, kNone, kNone, 0, 255},
    {L"file='a.png' dest='1,2", L"a.png", false, L"", kNone, kNone, kNone, 0, 255},
    {L"file='a.png' dest='1,2,3,4' 'stray'", L"a.png", false, L"", {1, 2, 3, 4}, kNone, kNone, 0, 255},
    {L"file='a.png' dest", L"a.png", false, L"", kNone, kNone, kNone, 0, 255},
    // An empty value is ignored: the name stays the whole text.
    {L"file='' source='1,1,2,2'", L"file='' source='1,1,2,2'", false, L"", kNone, {1, 1, 2, 2},
     kNone, 0, 255},
    // Numbers out of range are clamped: corners and sources not below 0, nothing beyond 2^20.
    {L"file='a.png' corner='-3,99999999999,4,5' source='-1,-2,70000000,3'", L"a.png", false, L"",
     kNone, {0, 0, kBig, 3}, {0, kBig, 4, 5}, 0, 255},
    {L"file='a.png' dest='-99999999,-5,99999999,7'", L"a.png", false, L"", {-kBig, -5, kBig, 7},
     kNone, kNone, 0, 255},
    // Missing numbers of a rectangle are 0.
    {L"file='a.png' dest='4,5'", L"a.png", false, L"", {4, 5, 0, 0}, kNone, kNone, 0, 255},
    // "=" alone, and quotes without a key.
    {L"=", L"=", false, L"", kNone, kNone, kNone, 0, 255},
    {L"='x'", L"='x'", false, L"", kNone, kNone, kNone, 0, 255},
};

std::string Describe(const RECT& rc) {
  return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," +
         std::to_string(rc.right) + "," + std::to_string(rc.bottom);
}

}  // namespace

TEST(ImageDescription, ParsesEachDescriptionOfTheTable) {
  for (const DescCase& c : kCases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.text));
    TImageDescUI desc(c.text);
    desc.Parse();
    EXPECT_STREQ(desc.imageName.GetData(), c.name);
    EXPECT_EQ(desc.typeGiven, c.typeGiven);
    EXPECT_STREQ(desc.resourceType.GetData(), c.type);
    EXPECT_EQ(Describe(desc.dest), Describe(c.dest));
    EXPECT_EQ(Describe(desc.source), Describe(c.source));
    EXPECT_EQ(Describe(desc.corner), Describe(c.corner));
    EXPECT_EQ(desc.mask, c.mask);
    EXPECT_EQ(desc.fade, c.fade);
    EXPECT_EQ(desc.hole, c.hole);
    EXPECT_EQ(desc.xtiled, c.xtiled);
    EXPECT_EQ(desc.ytiled, c.ytiled);
    EXPECT_EQ(desc.useHsl, c.hsl);
  }
}

TEST(ImageDescription, ClearForgetsEverythingAndSetDescriptionStartsAfresh) {
  TImageDescUI desc(L"file='a.png' fade='10' hole='true' dest='1,2,3,4'");
  desc.Parse();
  desc.parsed = true;
  SkinUI::TImageEntryUI entry;
  desc.image = &entry;
  EXPECT_TRUE(desc.IsLoaded(L"file='a.png' fade='10' hole='true' dest='1,2,3,4'"));
  EXPECT_FALSE(desc.IsLoaded(L"file='b.png'"));

  desc.SetDescription(L"b.png");
  EXPECT_STREQ(desc.description.GetData(), L"b.png");
  EXPECT_TRUE(desc.imageName.IsEmpty());
  EXPECT_FALSE(desc.parsed);
  EXPECT_EQ(desc.image, nullptr);
  EXPECT_EQ(desc.fade, 255);
  EXPECT_FALSE(desc.hole);
  EXPECT_EQ(Describe(desc.dest), "0,0,0,0");
  EXPECT_FALSE(desc.IsLoaded(L"b.png"));

  desc.Clear();
  EXPECT_TRUE(desc.description.IsEmpty());
}

TEST(ImageDescription, LongAndHostileTextsParseWithoutOverrun) {
  std::wstring many;
  for (int i = 0; i < 2000; ++i) many += L"k" + std::to_wstring(i) + L"='v' ";
  many += L"file='end.png'";
  TImageDescUI desc(many.c_str());
  desc.Parse();
  EXPECT_STREQ(desc.imageName.GetData(), L"end.png");

  EXPECT_EQ(Describe(desc.dest), "0,0,0,0");  // the unknown keys set nothing

  // A value as long as a skin could hold is taken whole.
  const std::wstring longName(100000, L'n');
  TImageDescUI longValue((L"file='" + longName + L"' fade='7'").c_str());
  longValue.Parse();
  EXPECT_EQ(longValue.imageName.GetLength(), static_cast<int>(longName.size()));
  EXPECT_TRUE(longValue.imageName == longName.c_str());
  EXPECT_EQ(longValue.fade, 7);

  // Texts that end inside an item: what was read before stays, and the name is the whole text
  // until a file or res item is complete.
  struct Hostile {
    const wchar_t* text;
    const wchar_t* name;
    const char* dest;
  };
  const Hostile hostile[] = {
      {L"'", L"'", "0,0,0,0"},
      {L"''''", L"''''", "0,0,0,0"},
      {L"= = =", L"= = =", "0,0,0,0"},
      {L"file='", L"file='", "0,0,0,0"},
      {L"file=", L"file=", "0,0,0,0"},
      {L"file=''", L"file=''", "0,0,0,0"},
      {L"a=b=c='d'", L"a=b=c='d'", "0,0,0,0"},
      {L"dest='1,2,3,4' file='a", L"dest='1,2,3,4' file='a", "1,2,3,4"},
      // A number too large for any rectangle is clamped, and what is no number reads as 0.
      {L"file='a' dest='9999999999999999999999,x,,,,,,'", L"a", "1048576,0,0,0"},
  };
  for (const Hostile& h : hostile) {
    SCOPED_TRACE(TestSupport::ToUtf8(h.text));
    TImageDescUI other(h.text);
    other.Parse();
    EXPECT_STREQ(other.imageName.GetData(), h.name);
    EXPECT_EQ(Describe(other.dest), h.dest);
    EXPECT_FALSE(other.typeGiven);
    EXPECT_EQ(other.fade, 255);
  }
}
