#include "base/wait_utils.h"

#include <mmsystem.h>

namespace Utils {

namespace {

constexpr DWORD kPumpMs = 100;

// Milliseconds since `start`; the unsigned difference survives the counter's wrap.
DWORD Since(DWORD start) { return static_cast<DWORD>(::timeGetTime() - start); }

}  // namespace

bool PumpMessages(HWND window) {
  const DWORD start = ::timeGetTime();
  for (;;) {
    if (window != nullptr && !::IsWindow(window)) return false;
    MSG msg;
    if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      if (Since(start) > kPumpMs) return true;
      continue;
    }
    // Nothing queued: sleep until a message comes or the time is up. A wait on messages alone
    // would last until the next mouse move, and what the caller does after the pump (start the
    // product, arm the closing timer) would wait with it.
    const DWORD elapsed = Since(start);
    if (elapsed > kPumpMs) return true;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, kPumpMs + 1 - elapsed, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
  }
}

}  // namespace Utils
