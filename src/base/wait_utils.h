#pragma once
// Two timing helpers of the user interface thread.
#include <windows.h>

namespace Utils {

// Pumps the calling thread's messages for about 100 ms: it dispatches what arrives meanwhile and
// returns after that time even when nothing arrives at all. Returns false at once when the given
// window (may be null) no longer exists, and false when WM_QUIT arrives, which is posted again for
// the caller's own loop.
bool PumpMessages(HWND window);

// Seconds since the start tick while running; 0 when stopped. The owner sets both fields.
struct Stopwatch {
  DWORD startTick = 0;
  bool running = false;

  void Start() {
    startTick = ::GetTickCount();
    running = true;
  }
  void Stop() { running = false; }

  float ElapsedSeconds() const { return ElapsedSecondsAt(::GetTickCount()); }
  // The same for a given current tick count; the unsigned difference survives the tick count's
  // wrap after 49.7 days.
  float ElapsedSecondsAt(DWORD nowTick) const {
    if (!running) return 0.0f;
    return static_cast<float>(static_cast<DWORD>(nowTick - startTick)) / 1000.0f;
  }
};

}  // namespace Utils
