// Notifications: synchronous delivery, the queue drained on the window's thread with one posted
// message per batch, repeats, removed senders, notifications from a worker thread, and delayed
// cleanup.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "manager_test_controls.h"

namespace {

using namespace SkinUI;
using ManagerTest::Scene;

// Keeps what a notifier saw of each notification, and may act on it.
struct Watcher : INotifyUI {
  struct Seen {
    std::wstring type;
    CControlUI* sender;
    WPARAM wParam;
    POINT point;
    std::wstring virtualWnd;
    DWORD thread;
  };
  void Notify(TNotifyMsgUI& msg) override {
    seen.push_back(Seen{msg.type.GetData(), msg.sender, msg.wParam, msg.mousePoint,
                        msg.virtualWnd.GetData(), ::GetCurrentThreadId()});
    if (onNotify) onNotify(msg);
  }
  std::vector<std::wstring> Types() const {
    std::vector<std::wstring> types;
    for (const Seen& s : seen) types.push_back(s.type);
    return types;
  }
  std::vector<Seen> seen;
  std::function<void(TNotifyMsgUI&)> onNotify;
};

class NotifyTest : public ManagerTest::TwoControlTest {
protected:
  void SetUp() override {
    TwoControlTest::SetUp();
    ASSERT_TRUE(scene.manager().AddNotifier(&watcher));
    TestSupport::PumpPending();
    scene.notes.Clear();
    scene.host.received.clear();
    scene.host.recordMessages = true;
  }
  // The watcher goes before the manager it is registered with.
  void TearDown() override { scene.manager().RemoveNotifier(&watcher); }

  int DrainMessages() const {
    return static_cast<int>(std::count(scene.host.received.begin(), scene.host.received.end(),
                                       kMsgDrainQueue));
  }

  Watcher watcher;
};

TEST_F(NotifyTest, SynchronousNotificationReachesTheSenderThenEveryNotifierInOrder) {
  std::vector<std::wstring> order;
  struct SenderHandler {
    bool Handle(void* param) {
      order->push_back(L"sender:" + std::wstring(static_cast<TNotifyMsgUI*>(param)->type.GetData()));
      return false;  // its answer stops nothing
    }
    std::vector<std::wstring>* order;
  } handler{&order};
  a->OnNotify += MakeDelegate(&handler, &SenderHandler::Handle);
  watcher.onNotify = [&](TNotifyMsgUI& msg) { order.push_back(L"watcher:" + std::wstring(msg.type.GetData())); };
  scene.Send(WM_MOUSEMOVE, 0, MAKELPARAM(21, 22));
  scene.manager().SendNotify(a, L"click", 5, 6);
  EXPECT_EQ(order, (std::vector<std::wstring>{L"sender:click", L"watcher:click"}));
  ASSERT_EQ(scene.notes.list.size(), 1u);
  EXPECT_EQ(scene.notes.list[0].sender, a);
  EXPECT_EQ(scene.notes.list[0].wParam, 5u);
  EXPECT_EQ(scene.notes.list[0].lParam, 6);
  EXPECT_EQ(watcher.seen.back().point.x, 21);
  EXPECT_EQ(watcher.seen.back().point.y, 22);
  EXPECT_EQ(DrainMessages(), 0);
}

TEST_F(NotifyTest, QueuedNotificationsArriveOnceInOrderAfterOnePostedMessage) {
  CWindowManagerUI& manager = scene.manager();
  manager.SendNotify(a, L"click", 1, 0, true);
  manager.SendNotify(a, L"click", 2, 0, true);
  manager.SendNotify(b, L"selectchanged", 3, 0, true);
  EXPECT_TRUE(scene.notes.list.empty());
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return scene.notes.list.size() >= 3; }));
  TestSupport::PumpPending();
  ASSERT_EQ(scene.notes.list.size(), 3u);
  EXPECT_EQ(scene.notes.Types(), (std::vector<std::wstring>{L"click", L"click", L"selectchanged"}));
  EXPECT_EQ(scene.notes.list[0].wParam, 1u);
  EXPECT_EQ(scene.notes.list[1].wParam, 2u);
  EXPECT_EQ(scene.notes.list[2].senderName, L"B");
  EXPECT_EQ(DrainMessages(), 1);
}

TEST_F(NotifyTest, WithoutRepeatsAQueuedNotificationIsUpdatedInItsPlace) {
  CWindowManagerUI& manager = scene.manager();
  TNotifyMsgUI first;
  first.sender = a;
  first.type = L"valuechanged";
  first.wParam = 1;
  manager.SendNotify(first, true, false);
  manager.SendNotify(a, L"click", 0, 0, true);
  TNotifyMsgUI second;
  second.sender = a;
  second.type = L"valuechanged";
  second.wParam = 2;
  manager.SendNotify(second, true, false);
  // Another sender or another word is a notification of its own.
  TNotifyMsgUI other;
  other.sender = b;
  other.type = L"valuechanged";
  other.wParam = 3;
  manager.SendNotify(other, true, false);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return scene.notes.list.size() >= 3; }));
  TestSupport::PumpPending();
  ASSERT_EQ(scene.notes.list.size(), 3u);
  EXPECT_EQ(scene.notes.Types(), (std::vector<std::wstring>{L"valuechanged", L"click", L"valuechanged"}));
  EXPECT_EQ(scene.notes.list[0].wParam, 2u);
  EXPECT_EQ(scene.notes.list[2].wParam, 3u);
  EXPECT_EQ(DrainMessages(), 1);
}

TEST_F(NotifyTest, ANotificationQueuedDuringTheDrainJoinsTheSameDrain) {
  watcher.onNotify = [&](TNotifyMsgUI& msg) {
    if (msg.type == L"first") scene.manager().SendNotify(b, L"second", 0, 0, true);
  };
  scene.manager().SendNotify(a, L"first", 0, 0, true);
  scene.manager().SendNotify(a, L"third", 0, 0, true);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return scene.notes.list.size() >= 3; }));
  TestSupport::PumpPending();
  EXPECT_EQ(scene.notes.Types(), (std::vector<std::wstring>{L"first", L"third", L"second"}));
  EXPECT_EQ(DrainMessages(), 1);
}

TEST_F(NotifyTest, ASenderRemovedWhileItsNotificationWaitsArrivesAsNoSender) {
  auto aDestroyed = std::make_shared<bool>(false);
  a->destroyed = aDestroyed;
  int senderHandlerCalls = 0;
  struct Counter {
    bool Handle(void*) {
      ++*calls;
      return true;
    }
    int* calls;
  } counter{&senderHandlerCalls};
  a->OnNotify += MakeDelegate(&counter, &Counter::Handle);
  scene.manager().SendNotify(a, L"click", 7, 0, true);
  scene.manager().SendNotify(b, L"click", 8, 0, true);
  scene.root->SetDelayedDestroy(false);
  ASSERT_TRUE(scene.root->Remove(a));
  ASSERT_TRUE(*aDestroyed);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return scene.notes.list.size() >= 2; }));
  EXPECT_EQ(scene.notes.list[0].sender, nullptr);
  EXPECT_EQ(scene.notes.list[0].senderName, L"");
  EXPECT_EQ(scene.notes.list[0].wParam, 7u);
  EXPECT_EQ(scene.notes.list[1].senderName, L"B");
  EXPECT_EQ(senderHandlerCalls, 0);
}

TEST_F(NotifyTest, ASenderDestroyedByTheFirstNotifierReachesTheNextAsNoSender) {
  Watcher second;
  scene.root->SetDelayedDestroy(false);
  watcher.onNotify = [&](TNotifyMsgUI& msg) {
    if (msg.sender == a) scene.root->Remove(a);
  };
  ASSERT_TRUE(scene.manager().AddNotifier(&second));
  scene.manager().SendNotify(a, L"click");
  ASSERT_EQ(second.seen.size(), 1u);
  EXPECT_EQ(second.seen[0].sender, nullptr);
  EXPECT_TRUE(scene.manager().RemoveNotifier(&second));
  EXPECT_FALSE(scene.manager().RemoveNotifier(&second));
}

TEST_F(NotifyTest, ANotificationQueuedFromAWorkerThreadIsDeliveredOnTheWindowsThread) {
  CControlUI* root = scene.manager().GetRoot();
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) scene.manager().SendNotify(root, L"checknet", i, 0, true);
  });
  worker.join();
  EXPECT_TRUE(watcher.seen.empty());
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return watcher.seen.size() >= 3; }));
  TestSupport::PumpPending();
  ASSERT_EQ(watcher.seen.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(watcher.seen[i].type, L"checknet");
    EXPECT_EQ(watcher.seen[i].wParam, i);
    EXPECT_EQ(watcher.seen[i].sender, root);
    EXPECT_EQ(watcher.seen[i].thread, ::GetCurrentThreadId());
  }
  EXPECT_EQ(DrainMessages(), 1);
}

TEST_F(NotifyTest, AWorkerQueueingWhileTheWindowDrainsLosesNothingAndPostsNoMoreThanNeeded) {
  constexpr int kCount = 2000;
  CControlUI* root = scene.manager().GetRoot();
  std::thread worker([&] {
    for (int i = 0; i < kCount; ++i) scene.manager().SendNotify(root, L"progress", i, 0, true);
  });
  const bool all = TestSupport::PumpUntil([&] { return watcher.seen.size() >= kCount; }, 20000);
  worker.join();
  TestSupport::PumpPending();
  ASSERT_TRUE(all);
  ASSERT_EQ(watcher.seen.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(watcher.seen[i].wParam, static_cast<WPARAM>(i));
  // Every posted message found work: one per batch, never one for an empty queue.
  EXPECT_GE(DrainMessages(), 1);
  EXPECT_LE(DrainMessages(), kCount);
}

TEST_F(NotifyTest, VirtualWindowNamesGoWithSynchronousNotificationsOnly) {
  a->SetVirtualWnd(L"pane");
  scene.manager().SetUsedVirtualWnd(true);
  scene.manager().SendNotify(a, L"click");
  scene.manager().SendNotify(a, L"click", 0, 0, true);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return watcher.seen.size() >= 2; }));
  EXPECT_EQ(watcher.seen[0].virtualWnd, L"pane");
  EXPECT_EQ(watcher.seen[1].virtualWnd, L"");
}

TEST_F(NotifyTest, DelayedCleanupDeletesOnTheNextDrain) {
  auto bDestroyed = std::make_shared<bool>(false);
  b->destroyed = bDestroyed;
  ASSERT_TRUE(scene.root->Remove(b));
  EXPECT_FALSE(*bDestroyed);
  EXPECT_EQ(b->GetParent(), nullptr);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return *bDestroyed; }));
  EXPECT_EQ(DrainMessages(), 1);
  EXPECT_EQ(scene.manager().FindControl(L"B"), nullptr);
}

TEST_F(NotifyTest, AttachingANewTreeDropsQueuedNotificationsAndCleansUpTheOldTree) {
  auto aDestroyed = std::make_shared<bool>(false);
  a->destroyed = aDestroyed;
  scene.manager().SendNotify(a, L"click", 0, 0, true);
  auto* newRoot = new CContainerUI;
  newRoot->SetName(L"newroot");
  ASSERT_TRUE(scene.manager().AttachDialog(newRoot));
  EXPECT_EQ(scene.manager().GetRoot(), newRoot);
  EXPECT_EQ(scene.manager().FindControl(L"A"), nullptr);
  EXPECT_EQ(scene.manager().FindControl(L"newroot"), newRoot);
  EXPECT_FALSE(scene.manager().AttachDialog(nullptr));
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return *aDestroyed; }));
  scene.host.Repaint();
  EXPECT_EQ(scene.notes.Count(L"click"), 0);
  EXPECT_EQ(scene.notes.Count(L"windowinit"), 1);
}

TEST_F(NotifyTest, AManagerDestroyedWithQueuedNotificationsFreesThem) {
  {
    Scene other(100, 100, 600, 100);
    ASSERT_TRUE(other.Attach());
    other.manager().SendNotify(other.manager().GetRoot(), L"click", 0, 0, true);
    other.manager().SendNotify(other.manager().GetRoot(), L"click", 0, 0, true);
  }
  TestSupport::PumpPending();
  SUCCEED();
}

}  // namespace
