#pragma once
// Delegates bind an object to one of its member functions so that other objects can watch a
// control's events without subclassing it. An event source keeps its own copies of the delegates
// registered with it and calls them in registration order.
//
// A member-function pointer is not a data pointer (it may be two words and may carry a this
// adjustment), so it stays typed inside the concrete delegate; two delegates compare through a
// virtual operation instead of by raw words.
#include <new>
#include <typeinfo>

#include "ui_core/values/ui_arrays.h"

namespace SkinUI {

class CDelegateBase {
public:
  explicit CDelegateBase(void* object) : object_(object) {}
  CDelegateBase(const CDelegateBase& other) = default;
  CDelegateBase& operator=(const CDelegateBase&) = delete;
  virtual ~CDelegateBase() = default;

  // A new heap copy of the same concrete delegate; null when memory runs out.
  virtual CDelegateBase* Copy() const = 0;
  virtual bool Invoke(void* param) = 0;

  void* GetObject() const { return object_; }

  // Same object and same function.
  bool Equals(const CDelegateBase& other) const {
    return object_ == other.object_ && SameFunction(other);
  }
  bool operator==(const CDelegateBase& other) const { return Equals(other); }
  bool operator!=(const CDelegateBase& other) const { return !Equals(other); }

protected:
  // Whether other is the same kind of delegate bound to the same function.
  virtual bool SameFunction(const CDelegateBase& other) const = 0;

private:
  void* object_;
};

// A delegate that calls `bool (T::*)(void*)` on an object of type O (O is T or derives from it).
template <class O, class T>
class CDelegate : public CDelegateBase {
public:
  using Function = bool (T::*)(void* param);

  CDelegate(O* object, Function function) : CDelegateBase(object), function_(function) {}

  CDelegateBase* Copy() const override { return new (std::nothrow) CDelegate(*this); }

  bool Invoke(void* param) override {
    O* object = static_cast<O*>(GetObject());
    return (static_cast<T*>(object)->*function_)(param);
  }

protected:
  bool SameFunction(const CDelegateBase& other) const override {
    if (typeid(other) != typeid(*this)) return false;
    return static_cast<const CDelegate&>(other).function_ == function_;
  }

private:
  Function function_;
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* object, bool (T::*function)(void*)) {
  return CDelegate<O, T>(object, function);
}

class CEventSourceUI {
public:
  CEventSourceUI() = default;
  CEventSourceUI(const CEventSourceUI&) = delete;
  CEventSourceUI& operator=(const CEventSourceUI&) = delete;
  ~CEventSourceUI();

  // Registers a copy of the delegate unless an equal one is registered already.
  void operator+=(const CDelegateBase& delegate);
  // Unregisters and deletes the registered copy equal to the delegate, if any.
  void operator-=(const CDelegateBase& delegate);
  // Calls the delegates in registration order until one returns false; true when none did.
  bool operator()(void* param);
  explicit operator bool() const;

private:
  void Compact();

  CPtrArrayUI delegates_;
  int raising_ = 0;        // nesting depth of operator()
  bool hasHoles_ = false;  // entries emptied while raising, removed afterwards
};

}  // namespace SkinUI
