#include "engine/download/curl_downloader.h"

#include <windows.h>

#include <utility>

#include "base/file_size.h"
#include "base/log.h"
#include "engine/download/digest_check.h"
#include "engine/download/md5.h"

namespace {

const DigestTexts kDigestTexts = {L"curl获取url-md5失败", L"curl文件md5校验失败"};

}  // namespace

CCurlDownloader::CCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath)
    : report_(std::move(callback)),
      filePath_(filePath),
      url_(url),
      client_(url, filePath, [this](double speed, double percentage) { OnProgress(speed, percentage); }) {
  if (!filePath_.empty()) DeleteFileW(client_.GetFilePath(true).c_str());
}

CCurlDownloader::~CCurlDownloader() {
  stop_.Set();
  client_.Stop();
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
  if (!started) report_(DL_CODE_FAIL, 1.0);
}

void CCurlDownloader::dlThreadFun(void* downloader) {
  CCurlDownloader* self = static_cast<CCurlDownloader*>(downloader);
  if (self->stop_.IsSet()) return;

  self->report_(DL_CODE_START, 1.0);
  if (self->filePath_.empty()) {
    self->report_(DL_CODE_FAIL, 1.0);
    return;
  }
  self->client_.SetFilePath(self->filePath_);

  int budget = kAttemptBudget;
  int result = self->client_.Start();
  while (result != 0) {
    if (self->stop_.IsSet()) return;
    budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
    if (budget < 1) {
      self->report_(DL_CODE_FAIL, static_cast<double>(result), L"LibCurl");
      return;
    }
    UTILS_LOG(L"CurlDownLoader Code=%d\r\n", result);
    if (self->stop_.WaitFor(kRetryPauseMs)) return;
    result = self->client_.Start();
  }
  if (self->stop_.IsSet()) return;
  self->Verify();
}

void CCurlDownloader::Verify() {
  const std::string expected = ExpectedDigest(client_.RealUrl());
  std::string actual;
  if (!expected.empty()) {
    // The client digested the file as it was stored; only when it could not be sure of that
    // digest is the whole package read once more.
    actual = client_.StoredDigest();
    if (actual.empty()) actual = Utils::GetFileMd5(filePath_);
  }
  DigestVerdict verdict = JudgeDigest(expected, actual, &digestRetried_, report_, kDigestTexts);
  if (verdict == DigestVerdict::kAccepted && Utils::FileSize(filePath_) < 0) verdict = DigestVerdict::kFailed;
  if (verdict == DigestVerdict::kFailed && (expected.empty() || actual.size() != kDigestLength)) {
    // The transfer ended well but no file can be read at the destination (the rename failed,
    // or it was removed): nothing has been verified, and nothing can be installed.
    UTILS_LOG(L"package missing or unreadable: %ls\r\n", filePath_.c_str());
  }
  ReportVerdict(verdict, report_);
}

void CCurlDownloader::OnProgress(double speed, double percentage) {
  if (speed > 0 && percentage <= 100) report_(DL_CODE_PROGRESS, percentage / 100.0);
}
