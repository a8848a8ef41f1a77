// Installer settings: built-in defaults, the settings file and the command line.
#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>

#include "base/unique_resource.h"
#include "engine/system/installer_settings.h"
#include "test_support.h"

namespace {

const std::wstring kBuiltIn = InstallerSettings::kBuiltInDownloadUrl;

struct Expected {
  std::wstring url = kBuiltIn;
  int type = 1;
  bool checkNet = false;
  double scale = 0.7;
  std::wstring instCmd;
  int language = -1;
  bool reinstall = false;
};

void ExpectSettings(const InstallerSettings& s, const Expected& e, const std::string& label) {
  EXPECT_EQ(s.DownloadUrl, e.url) << label;
  EXPECT_EQ(s.DownloadType, e.type) << label;
  EXPECT_EQ(s.IsCheckNet, e.checkNet) << label;
  EXPECT_DOUBLE_EQ(s.DownloadScale, e.scale) << label;
  EXPECT_EQ(s.InstCmd, e.instCmd) << label;
  EXPECT_EQ(s.LanguageIndex, e.language) << label;
  EXPECT_EQ(s.Reinstall, e.reinstall) << label;
  EXPECT_TRUE(s.ResolveRealUrl) << label;
}

template <typename Edit>
Expected With(Edit edit) {
  Expected e;
  edit(e);
  return e;
}

}  // namespace

TEST(Defaults, BuiltInValues) {
  InstallerSettings s(L"7");
  ExpectSettings(s, Expected(), "defaults");
  EXPECT_EQ(kBuiltIn.rfind(L"http://", 0), 0u);
  EXPECT_EQ(kBuiltIn.substr(kBuiltIn.size() - 13), L"/software/641");
}

TEST(Defaults, ProcessWideInstanceHasDefaultsWithoutASettingsFile) {
  // No settings file lies next to the test program.
  ASSERT_FALSE(PathFileExistsW(InstallerSettings::DefaultConfigIniPath().c_str()));
  const InstallerSettings& s = InstallerSettings::Instance();
  EXPECT_EQ(&s, &InstallerSettings::Instance());
  EXPECT_FALSE(s.IsCheckNet);
  EXPECT_EQ(s.DownloadType, 1);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.7);
  EXPECT_EQ(s.DownloadUrl, kBuiltIn);
}

TEST(Defaults, SettingsFileLiesNextToTheProgram) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  PathRemoveFileSpecW(self);
  EXPECT_EQ(InstallerSettings::DefaultConfigIniPath(),
            std::wstring(self) + L"\\ZorviInstallerConfig.ini");
}

TEST(Route, WordFollowsTheWindowsVersionName) {
  const std::map<std::wstring, std::wstring> cases = {
      {L"XP-", L"download_silent_xp"}, {L"XP", L"download_silent_xp"},
      {L"XP+", L"download_silent_xp"}, {L"2K", L"download_silent"},
      {L"Server 2003", L"download_silent"}, {L"Vista", L"download_silent"},
      {L"7", L"download_silent"},      {L"10", L"download_silent"},
      {L"12.0.30000", L"download_silent"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(InstallerSettings::RouteWord(c.first), c.second) << TestSupport::ToUtf8(c.first);
  }
  const std::wstring url = L"http://h/${ROUTE}/a/${ROUTE}/setup.exe";
  EXPECT_EQ(InstallerSettings::ExpandRoute(url, L"XP"),
            L"http://h/download_silent_xp/a/download_silent_xp/setup.exe");
  EXPECT_EQ(InstallerSettings::ExpandRoute(url, L"7"),
            L"http://h/download_silent/a/download_silent/setup.exe");
  EXPECT_EQ(InstallerSettings::ExpandRoute(L"http://h/plain", L"XP"), L"http://h/plain");

  InstallerSettings xp(L"XP");
  xp.SetDownloadUrl(url);
  EXPECT_EQ(xp.DownloadUrl, L"http://h/download_silent_xp/a/download_silent_xp/setup.exe");
  // The running system's route (Wine reports a version far past XP).
  InstallerSettings live;
  live.SetDownloadUrl(L"${ROUTE}");
  EXPECT_EQ(live.DownloadUrl, L"download_silent");
}

TEST(CommandLineParse, TokensBecomeKeysAndValues) {
  struct Case {
    std::wstring commandLine;
    std::map<std::wstring, std::wstring> expected;
  };
  const Case cases[] = {
      {L"prog.exe", {{L"prog.exe", L""}}},
      {L"\"C:\\Program Files\\a b\\prog.exe\" -x=1",
       {{L"C:\\Program Files\\a b\\prog.exe", L""}, {L"-x", L"1"}}},
      {L"prog.exe -a=1 -b -c=x=y plain \"-d=with space\" -a=2 plain=val -=v - -e=",
       {{L"prog.exe", L""},
        {L"-a", L"1"},
        {L"-b", L""},
        {L"-c", L"x=y"},
        {L"plain", L""},
        {L"-d", L"with space"},
        {L"plain=val", L""},
        {L"-", L"v"},
        {L"-e", L""}}},
      {L"prog.exe -ischecknet true", {{L"prog.exe", L""}, {L"-ischecknet", L""}, {L"true", L""}}},
      {L"prog.exe -Key=A -key=b", {{L"prog.exe", L""}, {L"-Key", L"A"}, {L"-key", L"b"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandLineOptions::Parse(c.commandLine).Items(), c.expected)
        << TestSupport::ToUtf8(c.commandLine);
  }
}

TEST(CommandLineParse, TypedGetters) {
  const CommandLineOptions o = CommandLineOptions::Parse(
      L"p -i=42 -neg=-7 -junk=abc -big=99999999999 -t=true -T=TRUE -d=0.25x -nan=nan -e=");
  EXPECT_EQ(o.GetString(L"-i"), L"42");
  EXPECT_EQ(o.GetString(L"-absent"), L"");
  EXPECT_EQ(o.GetInt(L"-i"), 42);
  EXPECT_EQ(o.GetInt(L"-neg"), -7);
  EXPECT_EQ(o.GetInt(L"-junk"), 0);
  EXPECT_EQ(o.GetInt(L"-e"), 0);
  EXPECT_EQ(o.GetInt(L"-absent"), 0);
  EXPECT_EQ(o.GetInt(L"-big"), 0);
  EXPECT_EQ(o.GetInt(L"-big", 5), 5);
  EXPECT_TRUE(o.GetBool(L"-t"));
  EXPECT_FALSE(o.GetBool(L"-T"));
  EXPECT_FALSE(o.GetBool(L"-absent"));
  EXPECT_DOUBLE_EQ(o.GetDouble(L"-d", 9.0), 0.25);
  EXPECT_DOUBLE_EQ(o.GetDouble(L"-junk", 9.0), 9.0);
  EXPECT_DOUBLE_EQ(o.GetDouble(L"-nan", 9.0), 9.0);
  EXPECT_DOUBLE_EQ(o.GetDouble(L"-e", 9.0), 9.0);
  EXPECT_DOUBLE_EQ(o.GetDouble(L"-absent", 9.0), 9.0);
}

TEST(CommandLineApply, OptionsAndTheSettingsTheyYield) {
  const std::wstring routed = L"http://h/${ROUTE}/p/${ROUTE}/setup.exe";
  const std::wstring huge(100000, L'u');
  struct Case {
    std::wstring commandLine;
    Expected expected;
    std::wstring osName = L"7";
    bool checkNetBefore = false;
  };
  const Case cases[] = {
      {L"prog.exe", Expected()},
      {L"prog.exe -ischecknet=true", With([](Expected& e) { e.checkNet = true; })},
      // Alone, or with its value as a separate token, the flag is cleared.
      {L"prog.exe -ischecknet", Expected(), L"7", true},
      {L"prog.exe -ischecknet true", Expected(), L"7", true},
      {L"prog.exe -ischecknet=TRUE", Expected(), L"7", true},
      {L"prog.exe -insnew", Expected()},
      {L"prog.exe -insnew=true", With([](Expected& e) { e.reinstall = true; })},
      {L"prog.exe -downloadtype=3 -downloadtype=2", With([](Expected& e) { e.type = 3; })},
      {L"prog.exe -DownloadType=3", Expected()},
      {L"prog.exe downloadtype=3", Expected()},
      {L"prog.exe -downloadtype 3", With([](Expected& e) { e.type = 0; })},
      {L"prog.exe -downloadtype=abc", With([](Expected& e) { e.type = 0; })},
      {L"prog.exe -downloadtype=", With([](Expected& e) { e.type = 0; })},
      {L"prog.exe \"-downloadtype= 2\"", With([](Expected& e) { e.type = 2; })},
      {L"prog.exe -downloadtype=-4", With([](Expected& e) { e.type = -4; })},
      {L"prog.exe -downloadtype=2147483647", With([](Expected& e) { e.type = INT_MAX; })},
      // Too large for an int: the setting keeps its value.
      {L"prog.exe -downloadtype=2147483648", Expected()},
      {L"prog.exe -downloadtype=99999999999999999999999", Expected()},
      {L"prog.exe -instcmd=a=b=c", With([](Expected& e) { e.instCmd = L"a=b=c"; })},
      {L"prog.exe \"-instcmd=/S /D=C:\\x y\"", With([](Expected& e) { e.instCmd = L"/S /D=C:\\x y"; })},
      {L"prog.exe -instcmd=", Expected()},
      {L"prog.exe -downloadscale=0.5abc", With([](Expected& e) { e.scale = 0.5; })},
      {L"prog.exe -downloadscale=0.25", With([](Expected& e) { e.scale = 0.25; })},
      // No number, out of range or not finite: the scale keeps its value.
      {L"prog.exe -downloadscale=abc", Expected()},
      {L"prog.exe -downloadscale=", Expected()},
      {L"prog.exe -downloadscale=1e999", Expected()},
      {L"prog.exe -downloadscale=nan", Expected()},
      {L"prog.exe -downloadscale=inf", Expected()},
      {L"prog.exe -language=2", With([](Expected& e) { e.language = 2; })},
      {L"prog.exe -language=abc", With([](Expected& e) { e.language = 0; })},
      {L"prog.exe -language=99999999999", Expected()},
      {L"prog.exe -downloadurl=" + routed,
       With([](Expected& e) { e.url = L"http://h/download_silent/p/download_silent/setup.exe"; })},
      {L"prog.exe -downloadurl=" + routed,
       With([](Expected& e) { e.url = L"http://h/download_silent_xp/p/download_silent_xp/setup.exe"; }),
       L"XP"},
      {L"prog.exe -downloadurl=", With([](Expected& e) { e.url = L""; })},
      {L"prog.exe -downloadurl=http://a/?x=1&y=2", With([](Expected& e) { e.url = L"http://a/?x=1&y=2"; })},
      {L"prog.exe -foo=bar -unknown --downloadtype=2 = -", Expected()},
      {L"prog.exe -downloadurl=" + huge, With([&](Expected& e) { e.url = huge; })},
      {L"prog.exe -instcmd=" + huge + L" " + huge, With([&](Expected& e) { e.instCmd = huge; })},
      {L"prog.exe -downloadtype=" + huge, With([](Expected& e) { e.type = 0; })},
      {L"prog.exe -downloadscale=" + std::wstring(100000, L'9'), Expected()},
      {L"prog.exe -downloadtype=2 -downloadscale=0.9 -ischecknet=true -instcmd=/q -language=1 "
       L"-insnew=true -downloadurl=http://x/y",
       With([](Expected& e) {
         e.type = 2;
         e.scale = 0.9;
         e.checkNet = true;
         e.instCmd = L"/q";
         e.language = 1;
         e.reinstall = true;
         e.url = L"http://x/y";
       })},
  };
  for (const Case& c : cases) {
    InstallerSettings s(c.osName);
    s.IsCheckNet = c.checkNetBefore;
    ApplyCommandLineOptions(CommandLineOptions::Parse(c.commandLine), &s);
    ExpectSettings(s, c.expected, TestSupport::ToUtf8(c.commandLine.substr(0, 120)));
  }
  ApplyCommandLineOptions(CommandLineOptions::Parse(L"p -downloadtype=3"), nullptr);
}

// Runs in a copy of this test program that the test below starts with installer options on its
// command line; disabled in an ordinary run, whose command line carries no installer option.
TEST(CommandLineApply, DISABLED_ProbeAppliesThisProcessCommandLine) {
  InstallerSettings& s = InstallerSettings::Instance();
  ASSERT_EQ(s.DownloadType, DOWNLOAD_TYPE_SINGLE_CURL);  // the defaults, before the command line
  ASSERT_FALSE(s.Reinstall);
  ApplyCommandLineOptions();
  EXPECT_EQ(s.DownloadType, DOWNLOAD_TYPE_MULTIPART);
  EXPECT_TRUE(s.IsCheckNet);
  EXPECT_EQ(s.InstCmd, L"/q x");
  EXPECT_EQ(s.LanguageIndex, 2);
  EXPECT_TRUE(s.Reinstall);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.25);
  EXPECT_EQ(s.DownloadUrl, s.ExpandRoute(L"http://h/${ROUTE}/p"));
  EXPECT_EQ(s.DownloadUrl.find(L"${ROUTE}"), std::wstring::npos);
}

TEST(CommandLineApply, ProcessCommandLineAppliesToTheProcessWideSettings) {
  wchar_t self[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  std::wstring commandLine = L"\"" + std::wstring(self) +
                             L"\" --gtest_also_run_disabled_tests"
                             L" --gtest_filter=CommandLineApply.DISABLED_ProbeAppliesThisProcessCommandLine"
                             L" -downloadtype=3 -ischecknet=true \"-instcmd=/q x\" -language=2 -insnew=true"
                             L" -downloadscale=0.25 -downloadurl=http://h/${ROUTE}/p";
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  Utils::UniqueFileHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &inheritable, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(nul);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.get();
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
  Utils::UniqueHandle process(info.hProcess), thread(info.hThread);
  // The limit only keeps a hanging copy from holding the test program.
  ASSERT_EQ(WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  ASSERT_TRUE(GetExitCodeProcess(process.get(), &exitCode));
  EXPECT_EQ(exitCode, 0u) << "the copy found the settings other than the command line said";
}

TEST(SettingsFile, FilesAndTheSettingsTheyYield) {
  const std::wstring longUrl = L"http://h/" + std::wstring(1000, L'p') + L"/setup.exe";
  struct Case {
    const char* label;
    bool exists;
    std::string content;
    Expected expected;
    std::wstring osName = L"7";
  };
  const auto checkNet = [](Expected& e) { e.checkNet = true; };
  const Case cases[] = {
      {"missing file", false, "", Expected()},
      {"empty file", true, "", With(checkNet)},
      {"other section", true, "[Other]\r\nIsCheckNet=false\r\nDownloadType=3\r\n", With(checkNet)},
      {"IsCheckNet=TRUE", true, "[Install]\r\nIsCheckNet=TRUE\r\n", Expected()},
      {"IsCheckNet=true", true, "[Install]\r\nIsCheckNet=true\r\n", With(checkNet)},
      {"IsCheckNet=false", true, "[Install]\r\nIsCheckNet=false\r\n", Expected()},
      {"IsCheckNet empty", true, "[Install]\r\nIsCheckNet=\r\n", Expected()},
      {"DownloadType=3", true, "[Install]\r\nDownloadType=3\r\n",
       With([&](Expected& e) { checkNet(e); e.type = 3; })},
      {"DownloadType=abc", true, "[Install]\r\nDownloadType=abc\r\n",
       With([&](Expected& e) { checkNet(e); e.type = 0; })},
      {"DownloadScale=0.25", true, "[Install]\r\nDownloadScale=0.25\r\n",
       With([&](Expected& e) { checkNet(e); e.scale = 0.25; })},
      {"DownloadScale=0.5abc", true, "[Install]\r\nDownloadScale=0.5abc\r\n",
       With([&](Expected& e) { checkNet(e); e.scale = 0.5; })},
      {"DownloadScale=abc", true, "[Install]\r\nDownloadScale=abc\r\n",
       With([&](Expected& e) { checkNet(e); e.scale = 0.0; })},
      {"DownloadScale empty", true, "[Install]\r\nDownloadScale=\r\n",
       With([&](Expected& e) { checkNet(e); e.scale = 0.0; })},
      {"DownloadScale=1e999", true, "[Install]\r\nDownloadScale=1e999\r\n", With(checkNet)},
      {"DownloadScale=nan", true, "[Install]\r\nDownloadScale=nan\r\n", With(checkNet)},
      {"InstCmd", true, "[Install]\r\nInstCmd=/S /D=C:\\x\r\n",
       With([&](Expected& e) { checkNet(e); e.instCmd = L"/S /D=C:\\x"; })},
      {"routed URL on 7", true, "[Install]\r\nDownloadUrl=http://h/${ROUTE}/${ROUTE}.exe\r\n",
       With([&](Expected& e) { checkNet(e); e.url = L"http://h/download_silent/download_silent.exe"; })},
      {"routed URL on XP", true, "[Install]\r\nDownloadUrl=http://h/${ROUTE}/${ROUTE}.exe\r\n",
       With([&](Expected& e) {
         checkNet(e);
         e.url = L"http://h/download_silent_xp/download_silent_xp.exe";
       }),
       L"XP"},
      {"long URL", true, "[Install]\r\nDownloadUrl=" + TestSupport::ToUtf8(longUrl) + "\r\n",
       With([&](Expected& e) { checkNet(e); e.url = longUrl; })},
      {"everything", true,
       "[Install]\r\nDownloadUrl=http://x/y\r\nDownloadType=2\r\nIsCheckNet=false\r\n"
       "DownloadScale=0.9\r\nInstCmd=/q\r\nUnknown=1\r\n",
       With([](Expected& e) {
         e.url = L"http://x/y";
         e.type = 2;
         e.scale = 0.9;
         e.instCmd = L"/q";
       })},
      {"section and key names ignore case", true,
       "[install]\r\ndownloadtype=2\r\n",
       With([&](Expected& e) { checkNet(e); e.type = 2; })},
  };
  TestSupport::ScratchDir dir(L"ini");
  int n = 0;
  for (const Case& c : cases) {
    const std::wstring path = dir.File(L"config" + std::to_wstring(n++) + L".ini");
    if (c.exists) {
      ASSERT_TRUE(TestSupport::WriteBytes(path, c.content)) << c.label;
    }
    InstallerSettings s(c.osName);
    s.LoadConfigIni(path);
    ExpectSettings(s, c.expected, c.label);
  }
}

TEST(SettingsFile, CommandLineOverridesTheFile) {
  TestSupport::ScratchDir dir(L"ini");
  const std::wstring path = dir.File(L"ZorviInstallerConfig.ini");
  ASSERT_TRUE(TestSupport::WriteBytes(
      path, "[Install]\r\nDownloadType=2\r\nDownloadScale=0.4\r\nInstCmd=/file\r\n"));
  InstallerSettings s(L"10");
  s.LoadConfigIni(path);
  ApplyCommandLineOptions(CommandLineOptions::Parse(L"p -downloadtype=3 -downloadscale=zzz"), &s);
  EXPECT_EQ(s.DownloadType, 3);
  EXPECT_DOUBLE_EQ(s.DownloadScale, 0.4);  // no number on the command line: the file's stands
  EXPECT_EQ(s.InstCmd, L"/file");
  EXPECT_TRUE(s.IsCheckNet);
}
