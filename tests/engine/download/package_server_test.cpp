// The package server that every download test stands on: its answers, its faults and its log.
#include <gtest/gtest.h>

#include <string>

#include "download_fixture.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;
using PackageServer::Fault;
using PackageServer::FaultKind;

namespace {

class PackageServerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    bytes_ = PatternBytes(100000, 7);
    path_ = server_.AddPackage("pkg.exe", bytes_);
  }
  RawResponse Get(const std::string& path, const std::string& headers = "") {
    return RawExchange(server_.Port(), Request("GET", path, headers));
  }

  PackageServer::Server server_;
  std::string bytes_;
  std::string path_;
};

TEST(PackageServerDigest, PackagePathCarriesTheLowerCaseMd5OfItsBytes) {
  PackageServer::Server server;
  EXPECT_EQ("/900150983cd24fb0d6963f7d28e17f72/abc.exe", server.AddPackage("abc.exe", "abc"));
  EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", PackageServer::Server::Md5Hex(""));
}

TEST_F(PackageServerTest, HeadAnswersWithTheLengthAndNoBody) {
  RawResponse head = RawExchange(server_.Port(), Request("HEAD", path_));
  EXPECT_EQ(200, head.status);
  EXPECT_EQ("100000", head.Header("Content-Length"));
  EXPECT_EQ("bytes", head.Header("Accept-Ranges"));
  EXPECT_TRUE(head.body.empty());
  EXPECT_TRUE(head.closed);
}

TEST_F(PackageServerTest, GetAnswersWithTheWholePackage) {
  RawResponse get = Get(path_);
  EXPECT_EQ(200, get.status);
  EXPECT_TRUE(SameBytes(bytes_, get.body));
  EXPECT_EQ(404, Get("/nothing/here.exe").status);
  EXPECT_EQ(405, RawExchange(server_.Port(), Request("POST", path_)).status);
  EXPECT_EQ(400, RawExchange(server_.Port(), "NONSENSE\r\n\r\n").status);
}

TEST_F(PackageServerTest, ByteRangesAreAnsweredWithExactlyTheRequestedBytes) {
  struct Case {
    const char* range;
    int status;
    const char* contentRange;
    size_t first, count;
  } cases[] = {
      {"bytes=0-9", 206, "bytes 0-9/100000", 0, 10},
      {"bytes=99990-", 206, "bytes 99990-99999/100000", 99990, 10},
      {"bytes=-5", 206, "bytes 99995-99999/100000", 99995, 5},
      {"bytes=500-200000", 206, "bytes 500-99999/100000", 500, 99500},
      {"bytes=100000-", 416, "bytes */100000", 0, 0},
      {"bytes=9-3", 200, "", 0, 100000},      // not a valid range: ignored
      {"items=0-9", 200, "", 0, 100000},      // another unit: ignored
      {"bytes=0-1,5-6", 200, "", 0, 100000},  // several ranges are not served: ignored
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.range);
    RawResponse get = Get(path_, std::string("Range: ") + c.range + "\r\n");
    EXPECT_EQ(c.status, get.status);
    EXPECT_EQ(c.contentRange, get.Header("Content-Range"));
    EXPECT_EQ(std::to_string(c.count), get.Header("Content-Length"));
    EXPECT_TRUE(SameBytes(bytes_.substr(c.first, c.count), get.body));
  }
}

TEST_F(PackageServerTest, RedirectsSendTheirLocationAsGiven) {
  server_.AddRedirect("/absolute", server_.Url(path_));
  server_.AddRedirect("/relative", path_, 301);
  RawResponse absolute = Get("/absolute");
  EXPECT_EQ(302, absolute.status);
  EXPECT_EQ(server_.Url(path_), absolute.Header("Location"));
  RawResponse relative = Get("/relative");
  EXPECT_EQ(301, relative.status);
  EXPECT_EQ(path_, relative.Header("Location"));
}

TEST_F(PackageServerTest, FileBackedPackagesAreStreamedWithRanges) {
  TestSupport::ScratchDir dir(L"srv");
  const std::string bytes = PatternBytes(3 * 1024 * 1024 + 17, 11);
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"big.bin"), bytes));
  const std::string path = server_.AddPackageFile("big.bin", dir.File(L"big.bin"));
  EXPECT_EQ("/" + PackageServer::Server::Md5Hex(bytes) + "/big.bin", path);
  EXPECT_TRUE(SameBytes(bytes, Get(path).body));
  RawResponse tail = Get(path, "Range: bytes=2097152-\r\n");
  EXPECT_EQ(206, tail.status);
  EXPECT_TRUE(SameBytes(bytes.substr(2097152), tail.body));
  EXPECT_EQ("", server_.AddPackageFile("missing.bin", dir.File(L"missing.bin")));
}

TEST_F(PackageServerTest, FolderFilesAreServedUnderTheirDigestAndRedirectedFromTheirName) {
  TestSupport::ScratchDir dir(L"srv");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"a.exe"), "first"));
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"b.exe"), "second"));
  PackageServer::Server server;
  ASSERT_TRUE(server.Start());
  std::vector<std::string> paths = server.AddFolder(dir.Path());
  ASSERT_EQ(2u, paths.size());
  const std::string aPath = "/" + PackageServer::Server::Md5Hex("first") + "/a.exe";
  EXPECT_NE(paths.end(), std::find(paths.begin(), paths.end(), aPath));
  EXPECT_TRUE(SameBytes("first", RawExchange(server.Port(), Request("GET", aPath)).body));
  EXPECT_EQ(aPath, RawExchange(server.Port(), Request("GET", "/a.exe")).Header("Location"));
}

TEST_F(PackageServerTest, EveryRequestIsLoggedWithItsHeaders) {
  Get(path_ + "?x=1", "Range: bytes=1-2\r\nX-Probe: yes\r\n");
  RawExchange(server_.Port(), Request("HEAD", path_));
  std::vector<PackageServer::RequestRecord> log = server_.Requests();
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ("GET", log[0].method);
  EXPECT_EQ(path_, log[0].path);
  EXPECT_EQ(path_ + "?x=1", log[0].target);
  EXPECT_EQ("bytes=1-2", log[0].range);
  EXPECT_EQ("yes", log[0].Header("x-probe"));
  EXPECT_EQ("127.0.0.1", log[0].Header("Host"));
  EXPECT_FALSE(log[0].HasHeader("Accept-Encoding"));
  EXPECT_EQ(206, log[0].status);
  EXPECT_EQ("HEAD", log[1].method);
  EXPECT_EQ(1u, server_.CountRequests("HEAD"));
  EXPECT_EQ(1u, server_.CountRequests("GET", path_));
  EXPECT_EQ(0u, server_.CountRequests("GET", "/other"));
  server_.ClearRequests();
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(PackageServerTest, FaultsChangeTheAnswer) {
  struct Case {
    const char* name;
    Fault fault;
    int status;
    const char* length;       // Content-Length header; nullptr: absent
    std::string body;
  } cases[] = {
      {"404", {FaultKind::kNotFound}, 404, "10", "not found\n"},
      {"500", {FaultKind::kServerError}, 500, "13", "server error\n"},
      {"no length", {FaultKind::kNoContentLength}, 200, nullptr, bytes_},
      {"no length, cut", {FaultKind::kNoContentLength, 300}, 200, nullptr, bytes_.substr(0, 300)},
      {"short length", {FaultKind::kShortContentLength, 1000}, 200, "1000", bytes_.substr(0, 1000)},
      {"cut body", {FaultKind::kCutBody, 4096}, 200, "100000", bytes_.substr(0, 4096)},
      {"slow rate", {FaultKind::kSlowRate, 400000}, 200, "100000", bytes_},
      {"garbage headers", {FaultKind::kGarbage}, 200, "twelve", std::string("\x7f\0garbage", 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_.SetFault(c.fault);
    RawResponse get = Get(path_);
    EXPECT_EQ(c.status, get.status);
    EXPECT_EQ(c.length != nullptr, get.HasHeader("Content-Length"));
    if (c.length) {
      EXPECT_EQ(c.length, get.Header("Content-Length"));
    }
    EXPECT_TRUE(SameBytes(c.body, get.body));
    EXPECT_TRUE(get.closed);
  }
}

TEST_F(PackageServerTest, IgnoringRangeSendsTheWholePackage) {
  server_.SetFault({FaultKind::kIgnoreRange});
  RawResponse get = Get(path_, "Range: bytes=10-\r\n");
  EXPECT_EQ(200, get.status);
  EXPECT_TRUE(SameBytes(bytes_, get.body));
}

TEST_F(PackageServerTest, WrongBytesOnceThenTheRightOnes) {
  server_.QueueFault({FaultKind::kWrongBytes, 0, "GET"});
  RawResponse head = RawExchange(server_.Port(), Request("HEAD", path_));  // not a GET: untouched
  EXPECT_EQ(FaultKind::kNone, server_.Requests().back().fault);
  RawResponse wrong = Get(path_);
  RawResponse right = Get(path_);
  ASSERT_EQ(bytes_.size(), wrong.body.size());
  EXPECT_NE(bytes_, wrong.body);
  EXPECT_TRUE(SameBytes(bytes_.substr(1), wrong.body.substr(1)));
  EXPECT_TRUE(SameBytes(bytes_, right.body));
}

TEST_F(PackageServerTest, QueuedFaultsComeBeforeTheRunFaultAndOnlyForTheirPath) {
  server_.AddFile("/other", "x");
  server_.SetFault({FaultKind::kServerError});
  server_.QueueFault({FaultKind::kNotFound, 0, "", "/other"}, 2);
  EXPECT_EQ(500, Get(path_).status);
  EXPECT_EQ(404, Get("/other").status);
  EXPECT_EQ(404, Get("/other").status);
  EXPECT_EQ(500, Get("/other").status);
  server_.ClearFaults();
  EXPECT_EQ(200, Get("/other").status);
}

TEST_F(PackageServerTest, StallSendsSomeBytesThenNothing) {
  server_.QueueFault({FaultKind::kStall, 1000, "GET"});
  server_.QueueFault({FaultKind::kNoResponse, 0, "HEAD"});
  RawResponse stalled = RawExchange(server_.Port(), Request("GET", path_), 700);
  EXPECT_EQ(200, stalled.status);
  EXPECT_TRUE(SameBytes(bytes_.substr(0, 1000), stalled.body));
  EXPECT_FALSE(stalled.closed);
  RawResponse silent = RawExchange(server_.Port(), Request("HEAD", path_), 700);
  EXPECT_TRUE(silent.raw.empty());
  EXPECT_FALSE(silent.closed);
}

TEST(PackageServerLifetime, DestructionEndsConnectionsThatStillWait) {
  const std::string bytes = PatternBytes(5000, 1);
  {
    PackageServer::Server server;
    ASSERT_TRUE(server.Start());
    const uint16_t port = server.Port();
    const std::string path = server.AddPackage("p.exe", bytes);
    server.QueueFault({FaultKind::kStall, 10, "GET"});
    server.QueueFault({FaultKind::kNoResponse, 0, "HEAD"});
    HeldConnection stalled(port, Request("GET", path));
    HeldConnection unanswered(port, Request("HEAD", path));
    std::string received = stalled.Read(300);
    EXPECT_EQ(bytes.substr(0, 10), received.substr(received.size() - 10));
    EXPECT_EQ("", unanswered.Read(300));
    server.Stop();  // returns although both clients still hold their connections
    EXPECT_EQ("", stalled.Read(300));
  }  // and the destructor after Stop has nothing left to wait for
}

TEST(PackageServerFaultText, CommandLineFaultsParse) {
  Fault fault;
  ASSERT_TRUE(PackageServer::ParseFault("cut:4096@GET", &fault));
  EXPECT_EQ(FaultKind::kCutBody, fault.kind);
  EXPECT_EQ(4096u, fault.value);
  EXPECT_EQ("GET", fault.method);
  ASSERT_TRUE(PackageServer::ParseFault("404", &fault));
  EXPECT_EQ(FaultKind::kNotFound, fault.kind);
  EXPECT_TRUE(fault.method.empty());
  for (const char* bad : {"cut", "cut:x", "404:1", "teapot", "stall:5@PUT", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(PackageServer::ParseFault(bad, &fault));
  }
}

}  // namespace
