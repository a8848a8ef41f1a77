#include "engine/download/curl_client.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "engine/download/file_digest_follower.h"
#include "base/log.h"
#include "base/file_size.h"
#include "base/string_utils.h"

namespace {

// Bytes libcurl reads from the socket and hands the write callback at once (libcurl's largest).
// With the default 16 KiB a fast transfer spends its time in per-call costs (a tenth of the
// throughput under Wine); blocks this large also pass the C runtime's file buffer straight to the
// system, which an extra file buffer would only copy.
constexpr long kReceiveBufferSize = 512 * 1024;

}  // namespace

CurlClient::CurlClient(const std::wstring& url, const std::wstring& filePath, ProgressSink progressSink)
    : url_(url), filePath_(filePath), progressSink_(std::move(progressSink)) {
  EnsureCurlGlobalInit();
}

CurlClient::~CurlClient() {
  stop_ = true;
  if (!filePath_.empty()) DeleteFileW(GetFilePath(true).c_str());
}

std::wstring CurlClient::GetFilePath(bool partFile) const {
  return partFile ? filePath_ + L".part" : filePath_;
}

void CurlClient::SetFilePath(const std::wstring& filePath) {
  if (filePath == filePath_) return;
  if (!filePath_.empty()) DeleteFileW(GetFilePath(true).c_str());
  filePath_ = filePath;
  if (!filePath_.empty()) DeleteFileW(GetFilePath(true).c_str());
}

void CurlClient::SetLowSpeedLimit(long bytesPerSecond, long seconds) {
  lowSpeedLimit_ = bytesPerSecond;
  lowSpeedTime_ = seconds;
}

CURLcode CurlClient::SetCommonOptions(CURL* handle) const {
  int rc = curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, 60L);
  rc |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, lowSpeedLimit_);
  rc |= curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, lowSpeedTime_);
  return static_cast<CURLcode>(rc);
}

int CurlClient::Start() {
  UTILS_LOG(L"start download\r\n");
  storedDigest_.clear();
  const std::wstring partPath = GetFilePath(true);
  const std::wstring destination = GetFilePath(false);
  const std::string url = CurlNarrowUrl(url_);

  if (realUrl_.empty() || contentLength_ < kMinimumLength) {
    UniqueCurl head = Head(url);
    if (head) {
      realUrl_ = GetEffectiveUrl(head.get());
      contentLength_ = GetDownloadFileLength(head.get());
    }
  }
  if (realUrl_.empty() || contentLength_ < kMinimumLength) {
    realUrl_ = GetRealUrl_Str(url);
    if (!realUrl_.empty()) contentLength_ = GetDownloadFileLength_Str(realUrl_);
    // A file shorter than 1 MiB, or of unknown length, is never downloaded by this client.
    if (contentLength_ < kMinimumLength) return kLengthUnknown;
  }

  easy_.reset(curl_easy_init());
  if (!easy_) return kNoHandle;
  // A part file that already holds more than the whole file cannot be continued (the server
  // would refuse the range every time): start over.
  if (Utils::FileSize(partPath) > static_cast<int64_t>(contentLength_)) DeleteFileW(partPath.c_str());
  Utils::UniqueCFile part(_wfopen(partPath.c_str(), L"ab+"));
  if (!part) {
    errorText_ = std::strerror(errno);
    if (errorText_.size() > 200) errorText_.resize(200);
    easy_.reset();
    return kPartFileNotOpened;
  }

  PartSink sink{part.get(), 0, nullptr};
  // No "Accept-Encoding": the client decodes nothing, so a server that honoured it would have
  // compressed bytes stored as the package.
  UniqueCurlSlist headers(curl_slist_append(nullptr, "Connection: keep-alive"));
  CURL* handle = easy_.get();
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(handle, CURLOPT_TCP_KEEPALIVE, 1L);
  curl_easy_setopt(handle, CURLOPT_TCP_KEEPIDLE, 10L);
  curl_easy_setopt(handle, CURLOPT_TCP_KEEPINTVL, 10L);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, 0L);
  int options = curl_easy_setopt(handle, CURLOPT_URL, realUrl_.c_str());
  options |= curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &CurlClient::WriteCallback);
  options |= curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
  options |= curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  options |= curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CurlClient::ProgressCallback);
  options |= curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
  options |= curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  options |= SetCommonOptions(handle);
  options |= curl_easy_setopt(handle, CURLOPT_BUFFERSIZE, kReceiveBufferSize);

  resumeOffset_ = Utils::FileSize(partPath);
  if (resumeOffset_ > 0) options |= curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(resumeOffset_));

  // The part file is digested while it grows, from its first byte (what an earlier attempt kept
  // included), so that the owner's check finds the digest ready instead of reading the whole
  // package again after the transfer. Each attempt starts over: between attempts the file may have
  // been cut, removed or rewritten.
  FileDigestFollower follower(partPath, &stop_);
  if (resumeOffset_ >= 0) {
    sink.stored = resumeOffset_;
    sink.follower = &follower;
    follower.Stored(resumeOffset_);
  } else {
    follower.Cancel();
  }

  int result = options;
  // A part file that holds the whole file (the last attempt received everything but did not end
  // well) needs no request at all: a range starting at the end would be refused every time.
  const bool complete = resumeOffset_ == static_cast<int64_t>(contentLength_);
  if (options == CURLE_OK && !complete) result = curl_easy_perform(handle);
  UTILS_LOG(L"error:%d:%ls\r\n", result, CurlErrorText(static_cast<CURLcode>(result)).c_str());
  easy_.reset();
  // The writes were handed to the system as they came (see WriteCallback); should anything still
  // be buffered, a write that fails only now fails the attempt, and the bytes already in the part
  // file are kept for the next one.
  const bool flushed = fflush(part.get()) == 0;
  part.reset();
  if (result == CURLE_OK && !flushed) result = CURLE_WRITE_ERROR;

  const int64_t received = result == CURLE_OK ? Utils::FileSize(partPath) : -1;
  // Only a part file of the announced length can become the package; the follower is done with
  // the file (its handle closed) before it is renamed or deleted.
  const std::string digest =
      received == static_cast<int64_t>(contentLength_) ? follower.Finish(received) : std::string();
  follower.Cancel();

  if (result == CURLE_OK) {
    // A body without a length ends wherever the connection closes: hold the part file to the
    // length the server announced, so that a cut body is continued, not taken for the package.
    if (received < static_cast<int64_t>(contentLength_)) {
      result = CURLE_PARTIAL_FILE;
    } else if (received > static_cast<int64_t>(contentLength_)) {
      result = CURLE_BAD_DOWNLOAD_RESUME;
      DeleteFileW(partPath.c_str());
    }
  }
  if (result != CURLE_OK && Utils::FileSize(partPath) == 0) {
    // Nothing to continue: an empty part file is not left in the user's folder.
    DeleteFileW(partPath.c_str());
  }
  if (result == CURLE_RANGE_ERROR) {
    // The server ignored the resume request: the part file cannot be continued, so the next
    // attempt starts over rather than failing the same way until the budget is spent.
    DeleteFileW(partPath.c_str());
  }
  if (result == CURLE_OK) {
    // A failed rename is not judged here: the owner finds no file to digest and fails the run.
    const bool moved =
        MoveFileExW(partPath.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0;
    // The digest read back holds for the destination only when the rename put that very file
    // there.
    if (moved && !digest.empty() && Utils::FileSize(destination) == received) storedDigest_ = digest;
  }
  UTILS_LOG(L"end download\r\n");
  return result;
}

UniqueCurl CurlClient::PerformHeaderRequest(const std::string& url, CURLcode* result) const {
  UniqueCurl handle(curl_easy_init());
  if (!handle) return handle;
  curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle.get(), CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &DiscardBodyCallback);
  SetCommonOptions(handle.get());
  *result = curl_easy_perform(handle.get());
  return handle;
}

UniqueCurl CurlClient::Head(const std::string& url) const {
  CURLcode result = CURLE_OK;
  UniqueCurl handle = PerformHeaderRequest(url, &result);
  if (!handle) return handle;
  if (result != CURLE_OK) UTILS_LOG(L"error:%d:%ls\r\n", static_cast<int>(result), CurlErrorText(result).c_str());
  UTILS_LOG(L"error:%d:%ls\r\n", static_cast<int>(result), CurlErrorText(result).c_str());
  return handle;
}

std::string CurlClient::GetEffectiveUrl(CURL* handle) {
  char* url = nullptr;
  if (curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &url) != CURLE_OK || url == nullptr) return {};
  return url;
}

double CurlClient::GetDownloadFileLength(CURL* handle) {
  curl_off_t length = -1;
  CURLcode result = curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  UTILS_LOG(L"error:%d:%ls\r\n", static_cast<int>(result), CurlErrorText(result).c_str());
  long code = 0;
  if (curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &code) != CURLE_OK || code < 200 || code > 399)
    return -1.0;
  return result == CURLE_OK ? static_cast<double>(length) : -1.0;
}

std::string CurlClient::GetRealUrl_Str(const std::string& url) const {
  CURLcode result = CURLE_OK;
  UniqueCurl handle = PerformHeaderRequest(url, &result);
  if (!handle) return url;
  if (result != CURLE_OK) UTILS_LOG(L"error:%d:%ls\r\n", static_cast<int>(result), CurlErrorText(result).c_str());
  std::string effective = GetEffectiveUrl(handle.get());
  return effective.empty() ? url : effective;
}

double CurlClient::GetDownloadFileLength_Str(const std::string& url) const {
  UniqueCurl handle(curl_easy_init());
  if (!handle) return -1.0;
  curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle.get(), CURLOPT_HEADER, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &DiscardBodyCallback);
  SetCommonOptions(handle.get());
  curl_easy_perform(handle.get());
  curl_off_t length = -1;
  if (curl_easy_getinfo(handle.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK) length = -1;
  long code = 0;
  CURLcode result = curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &code);
  UTILS_LOG(L"error:%d:%ls\r\n", static_cast<int>(result), CurlErrorText(result).c_str());
  return static_cast<double>(length);
}

size_t CurlClient::WriteCallback(char* data, size_t size, size_t count, void* partSink) {
  if (size == 0 || count == 0) return 0;
  PartSink* sink = static_cast<PartSink*>(partSink);
  const size_t written = fwrite(data, 1, size * count, sink->file);
  // The follower may read only what the system holds: the C runtime keeps the tail of a write
  // that is not a multiple of its buffer, so hand that over now (blocks this large mostly bypass
  // the buffer anyway). A failed flush leaves the stored length unknown: the attempt fails.
  if (fflush(sink->file) != 0) return 0;
  sink->stored += static_cast<int64_t>(written);
  if (sink->follower != nullptr) sink->follower->Stored(sink->stored);
  return written;
}

int CurlClient::ProgressCallback(void* clientPointer, curl_off_t dltotal, curl_off_t dlnow, curl_off_t /*ultotal*/,
                                 curl_off_t /*ulnow*/) {
  CurlClient* client = static_cast<CurlClient*>(clientPointer);
  if (client->stop_) return 1;
  const int64_t now = static_cast<int64_t>(std::time(nullptr));
  if (now <= client->lastProgressSecond_) return 0;
  client->lastProgressSecond_ = now;

  curl_off_t speedValue = 0;
  curl_easy_getinfo(client->easy_.get(), CURLINFO_SPEED_DOWNLOAD_T, &speedValue);
  const double speed = static_cast<double>(speedValue);
  double percentage;
  if (client->contentLength_ > kMinimumLength) {
    // A resumed transfer reports its share of the whole file, not of this attempt.
    const int64_t resumed = client->resumeOffset_ > 0 ? client->resumeOffset_ : 0;
    percentage = static_cast<double>(dlnow + resumed) / client->contentLength_ * 100.0;
  } else {
    if (dlnow <= 0 || dltotal <= 0) return 0;
    percentage = static_cast<double>(dlnow) * 100.0 / static_cast<double>(dltotal);
  }
  if (percentage != 0) {
    if (client->progressSink_) client->progressSink_(speed, percentage);
    if (dltotal != 0)
      UTILS_LOG(L" %dM %dM   progress:%f%%  speed:%f \n", static_cast<int>(dlnow / 1048576),
                static_cast<int>(dltotal / 1048576), static_cast<double>(static_cast<float>(percentage)),
                static_cast<double>(static_cast<float>(speed / 1024)));
  }
  return 0;
}
