// The notification maps: exact control names before the catch-all entry, the chain of base
// maps, handlers that take the parameters, and virtual windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_core/manager/ui_control.h"
#include "ui_core/window/ui_window.h"

namespace {

using SkinUI::CControlUI;
using SkinUI::CNotifyPump;
using SkinUI::TNotifyMsgUI;

class BasePump : public CNotifyPump {
public:
  std::vector<std::string> calls;
  void OnBaseClick(TNotifyMsgUI&) { calls.push_back("base-click"); }
  void OnBaseTimer(TNotifyMsgUI&) { calls.push_back("base-timer"); }

  SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(BasePump, CNotifyPump)
  SKINUI_ON_NOTIFY(BasePump, L"click", L"", OnBaseClick)
  SKINUI_ON_NOTIFY(BasePump, L"timer", L"", OnBaseTimer)
SKINUI_END_NOTIFY_MAP(BasePump, CNotifyPump)

class DerivedPump : public BasePump {
public:
  void OnOk(TNotifyMsgUI&) { calls.push_back("ok"); }
  void OnAnyFirst(TNotifyMsgUI&) { calls.push_back("any-first"); }
  void OnAnyLast(TNotifyMsgUI&) { calls.push_back("any-last"); }
  void OnValue(WPARAM wParam, LPARAM lParam) {
    calls.push_back("value " + std::to_string(wParam) + " " + std::to_string(lParam));
  }

  SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(DerivedPump, BasePump)
  SKINUI_ON_NOTIFY(DerivedPump, L"click", L"okBtn", OnOk)
  SKINUI_ON_NOTIFY(DerivedPump, L"click", L"", OnAnyFirst)
  SKINUI_ON_NOTIFY(DerivedPump, L"click", L"", OnAnyLast)
  SKINUI_ON_NOTIFY_PARAMS(DerivedPump, L"valuechanged", L"slider", OnValue)
SKINUI_END_NOTIFY_MAP(DerivedPump, BasePump)

// A virtual window: takes the clicks of its part of the tree, nothing else.
class PagePump : public CNotifyPump {
public:
  std::vector<std::string> calls;
  void OnPageClick(TNotifyMsgUI&) { calls.push_back("page-click"); }

  SKINUI_DECLARE_NOTIFY_MAP()
};

SKINUI_BEGIN_NOTIFY_MAP(PagePump, CNotifyPump)
  SKINUI_ON_NOTIFY(PagePump, L"click", L"", OnPageClick)
SKINUI_END_NOTIFY_MAP(PagePump, CNotifyPump)

TNotifyMsgUI Message(const wchar_t* type, CControlUI* sender, const wchar_t* virtualWnd = L"",
                     WPARAM wParam = 0, LPARAM lParam = 0) {
  TNotifyMsgUI msg;
  msg.type = type;
  msg.sender = sender;
  msg.virtualWnd = virtualWnd;
  msg.wParam = wParam;
  msg.lParam = lParam;
  return msg;
}

struct PumpCase {
  const wchar_t* type;
  const wchar_t* senderName;  // null: no sender
  WPARAM wParam;
  LPARAM lParam;
  bool taken;
  const char* call;  // the one handler called, or "" for none
};

TEST(NotifyPumpTest, EntriesAreChosenByWordThenExactNameThenLastCatchAllThenBaseMap) {
  const PumpCase cases[] = {
      {L"click", L"okBtn", 0, 0, true, "ok"},
      {L"click", L"cancelBtn", 0, 0, true, "any-last"},
      {L"click", L"", 0, 0, true, "any-last"},
      {L"click", nullptr, 0, 0, true, "any-last"},
      {L"click", L"okbtn", 0, 0, true, "any-last"},  // names compare exactly
      {L"Click", L"okBtn", 0, 0, false, ""},         // so do words
      {L"timer", L"anything", 0, 0, true, "base-timer"},
      {L"valuechanged", L"slider", 3, 42, true, "value 3 42"},
      {L"valuechanged", L"other", 3, 42, false, ""},
      {L"selectchanged", L"okBtn", 0, 0, false, ""},
  };
  int index = 0;
  for (const PumpCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << index++);
    DerivedPump pump;
    CControlUI sender;
    if (c.senderName != nullptr) sender.SetName(c.senderName);
    TNotifyMsgUI msg =
        Message(c.type, c.senderName != nullptr ? &sender : nullptr, L"", c.wParam, c.lParam);
    EXPECT_EQ(pump.NotifyPump(msg), c.taken);
    if (c.call[0] == '\0') {
      EXPECT_TRUE(pump.calls.empty());
    } else {
      EXPECT_EQ(pump.calls, std::vector<std::string>{c.call});
    }
  }
}

TEST(NotifyPumpTest, FindMessageEntryOnATableAlone) {
  CControlUI ok;
  ok.SetName(L"okBtn");
  TNotifyMsgUI msg = Message(L"click", &ok);
  const SkinUI::TNotifyMapEntryUI* entry =
      CNotifyPump::FindMessageEntry(DerivedPump::messageMap_.entries, msg);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->controlName, L"okBtn");
  EXPECT_EQ(entry->kind, 2);

  msg.type = L"timer";  // only the base map has it
  EXPECT_EQ(CNotifyPump::FindMessageEntry(DerivedPump::messageMap_.entries, msg), nullptr);
  EXPECT_EQ(CNotifyPump::FindMessageEntry(nullptr, msg), nullptr);
  // The framework's own map is empty.
  EXPECT_EQ(CNotifyPump::FindMessageEntry(CNotifyPump::messageMap_.entries, msg), nullptr);
}

TEST(NotifyPumpTest, VirtualWindowTakesItsNotificationsByNameWithoutRegardToCase) {
  DerivedPump window;
  PagePump page;
  ASSERT_TRUE(window.AddVirtualWnd(L"settings", &page));
  EXPECT_FALSE(window.AddVirtualWnd(L"settings", &page));
  EXPECT_FALSE(window.AddVirtualWnd(L"", &page));
  EXPECT_FALSE(window.AddVirtualWnd(L"other", nullptr));
  CControlUI ok;
  ok.SetName(L"okBtn");

  TNotifyMsgUI click = Message(L"click", &ok, L"Settings");
  EXPECT_TRUE(window.NotifyPump(click));
  EXPECT_EQ(page.calls, std::vector<std::string>{"page-click"});
  EXPECT_TRUE(window.calls.empty());
}

TEST(NotifyPumpTest, NotificationOfAnUnknownVirtualWindowFallsBackToTheOwnMap) {
  DerivedPump window;
  PagePump page;
  ASSERT_TRUE(window.AddVirtualWnd(L"settings", &page));
  CControlUI ok;
  ok.SetName(L"okBtn");

  TNotifyMsgUI unknown = Message(L"click", &ok, L"wizard");
  EXPECT_TRUE(window.NotifyPump(unknown));
  EXPECT_EQ(window.calls, std::vector<std::string>{"ok"});

  // A virtual window without an entry for the word leaves it to the window too.
  TNotifyMsgUI timer = Message(L"timer", &ok, L"settings");
  EXPECT_TRUE(window.NotifyPump(timer));
  EXPECT_EQ(window.calls, (std::vector<std::string>{"ok", "base-timer"}));
  EXPECT_TRUE(page.calls.empty());

  // Removed, the virtual window no longer takes anything.
  EXPECT_TRUE(window.RemoveVirtualWnd(L"settings"));
  EXPECT_FALSE(window.RemoveVirtualWnd(L"settings"));
  TNotifyMsgUI click = Message(L"click", &ok, L"settings");
  EXPECT_TRUE(window.NotifyPump(click));
  EXPECT_TRUE(page.calls.empty());
  EXPECT_EQ(window.calls.back(), "ok");
}

}  // namespace
