// Notifications: synchronous delivery, the queue drained on the window's thread with one posted
// message per batch, repeats, removed senders, notifications from a worker thread, a handler
// that runs a nested modal loop, a child window with a queue of its own, and delayed cleanup.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "manager_test_controls.h"
#include "ui_core/window/ui_window.h"

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
  // Which message each notification arrived in: the index of the last message received.
  std::vector<size_t> arrivedIn;
  watcher.onNotify = [&](TNotifyMsgUI&) { arrivedIn.push_back(scene.host.received.size() - 1); };
  std::thread worker([&] {
    for (int i = 0; i < kCount; ++i) scene.manager().SendNotify(root, L"progress", i, 0, true);
  });
  const bool all = TestSupport::PumpUntil([&] { return watcher.seen.size() >= kCount; }, 20000);
  worker.join();
  TestSupport::PumpPending();
  ASSERT_TRUE(all);
  ASSERT_EQ(watcher.seen.size(), static_cast<size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(watcher.seen[i].wParam, static_cast<WPARAM>(i));
  // Every notification came with a posted message, and every posted message found work: one
  // per batch, never one for an empty queue.
  const std::set<size_t> batches(arrivedIn.begin(), arrivedIn.end());
  std::set<size_t> posts;
  for (size_t i = 0; i < scene.host.received.size(); ++i) {
    if (scene.host.received[i] == kMsgDrainQueue) posts.insert(i);
  }
  for (size_t batch : batches) EXPECT_EQ(posts.count(batch), 1u) << "message " << batch;
  for (size_t post : posts) EXPECT_EQ(batches.count(post), 1u) << "empty drain at message " << post;
  EXPECT_GE(DrainMessages(), 1);
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

// The memory the process holds for itself: the commit charge (on Wine, the resident anonymous
// memory).
SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) return 0;
  return counters.PagefileUsage;
}

TEST_F(NotifyTest, AManagerDestroyedWithQueuedNotificationsFreesThem) {
  // Each queued record keeps its own copy of the type word: with a word of 4 MiB, records left
  // behind by eight windows would hold 64 MiB.
  const std::wstring word(2u << 20, L'w');
  constexpr int kWindows = 8;
  Watcher otherWatcher;
  const SIZE_T before = PrivateBytes();
  ASSERT_NE(before, 0u);
  for (int i = 0; i < kWindows; ++i) {
    Scene other(100, 100, 600, 100);
    ASSERT_TRUE(other.Attach());
    other.manager().AddNotifier(&otherWatcher);
    other.manager().SendNotify(other.manager().GetRoot(), word.c_str(), 0, 0, true);
    other.manager().SendNotify(other.manager().GetRoot(), word.c_str(), 0, 0, true);
  }
  TestSupport::PumpPending();
  const SIZE_T after = PrivateBytes();
  std::printf("private bytes before %zu, after %d windows %zu\n", static_cast<size_t>(before),
              kWindows, static_cast<size_t>(after));
  EXPECT_LT(after, before + (24u << 20)) << "queued records outlived their window";
  // Nothing reached a notifier once its window was gone.
  EXPECT_TRUE(otherWatcher.seen.empty());
}

// A box with its own modal loop, as a handler opens one ("checknet" asks about a poor network).
// It closes itself after a while, so that a notification that never comes cannot hang the test.
class NestedBox : public CWindowWnd {
public:
  bool timedOut = false;

protected:
  const wchar_t* GetWindowClassName() const override { return L"TessmarkNestedModalBox"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kGiveUpTimer) {
      timedOut = true;
      Close(0);
      return 0;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
  }

private:
  static constexpr UINT_PTR kGiveUpTimer = 1;

public:
  bool Open() {
    if (Create(nullptr, L"nested box", WS_POPUP, 0, 700, 100, 80, 60) == nullptr) return false;
    return ::SetTimer(GetHWND(), kGiveUpTimer, 3000, nullptr) != 0;
  }
};

TEST_F(NotifyTest, ANotificationQueuedWhileAHandlerRunsAModalBoxIsDeliveredWhileTheBoxIsOpen) {
  NestedBox box;
  bool opened = false;
  bool boxOpenAtSecond = false;
  UINT boxResult = 0;
  watcher.onNotify = [&](TNotifyMsgUI& msg) {
    if (msg.type == L"first") {
      scene.manager().SendNotify(b, L"second", 0, 0, true);
      opened = box.Open();
      if (opened) boxResult = box.ShowModal();
    } else if (msg.type == L"second") {
      boxOpenAtSecond = box.GetHWND() != nullptr && ::IsWindowVisible(box.GetHWND());
      box.Close(7);
    }
  };
  scene.manager().SendNotify(a, L"first", 0, 0, true);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return watcher.seen.size() >= 2; }, 10000));
  TestSupport::PumpPending();
  ASSERT_TRUE(opened);
  EXPECT_EQ(watcher.Types(), (std::vector<std::wstring>{L"first", L"second"}));
  EXPECT_TRUE(boxOpenAtSecond) << "the notification waited for the box to close";
  EXPECT_FALSE(box.timedOut);
  EXPECT_EQ(boxResult, 7u);
}

// A child window of the test window with a manager of its own, as a skinned child window has.
class ChildPane : public CWindowWnd {
public:
  ~ChildPane() override {
    if (GetHWND() != nullptr) ::DestroyWindow(GetHWND());
  }
  CWindowManagerUI manager;

protected:
  const wchar_t* GetWindowClassName() const override { return L"TessmarkChildPane"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) manager.Init(GetHWND());
    LRESULT result = 0;
    if (manager.MessageHandler(message, wParam, lParam, result)) return result;
    return CWindowWnd::HandleMessage(message, wParam, lParam);
  }
};

TEST_F(NotifyTest, TakingBackItsOwnPostLeavesTheChildWindowsPostInTheQueue) {
  ChildPane pane;
  ASSERT_NE(pane.Create(scene.hwnd(), L"pane", WS_CHILD | WS_VISIBLE, 0, 0, 0, 50, 50), nullptr);
  Watcher paneWatcher;
  ASSERT_TRUE(pane.manager.AddNotifier(&paneWatcher));
  watcher.onNotify = [&](TNotifyMsgUI& msg) {
    if (msg.type != L"first") return;
    // The child's post lies ahead of the window's second one, which this drain delivers itself
    // and then takes back.
    pane.manager.SendNotify(nullptr, L"pane", 1, 0, true);
    scene.manager().SendNotify(b, L"second", 0, 0, true);
  };
  scene.manager().SendNotify(a, L"first", 0, 0, true);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return watcher.seen.size() >= 2; }));
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return !paneWatcher.seen.empty(); }, 2000))
      << "the child's post was taken";
  // Its queue goes on draining.
  pane.manager.SendNotify(nullptr, L"pane", 2, 0, true);
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return paneWatcher.seen.size() >= 2; }, 2000));
  TestSupport::PumpPending();
  EXPECT_EQ(paneWatcher.Types(), (std::vector<std::wstring>{L"pane", L"pane"}));
  EXPECT_EQ(watcher.Types(), (std::vector<std::wstring>{L"first", L"second"}));
  EXPECT_EQ(DrainMessages(), 1) << "the window's own second post was not taken back";
  pane.manager.RemoveNotifier(&paneWatcher);
}

TEST_F(NotifyTest, ADelayedCleanupQueuedWhileAHandlerRunsAModalBoxRunsWhileTheBoxIsOpen) {
  NestedBox box;
  bool opened = false;
  UINT boxResult = 0;
  auto bDestroyed = std::make_shared<bool>(false);
  b->destroyed = bDestroyed;
  // The box closes as soon as the cleanup deleted B.
  struct CloseOnDestroy {
    NestedBox* box;
    bool Handle(void*) {
      box->Close(3);
      return true;
    }
  } closer{&box};
  b->OnDestroy += MakeDelegate(&closer, &CloseOnDestroy::Handle);
  watcher.onNotify = [&](TNotifyMsgUI& msg) {
    if (msg.type != L"first") return;
    ASSERT_TRUE(scene.root->Remove(b));  // handed to the delayed cleanup
    opened = box.Open();
    if (opened) boxResult = box.ShowModal();
  };
  scene.manager().SendNotify(a, L"first", 0, 0, true);
  ASSERT_TRUE(TestSupport::PumpUntil([&] { return *bDestroyed && box.GetHWND() == nullptr; },
                                     10000));
  ASSERT_TRUE(opened);
  EXPECT_FALSE(box.timedOut) << "the cleanup waited for the box to close";
  EXPECT_EQ(boxResult, 3u);
}

}  // namespace
