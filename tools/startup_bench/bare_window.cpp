// The yardstick of the start-up benchmark: the least a Windows program does to show a painted
// window of the installer's size, a popup filled with the skin's accent colour.
#include <windows.h>

namespace {

constexpr COLORREF kAccent = RGB(0x2B, 0x65, 0xEC);

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      HBRUSH brush = CreateSolidBrush(kAccent);
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"BareWindow";
  RegisterClassW(&wc);
  const int width = 600, height = 400;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", WS_POPUP | WS_VISIBLE, x, y, width,
                                height, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
