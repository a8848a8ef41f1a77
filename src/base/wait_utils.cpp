#include "base/wait_utils.h"

#include <mmsystem.h>

namespace Utils {

bool PumpMessages(HWND window) {
  const DWORD start = ::timeGetTime();
  do {
    if (window != nullptr && !::IsWindow(window)) return false;
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (got == -1) return false;  // nothing more will arrive
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  } while (::timeGetTime() - start <= 100);
  return true;
}

}  // namespace Utils
