// Control timers: system ids from the manager's counter, repeats, reuse, and removal with the
// control.
#include <gtest/gtest.h>

#include "manager_test_controls.h"

namespace {

using namespace SkinUI;
using ManagerTest::EventRecord;

// Long enough that no timer of these tests fires by itself unless the test waits for it.
constexpr UINT kNever = 1000000;

class TimerTest : public ManagerTest::TwoControlTest {
protected:
  // The timer events that one WM_TIMER with this id gives, as "control:local id".
  std::vector<std::wstring> Fire(WPARAM systemId) {
    scene.log.Clear();
    scene.Send(WM_TIMER, systemId, 0);
    std::vector<std::wstring> fired;
    for (const EventRecord& r : scene.log.records) {
      if (r.type == kEventTimer) fired.push_back(r.control + L":" + std::to_wstring(r.wParam));
    }
    return fired;
  }
};

TEST_F(TimerTest, SystemIdsStartAt17AndWrapToZeroAtThe239th) {
  CWindowManagerUI& manager = scene.manager();
  for (UINT local = 0; local < 239; ++local) {
    ASSERT_TRUE(manager.SetTimer(a, local, kNever)) << local;
  }
  EXPECT_EQ(Fire(17), std::vector<std::wstring>{L"A:0"});
  EXPECT_EQ(Fire(18), std::vector<std::wstring>{L"A:1"});
  EXPECT_EQ(Fire(254), std::vector<std::wstring>{L"A:237"});
  EXPECT_EQ(Fire(0), std::vector<std::wstring>{L"A:238"});
  // Only the low word of wParam names the timer.
  EXPECT_EQ(Fire(0x10000 + 18), std::vector<std::wstring>{L"A:1"});
  EXPECT_EQ(manager.KillControlTimers(a), 239);
  EXPECT_TRUE(Fire(17).empty());
}

TEST_F(TimerTest, UnknownIdsRaiseNothing) {
  ASSERT_TRUE(scene.manager().SetTimer(a, 3, kNever));
  for (WPARAM id : {WPARAM{1}, WPARAM{16}, WPARAM{18}, WPARAM{255}, WPARAM{0x2000},
                    static_cast<WPARAM>(-1)}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(Fire(id).empty());
  }
}

TEST_F(TimerTest, SettingALiveTimerAgainFailsAndAKilledOneIsRevivedWithItsId) {
  CWindowManagerUI& manager = scene.manager();
  ASSERT_TRUE(manager.SetTimer(a, 5, kNever));   // 17
  ASSERT_TRUE(manager.SetTimer(b, 5, kNever));   // 18: another control, same local id
  EXPECT_FALSE(manager.SetTimer(a, 5, 10));
  EXPECT_TRUE(manager.KillTimer(a, 5));
  EXPECT_FALSE(manager.KillTimer(a, 5));
  EXPECT_FALSE(manager.KillTimer(a, 6));
  EXPECT_TRUE(Fire(17).empty());
  ASSERT_TRUE(manager.SetTimer(a, 5, kNever));
  EXPECT_EQ(Fire(17), std::vector<std::wstring>{L"A:5"});
  EXPECT_EQ(Fire(18), std::vector<std::wstring>{L"B:5"});
  // A new timer takes the next id, not the revived one.
  ASSERT_TRUE(manager.SetTimer(a, 6, kNever));
  EXPECT_EQ(Fire(19), std::vector<std::wstring>{L"A:6"});
  EXPECT_FALSE(manager.SetTimer(nullptr, 1, kNever));
}

TEST_F(TimerTest, ATimerRepeatsAndEachTickNotifiesTheWindow) {
  ASSERT_TRUE(scene.manager().SetTimer(b, 9, 15));
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return scene.log.Count(L"B", kEventTimer) >= 3; }));
  EXPECT_GE(scene.notes.Count(L"timer", L"B"), 3);
  for (const TestSupport::RecordedNotify& n : scene.notes.list) EXPECT_EQ(n.wParam, 9u);
  EXPECT_TRUE(scene.manager().KillTimer(b, 9));
}

TEST_F(TimerTest, AControlRemovedWhileItsTimerIsDueGetsNothing) {
  CWindowManagerUI& manager = scene.manager();
  auto aDestroyed = std::make_shared<bool>(false);
  a->destroyed = aDestroyed;
  ASSERT_TRUE(manager.SetTimer(a, 1, 10));
  ASSERT_TRUE(manager.SetTimer(b, 2, 10));
  // Wait until a tick of A's timer is due, without handling it.
  MSG msg;
  const DWORD start = ::GetTickCount();
  while (!::PeekMessageW(&msg, scene.hwnd(), WM_TIMER, WM_TIMER, PM_NOREMOVE)) {
    ASSERT_LT(::GetTickCount() - start, 5000u);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_TIMER);
  }
  scene.root->SetDelayedDestroy(false);
  ASSERT_TRUE(scene.root->Remove(a));
  ASSERT_TRUE(*aDestroyed);
  EXPECT_EQ(manager.KillControlTimers(a), 0);  // its records went with it
  scene.log.Clear();
  const int before = scene.log.Count(L"B", kEventTimer);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return scene.log.Count(L"B", kEventTimer) >= before + 3; }));
  EXPECT_EQ(scene.log.Count(L"A", kEventTimer), 0);
  EXPECT_EQ(scene.notes.Count(L"timer", L"A"), 0);
  EXPECT_TRUE(Fire(17).empty());
}

TEST_F(TimerTest, RemoveAllTimersStopsEveryTimerOfTheWindow) {
  CWindowManagerUI& manager = scene.manager();
  ASSERT_TRUE(manager.SetTimer(a, 1, kNever));
  ASSERT_TRUE(manager.SetTimer(b, 1, kNever));
  manager.RemoveAllTimers();
  EXPECT_TRUE(Fire(17).empty());
  EXPECT_TRUE(Fire(18).empty());
  EXPECT_EQ(manager.KillControlTimers(a), 0);
  // The counter goes on.
  ASSERT_TRUE(manager.SetTimer(a, 1, kNever));
  EXPECT_EQ(Fire(19), std::vector<std::wstring>{L"A:1"});
}

}  // namespace
