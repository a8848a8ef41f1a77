#include "package_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "base/unique_resource.h"

namespace PackageServer {
namespace {

using Utils::UniqueSocket;

struct CryptProvTraits {
  using pointer = HCRYPTPROV;
  static pointer invalid() noexcept { return 0; }
  static void close(pointer p) noexcept { ::CryptReleaseContext(p, 0); }
};
struct CryptHashTraits {
  using pointer = HCRYPTHASH;
  static pointer invalid() noexcept { return 0; }
  static void close(pointer h) noexcept { ::CryptDestroyHash(h); }
};

struct FindTraits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::FindClose(h); }
};

// Polling granularity of every wait: how quickly Stop() is noticed by blocked connections.
constexpr int kPollMs = 25;
constexpr size_t kMaxHeaderBytes = 64 * 1024;
constexpr size_t kSendChunk = 1 << 20;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string TrimSpaces(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

class Md5 {
public:
  Md5() {
    if (!CryptAcquireContextW(prov_.put(), nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
      return;
    CryptCreateHash(prov_.get(), CALG_MD5, 0, 0, hash_.put());
  }
  bool Update(const void* data, size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    while (hash_ && size > 0) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
      if (!CryptHashData(hash_.get(), p, chunk, 0)) return false;
      p += chunk;
      size -= chunk;
    }
    return static_cast<bool>(hash_);
  }
  std::string HexDigest() {
    BYTE digest[16];
    DWORD size = sizeof(digest);
    if (!hash_ || !CryptGetHashParam(hash_.get(), HP_HASHVAL, digest, &size, 0) || size != 16)
      return {};
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (BYTE b : digest) {
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
    return out;
  }

private:
  Utils::UniqueResource<CryptProvTraits> prov_;
  Utils::UniqueResource<CryptHashTraits> hash_;
};

bool FileSize(const std::wstring& path, uint64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 308: return "Permanent Redirect";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

// What a path serves: bytes in memory, a file on disk, or a redirect.
struct Resource {
  std::shared_ptr<const std::string> bytes;
  std::wstring file;
  uint64_t size = 0;
  std::string location;
  int redirectStatus = 0;
};

struct QueuedFault {
  Fault fault;
  int remaining;
};

bool FaultMatches(const Fault& fault, const std::string& method, const std::string& path) {
  return (fault.method.empty() || fault.method == method) &&
         (fault.path.empty() || fault.path == path);
}

}  // namespace

bool RequestRecord::HasHeader(const std::string& name) const {
  std::string key = Lower(name);
  for (const auto& header : headers)
    if (Lower(header.first) == key) return true;
  return false;
}

std::string RequestRecord::Header(const std::string& name) const {
  std::string key = Lower(name);
  for (const auto& header : headers)
    if (Lower(header.first) == key) return header.second;
  return {};
}

struct Server::State {
  mutable std::mutex mutex;
  std::map<std::string, Resource> resources;
  Fault runFault;
  std::deque<QueuedFault> queuedFaults;
  std::vector<RequestRecord> log;
  // Body bytes sent since the start or the last ClearRequests; waiters hear of each block.
  mutable uint64_t bodyBytesSent = 0;
  mutable std::condition_variable sentChanged;

  UniqueSocket listener;
  uint16_t port = 0;
  std::atomic<bool> stopping{false};
  std::thread acceptThread;
  struct Connection {
    std::thread thread;
    std::atomic<bool> done{false};
  };
  std::list<Connection> connections;  // touched by the accept thread and by Stop only
  bool wsaStarted = false;

  void AcceptLoop();
  void Serve(SOCKET socket);
  Fault TakeFault(const std::string& method, const std::string& path);

  // Waits until the socket can be read or written; false when the server stops first or the
  // socket fails.
  bool WaitFor(SOCKET socket, bool write) const;
  bool SendAll(SOCKET socket, const char* data, size_t size) const;
  bool SendText(SOCKET socket, const std::string& text) const { return SendAll(socket, text.data(), text.size()); }
  // Silence until the client hangs up or the server stops.
  void WaitForHangUp(SOCKET socket) const;
  bool SendBody(SOCKET socket, const Resource& resource, uint64_t offset, uint64_t count,
                const Fault& fault) const;
};

Server::Server() : state_(std::make_unique<State>()) {
  WSADATA data;
  state_->wsaStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Server::~Server() {
  Stop();
  if (state_->wsaStarted) WSACleanup();
}

bool Server::Start(uint16_t port) {
  State& s = *state_;
  if (s.listener || !s.wsaStarted) return false;
  UniqueSocket listener(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!listener) return false;
  BOOL exclusive = TRUE;
  setsockopt(listener.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
             sizeof(exclusive));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return false;
  if (listen(listener.get(), SOMAXCONN) != 0) return false;
  int length = sizeof(address);
  if (getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
  s.port = ntohs(address.sin_port);
  s.listener = std::move(listener);
  s.stopping = false;
  s.acceptThread = std::thread([&s] { s.AcceptLoop(); });
  return true;
}

void Server::Stop() {
  State& s = *state_;
  s.stopping = true;
  if (s.acceptThread.joinable()) s.acceptThread.join();
  for (auto& connection : s.connections)
    if (connection.thread.joinable()) connection.thread.join();
  s.connections.clear();
  s.listener.reset();
}

uint16_t Server::Port() const { return state_->port; }

std::string Server::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(state_->port); }

std::string Server::Url(const std::string& path) const { return BaseUrl() + path; }

std::string Server::AddPackage(const std::string& name, std::string bytes) {
  std::string path = "/" + Md5Hex(bytes) + "/" + name;
  AddFile(path, std::move(bytes));
  return path;
}

std::string Server::AddPackageFile(const std::string& name, const std::wstring& filePath) {
  std::string digest = FileMd5Hex(filePath);
  if (digest.empty()) return {};
  std::string path = "/" + digest + "/" + name;
  return AddFileFromDisk(path, filePath) ? path : std::string();
}

void Server::AddFile(const std::string& path, std::string bytes) {
  Resource resource;
  resource.size = bytes.size();
  resource.bytes = std::make_shared<const std::string>(std::move(bytes));
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->resources[path] = std::move(resource);
}

bool Server::AddFileFromDisk(const std::string& path, const std::wstring& filePath) {
  Resource resource;
  if (!FileSize(filePath, &resource.size)) return false;
  resource.file = filePath;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->resources[path] = std::move(resource);
  return true;
}

void Server::AddRedirect(const std::string& path, const std::string& location, int status) {
  Resource resource;
  resource.location = location;
  resource.redirectStatus = status;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->resources[path] = std::move(resource);
}

std::vector<std::string> Server::AddFolder(const std::wstring& folder) {
  std::vector<std::string> added;
  WIN32_FIND_DATAW found;
  Utils::UniqueResource<FindTraits> find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find) return added;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring wideName = found.cFileName;
    int n = WideCharToMultiByte(CP_UTF8, 0, wideName.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string name(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wideName.c_str(), -1, name.data(), n, nullptr, nullptr);
    std::string path = AddPackageFile(name, folder + L"\\" + wideName);
    if (path.empty()) continue;
    AddRedirect("/" + name, path);
    added.push_back(path);
  } while (FindNextFileW(find.get(), &found));
  return added;
}

void Server::Remove(const std::string& path) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->resources.erase(path);
}

void Server::SetFault(const Fault& fault) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->runFault = fault;
}

void Server::QueueFault(const Fault& fault, int count) {
  if (count <= 0) return;
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->queuedFaults.push_back({fault, count});
}

void Server::ClearFaults() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->runFault = Fault();
  state_->queuedFaults.clear();
}

std::vector<RequestRecord> Server::Requests() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->log;
}

size_t Server::CountRequests(const std::string& method, const std::string& path) const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return static_cast<size_t>(std::count_if(state_->log.begin(), state_->log.end(), [&](const RequestRecord& r) {
    return (method.empty() || r.method == method) && (path.empty() || r.path == path);
  }));
}

void Server::ClearRequests() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->log.clear();
  state_->bodyBytesSent = 0;
}

bool Server::WaitForBodyBytes(uint64_t bytes, unsigned limitMs) const {
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->sentChanged.wait_for(lock, std::chrono::milliseconds(limitMs),
                                      [&] { return state_->bodyBytesSent >= bytes; });
}

std::string Server::Md5Hex(const std::string& bytes) {
  Md5 md5;
  return md5.Update(bytes.data(), bytes.size()) ? md5.HexDigest() : std::string();
}

std::string Server::FileMd5Hex(const std::wstring& filePath) {
  Utils::UniqueFileHandle file(CreateFileW(filePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  Md5 md5;
  std::vector<char> buffer(kSendChunk);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return {};
    if (got == 0) break;
    if (!md5.Update(buffer.data(), got)) return {};
  }
  return md5.HexDigest();
}

void Server::State::AcceptLoop() {
  while (!stopping) {
    // Finished connections are reaped here so that a long benchmark does not pile up threads.
    for (auto it = connections.begin(); it != connections.end();) {
      if (it->done) {
        it->thread.join();
        it = connections.erase(it);
      } else {
        ++it;
      }
    }
    if (!WaitFor(listener.get(), false)) continue;
    SOCKET accepted = accept(listener.get(), nullptr, nullptr);
    if (accepted == INVALID_SOCKET) continue;
    connections.emplace_back();
    Connection& connection = connections.back();
    connection.thread = std::thread([this, accepted, &connection] {
      Serve(accepted);
      connection.done = true;
    });
  }
}

bool Server::State::WaitFor(SOCKET socket, bool write) const {
  while (!stopping) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout{0, kPollMs * 1000};
    int ready = write ? select(0, nullptr, &set, nullptr, &timeout) : select(0, &set, nullptr, nullptr, &timeout);
    if (ready > 0) return true;
    if (ready < 0) return false;
  }
  return false;
}

bool Server::State::SendAll(SOCKET socket, const char* data, size_t size) const {
  while (size > 0) {
    int chunk = static_cast<int>(std::min<size_t>(size, kSendChunk));
    int sent = send(socket, data, chunk, 0);
    if (sent == SOCKET_ERROR) {
      if (WSAGetLastError() != WSAEWOULDBLOCK || !WaitFor(socket, true)) return false;
      continue;
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

void Server::State::WaitForHangUp(SOCKET socket) const {
  char sink[4096];
  while (WaitFor(socket, false)) {
    int got = recv(socket, sink, sizeof(sink), 0);
    if (got == 0) return;
    if (got == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return;
  }
}

Fault Server::State::TakeFault(const std::string& method, const std::string& path) {
  for (auto it = queuedFaults.begin(); it != queuedFaults.end(); ++it) {
    if (!FaultMatches(it->fault, method, path)) continue;
    Fault fault = it->fault;
    if (--it->remaining <= 0) queuedFaults.erase(it);
    return fault;
  }
  if (runFault.kind != FaultKind::kNone && FaultMatches(runFault, method, path)) return runFault;
  return Fault();
}

bool Server::State::SendBody(SOCKET socket, const Resource& resource, uint64_t offset, uint64_t count,
                             const Fault& fault) const {
  uint64_t limit = count;
  if (fault.kind == FaultKind::kCutBody || fault.kind == FaultKind::kStall ||
      (fault.kind == FaultKind::kNoContentLength && fault.value > 0))
    limit = std::min(count, fault.value);
  const uint64_t rate = fault.kind == FaultKind::kSlowRate ? std::max<uint64_t>(fault.value, 1) : 0;

  Utils::UniqueFileHandle file;
  std::vector<char> buffer;
  if (!resource.bytes) {
    file.reset(CreateFileW(resource.file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return false;
    buffer.resize(kSendChunk);
  }

  auto start = std::chrono::steady_clock::now();
  uint64_t sent = 0;
  while (sent < limit && !stopping) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(limit - sent, kSendChunk));
    if (rate) {
      // Pace the body: never ahead of `rate` bytes per second since the body began.
      chunk = static_cast<size_t>(std::min<uint64_t>(chunk, std::max<uint64_t>(rate / 10, 1)));
      for (;;) {
        double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (static_cast<double>(sent + chunk) <= elapsed * static_cast<double>(rate) || stopping) break;
        Sleep(10);
      }
    }
    const char* data;
    if (resource.bytes) {
      data = resource.bytes->data() + offset + sent;
    } else {
      DWORD got = 0;
      if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(chunk), &got, nullptr) || got != chunk)
        return false;
      data = buffer.data();
    }
    if (fault.kind == FaultKind::kWrongBytes && sent == 0 && chunk > 0) {
      std::string altered(data, chunk);
      altered[0] = static_cast<char>(~altered[0]);
      if (!SendAll(socket, altered.data(), altered.size())) return false;
    } else if (!SendAll(socket, data, chunk)) {
      return false;
    }
    sent += chunk;
    {
      std::lock_guard<std::mutex> lock(mutex);
      bodyBytesSent += chunk;
    }
    sentChanged.notify_all();
  }
  if (fault.kind == FaultKind::kStall) WaitForHangUp(socket);
  return sent == limit;
}

namespace {

struct ParsedRequest {
  std::string method, target, version;
  std::vector<std::pair<std::string, std::string>> headers;
};

bool ParseRequest(const std::string& head, ParsedRequest* request) {
  size_t lineEnd = head.find("\r\n");
  std::string line = head.substr(0, lineEnd);
  size_t first = line.find(' ');
  size_t second = first == std::string::npos ? std::string::npos : line.find(' ', first + 1);
  if (first == std::string::npos || second == std::string::npos) return false;
  request->method = line.substr(0, first);
  request->target = line.substr(first + 1, second - first - 1);
  request->version = line.substr(second + 1);
  if (request->method.empty() || request->target.empty() || request->version.compare(0, 5, "HTTP/") != 0)
    return false;
  size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos) end = head.size();
    std::string header = head.substr(pos, end - pos);
    pos = end + 2;
    if (header.empty()) break;
    size_t colon = header.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    request->headers.emplace_back(header.substr(0, colon), TrimSpaces(header.substr(colon + 1)));
  }
  return true;
}

// "bytes=a-b", "bytes=a-", "bytes=-n". Returns 1 for a satisfiable range, 0 for a header that is
// ignored (not a single byte range), -1 for a range that starts beyond the end.
int ParseRange(const std::string& header, uint64_t size, uint64_t* first, uint64_t* last) {
  std::string value = TrimSpaces(header);
  if (value.compare(0, 6, "bytes=") != 0) return 0;
  value = value.substr(6);
  if (value.find(',') != std::string::npos) return 0;
  size_t dash = value.find('-');
  if (dash == std::string::npos) return 0;
  std::string a = TrimSpaces(value.substr(0, dash)), b = TrimSpaces(value.substr(dash + 1));
  auto digits = [](const std::string& s) {
    return !s.empty() && s.size() <= 19 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (a.empty()) {
    if (!digits(b)) return 0;
    const uint64_t suffix = std::stoull(b);
    if (suffix == 0 || size == 0) return -1;
    *first = suffix >= size ? 0 : size - suffix;
    *last = size - 1;
    return 1;
  }
  if (!digits(a) || (!b.empty() && !digits(b))) return 0;
  const uint64_t start = std::stoull(a);
  uint64_t end = b.empty() ? start : std::stoull(b);
  if (end < start) return 0;  // not a valid range: ignored
  if (start >= size) return -1;
  *first = start;
  *last = b.empty() || end >= size ? size - 1 : end;
  return 1;
}

}  // namespace

void Server::State::Serve(SOCKET raw) {
  UniqueSocket socket(raw);
  u_long nonBlocking = 1;
  ioctlsocket(socket.get(), FIONBIO, &nonBlocking);

  std::string head;
  char chunk[4096];
  size_t headerEnd = std::string::npos;
  while (headerEnd == std::string::npos) {
    if (head.size() > kMaxHeaderBytes || !WaitFor(socket.get(), false)) return;
    int got = recv(socket.get(), chunk, sizeof(chunk), 0);
    if (got == 0) return;
    if (got == SOCKET_ERROR) {
      if (WSAGetLastError() == WSAEWOULDBLOCK) continue;
      return;
    }
    head.append(chunk, static_cast<size_t>(got));
    headerEnd = head.find("\r\n\r\n");
  }
  head.resize(headerEnd + 2);

  ParsedRequest request;
  RequestRecord record;
  bool parsed = ParseRequest(head, &request);
  record.method = request.method;
  record.target = request.target;
  std::string path = request.target;
  if (path.compare(0, 7, "http://") == 0) {  // absolute form
    size_t slash = path.find('/', 7);
    path = slash == std::string::npos ? "/" : path.substr(slash);
  }
  record.path = path.substr(0, path.find('?'));
  record.headers = request.headers;
  record.range = record.Header("Range");

  Fault fault;
  Resource resource;
  bool found = false;
  size_t index;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (parsed) fault = TakeFault(record.method, record.path);
    record.fault = fault.kind;
    auto it = resources.find(record.path);
    if (it != resources.end()) {
      resource = it->second;
      found = true;
    }
    // Logged before any byte of the answer leaves, so that a client which has seen the answer
    // always finds its request in the log.
    index = log.size();
    log.push_back(record);
  }
  auto setStatus = [&](int status) {
    std::lock_guard<std::mutex> lock(mutex);
    log[index].status = status;
  };
  auto simple = [&](int status, const std::string& extraHeaders, const std::string& body, bool withBody) {
    setStatus(status);
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n" + extraHeaders +
                       "Content-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                       "\r\nConnection: close\r\n\r\n";
    if (withBody) text += body;
    SendText(socket.get(), text);
  };

  const bool isHead = request.method == "HEAD";
  if (!parsed) {
    simple(400, "", "bad request\n", true);
  } else if (fault.kind == FaultKind::kGarbage) {
    // A status line, then headers no client can make sense of.
    static const char kGarbage[] =
        "HTTP/1.1 200 OK\r\nContent-Length: twelve\r\n\x01\x02\x03\xff\xfe\r\n: no name\r\n"
        "Content-Range: bytes nonsense\r\n\r\n\x7f\x00garbage";
    SendText(socket.get(), std::string(kGarbage, sizeof(kGarbage) - 1));
  } else if (fault.kind == FaultKind::kNoResponse) {
    WaitForHangUp(socket.get());
  } else if (fault.kind == FaultKind::kNotFound) {
    simple(404, "", "not found\n", !isHead);
  } else if (fault.kind == FaultKind::kServerError) {
    simple(500, "", "server error\n", !isHead);
  } else if (request.method != "GET" && !isHead) {
    simple(405, "Allow: GET, HEAD\r\n", "method not allowed\n", true);
  } else if (!found) {
    simple(404, "", "not found\n", !isHead);
  } else if (resource.redirectStatus) {
    simple(resource.redirectStatus, "Location: " + resource.location + "\r\n", "", !isHead);
  } else {
    uint64_t size = resource.size;
    if (fault.kind == FaultKind::kShortContentLength) size = std::min(size, fault.value);
    uint64_t first = 0, last = size ? size - 1 : 0;
    int status = 200;
    if (!record.range.empty() && fault.kind != FaultKind::kIgnoreRange) {
      int range = ParseRange(record.range, size, &first, &last);
      if (range < 0) {
        simple(416, "Content-Range: bytes */" + std::to_string(size) + "\r\n", "", false);
        shutdown(socket.get(), SD_SEND);
        return;
      }
      if (range > 0) status = 206;
    }
    uint64_t count = size == 0 ? 0 : last - first + 1;
    setStatus(status);
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) +
                       "\r\nContent-Type: application/octet-stream\r\nAccept-Ranges: bytes\r\n";
    if (fault.kind != FaultKind::kNoContentLength) text += "Content-Length: " + std::to_string(count) + "\r\n";
    if (status == 206)
      text += "Content-Range: bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
              std::to_string(size) + "\r\n";
    text += "Connection: close\r\n\r\n";
    if (SendText(socket.get(), text) && !isHead) SendBody(socket.get(), resource, first, count, fault);
  }
  // A graceful end: the client reads everything that was sent before it sees the close.
  shutdown(socket.get(), SD_SEND);
}

bool ParseFault(const std::string& text, Fault* fault) {
  Fault result;
  std::string faultText = text;
  size_t at = faultText.find('@');
  if (at != std::string::npos) {
    result.method = faultText.substr(at + 1);
    faultText = faultText.substr(0, at);
    if (result.method != "GET" && result.method != "HEAD") return false;
  }
  std::string name = faultText, argument;
  size_t colon = faultText.find(':');
  if (colon != std::string::npos) {
    name = faultText.substr(0, colon);
    argument = faultText.substr(colon + 1);
  }
  static const struct {
    const char* name;
    FaultKind kind;
    bool needsValue;
  } kFaults[] = {
      {"404", FaultKind::kNotFound, false},
      {"500", FaultKind::kServerError, false},
      {"nolength", FaultKind::kNoContentLength, false},
      {"nolengthcut", FaultKind::kNoContentLength, true},
      {"shortlength", FaultKind::kShortContentLength, true},
      {"cut", FaultKind::kCutBody, true},
      {"stall", FaultKind::kStall, true},
      {"noresponse", FaultKind::kNoResponse, false},
      {"wrongbytes", FaultKind::kWrongBytes, false},
      {"ignorerange", FaultKind::kIgnoreRange, false},
      {"slow", FaultKind::kSlowRate, true},
      {"garbage", FaultKind::kGarbage, false},
  };
  for (const auto& entry : kFaults) {
    if (name != entry.name) continue;
    if (entry.needsValue != !argument.empty()) return false;
    if (entry.needsValue) {
      if (argument.size() > 19 || argument.find_first_not_of("0123456789") != std::string::npos) return false;
      result.value = std::stoull(argument);
    }
    result.kind = entry.kind;
    *fault = result;
    return true;
  }
  return false;
}

}  // namespace PackageServer
