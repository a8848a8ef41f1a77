// download_bench.exe [--size-mib N] [--rounds N] [--folder DIR] [--cap-mibs N] [--capped-rounds N]
// Serves one package file of N MiB (default 512) from the package server on 127.0.0.1 and fetches
// it in turns with a bare libcurl transfer (write callback straight into a file; once with
// libcurl's default receive buffer, once with the downloader's), with CCurlDownloader (header
// request, part file, rename and the MD5 check), with CMTCurlDownloader (header request, two
// ranged parts in parallel into one file, the rename and the MD5 check) and with WinHttpDownloader (one
// plain GET through WinHTTP, no digest). Prints the throughput of each round, the best of each and
// their ratios. Then the two libcurl downloaders once more against a server that caps each
// connection's rate (--cap-mibs MiB/s, default 40; 0 leaves this out): the link where one
// connection is slow, for which the multi-part downloader's two ranges exist.
#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/download/curl_client.h"
#include "engine/download/curl_downloader.h"
#include "engine/download/downloader_factory.h"
#include "engine/download/md5.h"
#include "package_server.h"

namespace {

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t;
}

bool MakePackage(const std::wstring& path, uint64_t size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
      ((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) == size)
    return true;  // made by an earlier run
  Utils::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::vector<uint32_t> block((1 << 20) / sizeof(uint32_t));
  uint32_t x = 2463534242u;
  for (uint64_t written = 0; written < size;) {
    for (uint32_t& word : block) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      word = x;
    }
    DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(size - written, block.size() * sizeof(uint32_t)));
    DWORD done = 0;
    if (!WriteFile(file.get(), block.data(), chunk, &done, nullptr) || done != chunk) return false;
    written += done;
  }
  return true;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

// The bare transfer: one easy handle, one GET, the body written with fwrite as it arrives; with
// libcurl's default receive buffer, or with the given one.
double BareCurl(const std::string& url, const std::wstring& target, long receiveBuffer) {
  UniqueCurl curl(curl_easy_init());
  Utils::UniqueCFile file(_wfopen(target.c_str(), L"wb"));
  if (!curl || !file) return -1;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  if (receiveBuffer) curl_easy_setopt(curl.get(), CURLOPT_BUFFERSIZE, receiveBuffer);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &WriteToFile);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, file.get());
  curl_easy_setopt(curl.get(), CURLOPT_FAILONERROR, 1L);
  LARGE_INTEGER start = Now();
  CURLcode result = curl_easy_perform(curl.get());
  bool closed = fclose(file.release()) == 0;
  LARGE_INTEGER end = Now();
  return result == CURLE_OK && closed ? Seconds(start, end) : -1;
}

// One run of the downloader that the DownloadType setting `type` selects (1 single, 2 WinHTTP,
// 3 multi-part).
double Downloader(int type, const std::wstring& url, const std::wstring& target, int* lastCode) {
  std::mutex mutex;
  std::condition_variable done;
  int code = 0;
  std::unique_ptr<CDownloader> downloader = MakeDownloader(
      type,
      [&](int reported, double, const wchar_t*) {
        if (reported != DL_CODE_SUCCESS && reported != DL_CODE_FAIL && reported != DL_CODE_RETRY) return;
        std::lock_guard<std::mutex> lock(mutex);
        code = reported;
        done.notify_all();
      },
      url, target);
  LARGE_INTEGER start = Now();
  downloader->Start(target);
  std::unique_lock<std::mutex> lock(mutex);
  done.wait(lock, [&] { return code != 0; });
  LARGE_INTEGER end = Now();
  *lastCode = code;
  return code == DL_CODE_SUCCESS ? Seconds(start, end) : -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  unsigned long sizeMib = 512, rounds = 3, capMibs = 40, cappedRounds = 1;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"tessmark_download_bench";
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring name = argv[i];
    if (name == L"--size-mib") sizeMib = std::wcstoul(argv[i + 1], nullptr, 10);
    else if (name == L"--rounds") rounds = std::wcstoul(argv[i + 1], nullptr, 10);
    else if (name == L"--folder") folder = argv[i + 1];
    else if (name == L"--cap-mibs") capMibs = std::wcstoul(argv[i + 1], nullptr, 10);
    else if (name == L"--capped-rounds") cappedRounds = std::wcstoul(argv[i + 1], nullptr, 10);
  }
  if (sizeMib < 2 || rounds < 1) {
    std::fprintf(stderr, "usage: download_bench [--size-mib N>=2] [--rounds N] [--folder DIR]\n");
    return 2;
  }
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring source = folder + L"\\package.bin";
  const std::wstring target = folder + L"\\received.bin";
  const double megabytes = static_cast<double>(sizeMib);
  if (!MakePackage(source, static_cast<uint64_t>(sizeMib) << 20)) {
    std::fprintf(stderr, "cannot write the package file\n");
    return 1;
  }
  EnsureCurlGlobalInit();
  PackageServer::Server server;
  const std::string path = server.AddPackageFile("package.bin", source);
  if (path.empty() || !server.Start()) {
    std::fprintf(stderr, "cannot serve the package\n");
    return 1;
  }
  const std::string url = server.Url(path);
  std::printf("package: %lu MiB at %s\n", sizeMib, url.c_str());

  // Rounds alternate the fetches so that the page cache and the server warm up alike.
  constexpr long kTunedBuffer = 512 * 1024;  // the receive buffer CurlClient asks for
  double bestBare = 1e30, bestTuned = 1e30, bestDownloader = 1e30, bestMultiPart = 1e30, bestWinHttp = 1e30;
  double bestDigest = 1e30;
  for (unsigned long round = 1; round <= rounds; ++round) {
    double bare = BareCurl(url, target, 0);
    DeleteFileW(target.c_str());
    double tuned = BareCurl(url, target, kTunedBuffer);
    DeleteFileW(target.c_str());
    const std::wstring wideUrl(url.begin(), url.end());
    int code = 0;
    double downloader = Downloader(1, wideUrl, target, &code);
    LARGE_INTEGER digestStart = Now();
    Utils::GetFileMd5(target);
    double digestSeconds = Seconds(digestStart, Now());
    DeleteFileW(target.c_str());
    if (bare < 0 || tuned < 0 || downloader < 0) {
      std::fprintf(stderr, "round %lu failed (downloader's last code %d)\n", round, code);
      return 1;
    }
    double multiPart = Downloader(3, wideUrl, target, &code);
    DeleteFileW(target.c_str());
    if (multiPart < 0) {
      std::fprintf(stderr, "round %lu failed (CMTCurlDownloader's last code %d)\n", round, code);
      return 1;
    }
    double winHttp = Downloader(2, wideUrl, target, &code);
    DeleteFileW(target.c_str());
    if (winHttp < 0) {
      std::fprintf(stderr, "round %lu failed (WinHttpDownloader's last code %d)\n", round, code);
      return 1;
    }
    std::printf("round %lu: bare libcurl %.1f MiB/s (%.2f s); bare libcurl, 512 KiB buffer %.1f MiB/s (%.2f s); "
                "CCurlDownloader %.1f MiB/s (%.2f s; a digest pass alone takes %.2f s)\n",
                round, megabytes / bare, bare, megabytes / tuned, tuned, megabytes / downloader, downloader,
                digestSeconds);
    std::printf("round %lu: CMTCurlDownloader %.1f MiB/s (%.2f s); WinHttpDownloader %.1f MiB/s (%.2f s)\n", round,
                megabytes / multiPart, multiPart, megabytes / winHttp, winHttp);
    bestMultiPart = std::min(bestMultiPart, multiPart);
    bestDigest = std::min(bestDigest, digestSeconds);
    bestWinHttp = std::min(bestWinHttp, winHttp);
    bestBare = std::min(bestBare, bare);
    bestTuned = std::min(bestTuned, tuned);
    bestDownloader = std::min(bestDownloader, downloader);
  }
  std::printf("best: bare libcurl %.1f MiB/s, CCurlDownloader %.1f MiB/s, ratio %.3f (goal >= 0.95)\n",
              megabytes / bestBare, megabytes / bestDownloader, bestBare / bestDownloader);
  std::printf("against a bare transfer with the same 512 KiB buffer (%.1f MiB/s): ratio %.3f (goal >= 0.95; the "
              "digest is read back while the file is written)\n",
              megabytes / bestTuned, bestTuned / bestDownloader);
  std::printf("best: CMTCurlDownloader %.1f MiB/s, ratio to CCurlDownloader %.3f (goal >= 0.95)\n",
              megabytes / bestMultiPart, bestDownloader / bestMultiPart);
  std::printf("best: WinHttpDownloader %.1f MiB/s, ratio to bare libcurl %.3f (goal >= 0.8; it checks no digest)\n",
              megabytes / bestWinHttp, bestBare / bestWinHttp);
  std::fflush(stdout);

  if (capMibs == 0 || cappedRounds == 0) return 0;
  // Each connection paced at the cap: one connection is the bottleneck, not the digest.
  server.SetFault({PackageServer::FaultKind::kSlowRate, static_cast<uint64_t>(capMibs) << 20, "GET"});
  const std::wstring wideUrl(url.begin(), url.end());
  double cappedSingle = 1e30, cappedMultiPart = 1e30;
  for (unsigned long round = 1; round <= cappedRounds; ++round) {
    int code = 0;
    const double single = Downloader(1, wideUrl, target, &code);
    DeleteFileW(target.c_str());
    const double multiPart = Downloader(3, wideUrl, target, &code);
    DeleteFileW(target.c_str());
    if (single < 0 || multiPart < 0) {
      std::fprintf(stderr, "capped round %lu failed (last code %d)\n", round, code);
      return 1;
    }
    std::printf("capped round %lu (%lu MiB/s per connection): CCurlDownloader %.1f MiB/s (%.2f s); "
                "CMTCurlDownloader %.1f MiB/s (%.2f s)\n",
                round, capMibs, megabytes / single, single, megabytes / multiPart, multiPart);
    cappedSingle = std::min(cappedSingle, single);
    cappedMultiPart = std::min(cappedMultiPart, multiPart);
  }
  std::printf("capped at %lu MiB/s per connection: CMTCurlDownloader %.1f MiB/s, ratio to CCurlDownloader %.3f "
              "(goal >= 1.8)\n",
              capMibs, megabytes / cappedMultiPart, cappedSingle / cappedMultiPart);
  // The MD5 runs through the package in order: the second range can be digested only once the
  // first is in, and both arrive together, so half a digest pass follows the transfer.
  const double floor = megabytes / 2 / static_cast<double>(capMibs) + bestDigest / 2;
  std::printf("two ranges cannot beat %.2f s (half the package at the cap, then half a digest pass): ratio "
              "%.3f at most\n",
              floor, cappedSingle / floor);
  std::fflush(stdout);
  return 0;
}
