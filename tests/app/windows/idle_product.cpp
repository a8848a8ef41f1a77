// A stand-in for the installed product: a program that only waits (at most a minute), so that the
// installer finds a "tessmark.exe" running or starts one. It is a windowed program like the
// product: started through the shell, a console program gets a console host of its own, which
// stays after the program is ended and keeps the test's output pipes open.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  Sleep(60000);
  return 0;
}
