#pragma once
// A small HTTP/1.1 server for the installer's downloads, run inside a test program (a thread on
// 127.0.0.1 with an ephemeral port) or as the standalone package_server.exe.
//
// It serves packages under the download service's layout, "/<md5>/<file name>", where the
// second-to-last path segment is the package's MD5 digest in lower-case hexadecimal. It answers
// HEAD with the length, GET with the bytes, byte ranges ("a-b", "a-", "-n") with 206 and
// Content-Range, ranges beyond the end with 416, and redirects with an absolute or a relative
// Location. Every request is logged (method, path, Range and all other headers) so that tests can
// count attempts and read what the client sent. Faults are injected either for the whole run
// (SetFault) or for the next matching requests only (QueueFault).
//
// Every connection is answered with "Connection: close": each request has its own connection, so a
// fault that breaks one never leaks into the next.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace PackageServer {

enum class FaultKind {
  kNone,
  kNotFound,            // 404 with a small body (and its length)
  kServerError,         // 500 with a small body
  kNoContentLength,     // no Content-Length; a GET body ends when the connection closes (after
                        // `value` bytes when it is not 0)
  kShortContentLength,  // the length (and the body) stop after `value` bytes, as if the file were shorter
  kCutBody,             // the full length is announced, the connection closes after `value` body bytes
  kStall,               // the full length is announced, `value` body bytes are sent, then silence
  kNoResponse,          // the request is read and never answered
  kWrongBytes,          // the body has the right length but its first byte is altered
  kIgnoreRange,         // any Range header is ignored: 200 and the whole file
  kSlowRate,            // the body is paced at `value` bytes per second
  kGarbage,             // a status line followed by headers that make no sense (a length in words,
                        // control bytes, a header without a name)
};

struct Fault {
  FaultKind kind = FaultKind::kNone;
  uint64_t value = 0;   // see FaultKind
  std::string method;   // "GET", "HEAD"; empty: any method
  std::string path;     // exact request path; empty: any path
};

// One request as the server received it.
struct RequestRecord {
  std::string method;
  std::string target;   // as sent, with any query
  std::string path;     // target without the query
  std::string range;    // value of the Range header; empty when absent
  std::vector<std::pair<std::string, std::string>> headers;  // in the order sent
  int status = 0;       // status sent; 0 when none was (garbage, no response)
  FaultKind fault = FaultKind::kNone;

  bool HasHeader(const std::string& name) const;      // case-insensitive name
  std::string Header(const std::string& name) const;  // "" when absent
};

class Server {
public:
  Server();
  ~Server();  // stops the server, ends every connection and joins every thread
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds 127.0.0.1 on the port (0: an ephemeral one) and starts serving. False when the
  // socket cannot be bound or the server runs already.
  bool Start(uint16_t port = 0);
  void Stop();
  uint16_t Port() const;
  std::string BaseUrl() const;                       // "http://127.0.0.1:<port>"
  std::string Url(const std::string& path) const;    // BaseUrl() + path

  // Packages from memory or from a file (a file is streamed from disk at every request, so a
  // package of hundreds of MiB costs no memory). Each returns the path "/<md5>/<name>", or ""
  // when the file cannot be read.
  std::string AddPackage(const std::string& name, std::string bytes);
  std::string AddPackageFile(const std::string& name, const std::wstring& filePath);
  // Bytes at an exact path of the caller's choosing (no digest segment).
  void AddFile(const std::string& path, std::string bytes);
  bool AddFileFromDisk(const std::string& path, const std::wstring& filePath);
  // A redirect: `location` is sent as is, so it may be absolute ("http://...") or relative.
  void AddRedirect(const std::string& path, const std::string& location, int status = 302);
  // Every regular file of the folder as a package, plus a redirect from "/<name>" to its
  // digest path. Returns the digest paths added.
  std::vector<std::string> AddFolder(const std::wstring& folder);
  void Remove(const std::string& path);

  // Faults. A per-run fault applies to every matching request until cleared; a queued fault to
  // the next `count` matching requests. Queued faults are checked first, in the order queued.
  void SetFault(const Fault& fault);
  void QueueFault(const Fault& fault, int count = 1);
  void ClearFaults();

  std::vector<RequestRecord> Requests() const;
  // Requests whose method matches (empty: any) and whose path matches (empty: any).
  size_t CountRequests(const std::string& method, const std::string& path = std::string()) const;
  // Also starts the count of body bytes sent from zero.
  void ClearRequests();
  // Waits until the server has sent at least `bytes` bytes of response bodies (since the start or
  // the last ClearRequests); false when `limitMs` passes first.
  bool WaitForBodyBytes(uint64_t bytes, unsigned limitMs) const;

  // The lower-case MD5 digest of bytes or of a file ("" when the file cannot be read).
  static std::string Md5Hex(const std::string& bytes);
  static std::string FileMd5Hex(const std::wstring& filePath);

private:
  struct State;
  std::unique_ptr<State> state_;
};

// Parses a fault given on the command line: "404", "500", "nolength", "nolengthcut:<n>",
// "shortlength:<n>", "cut:<n>", "stall:<n>", "noresponse", "wrongbytes", "ignorerange",
// "slow:<bytes per second>", "garbage", each optionally followed by "@GET" or "@HEAD". False for
// anything else.
bool ParseFault(const std::string& text, Fault* fault);

}  // namespace PackageServer
