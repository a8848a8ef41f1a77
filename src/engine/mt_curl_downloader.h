#pragma once
// The multi-part downloader: one header request for the final URL and the length of the package,
// then one or two byte ranges, each fetched into a part file of its own ("<file>_0", "<file>_1")
// on a thread of its own with its own libcurl easy handle and attempt budget. A waiting thread
// joins the parts into the destination, checks the MD5 digest that the final URL carries and
// reports with the download codes 1001 to 1006. Part files survive a failed run that had shown
// progress, so the next run continues each range where its file ends.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/curl_client.h"
#include "engine/downloader.h"
#include "engine/file_digest_follower.h"
#include "engine/md5.h"
#include "engine/status.h"
#include "engine/thread.h"
#include "base/unique_resource.h"

class CMTCurlDownloader : public CDownloader {
public:
  // One byte range of the package and what of it is on disk.
  struct DownloadPartNode {
    UniqueCFile file;          // the part file, open for appending while the part is pending
    int64_t position = 0;      // absolute offset of the next byte to write
    int64_t end = -1;          // absolute offset of the range's last byte (inclusive)
    UniqueCurl easy;           // kept across the part's attempts
    std::string realUrl;       // UTF-8 (ANSI for a file URL), as libcurl takes it
    std::wstring partPath;
    int status = kPartPending; // 0 complete, -1 pending, -2 no part file, else libcurl's last result
    std::atomic<int64_t> bytesPresent{0};  // bytes of this range in the part file; read by progress

    int64_t start = 0;         // absolute offset of the range's first byte
    bool responseChecked = false;  // the current attempt's answer has been looked at
    // The parts are digested while they arrive, read back from their files, so that the waiter
    // finds the MD5 state ready instead of reading the package again after the transfer: the
    // first part by a follower of its own attempt, the last one by the waiter's follower, which
    // starts from the state after the first part.
    std::mutex followerMutex;                // follower and stored between the part and the waiter
    FileDigestFollower* follower = nullptr;  // the follower the writes are announced to, if any
    int64_t stored = 0;                      // bytes of the part file handed to the system
    bool digestReady = false;                // the first part file as it stands is in digestContext
    Utils::Md5Context digestContext{};
    // Last, so that it is joined before the handles and the file that the thread uses go away.
    std::unique_ptr<Utils::Thread> thread;
  };

  static constexpr int kPartPending = -1;
  static constexpr int kPartFileError = -2;
  // A package is fetched in two parts from twice this size on, never in more than two.
  static constexpr int64_t kPartThreshold = 10 * 1024 * 1024;
  static constexpr int kMaxParts = 2;
  // The header answer must announce at least this many bytes.
  static constexpr int64_t kMinimumLength = 256;
  // Per part: a partial-file failure costs 1, any other failure 2.
  static constexpr int kAttemptBudget = 12;
  static constexpr unsigned kRetryPauseMs = 400;
  static constexpr unsigned kPartStartGapMs = 100;

  // Deletes the destination and both part files: every downloader object begins from nothing.
  CMTCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath);
  // Stops the parts that still run, waits for every thread of the run, sends nothing further and
  // deletes the part files (nothing can continue them once the downloader is gone).
  ~CMTCurlDownloader() override;

  void Start(const std::wstring& filePath) override;

  // Low-speed abort of every part transfer (default 1 byte per second for 5 seconds). Call
  // before Start.
  void SetLowSpeedAbort(long bytesPerSecond, long seconds);

  // The byte ranges (first, last; inclusive) for a package of `length` bytes: one range below
  // twice the threshold, else two; the remainder of the split goes to the last range.
  static std::vector<std::pair<int64_t, int64_t>> PartRanges(int64_t length);
  // "<file>_<index>".
  static std::wstring GetPartPath(const std::wstring& filePath, int index);
  static void DeletePartFiles(const std::wstring& filePath);

  // Thread bodies and libcurl callbacks.
  static void Start_Down(void* downloader);
  static void downloadThreadFun(CMTCurlDownloader* downloader, DownloadPartNode* part);
  static int downloadExe(CMTCurlDownloader* downloader, DownloadPartNode* part);
  static void waitForFinishThreadFun(void* downloader);
  static size_t PartWriteCallback(char* data, size_t size, size_t count, void* part);
  static int OnProgress(void* downloader, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                        curl_off_t ulnow);

private:
  // Fills real URL, md5 and content length from a header request; true when a final URL and a
  // length of at least kMinimumLength bytes were found.
  bool getRealDownloadUrl(const std::string& url);
  // Feeds the part file to the digest; false when it cannot be read whole or does not hold
  // exactly its range.
  bool HashPart(const DownloadPartNode& part, Utils::Md5Context* digest) const;
  // Continues `digest` with the part at `index`: from the follower's state when it has one,
  // else by reading the part file (see HashPart).
  bool DigestPart(size_t index, Utils::Md5Context* digest) const;
  void FreeParts();
  void Report(int code, double progress, const wchar_t* text);
  bool Stopping() const { return stopping_; }
  // Waits `ms` unless the downloader is going away; false when it is.
  bool Pause(unsigned ms) const;

  std::vector<std::unique_ptr<DownloadPartNode>> parts_;
  StatusCallback callback_;
  std::wstring filePath_;  // the destination of the current run
  std::wstring url_;
  std::string realUrl_;
  int64_t contentLength_ = -1;
  std::string md5_;
  double lastPercentage_ = 0;  // while 0, the part files hold nothing worth keeping
  std::mutex mutex_;           // last progress second, last percentage, retried
  int64_t lastProgressSecond_ = 0;
  bool retried_ = false;       // never reset: a second failure on this object ends with 1004
  long lowSpeedLimit_ = 1;
  long lowSpeedTime_ = 5;

  // The threads of a run: the worker splits and launches, one thread per pending part (owned by
  // its node), the waiter waits for the parts, joins their files and reports. A run started from
  // inside a report of the previous one keeps the reporting thread in `retired_`, and the new
  // worker waits for it first.
  std::unique_ptr<Utils::Thread> worker_;
  std::unique_ptr<Utils::Thread> waiter_;
  std::vector<std::unique_ptr<Utils::Thread>> retired_;
  std::mutex workerMutex_;     // worker_, waiter_, retired_ between Start callers and the worker
  std::atomic<bool> stopping_{false};
  UniqueHandle stopEvent_;     // wakes the pauses when the downloader goes away
};
