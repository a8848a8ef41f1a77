#pragma once
// The one interface through which the orchestrator creates, starts and deletes a downloader
// without knowing which kind it holds, and what every kind shares: how it reports. Each kind
// (CCurlDownloader, CMTCurlDownloader, WinHttpDownloader) is constructed from (StatusCallback,
// URL, destination file path), keeps its own copies of the three and reports every outcome
// through the callback with the download codes 1001 to 1006.
#include <string>

#include "engine/status.h"

class CDownloader {
public:
  virtual ~CDownloader() = default;

  // Begins one asynchronous download run into `filePath` on the downloader's own worker thread
  // and returns at once. The path is taken anew by every run: a run after the user chose another
  // folder downloads into the new folder, not into the one the downloader was made with. Start
  // may be called again on the same object, from any thread, including from inside a report of
  // the run before (the orchestrator restarts on 1005 from its handler).
  virtual void Start(const std::wstring& filePath) = 0;

protected:
  CDownloader() = default;
  CDownloader(const CDownloader&) = delete;
  CDownloader& operator=(const CDownloader&) = delete;
};

// How a downloader reports: the callback with the code, the progress and a text that is never
// null.
class DownloadReporter {
public:
  explicit DownloadReporter(StatusCallback callback) : callback_(std::move(callback)) {}
  void operator()(int code, double progress, const wchar_t* text = L"") const {
    if (callback_) callback_(code, progress, text != nullptr ? text : L"");
  }

private:
  StatusCallback callback_;
};
