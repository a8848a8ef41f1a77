// The mark-up text of rich labels: colours and fonts that switch, links with their rectangles,
// measuring, word break, end ellipsis, alignment, inline images, escapes, and hostile mark-up.
#include <gtest/gtest.h>

#include <string>

#include "drawing_fixture.h"
#include "test_support.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_test_support.h"

using namespace DrawingTest;
using SkinUI::CRenderUI;
using SkinUI::CStringUI;
using TestSupport::ColorText;
using TestSupport::DibCanvas;

namespace {

constexpr DWORD kBlack = 0xFF000000;
constexpr UINT kCalc = DT_CALCRECT;

int CountNear(const DibCanvas& canvas, const RECT& rc, uint32_t rgb, int tolerance) {
  int count = 0;
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      if (RgbNear(canvas.Pixel(x, y), rgb, tolerance)) ++count;
    }
  }
  return count;
}

int CountNotWhite(const DibCanvas& canvas, const RECT& rc) {
  return (rc.right - rc.left) * (rc.bottom - rc.top) - CountNear(canvas, rc, 0xFFFFFF, 0);
}

class MarkupText : public ::testing::Test {
protected:
  MarkupText() : canvas_(300, 80) { WriteTestImages(skin_); }

  SkinUI::CWindowManagerUI& Manager() { return host_.manager(); }

  // The rectangle the text needs, laid out from (0, 0) in `rc`.
  RECT Calc(const wchar_t* text, UINT style = 0, RECT rc = RECT{0, 0, 9999, 100}) {
    CRenderUI::DrawHtmlText(canvas_.dc(), &Manager(), rc, text, kBlack, nullptr, nullptr, nullptr,
                            -1, style | kCalc);
    return rc;
  }
  int Width(const wchar_t* text) { return Calc(text, DT_SINGLELINE).right; }

  // Draws and returns the number of links found.
  int Draw(DibCanvas& canvas, const wchar_t* text, RECT rc, UINT style, RECT* links = nullptr,
           CStringUI* texts = nullptr, int slots = 0) {
    int count = slots;
    CRenderUI::DrawHtmlText(canvas.dc(), &Manager(), rc, text, kBlack, links, texts, &count, -1,
                            style);
    return count;
  }

  int FontHeight() {
    Utils::ScopedSelectObject select(canvas_.dc(), Manager().GetFont(-1));
    TEXTMETRICW tm = {};
    ::GetTextMetricsW(canvas_.dc(), &tm);
    return tm.tmHeight;
  }

  SkinFolder skin_;
  TestSupport::TestHostWindow host_;
  DibCanvas canvas_;
};

}  // namespace

TEST_F(MarkupText, ColourTagColoursItsWordAndTheGivenColourFollows) {
  const int red = Width(L"RED");
  ASSERT_GT(red, 0);
  Draw(canvas_, L"<c #FFFF0000>RED</c>BLACK", RECT{0, 0, 300, 40}, DT_SINGLELINE);
  const RECT first = {0, 0, red, 40};
  const RECT second = {red + 1, 0, 300, 40};
  EXPECT_GT(CountNear(canvas_, first, 0xFF0000, 60), 0);
  EXPECT_EQ(CountNear(canvas_, first, 0x000000, 60), 0);
  EXPECT_GT(CountNear(canvas_, second, 0x000000, 60), 0);
  EXPECT_EQ(CountNear(canvas_, second, 0xFF0000, 60), 0);

  // A colour without '#' reads the same; an unclosed colour runs to the end.
  DibCanvas other(300, 40);
  Draw(other, L"<c FF0000FF>BLUE", RECT{0, 0, 300, 40}, DT_SINGLELINE);
  EXPECT_GT(CountNear(other, RECT{0, 0, 300, 40}, 0x0000FF, 60), 0);
  EXPECT_EQ(CountNear(other, RECT{0, 0, 300, 40}, 0x000000, 60), 0);
}

TEST_F(MarkupText, FontTagsSwitchTheFont) {
  const RECT plain = Calc(L"Wide text", DT_SINGLELINE);
  const RECT bold = Calc(L"<b>Wide text</b>", DT_SINGLELINE);
  EXPECT_GT(bold.right, plain.right);
  EXPECT_EQ(bold.bottom, plain.bottom);
  // The font after a closing tag is the one before.
  EXPECT_EQ(Width(L"<b>x</b>Wide text") - Width(L"<b>x</b>"), plain.right);

  const RECT big = Calc(L"<f Tahoma 30 bold>X</f>", DT_SINGLELINE);
  EXPECT_GE(big.bottom, 30);
  EXPECT_NE(Manager().FindFont(L"Tahoma", 30, true, false, false), nullptr);
  ASSERT_NE(Manager().AddFont(5, L"Tahoma", 28, false, false, false), nullptr);
  EXPECT_GE(Calc(L"<f 5>X</f>", DT_SINGLELINE).bottom, 28);
  // An unknown id is the default font.
  EXPECT_EQ(Calc(L"<f 987>X</f>", DT_SINGLELINE).bottom, Calc(L"X", DT_SINGLELINE).bottom);
}

TEST_F(MarkupText, FontsThatMarkUpNamesAreFreedWhenTheirPlaceIsTaken) {
  // Each text names a font of its own: far more than mark-up keeps at once.
  HFONT firstFont = nullptr;
  HFONT lastFont = nullptr;
  for (int size = 20; size < 220; ++size) {
    const std::wstring text = L"<f Tahoma " + std::to_wstring(size) + L">X</f>";
    Calc(text.c_str(), DT_SINGLELINE);
    lastFont = Manager().FindFont(L"Tahoma", size, false, false, false);
    ASSERT_NE(lastFont, nullptr) << size;
    if (firstFont == nullptr) firstFont = lastFont;
  }
  EXPECT_EQ(::GetObjectType(firstFont), 0u) << "an old mark-up font is still alive";
  EXPECT_EQ(::GetObjectType(lastFont), static_cast<DWORD>(OBJ_FONT));
}

TEST_F(MarkupText, LinksAreCountedWithTheirRectangles) {
  RECT links[4] = {};
  CStringUI texts[4];
  const int found = Draw(canvas_, L"go <a home>home</a> now", RECT{0, 0, 300, 40}, DT_SINGLELINE,
                         links, texts, 4);
  ASSERT_EQ(found, 1);
  EXPECT_STREQ(texts[0].GetData(), L"home");
  EXPECT_EQ(links[0].left, Width(L"go "));
  EXPECT_EQ(links[0].right - links[0].left, Width(L"<u>home</u>"));
  EXPECT_EQ(links[0].bottom - links[0].top, FontHeight());
  EXPECT_GE(links[0].top, 0);
  // The link is drawn in the window's link colour.
  EXPECT_GT(CountNear(canvas_, links[0], 0x0000FF, 60), 0);

  // More links than slots: only the slots are filled.
  RECT one[1] = {};
  CStringUI oneText[1];
  DibCanvas other(300, 40);
  EXPECT_EQ(Draw(other, L"<a first>A</a> <a second>B</a>", RECT{0, 0, 300, 40}, DT_SINGLELINE,
                 one, oneText, 1),
            1);
  EXPECT_STREQ(oneText[0].GetData(), L"first");
  // No slots: nothing is stored and the count is 0.
  EXPECT_EQ(Draw(other, L"<a x>A</a>", RECT{0, 0, 300, 40}, DT_SINGLELINE, nullptr, nullptr, 0), 0);

  // Braces work like angle brackets.
  RECT braced[2] = {};
  CStringUI bracedTexts[2];
  EXPECT_EQ(Draw(other, L"{a one}A{/a}", RECT{0, 0, 300, 40}, DT_SINGLELINE, braced, bracedTexts, 2), 1);
  EXPECT_STREQ(bracedTexts[0].GetData(), L"one");
}

TEST_F(MarkupText, HoveredLinkTakesTheHoverColour) {
  ASSERT_TRUE(host_.Attach(new SkinUI::CContainerUI));
  RECT links[2] = {};
  CStringUI texts[2];
  const wchar_t* text = L"<a home>home page</a> <a other>other</a>";
  ASSERT_EQ(Draw(canvas_, text, RECT{0, 0, 300, 40}, DT_SINGLELINE, links, texts, 2), 2);
  const DWORD hover = Manager().GetDefaultLinkHoverFontColor() & 0xFFFFFF;
  const DWORD link = Manager().GetDefaultLinkFontColor() & 0xFFFFFF;
  EXPECT_EQ(CountNear(canvas_, links[0], hover, 40), 0);

  // The mouse over the first link: that link is drawn in the hover colour, the other is not.
  const POINT centre = {(links[0].left + links[0].right) / 2, (links[0].top + links[0].bottom) / 2};
  ::SendMessageW(host_.hwnd(), WM_MOUSEMOVE, 0, TestSupport::PointParam(centre.x, centre.y));
  ASSERT_EQ(Manager().GetMousePos().x, centre.x);
  DibCanvas hovered(300, 40);
  ASSERT_EQ(Draw(hovered, text, RECT{0, 0, 300, 40}, DT_SINGLELINE, links, texts, 2), 2);
  EXPECT_GT(CountNear(hovered, links[0], hover, 40), 0);
  EXPECT_EQ(CountNear(hovered, links[0], link, 40), 0);
  EXPECT_GT(CountNear(hovered, links[1], link, 60), 0);
  EXPECT_EQ(CountNear(hovered, links[1], hover, 40), 0);
}

TEST_F(MarkupText, CalcRectDrawsNothingAndReturnsTheSize) {
  const int line = Calc(L"a", DT_SINGLELINE).bottom;
  ASSERT_GT(line, 0);
  const RECT two = Calc(L"a<n>b");
  EXPECT_EQ(two.bottom, 2 * line);
  EXPECT_EQ(two.top, 0);
  EXPECT_EQ(Calc(L"a\nb").bottom, 2 * line);
  EXPECT_EQ(Calc(L"a\r\nb").bottom, 2 * line);
  // A single line has no breaks.
  EXPECT_EQ(Calc(L"a<n>b", DT_SINGLELINE).bottom, line);
  EXPECT_EQ(Calc(L"a<n>b", DT_SINGLELINE).right, Width(L"ab"));
  // The right edge is the widest line, never past the rect.
  EXPECT_EQ(Calc(L"abc<n>a").right, Width(L"abc"));
  EXPECT_EQ(Calc(L"abcdef", DT_SINGLELINE, RECT{0, 0, 10, 100}).right, 10);
  EXPECT_EQ(CountNotWhite(canvas_, RECT{0, 0, 300, 80}), 0);

  // Offsets of the rect carry over; line height and paragraph spacing.
  const RECT moved = Calc(L"a<n>b", 0, RECT{20, 30, 200, 200});
  EXPECT_EQ(moved.left, 20);
  EXPECT_EQ(moved.bottom, 30 + 2 * line);
  EXPECT_EQ(Calc(L"<y 40>a").bottom, 40);
  EXPECT_EQ(Calc(L"<p 10>a</p>b").bottom, 10 + FontHeight() + line);
  EXPECT_EQ(Calc(L"<x 20>a", DT_SINGLELINE).right, 20 + Width(L"a"));
}

TEST_F(MarkupText, WordBreakWrapsAtWordsAndStaysInTheRect) {
  const int width = Width(L"aaaa b");
  const int line = Calc(L"a", DT_SINGLELINE).bottom;
  RECT links[1] = {};
  CStringUI texts[1];
  const RECT rc = {0, 0, width, 80};
  ASSERT_EQ(Draw(canvas_, L"aaaa <a w>bbbb</a>", rc, DT_WORDBREAK, links, texts, 1), 1);
  // The second word went to the second line as a whole.
  EXPECT_EQ(links[0].left, 0);
  EXPECT_EQ(links[0].top, line + line - FontHeight());
  EXPECT_EQ(links[0].right, Width(L"<u>bbbb</u>"));
  const RECT measured = Calc(L"aaaa bbbb", DT_WORDBREAK, rc);
  EXPECT_EQ(measured.bottom, 2 * line);
  EXPECT_LE(measured.right, width);
  // Without word break the first line is filled up.
  EXPECT_EQ(Calc(L"aaaa bbbb", 0, rc).bottom, 2 * line);

  // One word longer than the line is cut; a rect narrower than a character takes one per line.
  EXPECT_GT(Calc(L"wwwwwwwwwwwwwwwwwwwwwwwwwwww", DT_WORDBREAK, RECT{0, 0, 30, 9999}).bottom, line);
  EXPECT_EQ(Calc(L"abc", DT_WORDBREAK, RECT{0, 0, 1, 9999}).bottom, 3 * line);
  // Layout ends at the rect's bottom.
  EXPECT_LE(Calc(L"a<n>b<n>c<n>d<n>e", 0, RECT{0, 0, 100, line + 1}).bottom, 2 * line);
}

TEST_F(MarkupText, EndEllipsisFitsTheRect) {
  const wchar_t* text = L"<a long>a long text that will never fit into the label</a>";
  RECT links[1] = {};
  CStringUI texts[1];
  const RECT rc = {0, 0, 100, 30};
  ASSERT_EQ(Draw(canvas_, text, rc, DT_SINGLELINE | DT_END_ELLIPSIS, links, texts, 1), 1);
  EXPECT_LE(links[0].right, 100);
  EXPECT_GE(links[0].right, 100 - Width(L"W..."));
  // The dots end the text just before the edge.
  EXPECT_GT(CountNotWhite(canvas_, RECT{links[0].right - Width(L"..."), 0, links[0].right, 30}), 0);
  EXPECT_EQ(CountNotWhite(canvas_, RECT{101, 0, 300, 80}), 0);

  // Without the ellipsis the line runs on (clipped).
  DibCanvas other(300, 40);
  ASSERT_EQ(Draw(other, text, rc, DT_SINGLELINE, links, texts, 1), 1);
  EXPECT_GT(links[0].right, 100);
  EXPECT_EQ(CountNotWhite(other, RECT{101, 0, 300, 40}), 0);
}

TEST_F(MarkupText, AlignmentPlacesLinesInTheRect) {
  RECT links[2] = {};
  CStringUI texts[2];
  const int abc = Width(L"<a x>abc</a>");
  const int line = Calc(L"a", DT_SINGLELINE).bottom;
  DibCanvas scratch(300, 80);
  Draw(scratch, L"<a x>abc</a>", RECT{0, 0, 200, 20}, DT_SINGLELINE | DT_CENTER, links, texts, 2);
  EXPECT_EQ(links[0].left, (200 - abc) / 2);
  Draw(scratch, L"<a x>abc</a>", RECT{0, 0, 200, 20}, DT_SINGLELINE | DT_RIGHT, links, texts, 2);
  EXPECT_EQ(links[0].left, 200 - abc);
  Draw(scratch, L"<a x>abc</a>", RECT{0, 0, 200, 60}, DT_SINGLELINE | DT_VCENTER, links, texts, 2);
  EXPECT_EQ(links[0].top, (60 - line) / 2 + line - FontHeight());
  Draw(scratch, L"<a x>abc</a>", RECT{0, 0, 200, 60}, DT_SINGLELINE | DT_BOTTOM, links, texts, 2);
  EXPECT_EQ(links[0].bottom, 60);

  // Several lines are centred one by one.
  const int ab = Width(L"<a x>ab</a>");
  const int abcdef = Width(L"<a y>abcdef</a>");
  ASSERT_EQ(Draw(scratch, L"<a x>ab</a><n><a y>abcdef</a>", RECT{0, 0, 200, 80}, DT_CENTER, links,
                 texts, 2),
            2);
  EXPECT_EQ(links[0].left, (200 - ab) / 2);
  EXPECT_EQ(links[1].left, (200 - abcdef) / 2);
  EXPECT_EQ(links[1].top, links[0].top + line);
}

TEST_F(MarkupText, InlineImagesSitOnTheLineAndGrowIt) {
  const RECT measured = Calc(L"<i frames.png 3 1>", DT_SINGLELINE);
  const int line = Calc(L"a", DT_SINGLELINE).bottom;
  EXPECT_EQ(measured.right, 2);
  EXPECT_EQ(measured.bottom, line);
  Draw(canvas_, L"<i frames.png 3 1>", RECT{0, 0, 300, 80}, DT_SINGLELINE);
  // Frame 1 of 3 (green), at the bottom of the line.
  EXPECT_TRUE(RgbNear(canvas_.Pixel(0, line - 1), 0x00FF00)) << ColorText(canvas_.Pixel(0, line - 1));
  EXPECT_TRUE(RgbNear(canvas_.Pixel(1, line - 2), 0x00FF00));
  EXPECT_TRUE(RgbNear(canvas_.Pixel(2, line - 1), 0xFFFFFF));
  EXPECT_TRUE(RgbNear(canvas_.Pixel(0, line - 3), 0xFFFFFF));

  DibCanvas top(300, 80);
  Draw(top, L"<v top><i frames.png 3 2></v>x", RECT{0, 0, 300, 80}, DT_SINGLELINE);
  EXPECT_TRUE(RgbNear(top.Pixel(0, 0), 0x0000FF));
  // An index out of range is frame 0; the description form draws the whole image.
  DibCanvas other(300, 80);
  Draw(other, L"<i frames.png 3 7><i file='frames.png'>", RECT{0, 0, 300, 80}, DT_SINGLELINE);
  EXPECT_TRUE(RgbNear(other.Pixel(0, line - 1), 0xFF0000));
  EXPECT_TRUE(RgbNear(other.Pixel(2, line - 1), 0xFF0000));
  EXPECT_TRUE(RgbNear(other.Pixel(4, line - 1), 0x00FF00));
  EXPECT_TRUE(RgbNear(other.Pixel(6, line - 1), 0x0000FF));

  // An image taller than the font makes the line that tall; one that does not fit starts a line.
  ASSERT_TRUE(skin_.AddPng(L"tall.png", 4, 40, Pixels(160, kRed)));
  EXPECT_EQ(Calc(L"a<i tall.png>b", DT_SINGLELINE).bottom, 40);
  EXPECT_EQ(Calc(L"aaaa<i tall.png>", 0, RECT{0, 0, Width(L"aaaa") + 2, 200}).bottom, line + 40);
  // A missing image is left out.
  EXPECT_EQ(Calc(L"a<i missing.png>b", DT_SINGLELINE).right, Width(L"ab"));
}

TEST_F(MarkupText, EscapesRawTextTokensAndSelection) {
  EXPECT_EQ(Width(L"<{>"), Width(L"{"));
  EXPECT_EQ(Width(L"<}>"), Width(L"}"));
  EXPECT_EQ(Width(L"{<}"), Width(L"<"));
  EXPECT_EQ(Width(L"{>}"), Width(L">"));
  EXPECT_GT(Width(L"{"), 0);
  Draw(canvas_, L"<{>", RECT{0, 0, 300, 40}, DT_SINGLELINE);
  EXPECT_GT(CountNotWhite(canvas_, RECT{0, 0, 300, 40}), 0);

  // Raw text shows its tags as they are.
  const SIZE literal = CRenderUI::GetTextSize(canvas_.dc(), &Manager(), L"<b>x</b>", -1, 0);
  EXPECT_EQ(Width(L"<r><b>x</b></r>"), literal.cx);
  // Text that only looks like a tag is text.
  EXPECT_EQ(Width(L"a<B>"), CRenderUI::GetTextSize(canvas_.dc(), &Manager(), L"a<B>", -1, 0).cx);
  EXPECT_EQ(Width(L"<b"), CRenderUI::GetTextSize(canvas_.dc(), &Manager(), L"<b", -1, 0).cx);
  EXPECT_EQ(Width(L"<c #f00"), CRenderUI::GetTextSize(canvas_.dc(), &Manager(), L"<c #f00", -1, 0).cx);

  SkinUI::CWindowManagerUI::SetLanguageText(7100, L"<b>Hi</b>");
  EXPECT_EQ(Width(L"%{7100}"), Width(L"<b>Hi</b>"));

  // Selected text has the selection colour behind it.
  DibCanvas selected(300, 40);
  Draw(selected, L"<s>selected</s>", RECT{0, 0, 300, 40}, DT_SINGLELINE);
  const DWORD selection = Manager().GetDefaultSelectedBkColor() & 0xFFFFFF;
  EXPECT_GT(CountNear(selected, RECT{0, 0, 300, 40}, selection, 2), 20);
  DibCanvas plain(300, 40);
  Draw(plain, L"<s>x</s>not selected", RECT{0, 0, 300, 40}, DT_SINGLELINE);
  EXPECT_GT(CountNear(plain, RECT{0, 0, Width(L"x"), 40}, selection, 2), 0);
  EXPECT_EQ(CountNear(plain, RECT{Width(L"x") + 1, 0, 300, 40}, selection, 2), 0);
}

TEST_F(MarkupText, HostileMarkupEndsWithoutHarm) {
  std::wstring longWord(20000, L'w');
  std::wstring nested;
  for (int i = 0; i < 1000; ++i) nested += L"<b><c #FF00FF00><a x><v center><p 3><s><u><i>";
  nested += L"text";
  std::wstring manyFonts;
  for (int i = 0; i < 100; ++i) manyFonts += L"<f NoSuchFace" + std::to_wstring(i) + L" 12>x";
  std::wstring openers(5000, L'<');
  std::wstring unclosed;
  for (int i = 0; i < 3000; ++i) unclosed += L"<a ";
  const std::wstring texts[] = {
      L"<", L"{", L"<a", L"<a ", L"<a home", L"{c", L"<c #zz>x", L"</a></b></i></p></v></s>x",
      L"<f 999999999 bold>x", L"<f Tahoma 99999999>x", L"<f Tahoma -5>x", L"<f >x",
      L"<x 99999999>y<x -99999999>z", L"<y -5>a", L"<y 99999999>a", L"<p 99999999>a</p>",
      L"<i >", L"<i missing.png 0 -5>", L"<i frames.png 99999 99999>", L"<i frames.png -3>",
      L"<i file='>", L"<i res='x' restype='y'>", L"<v>x</v></v></v>", L"<r>never closed <b>",
      L"\r\r\n\n\r", L"<{", L"{<", L"<}", L"<{}", L"\xD83D\xDE00\xD83D\xDE00\xD83D", longWord,
      nested, manyFonts, openers, unclosed};
  const UINT styles[] = {0, DT_SINGLELINE, DT_WORDBREAK, DT_END_ELLIPSIS,
                         DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER | DT_VCENTER,
                         DT_WORDBREAK | DT_RIGHT | DT_BOTTOM};
  const RECT rects[] = {{0, 0, 300, 80}, {0, 0, 1, 1}, {0, 0, 5, 2000}, {50, 50, 40, 40},
                        {-100000000, -100000000, 100000000, 100000000}};
  RECT links[3] = {};
  CStringUI linkTexts[3];
  for (const std::wstring& text : texts) {
    SCOPED_TRACE(TestSupport::ToUtf8(text.substr(0, 40)));
    for (const UINT style : styles) {
      for (const RECT& rc : rects) {
        RECT drawn = rc;
        int count = 3;
        CRenderUI::DrawHtmlText(canvas_.dc(), &Manager(), drawn, text.c_str(), kBlack, links,
                                linkTexts, &count, -1, style);
        EXPECT_GE(count, 0);
        EXPECT_LE(count, 3);
        RECT measured = rc;
        CRenderUI::DrawHtmlText(canvas_.dc(), &Manager(), measured, text.c_str(), kBlack, nullptr,
                                nullptr, nullptr, -1, style | kCalc);
      }
    }
  }
  // However often the hundred unknown faces are drawn, the window holds a bounded number of them.
  int held = 0;
  for (int i = 0; i < 100; ++i) {
    const std::wstring face = L"NoSuchFace" + std::to_wstring(i);
    if (Manager().FindFont(face.c_str(), 12, false, false, false) != nullptr) ++held;
  }
  EXPECT_GT(held, 0);
  EXPECT_LE(held, 64);

  // Nothing without a DC, manager or text, or with an empty rect; the count says 0.
  RECT rc = {0, 0, 100, 20};
  int count = 3;
  CRenderUI::DrawHtmlText(nullptr, &Manager(), rc, L"<a x>x</a>", kBlack, links, linkTexts, &count, -1, 0);
  EXPECT_EQ(count, 0);
  count = 3;
  CRenderUI::DrawHtmlText(canvas_.dc(), nullptr, rc, L"<a x>x</a>", kBlack, links, linkTexts, &count, -1, 0);
  EXPECT_EQ(count, 0);
  RECT empty = {10, 10, 10, 30};
  CRenderUI::DrawHtmlText(canvas_.dc(), &Manager(), empty, L"x", kBlack, nullptr, nullptr, nullptr, -1, kCalc);
  EXPECT_EQ(empty.right, 10);
  EXPECT_EQ(empty.bottom, 30);
}
