#include "engine/system/instance_mutex.h"

#include <utility>

InstanceMutex::InstanceMutex(std::wstring nameSuffix) : nameSuffix_(std::move(nameSuffix)) {}

InstanceMutex::~InstanceMutex() {
  if (handle_) ::ReleaseMutex(handle_.get());
}

std::wstring InstanceMutex::Name() const { return L"D1A547DB89C0BC61_" + nameSuffix_; }

void InstanceMutex::Acquire() {
  if (handle_) return;
  Utils::UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, Name().c_str()));
  if (!mutex) return;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) return;  // closed here: another copy runs
  handle_ = std::move(mutex);
}
