#include "engine/download/winhttp_client.h"

#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <regex>

#include "base/file_size.h"
#include "base/log.h"

namespace {

// Patterns over the raw response headers (lines end in CR LF).
const wchar_t kCharsetPattern[] = L"charset=([A-Za-z0-9\\-_]+)";
const wchar_t kContentLengthPattern[] = L"Content-Length: ([0-9]+)";
// Up to and including the first line feed after the target.
const wchar_t kLocationPattern[] = L"Location: (https?:[\\s\\S]+?\\n)";
// Blanks after the colon are skipped; the value ends at the line end (CR, CR LF or LF).
const wchar_t kSetCookiePattern[] = L"Set-Cookie:[ \\t]*([\\s\\S]+?)(?:\\r\\n|\\r|\\n)";

constexpr size_t kInitialBufferSize = 10240;
constexpr size_t kFileBufferSize = 1024 * 1024;

// Strings that WinHTTP allocates for its caller are freed with GlobalFree.
void FreeGlobalString(wchar_t* text) {
  if (text != nullptr) GlobalFree(text);
}

struct IeProxyConfig {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config = {};
  IeProxyConfig() = default;
  IeProxyConfig(const IeProxyConfig&) = delete;
  IeProxyConfig& operator=(const IeProxyConfig&) = delete;
  ~IeProxyConfig() {
    FreeGlobalString(config.lpszAutoConfigUrl);
    FreeGlobalString(config.lpszProxy);
    FreeGlobalString(config.lpszProxyBypass);
  }
};

struct ProxyInfo {
  WINHTTP_PROXY_INFO info = {};
  ProxyInfo() = default;
  ProxyInfo(const ProxyInfo&) = delete;
  ProxyInfo& operator=(const ProxyInfo&) = delete;
  ~ProxyInfo() {
    FreeGlobalString(info.lpszProxy);
    FreeGlobalString(info.lpszProxyBypass);
  }
};

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t length = std::wcslen(prefix);
  return text.size() >= length && _wcsnicmp(text.c_str(), prefix, length) == 0;
}

std::wstring Decode(const std::vector<char>& bytes, UINT codePage, DWORD flags) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), size, &text[0], length);
  return text;
}

// The client's file errors go to the log sink as they are, without the log line's prefix.
void DebugMessage(const wchar_t* format, DWORD code) { Utils::DebugPrintf(format, static_cast<int>(code)); }

}  // namespace

bool RegexSearchAll(const std::wstring& pattern, const std::wstring& text, std::vector<std::wstring>* matches) {
  if (pattern.empty() || text.empty() || matches == nullptr) return false;
  std::wregex expression;
  try {
    expression.assign(pattern, std::regex_constants::ECMAScript);
  } catch (const std::regex_error&) {
    return false;
  }
  try {
    for (std::wsregex_iterator it(text.begin(), text.end(), expression), end; it != end; ++it) {
      const std::wstring value = it->size() > 1 ? it->str(1) : it->str(0);
      if (std::find(matches->begin(), matches->end(), value) == matches->end()) matches->push_back(value);
    }
  } catch (const std::regex_error&) {
    // Too complex for the matcher: what was found stands.
  }
  return true;
}

std::wstring TrimChars(const std::wstring& text, const std::wstring& chars) {
  const size_t first = text.find_first_not_of(chars);
  if (first == std::wstring::npos) return std::wstring();
  const size_t last = text.find_last_not_of(chars);
  return text.substr(first, last - first + 1);
}

WinHttpClient::WinHttpClient(const std::wstring& url) : url_(url) {}

WinHttpClient::~WinHttpClient() = default;

void WinHttpClient::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
  resolveTimeout_ = resolveMs;
  connectTimeout_ = connectMs;
  sendTimeout_ = sendMs;
  receiveTimeout_ = receiveMs;
}

bool WinHttpClient::SendHttpRequest(const std::wstring& method) {
  if (url_.empty()) {
    lastError_ = ERROR_PATH_NOT_FOUND;
    return false;
  }
  const bool isGet = _wcsicmp(method.c_str(), L"GET") == 0;
  if (!isGet && _wcsicmp(method.c_str(), L"POST") != 0) {
    lastError_ = ERROR_INVALID_PARAMETER;
    return false;
  }
  if (!session_) {
    session_.reset(WinHttpOpen(userAgent_.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session_) {
      lastError_ = ::GetLastError();
      return false;
    }
    WinHttpSetTimeouts(session_.get(), resolveTimeout_, connectTimeout_, sendTimeout_, receiveTimeout_);
  }

  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url_.c_str(), 0, 0, &parts)) {
    lastError_ = ::GetLastError();
    return false;
  }
  host_.assign(parts.lpszHostName, parts.dwHostNameLength);
  // The query belongs to the request as much as the path does.
  std::wstring object(parts.lpszUrlPath, parts.dwUrlPathLength);
  object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

  UniqueWinHttp connection(WinHttpConnect(session_.get(), host_.c_str(), parts.nPort, 0));
  if (!connection) {
    lastError_ = ::GetLastError();
    return false;
  }
  UniqueWinHttp request(WinHttpOpenRequest(connection.get(), isGet ? L"GET" : L"POST",
                                           object.empty() ? nullptr : object.c_str(), nullptr,
                                           WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                           secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request) {
    lastError_ = ::GetLastError();
    return false;
  }
  if (secure && !checkCertificates_) {
    DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
                  SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
  }
  // Once per request: headers added again by every attempt would be merged into themselves
  // ("a=1; a=1").
  if (!additionalHeaders_.empty()) {
    WinHttpAddRequestHeaders(request.get(), additionalHeaders_.c_str(), static_cast<DWORD>(-1),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
  }
  if (!requestCookies_.empty()) {
    const std::wstring cookie = L"Cookie: " + requestCookies_;
    WinHttpAddRequestHeaders(request.get(), cookie.c_str(), static_cast<DWORD>(-1),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_COALESCE_WITH_SEMICOLON);
  }

  responseFileStart_ = responseFile_.empty() ? 0 : std::max<int64_t>(Utils::FileSize(responseFile_), 0);
  bool succeeded = false;
  for (int attempt = 0; attempt < kMaxAttempts && !succeeded; ++attempt) {
    if (Cancelled()) {
      lastError_ = ERROR_CANCELLED;
      break;
    }
    if (!proxy_.empty()) {
      WINHTTP_PROXY_INFO info = {};
      info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
      info.lpszProxy = const_cast<wchar_t*>(proxy_.c_str());
      WinHttpSetOption(request.get(), WINHTTP_OPTION_PROXY, &info, sizeof(info));
      if (!proxyUserName_.empty()) {
        WinHttpSetOption(request.get(), WINHTTP_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(proxyUserName_.c_str()),
                         static_cast<DWORD>(proxyUserName_.size()));
      }
      if (!proxyPassword_.empty()) {
        WinHttpSetOption(request.get(), WINHTTP_OPTION_PROXY_PASSWORD, const_cast<wchar_t*>(proxyPassword_.c_str()),
                         static_cast<DWORD>(proxyPassword_.size()));
      }
    }
    if (!Send(request.get())) continue;
    if (!requestData_.empty()) {
      DWORD written = 0;
      if (!WinHttpWriteData(request.get(), requestData_.data(), static_cast<DWORD>(requestData_.size()), &written)) {
        lastError_ = ::GetLastError();
        continue;
      }
    }
    if (!WinHttpReceiveResponse(request.get(), nullptr)) {
      lastError_ = ::GetLastError();
      continue;
    }
    succeeded = ReadResponse(request.get(), isGet);
  }
  return succeeded;
}

bool WinHttpClient::Send(HINTERNET request) {
  const DWORD total = static_cast<DWORD>(requestData_.size());
  if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, total, 0)) return true;
  lastError_ = ::GetLastError();

  IeProxyConfig ie;
  if (!WinHttpGetIEProxyConfigForCurrentUser(&ie.config)) {
    lastError_ = ::GetLastError();
    return false;
  }
  if (ie.config.lpszAutoConfigUrl != nullptr) {
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT | WINHTTP_AUTOPROXY_CONFIG_URL;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP;
    options.lpszAutoConfigUrl = ie.config.lpszAutoConfigUrl;
    options.fAutoLogonIfChallenged = TRUE;
    ProxyInfo found;
    if (!WinHttpGetProxyForUrl(session_.get(), url_.c_str(), &options, &found.info)) {
      lastError_ = ::GetLastError();
      return false;
    }
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &found.info, sizeof(found.info));
    if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, total, 0)) return true;
    lastError_ = ::GetLastError();
  } else if (ie.config.lpszProxy != nullptr) {
    // Used by the next attempt.
    WINHTTP_PROXY_INFO info = {};
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    info.lpszProxy = ie.config.lpszProxy;
    info.lpszProxyBypass = ie.config.lpszProxyBypass;
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof(info));
  }
  return false;
}

bool WinHttpClient::ReadResponse(HINTERNET request, bool isGet) {
  responseHeader_.clear();
  responseContent_.clear();
  responseBuffer_.clear();
  responseCookies_.clear();
  location_.clear();
  statusCode_.clear();
  contentLength_ = 0;
  bodyBytes_ = 0;

  DWORD size = 0;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER,
                      &size, WINHTTP_NO_HEADER_INDEX);
  if (size > 0) {
    std::wstring header(size / sizeof(wchar_t) + 1, L'\0');
    if (WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, &header[0], &size,
                            WINHTTP_NO_HEADER_INDEX)) {
      header.resize(size / sizeof(wchar_t));
      responseHeader_ = header;
    }
  }
  ParseResponseHeader();
  wchar_t status[32] = {};
  DWORD statusSize = sizeof(status);
  if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE, WINHTTP_HEADER_NAME_BY_INDEX, status, &statusSize,
                          WINHTTP_NO_HEADER_INDEX)) {
    statusCode_ = status;
  }

  if (!ReadBody(request)) return false;
  DecodeContent();
  if (!isGet && responseContent_.find(L"<html>") != std::wstring::npos &&
      responseContent_.find(L"</html>") == std::wstring::npos) {
    lastError_ = kIncompleteHtml;
    return false;
  }
  return true;
}

void WinHttpClient::ParseResponseHeader() {
  std::vector<std::wstring> found;
  if (!forceCharset_ && RegexSearchAll(kCharsetPattern, responseHeader_, &found) && !found.empty()) {
    charset_ = found.front();
  }
  found.clear();
  if (RegexSearchAll(kContentLengthPattern, responseHeader_, &found) && !found.empty()) {
    contentLength_ = std::wcstoull(found.front().c_str(), nullptr, 10);
  }
  found.clear();
  if (RegexSearchAll(kLocationPattern, responseHeader_, &found) && !found.empty()) location_ = found.front();
  found.clear();
  if (RegexSearchAll(kSetCookiePattern, responseHeader_, &found) && !found.empty()) {
    std::wstring cookies;
    for (const std::wstring& cookie : found) {
      if (!cookies.empty()) cookies += L"; ";
      cookies += cookie;
    }
    cookies = TrimChars(cookies, L" ");
    if (!cookies.empty() && cookies.back() != L';') cookies += L';';
    responseCookies_ = cookies;
  }
}

bool WinHttpClient::ReadBody(HINTERNET request) {
  const bool toFile = !responseFile_.empty() && writeToFile_;
  const bool firstBlockOnly = !responseFile_.empty() && !writeToFile_;
  Utils::UniqueCFile file;
  if (toFile) {
    file.reset(_wfopen(responseFile_.c_str(), L"ab"));
    // What an earlier attempt of this request wrote is replaced, not continued: the body of a new
    // attempt starts from its first byte.
    if (file && _chsize_s(_fileno(file.get()), responseFileStart_) != 0) file.reset();
    if (!file) {
      lastError_ = ::GetLastError();
      DebugMessage(L"Failed to open response file. Error code: %d", lastError_);
      return false;
    }
    setvbuf(file.get(), nullptr, _IOFBF, kFileBufferSize);
  } else {
    responseBuffer_.reserve(kInitialBufferSize);
  }

  std::vector<char> block;
  bool readFailed = false;
  for (;;) {
    if (Cancelled()) {
      lastError_ = ERROR_CANCELLED;
      return false;
    }
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) {
      readFailed = true;
      break;
    }
    if (available == 0) break;
    if (progress_ && contentLength_ > 0)
      progress_(static_cast<double>(bodyBytes_) * 100.0 / static_cast<double>(contentLength_));
    if (block.size() < available) block.resize(available);
    DWORD read = 0;
    if (!WinHttpReadData(request, block.data(), available, &read)) {
      readFailed = true;
      break;
    }
    if (read == 0) break;
    bodyBytes_ += read;
    if (toFile) {
      if (fwrite(block.data(), 1, read, file.get()) != read) {
        lastError_ = ::GetLastError();
        DebugMessage(L"Failed to write response data. Error code: %d", lastError_);
        return false;
      }
    } else {
      responseBuffer_.insert(responseBuffer_.end(), block.data(), block.data() + read);
      if (firstBlockOnly) break;
    }
  }
  if (readFailed) lastError_ = ::GetLastError();
  if (progress_) {
    progress_(contentLength_ > 0 ? static_cast<double>(bodyBytes_) * 100.0 / static_cast<double>(contentLength_)
                                 : 100.0);
  }
  if (file && fclose(file.release()) != 0) {
    lastError_ = ERROR_WRITE_FAULT;
    DebugMessage(L"Failed to write response data. Error code: %d", lastError_);
    return false;
  }
  if (readFailed) return false;
  // A connection that closes early may look like the end of the body: only the length the
  // response announced tells a cut body from a whole one.
  if (!firstBlockOnly && bodyBytes_ < contentLength_) {
    lastError_ = ERROR_WINHTTP_CONNECTION_ERROR;
    return false;
  }
  return true;
}

void WinHttpClient::DecodeContent() {
  if (responseBuffer_.empty()) return;
  if (StartsWithNoCase(charset_, L"utf-8")) {
    responseContent_ = Decode(responseBuffer_, CP_UTF8, 0);
  } else {
    responseContent_ = Decode(responseBuffer_, CP_ACP, MB_PRECOMPOSED);
  }
  if (responseContent_.empty()) responseContent_ = Decode(responseBuffer_, CP_ACP, MB_PRECOMPOSED);
}
