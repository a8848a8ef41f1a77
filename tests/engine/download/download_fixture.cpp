#include "download_fixture.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>

#include "base/log.h"
#include "base/unique_resource.h"
#include "test_support.h"

namespace DownloadTest {
namespace {

// Winsock is set up for as long as the object lives.
class WinsockSession {
public:
  WinsockSession() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockSession() {
    if (started_) WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;

private:
  bool started_;
};

bool Connect(SOCKET s, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < expected.size() && i < actual.size() && expected[i] == actual[i]) ++i;
  return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes, got " << actual.size()
                                       << "; first difference at offset " << i;
}

std::string PatternBytes(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = static_cast<char>(x >> 24);
  }
  return bytes;
}

bool RawResponse::HasHeader(const std::string& name) const {
  for (const auto& header : headers)
    if (Lower(header.first) == Lower(name)) return true;
  return false;
}

std::string RawResponse::Header(const std::string& name) const {
  for (const auto& header : headers)
    if (Lower(header.first) == Lower(name)) return header.second;
  return {};
}

std::string Request(const std::string& method, const std::string& path, const std::string& extraHeaders) {
  return method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extraHeaders + "\r\n";
}

RawResponse RawExchange(uint16_t port, const std::string& request, int idleTimeoutMs) {
  RawResponse response;
  {
    WinsockSession winsock;
    Utils::UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return response;
    DWORD timeout = static_cast<DWORD>(idleTimeoutMs);
    setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    if (!Connect(s.get(), port) ||
        send(s.get(), request.data(), static_cast<int>(request.size()), 0) != static_cast<int>(request.size()))
      return response;
    char buffer[65536];
    for (;;) {
      int got = recv(s.get(), buffer, sizeof(buffer), 0);
      if (got == 0) response.closed = true;
      if (got <= 0) break;
      response.raw.append(buffer, static_cast<size_t>(got));
    }
  }

  size_t headEnd = response.raw.find("\r\n\r\n");
  if (response.raw.compare(0, 5, "HTTP/") != 0 || headEnd == std::string::npos) return response;
  size_t lineEnd = response.raw.find("\r\n");
  size_t space = response.raw.find(' ');
  response.status = std::atoi(response.raw.substr(space + 1, 3).c_str());
  size_t pos = lineEnd + 2;
  while (pos < headEnd) {
    size_t end = response.raw.find("\r\n", pos);
    std::string line = response.raw.substr(pos, end - pos);
    size_t colon = line.find(':');
    if (colon != std::string::npos) {
      std::string value = line.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      response.headers.emplace_back(line.substr(0, colon), value);
    }
    pos = end + 2;
  }
  response.body = response.raw.substr(headEnd + 4);
  return response;
}

HeldConnection::HeldConnection(uint16_t port, const std::string& request) {
  WSADATA data;
  wsaStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  socket_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (socket_ && Connect(socket_.get(), port))
    send(socket_.get(), request.data(), static_cast<int>(request.size()), 0);
}

HeldConnection::~HeldConnection() {
  socket_.reset();
  if (wsaStarted_) WSACleanup();
}

std::string HeldConnection::Read(int idleTimeoutMs) {
  std::string received;
  SOCKET s = socket_.get();
  DWORD timeout = static_cast<DWORD>(idleTimeoutMs);
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  char buffer[65536];
  for (;;) {
    int got = recv(s, buffer, sizeof(buffer), 0);
    if (got <= 0) break;
    received.append(buffer, static_cast<size_t>(got));
  }
  return received;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  Utils::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

int ThreadsNamed(const std::wstring& name) {
  using GetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto getDescription = kernel == nullptr ? nullptr
                                          : reinterpret_cast<GetThreadDescriptionFn>(reinterpret_cast<void*>(
                                                GetProcAddress(kernel, "GetThreadDescription")));
  if (getDescription == nullptr) return -1;
  Utils::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return -1;
  const DWORD process = GetCurrentProcessId();
  int count = 0;
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry)) {
    if (entry.th32OwnerProcessID != process) continue;
    Utils::UniqueHandle thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID));
    if (!thread) continue;  // ended since the snapshot
    Utils::UniqueLocalMemory<wchar_t*> description;
    if (FAILED(getDescription(thread.get(), description.put())) || !description) continue;
    if (name == description.get()) ++count;
  }
  return count;
}

std::string Contents(const std::wstring& path) {
  std::string bytes;
  TestSupport::ReadBytes(path, &bytes);
  return bytes;
}

std::wstring FileUrl(const std::wstring& path) {
  std::wstring url = L"file:///" + path;
  std::replace(url.begin(), url.end(), L'\\', L'/');
  return url;
}

}  // namespace DownloadTest
