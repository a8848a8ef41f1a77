#include "engine/winhttp_downloader.h"

#include <windows.h>

#include <utility>

#include "engine/log.h"
#include "engine/winhttp_client.h"

WinHttpDownloader::WinHttpDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath)
    : callback_(std::move(callback)), filePath_(filePath), url_(url) {}

WinHttpDownloader::~WinHttpDownloader() {
  stopping_ = true;
  std::unique_ptr<Utils::Thread> worker, retired;
  {
    std::lock_guard<std::mutex> lock(workerMutex_);
    worker = std::move(worker_);
    retired = std::move(retired_);
  }
  worker.reset();
  retired.reset();
}

void WinHttpDownloader::Start(const std::wstring& filePath) {
  std::unique_ptr<Utils::Thread> previous;
  {
    std::lock_guard<std::mutex> lock(workerMutex_);
    previous = std::move(worker_);
  }
  // A Start from inside a report of the previous run comes from that run's own thread, which
  // cannot wait for itself: the new run waits for it instead.
  const bool fromPreviousRun = previous && previous->Id() == GetCurrentThreadId();
  if (previous && !fromPreviousRun) previous.reset();

  bool started = false;
  {
    std::lock_guard<std::mutex> lock(workerMutex_);
    if (fromPreviousRun) retired_ = std::move(previous);
    filePath_ = filePath;
    worker_ = std::make_unique<Utils::Thread>(this, L"ABDEF", &WinHttpDownloader::ThreadProc);
    if (worker_->Handle() != nullptr) started = ResumeThread(worker_->Handle()) != static_cast<DWORD>(-1);
  }
  // Without a worker no run would ever report: the orchestrator would wait forever.
  if (!started) Report(DL_CODE_FAIL, 0.0, L"");
}

void WinHttpDownloader::ThreadProc(void* downloader) {
  WinHttpDownloader* self = static_cast<WinHttpDownloader*>(downloader);
  std::unique_ptr<Utils::Thread> retired;
  {
    std::lock_guard<std::mutex> lock(self->workerMutex_);
    retired = std::move(self->retired_);
  }
  retired.reset();
  if (self->stopping_) return;

  self->Report(DL_CODE_START, 1.0, L"");
  if (self->filePath_.empty()) {
    // Without a file the client would keep the whole package in memory.
    self->Report(DL_CODE_FAIL, 0.0, L"");
    return;
  }
  // The client appends the body to its file: a package or an error page left by an earlier run
  // would end up in front of the new body.
  DeleteFileW(self->filePath_.c_str());

  bool ok;
  {
    WinHttpClient client(self->url_);
    client.SetResponseFile(self->filePath_);
    client.SetCancelFlag(&self->stopping_);
    ok = client.SendHttpRequest(L"GET");
    // Only the package itself is a finished download: an error page (404, 500, ...) is written
    // to the file like any body and must not be installed.
    if (ok && client.GetResponseStatusCode() != L"200") {
      UTILS_LOG(L"status %ls\r\n", client.GetResponseStatusCode().c_str());
      ok = false;
    } else if (!ok) {
      UTILS_LOG(L"request failed, error %lu\r\n", static_cast<unsigned long>(client.LastError()));
    }
  }
  if (!ok) DeleteFileW(self->filePath_.c_str());
  if (self->stopping_) return;
  self->Report(ok ? DL_CODE_SUCCESS : DL_CODE_FAIL, 0.0, L"");
}

void WinHttpDownloader::Report(int code, double progress, const wchar_t* text) {
  if (callback_) callback_(code, progress, text != nullptr ? text : L"");
}
