// A stand-in for the installed product: a program that only waits (at most a minute), so that the
// installer finds a "tessmark.exe" running or starts one.
#include <windows.h>

int wmain() {
  Sleep(60000);
  return 0;
}
