// CInstaller against the real fake installer: the command line it receives, and the reports that
// each scripted output of the installer turns into.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "fake_children.h"
#include "status_recorder.h"
#include "engine/children/installer.h"
#include "engine/system/installer_settings.h"
#include "base/log.h"
#include "log_capture.h"

using namespace FakeChildren;

namespace {

const std::wstring kFailText = L"安装包安装失败";

// InstCmd is process-wide; each test leaves it as it found it.
class InstCmdScope {
public:
  explicit InstCmdScope(const std::wstring& value) : saved_(InstallerSettings::Instance().InstCmd) {
    InstallerSettings::Instance().InstCmd = value;
  }
  ~InstCmdScope() { InstallerSettings::Instance().InstCmd = saved_; }

private:
  std::wstring saved_;
};

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Runs the fake installer with the script and returns every report of the run.
std::vector<StatusReport> RunInstaller(const std::string& script) {
  ScriptedFake fake(Role::Installer, script);
  StatusRecorder recorder;
  {
    CInstaller installer(recorder.Callback(), Quoted(FakeProgram(Role::Installer)), L"", false,
                         false, false);
    installer.Start();
  }  // the destructor waits for the run
  return recorder.Reports();
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(commandLine.c_str(), &count);
  std::vector<std::wstring> out(args, args + count);
  LocalFree(args);
  return out;
}

std::wstring Acp(const std::string& bytes) {
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
  return out;
}

}  // namespace

TEST(Installer, CommandLineReachesTheInstallerExactly) {
  struct Case {
    const char* name;
    std::wstring directory;
    bool ssc, dsc, admin, authorization;
    std::wstring language, instCmd;
    std::wstring expectedAfterPackage;
  };
  const Case cases[] = {
      {"language, folder with spaces, only authorization", L"C:\\Program Files\\Brisolan", false,
       false, false, true, L"zh-CN", L"",
       L" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true -dsc=false"
       L" -ssc=false -inslang=\"zh-CN\" -instdir=\"C:\\Program Files\\Brisolan\""
       L" /D=C:\\Program Files\\Brisolan"},
      {"no folder gives neither -instdir nor /D=", L"", false, false, false, true, L"", L"",
       L" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true -dsc=false"
       L" -ssc=false"},
      {"every flag, InstCmd unchanged before the folder", L"D:\\Apps\\Brisolan", true, true, true,
       true, L"", L"-channel=store  -silent=\"1\"",
       L" /S -console=show -version=1.0.0 -adminact=true -authorizationact=true -dsc=true"
       L" -ssc=true -channel=store  -silent=\"1\" -instdir=\"D:\\Apps\\Brisolan\""
       L" /D=D:\\Apps\\Brisolan"},
      {"drive root keeps its quote", L"D:\\", false, true, true, false, L"en-US", L"",
       L" /S -console=show -version=1.0.0 -adminact=true -authorizationact=false -dsc=true"
       L" -ssc=false -inslang=\"en-US\" -instdir=\"D:\\\\\" /D=D:\\"},
      {"language, InstCmd and folder in order", L"E:\\Tools and More\\Brisolan 2", true, false,
       false, true, L"zh-TW", L"-x=1",
       L" /S -console=show -version=1.0.0 -adminact=false -authorizationact=true -dsc=false"
       L" -ssc=true -inslang=\"zh-TW\" -x=1 -instdir=\"E:\\Tools and More\\Brisolan 2\""
       L" /D=E:\\Tools and More\\Brisolan 2"},
  };
  // The package lands in the install folder, which may hold spaces.
  TestSupport::ScratchDir dir(L"package");
  std::wstring package = dir.File(L"Brisolan Setup\\__Package_Tessmark.exe");
  ASSERT_TRUE(CopyFake(Role::Installer, package));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InstCmdScope instCmd(c.instCmd);
    ScriptedFake fake(Role::Installer, "");
    StatusRecorder recorder;
    std::wstring expected = Quoted(package) + c.expectedAfterPackage;
    {
      CInstaller installer(recorder.Callback(), Quoted(package), c.directory, c.ssc, c.dsc,
                           c.admin);
      installer.SetAuthorization(c.authorization);
      installer.SetLanguage(c.language);
      EXPECT_EQ(installer.BuildCommandLine(), expected);
      installer.Start();
    }
    EXPECT_EQ(fake.RecordedCommandLine(), expected);
    if (!c.directory.empty()) {
      // Split as the installer's runtime splits it, -instdir is the folder and nothing more.
      std::vector<std::wstring> args = SplitCommandLine(fake.RecordedCommandLine());
      ASSERT_FALSE(args.empty());
      EXPECT_EQ(args[0], package);
      std::wstring instdir;
      for (const std::wstring& arg : args)
        if (arg.compare(0, 9, L"-instdir=") == 0) instdir = arg;
      EXPECT_EQ(instdir, L"-instdir=" + c.directory);
    }
  }
}

TEST(Installer, ScriptedOutputGivesTheseReports) {
  struct Case {
    const char* name;
    std::string script;
    std::vector<StatusReport> afterStart;  // what follows 2001 and 2002 with progress 0
  };
  const std::wstring longPath(771, L'p');
  const Case cases[] = {
      {"progress then success, no second success at the exit",
       "line Progress=0.5\nline State=Success\n",
       {{2002, 0.5, L""}, {2003, 0, L""}}},
      {"every value key",
       R"(line InstPath=C:\Program Files\Brisolan
line InstallVersion=1.2.3
line ExePath=C:\Program Files\Brisolan\Tessmark.exe
line StartExe=C:\Program Files\Brisolan\Start.exe
line UninstExePath=C:\Program Files\Brisolan\uninst.exe
line UninstExe=C:\Program Files\Brisolan\un.exe
line UninstEp=C:\Program Files\Brisolan\uninst.ep
line TopShowDetention=1500
line FinsihCloseDetention=-1
line StartUrl=http://127.0.0.1/welcome?a=b&c=d
line StartupStyle=UserStartup
line Message=Restart later
line State=Success
)",
       {{3000, 0, L"C:\\Program Files\\Brisolan"},
        {3001, 0, L"C:\\Program Files\\Brisolan\\Tessmark.exe"},
        {3001, 0, L"C:\\Program Files\\Brisolan\\Start.exe"},
        {3002, 0, L"C:\\Program Files\\Brisolan\\uninst.exe"},
        {3002, 0, L"C:\\Program Files\\Brisolan\\un.exe"},
        {3003, 0, L"C:\\Program Files\\Brisolan\\uninst.ep"},
        {3007, 1500, L""},
        {3008, 4294967295.0, L""},
        {3004, 0, L"http://127.0.0.1/welcome?a=b&c=d"},
        {3005, 2, L""},
        {3009, 0, L"Restart later"},
        {2003, 0, L""}}},
      {"startup style words are case-sensitive",
       "line StartupStyle=AutoStartup\nline StartupStyle=NonStartup\n"
       "line StartupStyle=autostartup\nline StartupStyle=  UserStartup  \n"
       "line StartupStyle=Sometimes\n",
       {{3005, 1, L""}, {3005, 0, L""}, {3005, 0, L""}, {3005, 2, L""}, {3005, 0, L""},
        {2003, 1, L""}}},
      {"success with spaces around the word", "line State=  Success  \n", {{2003, 0, L""}}},
      {"state fail", "line Progress=0.2\nline State=Fail\n",
       {{2002, 0.2, L""}, {2004, 0, kFailText}}},
      {"another state word decides nothing", "line State=Pending\nline Progress=0.3\n",
       {{2002, 0.3, L""}, {2003, 1, L""}}},
      {"error line carries its text", "line Error=  Disk is full  \nline State=Success\n",
       {{2004, 1000, L"Disk is full"}}},
      {"ended without state, exit code 0", "line Progress=0.4\n",
       {{2002, 0.4, L""}, {2003, 1, L""}}},
      {"ended without state, exit code 3", "line Progress=0.4\nexit 3\n",
       {{2002, 0.4, L""}, {2004, 0, kFailText}}},
      {"crash", "line Progress=0.1\ncrash\n", {{2002, 0.1, L""}, {2004, 0, kFailText}}},
      {"never prints, exit code 0", "sleep 100\n", {{2003, 1, L""}}},
      {"never prints, exit code 1", "sleep 100\nexit 1\n", {{2004, 0, kFailText}}},
      {"LF line ends", "lf InstPath=C:\\A\nlf State=Success\n",
       {{3000, 0, L"C:\\A"}, {2003, 0, L""}}},
      {"CR and white space stay out of values",
       "line InstPath=C:\\Brisolan  \nraw StartUrl=\\t http://x/ \\r\\n\nline State=Success\n",
       {{3000, 0, L"C:\\Brisolan"}, {3004, 0, L"http://x/"}, {2003, 0, L""}}},
      {"several lines in one write",
       R"(raw Progress=0.1\r\nProgress=0.2\nInstPath=C:\\B\r\nState=Success\r\n)",
       {{2002, 0.1, L""}, {2002, 0.2, L""}, {3000, 0, L"C:\\B"}, {2003, 0, L""}}},
      {"lines split across writes are joined",
       R"(raw Progr
sleep 100
raw ess=0.25\r\nInstPa
sleep 100
raw th=C:\\Split\r
sleep 100
raw \nState=Success\r\n
)",
       {{2002, 0.25, L""}, {3000, 0, L"C:\\Split"}, {2003, 0, L""}}},
      {"last line without line end", "raw State=Success\nexit 5\n", {{2003, 0, L""}}},
      {"output after the final state is read and dropped",
       "line State=Success\nflood 5000 Progress=0.9\nline Error=late\n", {{2003, 0, L""}}},
      {"first decisive line of a write wins", R"(raw Error=first\r\nState=Success\r\n)",
       {{2004, 1000, L"first"}}},
      {"UTF-8 after Encode=UTF8",
       "line Encode=UTF8\nline InstPath=C:\\程序\\Brisolan\nline State=Success\n",
       {{3000, 0, L"C:\\程序\\Brisolan"}, {2003, 0, L""}}},
      {"code page 936 after Encode=936",
       "line Encode=936\n" R"(raw Message=\xD6\xD0\xCE\xC4\r\n)" "\nline State=Success\n",
       {{3009, 0, L"中文"}, {2003, 0, L""}}},
      {"Encode applies from the next line of the same write",
       R"(raw Encode=UTF8\r\nMessage=\xE4\xB8\xAD\xE6\x96\x87\r\nState=Success\r\n)",
       {{3009, 0, L"中文"}, {2003, 0, L""}}},
      {"Encode=ACP and a word that is no number go back to the ANSI code page",
       "line Encode=UTF8\nline Encode=ACP\n" R"(raw Message=\xE9t\xE9\r\n)"
       "\nline Encode=UTF8\nline Encode=utf-8\n" R"(raw Message=\xE9t\xE9\r\n)" "\n",
       {{3009, 0, Acp("\xE9t\xE9")}, {3009, 0, Acp("\xE9t\xE9")}, {2003, 1, L""}}},
      {"unknown code page is ignored",
       "line Encode=UTF8\nline Encode=12345\n" R"(raw Message=\xE4\xB8\xAD\r\n)" "\n",
       {{3009, 0, L"中"}, {2003, 1, L""}}},
      {"lines that are not the protocol are skipped",
       "line Progress 0.5\nline garbage\nline Foo=bar\nline progress=0.5\nline  Progress=0.5\n"
       "line Progress=\nline Progress=abc\nline Progress=nan\nline Progress=inf\nline =\n"
       "line \nline State\nline InstPath\nline StateX=Fail\nline ErrorText=x\n",
       {{2003, 1, L""}}},
      {"progress is clamped and read up to what follows the number",
       "line Progress=1.5\nline Progress=-0.25\nline Progress=0.75abc\nline Progress= 0.5\n",
       {{2002, 1, L""}, {2002, 0, L""}, {2002, 0.75, L""}, {2002, 0.5, L""}, {2003, 1, L""}}},
      {"delays that are no 32-bit number give 0",
       "line TopShowDetention=abc\nline FinsihCloseDetention=99999999999\n"
       "line TopShowDetention=-2\n",
       {{3007, 0, L""}, {3008, 0, L""}, {3007, 4294967294.0, L""}, {2003, 1, L""}}},
      {"over-long values: paths refused, texts cut",
       "line InstPath=" + std::string(771, 'p') + "\nline InstPath=" + std::string(772, 'q') +
           "\nline ExePath=" + std::string(9000, 'x') + "\nline Message=" +
           std::string(5000, 'm') + "\nline Error=" + std::string(5000, 'e') + "\n",
       {{3000, 0, longPath},
        {3009, 0, std::wstring(771, L'm')},
        {2004, 1000, std::wstring(771, L'e')}}},
      {"damaged bytes: paths refused, texts shown",
       "line Encode=UTF8\n" R"(raw InstPath=C:\\\xFF\xFE\r\nUninstEp=C:\\A\0B\r\n)"
       "\n" R"(raw Message=bad\xFF\r\nState=Success\r\n)" "\n",
       {{3009, 0, L"bad\uFFFD"}, {2003, 0, L""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<StatusReport> expected = {{2001, 0, L""}, {2002, 0, L""}};
    expected.insert(expected.end(), c.afterStart.begin(), c.afterStart.end());
    EXPECT_EQ(RunInstaller(c.script), expected);
  }
}

TEST(Installer, MissingPackageReportsNotStarted) {
  TestSupport::ScratchDir dir(L"nopackage");
  StatusRecorder recorder;
  {
    CInstaller installer(recorder.Callback(), Quoted(dir.File(L"__Package_Tessmark.exe")),
                         dir.Path(), true, true, false);
    installer.Start();
  }
  std::vector<StatusReport> expected = {{2001, 0, L""}, {2002, 0, L""}, {2004, 2, L""}};
  EXPECT_EQ(recorder.Reports(), expected);
}

TEST(Installer, SecondStartRunsAgainInTheCodePageTheFirstRunChose) {
  StatusRecorder recorder;
  CInstaller installer(recorder.Callback(), Quoted(FakeProgram(Role::Installer)), L"", false,
                       false, false);
  {
    ScriptedFake first(Role::Installer, "line Encode=UTF8\nline State=Fail\n");
    installer.Start();
    ASSERT_TRUE(recorder.WaitForCode(2004));
  }
  {
    ScriptedFake second(Role::Installer,
                        R"(raw Message=\xE4\xB8\xAD\r\nState=Success\r\n)" "\n");
    installer.Start();  // joins the first run's worker before it starts the next
    ASSERT_TRUE(recorder.WaitForCode(2003));
  }
  std::vector<StatusReport> expected = {{2001, 0, L""}, {2002, 0, L""}, {2004, 0, kFailText},
                                  {2001, 0, L""}, {2002, 0, L""}, {3009, 0, L"中"},
                                  {2003, 0, L""}};
  EXPECT_EQ(recorder.Reports(), expected);
  EXPECT_EQ(installer.OutputCodePage(), static_cast<UINT>(CP_UTF8));
}

TEST(Installer, ExePathIsLoggedUnderTheParser) {
  LogCapture log;
  RunInstaller("line ExePath=C:\\App\\Tessmark.exe\nline State=Success\n");

  int found = 0;
  for (const std::wstring& line : log.Lines()) {
    const std::wstring tail = L">: ExePath: C:\\App\\Tessmark.exe";  // no line end of its own
    if (line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
      ++found;
      EXPECT_NE(line.find(L"(CInstaller::Parse)<"), std::wstring::npos) << TestSupport::ToUtf8(line);
    }
  }
  EXPECT_EQ(found, 1);
}

TEST(Installer, WithoutAScriptTheFakePlaysASuccessfulInstallation) {
  StatusRecorder recorder;
  {
    CInstaller installer(recorder.Callback(), Quoted(FakeProgram(Role::Installer)),
                         L"C:\\Program Files\\Brisolan", true, true, false);
    installer.Start();
  }
  const std::wstring folder = L"C:\\Program Files\\Brisolan";
  std::vector<StatusReport> expected = {{2001, 0, L""}, {2002, 0, L""}};
  for (double step : {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9})
    expected.push_back({2002, step, L""});
  expected.insert(expected.end(), {{3000, 0, folder},
                                   {3001, 0, folder + L"\\Tessmark.exe"},
                                   {3002, 0, folder + L"\\uninst.exe"},
                                   {3003, 0, folder + L"\\uninst.exe"},
                                   {3005, 2, L""},
                                   {2002, 1, L""},
                                   {2003, 0, L""}});
  EXPECT_EQ(recorder.Reports(), expected);
}
