#include "engine/system/installer_settings.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cwchar>
#include <utility>
#include <vector>

#include "base/string_utils.h"
#include "engine/system/system_info.h"
#include "base/unique_resource.h"

namespace {

enum class Number { Ok, NotANumber, OutOfRange };

// The standard text-to-number conversions' rules (leading white space, optional sign, as many
// characters as make a number), with "too large" told apart instead of thrown.
Number ParseInt(const std::wstring& text, int* value) {
  const wchar_t* begin = text.c_str();
  wchar_t* end = nullptr;
  errno = 0;
  const long long parsed = std::wcstoll(begin, &end, 10);
  if (end == begin) return Number::NotANumber;
  if (errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return Number::OutOfRange;
  *value = static_cast<int>(parsed);
  return Number::Ok;
}

Number ParseDouble(const std::wstring& text, double* value) {
  const wchar_t* begin = text.c_str();
  wchar_t* end = nullptr;
  errno = 0;
  const double parsed = std::wcstod(begin, &end);
  if (end == begin) return Number::NotANumber;
  // "nan" and "inf" parse, but no share of a progress bar is sound with them.
  if (errno == ERANGE || !std::isfinite(parsed)) return Number::OutOfRange;
  *value = parsed;
  return Number::Ok;
}

struct LocalFreeTraits {
  using pointer = LPWSTR*;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer p) noexcept { ::LocalFree(p); }
};

constexpr wchar_t kSection[] = L"Install";

// The whole value, however long (a fixed buffer would cut a long URL silently).
std::wstring ReadProfileString(const wchar_t* key, const wchar_t* fallback,
                               const std::wstring& iniPath) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD got = ::GetPrivateProfileStringW(kSection, key, fallback, buffer.data(),
                                                 static_cast<DWORD>(buffer.size()),
                                                 iniPath.c_str());
    if (got + 1 < buffer.size() || buffer.size() >= (1u << 24)) {
      return std::wstring(buffer.data(), got);
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

}  // namespace

CommandLineOptions CommandLineOptions::Parse(const std::wstring& commandLine) {
  CommandLineOptions options;
  int count = 0;
  Utils::UniqueResource<LocalFreeTraits> args(::CommandLineToArgvW(commandLine.c_str(), &count));
  if (!args) return options;
  for (int i = 0; i < count; ++i) {
    const std::wstring token = args.get()[i];
    const size_t equals = token.find(L'=');
    if (!token.empty() && token[0] == L'-' && equals != std::wstring::npos) {
      options.Insert(token.substr(0, equals), token.substr(equals + 1));
    } else {
      options.Insert(token, std::wstring());
    }
  }
  return options;
}

void CommandLineOptions::Insert(const std::wstring& key, const std::wstring& value) {
  options_.emplace(key, value);  // keeps the value already present
}

bool CommandLineOptions::Has(const std::wstring& key) const {
  return options_.find(key) != options_.end();
}

std::wstring CommandLineOptions::GetString(const std::wstring& key) const {
  const auto it = options_.find(key);
  return it != options_.end() ? it->second : std::wstring();
}

int CommandLineOptions::GetInt(const std::wstring& key, int tooLarge) const {
  const auto it = options_.find(key);
  if (it == options_.end()) return 0;
  int value = 0;
  switch (ParseInt(it->second, &value)) {
    case Number::Ok:
      return value;
    case Number::NotANumber:
      return 0;
    case Number::OutOfRange:
      break;
  }
  return tooLarge;
}

bool CommandLineOptions::GetBool(const std::wstring& key) const {
  const auto it = options_.find(key);
  return it != options_.end() && it->second == L"true";
}

double CommandLineOptions::GetDouble(const std::wstring& key, double fallback) const {
  const auto it = options_.find(key);
  if (it == options_.end()) return fallback;
  double value = 0.0;
  return ParseDouble(it->second, &value) == Number::Ok ? value : fallback;
}

const wchar_t InstallerSettings::kBuiltInDownloadUrl[] =
    L"http://download.zorvisoft.com/software/641";
const wchar_t InstallerSettings::kConfigFileName[] = L"ZorviInstallerConfig.ini";

namespace {

std::wstring RunningOsName() {
  std::wstring versionName;
  Utils::GetOsName(nullptr, &versionName);
  return versionName;
}

}  // namespace

InstallerSettings::InstallerSettings() : InstallerSettings(RunningOsName()) {}

InstallerSettings::InstallerSettings(std::wstring osName) : osName_(std::move(osName)) {
  SetDownloadUrl(kBuiltInDownloadUrl);
}

InstallerSettings& InstallerSettings::Instance() {
  static InstallerSettings settings = [] {
    InstallerSettings loaded;
    loaded.LoadConfigIni();
    return loaded;
  }();
  return settings;
}

namespace {
// Defaults and the settings file are in place before the entry function runs.
[[maybe_unused]] const bool g_settingsLoaded = (InstallerSettings::Instance(), true);
}  // namespace

std::wstring InstallerSettings::RouteWord(const std::wstring& osName) {
  return osName.find(L"XP") != std::wstring::npos ? L"download_silent_xp" : L"download_silent";
}

std::wstring InstallerSettings::ExpandRoute(const std::wstring& url, const std::wstring& osName) {
  return Utils::ReplaceAll(url, L"${ROUTE}", RouteWord(osName));
}

std::wstring InstallerSettings::ExpandRoute(const std::wstring& url) const {
  return ExpandRoute(url, osName_);
}

void InstallerSettings::SetDownloadUrl(const std::wstring& url) { DownloadUrl = ExpandRoute(url); }

std::wstring InstallerSettings::DefaultConfigIniPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD got = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (got == 0) return std::wstring();
    if (got < path.size()) break;
    if (path.size() >= 32768) return std::wstring();
    path.assign(path.size() * 2, L'\0');
  }
  ::PathRemoveFileSpecW(path.data());
  return std::wstring(path.data()) + L"\\" + kConfigFileName;
}

void InstallerSettings::LoadConfigIni() {
  const std::wstring path = DefaultConfigIniPath();
  if (!path.empty()) LoadConfigIni(path);
}

void InstallerSettings::LoadConfigIni(const std::wstring& iniPath) {
  if (iniPath.empty() || !::PathFileExistsW(iniPath.c_str())) return;
  SetDownloadUrl(ReadProfileString(L"DownloadUrl", kBuiltInDownloadUrl, iniPath));
  DownloadType = static_cast<int>(
      ::GetPrivateProfileIntW(kSection, L"DownloadType", DOWNLOAD_TYPE_SINGLE_CURL, iniPath.c_str()));
  IsCheckNet = ReadProfileString(L"IsCheckNet", L"true", iniPath) == L"true";
  double scale = 0.0;
  switch (ParseDouble(ReadProfileString(L"DownloadScale", L"0.7", iniPath), &scale)) {
    case Number::Ok:
      DownloadScale = scale;
      break;
    case Number::NotANumber:
      DownloadScale = 0.0;
      break;
    case Number::OutOfRange:
      break;  // too large (or not finite) for a share: the default stands
  }
  InstCmd = ReadProfileString(L"InstCmd", L"", iniPath);
}

void ApplyCommandLineOptions(const CommandLineOptions& options, InstallerSettings* settings) {
  if (settings == nullptr) return;
  if (options.Has(L"-downloadurl")) settings->SetDownloadUrl(options.GetString(L"-downloadurl"));
  if (options.Has(L"-downloadtype")) {
    settings->DownloadType = options.GetInt(L"-downloadtype", settings->DownloadType);
  }
  if (options.Has(L"-downloadscale")) {
    settings->DownloadScale = options.GetDouble(L"-downloadscale", settings->DownloadScale);
  }
  if (options.Has(L"-ischecknet")) settings->IsCheckNet = options.GetBool(L"-ischecknet");
  if (options.Has(L"-instcmd")) settings->InstCmd = options.GetString(L"-instcmd");
  if (options.Has(L"-language")) {
    settings->LanguageIndex = options.GetInt(L"-language", settings->LanguageIndex);
  }
  if (options.Has(L"-insnew")) settings->Reinstall = options.GetBool(L"-insnew");
}

void ApplyCommandLineOptions() {
  ApplyCommandLineOptions(CommandLineOptions::Parse(::GetCommandLineW()),
                          &InstallerSettings::Instance());
}
