#include "engine/curl_downloader.h"

#include <windows.h>

#include <utility>

#include "engine/file_utils.h"
#include "base/log.h"

namespace {

constexpr size_t kDigestLength = 32;

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CCurlDownloader::CCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath)
    : callback_(std::move(callback)),
      filePath_(filePath),
      url_(url),
      client_(url, filePath, this),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!filePath_.empty()) DeleteFileW(client_.GetFilePath(true).c_str());
}

CCurlDownloader::~CCurlDownloader() {
  stopping_ = true;
  client_.Stop();
  if (stopEvent_) SetEvent(stopEvent_.get());
  worker_.Stop();
}

void CCurlDownloader::SetLowSpeedAbort(long bytesPerSecond, long seconds) {
  client_.SetLowSpeedLimit(bytesPerSecond, seconds);
}

void CCurlDownloader::Start(const std::wstring& filePath) {
  // Called from inside a report of the previous run (the restart on 1005), the new run waits for
  // that one to return; the previous run sends nothing after the report that restarted it.
  const bool started = worker_.Start(
      L"ABDEF", [&] { filePath_ = filePath; }, [this] { dlThreadFun(this); });
  // Without a worker no run would ever report: the orchestrator would wait forever.
  if (!started) Report(DL_CODE_FAIL, 1.0, L"");
}

void CCurlDownloader::dlThreadFun(void* downloader) {
  CCurlDownloader* self = static_cast<CCurlDownloader*>(downloader);
  if (self->Stopping()) return;

  self->Report(DL_CODE_START, 1.0, L"");
  if (self->filePath_.empty()) {
    self->Report(DL_CODE_FAIL, 1.0, L"");
    return;
  }
  self->client_.SetFilePath(self->filePath_);

  int budget = kAttemptBudget;
  int result = self->client_.Start();
  while (result != 0) {
    if (self->Stopping()) return;
    budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
    if (budget < 1) {
      self->Report(DL_CODE_FAIL, static_cast<double>(result), L"LibCurl");
      return;
    }
    UTILS_LOG(L"CurlDownLoader Code=%d\r\n", result);
    if (WaitForSingleObject(self->stopEvent_.get(), kRetryPauseMs) == WAIT_OBJECT_0) return;
    result = self->client_.Start();
  }
  if (self->Stopping()) return;
  self->Verify();
}

void CCurlDownloader::Verify() {
  const std::string expected = Utils::GetUrlLastDir(client_.RealUrl());
  if (expected.size() == kDigestLength) {
    // The client digested the file as it was stored; only when it could not be sure of that
    // digest is the whole package read once more.
    std::string actual = client_.StoredDigest();
    if (actual.empty()) actual = Utils::GetFileMd5(filePath_);
    if (actual.size() != kDigestLength) {
      // The transfer ended well but no file can be read at the destination (the rename failed,
      // or it was removed): nothing has been verified, and nothing can be installed.
      UTILS_LOG(L"package missing or unreadable: %ls\r\n", filePath_.c_str());
      Report(DL_CODE_FAIL, 0.0, L"LibCurl");
      return;
    }
    if (actual != expected) {
      Report(DL_CODE_DIGEST_ERROR, 0.0, L"curl文件md5校验失败");
      if (digestRetried_) {
        Report(DL_CODE_FAIL, 0.0, L"LibCurl");
      } else {
        digestRetried_ = true;
        Report(DL_CODE_RETRY, 0.0, L"LibCurl");
      }
      return;
    }
  } else {
    Report(DL_CODE_DIGEST_ERROR, 0.0, L"curl获取url-md5失败");
    if (!IsFile(filePath_)) {
      UTILS_LOG(L"package missing or unreadable: %ls\r\n", filePath_.c_str());
      Report(DL_CODE_FAIL, 0.0, L"LibCurl");
      return;
    }
  }
  Report(DL_CODE_SUCCESS, 0.0, L"LibCurl");
}

void CCurlDownloader::OnProgress(CCurlDownloader* downloader, double speed, int64_t /*unused*/, double percentage) {
  if (downloader != nullptr && speed > 0 && percentage <= 100)
    downloader->Report(DL_CODE_PROGRESS, percentage / 100.0, L"");
}

void CCurlDownloader::Report(int code, double progress, const wchar_t* text) {
  if (callback_) callback_(code, progress, text != nullptr ? text : L"");
}
