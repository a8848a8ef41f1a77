// System queries, the product's registry values, the single-instance guard and free space.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <lm.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/system/hard_disk.h"
#include "engine/system/instance_mutex.h"
#include "engine/system/registry.h"
#include "engine/system/system_info.h"
#include "log_capture.h"
#include "test_support.h"

TEST(OsName, VersionNumbersToNames) {
  struct Case {
    unsigned major, minor, build;
    bool serverR2;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {0, 0, 0, false, L"XP-"},
      {3, 51, 1057, false, L"XP-"},
      {4, 0, 1381, false, L"XP-"},
      {4, 90, 3000, true, L"XP-"},
      {5, 0, 2195, false, L"2K"},
      {5, 1, 2600, false, L"XP"},
      {5, 2, 3790, false, L"Server 2003"},  // also Windows XP x64
      {5, 2, 3790, true, L"Server 2003 R2"},
      {5, 3, 0, false, L"XP+"},
      {5, 9, 0, false, L"XP+"},
      {6, 0, 6002, false, L"Vista"},
      {6, 1, 7601, false, L"7"},
      {6, 2, 9200, false, L"8"},
      {6, 3, 9600, false, L"8.1"},
      {6, 4, 9841, false, L"8.1+"},
      {6, 7, 0, false, L"8.1+"},
      {10, 0, 19045, false, L"10"},
      {10, 0, 22631, false, L"10"},  // Windows 11 reports 10.0 as well
      {10, 1, 0, false, L"10+"},
      {7, 0, 1, false, L"7.0.1"},
      {12, 0, 30000, false, L"12.0.30000"},
      // Only the low 16 bits of the build number count (the high ones are flags).
      {12, 3, 0xF0004E20u, false, L"12.3.20000"},
      {11, 2, 0, true, L"11.2.0"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::OsVersionName(c.major, c.minor, c.build, c.serverR2), c.expected)
        << c.major << "." << c.minor << "." << c.build;
  }
}

TEST(OsName, LiveNameMatchesTheSystemsVersionNumbers) {
  std::wstring family = L"unset", name = L"unset";
  Utils::GetOsName(&family, &name);
  EXPECT_EQ(family, L"Windows");
  // RtlGetVersion tells the same numbers without the compatibility shims of GetVersionEx.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  ASSERT_NE(rtlGetVersion, nullptr);
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_EQ(rtlGetVersion(&info), 0);
  EXPECT_EQ(name, Utils::OsVersionName(info.dwMajorVersion, info.dwMinorVersion,
                                       info.dwBuildNumber, GetSystemMetrics(SM_SERVERR2) != 0));
  // Either out parameter may be left out.
  std::wstring only;
  Utils::GetOsName(nullptr, &only);
  EXPECT_EQ(only, name);
  Utils::GetOsName(&only, nullptr);
  EXPECT_EQ(only, L"Windows");
}

TEST(SystemQueries, SixtyFourBitAndAdministratorAnswers) {
#if defined(_WIN64)
  EXPECT_TRUE(Utils::Is64BitOs());
#else
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  EXPECT_EQ(Utils::Is64BitOs(), wow64 != FALSE);
#endif
  EXPECT_EQ(Utils::IsRunAsAdmin(), IsUserAnAdmin() != FALSE);
  EXPECT_FALSE(Utils::IsAdminAccount(L"no_such_account_f0undation"));
  // The console session's user is the one this program runs as, and the account query answers
  // for that account as the system's own privilege query does.
  wchar_t user[256] = {};
  DWORD size = 256;
  ASSERT_TRUE(GetUserNameW(user, &size));
  std::wstring console = L"unset";
  ASSERT_TRUE(Utils::GetConsoleUserName(&console));
  EXPECT_EQ(console, user);
  LPBYTE info = nullptr;
  ASSERT_EQ(NetUserGetInfo(nullptr, user, 1, &info), static_cast<NET_API_STATUS>(NERR_Success));
  const bool admin = reinterpret_cast<USER_INFO_1*>(info)->usri1_priv == USER_PRIV_ADMIN;
  NetApiBufferFree(info);
  EXPECT_EQ(Utils::IsAdminAccount(user), admin);
}

TEST(NetworkCheck, StatusAndFlagsCompose) {
  EXPECT_EQ(Utils::NetworkStatus(0, false), 1u);
  EXPECT_EQ(Utils::NetworkStatus(0, true), 1u);  // no connectivity at all wins
  EXPECT_EQ(Utils::NetworkStatus(0x40, true), 0u);
  EXPECT_EQ(Utils::NetworkStatus(0x40, false), 2u);
  EXPECT_EQ(Utils::NetworkStatus(0x1, false), 2u);

  // A disconnected machine: status 1, flags 0.
  EXPECT_EQ(Utils::NetworkCheckResult(1, 0), 65536u);
  EXPECT_EQ(Utils::NetworkCheckResult(0, 0x40), 0x40u);
  EXPECT_EQ(Utils::NetworkCheckResult(2, 0x1), 131073u);
  EXPECT_EQ(Utils::NetworkCheckResult(0, 0), 0u);
}

TEST(NetworkCheck, LiveCheckReturnsAComposedResult) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  LogCapture capture;
  const unsigned result = Utils::CheckNetwork();
  const unsigned status = result >> 16;
  const unsigned flags = result & 0xFFFF;
  EXPECT_LE(status, 2u);
  // Each status has its own log line (or none), under the function's name.
  const size_t connectivityLines = capture.Count({L">(Utils::CheckNetwork)<", L">: GetConnectivity 0"});
  const size_t internetLines = capture.Count({L">(Utils::CheckNetwork)<", L">: get_IsConnectedToInternet:0"});
  switch (status) {
    case 0:
      EXPECT_NE(flags, 0u);
      EXPECT_EQ(connectivityLines + internetLines, 0u);
      break;
    case 1:
      EXPECT_EQ(flags, 0u);
      EXPECT_EQ(connectivityLines, 1u);
      EXPECT_EQ(internetLines, 0u);
      break;
    case 2:
      EXPECT_NE(flags, 0u);
      EXPECT_EQ(connectivityLines, 0u);
      EXPECT_EQ(internetLines, 1u);
      break;
  }
  EXPECT_EQ(capture.LinesContaining(L">(Utils::CheckNetwork)<").size(), connectivityLines + internetLines);
  CoUninitialize();
}

namespace {

class ProductRegistry : public ::testing::Test {
protected:
  void SetUp() override {
    HKEY key = nullptr;
    keyExisted_ = RegOpenKeyExW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, 0, KEY_READ,
                                &key) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    name_ = L"FoundationTest_" + std::to_wstring(GetCurrentProcessId());
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, name_.c_str());
    if (!keyExisted_) {
      RegDeleteKeyW(HKEY_CURRENT_USER, Utils::kProductRegistryKey);
      RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\ZorViSoft");  // only when left empty
    }
  }
  // The stored bytes, as another reader of the registry would see them.
  std::string RawValue() const {
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, name_.c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
      return "<missing>";
    }
    std::string data(bytes, '\0');
    RegGetValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, name_.c_str(),
                 RRF_RT_ANY | RRF_NOEXPAND, nullptr, &data[0], &bytes);
    data.resize(bytes);
    return data;
  }
  void StoreRaw(const void* data, DWORD bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(key, name_.c_str(), 0, REG_SZ, static_cast<const BYTE*>(data), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  bool keyExisted_ = false;
  std::wstring name_;
};

}  // namespace

TEST_F(ProductRegistry, WrittenStringReadsBackWithItsTerminatorStored) {
  const std::wstring text = L"C:\\Program Files\\\u4E2D\u6587\\Brisolan";
  ASSERT_TRUE(Utils::RegWriteString(name_, text));
  DWORD type = 0;
  std::wstring back;
  ASSERT_TRUE(Utils::RegReadString(name_, &type, &back));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(back, text);
  // (length + 1) * 2 bytes: the last two are the terminating zero.
  const std::string raw = RawValue();
  ASSERT_EQ(raw.size(), (text.size() + 1) * 2);
  EXPECT_EQ(raw.substr(raw.size() - 2), std::string(2, '\0'));

  // Overwriting with a shorter and with an empty text.
  ASSERT_TRUE(Utils::RegWriteString(name_, L"D:\\x"));
  ASSERT_TRUE(Utils::RegReadString(name_, &type, &back));
  EXPECT_EQ(back, L"D:\\x");
  ASSERT_TRUE(Utils::RegWriteString(name_, L""));
  back = L"before";
  ASSERT_TRUE(Utils::RegReadString(name_, &type, &back));
  EXPECT_EQ(back, L"");
  EXPECT_EQ(RawValue().size(), 2u);
}

TEST_F(ProductRegistry, MissingValueIsFalseAndLeavesTheTextAlone) {
  DWORD type = 12345;
  std::wstring text = L"unchanged";
  EXPECT_FALSE(Utils::RegReadString(name_ + L"_missing", &type, &text));
  EXPECT_EQ(text, L"unchanged");
  EXPECT_EQ(type, 12345u);
}

TEST_F(ProductRegistry, UnterminatedAndOddSizedStoredValuesAreReadWhole) {
  const wchar_t unterminated[] = {L'a', L'b', L'c'};
  StoreRaw(unterminated, sizeof(unterminated));
  DWORD type = 0;
  std::wstring back;
  ASSERT_TRUE(Utils::RegReadString(name_, &type, &back));
  EXPECT_EQ(back, L"abc");

  const char odd[] = {'x', 0, 'y'};  // one whole character and a stray byte
  StoreRaw(odd, 3);
  ASSERT_TRUE(Utils::RegReadString(name_, &type, &back));
  EXPECT_EQ(back.substr(0, 1), L"x");
  EXPECT_LE(back.size(), 2u);

  const wchar_t embedded[] = {L'p', 0, L'q', 0};
  StoreRaw(embedded, sizeof(embedded));
  ASSERT_TRUE(Utils::RegReadString(name_, &type, &back));
  EXPECT_EQ(back, L"p");
}

namespace {

constexpr wchar_t kMutexSuffixVariable[] = L"FOUNDATION_MUTEX_SUFFIX";

// Runs this test program again as a second process that tries to take the mutex; its exit code
// says whether it could (3) or not (4).
DWORD RunSecondHolder(const std::wstring& suffix) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(self) +
                             L"\" --gtest_also_run_disabled_tests "
                             L"--gtest_filter=InstanceMutexChild.DISABLED_TriesToHold";
  SetEnvironmentVariableW(kMutexSuffixVariable, suffix.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  SetEnvironmentVariableW(kMutexSuffixVariable, nullptr);
  if (!started) return 1000;
  DWORD code = 1001;
  if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, 1002);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

}  // namespace

TEST(InstanceMutexChild, DISABLED_TriesToHold) {
  wchar_t suffix[128] = {};
  if (GetEnvironmentVariableW(kMutexSuffixVariable, suffix, 128) == 0) GTEST_SKIP();
  InstanceMutex mutex(suffix);
  mutex.Acquire();
  ExitProcess(mutex.IsHeld() ? 3 : 4);
}

TEST(InstanceMutex, OnlyOneHolderAtATime) {
  const std::wstring suffix = L"FoundationTest_" + std::to_wstring(GetCurrentProcessId());
  {
    InstanceMutex first(suffix);
    EXPECT_EQ(first.Name(), L"D1A547DB89C0BC61_" + suffix);
    EXPECT_FALSE(first.IsHeld());
    first.Acquire();
    ASSERT_TRUE(first.IsHeld());
    const HANDLE held = first.Handle();
    first.Acquire();  // already held: nothing changes
    EXPECT_EQ(first.Handle(), held);

    InstanceMutex second(suffix);
    second.Acquire();
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(second.Handle(), nullptr);

    InstanceMutex otherName(suffix + L"_other");
    otherName.Acquire();
    EXPECT_TRUE(otherName.IsHeld());

    EXPECT_EQ(RunSecondHolder(suffix), 4u);  // another process is refused as well
  }
  // Released with its holder: a later copy gets it.
  EXPECT_EQ(RunSecondHolder(suffix), 3u);
  InstanceMutex later(suffix);
  later.Acquire();
  EXPECT_TRUE(later.IsHeld());
}

TEST(FreeSpace, RealDriveHasPlausibleFigures) {
  Utils::HardDiskManager disk;
  ASSERT_TRUE(disk.CheckFreeSpace(L"C:\\"));
  EXPECT_GT(disk.TotalBytes(), 0u);
  EXPECT_LE(disk.TotalFreeBytes(), disk.TotalBytes());
  EXPECT_LE(disk.FreeBytesAvailable(), disk.TotalBytes());
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  EXPECT_TRUE(disk.CheckFreeSpace(temp));
}

TEST(FreeSpace, MissingFolderFailsWithALogLine) {
  LogCapture capture;
  Utils::HardDiskManager disk;
  ASSERT_TRUE(disk.CheckFreeSpace(L"C:\\"));
  const ULONGLONG total = disk.TotalBytes();
  TestSupport::ScratchDir dir(L"disk");
  EXPECT_FALSE(disk.CheckFreeSpace(dir.Path() + L"\\no\\such\\folder"));
  EXPECT_EQ(disk.TotalBytes(), total);
  const auto lines = capture.LinesContaining(L"HardDiskManager::CheckFreeSpace FAIL code=");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find(L">(Utils::HardDiskManager::CheckFreeSpace)<"), std::wstring::npos)
      << TestSupport::ToUtf8(lines[0]);
  EXPECT_EQ(lines[0].substr(lines[0].size() - 2), L"\r\n");
}
