// The WinHTTP client and downloader against the package server on 127.0.0.1 (and, for answers the
// package server never gives, a small server that sends one fixed answer), and one run of each
// downloader kind through the factory.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "download_fixture.h"
#include "engine/download/downloader_factory.h"
#include "engine/download/mt_curl_downloader.h"
#include "engine/download/winhttp_client.h"
#include "engine/download/winhttp_downloader.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;
using PackageServer::Fault;
using PackageServer::FaultKind;

namespace {

const std::wstring kPackageName = L"__Package_Tessmark.exe";
constexpr size_t kMiB = 1024 * 1024;

// The tests talk to 127.0.0.1 only: a proxy from the environment of whoever runs them must not
// come between (the CTest entry unsets the variables as well).
class NoProxyEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    for (const wchar_t* name : {L"http_proxy", L"HTTP_PROXY", L"https_proxy", L"HTTPS_PROXY", L"all_proxy",
                                L"ALL_PROXY", L"no_proxy", L"NO_PROXY"}) {
      SetEnvironmentVariableW(name, nullptr);
      _wputenv_s(name, L"");
    }
  }
};
::testing::Environment* const kNoProxy = ::testing::AddGlobalTestEnvironment(new NoProxyEnvironment);

// Answers every connection with the same bytes and records what each request sent.
class CannedServer {
public:
  explicit CannedServer(std::string answer) : answer_(std::move(answer)) {
    WSADATA data;
    wsaStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    listener_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (!listener_ || bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_.get(), 8) != 0 ||
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~CannedServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    listener_.reset();
    if (wsaStarted_) WSACleanup();
  }
  uint16_t Port() const { return port_; }
  std::wstring Url(const std::string& path) const {
    return TestSupport::FromUtf8("http://127.0.0.1:" + std::to_string(port_) + path);
  }
  std::vector<std::string> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

private:
  void Serve() {
    while (!stop_) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(listener_.get(), &readable);
      timeval wait = {0, 50000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
      Utils::UniqueSocket client(accept(listener_.get(), nullptr, nullptr));
      if (!client) continue;
      std::string request;
      char buffer[4096];
      size_t headEnd = std::string::npos;
      size_t wanted = 0;
      for (;;) {
        int got = recv(client.get(), buffer, sizeof(buffer), 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<size_t>(got));
        if (headEnd == std::string::npos && (headEnd = request.find("\r\n\r\n")) != std::string::npos) {
          const size_t field = request.find("Content-Length: ");
          wanted = headEnd + 4 + (field < headEnd ? std::strtoul(request.c_str() + field + 16, nullptr, 10) : 0);
        }
        if (headEnd != std::string::npos && request.size() >= wanted) break;
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
      }
      send(client.get(), answer_.data(), static_cast<int>(answer_.size()), 0);
      shutdown(client.get(), SD_SEND);
      while (recv(client.get(), buffer, sizeof(buffer), 0) > 0) {
      }
    }
  }

  std::string answer_;
  bool wsaStarted_ = false;
  // Declared after wsaStarted_: Winsock outlives the socket.
  Utils::UniqueSocket listener_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
};

class WinHttpDownloaderTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Target() const { return dir_.File(kPackageName); }
  std::wstring Url(const std::string& path) const { return TestSupport::FromUtf8(server_.Url(path)); }
  void Run(CDownloader& downloader, const std::wstring& target) {
    downloader.Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());
  }
  // A URL on 127.0.0.1 where nothing listens.
  std::wstring RefusedUrl(const std::string& path) {
    PackageServer::Server gone;
    EXPECT_TRUE(gone.Start());
    std::wstring url = TestSupport::FromUtf8(gone.Url(path));
    gone.Stop();
    return url;
  }

  PackageServer::Server server_;
  TestSupport::ScratchDir dir_{L"wh"};
  StatusRecorder reports_;
};

TEST_F(WinHttpDownloaderTest, CleanDownloadReplacesAStaleFileWithThePackage) {
  const std::string bytes = PatternBytes(3 * kMiB, 1);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  // Longer than the package: appended to, it would leave its own bytes in front.
  ASSERT_TRUE(TestSupport::WriteBytes(Target(), PatternBytes(4 * kMiB, 2)));
  WinHttpDownloader downloader(reports_.Callback(), Url(path), Target());
  Run(downloader, Target());

  std::vector<StatusReport> reports = reports_.Reports();
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(DL_CODE_START, reports[0].code);
  EXPECT_EQ(1.0, reports[0].progress);
  EXPECT_EQ(DL_CODE_SUCCESS, reports[1].code);
  EXPECT_EQ(0.0, reports[1].progress);
  for (const StatusReport& r : reports) {
    EXPECT_EQ(L"", r.text);
  }
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
  EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir_.Path()));

  std::vector<PackageServer::RequestRecord> requests = server_.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ("GET", requests[0].method);
  EXPECT_EQ(path, requests[0].target);  // straight to the server, not through a proxy
  EXPECT_EQ("", requests[0].range);
  EXPECT_EQ("WinHttpClient", requests[0].Header("User-Agent"));
}

TEST_F(WinHttpDownloaderTest, OnlyAWholeBodyWithStatus200IsAFinishedDownload) {
  const std::string bytes = PatternBytes(kMiB, 3);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.AddRedirect("/software/641", path);
  struct Case {
    const char* name;
    std::wstring url;
    Fault fault;
    int queued;  // how many GETs get the fault; -1: every one
    int code;
    size_t gets;
  } cases[] = {
      {"redirect to the package", Url("/software/641"), {}, 0, DL_CODE_SUCCESS, 1},
      {"error page 404", Url(path), {FaultKind::kNotFound}, -1, DL_CODE_FAIL, 1},
      {"error page 500", Url(path), {FaultKind::kServerError}, -1, DL_CODE_FAIL, 1},
      // Each attempt of the request writes the body from its start again.
      {"body cut twice, whole the third time", Url(path), {FaultKind::kCutBody, 300000}, 2, DL_CODE_SUCCESS, 3},
      {"body cut every time", Url(path), {FaultKind::kCutBody, 300000}, -1, DL_CODE_FAIL, 3},
      {"nothing listens", RefusedUrl(path), {}, 0, DL_CODE_FAIL, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"status");
    const std::wstring target = dir.File(kPackageName);
    server_.ClearRequests();
    server_.ClearFaults();
    if (c.queued < 0) server_.SetFault(c.fault);
    if (c.queued > 0) server_.QueueFault(c.fault, c.queued);
    reports_.Reset();
    {
      WinHttpDownloader downloader(reports_.Callback(), c.url, target);
      Run(downloader, target);
    }
    EXPECT_EQ((std::vector<int>{DL_CODE_START, c.code}), reports_.Codes(true));
    EXPECT_EQ(c.gets, server_.CountRequests("GET", path));
    if (c.code == DL_CODE_SUCCESS) {
      EXPECT_TRUE(SameBytes(bytes, Contents(target)));
    } else {
      EXPECT_TRUE(FolderEntries(dir.Path()).empty());  // no error page, no cut body
    }
  }
}

TEST_F(WinHttpDownloaderTest, AnEmptyFilePathFailsWithoutARequest) {
  WinHttpDownloader downloader(reports_.Callback(), Url("/x"), L"");
  Run(downloader, L"");
  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_FAIL}), reports_.Codes(true));
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(WinHttpDownloaderTest, DestroyingTheDownloaderEndsTheRequestQuietly) {
  const std::string path = server_.AddPackage("pkg.exe", PatternBytes(4 * kMiB, 5));
  server_.SetFault({FaultKind::kSlowRate, 256 * 1024, "GET"});
  auto downloader = std::make_unique<WinHttpDownloader>(reports_.Callback(), Url(path), Target());
  downloader->Start(Target());
  // Destroyed while the body is on its way.
  ASSERT_TRUE(server_.WaitForBodyBytes(256 * 1024, 60000));
  downloader.reset();
  EXPECT_EQ(std::vector<int>{DL_CODE_START}, reports_.Codes(true));
  EXPECT_TRUE(FolderEntries(dir_.Path()).empty());
}

TEST(WinHttpClientTest, RequestsThatAreNeverSent) {
  PackageServer::Server server;
  ASSERT_TRUE(server.Start());
  struct Case {
    const char* name;
    std::wstring url;
    std::wstring method;
    DWORD error;
  } cases[] = {
      {"unknown method", TestSupport::FromUtf8(server.Url("/x")), L"PUT", ERROR_INVALID_PARAMETER},
      {"empty URL", L"", L"GET", ERROR_PATH_NOT_FOUND},
      {"not a URL", L"no url at all", L"GET", ERROR_WINHTTP_UNRECOGNIZED_SCHEME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WinHttpClient client(c.url);
    EXPECT_FALSE(client.SendHttpRequest(c.method));
    EXPECT_EQ(c.error, client.LastError());
  }
  EXPECT_TRUE(server.Requests().empty());
}

TEST(WinHttpClientTest, ResponseHeadersAndTextBody) {
  const std::string body = "h\xc3\xa9llo";  // UTF-8
  CannedServer server(
      "HTTP/1.1 200 OK\r\nContent-Type: text/plain; charset=utf-8\r\nSet-Cookie: a=1\r\nSet-Cookie:   b=2\r\n"
      "Location: http://127.0.0.1/next\r\nContent-Length: " +
      std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  ASSERT_NE(0, server.Port());
  WinHttpClient client(server.Url("/page?x=1"));
  std::vector<double> progress;
  client.SetProgressCallback([&progress](double percentage) { progress.push_back(percentage); });
  client.SetRequestCookies(L"session=42");
  ASSERT_TRUE(client.SendHttpRequest(L"get"));

  EXPECT_EQ(L"200", client.GetResponseStatusCode());
  EXPECT_EQ(L"utf-8", client.GetResponseCharset());
  EXPECT_EQ(L"h\u00e9llo", client.GetResponseContent());
  EXPECT_EQ(L"a=1; b=2;", client.GetResponseCookies());
  EXPECT_EQ(L"http://127.0.0.1/next\r\n", client.GetResponseLocation());
  EXPECT_EQ(body.size(), client.GetResponseContentLength());
  EXPECT_EQ(L"127.0.0.1", client.GetHost());
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(100.0, progress.back());
  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(0u, requests[0].find("GET /page?x=1 HTTP/1.1\r\n"));
  EXPECT_NE(std::string::npos, requests[0].find("\r\nCookie: session=42\r\n"));
}

TEST(WinHttpClientTest, APostAnsweredByHalfAPageIsTriedThreeTimes) {
  CannedServer server("HTTP/1.1 200 OK\r\nContent-Length: 12\r\nConnection: close\r\n\r\n<html><body>");
  ASSERT_NE(0, server.Port());
  WinHttpClient client(server.Url("/form"));
  client.SetAdditionalDataToSend("name=value");
  client.SetAdditionalRequestHeaders(L"Content-Type: application/x-www-form-urlencoded");
  EXPECT_FALSE(client.SendHttpRequest(L"POST"));
  EXPECT_EQ(WinHttpClient::kIncompleteHtml, client.LastError());
  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(3u, requests.size());
  for (const std::string& request : requests) {
    EXPECT_EQ(0u, request.find("POST /form HTTP/1.1\r\n"));
    EXPECT_EQ("name=value", request.substr(request.find("\r\n\r\n") + 4));
    // Headers are added once per request, not merged into themselves by every attempt.
    EXPECT_NE(std::string::npos, request.find("Content-Type: application/x-www-form-urlencoded\r\n"));
  }
}

TEST(RegexSearchAllTest, CollectsEveryDistinctGroup) {
  std::vector<std::wstring> found;
  EXPECT_TRUE(RegexSearchAll(L"v=([0-9]+)", L"v=1 v=22 v=1 v=3", &found));
  EXPECT_EQ((std::vector<std::wstring>{L"1", L"22", L"3"}), found);
  found.clear();
  EXPECT_FALSE(RegexSearchAll(L"(unclosed", L"text", &found));
  EXPECT_FALSE(RegexSearchAll(L"", L"text", &found));
  EXPECT_FALSE(RegexSearchAll(L"x", L"", &found));
  EXPECT_TRUE(found.empty());
  EXPECT_EQ(L"a; b", TrimChars(L"  ;a; b; ", L" ;"));
  EXPECT_EQ(L"", TrimChars(L";;", L";"));
}

TEST(DownloaderFactoryTest, EveryKindFetchesThePackage) {
  PackageServer::Server server;
  ASSERT_TRUE(server.Start());
  const std::string bytes = PatternBytes(2 * kMiB, 6);
  const std::wstring url = TestSupport::FromUtf8(server.Url(server.AddPackage("pkg.exe", bytes)));
  for (int type : {1, 2, 3}) {
    SCOPED_TRACE(type);
    TestSupport::ScratchDir dir(L"kind");
    const std::wstring target = dir.File(kPackageName);
    StatusRecorder reports;
    {
      std::unique_ptr<CDownloader> downloader = MakeDownloader(type, reports.Callback(), url, target);
      EXPECT_EQ(type == 2, dynamic_cast<WinHttpDownloader*>(downloader.get()) != nullptr);
      EXPECT_EQ(type == 3, dynamic_cast<CMTCurlDownloader*>(downloader.get()) != nullptr);
      downloader->Start(target);
      ASSERT_TRUE(reports.WaitForDownloadEnd());
    }
    EXPECT_EQ(DL_CODE_SUCCESS, reports.Codes().back());
    std::string received;
    TestSupport::ReadBytes(target, &received);
    EXPECT_TRUE(SameBytes(bytes, received));
  }
}

}  // namespace
