// A test executable whose one test prints and then ends its process on the spot, with no exit
// that would flush anything: harness_tests runs it with its output in a file, as CTest's wrapper
// does, and reads back what it had printed by then.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>

TEST(HardEnd, PrintsThenEndsOnTheSpot) {
  std::printf("printed with printf before the hard end\n");
  std::cout << "printed with cout before the hard end\n";
  ::TerminateProcess(::GetCurrentProcess(), 1);
}
