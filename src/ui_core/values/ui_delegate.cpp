#include "ui_core/values/ui_delegate.h"

namespace SkinUI {

CEventSourceUI::~CEventSourceUI() {
  for (int i = 0; i < delegates_.GetSize(); ++i) {
    delete static_cast<CDelegateBase*>(delegates_[i]);
  }
}

void CEventSourceUI::operator+=(const CDelegateBase& delegate) {
  for (int i = 0; i < delegates_.GetSize(); ++i) {
    auto* registered = static_cast<CDelegateBase*>(delegates_[i]);
    if (registered != nullptr && registered->Equals(delegate)) return;
  }
  CDelegateBase* copy = delegate.Copy();
  if (copy != nullptr && !delegates_.Add(copy)) delete copy;
}

void CEventSourceUI::operator-=(const CDelegateBase& delegate) {
  for (int i = 0; i < delegates_.GetSize(); ++i) {
    auto* registered = static_cast<CDelegateBase*>(delegates_[i]);
    if (registered == nullptr || !registered->Equals(delegate)) continue;
    delete registered;
    if (raising_ > 0) {
      // A raise is walking the list by index: leave an empty slot so that no delegate after
      // this one is skipped; the slot goes when the outermost raise ends. (Putting the entry
      // back never needs to grow the array, so it cannot fail.)
      delegates_.Remove(i, 1);
      delegates_.InsertAt(i, nullptr);
      hasHoles_ = true;
    } else {
      delegates_.Remove(i, 1);
    }
    return;
  }
}

bool CEventSourceUI::operator()(void* param) {
  ++raising_;
  bool result = true;
  // The size is read on every step: a delegate registered during the raise is called too.
  for (int i = 0; i < delegates_.GetSize(); ++i) {
    auto* delegate = static_cast<CDelegateBase*>(delegates_[i]);
    if (delegate == nullptr) continue;
    if (!delegate->Invoke(param)) {
      result = false;
      break;
    }
  }
  if (--raising_ == 0 && hasHoles_) Compact();
  return result;
}

CEventSourceUI::operator bool() const {
  for (int i = 0; i < delegates_.GetSize(); ++i) {
    if (delegates_[i] != nullptr) return true;
  }
  return false;
}

void CEventSourceUI::Compact() {
  for (int i = delegates_.GetSize() - 1; i >= 0; --i) {
    if (delegates_[i] == nullptr) delegates_.Remove(i, 1);
  }
  hasHoles_ = false;
}

}  // namespace SkinUI
