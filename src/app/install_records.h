#pragma once
// What a successful (or started) installation leaves behind for later runs and for the
// product: two registry values, "set.ini" in the installation folder and the analytics file
// under the user's application data. Each write stands alone: one that fails skips only itself.
#include <windows.h>

#include <string>

namespace App {

// The product's program in its installation folder.
extern const wchar_t kProductExeName[];     // "tessmark.exe"
// The uninstaller entry file that an installation leaves in its folder.
extern const wchar_t kUninstallEntryName[]; // "uninst.ep"

// What the registry says about an earlier installation.
struct EarlierInstallation {
  std::wstring folder;            // InstallPath
  std::wstring uninstallerEntry;  // UnInstallEp, or folder + "\uninst.ep" when only the folder is known
};

// Reads InstallPath and UnInstallEp from the product key; missing values stay empty.
EarlierInstallation ReadEarlierInstallation();

// Writes InstallPath (the folder) and, when a file exists at the uninstaller entry, UnInstallEp.
// An empty entry becomes folder + "\uninst.ep" first (the caller keeps the completed entry).
void WriteInstallRegistry(const std::wstring& installFolder, std::wstring* uninstallerEntry);

// %APPDATA%\ZorViData\Tessmark; the common documents folder takes APPDATA's place when the
// variable cannot be read.
std::wstring AnalyticsFolder();

// "2024-03-05 07:08:09" (the analytics file's UpdateTime).
std::wstring FormatUpdateTime(const SYSTEMTIME& time);

// The records of an installation at its start and at its end: "set.ini" in the installation
// folder (APPStore = the installer's own file name, AppName, a new DeviceID and, when the
// analytics folder could be made, ZVSensorsAnalyticsIni), and the analytics file's UpdateTime.
struct AnalyticsInputs {
  std::wstring installFolder;
  std::wstring installerFileName;  // this program's file name with its extension
  std::wstring analyticsFolder;    // AnalyticsFolder() in the program
  SYSTEMTIME now = {};
};
void WriteAnalyticsRecords(const AnalyticsInputs& inputs);

// This program's own file name with its extension ("tessmark_installer.exe").
std::wstring OwnExecutableFileName();

// The product's start after installation: the start URL (when longer than 5 characters) in the
// browser, then the product's program when it exists, after the UI thread has served its
// messages for a moment. `window` is the window whose messages keep flowing meanwhile.
void LaunchProduct(HWND window, const std::wstring& startUrl, const std::wstring& exePath);

}  // namespace App
