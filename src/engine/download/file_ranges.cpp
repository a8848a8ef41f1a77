#include "engine/download/file_ranges.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>

namespace {

// Ranges are copied only between runs (a few kept pieces), through a block the size of a read.
constexpr int64_t kCopyBlockSize = 1024 * 1024;

}  // namespace

Utils::UniqueFileHandle OpenSharedForWriting(const std::wstring& path) {
  return Utils::UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool SeekTo(HANDLE file, int64_t offset) {
  LARGE_INTEGER position;
  position.QuadPart = offset;
  return offset >= 0 && SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

bool CopyFileRange(const std::wstring& from, int64_t fromOffset, const std::wstring& to, int64_t toOffset,
                   int64_t length) {
  if (length < 0) return false;
  Utils::UniqueFileHandle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  Utils::UniqueFileHandle out = OpenSharedForWriting(to);
  if (!in || !out || !SeekTo(in.get(), fromOffset) || !SeekTo(out.get(), toOffset)) return false;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBlockSize]);
  if (!buffer) return false;
  for (int64_t left = length; left > 0;) {
    const DWORD want = static_cast<DWORD>(std::min(left, kCopyBlockSize));
    DWORD got = 0;
    // A source that ends early must not pass for a whole copy.
    if (!ReadFile(in.get(), buffer.get(), want, &got, nullptr) || got != want) return false;
    DWORD written = 0;
    if (!WriteFile(out.get(), buffer.get(), got, &written, nullptr) || written != got) return false;
    left -= got;
  }
  return true;
}

bool CutFile(const std::wstring& path, int64_t length) {
  Utils::UniqueFileHandle file = OpenSharedForWriting(path);
  return file && SeekTo(file.get(), length) && SetEndOfFile(file.get()) != 0;
}
