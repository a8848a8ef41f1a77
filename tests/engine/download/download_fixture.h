#pragma once
// What the download tests share: package bytes, a raw HTTP exchange with the package server, the
// log lines the engine writes, and the files a download leaves.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/status.h"
#include "log_capture.h"
#include "status_recorder.h"
#include "base/unique_resource.h"

namespace DownloadTest {

// Equal byte strings; on a difference tells the sizes and the first differing offset instead of
// printing megabytes.
::testing::AssertionResult SameBytes(const std::string& expected, const std::string& actual);

// Deterministic, incompressible-looking bytes.
std::string PatternBytes(size_t size, uint32_t seed);

struct RawResponse {
  std::string raw;         // everything received until the server closed (or the time-out)
  int status = 0;          // 0 when the answer has no HTTP status line
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  bool closed = false;     // the server closed the connection (rather than the time-out ending it)

  bool HasHeader(const std::string& name) const;
  std::string Header(const std::string& name) const;
};

// Sends `request` on a new connection to 127.0.0.1:port and reads until the server closes it or
// nothing arrives for `idleTimeoutMs`.
RawResponse RawExchange(uint16_t port, const std::string& request, int idleTimeoutMs = 10000);
// "METHOD path HTTP/1.1" with a Host header and the extra header lines ("Name: value\r\n").
std::string Request(const std::string& method, const std::string& path, const std::string& extraHeaders = "");

// A client connection that stays open until destruction, for a server that must end while
// clients still wait on it.
class HeldConnection {
public:
  HeldConnection(uint16_t port, const std::string& request);
  ~HeldConnection();
  HeldConnection(const HeldConnection&) = delete;
  HeldConnection& operator=(const HeldConnection&) = delete;
  // What arrives within `idleTimeoutMs` of silence.
  std::string Read(int idleTimeoutMs);

private:
  bool wsaStarted_;  // declared first: Winsock outlives the socket
  Utils::UniqueSocket socket_;
};

// The bytes of a file; empty when it cannot be read.
std::string Contents(const std::wstring& path);

// "file:///C:/dir/x" for a Windows path.
std::wstring FileUrl(const std::wstring& path);

// Names of the files in a folder (not recursive), sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// Threads of this process whose description is `name` (see Utils::SetThreadName); -1 when the
// system cannot tell.
int ThreadsNamed(const std::wstring& name);

}  // namespace DownloadTest
