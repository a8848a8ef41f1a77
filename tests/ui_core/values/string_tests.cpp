// CStringUI: the inline-buffer boundary, searching, slicing, replacing and formatting.
#include <gtest/gtest.h>

#include <string>

#include "ui_core/values/ui_string.h"

using SkinUI::CStringUI;

namespace {

std::wstring Repeat(wchar_t c, int n) { return std::wstring(static_cast<size_t>(n), c); }

}  // namespace

TEST(StringUI, TextMovesToTheHeapAt63Characters) {
  const struct {
    int length;
    bool onHeap;
  } cases[] = {{0, false}, {1, false}, {61, false}, {62, false}, {63, true}, {64, true},
               {500, true}};
  for (const auto& c : cases) {
    const std::wstring text = Repeat(L'x', c.length);
    CStringUI s(text.c_str());
    EXPECT_EQ(s.IsOnHeap(), c.onHeap) << c.length;
    EXPECT_EQ(s.GetLength(), c.length);
    EXPECT_EQ(text, s.GetData());
    CStringUI assigned;
    assigned = text.c_str();
    EXPECT_EQ(assigned.IsOnHeap(), c.onHeap) << c.length;
    CStringUI copy(s);
    EXPECT_EQ(copy.IsOnHeap(), c.onHeap) << c.length;
    EXPECT_EQ(text, copy.GetData());
  }
}

TEST(StringUI, ShortTextAfterLongOneReturnsToTheInlineBuffer) {
  CStringUI s(Repeat(L'a', 100).c_str());
  ASSERT_TRUE(s.IsOnHeap());
  s = L"0123456789";
  EXPECT_FALSE(s.IsOnHeap());
  EXPECT_TRUE(s == L"0123456789");
  s = Repeat(L'b', 70).c_str();
  s.Empty();
  EXPECT_FALSE(s.IsOnHeap());
  EXPECT_TRUE(s.IsEmpty());
  s = Repeat(L'c', 70).c_str();
  s = static_cast<const wchar_t*>(nullptr);
  EXPECT_FALSE(s.IsOnHeap());
  EXPECT_TRUE(s.IsEmpty());
}

TEST(StringUI, AppendingAcrossTheBoundaryKeepsBothParts) {
  const std::wstring head = Repeat(L'h', 62);
  CStringUI s(head.c_str());
  ASSERT_FALSE(s.IsOnHeap());
  s += L'!';
  EXPECT_TRUE(s.IsOnHeap());
  EXPECT_EQ(head + L"!", s.GetData());

  CStringUI grown(L"abc");
  for (int i = 0; i < 20; ++i) grown += L"0123456789";
  EXPECT_EQ(203, grown.GetLength());
  EXPECT_EQ(L'9', grown.GetAt(202));

  CStringUI plus = CStringUI(L"left-") + L"right";
  EXPECT_TRUE(plus == L"left-right");
  EXPECT_TRUE((plus + static_cast<const wchar_t*>(nullptr)) == L"left-right");
  plus += static_cast<const wchar_t*>(nullptr);
  EXPECT_TRUE(plus == L"left-right");
  EXPECT_TRUE((CStringUI(L"a") + CStringUI(L"b")) == L"ab");
}

TEST(StringUI, ConstructorsAndAssignHonourLengthAndNull) {
  EXPECT_TRUE(CStringUI(L'q') == L"q");
  EXPECT_TRUE(CStringUI(L"abcdef", 3) == L"abc");
  EXPECT_TRUE(CStringUI(L"ab", 10) == L"ab");  // stops at the source's terminator
  EXPECT_TRUE(CStringUI(nullptr) == L"");
  EXPECT_TRUE(CStringUI(L"abc", 0).IsEmpty());

  const std::wstring longText = Repeat(L'z', 80);
  CStringUI s;
  s.Assign(longText.c_str(), 70);
  EXPECT_EQ(70, s.GetLength());
  EXPECT_TRUE(s.IsOnHeap());
  const wchar_t* block = s.GetData();
  s.Assign(longText.c_str(), 65);  // the heap block is long enough and is reused
  EXPECT_EQ(65, s.GetLength());
  EXPECT_EQ(block, s.GetData());
  EXPECT_EQ(std::wstring(longText, 0, 65), s.GetData());
  s.Assign(nullptr);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(StringUI, AssigningOrAppendingItsOwnTextIsSafe) {
  const std::wstring text = Repeat(L'a', 40) + Repeat(L'b', 40);
  CStringUI s(text.c_str());
  s = s.GetData() + 40;  // a tail of its own heap block, short enough for the inline buffer
  EXPECT_EQ(Repeat(L'b', 40), s.GetData());
  EXPECT_FALSE(s.IsOnHeap());

  CStringUI t(text.c_str());
  t.Assign(t.GetData() + 10);
  EXPECT_EQ(text.substr(10), t.GetData());

  CStringUI u(text.c_str());
  u += u.GetData();  // its own heap block, which the append reallocates
  EXPECT_EQ(text + text, u.GetData());

  CStringUI v(L"abc");
  v += v.GetData();
  EXPECT_TRUE(v == L"abcabc");
  v = v;
  EXPECT_TRUE(v == L"abcabc");
}

TEST(StringUI, ComparesExactlyOrWithoutCase) {
  CStringUI s(L"Window");
  EXPECT_TRUE(s == L"Window");
  EXPECT_FALSE(s == L"window");
  EXPECT_TRUE(s != L"window");
  EXPECT_FALSE(s == L"Windows");
  EXPECT_EQ(0, s.CompareNoCase(L"WINDOW"));
  EXPECT_LT(s.CompareNoCase(L"Windows"), 0);
  EXPECT_GT(s.CompareNoCase(L"Button"), 0);
  EXPECT_TRUE(CStringUI() == nullptr);
  EXPECT_GT(s.CompareNoCase(nullptr), 0);
}

TEST(StringUI, FindHonoursTheStartAndItsRange) {
  const CStringUI s(L"abcabc");
  const struct {
    const wchar_t* text;
    int start;
    int expected;
  } texts[] = {
      {L"bc", 0, 1}, {L"bc", 2, 4}, {L"bc", 5, -1}, {L"abc", 3, 3},
      {L"x", 0, -1}, {L"bc", 6, -1},  // start equal to the length: the empty tail
      {L"", 6, 6},   {L"bc", 7, -1},  // start past the length
      {L"bc", -1, -1}, {nullptr, 0, -1},
  };
  for (const auto& c : texts) {
    EXPECT_EQ(c.expected, s.Find(c.text, c.start))
        << (c.text != nullptr ? c.text : L"(null)") << " from " << c.start;
  }
  const struct {
    wchar_t ch;
    int start;
    int expected;
  } chars[] = {{L'c', 0, 2}, {L'c', 3, 5}, {L'a', 5, -1}, {L'c', 6, -1},
               {L'c', -1, -1}, {L'z', 0, -1}, {L'\0', 0, -1}};
  for (const auto& c : chars) {
    EXPECT_EQ(c.expected, s.Find(c.ch, c.start)) << static_cast<int>(c.ch) << " from " << c.start;
  }
  EXPECT_EQ(-1, CStringUI().Find(L'a', 0));
  EXPECT_EQ(4, s.ReverseFind(L'b'));
  EXPECT_EQ(-1, s.ReverseFind(L'z'));
  EXPECT_EQ(-1, s.ReverseFind(L'\0'));
}

TEST(StringUI, LeftAndMidClampToTheText) {
  const CStringUI s(L"abcdef");
  const struct {
    int start;
    int count;
    const wchar_t* expected;
  } mids[] = {{2, -1, L"cdef"}, {4, 10, L"ef"}, {0, 3, L"abc"}, {6, 2, L""},
              {3, 0, L""},      {0, -1, L"abcdef"}};
  for (const auto& c : mids) {
    EXPECT_EQ(std::wstring(c.expected), s.Mid(c.start, c.count).GetData())
        << c.start << "," << c.count;
  }
  const struct {
    int count;
    const wchar_t* expected;
  } lefts[] = {{-3, L""}, {0, L""}, {2, L"ab"}, {6, L"abcdef"}, {100, L"abcdef"}};
  for (const auto& c : lefts) {
    EXPECT_EQ(std::wstring(c.expected), s.Left(c.count).GetData()) << c.count;
  }
}

TEST(StringUI, ReplaceCountsAndNeverRescansInsertedText) {
  const struct {
    const wchar_t* text;
    const wchar_t* from;
    const wchar_t* to;
    const wchar_t* expected;
    int count;
  } cases[] = {
      {L"aaa", L"a", L"aa", L"aaaaaa", 3},
      {L"abcab", L"ab", L"", L"c", 2},
      {L"hello", L"xyz", L"q", L"hello", 0},
      {L"a.b.c", L".", L"\\", L"a\\b\\c", 2},
      {L"res/img/bg.png", L"/", L"\\\\", L"res\\\\img\\\\bg.png", 2},
      {L"abc", L"", L"x", L"abc", 0},  // an empty pattern replaces nothing
      {L"abc", nullptr, L"x", L"abc", 0},
      {L"abc", L"b", nullptr, L"abc", 0},
      {L"", L"a", L"b", L"", 0},
  };
  for (const auto& c : cases) {
    CStringUI s(c.text);
    EXPECT_EQ(c.count, s.Replace(c.from, c.to)) << c.text;
    EXPECT_EQ(std::wstring(c.expected), s.GetData()) << c.text;
  }

  // Replacing across the inline boundary in both directions.
  CStringUI grow(Repeat(L'-', 40).c_str());
  EXPECT_EQ(40, grow.Replace(L"-", L"==="));
  EXPECT_EQ(Repeat(L'=', 120), grow.GetData());
  EXPECT_TRUE(grow.IsOnHeap());
  EXPECT_EQ(1, grow.Replace(Repeat(L'=', 100).c_str(), L""));
  EXPECT_EQ(Repeat(L'=', 20), grow.GetData());
  EXPECT_FALSE(grow.IsOnHeap());
}

TEST(StringUI, MakeLowerLowersEveryCharacter) {
  CStringUI s(L"MainWND.XML 12");
  s.MakeLower();
  EXPECT_EQ(std::wstring(L"mainwnd.xml 12"), s.GetData());
  CStringUI longer(std::wstring(70, L'Q').c_str());
  longer.MakeLower();
  EXPECT_EQ(std::wstring(70, L'q'), longer.GetData());
}

TEST(StringUI, FormatWritesTheResultAndItsLength) {
  CStringUI s(L"old");
  EXPECT_EQ(10, s.Format(L"%4d-%02d-%02d", 2024, 1, 5));
  EXPECT_TRUE(s == L"2024-01-05");
  EXPECT_FALSE(s.IsOnHeap());

  EXPECT_EQ(10, s.Format(L"%ls=%d", L"count", 1234));
  EXPECT_TRUE(s == L"count=1234");
  EXPECT_EQ(0, s.Format(L""));
  EXPECT_TRUE(s.IsEmpty());
}

TEST(StringUI, FormatOfALongResultKeepsItWithoutOverrunning) {
  const std::wstring arg = Repeat(L'w', 500);
  CStringUI s;
  EXPECT_EQ(502, s.Format(L"[%ls]", arg.c_str()));
  EXPECT_EQ(L"[" + arg + L"]", s.GetData());
  EXPECT_TRUE(s.IsOnHeap());

  // The formatter stops at its own limit of 1024 characters; nothing is written past it.
  const std::wstring huge = Repeat(L'h', 5000);
  CStringUI t;
  t.Format(L"%ls", huge.c_str());
  EXPECT_GE(t.GetLength(), 1000);
  EXPECT_LE(t.GetLength(), 1024);
  EXPECT_EQ(huge.substr(0, static_cast<size_t>(t.GetLength())), t.GetData());

  // The format text may be the string's own text.
  CStringUI self(L"%d apples");
  self.Format(self.GetData(), 3);
  EXPECT_TRUE(self == L"3 apples");
}
