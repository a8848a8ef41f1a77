// Times the file digest that checks every downloaded package.
//   md5_bench.exe [file] [--size MiB] [--runs N]
// Without a file it writes a temporary one of the given size (512 MiB by default) and removes
// it afterwards. Prints the digest and, for the fastest run, seconds and MiB/s.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "engine/download/md5.h"
#include "base/unique_resource.h"

namespace {

bool WritePatternFile(const std::wstring& path, unsigned long long bytes) {
  Utils::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::vector<unsigned char> chunk(1 << 20);
  unsigned long long written = 0;
  unsigned seed = 12345;
  while (written < bytes) {
    for (size_t i = 0; i < chunk.size(); ++i) {
      seed = seed * 1103515245u + 12345u;
      chunk[i] = static_cast<unsigned char>(seed >> 16);
    }
    const DWORD n = static_cast<DWORD>(
        bytes - written < chunk.size() ? bytes - written : chunk.size());
    DWORD done = 0;
    if (!::WriteFile(file.get(), chunk.data(), n, &done, nullptr) || done != n) return false;
    written += n;
  }
  return true;
}

unsigned long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring path;
  unsigned long long mebibytes = 512;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--size" && i + 1 < argc) {
      mebibytes = std::wcstoull(argv[++i], nullptr, 10);
    } else if (arg == L"--runs" && i + 1 < argc) {
      runs = static_cast<int>(std::wcstol(argv[++i], nullptr, 10));
    } else {
      path = arg;
    }
  }
  if (runs < 1) runs = 1;

  bool temporary = false;
  if (path.empty()) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path = std::wstring(temp) + L"md5_bench_" + std::to_wstring(::GetCurrentProcessId()) + L".bin";
    std::fwprintf(stderr, L"writing %llu MiB to %ls\n", mebibytes, path.c_str());
    if (!WritePatternFile(path, mebibytes << 20)) {
      std::fwprintf(stderr, L"cannot write %ls\n", path.c_str());
      return 2;
    }
    temporary = true;
  }
  const unsigned long long bytes = FileSize(path);

  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  double best = 0.0;
  std::string digest;
  for (int run = 0; run < runs; ++run) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    digest = Utils::GetFileMd5(path);
    ::QueryPerformanceCounter(&end);
    const double seconds =
        static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (run == 0 || seconds < best) best = seconds;
  }
  if (temporary) ::DeleteFileW(path.c_str());
  if (digest.empty()) {
    std::fwprintf(stderr, L"cannot read %ls\n", path.c_str());
    return 1;
  }
  const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
  const std::wstring wideDigest(digest.begin(), digest.end());  // hexadecimal digits only
  std::wprintf(L"md5=%ls\n", wideDigest.c_str());
  std::wprintf(L"bytes=%llu seconds=%.3f MiB/s=%.1f\n", bytes, best, best > 0 ? mib / best : 0.0);
  return 0;
}
