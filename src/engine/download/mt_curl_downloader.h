#pragma once
// The multi-part downloader: one header request for the final URL and the length of the package,
// then one or two byte ranges, each fetched on a thread of its own with its own libcurl easy handle
// and attempt budget. Every range is written at its own offset into one file, the first part file
// ("<file>_0"), so that the package is whole there once the ranges are, with no copy. The run then
// waits for the parts, renames that file to the destination, checks the MD5 digest that the final
// URL carries and reports with the download codes 1001 to 1006. Between runs each range is kept in
// a part file of its own ("<file>_0", "<file>_1"): a failed run that had shown progress leaves its
// ranges there, and the next run continues each range where its file ends.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/restartable_worker.h"
#include "base/stop_signal.h"
#include "base/thread.h"
#include "base/unique_resource.h"
#include "engine/download/curl_common.h"
#include "engine/download/downloader.h"
#include "engine/download/file_digest_follower.h"
#include "engine/download/md5.h"
#include "engine/status.h"

class CMTCurlDownloader : public CDownloader {
public:
  // One byte range of the package and what of it is on disk.
  struct DownloadPartNode {
    Utils::UniqueFileHandle file;  // the run file, open for writing at position while the part is pending
    int64_t position = 0;      // absolute offset of the next byte to write
    int64_t end = -1;          // absolute offset of the range's last byte (inclusive)
    UniqueCurl easy;           // kept across the part's attempts
    std::string realUrl;       // UTF-8 (ANSI for a file URL), as libcurl takes it
    std::wstring partPath;     // where the range is kept between runs
    std::wstring runPath;      // where the run assembles the package: the first part file
    int status = kPartPending; // 0 complete, -1 pending, -2 no run file, else libcurl's last result
    std::atomic<int64_t> bytesPresent{0};  // bytes of this range in the part file; read by progress

    int64_t start = 0;         // absolute offset of the range's first byte
    bool responseChecked = false;  // the current attempt's answer has been looked at
    // The parts are digested while they arrive, read back from the run file, so that the run
    // finds the MD5 state ready instead of reading the package again after the transfer: the
    // first part by a follower of its own attempt, the last one by the run's follower, which
    // starts from the state after the first part.
    std::mutex followerMutex;                // follower and stored between the part and the run
    FileDigestFollower* follower = nullptr;  // the follower the writes are announced to, if any
    // Bytes of the range (from its first byte on) that the system has taken: where the next
    // attempt continues and what a failed run keeps.
    int64_t stored = 0;
    bool digestReady = false;                // the first part file as it stands is in digestContext
    Utils::Md5Context digestContext{};
    // Last, so that it is joined before the handles and the file that the thread uses go away.
    std::unique_ptr<Utils::Thread> thread;
  };

  static constexpr int kPartPending = -1;
  static constexpr int kPartNoFile = -2;  // the run file could not be opened or positioned
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

  // The run, part threads and libcurl callbacks.
  static void Start_Down(void* downloader);
  static void downloadThreadFun(CMTCurlDownloader* downloader, DownloadPartNode* part);
  static int downloadExe(CMTCurlDownloader* downloader, DownloadPartNode* part);
  static void waitForFinishThreadFun(void* downloader);
  static size_t PartWriteCallback(char* data, size_t size, size_t count, void* part);
  static int OnProgress(void* downloader, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                        curl_off_t ulnow);

private:
  // The package's digest as the run takes it: through the parts in index order, the last part
  // followed while it still downloads.
  struct RunDigest {
    bool wanted = false;                // the final URL carries a digest
    bool complete = false;              // every part before the last one is in `state`
    Utils::Md5Context state{};
    Utils::Md5Context beforeLast{};     // `state` before the last part, to start over from
    std::unique_ptr<FileDigestFollower> lastFollower;
  };

  // Fills real URL, md5 and content length from a header request; true when a final URL and a
  // length of at least kMinimumLength bytes were found.
  bool getRealDownloadUrl(const std::string& url);
  // Makes the part nodes for the package's ranges and starts a thread for each pending one.
  void LaunchParts();
  // Waits for every part thread; digests the parts before the last as they end. The first failed
  // part's status, 0 when all succeeded.
  int WaitForParts(RunDigest* digest);
  // The end of a run whose parts did not all arrive: 1005 the first time, 1004 afterwards. The
  // part files stay for the next run when they hold progress.
  void EndWithFailedPart(int status);
  // The bytes a range kept from the run before: its part file, which the run file takes over
  // (the first part file is the run file). 0 when there is none or it cannot hold the range.
  int64_t TakeOverKeptBytes(const DownloadPartNode& part) const;
  // After a failed run: each range's bytes back into its own part file, so that the next run
  // continues each where its file ends. A range that cannot be kept starts over.
  void KeepPartsApart();
  // Digests the last part and renames the run file to the destination; false when it is not
  // exactly the package's length.
  bool PlacePackage(RunDigest* digest);
  // The digest verdict over the placed package and the run's last report.
  void Verify(RunDigest* digest);
  // Feeds the part's range of the run file to the digest; false when it cannot be read whole.
  bool HashPart(const DownloadPartNode& part, Utils::Md5Context* digest) const;
  // Continues `digest` with the part at `index`: from the follower's state when it has one,
  // else by reading the part file (see HashPart).
  bool DigestPart(size_t index, Utils::Md5Context* digest) const;
  // The last part's digest on top of the parts before it.
  bool DigestLastPart(RunDigest* digest) const;
  void FreeParts();
  bool HasProgress();

  std::vector<std::unique_ptr<DownloadPartNode>> parts_;
  DownloadReporter report_;
  std::wstring filePath_;  // the destination of the current run
  std::wstring url_;
  std::string realUrl_;
  int64_t contentLength_ = -1;
  std::string md5_;
  double lastPercentage_ = 0;  // while 0, the part files hold nothing worth keeping
  std::mutex mutex_;           // last progress second, last percentage
  int64_t lastProgressSecond_ = 0;
  bool retried_ = false;       // never reset: a second failure on this object ends with 1004
  long lowSpeedLimit_ = 1;
  long lowSpeedTime_ = 5;
  Utils::StopSignal stop_;     // the downloader is going away
  Utils::RestartableWorker worker_;  // last: its runs use every other member
};
