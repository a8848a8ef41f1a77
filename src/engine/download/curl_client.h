#pragma once
// One resumable libcurl transfer of one URL into one file. The client resolves the final URL and
// the length of the file first, appends the body to "<file>.part", continues a part file left by
// an earlier attempt from its current size, reports progress to its owner and, on success,
// renames the part file to the destination. While the body arrives, the part file is read back and
// digested alongside, so that the owner's digest check does not have to read the whole file again.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "base/stop_signal.h"
#include "engine/download/curl_common.h"

class FileDigestFollower;

class CurlClient {
public:
  // The client's own results, next to libcurl's CURLcode values.
  static constexpr int kPartFileNotOpened = -996;  // the part file could not be opened
  static constexpr int kNoHandle = -997;        // no easy handle could be made
  static constexpr int kLengthUnknown = -998;   // length unknown or below kMinimumLength
  static constexpr double kMinimumLength = 1048576.0;

  // Receives the download speed in bytes per second and the percentage of the whole file.
  using ProgressSink = std::function<void(double speed, double percentage)>;

  // The owner's progress function comes in here, so that the client knows nothing of its owner.
  CurlClient(const std::wstring& url, const std::wstring& filePath, ProgressSink progressSink);
  // Stops a running transfer at its next progress call and deletes the part file.
  ~CurlClient();
  CurlClient(const CurlClient&) = delete;
  CurlClient& operator=(const CurlClient&) = delete;

  // The destination, or its part file ("<destination>.part").
  std::wstring GetFilePath(bool partFile) const;
  // A new destination for the next attempts. When it differs from the current one, the part file
  // of the old destination is deleted (it cannot be continued elsewhere and must not stay behind)
  // and so is any part file already at the new one (left by another process, it may belong to
  // another package). Not while an attempt runs.
  void SetFilePath(const std::wstring& filePath);

  // One complete attempt. 0 on success (the destination then holds the file), a CURLcode on a
  // transfer failure, one of the client's own results above, or the non-zero combination of
  // option results when a transfer option could not be set.
  int Start();

  // Makes the running transfer abort at its next progress call; any thread may call it.
  void Stop() { stop_ = true; }
  bool Stopped() const { return stop_; }

  // A transfer that stays below `bytesPerSecond` for `seconds` is aborted (libcurl's time-out
  // result), so a server that stops sending cannot hold the installer forever. Defaults: 1 byte
  // per second for 5 seconds. Not while an attempt runs.
  void SetLowSpeedLimit(long bytesPerSecond, long seconds);

  const std::string& RealUrl() const { return realUrl_; }
  double ContentLength() const { return contentLength_; }
  int64_t ResumeOffset() const { return resumeOffset_; }
  const std::string& ErrorText() const { return errorText_; }
  // MD5 digest (32 lower-case hexadecimal digits) of the destination as the last successful
  // attempt stored it, taken from the part file read back while it was written; "" when the last
  // attempt failed or the digest read back is not certain, and the file has to be digested itself.
  const std::string& StoredDigest() const { return storedDigest_; }

  // Header-only request with redirects followed; the caller reads the handle. Null only when no
  // handle could be made.
  UniqueCurl Head(const std::string& url) const;
  // CURLINFO_EFFECTIVE_URL of a performed handle; "" when libcurl has none.
  static std::string GetEffectiveUrl(CURL* handle);
  // The length the server announced; -1.0 when unknown or when the response code is not 200-399.
  static double GetDownloadFileLength(CURL* handle);
  // The effective URL of a header-only request with redirects followed; `url` itself when
  // libcurl reports none.
  std::string GetRealUrl_Str(const std::string& url) const;
  // The announced length of a header-only request without redirects, whatever the response code.
  double GetDownloadFileLength_Str(const std::string& url) const;

  // Where the write callback puts the body: the part file, its length so far and the follower
  // that digests it.
  struct PartSink {
    FILE* file;
    int64_t stored;
    FileDigestFollower* follower;
  };
  static size_t WriteCallback(char* data, size_t size, size_t count, void* partSink);
  static int ProgressCallback(void* client, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal,
                              curl_off_t ulnow);

private:
  // Options that every request of the client shares: connect time-out and low-speed abort.
  CURLcode SetCommonOptions(CURL* handle) const;
  // Header-only request with redirects followed, on a new handle (null when none could be made).
  UniqueCurl PerformHeaderRequest(const std::string& url, CURLcode* result) const;

  std::wstring url_;
  std::wstring filePath_;
  UniqueCurl easy_;  // the transfer now running; read by the progress callback
  ProgressSink progressSink_;
  double contentLength_ = -1.0;
  int64_t resumeOffset_ = -1;
  int64_t lastProgressSecond_ = 0;
  std::atomic<bool> stop_{false};
  std::string realUrl_;  // UTF-8; the final URL after redirects
  std::string errorText_;
  std::string storedDigest_;
  long lowSpeedLimit_ = 1;
  long lowSpeedTime_ = 5;
};
