// The message pumps that the window tests wait with end, also when the queue is never empty: a
// timer whose handling takes longer than its period (an animation timer on a slow or emulated
// machine) is due again each time the queue is looked at.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui_test_support.h"

namespace {

int g_ticks = 0;

// Handles each tick more slowly than the timer's period.
void CALLBACK SlowTick(HWND, UINT, UINT_PTR, DWORD) {
  ++g_ticks;
  ::Sleep(30);
}

class SlowTimer {
public:
  SlowTimer() : id_(::SetTimer(nullptr, 0, 1, &SlowTick)) { g_ticks = 0; }
  ~SlowTimer() { ::KillTimer(nullptr, id_); }
  SlowTimer(const SlowTimer&) = delete;
  SlowTimer& operator=(const SlowTimer&) = delete;
  bool started() const { return id_ != 0; }

private:
  UINT_PTR id_;
};

TEST(Pumps, AWaitEndsOnItsConditionWhileATimerKeepsTheQueueBusy) {
  SlowTimer timer;
  ASSERT_TRUE(timer.started());
  EXPECT_TRUE(TestSupport::PumpUntil([] { return g_ticks >= 3; }, 60000));
  // And on its time when the condition never holds.
  EXPECT_FALSE(TestSupport::PumpUntil([] { return false; }, 200));
}

TEST(Pumps, PumpingWhatIsPendingEndsWhileATimerKeepsTheQueueBusy) {
  SlowTimer timer;
  ASSERT_TRUE(timer.started());
  ::Sleep(20);  // a tick is due
  TestSupport::PumpPending();
  EXPECT_GT(g_ticks, 0);
}

}  // namespace
