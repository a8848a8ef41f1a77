// Child rectangles after a layout pass, for the vertical, horizontal, tile and tab layouts.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "layout_test_util.h"
#include "log_capture.h"
#include "ui_core/layout/ui_layout_math.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_tab_layout.h"

using LayoutTest::BuildText;
using LayoutTest::ControlPtr;
using LayoutTest::Rects;

namespace {

// Builds the skin, links every control to its parent (as attaching to a window would) and lays
// the root out in `bounds`.
ControlPtr LayOut(const std::wstring& xml, RECT bounds) {
  ControlPtr root = BuildText(xml);
  if (root) {
    root->SetManager(nullptr, nullptr, false);
    root->SetPos(bounds, false);
  }
  return root;
}

std::wstring LayOutRects(const std::wstring& xml, RECT bounds) {
  ControlPtr root = LayOut(xml, bounds);
  return root ? Rects(root.get()) : L"not built";
}

struct LayoutCase {
  const char* what;
  const wchar_t* xml;  // inside <Window>...</Window>
  RECT bounds;
  const wchar_t* rects;
};

void RunCases(const LayoutCase* cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const LayoutCase& c = cases[i];
    EXPECT_EQ(c.rects, LayOutRects(std::wstring(L"<Window>") + c.xml + L"</Window>", c.bounds))
        << c.what;
  }
}

}  // namespace

TEST(VerticalLayout, PlacesChildrenByTheTable) {
  const LayoutCase cases[] = {
      {"adjustable children share the rest and the last takes the remainder",
       L"<VBox name='v' childpadding='1'><Control name='a' height='20'/><Control name='b'/>"
       L"<Control name='c'/></VBox>",
       {0, 0, 100, 101}, L"v=0,0,100,101 a=0,0,100,20 b=0,21,100,60 c=0,61,100,101"},
      {"a minimum larger than the share wins and the last adjustable shrinks",
       L"<VerticalLayout name='v'><Control name='a' height='20'/><Control name='b' minheight='60'/>"
       L"<Control name='c'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,100,20 b=0,20,100,80 c=0,80,100,100"},
      {"a maximum caps an adjustable child and the last one takes the rest",
       L"<VerticalLayout name='v'><Control name='a' height='20'/><Control name='b' maxheight='10'/>"
       L"<Control name='c'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,100,20 b=0,20,100,30 c=0,30,100,100"},
      {"paddings keep their room around the child",
       L"<VerticalLayout name='v'><Control name='a' height='20' padding='5,3,5,2'/>"
       L"<Control name='b' height='10'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=5,3,95,23 b=0,25,100,35"},
      {"the inset shrinks the client area",
       L"<VerticalLayout name='v' inset='10,5,20,15'><Control name='a' height='20'/><Control name='b'/>"
       L"</VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=10,5,80,25 b=10,25,80,85"},
      {"fixed widths align left by default",
       L"<VerticalLayout name='v'><Control name='a' width='40' height='10'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,40,10"},
      {"centre alignment ignores the side paddings",
       L"<VerticalLayout name='v' childalign='center'><Control name='a' width='40' height='10' "
       L"padding='7,0,3,0'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=30,0,70,10"},
      {"right alignment keeps the right padding",
       L"<VerticalLayout name='v' childalign='right'><Control name='a' width='40' height='10' "
       L"padding='0,0,5,0'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=55,0,95,10"},
      {"a vertical layout ignores childvalign",
       L"<VerticalLayout name='v' childvalign='bottom'><Control name='a' height='10'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,100,10"},
      {"a child estimating its own height is not stretched",
       L"<VerticalLayout name='v'><Estimating name='a' estimate='0,40'/><Control name='b'/>"
       L"</VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,100,40 b=0,40,100,100"},
      {"minimum and maximum widths bound the child",
       L"<VerticalLayout name='v'><Control name='a' height='10' maxwidth='30'/>"
       L"<Control name='b' height='10' minwidth='150'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,30,10 b=0,10,150,20"},
      {"invisible children take no room",
       L"<VerticalLayout name='v'><Control name='a' height='10'/><Control name='b' height='30' "
       L"visible='false'/><Control name='c' height='10'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 a=0,0,100,10 b=0,0,0,0 c=0,10,100,20"},
      {"a float child sits at its position relative to the layout",
       L"<VerticalLayout name='v'><Control name='a' height='10'/><Control name='f' float='true' "
       L"pos='5,5,25,15'/></VerticalLayout>",
       {10, 20, 110, 120}, L"v=10,20,110,120 a=10,20,110,30 f=15,25,35,35"},
      {"nested layouts place their own children",
       L"<VerticalLayout name='v'><HorizontalLayout name='h' height='20'><Control name='a' width='30'/>"
       L"<Control name='b'/></HorizontalLayout><Control name='c'/></VerticalLayout>",
       {0, 0, 100, 100}, L"v=0,0,100,100 h=0,0,100,20 a=0,0,30,20 b=30,0,100,20 c=0,20,100,100"},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(HorizontalLayout, PlacesChildrenByTheTable) {
  const LayoutCase cases[] = {
      {"adjustable children share the rest and the last takes the remainder",
       L"<HBox name='h' childpadding='1'><Control name='a' width='20'/><Control name='b'/>"
       L"<Control name='c'/></HBox>",
       {0, 0, 101, 50}, L"h=0,0,101,50 a=0,0,20,50 b=21,0,60,50 c=61,0,101,50"},
      {"a child without a fixed width is stretched whatever its estimate",
       L"<HorizontalLayout name='h'><Control name='a' width='50'/><Estimating name='b' "
       L"estimate='40,0'/></HorizontalLayout>",
       {0, 0, 200, 50}, L"h=0,0,200,50 a=0,0,50,50 b=50,0,200,50"},
      {"vcenter alignment centres fixed heights",
       L"<HorizontalLayout name='h' childvalign='vcenter'><Control name='a' width='10' height='20'/>"
       L"</HorizontalLayout>",
       {0, 0, 100, 50}, L"h=0,0,100,50 a=0,15,10,35"},
      {"bottom alignment keeps the bottom padding",
       L"<HorizontalLayout name='h' childvalign='bottom'><Control name='a' width='10' height='20' "
       L"padding='0,0,0,4'/></HorizontalLayout>",
       {0, 0, 100, 50}, L"h=0,0,100,50 a=0,26,10,46"},
      {"a horizontal layout ignores childalign",
       L"<HorizontalLayout name='h' childalign='right'><Control name='a' width='10'/></HorizontalLayout>",
       {0, 0, 100, 50}, L"h=0,0,100,50 a=0,0,10,50"},
      {"paddings and minimum widths",
       L"<HorizontalLayout name='h'><Control name='a' width='20' padding='2,3,4,5'/><Control name='b' "
       L"minwidth='90'/><Control name='c'/></HorizontalLayout>",
       {0, 0, 150, 50}, L"h=0,0,150,50 a=2,3,22,45 b=26,0,116,50 c=116,0,150,50"},
      {"the inset shrinks the client area",
       L"<HorizontalLayout name='h' inset='4,6,8,10'><Control name='a' width='20'/><Control name='b'/>"
       L"</HorizontalLayout>",
       {0, 0, 100, 50}, L"h=0,0,100,50 a=4,6,24,40 b=24,6,92,40"},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(TileLayout, PlacesChildrenByTheTable) {
  const LayoutCase cases[] = {
      {"item width 80 in 250 pixels: three columns and a gap of 5",
       L"<TileLayout name='t' itemsize='80,30'><Control name='a'/><Control name='b'/>"
       L"<Control name='c'/><Control name='d'/></TileLayout>",
       {0, 0, 250, 100}, L"t=0,0,250,100 a=0,0,80,30 b=85,0,165,30 c=170,0,250,30 d=0,30,80,60"},
      {"a child padding keeps the gap it asks for",
       L"<TileLayout name='t' itemsize='80,30' childpadding='3'><Control name='a'/><Control name='b'/>"
       L"<Control name='c'/></TileLayout>",
       {0, 0, 250, 100}, L"t=0,0,250,100 a=0,0,80,30 b=83,0,163,30 c=166,0,246,30"},
      {"fixed columns spread the rest between them",
       L"<TileLayout name='t' itemsize='80,30' columns='2'><Control name='a'/><Control name='b'/>"
       L"<Control name='c'/></TileLayout>",
       {0, 0, 250, 100}, L"t=0,0,250,100 a=0,0,80,30 b=170,0,250,30 c=0,30,80,60"},
      {"childvpadding separates the rows",
       L"<TileLayout name='t' itemsize='100,30' childvpadding='5'><Control name='a'/><Control name='b'/>"
       L"<Control name='c'/></TileLayout>",
       {0, 0, 200, 100}, L"t=0,0,200,100 a=0,0,100,30 b=100,0,200,30 c=0,35,100,65"},
      {"a child's padding is applied once",
       L"<TileLayout name='t' itemsize='80,30'><Control name='a' padding='5,4,5,6'/></TileLayout>",
       {0, 0, 250, 100}, L"t=0,0,250,100 a=5,4,75,24"},
      {"a client narrower than one item holds one column",
       L"<TileLayout name='t' itemsize='80,30'><Control name='a'/><Control name='b'/></TileLayout>",
       {0, 0, 50, 100}, L"t=0,0,50,100 a=0,0,80,30 b=0,30,80,60"},
      {"centre and vcenter place a capped child inside its cell",
       L"<TileLayout name='t' itemsize='80,40' childalign='center' childvalign='vcenter'>"
       L"<Control name='a' maxwidth='40' maxheight='10'/></TileLayout>",
       {0, 0, 80, 100}, L"t=0,0,80,100 a=20,15,60,25"},
      {"right and bottom place a capped child at the far edges",
       L"<TileLayout name='t' itemsize='80,40' childalign='right' childvalign='bottom'>"
       L"<Control name='a' maxwidth='40' maxheight='10' padding='0,0,2,3'/></TileLayout>",
       {0, 0, 80, 100}, L"t=0,0,80,100 a=38,27,78,37"},
      {"invisible children keep their cells empty",
       L"<TileLayout name='t' itemsize='100,30'><Control name='a'/><Control name='b' visible='false'/>"
       L"<Control name='c'/></TileLayout>",
       {0, 0, 200, 100}, L"t=0,0,200,100 a=0,0,100,30 b=0,0,0,0 c=0,30,100,60"},
      {"an item width of 0 is refused and the cells stay 80 by 80",
       L"<TileLayout name='t' itemsize='0,0'><Control name='a'/><Control name='b'/></TileLayout>",
       {0, 0, 100, 200}, L"t=0,0,100,200 a=0,0,80,80 b=0,80,80,160"},
      {"a negative item width is refused",
       L"<TileLayout name='t' itemsize='-20,30'><Control name='a'/></TileLayout>",
       {0, 0, 100, 200}, L"t=0,0,100,200 a=0,0,80,80"},
      {"negative columns are ignored",
       L"<TileLayout name='t' itemsize='50,20' columns='-2'><Control name='a'/><Control name='b'/>"
       L"</TileLayout>",
       {0, 0, 100, 100}, L"t=0,0,100,100 a=0,0,50,20 b=50,0,100,20"},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(TileLayout, CountsColumnsAndRowsAtEachLayout) {
  ControlPtr root = LayOut(L"<Window><TileLayout itemsize='80,30'><Control /><Control /><Control />"
                           L"<Control /></TileLayout></Window>",
                           {0, 0, 250, 100});
  ASSERT_TRUE(root);
  auto* tile = static_cast<SkinUI::CTileLayoutUI*>(root->GetInterface(L"TileLayout"));
  ASSERT_NE(nullptr, tile);
  EXPECT_EQ(3, tile->GetColumns());
  EXPECT_EQ(2, tile->GetRows());
  tile->SetPos({0, 0, 170, 100}, false);
  EXPECT_EQ(2, tile->GetColumns());
  EXPECT_EQ(2, tile->GetRows());
  tile->SetPos({0, 0, 10, 100}, false);
  EXPECT_EQ(1, tile->GetColumns());
  EXPECT_EQ(4, tile->GetRows());
}

TEST(TabLayout, PlacesOnlyTheSelectedPage) {
  const LayoutCase cases[] = {
      {"the selected page fills the client area less its padding",
       L"<TabLayout name='t' inset='1,2,3,4' selectedid='1'><Control name='a'/>"
       L"<Control name='b' padding='5,5,5,5'/></TabLayout>",
       {0, 0, 100, 100}, L"t=0,0,100,100 a=0,0,0,0 b=6,7,92,91"},
      {"a page's maximum size bounds it",
       L"<TabLayout name='t'><Control name='a' maxwidth='40' maxheight='30'/></TabLayout>",
       {10, 10, 110, 110}, L"t=10,10,110,110 a=10,10,50,40"},
      {"a page's fixed size is its estimate",
       L"<TabLayout name='t'><Control name='a' width='40' height='30'/></TabLayout>",
       {0, 0, 100, 100}, L"t=0,0,100,100 a=0,0,40,30"},
  };
  RunCases(cases, sizeof(cases) / sizeof(cases[0]));
}

TEST(LayoutBadInput, HugeAndNegativeValuesNeverOverflowOrInvert) {
  const wchar_t* const skins[] = {
      L"<VerticalLayout><Control height='2147483647'/><Control height='2147483647'/><Control />"
      L"</VerticalLayout>",
      L"<HorizontalLayout childpadding='2147483647'><Control width='2147483647' "
      L"padding='2147483647,2147483647,2147483647,2147483647'/><Control /></HorizontalLayout>",
      L"<VerticalLayout inset='500,500,500,500'><Control /><Control height='10'/></VerticalLayout>",
      L"<VerticalLayout inset='-2147483648,-5,2147483647,3'><Control minheight='2147483647'/>"
      L"</VerticalLayout>",
      L"<TileLayout itemsize='2147483647,2147483647' columns='2147483647'><Control /><Control />"
      L"</TileLayout>",
      L"<TileLayout itemsize='1,2147483647' childvpadding='2147483647'><Control /><Control /><Control />"
      L"</TileLayout>",
      L"<TileLayout itemsize='3,3' columns='1'><Control padding='-9,-9,-9,-9'/></TileLayout>",
      L"<TabLayout inset='900,900,900,900'><Control padding='9999,9999,9999,9999'/></TabLayout>",
      L"<HorizontalLayout><Control maxwidth='2147483647' minwidth='2147483647'/></HorizontalLayout>",
  };
  const RECT bounds[] = {{0, 0, 100, 100}, {-2000000000, -2000000000, 2000000000, 2000000000},
                         {0, 0, 0, 0}};
  for (const wchar_t* skin : skins) {
    for (const RECT& b : bounds) {
      ControlPtr root = LayOut(std::wstring(L"<Window>") + skin + L"</Window>", b);
      ASSERT_TRUE(root) << skin;
      auto* box = static_cast<SkinUI::IContainerUI*>(root->GetInterface(L"IContainer"));
      ASSERT_NE(nullptr, box);
      for (int i = 0; i < box->GetCount(); ++i) {
        const RECT& r = box->GetItemAt(i)->GetPos();
        EXPECT_LE(r.left, r.right) << skin;
        EXPECT_LE(r.top, r.bottom) << skin;
        EXPECT_LE(r.right, SkinUI::LayoutMath::kCoordLimit) << skin;
        EXPECT_GE(r.left, -SkinUI::LayoutMath::kCoordLimit) << skin;
      }
    }
  }
}

TEST(LayoutBadInput, NegativePaddingCountsAsZeroWithALogLine) {
  LogCapture log;
  EXPECT_EQ(L"v=0,0,100,100 a=0,0,100,20 b=0,20,100,100",
            LayOutRects(L"<Window><VerticalLayout name='v'><Control name='a' height='20' "
                        L"padding='-5,-5,-5,-5'/><Control name='b'/></VerticalLayout></Window>",
                        {0, 0, 100, 100}));
  EXPECT_FALSE(log.LinesContaining(L"negative padding -5,-5,-5,-5 of \"a\"").empty());
}

TEST(LayoutBadInput, RefusedTileSizesAreLogged) {
  LogCapture log;
  LayOutRects(L"<Window><TileLayout name='t' itemsize='0,10' columns='-1'/></Window>",
              {0, 0, 10, 10});
  EXPECT_EQ(1u, log.LinesContaining(L"tile item size 0,10 of \"t\" refused").size());
  EXPECT_EQ(1u, log.LinesContaining(L"tile columns -1 of \"t\" ignored").size());
}

// Plug-in code and attribute lists may pass a null name (or value); every layout must answer as
// its base does — nothing set, no interface — instead of handing the null to a string compare.
TEST(LayoutBadInput, NullNamesSetNothingAndFindNoInterface) {
  const struct {
    const char* what;
    std::function<SkinUI::CControlUI*()> make;
  } layouts[] = {
      {"vertical", [] { return new SkinUI::CVerticalLayoutUI(); }},
      {"horizontal", [] { return new SkinUI::CHorizontalLayoutUI(); }},
      {"tile", [] { return new SkinUI::CTileLayoutUI(); }},
      {"child", [] { return new SkinUI::CChildLayoutUI(); }},
      {"tab", [] { return new SkinUI::CTabLayoutUI(); }},
  };
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.what);
    ControlPtr control(layout.make());
    const SIZE before = control->GetFixedXY();
    control->SetAttribute(nullptr, L"1");
    control->SetAttribute(nullptr, nullptr);
    EXPECT_EQ(nullptr, control->GetInterface(nullptr));
    EXPECT_EQ(before.cx, control->GetFixedXY().cx);
    EXPECT_EQ(0, control->GetFixedWidth());
    // A real attribute still works after the null ones.
    control->SetAttribute(L"width", L"17");
    EXPECT_EQ(17, control->GetFixedWidth());
  }
}
