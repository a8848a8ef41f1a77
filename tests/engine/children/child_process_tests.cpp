// Utils::ChildProcess against the real fake child: what it reads, when it stops reading, and what
// a child can no longer do to the engine (block it on standard error or input, or keep it waiting
// through a program it started).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fake_children.h"
#include "status_recorder.h"
#include "engine/children/child_process.h"

using namespace FakeChildren;

namespace {

std::wstring FakeCommand(Role role) { return L"\"" + FakeProgram(role) + L"\""; }

struct Output {
  std::string bytes;
  size_t pieces = 0;
};

Output ReadAll(Utils::ChildProcess& child) {
  Output output;
  child.ReadUntilExit([&](const char* data, size_t size) {
    output.bytes.append(data, size);
    ++output.pieces;
  });
  return output;
}

}  // namespace

TEST(ChildProcess, ReadsWhatTheChildWritesAndItsExitCode) {
  ScriptedFake fake(Role::Installer, "line first\nraw sec\\x00ond\\n\nlf third\nexit 7\n");
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(FakeCommand(Role::Installer)));
  EXPECT_NE(child.ProcessId(), 0u);
  Output output = ReadAll(child);
  EXPECT_EQ(output.bytes, std::string("first\r\nsec\0ond\nthird\n", 21));
  DWORD code = 0;
  ASSERT_TRUE(child.ExitCode(&code));
  EXPECT_EQ(code, 7u);
}

TEST(ChildProcess, ProgramThatDoesNotExistDoesNotStart) {
  TestSupport::ScratchDir dir(L"missing");
  Utils::ChildProcess child;
  EXPECT_FALSE(child.Start(L"\"" + dir.File(L"nothing here.exe") + L"\" /S"));
  EXPECT_EQ(child.ProcessHandle(), nullptr);
  DWORD code = 0;
  EXPECT_FALSE(child.ExitCode(&code));
  child.ReadUntilExit([](const char*, size_t) { ADD_FAILURE() << "no child, no output"; });
}

TEST(ChildProcess, ChildThatWritesNothingEndsTheReadAtItsExit) {
  ScriptedFake fake(Role::Installer, "sleep 200\nexit 0\n");
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(FakeCommand(Role::Installer)));
  EXPECT_EQ(ReadAll(child).bytes, "");
  DWORD code = 1;
  ASSERT_TRUE(child.ExitCode(&code));
  EXPECT_EQ(code, 0u);
}

TEST(ChildProcess, FloodWrittenRightBeforeExitIsReadToTheLastByte) {
  // Far more than a pipe holds, so the child blocks on the pipe until the reader catches up, and
  // the last of it is still in the pipe when the child has gone.
  ScriptedFake fake(Role::Installer, "flood 20000 0123456789abcdef\nraw last\nexit 0\n");
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(FakeCommand(Role::Installer)));
  Output output = ReadAll(child);
  ASSERT_EQ(output.bytes.size(), 20000u * 18 + 4);
  EXPECT_EQ(output.bytes.substr(output.bytes.size() - 22), "0123456789abcdef\r\nlast");
}

TEST(ChildProcess, StandardErrorAndStandardInputNeverBlockTheChild) {
  ScriptedFake fake(Role::Installer,
                    "stderr 20000 nobody reads this line of standard error output\n"
                    "stdin\n"
                    "line done\n");
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(FakeCommand(Role::Installer)));
  EXPECT_EQ(ReadAll(child).bytes, "done\r\n");
}

TEST(ChildProcess, ProgramTheChildLeftRunningDoesNotKeepTheReaderWaiting) {
  ScriptedFake fake(Role::Installer, "");
  std::wstring pidFile = fake.Dir().File(L"grandchild.pid");
  TestSupport::WriteBytes(fake.Dir().File(L"script.txt"),
                          "line before\nspawn " + TestSupport::ToUtf8(pidFile) + "\nline after\n");
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(FakeCommand(Role::Installer)));
  EXPECT_EQ(ReadAll(child).bytes, "before\r\nafter\r\n");

  // The grandchild holds the pipe's write end for a minute; the read ended without it.
  std::string pid;
  ASSERT_TRUE(TestSupport::ReadBytes(pidFile, &pid));
  Utils::UniqueHandle grandchild(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE,
                                      static_cast<DWORD>(std::stoul(pid))));
  ASSERT_TRUE(grandchild);
  EXPECT_EQ(WaitForSingleObject(grandchild.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(grandchild.get(), 0);
  WaitForSingleObject(grandchild.get(), INFINITE);
}

TEST(ChildProcess, LongCommandLineReachesTheChildWhole) {
  ScriptedFake fake(Role::Installer, "");
  std::wstring commandLine = FakeCommand(Role::Installer) + L" -instdir=\"" +
                             std::wstring(3000, L'x') + L"\" /D=C:\\Program Files\\Brisolan";
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(commandLine));
  ReadAll(child);
  EXPECT_EQ(fake.RecordedCommandLine(), commandLine);
}

TEST(ChildProcess, CloseLeavesNothingHeld) {
  ScriptedFake fake(Role::Installer, "line x\n");
  Utils::ChildProcess child;
  ASSERT_TRUE(child.Start(FakeCommand(Role::Installer)));
  ReadAll(child);
  child.Close();
  EXPECT_EQ(child.ProcessHandle(), nullptr);
  EXPECT_EQ(child.ProcessId(), 0u);
  DWORD code = 0;
  EXPECT_FALSE(child.ExitCode(&code));
}
