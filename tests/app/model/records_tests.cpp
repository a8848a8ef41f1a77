// What an installation leaves behind: the product's registry values, "set.ini" and the
// analytics file.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "app/install_folders.h"
#include "app/install_records.h"
#include "engine/system/registry.h"
#include "test_support.h"

namespace {

// A raw registry value: its type and its bytes as stored.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
};

std::optional<RawValue> ReadRaw(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  RawValue value;
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size);
  if (result == ERROR_SUCCESS) {
    value.bytes.resize(size);
    result = RegQueryValueExW(key, name, nullptr, &value.type, value.bytes.data(), &size);
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

std::wstring IniValue(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[512] = L"";
  GetPrivateProfileStringW(section, key, L"<missing>", value, 512, file.c_str());
  return value;
}

// The product key's two values are the installer's own; each test puts back what was there.
class InstallRegistry : public ::testing::Test {
protected:
  void SetUp() override {
    savedFolder_ = ReadRaw(L"InstallPath");
    savedEntry_ = ReadRaw(L"UnInstallEp");
    DeleteValues();
  }
  void TearDown() override {
    DeleteValues();
    Restore(L"InstallPath", savedFolder_);
    Restore(L"UnInstallEp", savedEntry_);
  }
  static void DeleteValues() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, L"InstallPath");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, L"UnInstallEp");
  }
  static void Restore(const wchar_t* name, const std::optional<RawValue>& value) {
    if (!value) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      RegSetValueExW(key, name, 0, value->type, value->bytes.data(),
                     static_cast<DWORD>(value->bytes.size()));
      RegCloseKey(key);
    }
  }

  std::optional<RawValue> savedFolder_;
  std::optional<RawValue> savedEntry_;
};

// The stored bytes are the text and one terminating zero, nothing more and nothing less.
void ExpectStoredWithTerminator(const wchar_t* name, const std::wstring& text) {
  const auto value = ReadRaw(name);
  ASSERT_TRUE(value) << TestSupport::ToUtf8(name);
  EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
  ASSERT_EQ(value->bytes.size(), (text.size() + 1) * sizeof(wchar_t)) << TestSupport::ToUtf8(name);
  std::wstring stored(text.size() + 1, L'x');
  memcpy(&stored[0], value->bytes.data(), value->bytes.size());
  EXPECT_EQ(stored.back(), L'\0');
  stored.pop_back();
  EXPECT_EQ(stored, text);
}

TEST_F(InstallRegistry, ValuesAreWrittenForATableOfCases) {
  TestSupport::ScratchDir dir(L"reg");
  const std::wstring folder = dir.Path();
  const std::wstring elsewhere = dir.File(L"other.ep");
  ASSERT_TRUE(CreateDirectoryW(dir.File(L"adir.ep").c_str(), nullptr));
  const struct {
    const char* what;
    std::wstring entry;             // uninstaller entry of the run
    bool makeDefaultEntry;          // create folder\uninst.ep first
    bool makeElsewhere;             // create the other entry file first
    std::wstring expectedEntry;     // the entry after the call
    bool entryWritten;
  } cases[] = {
      {"no entry reported, uninst.ep present", L"", true, false, folder + L"\\uninst.ep", true},
      {"no entry reported, no uninst.ep", L"", false, false, folder + L"\\uninst.ep", false},
      {"reported entry exists", elsewhere, false, true, elsewhere, true},
      {"reported entry missing", elsewhere, true, false, elsewhere, false},
      {"reported entry is a folder", dir.File(L"adir.ep"), false, false, dir.File(L"adir.ep"),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    DeleteValues();
    DeleteFileW((folder + L"\\uninst.ep").c_str());
    DeleteFileW(elsewhere.c_str());
    if (c.makeDefaultEntry) {
      ASSERT_TRUE(TestSupport::WriteBytes(folder + L"\\uninst.ep", "ep"));
    }
    if (c.makeElsewhere) {
      ASSERT_TRUE(TestSupport::WriteBytes(elsewhere, "ep"));
    }

    std::wstring entry = c.entry;
    App::WriteInstallRegistry(folder, &entry);
    EXPECT_EQ(entry, c.expectedEntry);
    ExpectStoredWithTerminator(L"InstallPath", folder);
    if (c.entryWritten) {
      ExpectStoredWithTerminator(L"UnInstallEp", c.expectedEntry);
    } else {
      EXPECT_FALSE(ReadRaw(L"UnInstallEp"));
    }
  }
}

TEST_F(InstallRegistry, EarlierInstallationIsReadBack) {
  App::EarlierInstallation none = App::ReadEarlierInstallation();
  EXPECT_EQ(none.folder, L"");
  EXPECT_EQ(none.uninstallerEntry, L"");

  ASSERT_TRUE(Utils::RegWriteString(L"InstallPath", L"D:\\Apps\\Tessmark"));
  App::EarlierInstallation folderOnly = App::ReadEarlierInstallation();
  EXPECT_EQ(folderOnly.folder, L"D:\\Apps\\Tessmark");
  EXPECT_EQ(folderOnly.uninstallerEntry, L"D:\\Apps\\Tessmark\\uninst.ep");

  ASSERT_TRUE(Utils::RegWriteString(L"UnInstallEp", L"D:\\Apps\\Tessmark\\bin\\u.ep"));
  App::EarlierInstallation both = App::ReadEarlierInstallation();
  EXPECT_EQ(both.folder, L"D:\\Apps\\Tessmark");
  EXPECT_EQ(both.uninstallerEntry, L"D:\\Apps\\Tessmark\\bin\\u.ep");
}

TEST(AnalyticsRecords, SetIniAndTheAnalyticsFileHoldTheirKeys) {
  TestSupport::ScratchDir dir(L"ana");
  App::AnalyticsInputs inputs;
  inputs.installFolder = dir.File(L"product");
  ASSERT_TRUE(CreateDirectoryW(inputs.installFolder.c_str(), nullptr));
  inputs.installerFileName = L"tessmark_installer.exe";
  inputs.analyticsFolder = dir.File(L"appdata\\ZorViData\\Tessmark");
  inputs.now = SYSTEMTIME{2024, 3, 2, 5, 7, 8, 9, 10};
  App::WriteAnalyticsRecords(inputs);

  const std::wstring setIni = inputs.installFolder + L"\\set.ini";
  const std::wstring analyticsIni = inputs.analyticsFolder + L"\\ZVSensorsAnalytics.ini";
  EXPECT_EQ(IniValue(setIni, L"Install", L"APPStore"), L"tessmark_installer.exe");
  EXPECT_EQ(IniValue(setIni, L"Install", L"AppName"), L"Tessmark");
  const std::wstring deviceId = IniValue(setIni, L"Install", L"DeviceID");
  ASSERT_EQ(deviceId.size(), 32u);
  EXPECT_EQ(deviceId.find_first_not_of(L"0123456789abcdefABCDEF"), std::wstring::npos);
  EXPECT_EQ(IniValue(setIni, L"Install", L"ZVSensorsAnalyticsIni"), analyticsIni);
  EXPECT_EQ(IniValue(analyticsIni, L"Init", L"UpdateTime"), L"2024-03-05 07:08:09");

  // Written again at the end of the installation: a new device id, the new time.
  inputs.now = SYSTEMTIME{2024, 12, 2, 31, 23, 59, 58, 0};
  App::WriteAnalyticsRecords(inputs);
  EXPECT_NE(IniValue(setIni, L"Install", L"DeviceID"), deviceId);
  EXPECT_EQ(IniValue(analyticsIni, L"Init", L"UpdateTime"), L"2024-12-31 23:59:58");
}

TEST(AnalyticsRecords, AnAnalyticsFolderThatCannotBeMadeSkipsOnlyTheAnalytics) {
  TestSupport::ScratchDir dir(L"ana");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"blocked"), "a file where a folder should be"));
  App::AnalyticsInputs inputs;
  inputs.installFolder = dir.Path();
  inputs.installerFileName = L"setup.exe";
  inputs.analyticsFolder = dir.File(L"blocked\\ZorViData\\Tessmark");
  App::WriteAnalyticsRecords(inputs);
  const std::wstring setIni = dir.File(L"set.ini");
  EXPECT_EQ(IniValue(setIni, L"Install", L"APPStore"), L"setup.exe");
  EXPECT_EQ(IniValue(setIni, L"Install", L"AppName"), L"Tessmark");
  EXPECT_EQ(IniValue(setIni, L"Install", L"DeviceID").size(), 32u);
  EXPECT_EQ(IniValue(setIni, L"Install", L"ZVSensorsAnalyticsIni"), L"<missing>");
}

TEST(AnalyticsRecords, UpdateTimeIsZeroPadded) {
  const struct {
    SYSTEMTIME time;
    const wchar_t* text;
  } cases[] = {
      {{2024, 3, 2, 5, 7, 8, 9, 0}, L"2024-03-05 07:08:09"},
      {{1999, 12, 5, 31, 23, 59, 59, 999}, L"1999-12-31 23:59:59"},
      {{2030, 1, 0, 1, 0, 0, 0, 0}, L"2030-01-01 00:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(App::FormatUpdateTime(c.time), c.text);
}

TEST(AnalyticsRecords, AnalyticsFolderFollowsAppDataOrTheCommonDocuments) {
  wchar_t saved[MAX_PATH] = L"";
  const DWORD length = GetEnvironmentVariableW(L"APPDATA", saved, MAX_PATH);
  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", L"C:\\users\\ada\\Roaming"));
  EXPECT_EQ(App::AnalyticsFolder(), L"C:\\users\\ada\\Roaming\\ZorViData\\Tessmark");

  ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", nullptr));
  wchar_t documents[MAX_PATH] = L"";
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, documents, CSIDL_COMMON_DOCUMENTS, FALSE));
  EXPECT_EQ(App::AnalyticsFolder(), std::wstring(documents) + L"\\ZorViData\\Tessmark");
  SetEnvironmentVariableW(L"APPDATA", length > 0 && length < MAX_PATH ? saved : nullptr);
}

TEST(AnalyticsRecords, OwnFileNameIsThisProgramsName) {
  EXPECT_EQ(App::OwnExecutableFileName(), L"app_model_tests.exe");
}

}  // namespace
