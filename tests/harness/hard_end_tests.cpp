// A test executable that ends hard (killed, or ended by Wine) keeps in its output everything it
// printed up to then, and the name of the test it was in: CTest's wrapper gives it a file as its
// output, which the C runtime would otherwise fill in blocks and write only at the exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/unique_resource.h"
#include "test_support.h"

using namespace TestSupport;

namespace {

// Runs the probe as CTest runs every test executable (no arguments), its standard output and error
// in `outputFile` as CTest's wrapper has them; its exit code, or ~0 when it could not be started or
// did not end.
DWORD RunProbe(const std::wstring& outputFile) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  Utils::UniqueFileHandle output(CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                             &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                             nullptr));
  if (!output) return ~0u;
  std::wstring command = L"\"" + SiblingProgram(L"hard_end_probe.exe") + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output.get();
  startup.hStdError = output.get();
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return ~0u;
  }
  Utils::UniqueHandle process(info.hProcess);
  Utils::UniqueHandle thread(info.hThread);
  DWORD code = ~0u;
  if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 9);
    return ~0u;
  }
  GetExitCodeProcess(process.get(), &code);
  return code;
}

}  // namespace

TEST(Harness, TestExecutableThatEndsHardKeepsWhatItPrintedAndTheTestItWasIn) {
  ScratchDir dir(L"hard_end");
  EXPECT_EQ(1u, RunProbe(dir.File(L"output.txt")));
  std::string output;
  ASSERT_TRUE(ReadBytes(dir.File(L"output.txt"), &output));
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  const char* const printed[] = {
      "Running main() from",
      "[ RUN      ] HardEnd.PrintsThenEndsOnTheSpot",
      "printed with printf before the hard end",
      "printed with cout before the hard end",
  };
  for (const char* line : printed) {
    EXPECT_NE(std::string::npos, output.find(line)) << "missing: " << line << "\noutput:\n" << output;
  }
}
