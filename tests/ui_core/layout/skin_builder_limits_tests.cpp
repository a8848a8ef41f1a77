// Untrusted skins: Include loops and counts, child layouts that name their own file, nesting
// across files, the control budget, tree nodes out of place, controls that no parent can hold,
// and malformed text. Each is refused or ignored with a log line; nothing crashes or hangs.
#include <gtest/gtest.h>

#include <string>

#include "layout_test_util.h"
#include "log_capture.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_string_or_id.h"
#include "ui_test_support.h"

using LayoutTest::BuildText;
using LayoutTest::ControlPtr;
using LayoutTest::CountControls;
using LayoutTest::CountedControl;
using LayoutTest::FakeTreeNode;
using LayoutTest::ScratchSkin;
using LayoutTest::Tree;
using SkinUI::CControlUI;
using SkinUI::CSkinBuilderUI;
using SkinUI::CStringOrIdUI;

namespace {

ControlPtr BuildFile(const wchar_t* name, SkinUI::CWindowManagerUI* manager = nullptr) {
  LayoutTest::RegisterTestElements();
  CSkinBuilderUI builder;
  return ControlPtr(builder.Create(CStringOrIdUI(name), nullptr, nullptr, manager));
}

std::wstring Nested(const std::wstring& element, int levels, const std::wstring& inner) {
  std::wstring text;
  for (int i = 0; i < levels; ++i) text += L"<" + element + L">";
  text += inner;
  for (int i = 0; i < levels; ++i) text += L"</" + element + L">";
  return text;
}

}  // namespace

TEST(SkinBuilderLimits, IncludeRepeatsItsFileCountTimes) {
  ScratchSkin skin;
  skin.Write(L"row.xml", L"<Window><Control name='row'/><Control name='row2'/></Window>");
  skin.Write(L"main.xml", L"<Window><VerticalLayout><Include source='row.xml' count='3'/>"
                          L"<Include source='row.xml'/><Include source='row.xml' count='0'/>"
                          L"<Include count='2'/><Include /></VerticalLayout></Window>");
  LogCapture log;
  ControlPtr root = BuildFile(L"main.xml");
  ASSERT_TRUE(root);
  EXPECT_EQ(L"VerticalLayout(Control:row,Control:row2,Control:row,Control:row2,Control:row,"
            L"Control:row2,Control:row,Control:row2)",
            Tree(root.get()));
  EXPECT_EQ(2u, log.LinesContaining(L"Include without a source or with count").size());
}

// An Include's attributes count only as written, unlike the resource elements' attributes,
// which the window pass takes in any case.
TEST(SkinBuilderLimits, IncludeAttributesCountOnlyAsWritten) {
  ScratchSkin skin;
  skin.Write(L"row.xml", L"<Window><Control name='row'/></Window>");
  skin.Write(L"main.xml", L"<Window><Font ID='1' NAME='Arial'/><VerticalLayout>"
                          L"<Include Source='row.xml'/><Include source='row.xml' COUNT='3'/>"
                          L"</VerticalLayout></Window>");
  LogCapture log;
  SkinUI::CWindowManagerUI manager;
  ControlPtr root = BuildFile(L"main.xml", &manager);
  ASSERT_TRUE(root);
  EXPECT_EQ(L"VerticalLayout(Control:row)", Tree(root.get()));
  EXPECT_EQ(1u, log.LinesContaining(L"attribute Source of Include ignored").size());
  EXPECT_EQ(1u, log.LinesContaining(L"attribute COUNT of Include ignored").size());
  EXPECT_NE(nullptr, manager.FindFont(L"Arial", 12, false, false, false));
}

TEST(SkinBuilderLimits, IncludeCountIsCutToItsBound) {
  ScratchSkin skin;
  skin.Write(L"one.xml", L"<Window><Counted /></Window>");
  skin.Write(L"many.xml",
             L"<Window><VerticalLayout><Include source='one.xml' count='2147483647'/>"
             L"</VerticalLayout></Window>");
  LogCapture log;
  {
    ControlPtr root = BuildFile(L"many.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(1 + SkinUI::kSkinMaxIncludeCount, CountControls(root.get()));
  }
  EXPECT_EQ(0, CountedControl::live);
  EXPECT_EQ(1u, log.LinesContaining(L"Include of one.xml: count 2147483647 cut to 100").size());
}

TEST(SkinBuilderLimits, IncludeLoopsAreRefused) {
  ScratchSkin skin;
  skin.Write(L"self.xml", L"<Window><VerticalLayout name='top'><Control name='mark'/>"
                          L"<Include source='self.xml' count='50'/></VerticalLayout></Window>");
  skin.Write(L"a.xml", L"<Window><VerticalLayout name='a'><Include source='b.xml'/>"
                       L"</VerticalLayout></Window>");
  skin.Write(L"b.xml", L"<Window><Control name='fromB'/><Include source='A.XML'/></Window>");
  LogCapture log;
  ControlPtr self = BuildFile(L"self.xml");
  ASSERT_TRUE(self);
  EXPECT_EQ(L"VerticalLayout:top(Control:mark)", Tree(self.get()));
  // One refusal stops the remaining repetitions.
  EXPECT_EQ(1u, log.LinesContaining(L"self.xml is already being built").size());

  ControlPtr a = BuildFile(L"a.xml");
  ASSERT_TRUE(a);
  EXPECT_EQ(L"VerticalLayout:a(Control:fromB)", Tree(a.get()));
  EXPECT_EQ(1u, log.LinesContaining(L"A.XML is already being built").size());
}

TEST(SkinBuilderLimits, FilesNestOnlySoDeep) {
  ScratchSkin skin;
  const int files = SkinUI::kSkinMaxNestedFiles + 4;
  for (int i = 1; i <= files; ++i) {
    skin.Write(L"f" + std::to_wstring(i) + L".xml",
               L"<Window><Control name='f" + std::to_wstring(i) + L"'/><Include source='f" +
                   std::to_wstring(i + 1) + L".xml'/></Window>");
  }
  skin.Write(L"top.xml", L"<Window><VerticalLayout><Include source='f1.xml'/></VerticalLayout>"
                         L"</Window>");
  LogCapture log;
  ControlPtr root = BuildFile(L"top.xml");
  ASSERT_TRUE(root);
  // top.xml and f1 .. f15 are open at once; f16 would be the seventeenth.
  EXPECT_EQ(SkinUI::kSkinMaxNestedFiles, CountControls(root.get()));
  EXPECT_EQ(1u, log.LinesContaining(L"f16.xml nests more than 16 files deep").size());
}

TEST(SkinBuilderLimits, NestedBuildsAreBoundedPerBuild) {
  ScratchSkin skin;
  skin.Write(L"leaf.xml", L"<Window><Control /></Window>");
  std::wstring includes;
  for (int i = 0; i < 11; ++i) includes += L"<Include source='leaf.xml' count='100'/>";
  skin.Write(L"fan.xml", L"<Window><VerticalLayout>" + includes + L"</VerticalLayout></Window>");
  LogCapture log;
  ControlPtr root = BuildFile(L"fan.xml");
  ASSERT_TRUE(root);
  EXPECT_EQ(1 + SkinUI::kSkinMaxNestedBuilds, CountControls(root.get()));
  EXPECT_FALSE(log.LinesContaining(L"more than 1000 nested builds").empty());
  // The next build starts with a fresh count.
  ControlPtr again = BuildFile(L"fan.xml");
  ASSERT_TRUE(again);
  EXPECT_EQ(1 + SkinUI::kSkinMaxNestedBuilds, CountControls(again.get()));
}

TEST(SkinBuilderLimits, ControlsPerBuildAreBounded) {
  ScratchSkin skin;
  std::wstring controls;
  for (int i = 0; i < 200; ++i) controls += L"<Control />";
  skin.Write(L"two.xml", L"<Window>" + controls + L"</Window>");
  skin.Write(L"big.xml", L"<Window><VerticalLayout><Include source='two.xml' count='100'/>"
                         L"</VerticalLayout></Window>");
  LogCapture log;
  ControlPtr root = BuildFile(L"big.xml");
  ASSERT_TRUE(root);
  EXPECT_EQ(SkinUI::kSkinMaxControls, CountControls(root.get()));
  EXPECT_EQ(1u, log.LinesContaining(L"skin build stopped: more than 10000 controls").size());
}

TEST(SkinBuilderLimits, NestingAcrossIncludedFilesIsBounded) {
  ScratchSkin skin;
  skin.Write(L"deep1.xml",
             L"<Window>" + Nested(L"VerticalLayout", 200, L"<Include source='deep2.xml'/>") +
                 L"</Window>");
  skin.Write(L"deep2.xml", L"<Window>" + Nested(L"VerticalLayout", 200, L"") + L"</Window>");
  LogCapture log;
  ControlPtr root = BuildFile(L"deep1.xml");
  ASSERT_TRUE(root);
  const int depth = LayoutTest::Depth(root.get());
  EXPECT_LE(depth, SkinUI::kSkinMaxDepth);
  EXPECT_GT(depth, 250);
  EXPECT_EQ(1u, log.LinesContaining(L"skin elements nested more than 256 deep are skipped").size());

  // One file nested deeper than the reader allows does not load at all.
  EXPECT_FALSE(BuildText(L"<Window>" + Nested(L"VerticalLayout", 300, L"") + L"</Window>"));
}

TEST(SkinBuilderLimits, ChildLayoutNamingItsOwnFileStopsAtOneLevel) {
  ScratchSkin skin;
  skin.Write(L"childself.xml", L"<Window><VerticalLayout name='outer'><ChildLayout name='again' "
                               L"xmlfile='childself.xml'/></VerticalLayout></Window>");
  LogCapture log;
  TestSupport::TestHostWindow host(200, 200);
  ControlPtr built = BuildText(
      L"<Window><VerticalLayout><ChildLayout name='top' xmlfile='childself.xml'/>"
      L"<ChildLayout name='none' xmlfile='nothere.xml'/></VerticalLayout></Window>",
      &host.manager());
  ASSERT_TRUE(built);
  CControlUI* root = built.release();
  ASSERT_TRUE(host.Attach(root));
  EXPECT_EQ(L"VerticalLayout(ChildLayout:top(VerticalLayout:outer(ChildLayout:again)),"
            L"ChildLayout:none)",
            Tree(root));
  EXPECT_EQ(1u, log.LinesContaining(L"childself.xml is already being built").size());
  EXPECT_EQ(1u, log.LinesContaining(L"child layout nothere.xml not loaded").size());
}

TEST(SkinBuilderLimits, ControlsThatNoParentCanHoldAreFreed) {
  LogCapture log;
  {
    ControlPtr root = BuildText(
        L"<Window><VerticalLayout><Control name='plain'><Counted /><Counted /></Control>"
        L"<Counted name='kept'/></VerticalLayout></Window>");
    ASSERT_TRUE(root);
    EXPECT_EQ(L"VerticalLayout(Control:plain,Counted:kept)", Tree(root.get()));
    EXPECT_EQ(1, CountedControl::live);
  }
  EXPECT_EQ(0, CountedControl::live);
  EXPECT_EQ(1u, log.LinesContaining(L"Counted skipped: Control holds no children").size());

  {
    ControlPtr first = BuildText(L"<Window><Counted name='first'/><Counted name='second'/>"
                                 L"<Include source='x.xml'/></Window>");
    ASSERT_TRUE(first);
    EXPECT_EQ(L"Counted:first", Tree(first.get()));
    EXPECT_EQ(1, CountedControl::live);
  }
  EXPECT_EQ(0, CountedControl::live);
  EXPECT_EQ(1u, log.LinesContaining(L"Counted skipped: a second control outside any parent").size());
  EXPECT_EQ(1u, log.LinesContaining(L"Include of x.xml outside any control ignored").size());
}

// A refused tree was configured with the manager before the build took the manager away: the
// tab page that "selectedid" selected holds the focus and its name is indexed. Deleting the tree
// must leave the manager pointing at none of it (the next focus change read the freed page).
TEST(SkinBuilderLimits, RefusedTreesLeaveNoPointerInTheManager) {
  LogCapture log;
  SkinUI::CWindowManagerUI manager;
  for (int build = 0; build < 2; ++build) {
    SCOPED_TRACE(build);
    ControlPtr root = BuildText(
        L"<Window><VerticalLayout><Control><VerticalLayout><TabLayout selectedid='1'>"
        L"<Control name='a'/><Control name='page'/></TabLayout></VerticalLayout></Control>"
        L"</VerticalLayout></Window>",
        &manager);
    ASSERT_TRUE(root);
    EXPECT_EQ(L"VerticalLayout(Control)", Tree(root.get()));
    EXPECT_EQ(nullptr, manager.GetFocus());
    EXPECT_EQ(nullptr, manager.FindControl(L"page"));
    EXPECT_EQ(nullptr, manager.FindControl(L"a"));
  }
  EXPECT_EQ(2u, log.LinesContaining(L"VerticalLayout skipped: Control holds no children").size());
}

TEST(SkinBuilderLimits, TreeNodesNestInTreeViewsOnly) {
  LogCapture log;
  SkinUI::CWindowManagerUI manager;
  {
    ControlPtr root = BuildText(
        L"<Window><TreeView name='tv'><TreeNode name='n1' text='one'><TreeNode name='n11'/>"
        L"<Control name='rowItem'/></TreeNode><TreeNode name='n2'/></TreeView></Window>",
        &manager);
    ASSERT_TRUE(root);
    EXPECT_EQ(L"TreeView:tv(TreeNode:n1(TreeNode:n11,Control:rowItem),TreeNode:n2)",
              Tree(root.get()));
    auto* tv = static_cast<SkinUI::IContainerUI*>(root->GetInterface(L"IContainer"));
    auto* n1 = static_cast<FakeTreeNode*>(tv->GetItemAt(0)->GetInterface(L"TreeNode"));
    ASSERT_NE(nullptr, n1);
    ASSERT_EQ(1u, n1->childNodes.size());
    EXPECT_EQ(L"n11", std::wstring(n1->childNodes[0]->GetName().GetData()));
    ASSERT_EQ(1u, n1->rowItems.size());
    EXPECT_EQ(L"rowItem", std::wstring(n1->rowItems[0]->GetName().GetData()));
    EXPECT_EQ(L"one", std::wstring(n1->GetText().GetData()));
    EXPECT_EQ(nullptr, root->GetManager());
    EXPECT_EQ(3, FakeTreeNode::live);
  }
  EXPECT_EQ(0, FakeTreeNode::live);

  ControlPtr stray = BuildText(L"<Window><VerticalLayout><TreeNode name='stray'><Counted /></TreeNode>"
                               L"<Control name='c'/></VerticalLayout><TreeNode /></Window>");
  ASSERT_TRUE(stray);
  EXPECT_EQ(L"VerticalLayout(Control:c)", Tree(stray.get()));
  EXPECT_EQ(0, FakeTreeNode::live);
  EXPECT_EQ(0, CountedControl::live);
  EXPECT_EQ(2u, log.LinesContaining(L"TreeNode outside a tree view skipped").size());

  FakeTreeNode::available = false;
  ControlPtr unregistered = BuildText(L"<Window><TreeView><TreeNode /></TreeView></Window>");
  FakeTreeNode::available = true;
  ASSERT_TRUE(unregistered);
  EXPECT_EQ(L"TreeView", Tree(unregistered.get()));
  EXPECT_EQ(1u, log.LinesContaining(L"no tree node class is registered").size());
}

TEST(SkinBuilderLimits, MalformedSkinsNeverCrash) {
  TestSupport::TestHostWindow host(200, 200);
  ScratchSkin skin;
  skin.Write(L"ok.xml", L"<Window><Control /></Window>");
  const wchar_t* const skins[] = {
      L"",
      L"<",
      L"<Window",
      L"<Window><VerticalLayout>",
      L"<Window size='99999999999999,-99999999999'><Control width='-5' height='99999999999'/></Window>",
      L"<Window><Font id='2147483647' name='x' size='-2147483648'/><Control /></Window>",
      L"<Window><Image name='nothere.png' mask='#zz'/><Control /></Window>",
      L"<Window><Default name='' value='x'/><Default name='Control' value='width=&quot;'/>"
      L"<Control /></Window>",
      L"<Window><VerticalLayout><Include source='ok.xml' count='-2147483648'/><Include "
      L"source='&lt;Window&gt;&lt;Control/&gt;&lt;/Window&gt;'/></VerticalLayout></Window>",
      L"<Window><Window><Window /></Window></Window>",
      L"<Window><TabLayout selectedid='-2147483648'><Control /></TabLayout>"
      L"<TabLayout selectedid='2147483647'/></Window>",
      L"<Window><TileLayout itemsize='-1,-1' columns='99999999999' childvpadding='-9'><Control />"
      L"</TileLayout></Window>",
      L"<Window><VerticalLayout sepheight='-2147483648' sepimm='maybe'/></Window>",
      L"<Window><ChildLayout xmlfile=''/><Control cover='true'/></Window>",
      L"<Window><VerticalLayout><Control cover='true'/><Control cover='true'/></VerticalLayout>"
      L"</Window>",
  };
  for (const wchar_t* text : skins) {
    ControlPtr root = BuildText(text, &host.manager());
    if (root) {
      root->SetManager(nullptr, nullptr, false);
      root->SetPos({0, 0, 200, 200}, false);
    }
  }
  SUCCEED();
}
