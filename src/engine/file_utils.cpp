#include "engine/file_utils.h"

#include <objbase.h>

#include <cwchar>
#include <memory>
#include <new>

#include "engine/md5.h"
#include "engine/string_utils.h"
#include "base/unique_resource.h"

namespace Utils {
namespace {

constexpr wchar_t kTempFolderName[] = L"~ZorViTemp.92482B06FB471E17\\";

// Large reads keep the system calls few; the digest consumes them 64 bytes at a time.
constexpr DWORD kMd5ReadSize = 1024 * 1024;

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

std::string GetFileMd5(const std::wstring& path) {
  if (path.empty()) return std::string();
  UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::string();
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kMd5ReadSize]);
  if (!buffer) return std::string();
  Md5Context context;
  Md5Init(&context);
  for (;;) {
    DWORD got = 0;
    // A failed read must not pass for the end of the file: the digest of part of a file would
    // be reported as the file's.
    if (!::ReadFile(file.get(), buffer.get(), kMd5ReadSize, &got, nullptr)) return std::string();
    if (got == 0) break;
    Md5Update(&context, buffer.get(), got);
  }
  unsigned char digest[16];
  Md5Final(&context, digest);
  return Md5Hex(digest);
}

std::string GetFileMd5(const std::string& path) {
  if (path.empty()) return std::string();
  const std::wstring wide = ToWString(path, CP_ACP);
  if (wide.empty()) return std::string();
  return GetFileMd5(wide);
}

std::string GetUrlLastDir(const std::string& url) {
  const size_t last = url.rfind('/');
  if (last == std::string::npos || last == 0) return std::string();
  const size_t before = url.rfind('/', last - 1);
  if (before == std::string::npos) return std::string();
  return url.substr(before + 1, last - before - 1);
}

}  // namespace Utils
