// engine_driver --url URL --dir FOLDER [--type N] [--old-uninstaller PATH] [--installed FOLDER]
//               [--dsc true|false] [--ssc true|false] [--admin true|false] [--auth true|false]
//               [--lang CODE]
// Prints "STATUS <code> <progress> <text>" (text in UTF-8) for each report as it arrives and
// exits 0 when the run ended in 2003, 1 on any failure, 2 on a bad command line.
#include <windows.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "engine/download_installer.h"
#include "engine/system/installer_settings.h"
#include "engine/status.h"
#include "base/string_utils.h"
#include "base/unique_resource.h"

namespace {

void PrintUsage() {
  std::fputs(
      "usage: engine_driver --url URL --dir FOLDER [--type N] [--old-uninstaller PATH]"
      " [--installed FOLDER] [--dsc true|false] [--ssc true|false] [--admin true|false]"
      " [--auth true|false] [--lang CODE]\n",
      stdout);
  std::fflush(stdout);
}

struct RunState {
  std::mutex mutex;
  int finalCode = 0;
  Utils::UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::map<std::wstring, std::wstring> defaults = {
      {L"--url", L""},       {L"--dir", L""},   {L"--type", L"1"},   {L"--old-uninstaller", L""},
      {L"--installed", L""}, {L"--dsc", L"true"}, {L"--ssc", L"true"}, {L"--admin", L"false"},
      {L"--auth", L"true"},  {L"--lang", L""}};
  std::map<std::wstring, std::wstring> options = defaults;
  std::map<std::wstring, bool> given;
  for (int i = 1; i < argc; ++i) {
    const std::wstring key = argv[i];
    if (defaults.count(key) == 0 || i + 1 >= argc) {
      PrintUsage();
      return 2;
    }
    options[key] = argv[++i];
    given[key] = true;
  }
  if (!given[L"--url"] || !given[L"--dir"] || options[L"--url"].empty() ||
      options[L"--dir"].empty()) {
    PrintUsage();
    return 2;
  }
  int downloadType = 0;
  try {
    downloadType = std::stoi(options[L"--type"]);
  } catch (const std::exception&) {
    PrintUsage();
    return 2;
  }
  InstallerSettings::Instance().DownloadType = downloadType;
  auto flag = [&](const wchar_t* key) { return options[key] == L"true"; };

  RunState state;
  // Reports arrive on the workers' threads; the lock keeps each line whole.
  StatusCallback print = [&state](int code, double progress, const wchar_t* text) {
    std::lock_guard<std::mutex> lock(state.mutex);
    const std::string utf8 = Utils::ToString(text ? text : L"", CP_UTF8);
    std::printf("STATUS %d %.4f %s\n", code, progress, utf8.c_str());
    std::fflush(stdout);
    if (IsFinalStatus(code) && state.finalCode == 0) {
      state.finalCode = code;
      SetEvent(state.done.get());
    }
  };

  int exitCode = 1;
  {
    CDownloadInstaller engine(print, options[L"--url"], options[L"--old-uninstaller"],
                              options[L"--dir"], flag(L"--dsc"), flag(L"--ssc"), flag(L"--admin"));
    engine.SetOptions(options[L"--url"], options[L"--installed"], options[L"--old-uninstaller"],
                      options[L"--dir"], flag(L"--dsc"), flag(L"--ssc"), flag(L"--admin"),
                      flag(L"--auth"), options[L"--lang"]);
    engine.Start();
    WaitForSingleObject(state.done.get(), INFINITE);
    std::lock_guard<std::mutex> lock(state.mutex);
    exitCode = state.finalCode == IST_CODE_SUCCESS ? 0 : 1;
  }  // the engine joins its workers here: the package is gone before the program ends
  return exitCode;
}
