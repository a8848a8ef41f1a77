// The tab layout: one visible page, "tabselect" notifications, and the selection kept through
// Add, AddAt and Remove.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "layout_test_util.h"
#include "ui_core/layout/ui_tab_layout.h"
#include "ui_test_support.h"

using LayoutTest::BuildText;
using LayoutTest::ControlPtr;
using SkinUI::CControlUI;
using SkinUI::CTabLayoutUI;

namespace {

CControlUI* Page(const wchar_t* name, bool visible = true) {
  auto* page = new CControlUI();
  page->SetName(name);
  if (!visible) page->SetVisible(false);
  return page;
}

// The names of the visible pages.
std::wstring VisiblePages(CTabLayoutUI* tab) {
  std::wstring out;
  for (int i = 0; i < tab->GetCount(); ++i) {
    if (!tab->GetItemAt(i)->IsVisible()) continue;
    if (!out.empty()) out += L",";
    out += tab->GetItemAt(i)->GetName().GetData();
  }
  return out;
}

std::wstring SelectedName(CTabLayoutUI* tab) {
  CControlUI* page = tab->GetItemAt(tab->GetSelectedIndex());
  return page != nullptr ? page->GetName().GetData() : L"";
}

// The "tabselect" notifications (the focus moves send others).
std::vector<std::wstring> Notes(const TestSupport::NotifyRecorder& recorder) {
  std::vector<std::wstring> notes;
  for (const auto& n : recorder.list) {
    if (n.type != L"tabselect") continue;
    notes.push_back(n.type + L" " + n.senderName + L" " + std::to_wstring(n.wParam) + L" " +
                    std::to_wstring(n.lParam));
  }
  return notes;
}

class TabLayoutInWindow : public ::testing::Test {
protected:
  void SetUp() override {
    tab_ = new CTabLayoutUI();
    tab_->SetName(L"tabs");
    for (const wchar_t* name : {L"p0", L"p1", L"p2"}) tab_->Add(Page(name));
    ASSERT_TRUE(host_.Attach(tab_));
    host_.manager().AddNotifier(&recorder_);
  }
  void TearDown() override { host_.manager().RemoveNotifier(&recorder_); }

  TestSupport::TestHostWindow host_{300, 200};
  TestSupport::NotifyRecorder recorder_;
  CTabLayoutUI* tab_ = nullptr;  // owned by the window's manager
};

}  // namespace

TEST_F(TabLayoutInWindow, SelectingShowsOnePageAndNotifiesEachChange) {
  EXPECT_EQ(0, tab_->GetSelectedIndex());
  EXPECT_EQ(L"p0", VisiblePages(tab_));
  const struct {
    int index;
    bool notify;
    bool result;
    const wchar_t* visible;
    std::vector<std::wstring> notes;  // all notifications so far
  } steps[] = {
      {1, true, true, L"p1", {L"tabselect tabs 1 0"}},
      {1, true, true, L"p1", {L"tabselect tabs 1 0"}},  // already selected: no notification
      {3, true, false, L"p1", {L"tabselect tabs 1 0"}},
      {-1, true, false, L"p1", {L"tabselect tabs 1 0"}},
      {2, false, true, L"p2", {L"tabselect tabs 1 0"}},
      {0, true, true, L"p0", {L"tabselect tabs 1 0", L"tabselect tabs 0 2"}},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(s.result, tab_->SelectItem(s.index, s.notify)) << s.index;
    EXPECT_EQ(s.visible, VisiblePages(tab_)) << s.index;
    EXPECT_EQ(s.notes, Notes(recorder_)) << s.index;
  }
  EXPECT_TRUE(tab_->SelectItem(tab_->GetItemAt(2)));
  EXPECT_EQ(2, tab_->GetSelectedIndex());
  EXPECT_FALSE(tab_->SelectItem(static_cast<CControlUI*>(nullptr)));
}

TEST_F(TabLayoutInWindow, OnlyTheSelectedPageIsLaidOut) {
  tab_->SelectItem(2, false);
  host_.Repaint();
  EXPECT_EQ((RECT{0, 0, 300, 200}), tab_->GetItemAt(2)->GetPos());
  EXPECT_FALSE(tab_->GetItemAt(0)->IsVisible());
}

TEST(TabLayout, AddAddAtAndRemoveKeepExactlyOneVisiblePage) {
  CTabLayoutUI tab;
  // Each step, then the selected page's name and the visible pages.
  struct Step {
    const char* what;
    std::function<bool()> run;
    bool result;
    int selected;
    const wchar_t* visible;
  };
  CControlUI* b = nullptr;
  const Step steps[] = {
      {"an invisible first page is not selected", [&] { return tab.Add(Page(L"a", false)); }, true,
       -1, L""},
      {"the first visible page is selected", [&] { return tab.Add(b = Page(L"b")); }, true, 1, L"b"},
      {"later pages are hidden", [&] { return tab.Add(Page(L"c")); }, true, 1, L"b"},
      {"a page inserted before the selection moves it and stays hidden",
       [&] { return tab.AddAt(Page(L"d"), 0); }, true, 2, L"b"},
      {"a page inserted at the selection moves it and stays hidden",
       [&] { return tab.AddAt(Page(L"e"), 2); }, true, 3, L"b"},
      {"a page inserted after the selection is hidden", [&] { return tab.AddAt(Page(L"f"), 5); },
       true, 3, L"b"},
      {"an insert out of range fails", [&] {
         CControlUI* page = Page(L"g");
         const bool added = tab.AddAt(page, 99);
         if (!added) page->Delete();
         return added;
       },
       false, 3, L"b"},
      {"removing a page before the selection moves it back",
       [&] { return tab.Remove(tab.GetItemAt(0)); }, true, 2, L"b"},
      {"removing the selected page selects and shows page 0",
       [&] { return tab.Remove(b); }, true, 0, L"a"},
      {"removing nothing fails", [&] { return tab.Remove(nullptr); }, false, 0, L"a"},
      {"removing a page after the selection keeps it", [&] { return tab.Remove(tab.GetItemAt(2)); },
       true, 0, L"a"},
      {"selecting through the setter", [&] { return tab.SelectItem(1, false); }, true, 1, L"e"},
      {"removing everything leaves no selection", [&] {
         tab.RemoveAll();
         return true;
       },
       true, -1, L""},
      {"a visible page added at 0 to an empty tab is selected",
       [&] { return tab.AddAt(Page(L"h"), 0); }, true, 0, L"h"},
      {"removing the last page leaves no selection", [&] { return tab.Remove(tab.GetItemAt(0)); },
       true, -1, L""},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(s.result, s.run()) << s.what;
    EXPECT_EQ(s.selected, tab.GetSelectedIndex()) << s.what;
    EXPECT_EQ(s.visible, VisiblePages(&tab)) << s.what;
    if (s.selected >= 0) {
      EXPECT_EQ(s.visible, SelectedName(&tab)) << s.what;
    }
  }
}

TEST(TabLayout, SelectedIdSelectsWhileBuildingAndNotifies) {
  TestSupport::TestHostWindow host(300, 200);
  TestSupport::NotifyRecorder recorder;
  host.manager().AddNotifier(&recorder);
  ControlPtr root = BuildText(
      L"<Window><TabLayout name='tabs' selectedid='2'><Control name='a'/><Control name='b'/>"
      L"<Control name='c'/></TabLayout></Window>",
      &host.manager());
  ASSERT_TRUE(root);
  auto* tab = static_cast<CTabLayoutUI*>(root->GetInterface(L"TabLayout"));
  ASSERT_NE(nullptr, tab);
  EXPECT_EQ(2, tab->GetSelectedIndex());
  EXPECT_EQ(L"c", VisiblePages(tab));
  EXPECT_EQ(std::vector<std::wstring>{L"tabselect tabs 2 0"}, Notes(recorder));
  EXPECT_STREQ(L"2", tab->GetCustomAttribute(L"selectedid"));

  recorder.Clear();
  ControlPtr beyond = BuildText(
      L"<Window><TabLayout name='tabs' selectedid='5'><Control name='a'/><Control name='b'/>"
      L"</TabLayout></Window>",
      &host.manager());
  ASSERT_TRUE(beyond);
  tab = static_cast<CTabLayoutUI*>(beyond->GetInterface(L"TabLayout"));
  EXPECT_EQ(0, tab->GetSelectedIndex());
  EXPECT_EQ(L"a", VisiblePages(tab));
  EXPECT_TRUE(Notes(recorder).empty());
  EXPECT_STREQ(L"5", tab->GetCustomAttribute(L"selectedid"));
  host.manager().RemoveNotifier(&recorder);
}
