#include "app/install_folders.h"

#include <shlobj.h>
#include <shlwapi.h>

#include "engine/system/system_info.h"

namespace App {

const wchar_t kProductFolderName[] = L"Tessmark";

std::wstring JoinPath(const std::wstring& base, const std::wstring& component) {
  if (base.size() >= MAX_PATH || component.size() >= MAX_PATH) return std::wstring();
  wchar_t joined[MAX_PATH] = L"";
  if (::PathCombineW(joined, base.c_str(), component.c_str()) == nullptr) return std::wstring();
  return joined;
}

std::wstring ChooseDefaultInstallFolder(const DefaultFolderAnswers& answers) {
  if (!answers.earlierFolder.empty() && answers.earlierUninstallerExists) {
    return answers.earlierFolder;
  }
  std::wstring base;
  if (answers.adminAccount && answers.runAsAdmin && !answers.appData.empty()) {
    base = JoinPath(answers.appData, L"zorvi");
  } else {
    base = answers.programFiles;
  }
  return JoinPath(base, kProductFolderName);
}

std::wstring ReadEnvironmentPath(const wchar_t* name) {
  wchar_t value[MAX_PATH] = L"";
  const DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(value, length);
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (!::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return std::wstring();
  return path;
}

void QuerySystemFolderAnswers(DefaultFolderAnswers* answers) {
  std::wstring user;
  Utils::GetConsoleUserName(&user);
  answers->adminAccount = Utils::IsAdminAccount(user);
  answers->runAsAdmin = Utils::IsRunAsAdmin();
  answers->appData = ReadEnvironmentPath(L"APPDATA");
  answers->programFiles = SpecialFolder(CSIDL_PROGRAM_FILESX86);
  if (answers->programFiles.empty()) answers->programFiles = SpecialFolder(CSIDL_PROGRAM_FILES);
}

bool PathExists(const std::wstring& path) {
  return !path.empty() && ::PathFileExistsW(path.c_str()) != FALSE;
}

namespace {

// One spelling per folder: '\' separators and no trailing separator (a drive root keeps its
// own, "C:\"), so that the relative path between two spellings of one folder is ".".
std::wstring FolderKey(const std::wstring& path) {
  std::wstring key = path;
  for (wchar_t& ch : key) {
    if (ch == L'/') ch = L'\\';
  }
  while (key.size() > 1 && key.back() == L'\\' && !(key.size() == 3 && key[1] == L':')) {
    key.pop_back();
  }
  return key;
}

}  // namespace

bool IsSameFolder(const std::wstring& a, const std::wstring& b) {
  const std::wstring from = FolderKey(a);
  const std::wstring to = FolderKey(b);
  if (from.empty() || to.empty() || from.size() >= MAX_PATH || to.size() >= MAX_PATH) {
    return false;
  }
  wchar_t relative[MAX_PATH] = L"";
  if (!::PathRelativePathToW(relative, from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(),
                             FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  return std::wstring(relative) == L"." || std::wstring(relative) == L".\\";
}

}  // namespace App
