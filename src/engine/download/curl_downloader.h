#pragma once
// The single resumable downloader: one CurlClient transfer on a worker thread, failed attempts
// repeated within a budget while the part file keeps what was received, the finished file's MD5
// digest (taken by the client while the file was written, or read afresh when that one is not
// certain) checked against the digest segment of the final URL, and every step reported with the
// download codes 1001 to 1006.
#include <cstdint>
#include <string>

#include "base/restartable_worker.h"
#include "base/stop_signal.h"
#include "engine/download/curl_client.h"
#include "engine/download/downloader.h"
#include "engine/status.h"

class CCurlDownloader : public CDownloader {
public:
  // Deletes a part file left at `filePath` by an earlier process: every downloader object begins
  // without one; resumption works between the attempts and runs of one object.
  CCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath);
  // Stops a running transfer, waits for the worker and sends nothing further.
  ~CCurlDownloader() override;

  void Start(const std::wstring& filePath) override;

  // Low-speed abort of every request (see CurlClient::SetLowSpeedLimit). Call before Start.
  void SetLowSpeedAbort(long bytesPerSecond, long seconds);

  // The run: body of the worker thread, with this downloader as parameter.
  static void dlThreadFun(void* downloader);
  // The client's progress sink: 1002 while the transfer moves.
  void OnProgress(double speed, double percentage);

  // Attempt budget: a partial-file failure costs 1, any other failure 2.
  static constexpr int kAttemptBudget = 12;
  static constexpr DWORD kRetryPauseMs = 500;

private:
  // The file's digest check and the final report.
  void Verify();

  DownloadReporter report_;
  std::wstring filePath_;  // the destination of the current run
  std::wstring url_;
  CurlClient client_;
  bool digestRetried_ = false;  // never reset: a second mismatch on this object fails the download
  Utils::StopSignal stop_;      // the downloader is going away
  Utils::RestartableWorker worker_;
};
