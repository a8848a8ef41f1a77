#pragma once
// The WinHTTP downloader: one plain GET of the download URL through WinHttpClient (up to three
// attempts, the user's proxy configuration) on a worker thread, the body written to the
// destination file. No header request, no ranges, no resume, no progress reports and no digest
// check: a run reports 1001 and then 1003 or 1004.
#include <string>

#include "base/restartable_worker.h"
#include "base/stop_signal.h"
#include "engine/download/downloader.h"
#include "engine/status.h"

class WinHttpDownloader : public CDownloader {
public:
  WinHttpDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath);
  // Ends a running request at its next block, waits for the worker and sends nothing further.
  ~WinHttpDownloader() override;

  void Start(const std::wstring& filePath) override;

  // The run: body of the worker thread, with this downloader as parameter.
  static void ThreadProc(void* downloader);

private:
  DownloadReporter report_;
  std::wstring filePath_;  // the destination of the current run
  std::wstring url_;
  Utils::StopSignal stop_;  // the downloader is going away
  Utils::RestartableWorker worker_;
};
