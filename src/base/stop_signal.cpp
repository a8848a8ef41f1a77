#include "base/stop_signal.h"

namespace Utils {

StopSignal::StopSignal() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void StopSignal::Set() {
  set_ = true;
  if (event_) ::SetEvent(event_.get());
}

bool StopSignal::WaitFor(DWORD milliseconds) const {
  if (IsSet()) return true;
  // Without an event the pause is a plain sleep; the flag is still looked at afterwards.
  if (!event_) {
    ::Sleep(milliseconds);
    return IsSet();
  }
  return ::WaitForSingleObject(event_.get(), milliseconds) == WAIT_OBJECT_0 || IsSet();
}

}  // namespace Utils
