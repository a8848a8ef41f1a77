#include "engine/download/mt_curl_downloader.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "base/file_size.h"
#include "base/log.h"
#include "base/string_utils.h"
#include "engine/download/curl_client.h"
#include "engine/download/digest_check.h"
#include "engine/download/file_ranges.h"
#include "engine/download/md5.h"
#include "engine/system/installer_settings.h"

namespace {

const DigestTexts kDigestTexts = {L"mtcurl获取url-md5失败", L"mtcurl文件md5校验失败"};
// libcurl's receive buffer: large blocks keep the per-call cost of a fast local transfer low, and
// each block goes to the system in one write.
constexpr long kReceiveBufferSize = 512 * 1024;
// The same block as the follower and the whole-file digest read.
constexpr size_t kHashBlockSize = 1024 * 1024;

// The steps after the parts have arrived (placing the package, verifying) log under the name of the run's
// waiting step, as one step of the run.
#define FINISH_LOG(format, ...) \
  ::Utils::LogLine("CMTCurlDownloader::waitForFinishThreadFun", __LINE__, format, ##__VA_ARGS__)

bool IsFileUrl(const std::string& url) {
  return url.size() >= 5 && _strnicmp(url.c_str(), "file:", 5) == 0;
}

}  // namespace

CMTCurlDownloader::CMTCurlDownloader(StatusCallback callback, const std::wstring& url, const std::wstring& filePath)
    : report_(std::move(callback)), filePath_(filePath), url_(url) {
  EnsureCurlGlobalInit();
  if (!filePath_.empty()) {
    DeleteFileW(filePath_.c_str());
    DeletePartFiles(filePath_);
  }
}

CMTCurlDownloader::~CMTCurlDownloader() {
  stop_.Set();
  worker_.Stop();  // the run waits for its part threads, which abort at their next progress call
  FreeParts();
  if (!filePath_.empty()) DeletePartFiles(filePath_);
}

void CMTCurlDownloader::SetLowSpeedAbort(long bytesPerSecond, long seconds) {
  lowSpeedLimit_ = bytesPerSecond;
  lowSpeedTime_ = seconds;
}

std::vector<std::pair<int64_t, int64_t>> CMTCurlDownloader::PartRanges(int64_t length) {
  std::vector<std::pair<int64_t, int64_t>> ranges;
  if (length <= 0) return ranges;
  const int64_t count = std::min<int64_t>(std::max<int64_t>(length / kPartThreshold, 1), kMaxParts);
  const int64_t each = length / count;
  for (int64_t i = 0; i < count; ++i) {
    const int64_t first = i * each;
    const int64_t size = each + (i == count - 1 ? length % count : 0);
    ranges.emplace_back(first, first + size - 1);
  }
  return ranges;
}

std::wstring CMTCurlDownloader::GetPartPath(const std::wstring& filePath, int index) {
  return filePath + L"_" + std::to_wstring(index);
}

void CMTCurlDownloader::DeletePartFiles(const std::wstring& filePath) {
  for (int i = 0; i < kMaxParts; ++i) DeleteFileW(GetPartPath(filePath, i).c_str());
}

void CMTCurlDownloader::Start(const std::wstring& filePath) {
  // Called from inside a report of the previous run (the restart on 1005), the new run waits for
  // that one to return; the previous run sends nothing after the report that restarted it.
  const bool started = worker_.Start(
      L"ABDEF",
      [&] {
        if (filePath == filePath_) return;
        // Part files cannot be continued in another folder, and must not stay in the old one.
        if (!filePath_.empty()) DeletePartFiles(filePath_);
        filePath_ = filePath;
        std::lock_guard<std::mutex> lock(mutex_);
        lastPercentage_ = 0;
      },
      [this] { Start_Down(this); });
  // Without a worker no run would ever report: the orchestrator would wait forever.
  if (!started) report_(DL_CODE_FAIL, 1.0);
}

bool CMTCurlDownloader::HasProgress() {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastPercentage_ != 0;
}

bool CMTCurlDownloader::getRealDownloadUrl(const std::string& url) {
  realUrl_.clear();
  md5_.clear();
  contentLength_ = 0;
  if (!InstallerSettings::Instance().ResolveRealUrl) return false;

  UniqueCurl handle(curl_easy_init());
  if (!handle) return false;
  UniqueCurlSlist headers(curl_slist_append(nullptr, "Connection: keep-alive"));
  CURL* h = handle.get();
  int options = curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  options |= curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  options |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  options |= curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  options |= curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
  options |= curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
  options |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &DiscardBodyCallback);
  options |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  if (options != CURLE_OK) return false;
  if (curl_easy_perform(h) != CURLE_OK) return false;

  const std::string effective = CurlClient::GetEffectiveUrl(h);
  if (!effective.empty()) {
    realUrl_ = effective;
    UTILS_LOG(L"Download File real url %ls\r\n",
              Utils::ToWString(realUrl_, IsFileUrl(realUrl_) ? CP_ACP : CP_UTF8).c_str());
    md5_ = ExpectedDigest(realUrl_);
  }
  curl_off_t length = -1;
  long code = 0;
  if (curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &code) == CURLE_OK &&
      // A local file has no response code: libcurl reports 0 for it.
      ((code >= 200 && code <= 399) || (code == 0 && IsFileUrl(realUrl_)))) {
    // Kept in 64 bits: a length cut to 32 bits would split the package at the wrong offsets.
    contentLength_ = static_cast<int64_t>(length);
    UTILS_LOG(L"Download File Length %lld\r\n", static_cast<long long>(contentLength_));
  }
  return !realUrl_.empty() && contentLength_ >= kMinimumLength;
}

void CMTCurlDownloader::Start_Down(void* downloader) {
  CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(downloader);
  if (self->stop_.IsSet()) return;
  self->report_(DL_CODE_START, 1.0);
  UTILS_LOG(L"start download\r\n");
  if (self->filePath_.empty()) {
    // Part files named "_0" and "_1" would land in whatever the current folder is.
    self->report_(DL_CODE_FAIL, 1.0);
    return;
  }
  const std::string url = CurlNarrowUrl(self->url_);

  DeleteFileW(self->filePath_.c_str());
  if (!self->HasProgress()) DeletePartFiles(self->filePath_);

  if (self->realUrl_.empty() || self->contentLength_ < kMinimumLength) {
    if (!self->getRealDownloadUrl(url)) {
      self->report_(DL_CODE_FAIL, 0.0, L"LibCurl");
      return;
    }
  }
  self->LaunchParts();
  // The run itself waits for its parts, places and verifies the package.
  waitForFinishThreadFun(self);
}

void CMTCurlDownloader::LaunchParts() {
  const auto ranges = PartRanges(contentLength_);
  for (size_t i = 0; i < ranges.size(); ++i) {
    auto node = std::make_unique<DownloadPartNode>();
    node->start = ranges[i].first;
    node->end = ranges[i].second;
    node->partPath = GetPartPath(filePath_, static_cast<int>(i));
    node->runPath = GetPartPath(filePath_, 0);
    node->realUrl = realUrl_;
    const int64_t present = TakeOverKeptBytes(*node);
    node->position = node->start + present;
    node->bytesPresent = present;
    node->stored = present;
    node->easy.reset(curl_easy_init());
    if (node->end < node->position) {
      node->status = 0;
    } else if (!node->easy) {
      node->status = CurlClient::kNoHandle;
    } else {
      node->file = OpenSharedForWriting(node->runPath);
      node->status = node->file ? kPartPending : kPartNoFile;
    }
    parts_.push_back(std::move(node));
  }

  bool first = true;
  for (auto& node : parts_) {
    if (node->status != kPartPending) continue;
    if (!first && stop_.WaitFor(kPartStartGapMs)) break;
    first = false;
    node->thread = std::make_unique<Utils::Thread>(node.get(), L"ABDEF", [this](void* part) {
      downloadThreadFun(this, static_cast<DownloadPartNode*>(part));
    });
    // Without a thread the part stays pending, which the run takes for a failed part.
    if (node->thread->Handle() != nullptr) ResumeThread(node->thread->Handle());
  }
}

int64_t CMTCurlDownloader::TakeOverKeptBytes(const DownloadPartNode& part) const {
  const int64_t length = part.end - part.start + 1;
  int64_t kept = std::max<int64_t>(Utils::FileSize(part.partPath), 0);
  if (kept > length) {
    // A file longer than its range cannot hold that range: the range starts over.
    if (part.partPath == part.runPath) {
      DeleteFileW(part.partPath.c_str());
      return 0;
    }
    kept = 0;
  }
  if (part.partPath == part.runPath) return kept;
  // The later ranges go to their offsets in the run file. A piece that cannot be moved there is
  // fetched again: only bytes that are in the run file count.
  if (kept > 0 && !CopyFileRange(part.partPath, 0, part.runPath, part.start, kept)) kept = 0;
  DeleteFileW(part.partPath.c_str());
  return kept;
}

void CMTCurlDownloader::downloadThreadFun(CMTCurlDownloader* downloader, DownloadPartNode* part) {
  int budget = kAttemptBudget;
  int result = downloadExe(downloader, part);
  while (result != 0 && budget > 0 && !downloader->stop_.IsSet()) {
    budget -= result == CURLE_PARTIAL_FILE ? 1 : 2;
    UTILS_LOG(L"CurlDownLoader Code=%d\r\n", result);
    if (downloader->stop_.WaitFor(kRetryPauseMs)) break;
    result = downloadExe(downloader, part);
  }
  part->file.reset();
}

int CMTCurlDownloader::downloadExe(CMTCurlDownloader* downloader, DownloadPartNode* part) {
  // Every attempt begins after the last byte the system took: what a failed attempt wrote is
  // kept, and a byte that never reached the disk is fetched again.
  part->digestReady = false;  // until this attempt's follower says otherwise
  const int64_t present = part->stored;
  part->position = part->start + present;
  part->bytesPresent = present;
  if (part->position > part->end) {
    part->file.reset();
    part->status = 0;
    return 0;
  }
  if (!part->file) part->file = OpenSharedForWriting(part->runPath);
  if (!part->file || !SeekTo(part->file.get(), part->position)) {
    part->file.reset();
    part->status = kPartNoFile;
    return kPartNoFile;
  }
  part->responseChecked = false;

  // Only the first part can be digested on its own: the package's MD5 runs through the parts in
  // order. Each attempt follows the range from its first byte again (what earlier attempts and
  // runs kept included). The later ranges' bytes beyond it in the run file are theirs.
  std::unique_ptr<FileDigestFollower> follower;
  if (part->start == 0) {
    Utils::Md5Context fresh;
    Utils::Md5Init(&fresh);
    follower = std::make_unique<FileDigestFollower>(part->runPath, downloader->stop_.Flag(), fresh, 0);
  }
  {
    // A follower of the waiter's learns here when the file was cut: it then gives up.
    std::lock_guard<std::mutex> lock(part->followerMutex);
    if (follower) part->follower = follower.get();
    part->stored = present;
    if (part->follower != nullptr) part->follower->Stored(present);
  }
  // Every way out of the attempt below goes through here. The follower's state counts only for
  // a range that is in its file whole; else the waiter reads the part file back itself.
  auto settle = [part, &follower](int result) {
    if (follower) {
      {
        std::lock_guard<std::mutex> lock(part->followerMutex);
        part->follower = nullptr;
      }
      if (result == CURLE_OK) {
        part->digestReady = follower->FinishContext(part->end - part->start + 1, &part->digestContext);
      } else {
        follower->Cancel();
      }
    }
    return result;
  };

  char range[64];
  std::snprintf(range, sizeof(range), "%lld-%lld", static_cast<long long>(part->position),
                static_cast<long long>(part->end));
  CURL* h = part->easy.get();
  int options = curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  options |= curl_easy_setopt(h, CURLOPT_URL, part->realUrl.c_str());
  options |= curl_easy_setopt(h, CURLOPT_TIMEOUT, 0L);
  options |= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  options |= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CMTCurlDownloader::PartWriteCallback);
  options |= curl_easy_setopt(h, CURLOPT_WRITEDATA, part);
  options |= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  options |= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CMTCurlDownloader::OnProgress);
  options |= curl_easy_setopt(h, CURLOPT_XFERINFODATA, downloader);
  options |= curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
  options |= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
  options |= curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
  options |= curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
  options |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, downloader->lowSpeedLimit_);
  options |= curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, downloader->lowSpeedTime_);
  options |= curl_easy_setopt(h, CURLOPT_RANGE, range);
  options |= curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
  if (options != CURLE_OK) {
    curl_easy_reset(h);
    return settle(options);
  }

  int result = curl_easy_perform(h);
  if (result == CURLE_WRITE_ERROR && part->position > part->end) {
    // Every byte of the range is in the file; the server merely sent more than was asked for.
    result = CURLE_OK;
  }
  if (result == CURLE_OK && part->position <= part->end) {
    // A body without a length ends wherever the connection closes: the rest is still missing.
    result = CURLE_PARTIAL_FILE;
  }
  if (result != CURLE_OK) {
    UTILS_LOG(L"error:%d:%ls\r\n", result, CurlErrorText(static_cast<CURLcode>(result)).c_str());
  } else {
    UTILS_LOG(L"curl_easy_cleanup\r\n");
  }
  curl_easy_reset(h);
  part->status = result;
  return settle(result);
}

size_t CMTCurlDownloader::PartWriteCallback(char* data, size_t size, size_t count, void* partPointer) {
  DownloadPartNode* part = static_cast<DownloadPartNode*>(partPointer);
  if (part == nullptr || !part->file || size == 0 || count == 0) return 0;
  if (!part->responseChecked) {
    part->responseChecked = true;
    long code = 0;
    curl_easy_getinfo(part->easy.get(), CURLINFO_RESPONSE_CODE, &code);
    if (code == 200 && part->position != 0) {
      // The server ignored the range and sends the package from its first byte: those bytes
      // belong elsewhere, and written here they would corrupt the package.
      UTILS_LOG(L"range %lld-%lld ignored by the server\r\n", static_cast<long long>(part->position),
                static_cast<long long>(part->end));
      return 0;
    }
  }
  // The range is inclusive: its last byte is still to be written while position equals end.
  const int64_t remaining = part->end - part->position + 1;
  if (remaining <= 0) return 0;
  const size_t wanted = size * count;
  const size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(wanted), remaining));
  // libcurl hands over at most its receive buffer at a time: one write, straight to the system, so
  // that a follower may read the bytes as soon as it is told of them.
  DWORD written = 0;
  const bool ok = WriteFile(part->file.get(), data, static_cast<DWORD>(take), &written, nullptr) != 0;
  part->position += static_cast<int64_t>(written);
  part->bytesPresent += static_cast<int64_t>(written);
  {
    std::lock_guard<std::mutex> lock(part->followerMutex);
    part->stored = part->bytesPresent;
    if (part->follower != nullptr) part->follower->Stored(part->stored);
  }
  // A failed write fails the attempt; the next one continues after the bytes the system took.
  return ok ? static_cast<size_t>(written) : 0;
}

int CMTCurlDownloader::OnProgress(void* downloader, curl_off_t /*dltotal*/, curl_off_t /*dlnow*/,
                                  curl_off_t /*ultotal*/, curl_off_t /*ulnow*/) {
  CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(downloader);
  // The only way to end a part transfer early: the downloader is going away.
  if (self->stop_.IsSet()) return 1;
  std::lock_guard<std::mutex> lock(self->mutex_);
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (now <= self->lastProgressSecond_) return 0;
  self->lastProgressSecond_ = now;
  if (self->contentLength_ < kMinimumLength) return 0;
  double percentage = 0;
  for (const auto& part : self->parts_) {
    const int64_t present = part->bytesPresent;
    if (present > 0) percentage += static_cast<double>(present) * 100.0 / static_cast<double>(self->contentLength_);
  }
  if (percentage > 100) return 0;
  if (percentage - self->lastPercentage_ >= 1) {
    self->lastPercentage_ = percentage;
    // Under the lock: two parts must not report their percentages out of order.
    self->report_(DL_CODE_PROGRESS, percentage / 100.0);
  }
  return 0;
}

void CMTCurlDownloader::waitForFinishThreadFun(void* downloader) {
  CMTCurlDownloader* self = static_cast<CMTCurlDownloader*>(downloader);
  RunDigest digest;
  digest.wanted = self->md5_.size() == kDigestLength;
  digest.complete = digest.wanted;
  Utils::Md5Init(&digest.state);
  const int failed = self->WaitForParts(&digest);
  // Without a package to digest the follower lets go of the part file before anything is
  // reported: a run restarted from inside the report continues that file.
  if (failed != 0 || self->stop_.IsSet()) digest.lastFollower.reset();
  if (self->stop_.IsSet()) {
    self->FreeParts();
    return;
  }
  if (failed != 0 || self->parts_.empty()) {
    self->EndWithFailedPart(failed);
    return;
  }
  {
    // From here on the part files become the package: nothing is left to continue.
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->lastPercentage_ = 0;
  }
  const bool placed = self->PlacePackage(&digest);
  if (self->stop_.IsSet()) {
    self->FreeParts();
    return;
  }
  if (!placed) {
    UTILS_LOG(L"package missing or unreadable: %ls\r\n", self->filePath_.c_str());
    DeleteFileW(self->filePath_.c_str());
    self->FreeParts();
    self->report_(DL_CODE_FAIL, 0.0, L"LibCurl");
    return;
  }
  self->Verify(&digest);
}

int CMTCurlDownloader::WaitForParts(RunDigest* digest) {
  // The digest is taken over the ranges in index order: the first one read back while it
  // downloads (or, without the follower's state, once it is complete), the last one while it
  // still downloads, once the parts before it are digested.
  int failed = 0;
  for (size_t i = 0; i < parts_.size(); ++i) {
    DownloadPartNode& part = *parts_[i];
    if (digest->complete && failed == 0 && i > 0 && i + 1 == parts_.size()) {
      digest->beforeLast = digest->state;
      digest->lastFollower = std::make_unique<FileDigestFollower>(part.runPath, stop_.Flag(), digest->state, part.start);
      std::lock_guard<std::mutex> lock(part.followerMutex);
      part.follower = digest->lastFollower.get();
      digest->lastFollower->Stored(part.stored);
    }
    part.thread.reset();  // waits for the part (no thread: complete from the start, or never started)
    if (digest->lastFollower) {
      std::lock_guard<std::mutex> lock(part.followerMutex);
      part.follower = nullptr;
    }
    if (failed == 0 && part.status != 0) failed = part.status;
    if (digest->complete && failed == 0 && i + 1 < parts_.size()) digest->complete = DigestPart(i, &digest->state);
  }
  return failed;
}

void CMTCurlDownloader::EndWithFailedPart(int status) {
  // The part files stay while they hold progress, also after the last failure: a retry that the
  // user starts continues them instead of starting over.
  const bool keep = HasProgress();
  if (keep) KeepPartsApart();
  FreeParts();
  if (!keep) DeletePartFiles(filePath_);
  report_(RetryOnceThenFail(&retried_), static_cast<double>(status), L"LibCurl");
}

void CMTCurlDownloader::KeepPartsApart() {
  if (parts_.empty()) return;
  // Every part thread has ended; the run file is written no more.
  for (auto& part : parts_) part->file.reset();
  const std::wstring runPath = parts_.front()->runPath;
  for (size_t i = 1; i < parts_.size(); ++i) {
    const DownloadPartNode& part = *parts_[i];
    DeleteFileW(part.partPath.c_str());
    // A range whose bytes cannot be kept is fetched again from its first byte.
    if (part.stored > 0 && !CopyFileRange(runPath, part.start, part.partPath, 0, part.stored))
      DeleteFileW(part.partPath.c_str());
  }
  // The first range's file ends where its bytes do, as the next run expects.
  if (!CutFile(runPath, parts_.front()->stored)) DeleteFileW(runPath.c_str());
}

bool CMTCurlDownloader::PlacePackage(RunDigest* digest) {
  const std::wstring runPath = parts_.front()->runPath;
  for (auto& part : parts_) part->file.reset();
  const bool hashed = digest->complete && DigestLastPart(digest);
  if (digest->lastFollower) digest->lastFollower->Cancel();  // its handle is closed before the rename
  digest->complete = hashed;
  for (size_t i = 1; i < parts_.size(); ++i) FINISH_LOG(L"partPath::%ls\r\n", parts_[i]->partPath.c_str());
  if (stop_.IsSet()) return false;
  // Whatever went wrong on the way, only a file of exactly the package's length is the package.
  bool ok = Utils::FileSize(runPath) == contentLength_;
  if (ok) {
    DeleteFileW(filePath_.c_str());
    ok = MoveFileExW(runPath.c_str(), filePath_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
  }
  DeletePartFiles(filePath_);
  return ok && Utils::FileSize(filePath_) == contentLength_;
}

void CMTCurlDownloader::Verify(RunDigest* digest) {
  std::string actual;
  if (digest->wanted && digest->complete) {
    unsigned char value[16];
    Utils::Md5Final(&digest->state, value);
    actual = Utils::Md5Hex(value);
  }
  const DigestVerdict verdict = JudgeDigest(md5_, actual, &retried_, report_, kDigestTexts);
  if (verdict != DigestVerdict::kAccepted) DeleteFileW(filePath_.c_str());
  FreeParts();
  switch (verdict) {
    case DigestVerdict::kAccepted:
      FINISH_LOG(L"finish recv\r\n");
      break;
    case DigestVerdict::kRetry:
      FINISH_LOG(L"finish recv, md5 chaek failed retry once.\r\n");
      break;
    case DigestVerdict::kFailed:
      if (actual.empty()) {
        // The parts could not be read back: nothing has been verified.
        UTILS_LOG(L"package missing or unreadable: %ls\r\n", filePath_.c_str());
      } else {
        FINISH_LOG(L"finish recv, md5 chaek failed and retry failed.\r\n");
      }
      break;
  }
  ReportVerdict(verdict, report_);
}

bool CMTCurlDownloader::DigestLastPart(RunDigest* digest) const {
  const size_t lastIndex = parts_.size() - 1;
  const DownloadPartNode& last = *parts_[lastIndex];
  // The follower answers for the bytes on disk or not at all; without an answer the part file
  // is read back from the state before it.
  if (digest->lastFollower && digest->lastFollower->FinishContext(last.end - last.start + 1, &digest->state))
    return true;
  if (digest->lastFollower) digest->state = digest->beforeLast;
  return DigestPart(lastIndex, &digest->state);
}

bool CMTCurlDownloader::DigestPart(size_t index, Utils::Md5Context* digest) const {
  const DownloadPartNode& part = *parts_[index];
  // The follower's state starts from the file's first byte, so it stands for the package's
  // digest so far only at the first part. Its file is untouched since: the part's thread has
  // ended and the package has not been placed yet.
  if (index == 0 && part.digestReady) {
    *digest = part.digestContext;
    return true;
  }
  return HashPart(part, digest);
}

bool CMTCurlDownloader::HashPart(const DownloadPartNode& part, Utils::Md5Context* digest) const {
  Utils::UniqueFileHandle file(CreateFileW(part.runPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file || !SeekTo(file.get(), part.start)) return false;
  std::vector<char> buffer(kHashBlockSize);
  for (int64_t left = part.end - part.start + 1; left > 0;) {
    if (stop_.IsSet()) return false;
    const DWORD want = static_cast<DWORD>(std::min<int64_t>(left, static_cast<int64_t>(buffer.size())));
    DWORD got = 0;
    // A failed or short read must not pass for the end of the part.
    if (!ReadFile(file.get(), buffer.data(), want, &got, nullptr) || got != want) return false;
    Utils::Md5Update(digest, buffer.data(), got);
    left -= got;
  }
  return true;
}

void CMTCurlDownloader::FreeParts() { parts_.clear(); }
