#pragma once
// One request over the Windows HTTP services (WinHTTP): GET or POST with extra headers, cookies and
// an optional named proxy. A request that cannot be sent is tried again through the current user's
// Internet Explorer proxy configuration, up to three attempts in all. The response headers are
// read with regular expressions (charset, length, location, cookies); the body is either kept in
// memory and decoded as text, or written to a response file.
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/unique_resource.h"

struct WinHttpHandleTraits {
  using pointer = HINTERNET;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::WinHttpCloseHandle(h); }
};
using UniqueWinHttp = Utils::UniqueResource<WinHttpHandleTraits>;

// Searches `text` from its start for every match of the ECMAScript `pattern` (case-sensitive;
// its first capturing group is the part returned), each search continuing after the previous
// match, and adds each group's text to `matches` unless it is there already. False when the
// pattern or the text is empty or the pattern does not parse.
bool RegexSearchAll(const std::wstring& pattern, const std::wstring& text, std::vector<std::wstring>* matches);

// The text without the characters of `chars` at its start and its end.
std::wstring TrimChars(const std::wstring& text, const std::wstring& chars);

class WinHttpClient {
public:
  // Receives the percentage of the body read so far.
  using ProgressCallback = std::function<void(double percentage)>;

  static constexpr int kMaxAttempts = 3;
  static constexpr DWORD kIncompleteHtml = ERROR_INVALID_DATA;  // 13: a POST answered by half a page

  explicit WinHttpClient(const std::wstring& url);
  ~WinHttpClient();
  WinHttpClient(const WinHttpClient&) = delete;
  WinHttpClient& operator=(const WinHttpClient&) = delete;

  // One request with up to three attempts. True when a response was received and read whole:
  // every byte the response announced arrived and, with a response file, reached the file. The
  // status code is not judged here (see GetResponseStatusCode). Method "GET" or "POST", in any
  // case; any other fails with last error 87 and sends nothing.
  bool SendHttpRequest(const std::wstring& method = L"GET");

  // Request settings; call before SendHttpRequest.
  void SetAdditionalRequestHeaders(const std::wstring& headers) { additionalHeaders_ = headers; }
  void SetAdditionalDataToSend(const std::string& data) { requestData_ = data; }
  void SetRequestCookies(const std::wstring& cookies) { requestCookies_ = cookies; }
  void SetProxy(const std::wstring& proxy) { proxy_ = proxy; }
  void SetProxyCredentials(const std::wstring& userName, const std::wstring& password) {
    proxyUserName_ = userName;
    proxyPassword_ = password;
  }
  void SetUserAgent(const std::wstring& userAgent) { userAgent_ = userAgent; }
  void SetRequireValidSslCertificates(bool require) { checkCertificates_ = require; }
  // Decodes the body with this charset whatever the response headers say.
  void SetForceCharset(const std::wstring& charset) {
    charset_ = charset;
    forceCharset_ = true;
  }
  void SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
  // The body goes to this file instead of memory. The file keeps what it held before the request;
  // the body of every attempt replaces what an earlier attempt of the same request wrote. With
  // `writeToFile` false, only the first block of the body is read, into memory.
  void SetResponseFile(const std::wstring& path, bool writeToFile = true) {
    responseFile_ = path;
    writeToFile_ = writeToFile;
  }
  void SetProgressCallback(ProgressCallback callback) { progress_ = std::move(callback); }
  // When the flag becomes true, the request ends at the next block with last error 1223.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

  // Results of the last request.
  const std::wstring& GetResponseHeader() const { return responseHeader_; }
  const std::wstring& GetResponseContent() const { return responseContent_; }
  const std::vector<char>& GetRawResponseContent() const { return responseBuffer_; }
  const std::wstring& GetResponseCharset() const { return charset_; }
  const std::wstring& GetResponseStatusCode() const { return statusCode_; }
  const std::wstring& GetResponseLocation() const { return location_; }
  const std::wstring& GetResponseCookies() const { return responseCookies_; }
  // The "Content-Length" of the response; 0 when absent.
  uint64_t GetResponseContentLength() const { return contentLength_; }
  // Bytes of the body read by the accepted attempt.
  uint64_t GetResponseBodyBytes() const { return bodyBytes_; }
  const std::wstring& GetHost() const { return host_; }
  DWORD LastError() const { return lastError_; }

private:
  // Sends the request; when that fails, tries the user's proxy configuration (see above).
  bool Send(HINTERNET request);
  // One attempt's response: headers, status, body, decoding. False when the attempt failed.
  bool ReadResponse(HINTERNET request, bool isGet);
  bool ReadBody(HINTERNET request);
  void ParseResponseHeader();
  void DecodeContent();
  bool Cancelled() const { return cancel_ != nullptr && cancel_->load(); }

  UniqueWinHttp session_;
  bool checkCertificates_ = false;
  std::wstring url_;
  std::wstring host_;
  std::wstring responseHeader_;
  std::wstring responseContent_;
  std::wstring charset_;
  std::vector<char> responseBuffer_;
  ProgressCallback progress_;
  uint64_t contentLength_ = 0;
  std::wstring responseCookies_;
  std::wstring requestCookies_;
  std::string requestData_;
  std::wstring additionalHeaders_;
  std::wstring proxy_;
  DWORD lastError_ = 0;
  std::wstring statusCode_;
  std::wstring userAgent_ = L"WinHttpClient";
  bool forceCharset_ = false;
  std::wstring proxyUserName_;
  std::wstring proxyPassword_;
  std::wstring location_;
  int resolveTimeout_ = 0;
  int connectTimeout_ = 60000;
  int sendTimeout_ = 30000;
  int receiveTimeout_ = 30000;
  std::wstring responseFile_;
  bool writeToFile_ = true;

  const std::atomic<bool>* cancel_ = nullptr;
  int64_t responseFileStart_ = 0;  // size of the response file before the request
  uint64_t bodyBytes_ = 0;
};
