#include "app/install_records.h"

#include <shellapi.h>
#include <shlobj.h>

#include <clocale>
#include <cwchar>

#include "app/install_folders.h"
#include "engine/system/file_utils.h"
#include "engine/system/registry.h"
#include "base/wait_utils.h"

namespace App {

const wchar_t kProductExeName[] = L"tessmark.exe";
const wchar_t kUninstallEntryName[] = L"uninst.ep";

namespace {

const wchar_t kInstallPathValue[] = L"InstallPath";
const wchar_t kUninstallEntryValue[] = L"UnInstallEp";

std::wstring ReadValue(const wchar_t* name) {
  std::wstring text;
  DWORD type = REG_NONE;
  if (!Utils::RegReadString(name, &type, &text)) return std::wstring();
  return text;
}

}  // namespace

EarlierInstallation ReadEarlierInstallation() {
  EarlierInstallation earlier;
  earlier.folder = ReadValue(kInstallPathValue);
  earlier.uninstallerEntry = ReadValue(kUninstallEntryValue);
  if (earlier.uninstallerEntry.empty() && !earlier.folder.empty()) {
    earlier.uninstallerEntry = earlier.folder + L"\\" + kUninstallEntryName;
  }
  return earlier;
}

void WriteInstallRegistry(const std::wstring& installFolder, std::wstring* uninstallerEntry) {
  // Stored with its terminating zero, like every string value of the product's key: a reader
  // that trusts the data size still gets a terminated string.
  Utils::RegWriteString(kInstallPathValue, installFolder);
  if (uninstallerEntry->empty()) *uninstallerEntry = installFolder + L"\\" + kUninstallEntryName;
  const DWORD attributes = ::GetFileAttributesW(uninstallerEntry->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Utils::RegWriteString(kUninstallEntryValue, *uninstallerEntry);
  }
}

std::wstring AnalyticsFolder() {
  std::wstring base = ReadEnvironmentPath(L"APPDATA");
  if (base.empty()) base = SpecialFolder(CSIDL_COMMON_DOCUMENTS);
  return JoinPath(JoinPath(base, L"ZorViData"), L"Tessmark");
}

std::wstring FormatUpdateTime(const SYSTEMTIME& time) {
  wchar_t text[128] = L"";
  std::swprintf(text, 128, L"%d-%02d-%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond);
  return text;
}

void WriteAnalyticsRecords(const AnalyticsInputs& inputs) {
  const std::wstring setIni = inputs.installFolder + L"\\set.ini";
  std::setlocale(LC_ALL, "en_GB.UTF-8");
  ::WritePrivateProfileStringW(L"Install", L"APPStore", inputs.installerFileName.c_str(),
                               setIni.c_str());
  ::WritePrivateProfileStringW(L"Install", L"AppName", kProductFolderName, setIni.c_str());
  ::WritePrivateProfileStringW(L"Install", L"DeviceID", Utils::NewGuidString().c_str(),
                               setIni.c_str());
  if (inputs.analyticsFolder.empty() || !Utils::CreateDirectoryRecursive(inputs.analyticsFolder)) {
    return;
  }
  const std::wstring analyticsIni = inputs.analyticsFolder + L"\\ZVSensorsAnalytics.ini";
  ::WritePrivateProfileStringW(L"Install", L"ZVSensorsAnalyticsIni", analyticsIni.c_str(),
                               setIni.c_str());
  ::WritePrivateProfileStringW(L"Init", L"UpdateTime", FormatUpdateTime(inputs.now).c_str(),
                               analyticsIni.c_str());
}

std::wstring OwnExecutableFileName() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  const std::wstring full(path, length);
  const size_t slash = full.find_last_of(L"\\/");
  return slash == std::wstring::npos ? full : full.substr(slash + 1);
}

void LaunchProduct(HWND window, const std::wstring& startUrl, const std::wstring& exePath) {
  if (startUrl.size() > 5) {
    ::ShellExecuteW(nullptr, L"open", startUrl.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
  }
  if (PathExists(exePath)) {
    Utils::PumpMessages(window);
    ::ShellExecuteW(nullptr, L"open", exePath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

}  // namespace App
