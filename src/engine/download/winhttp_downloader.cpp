#include "engine/download/winhttp_downloader.h"

#include <windows.h>

#include <utility>

#include "base/log.h"
#include "engine/download/winhttp_client.h"

WinHttpDownloader::WinHttpDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath)
    : report_(std::move(callback)), filePath_(filePath), url_(url) {}

WinHttpDownloader::~WinHttpDownloader() {
  stop_.Set();
  worker_.Stop();
}

void WinHttpDownloader::Start(const std::wstring& filePath) {
  const bool started =
      worker_.Start(L"ABDEF", [&] { filePath_ = filePath; }, [this] { ThreadProc(this); });
  // Without a worker no run would ever report: the orchestrator would wait forever.
  if (!started) report_(DL_CODE_FAIL, 0.0);
}

void WinHttpDownloader::ThreadProc(void* downloader) {
  WinHttpDownloader* self = static_cast<WinHttpDownloader*>(downloader);
  if (self->stop_.IsSet()) return;

  self->report_(DL_CODE_START, 1.0);
  if (self->filePath_.empty()) {
    // Without a file the client would keep the whole package in memory.
    self->report_(DL_CODE_FAIL, 0.0);
    return;
  }
  // The client appends the body to its file: a package or an error page left by an earlier run
  // would end up in front of the new body.
  DeleteFileW(self->filePath_.c_str());

  bool ok;
  {
    WinHttpClient client(self->url_);
    client.SetResponseFile(self->filePath_);
    client.SetCancelFlag(self->stop_.Flag());
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
  if (self->stop_.IsSet()) return;
  self->report_(ok ? DL_CODE_SUCCESS : DL_CODE_FAIL, 0.0);
}
