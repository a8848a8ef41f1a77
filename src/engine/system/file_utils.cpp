#include "engine/system/file_utils.h"

#include <objbase.h>

#include <cwchar>
#include <memory>
#include <new>

#include "base/string_utils.h"
#include "base/unique_resource.h"

namespace Utils {
namespace {

constexpr wchar_t kTempFolderName[] = L"~ZorViTemp.92482B06FB471E17\\";

enum class PathKind { Missing, Folder, File };

PathKind KindOf(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

// Makes one folder whose parent exists. A folder made meanwhile by someone else counts too.
bool EnsureFolder(const std::wstring& path) {
  switch (KindOf(path)) {
    case PathKind::Folder:
      return true;
    case PathKind::File:
      return false;
    case PathKind::Missing:
      break;
  }
  if (::CreateDirectoryW(path.c_str(), nullptr)) return true;
  return ::GetLastError() == ERROR_ALREADY_EXISTS && KindOf(path) == PathKind::Folder;
}

}  // namespace

int GetTempFolderPath(wchar_t* path) {
  if (path == nullptr) return 1;
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return 1;
  const std::wstring folder = std::wstring(temp, length) + kTempFolderName;
  if (folder.size() >= MAX_PATH) return 1;  // would not fit the caller's buffer
  if (!EnsureFolder(folder)) return 1;
  std::wmemcpy(path, folder.c_str(), folder.size() + 1);
  return 0;
}

std::wstring GetTempFolder() {
  wchar_t path[MAX_PATH] = {};
  if (GetTempFolderPath(path) != 0) return std::wstring();
  return path;
}

bool CreateDirectoryRecursive(const std::wstring& path) {
  if (path.empty() || path.size() > MAX_PATH) return false;
  for (size_t slash = path.find(L'\\'); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    if (!EnsureFolder(path.substr(0, slash + 1))) return false;
  }
  if (path.back() != L'\\' && !EnsureFolder(path)) return false;
  return true;
}

std::wstring NewGuidString() {
  GUID guid;
  if (FAILED(::CoCreateGuid(&guid))) return std::wstring();
  wchar_t text[40] = {};
  const int n = swprintf(text, sizeof(text) / sizeof(text[0]),
                         L"%08lX%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X",
                         static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3,
                         guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                         guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  if (n != 32) return std::wstring();
  return text;
}

}  // namespace Utils
