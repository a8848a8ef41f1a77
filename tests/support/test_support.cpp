#include "test_support.h"

#include <windows.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdlib>
#include <vector>

#include "base/unique_resource.h"

namespace TestSupport {

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

std::wstring UnixToWinePath(const std::string& unixPath) {
  std::wstring out = L"Z:";
  for (wchar_t c : FromUtf8(unixPath)) out += (c == L'/') ? L'\\' : c;
  return out;
}

std::wstring TestDataDir() {
  const char* dir = std::getenv("TESSMARK_TEST_DATA");
  return dir ? UnixToWinePath(dir) : std::wstring();
}

std::wstring SiblingProgram(const std::wstring& fileName) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  PathRemoveFileSpecW(self);
  return std::wstring(self) + L"\\" + fileName;
}

ScratchDir::ScratchDir(const std::wstring& tag) {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  for (;;) {
    path_ = std::wstring(temp) + L"tm_" + tag + L"_" + std::to_wstring(GetCurrentProcessId()) +
            L"_" + std::to_wstring(counter++);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
}

ScratchDir::~ScratchDir() { RemoveTree(path_); }

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  Utils::UniqueFileHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  return ok;
}

bool ReadBytes(const std::wstring& path, std::string* bytes) {
  Utils::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bytes->clear();
  std::vector<char> buf(1 << 16);
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) && got > 0)
    bytes->append(buf.data(), got);
  return ok;
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveTree(const std::wstring& path) {
  DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return true;
  if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != 0;
  }
  WIN32_FIND_DATAW fd;
  Utils::UniqueFindHandle find(FindFirstFileW((path + L"\\*").c_str(), &fd));
  if (find) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      RemoveTree(path + L"\\" + name);
    } while (FindNextFileW(find.get(), &fd));
  }
  return RemoveDirectoryW(path.c_str()) != 0;
}

}  // namespace TestSupport
