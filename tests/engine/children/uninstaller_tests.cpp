// CUninstaller against the real fake uninstaller: its command line, and the reports that each
// scripted output of the uninstaller turns into.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_children.h"
#include "status_recorder.h"
#include "engine/system/system_info.h"
#include "engine/children/uninstaller.h"

using namespace FakeChildren;

namespace {

const std::wstring kFailText = L"安装包卸载失败";

std::vector<StatusReport> RunUninstaller(const std::wstring& program, const std::wstring& directory) {
  StatusRecorder recorder;
  {
    CUninstaller uninstaller(recorder.Callback(), program, directory);
    uninstaller.Start();
  }  // the destructor waits for the run
  return recorder.Reports();
}

std::vector<StatusReport> RunUninstaller(const std::string& script) {
  ScriptedFake fake(Role::Uninstaller, script);
  return RunUninstaller(FakeProgram(Role::Uninstaller), L"C:\\Program Files\\Brisolan");
}

}  // namespace

TEST(Uninstaller, CommandLineQuotesTheProgramAndEndsWithTheFolder) {
  struct Case {
    std::wstring program, directory;
    bool consoleUserIsAdmin, runAsAdmin;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"C:\\T\\u.exe", L"C:\\P\\X", false, true,
       L"\"C:\\T\\u.exe\" /S -adminact=false -authorizationact=true -console=show _?=C:\\P\\X"},
      {L"C:\\Users\\Ann Lee\\Temp\\~ZorViTemp.92482B06FB471E17\\\\Tessmark_un_asa.exe",
       L"C:\\Program Files\\Brisolan", true, false,
       L"\"C:\\Users\\Ann Lee\\Temp\\~ZorViTemp.92482B06FB471E17\\\\Tessmark_un_asa.exe\" /S"
       L" -adminact=true -authorizationact=false -console=show _?=C:\\Program Files\\Brisolan"},
      {L"D:\\u.exe", L"D:\\Old", true, true,
       L"\"D:\\u.exe\" /S -adminact=true -authorizationact=true -console=show _?=D:\\Old"},
      {L"D:\\u.exe", L"D:\\Old", false, false,
       L"\"D:\\u.exe\" /S -adminact=false -authorizationact=false -console=show _?=D:\\Old"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CUninstaller::BuildCommandLine(c.program, c.directory, c.consoleUserIsAdmin,
                                             c.runAsAdmin),
              c.expected);
  }
}

TEST(Uninstaller, ProgramInAFolderWithASpaceIsTheOneThatRuns) {
  // With the path unquoted, Windows would try "...\Temp.exe" first: a decoy sits there.
  TestSupport::ScratchDir dir(L"uninst");
  ASSERT_TRUE(CopyFake(Role::Installer, dir.File(L"Temp.exe")));
  ASSERT_TRUE(CopyFake(Role::Uninstaller, dir.File(L"Temp Folder\\Tessmark_un_asa.exe")));
  // The orchestrator joins a folder that ends in a backslash and "\Tessmark_un_asa.exe".
  std::wstring program = dir.File(L"Temp Folder\\\\Tessmark_un_asa.exe");
  std::wstring directory = L"C:\\Program Files\\Old Brisolan";

  ScriptedFake decoy(Role::Installer, "exit 9\n");
  ScriptedFake fake(Role::Uninstaller, "line State=Success\n");
  std::vector<StatusReport> reports = RunUninstaller(program, directory);

  std::wstring user;
  bool consoleUserIsAdmin = Utils::GetConsoleUserName(&user) && Utils::IsAdminAccount(user);
  std::wstring expected = L"\"" + program + L"\" /S -adminact=" +
                          (consoleUserIsAdmin ? L"true" : L"false") + L" -authorizationact=" +
                          (Utils::IsRunAsAdmin() ? L"true" : L"false") +
                          L" -console=show _?=C:\\Program Files\\Old Brisolan";
  EXPECT_EQ(fake.RecordedCommandLine(), expected);
  EXPECT_EQ(decoy.RecordedCommandLine(), L"<not recorded>");
  std::vector<StatusReport> expectedReports = {{5002, 0, L""}, {5003, 0, L""}};
  EXPECT_EQ(reports, expectedReports);
}

TEST(Uninstaller, ScriptedOutputGivesTheseReports) {
  struct Case {
    const char* name;
    std::string script;
    std::vector<StatusReport> afterStart;  // what follows 5002 with progress 0
  };
  std::vector<StatusReport> floodThenFail(3000, StatusReport{5002, 0.5, L""});
  floodThenFail.push_back({5005, 0, kFailText});
  const Case cases[] = {
      {"progress then success, nothing more",
       "line Progress=0.3\nline Progress=0.9\nline State=Success\n",
       {{5002, 0.3, L""}, {5002, 0.9, L""}, {5003, 0, L""}}},
      {"state fail", "line State=  Fail \n", {{5005, 0, kFailText}}},
      {"error line carries its text", "line Error=  Files in use  \nline State=Success\n",
       {{5005, 0, L"Files in use"}}},
      {"ended without state, exit code 0", "line Progress=0.5\n",
       {{5002, 0.5, L""}, {5003, 1, L""}}},
      {"ended without state, exit code 2", "line Progress=0.5\nexit 2\n",
       {{5002, 0.5, L""}, {5005, 0, kFailText}}},
      {"crash", "crash\n", {{5005, 0, kFailText}}},
      {"never prints", "sleep 100\n", {{5003, 1, L""}}},
      {"final state written just before the exit is not lost",
       "flood 3000 Progress=0.5\nraw State=Fail\nexit 0\n", floodThenFail},
      {"output after the final state is read and dropped",
       "line State=Success\nflood 5000 Progress=0.9\nline Error=late\n", {{5003, 0, L""}}},
      {"lines split across writes are joined",
       R"(raw Progress=0.
sleep 100
raw 7\r\nSta
sleep 100
raw te=Success\r\n
)",
       {{5002, 0.7, L""}, {5003, 0, L""}}},
      {"Encode=UTF8 switches, Encode=936 leaves it",
       "line Encode=UTF8\nline Encode=936\n" R"(raw Error=\xE4\xB8\xAD\xE6\x96\x87\r\n)" "\n",
       {{5005, 0, L"中文"}}},
      {"Encode=ACP goes back to the ANSI code page",
       "line Encode=UTF8\nline Encode=ACP\nline Error=plain\n", {{5005, 0, L"plain"}}},
      {"lines that are not the protocol are skipped, progress is clamped",
       "line Progress=abc\nline garbage\nline Unknown=1\nline Progress=2\nline Progress=-1\n"
       "line State=Later\n",
       {{5002, 1, L""}, {5002, 0, L""}, {5003, 1, L""}}},
      {"over-long error text is cut", "line Error=" + std::string(5000, 'e') + "\n",
       {{5005, 0, std::wstring(771, L'e')}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<StatusReport> expected = {{5002, 0, L""}};
    expected.insert(expected.end(), c.afterStart.begin(), c.afterStart.end());
    EXPECT_EQ(RunUninstaller(c.script), expected);
  }
}

TEST(Uninstaller, MissingProgramReportsOnlyThatItIsMissing) {
  TestSupport::ScratchDir dir(L"nouninst");
  std::vector<StatusReport> expected = {{5004, 1, L"可执行卸载文件不存在"}};
  EXPECT_EQ(RunUninstaller(dir.File(L"Tessmark_un_asa.exe"), L"C:\\Old"), expected);
}

TEST(Uninstaller, ProgramThatCannotBeStartedReportsNotStarted) {
  // A folder exists at the path, but no program can be started from it.
  TestSupport::ScratchDir dir(L"notaprogram");
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"Tessmark_un_asa.exe").c_str(), nullptr));
  std::vector<StatusReport> expected = {{5002, 0, L""}, {5004, 2, L""}};
  EXPECT_EQ(RunUninstaller(dir.File(L"Tessmark_un_asa.exe"), L"C:\\Old"), expected);
}

TEST(Uninstaller, WithoutAScriptTheFakePlaysASuccessfulRemoval) {
  std::vector<StatusReport> expected = {
      {5002, 0, L""}, {5002, 0.2, L""}, {5002, 0.6, L""}, {5002, 1, L""}, {5003, 0, L""}};
  EXPECT_EQ(RunUninstaller(FakeProgram(Role::Uninstaller), L"C:\\Old"), expected);
}
