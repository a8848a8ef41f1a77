#pragma once
// Where the product goes: the default installation folder and the comparisons of folder names
// that the main window makes. The choice itself is a pure function of its answers, so that every
// combination can be checked; the system queries that feed it are separate.
#include <windows.h>

#include <string>

namespace App {

// The product's folder name below the base folder.
extern const wchar_t kProductFolderName[];  // "Tessmark"

// The answers that decide the default folder.
struct DefaultFolderAnswers {
  std::wstring earlierFolder;             // InstallPath of an earlier installation, or empty
  bool earlierUninstallerExists = false;  // its uninstaller entry exists as a file
  bool adminAccount = false;              // the console user's account is an administrator
  bool runAsAdmin = false;                // this process runs with administrator rights
  std::wstring appData;                   // %APPDATA%, empty when it cannot be read
  std::wstring programFiles;              // the programs folder of this system
};

// The earlier folder when its uninstaller entry exists; otherwise %APPDATA%\zorvi\Tessmark for an
// elevated administrator with a readable APPDATA, else <programs folder>\Tessmark.
std::wstring ChooseDefaultInstallFolder(const DefaultFolderAnswers& answers);

// The system's answers: the administrator questions about the console user and this process,
// %APPDATA% and the programs folder. The earlier-installation fields are the caller's.
void QuerySystemFolderAnswers(DefaultFolderAnswers* answers);

// base + "\" + component, as the system joins paths (at most MAX_PATH characters); the empty
// string when the result would not fit.
std::wstring JoinPath(const std::wstring& base, const std::wstring& component);

// True when both name the same folder: letter case, '/' against '\' and trailing separators do
// not matter ("C:\a\Tessmark" and "c:\a\Tessmark\" are one folder). Empty names match nothing.
bool IsSameFolder(const std::wstring& a, const std::wstring& b);

// The value of an environment variable of at most MAX_PATH characters; empty when it is unset
// or longer.
std::wstring ReadEnvironmentPath(const wchar_t* name);

// A special folder (CSIDL_*), empty when the system has none.
std::wstring SpecialFolder(int csidl);

// True when a file or folder exists at the path.
bool PathExists(const std::wstring& path);

}  // namespace App
