// Delegates and event sources: binding, comparing, registration order, removal and results.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ui_core/values/ui_delegate.h"

using namespace SkinUI;

namespace {

// Records every call so that the order and the parameters can be checked.
class Watcher {
public:
  Watcher(std::vector<std::string>* log, std::string name, bool answer = true)
      : log_(log), name_(std::move(name)), answer_(answer) {}
  bool OnEvent(void* param) {
    log_->push_back(name_ + ":" + std::to_string(param != nullptr ? *static_cast<int*>(param) : -1));
    return answer_;
  }
  bool OnOther(void*) {
    log_->push_back(name_ + ":other");
    return answer_;
  }

private:
  std::vector<std::string>* log_;
  std::string name_;
  bool answer_;
};

// A member function of a second base class: calling it needs the object pointer adjusted.
struct Padding {
  virtual ~Padding() = default;
  int pad[4] = {1, 2, 3, 4};
};
struct Handler {
  virtual ~Handler() = default;
  int seen = 0;
  bool Handle(void* param) {
    seen = *static_cast<int*>(param);
    return seen > 0;
  }
};
struct Control : Padding, Handler {};

// Runs a callback from inside a raise.
class Reentrant {
public:
  std::function<void()> action;
  bool Fire(void*) {
    if (action) action();
    return true;
  }
};

}  // namespace

TEST(DelegateUI, InvokeCallsTheMemberWithTheParameterAndReturnsItsAnswer) {
  std::vector<std::string> log;
  Watcher yes(&log, "yes", true);
  Watcher no(&log, "no", false);
  int value = 5;
  CDelegate<Watcher, Watcher> d1(&yes, &Watcher::OnEvent);
  CDelegate<Watcher, Watcher> d2 = MakeDelegate(&no, &Watcher::OnEvent);
  EXPECT_TRUE(d1.Invoke(&value));
  EXPECT_FALSE(d2.Invoke(nullptr));
  EXPECT_EQ((std::vector<std::string>{"yes:5", "no:-1"}), log);
  EXPECT_EQ(&yes, d1.GetObject());

  Control control;
  CDelegate<Control, Handler> adjusted(&control, &Handler::Handle);
  value = 9;
  EXPECT_TRUE(adjusted.Invoke(&value));
  EXPECT_EQ(9, control.seen);
  value = -2;
  EXPECT_FALSE(adjusted.Invoke(&value));

  // A copy is the same concrete delegate, bound the same way.
  CDelegateBase* copy = adjusted.Copy();
  ASSERT_NE(nullptr, copy);
  value = 4;
  EXPECT_TRUE(copy->Invoke(&value));
  EXPECT_EQ(4, control.seen);
  EXPECT_TRUE(copy->Equals(adjusted));
  delete copy;
}

TEST(DelegateUI, EqualOnlyForTheSameObjectAndTheSameFunction) {
  std::vector<std::string> log;
  Watcher a(&log, "a");
  Watcher b(&log, "b");
  Control control;
  const CDelegate<Watcher, Watcher> aEvent(&a, &Watcher::OnEvent);
  const struct {
    CDelegate<Watcher, Watcher> other;
    bool equal;
  } cases[] = {
      {CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent), true},
      {CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent), false},
      {CDelegate<Watcher, Watcher>(&a, &Watcher::OnOther), false},
      {CDelegate<Watcher, Watcher>(&b, &Watcher::OnOther), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.equal, aEvent == c.other);
    EXPECT_EQ(c.equal, c.other == aEvent);
    EXPECT_EQ(!c.equal, aEvent != c.other);
  }
  // Delegates over other classes compare by their own function type.
  const CDelegate<Control, Handler> viaControl(&control, &Handler::Handle);
  EXPECT_FALSE(viaControl == aEvent);
  EXPECT_FALSE(aEvent == viaControl);
  const CDelegate<Control, Handler> again(&control, &Handler::Handle);
  EXPECT_TRUE(viaControl == again);
}

TEST(EventSourceUI, EmptySourceRaisesTrueAndConvertsToFalse) {
  CEventSourceUI source;
  EXPECT_FALSE(static_cast<bool>(source));
  EXPECT_TRUE(source(nullptr));
}

TEST(EventSourceUI, RegistersEachObjectAndFunctionOnce) {
  std::vector<std::string> log;
  Watcher a(&log, "a");
  Watcher b(&log, "b");
  CEventSourceUI source;
  source += CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent);
  source += CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent);  // already there
  source += CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent);  // same function, other object
  source += CDelegate<Watcher, Watcher>(&a, &Watcher::OnOther);  // same object, other function
  EXPECT_TRUE(static_cast<bool>(source));
  int value = 1;
  EXPECT_TRUE(source(&value));
  EXPECT_EQ((std::vector<std::string>{"a:1", "b:1", "a:other"}), log);
}

TEST(EventSourceUI, RaisesInOrderUntilOneSaysNo) {
  std::vector<std::string> log;
  Watcher first(&log, "first", true);
  Watcher second(&log, "second", false);
  Watcher third(&log, "third", true);
  CEventSourceUI source;
  {
    // The source keeps its own copies: the caller's delegates may go.
    CDelegate<Watcher, Watcher> d1(&first, &Watcher::OnEvent);
    CDelegate<Watcher, Watcher> d2(&second, &Watcher::OnEvent);
    CDelegate<Watcher, Watcher> d3(&third, &Watcher::OnEvent);
    source += d1;
    source += d2;
    source += d3;
  }
  int value = 7;
  EXPECT_FALSE(source(&value));
  EXPECT_EQ((std::vector<std::string>{"first:7", "second:7"}), log);

  log.clear();
  source -= CDelegate<Watcher, Watcher>(&second, &Watcher::OnEvent);
  EXPECT_TRUE(source(&value));
  EXPECT_EQ((std::vector<std::string>{"first:7", "third:7"}), log);
}

TEST(EventSourceUI, RemoveTakesOutOnlyTheEqualDelegate) {
  std::vector<std::string> log;
  Watcher a(&log, "a");
  Watcher b(&log, "b");
  CEventSourceUI source;
  source += CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent);
  source += CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent);
  source -= CDelegate<Watcher, Watcher>(&a, &Watcher::OnOther);  // not registered: no change
  source -= CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent);
  int value = 2;
  source(&value);
  EXPECT_EQ((std::vector<std::string>{"b:2"}), log);
  source -= CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent);
  EXPECT_FALSE(static_cast<bool>(source));
  // Once removed, the pair may be registered again.
  source += CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent);
  EXPECT_TRUE(static_cast<bool>(source));
}

TEST(EventSourceUI, ChangesDuringARaiseKeepTheWalkInStep) {
  std::vector<std::string> log;
  Watcher a(&log, "a");
  Watcher b(&log, "b");
  Watcher c(&log, "c");
  Reentrant hook;
  CEventSourceUI source;
  const CDelegate<Reentrant, Reentrant> hookDelegate(&hook, &Reentrant::Fire);

  // A delegate added during the raise is called by the same raise.
  source += hookDelegate;
  hook.action = [&] { source += CDelegate<Watcher, Watcher>(&a, &Watcher::OnEvent); };
  int value = 3;
  EXPECT_TRUE(source(&value));
  EXPECT_EQ((std::vector<std::string>{"a:3"}), log);

  // A delegate that removes itself does not make the walk skip the next one.
  CEventSourceUI second;
  second += hookDelegate;
  second += CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent);
  second += CDelegate<Watcher, Watcher>(&c, &Watcher::OnEvent);
  hook.action = [&] { second -= hookDelegate; };
  log.clear();
  EXPECT_TRUE(second(&value));
  EXPECT_EQ((std::vector<std::string>{"b:3", "c:3"}), log);

  // A later delegate removed during the raise is not called; the list stays usable.
  CEventSourceUI third;
  third += hookDelegate;
  third += CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent);
  third += CDelegate<Watcher, Watcher>(&c, &Watcher::OnEvent);
  hook.action = [&] { third -= CDelegate<Watcher, Watcher>(&b, &Watcher::OnEvent); };
  log.clear();
  EXPECT_TRUE(third(&value));
  EXPECT_EQ((std::vector<std::string>{"c:3"}), log);
  hook.action = nullptr;
  log.clear();
  EXPECT_TRUE(third(&value));
  EXPECT_EQ((std::vector<std::string>{"c:3"}), log);
  third -= hookDelegate;
  third -= CDelegate<Watcher, Watcher>(&c, &Watcher::OnEvent);
  EXPECT_FALSE(static_cast<bool>(third));
}
