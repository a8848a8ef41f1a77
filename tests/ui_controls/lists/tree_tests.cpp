// The tree view in a real window, built from a skin: the flat order and indents of its rows,
// collapsing, checking a subtree, and removing and inserting nodes with their whole subtrees.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "list_fixture.h"
#include "ui_controls/lists/ui_tree.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ListsTest::BuildSkin;
using SkinUI::CTreeNodeUI;
using SkinUI::CTreeViewUI;
using TestSupport::TestHostWindow;

// a
//   a1
//     a1x
//     a1y
//   a2
// b
const wchar_t kTreeSkin[] =
    L"<Window size=\"400,300\"><VerticalLayout>"
    L"<TreeView name=\"tree\" visiblecheckbtn=\"true\" vscrollbar=\"true\">"
    L"<TreeNode name=\"a\" text=\"A\">"
    L"<TreeNode name=\"a1\" text=\"A1\">"
    L"<TreeNode name=\"a1x\" text=\"A1x\"/>"
    L"<TreeNode name=\"a1y\" text=\"A1y\"/>"
    L"</TreeNode>"
    L"<TreeNode name=\"a2\" text=\"A2\"/>"
    L"</TreeNode>"
    L"<TreeNode name=\"b\" text=\"B\"><Label name=\"extra\" text=\"!\" width=\"10\"/></TreeNode>"
    L"</TreeView>"
    L"</VerticalLayout></Window>";

struct TreeWindow {
  TestHostWindow host;
  CTreeViewUI* tree = nullptr;
  TestSupport::NotifyRecorder recorder;

  TreeWindow() {
    host.manager().AddNotifier(&recorder);
    if (BuildSkin(host, kTreeSkin) != nullptr) {
      tree = static_cast<CTreeViewUI*>(host.manager().FindControl(L"tree"));
    }
  }
  ~TreeWindow() { host.manager().RemoveNotifier(&recorder); }

  CTreeNodeUI* Node(const wchar_t* name) {
    SkinUI::CControlUI* control = host.manager().FindControl(name);
    return control != nullptr ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"))
                              : nullptr;
  }
  // The names of the view's rows, in order.
  std::vector<std::wstring> Rows() const {
    std::vector<std::wstring> names;
    for (int i = 0; i < tree->GetCount(); ++i) names.push_back(tree->GetItemAt(i)->GetName().GetData());
    return names;
  }
  std::vector<std::wstring> VisibleRows() const {
    std::vector<std::wstring> names;
    for (int i = 0; i < tree->GetCount(); ++i) {
      if (tree->GetItemAt(i)->IsVisible()) names.push_back(tree->GetItemAt(i)->GetName().GetData());
    }
    return names;
  }
  std::vector<std::wstring> CheckedRows() const {
    std::vector<std::wstring> names;
    for (int i = 0; i < tree->GetCount(); ++i) {
      auto* node = static_cast<CTreeNodeUI*>(tree->GetItemAt(i)->GetInterface(L"TreeNode"));
      if (node != nullptr && node->IsChecked()) names.push_back(node->GetName().GetData());
    }
    return names;
  }
};

using Names = std::vector<std::wstring>;

// A node made in code, with the given name.
CTreeNodeUI* MakeNode(const wchar_t* name) {
  auto* node = new CTreeNodeUI();
  node->SetName(name);
  node->SetAttribute(L"text", name);
  return node;
}

TEST(TreeTest, SkinOfThreeLevelsGivesTheFlatOrderAndIndents) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  EXPECT_EQ(w.Rows(), (Names{L"a", L"a1", L"a1x", L"a1y", L"a2", L"b"}));
  const struct {
    const wchar_t* name;
    bool indented;
    int indent;
    const wchar_t* parent;
    int children;
  } cases[] = {
      {L"a", false, 2, nullptr, 2},  {L"a1", true, 18, L"a", 2}, {L"a1x", true, 34, L"a1", 0},
      {L"a1y", true, 34, L"a1", 0},  {L"a2", true, 18, L"a", 0}, {L"b", false, 2, nullptr, 0},
  };
  for (const auto& c : cases) {
    CTreeNodeUI* node = w.Node(c.name);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetDottedLine()->IsVisible(), c.indented) << static_cast<const void*>(c.name);
    EXPECT_EQ(node->GetDottedLine()->GetFixedWidth(), c.indent);
    EXPECT_EQ(node->GetParentNode(), c.parent != nullptr ? w.Node(c.parent) : nullptr);
    EXPECT_EQ(node->GetChildCount(), c.children);
    EXPECT_EQ(node->GetTreeView(), w.tree);
    EXPECT_TRUE(node->GetCheckBox()->IsVisible()) << "visiblecheckbtn";
    EXPECT_EQ(std::wstring(node->GetItemButton()->GetText().GetData()),
              std::wstring(c.name[0] == L'a' ? L"A" : L"B") + (c.name + 1));
  }
  // The row puts the indent before the folder button, and a child sits right of its parent.
  EXPECT_GT(w.Node(L"a1")->GetFolderButton()->GetPos().left,
            w.Node(L"a")->GetFolderButton()->GetPos().left);
  EXPECT_EQ(w.Node(L"b")->GetRow()->GetCount(), 5) << "a control inside a node joins its row";
  EXPECT_NE(w.tree->GetInterface(L"TreeView"), nullptr);
  EXPECT_NE(w.tree->GetInterface(L"ITreeParent"), nullptr);
  EXPECT_NE(w.Node(L"a")->GetInterface(L"ITreeParent"), nullptr);
  EXPECT_FALSE(w.tree->GetHeader()->IsVisible());
}

TEST(TreeTest, CollapsingHidesExactlyTheDescendantsRows) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  const struct {
    const wchar_t* node;
    bool collapse;
    Names visible;
  } steps[] = {
      {L"a1", true, {L"a", L"a1", L"a2", L"b"}},
      {L"a", true, {L"a", L"b"}},
      {L"a", false, {L"a", L"a1", L"a2", L"b"}},  // a1 stays collapsed
      {L"a1", false, {L"a", L"a1", L"a1x", L"a1y", L"a2", L"b"}},
      {L"b", true, {L"a", L"a1", L"a1x", L"a1y", L"a2", L"b"}},  // nothing below b
  };
  for (const auto& step : steps) {
    w.Node(step.node)->GetFolderButton()->Selected(step.collapse, true);
    EXPECT_EQ(w.VisibleRows(), step.visible) << static_cast<const void*>(step.node);
    EXPECT_EQ(w.Node(step.node)->IsTreeVisible(), !step.collapse);
  }
  w.Node(L"a")->GetFolderButton()->Selected(true, true);
  w.host.Repaint();
  // Hidden rows take no room: b follows a directly.
  EXPECT_EQ(w.Node(L"b")->GetPos().top, w.Node(L"a")->GetPos().bottom);
}

TEST(TreeTest, DoubleClickOnANodeTogglesItsFolder) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  CTreeNodeUI* a1 = w.Node(L"a1");
  const RECT item = a1->GetItemButton()->GetPos();
  const LPARAM at = TestSupport::PointParam((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  for (const bool collapsed : {true, false}) {
    ::SendMessageW(w.host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(w.host.hwnd(), WM_LBUTTONUP, 0, at);
    ::SendMessageW(w.host.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    ::SendMessageW(w.host.hwnd(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(a1->GetFolderButton()->IsSelected(), collapsed);
    EXPECT_EQ(w.Node(L"a1x")->IsVisible(), !collapsed);
    EXPECT_EQ(w.Node(L"a1y")->IsVisible(), !collapsed);
    EXPECT_TRUE(w.Node(L"a2")->IsVisible());
  }
  EXPECT_EQ(w.recorder.Count(L"itemdbclick"), 2);
  EXPECT_EQ(w.tree->GetCurSel(), a1->GetIndex()) << "the press selected the node";
}

TEST(TreeTest, CheckingANodeChecksItsWholeSubtree) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  w.Node(L"a")->SetChecked(true);
  EXPECT_EQ(w.CheckedRows(), (Names{L"a", L"a1", L"a1x", L"a1y", L"a2"}));
  w.Node(L"a1x")->SetChecked(false);
  EXPECT_EQ(w.CheckedRows(), (Names{L"a", L"a1", L"a1y", L"a2"})) << "parents are not updated";
  w.Node(L"a1")->SetChecked(false);
  EXPECT_EQ(w.CheckedRows(), (Names{L"a", L"a2"}));
  // A click on the check box does the same.
  CTreeNodeUI* a1 = w.Node(L"a1");
  const POINT box = ListsTest::CentreOf(a1->GetCheckBox());
  ::SendMessageW(w.host.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, TestSupport::PointParam(box.x, box.y));
  ::SendMessageW(w.host.hwnd(), WM_LBUTTONUP, 0, TestSupport::PointParam(box.x, box.y));
  EXPECT_EQ(w.CheckedRows(), (Names{L"a", L"a1", L"a1x", L"a1y", L"a2"}));
  w.tree->CheckSubtree(false, nullptr);
  EXPECT_TRUE(w.CheckedRows().empty());
}

TEST(TreeTest, RemovingANodeRemovesItsWholeSubtree) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  CTreeNodeUI* a = w.Node(L"a");
  ASSERT_TRUE(w.tree->SelectItem(w.Node(L"a1y")->GetIndex(), false, false));
  ASSERT_TRUE(w.tree->Remove(w.Node(L"a1")));
  EXPECT_EQ(w.Rows(), (Names{L"a", L"a2", L"b"}));
  EXPECT_EQ(a->GetChildCount(), 1);
  EXPECT_EQ(a->GetChildNode(0), w.Node(L"a2"));
  EXPECT_EQ(w.tree->GetCurSel(), 1) << "the selection moved to the row after the subtree";
  TestSupport::PumpPending();  // the delayed deletion of the removed rows
  w.host.Repaint();

  ASSERT_TRUE(w.tree->RemoveAt(0));
  EXPECT_EQ(w.Rows(), (Names{L"b"}));
  TestSupport::PumpPending();
  w.host.Repaint();
}

TEST(TreeTest, InsertingANodePutsItsWholeSubtreeRightAfterIt) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  // n with n1 (with n1a) and n2, built apart from the view.
  CTreeNodeUI* n = MakeNode(L"n");
  CTreeNodeUI* n1 = MakeNode(L"n1");
  ASSERT_TRUE(n->Add(n1));
  ASSERT_TRUE(n1->Add(MakeNode(L"n1a")));
  ASSERT_TRUE(n->Add(MakeNode(L"n2")));

  ASSERT_TRUE(w.Node(L"a")->AddAt(n, 1));
  EXPECT_EQ(w.Rows(), (Names{L"a", L"a1", L"a1x", L"a1y", L"n", L"n1", L"n1a", L"n2", L"a2", L"b"}));
  EXPECT_EQ(w.Node(L"n1a")->GetDottedLine()->GetFixedWidth(), 50) << "indented for its depth";
  EXPECT_EQ(w.Node(L"n1a")->GetTreeView(), w.tree);

  ASSERT_TRUE(w.Node(L"a")->Add(MakeNode(L"last")));
  EXPECT_EQ(w.Rows(), (Names{L"a", L"a1", L"a1x", L"a1y", L"n", L"n1", L"n1a", L"n2", L"a2",
                             L"last", L"b"}));
  ASSERT_TRUE(w.Node(L"b")->Add(MakeNode(L"b1")));
  EXPECT_EQ(w.Rows().back(), L"b1") << "a child of the last row goes to the end";

  CTreeNodeUI* top = MakeNode(L"top");
  ASSERT_TRUE(top->Add(MakeNode(L"top1")));
  ASSERT_TRUE(w.tree->AddAt(top, 0));
  EXPECT_EQ(w.Rows()[0], L"top");
  EXPECT_EQ(w.Rows()[1], L"top1");
  for (int i = 0; i < w.tree->GetCount(); ++i) {
    EXPECT_EQ(SkinUI::AsListItem(w.tree->GetItemAt(i))->GetIndex(), i);
  }
  CTreeNodeUI* stray = MakeNode(L"stray");
  EXPECT_FALSE(w.tree->AddAt(stray, w.tree->GetCount())) << "no item at that index";
  EXPECT_FALSE(w.Node(L"a")->Add(w.Node(L"a1"))) << "a node that has a parent";
  EXPECT_FALSE(w.Node(L"a1x")->Add(w.Node(L"a"))) << "an ancestor";
  delete stray;
  w.host.Repaint();
}

// A node that counts its destructions, so that a test sees each row deleted exactly once.
class CountedNode : public CTreeNodeUI {
public:
  CountedNode(const wchar_t* name, int* destroyed) : destroyed_(destroyed) {
    SetName(name);
    SetAttribute(L"text", name);
  }
  ~CountedNode() override { ++*destroyed_; }

private:
  int* destroyed_;
};

TEST(TreeTest, ANodeThatHasItsPlaceIsNotPlacedAgain) {
  int destroyed = 0;
  {
    TreeWindow w;
    ASSERT_NE(w.tree, nullptr);
    // x (with x1) is a top-level node of the view; apart (with apart1) belongs to no view.
    auto* x = new CountedNode(L"x", &destroyed);
    auto* x1 = new CountedNode(L"x1", &destroyed);
    ASSERT_TRUE(x->Add(x1));
    ASSERT_TRUE(w.tree->Add(x));
    CTreeNodeUI* apart = MakeNode(L"apart");
    CTreeNodeUI* apart1 = MakeNode(L"apart1");
    ASSERT_TRUE(apart->Add(apart1));
    const Names rows = w.Rows();
    ASSERT_EQ(rows, (Names{L"a", L"a1", L"a1x", L"a1y", L"a2", L"b", L"x", L"x1"}));

    CTreeNodeUI* a = w.Node(L"a");
    CTreeNodeUI* b = w.Node(L"b");
    CTreeNodeUI* a1x = w.Node(L"a1x");
    const struct {
      const char* what;
      std::function<bool()> place;
    } cases[] = {
        {"Add under another top-level node", [&] { return b->Add(x); }},
        {"Add under a node deeper down", [&] { return a1x->Add(x); }},
        {"AddAt before a child", [&] { return a->AddAt(x, 0); }},
        {"AddAt past the children", [&] { return a->AddAt(x, 99); }},
        {"AddAt under a node of no view", [&] { return apart->AddAt(x, 0); }},
        {"Add under a node of no view", [&] { return apart->Add(x); }},
        {"Add under its own child", [&] { return x1->Add(x); }},
        {"the view's Add", [&] { return w.tree->Add(x); }},
        {"the view's AddAt", [&] { return w.tree->AddAt(x, 0); }},
        {"a child of a node of no view, on its own into the view", [&] { return w.tree->Add(apart1); }},
        {"the same, at an index", [&] { return w.tree->AddAt(apart1, 1); }},
    };
    for (const auto& c : cases) {
      EXPECT_FALSE(c.place()) << c.what;
      EXPECT_EQ(w.Rows(), rows) << c.what;
      EXPECT_EQ(x->GetParentNode(), nullptr) << c.what;
      EXPECT_EQ(x->GetTreeView(), w.tree) << c.what;
      EXPECT_EQ(x->GetTreeIndex(), 6) << c.what;
      EXPECT_EQ(a->GetChildCount(), 2) << c.what;
      EXPECT_EQ(b->GetChildCount(), 0) << c.what;
      EXPECT_EQ(a1x->GetChildCount(), 0) << c.what;
      EXPECT_EQ(apart->GetChildCount(), 1) << c.what;
      EXPECT_EQ(apart1->GetTreeView(), nullptr) << c.what;
      EXPECT_EQ(x->GetDottedLine()->IsVisible(), false) << c.what << ": still top-level";
    }
    w.host.Repaint();
    // Moving a node is removing it first; then it goes anywhere.
    ASSERT_TRUE(w.tree->Remove(x, true));
    ASSERT_TRUE(b->Add(x));
    EXPECT_EQ(w.Rows(), rows);
    EXPECT_EQ(x->GetParentNode(), b);
    delete apart1;
    delete apart;
    EXPECT_EQ(destroyed, 0);
  }
  EXPECT_EQ(destroyed, 2) << "each row of the view deleted once with the window";
}

TEST(TreeTest, RemovedSubtreeCanBeAddedBackWhole) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  CTreeNodeUI* a1 = w.Node(L"a1");
  ASSERT_TRUE(w.tree->Remove(a1, true));
  EXPECT_EQ(w.Rows(), (Names{L"a", L"a2", L"b"}));
  EXPECT_EQ(a1->GetTreeView(), nullptr);
  ASSERT_TRUE(w.Node(L"b")->Add(a1));
  EXPECT_EQ(w.Rows(), (Names{L"a", L"a2", L"b", L"a1", L"a1x", L"a1y"}));
  w.Node(L"b")->GetFolderButton()->Selected(true, true);
  EXPECT_EQ(w.VisibleRows(), (Names{L"a", L"a2", L"b"}));
}

TEST(TreeTest, ViewSettingsReachEveryNode) {
  TreeWindow w;
  ASSERT_NE(w.tree, nullptr);
  w.tree->SetAttribute(L"visiblefolderbtn", L"false");
  w.tree->SetAttribute(L"itemminwidth", L"300");
  w.tree->SetAttribute(L"itemtextcolor", L"#FF112233");
  for (int i = 0; i < w.tree->GetCount(); ++i) {
    auto* node = static_cast<CTreeNodeUI*>(w.tree->GetItemAt(i)->GetInterface(L"TreeNode"));
    EXPECT_FALSE(node->GetFolderButton()->IsVisible());
    EXPECT_EQ(node->GetMinWidth(), 300);
    EXPECT_EQ(node->GetItemTextColor(), 0xFF112233u);
    EXPECT_EQ(node->GetItemButton()->GetTextColor(), 0xFF112233u);
  }
  w.host.Repaint();
}

}  // namespace
