#pragma once
// The single-instance guard: a named mutex that only one process can hold.
#include <windows.h>

#include <string>

#include "base/unique_resource.h"

class InstanceMutex {
public:
  // The mutex is named "D1A547DB89C0BC61_" followed by the suffix.
  explicit InstanceMutex(std::wstring nameSuffix);
  // Releases and closes the mutex when held.
  ~InstanceMutex();
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;

  // Creates the mutex, owned at once, unless it is already held by this object. When the mutex
  // already existed, another copy is running: the handle stays null.
  void Acquire();

  bool IsHeld() const { return static_cast<bool>(handle_); }
  HANDLE Handle() const { return handle_.get(); }
  std::wstring Name() const;

private:
  std::wstring nameSuffix_;
  Utils::UniqueHandle handle_;
};
