#pragma once
// The WinHTTP downloader: one plain GET of the download URL through WinHttpClient (up to three
// attempts, the user's proxy configuration) on a worker thread, the body written to the
// destination file. No header request, no ranges, no resume, no progress reports and no digest
// check: a run reports 1001 and then 1003 or 1004.
#include <atomic>
#include <string>

#include "engine/downloader.h"
#include "engine/status.h"
#include "engine/restartable_worker.h"

class WinHttpDownloader : public CDownloader {
public:
  WinHttpDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath);
  // Ends a running request at its next block, waits for the worker and sends nothing further.
  ~WinHttpDownloader() override;

  void Start(const std::wstring& filePath) override;

  // The run: body of the worker thread, with this downloader as parameter.
  static void ThreadProc(void* downloader);

private:
  void Report(int code, double progress, const wchar_t* text);

  StatusCallback callback_;
  std::wstring filePath_;  // the destination of the current run
  std::wstring url_;
  std::atomic<bool> stopping_{false};
  Utils::RestartableWorker worker_;
};
