// The single resumable downloader against the package server on 127.0.0.1: reports, resumption,
// retries within the budget, the digest check and what is left on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "download_fixture.h"
#include "engine/download/curl_client.h"
#include "engine/download/curl_downloader.h"
#include "base/string_utils.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;
using PackageServer::Fault;
using PackageServer::FaultKind;

namespace {

const std::wstring kPackageName = L"__Package_Tessmark.exe";
constexpr size_t kMiB = 1024 * 1024;

class CurlDownloaderTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Target() const { return dir_.File(kPackageName); }
  std::wstring Url(const std::string& path) const { return TestSupport::FromUtf8(server_.Url(path)); }

  std::unique_ptr<CCurlDownloader> Make(const std::wstring& url, const std::wstring& target) {
    return std::make_unique<CCurlDownloader>(reports_.Callback(), url, target);
  }
  // Starts a run into `target` and waits until it (or the run it restarts on 1005) ends.
  void Run(CCurlDownloader& downloader, const std::wstring& target) {
    reports_.onRetry = [&downloader, target] { downloader.Start(target); };
    downloader.Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());
  }
  std::vector<std::string> GetRanges() const {
    std::vector<std::string> ranges;
    for (const auto& request : server_.Requests())
      if (request.method == "GET") ranges.push_back(request.range);
    return ranges;
  }
  size_t LogCount(const std::wstring& function, const std::wstring& text) const {
    return log_.Count({L"(" + function + L")", text});
  }

  PackageServer::Server server_;
  TestSupport::ScratchDir dir_{L"dl"};
  LogCapture log_;
  StatusRecorder reports_;
};

TEST_F(CurlDownloaderTest, CleanDownloadReportsStartProgressAndSuccessAndLeavesOnlyThePackage) {
  const std::string bytes = PatternBytes(3 * kMiB, 1);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  // Paced so that the transfer spans at least two calendar seconds: progress is reported once a
  // second at most.
  server_.SetFault({FaultKind::kSlowRate, 1536 * 1024, "GET"});
  auto downloader = Make(Url(path), Target());
  Run(*downloader, Target());

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  std::vector<StatusReport> reports = reports_.Reports();
  EXPECT_EQ(1.0, reports.front().progress);
  EXPECT_EQ(L"", reports.front().text);
  EXPECT_EQ(0.0, reports.back().progress);
  EXPECT_EQ(L"LibCurl", reports.back().text);
  double last = 0;
  size_t progressReports = 0;
  for (const StatusReport& r : reports) {
    if (r.code != DL_CODE_PROGRESS) continue;
    ++progressReports;
    EXPECT_GT(r.progress, 0.0);
    EXPECT_LE(r.progress, 1.0);
    EXPECT_GE(r.progress, last);
    EXPECT_EQ(L"", r.text);
    last = r.progress;
  }
  EXPECT_GE(progressReports, 1u);

  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
  EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir_.Path()));

  std::vector<PackageServer::RequestRecord> requests = server_.Requests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ("HEAD", requests[0].method);
  EXPECT_EQ("GET", requests[1].method);
  EXPECT_EQ(path, requests[1].path);
  EXPECT_EQ("keep-alive", requests[1].Header("Connection"));
  EXPECT_FALSE(requests[1].HasHeader("Accept-Encoding"));  // the body must arrive as stored
  EXPECT_FALSE(requests[1].HasHeader("Range"));
  EXPECT_EQ(1u, LogCount(L"CurlClient::Start", L"start download"));
  EXPECT_EQ(1u, LogCount(L"CurlClient::Start", L"error:0:No error"));
  EXPECT_EQ(1u, LogCount(L"CurlClient::Start", L"end download"));
  EXPECT_GE(LogCount(L"CurlClient::ProgressCallback", L"progress:"), 1u);
}

TEST_F(CurlDownloaderTest, ConstructionDeletesAStalePartFile) {
  ASSERT_TRUE(TestSupport::WriteBytes(Target() + L".part", "left by an earlier process"));
  auto downloader = Make(Url("/x"), Target());
  EXPECT_FALSE(TestSupport::FileExists(Target() + L".part"));
}

TEST_F(CurlDownloaderTest, ResumesFromThePartFileAndReportsTheShareOfTheWholeFile) {
  const std::string bytes = PatternBytes(3 * kMiB, 2);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.SetFault({FaultKind::kSlowRate, kMiB, "GET"});
  auto downloader = Make(Url(path), Target());
  const size_t present = kMiB + kMiB / 4;
  ASSERT_TRUE(TestSupport::WriteBytes(Target() + L".part", bytes.substr(0, present)));
  Run(*downloader, Target());

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_EQ(std::vector<std::string>{"bytes=" + std::to_string(present) + "-"}, GetRanges());
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
  std::vector<StatusReport> reports = reports_.Reports();
  auto firstProgress = std::find_if(reports.begin(), reports.end(), [](const StatusReport& r) { return r.code == DL_CODE_PROGRESS; });
  ASSERT_NE(reports.end(), firstProgress);
  EXPECT_GE(firstProgress->progress, static_cast<double>(present) / bytes.size());
}

TEST_F(CurlDownloaderTest, APartFileThatHoldsTheWholePackageOrMoreIsNotResumed) {
  const std::string bytes = PatternBytes(kMiB + 40, 16);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  struct Case {
    const char* name;
    std::string part;
    std::vector<std::string> ranges;
  } cases[] = {
      // Everything is there: nothing to fetch, and a range from the end would be refused.
      {"the whole package", bytes, {}},
      // More than the package: it cannot be continued, only fetched again.
      {"more than the package", bytes + "tail", {""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"full");
    const std::wstring target = dir.File(kPackageName);
    server_.ClearRequests();
    reports_.Reset();
    {
      auto downloader = Make(Url(path), target);
      ASSERT_TRUE(TestSupport::WriteBytes(target + L".part", c.part));
      Run(*downloader, target);
    }
    EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
    EXPECT_EQ(c.ranges, GetRanges());
    EXPECT_TRUE(SameBytes(bytes, Contents(target)));
  }
}

TEST_F(CurlDownloaderTest, NotFoundEveryTimeSpendsTheBudgetInSixAttempts) {
  const std::string path = server_.AddPackage("pkg.exe", PatternBytes(2 * kMiB, 4));
  server_.SetFault({FaultKind::kNotFound});
  auto downloader = Make(Url(path), Target());
  Run(*downloader, Target());

  std::vector<StatusReport> reports = reports_.Reports();
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(DL_CODE_START, reports[0].code);
  EXPECT_EQ(DL_CODE_FAIL, reports[1].code);
  EXPECT_EQ(-998.0, reports[1].progress);
  EXPECT_EQ(L"LibCurl", reports[1].text);
  EXPECT_EQ(6u, LogCount(L"CurlClient::Start", L"start download"));
  EXPECT_EQ(5u, LogCount(L"CCurlDownloader::dlThreadFun", L"CurlDownLoader Code=-998\r\n"));
  // Each attempt asks three times for the URL and length (with and without redirects) and never
  // fetches a byte.
  EXPECT_EQ(18u, server_.CountRequests("HEAD"));
  EXPECT_EQ(0u, server_.CountRequests("GET"));
  downloader.reset();
  EXPECT_TRUE(FolderEntries(dir_.Path()).empty());
}

TEST_F(CurlDownloaderTest, PartialFileErrorsAllowTwelveAttemptsEachContinuingThePartFile) {
  const size_t cut = 64 * 1024;
  const std::string path = server_.AddPackage("pkg.exe", PatternBytes(kMiB + kMiB / 2, 5));
  server_.SetFault({FaultKind::kCutBody, cut, "GET"});
  auto downloader = Make(Url(path), Target());
  Run(*downloader, Target());

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_FAIL}), reports_.Codes());
  EXPECT_EQ(18.0, reports_.Reports().back().progress);
  std::vector<std::string> ranges = GetRanges();
  ASSERT_EQ(12u, ranges.size());
  EXPECT_EQ("", ranges[0]);
  for (size_t i = 1; i < ranges.size(); ++i) {
    EXPECT_EQ("bytes=" + std::to_string(i * cut) + "-", ranges[i]);
  }
  EXPECT_EQ(11u, LogCount(L"CCurlDownloader::dlThreadFun", L"CurlDownLoader Code=18\r\n"));
  // The bytes received stay for the next run.
  EXPECT_EQ(12 * cut, Contents(Target() + L".part").size());
}

TEST_F(CurlDownloaderTest, InterruptedTransfersAreContinuedWhereTheyStopped) {
  const std::string bytes = PatternBytes(3 * kMiB, 6);
  const std::string digestPath = server_.AddPackage("pkg.exe", bytes);
  server_.AddFile("/files/pkg.exe", bytes);
  struct Case {
    const char* name;
    std::string path;
    Fault fault;
    int code;  // the failed attempt's result
  } cases[] = {
      {"body cut short", digestPath, {FaultKind::kCutBody, 700000, "GET"}, 18},
      // Without a length the cut is only seen against the length the header request announced;
      // without a digest nothing else would catch it.
      {"body without a length, cut short", "/files/pkg.exe", {FaultKind::kNoContentLength, 700000, "GET"}, 18},
      {"server stops sending", digestPath, {FaultKind::kStall, 700000, "GET"}, 28},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"cut");
    const std::wstring target = dir.File(kPackageName);
    LogCapture log;
    server_.ClearRequests();
    server_.QueueFault(c.fault);
    reports_.Reset();
    {
      auto downloader = Make(Url(c.path), target);
      downloader->SetLowSpeedAbort(1, 1);
      Run(*downloader, target);
    }
    std::vector<int> codes = reports_.Codes();
    EXPECT_EQ(DL_CODE_SUCCESS, codes.back());
    EXPECT_EQ((std::vector<std::string>{"", "bytes=700000-"}), GetRanges());
    EXPECT_EQ(1u, log.Count({L"(CCurlDownloader::dlThreadFun)", L"CurlDownLoader Code=" + std::to_wstring(c.code) + L"\r\n"}));
    EXPECT_TRUE(SameBytes(bytes, Contents(target)));
  }
}

TEST_F(CurlDownloaderTest, AServerIgnoringTheResumeRequestMakesTheNextAttemptStartOver) {
  const std::string bytes = PatternBytes(2 * kMiB, 7);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.SetFault({FaultKind::kIgnoreRange});
  auto downloader = Make(Url(path), Target());
  ASSERT_TRUE(TestSupport::WriteBytes(Target() + L".part", bytes.substr(0, 5000)));
  Run(*downloader, Target());

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_EQ((std::vector<std::string>{"bytes=5000-", ""}), GetRanges());
  EXPECT_EQ(1u, LogCount(L"CCurlDownloader::dlThreadFun", L"CurlDownLoader Code=33\r\n"));
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
}

TEST_F(CurlDownloaderTest, FilesBelowOneMebibyteAreNeverFetched) {
  struct Case {
    size_t size;
    std::vector<int> codes;
    size_t gets;
  } cases[] = {
      {1048575, {DL_CODE_START, DL_CODE_FAIL}, 0},
      {1048576, {DL_CODE_START, DL_CODE_SUCCESS}, 1},
      {1048577, {DL_CODE_START, DL_CODE_SUCCESS}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TestSupport::ScratchDir dir(L"len");
    const std::wstring target = dir.File(kPackageName);
    const std::string bytes = PatternBytes(c.size, 8);
    const std::string path = server_.AddPackage("pkg.exe", bytes);
    server_.ClearRequests();
    reports_.Reset();
    {
      auto downloader = Make(Url(path), target);
      Run(*downloader, target);
    }
    EXPECT_EQ(c.codes, reports_.Codes());
    EXPECT_EQ(c.gets, server_.CountRequests("GET"));
    if (c.gets) {
      EXPECT_TRUE(SameBytes(bytes, Contents(target)));
    } else {
      EXPECT_EQ(-998.0, reports_.Reports().back().progress);
    }
  }
}

TEST_F(CurlDownloaderTest, RetryAfterTheFolderChangedDownloadsIntoTheNewFolder) {
  const std::string bytes = PatternBytes(2 * kMiB, 11);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  TestSupport::ScratchDir first(L"first"), second(L"second");
  server_.QueueFault({FaultKind::kCutBody, 300000, "GET"});
  server_.SetFault({FaultKind::kNotFound, 0, "GET"});
  auto downloader = Make(Url(path), first.File(kPackageName));
  Run(*downloader, first.File(kPackageName));
  ASSERT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_FAIL}), reports_.Codes());
  EXPECT_EQ(300000u, Contents(first.File(kPackageName) + L".part").size());

  server_.ClearFaults();
  server_.ClearRequests();
  reports_.Reset();
  Run(*downloader, second.File(kPackageName));
  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_TRUE(SameBytes(bytes, Contents(second.File(kPackageName))));
  EXPECT_TRUE(FolderEntries(first.Path()).empty());      // the old part file went with the old folder
  EXPECT_EQ(std::vector<std::string>{""}, GetRanges());  // and was not continued in the new one
}

TEST_F(CurlDownloaderTest, APackageThatCannotBeDigestedFailsTheDownload) {
  const std::string bytes = PatternBytes(kMiB + 20, 12);
  const std::string digestPath = server_.AddPackage("pkg.exe", bytes);
  server_.AddFile("/files/pkg.exe", bytes);
  struct Case {
    const char* name;
    std::string path;
    std::vector<int> codes;
  } cases[] = {
      {"digest in the URL", digestPath, {DL_CODE_START, DL_CODE_FAIL}},
      {"no digest in the URL", "/files/pkg.exe", {DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_FAIL}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"nodigest");
    // A folder where the package belongs: the transfer succeeds, the rename cannot.
    const std::wstring target = dir.File(kPackageName);
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    reports_.Reset();
    auto downloader = Make(Url(c.path), target);
    Run(*downloader, target);
    EXPECT_EQ(c.codes, reports_.Codes());
  }
}

TEST_F(CurlDownloaderTest, BadInputEndsWithOneFailureAndLeavesNothingBehind) {
  const std::string bytes = PatternBytes(kMiB + 30, 13);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  PackageServer::Server garbage;
  ASSERT_TRUE(garbage.Start());
  garbage.AddPackage("pkg.exe", bytes);
  garbage.SetFault({FaultKind::kGarbage});
  struct Case {
    const char* name;
    std::wstring url;
    std::wstring target;  // relative to the case's folder
  } cases[] = {
      {"not a URL", L"not a url", kPackageName},
      {"a URL without a host", L"http://", kPackageName},
      {"a file URL to a missing file", L"", kPackageName},
      {"a folder that cannot be written", Url(path), L"missing\\" + kPackageName},
      {"a server that answers garbage", TestSupport::FromUtf8(garbage.Url(path)), kPackageName},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"bad");
    if (c.url.empty()) c.url = FileUrl(dir.File(L"nowhere\\0123456789abcdef0123456789abcdef\\pkg.exe"));
    reports_.Reset();
    {
      auto downloader = Make(c.url, dir.File(c.target));
      Run(*downloader, dir.File(c.target));
      EXPECT_TRUE(FolderEntries(dir.Path()).empty());
    }
    EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_FAIL}), reports_.Codes());
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
  }
}

}  // namespace

namespace {

TEST(CurlClientTest, HeaderQueriesReadTheLengthAndTheFinalUrl) {
  PackageServer::Server server;
  ASSERT_TRUE(server.Start());
  const std::string path = server.AddPackage("pkg.exe", PatternBytes(2 * kMiB, 15));
  server.AddRedirect("/start", path);
  CurlClient client(L"", L"", nullptr);

  UniqueCurl head = client.Head(server.Url("/start"));
  ASSERT_TRUE(head);
  EXPECT_EQ(server.Url(path), CurlClient::GetEffectiveUrl(head.get()));
  EXPECT_EQ(2.0 * kMiB, CurlClient::GetDownloadFileLength(head.get()));
  EXPECT_EQ(server.Url(path), client.GetRealUrl_Str(server.Url("/start")));

  // A 404 carries the length of its own small body: the checked query refuses it, the unchecked
  // one passes it on.
  server.SetFault({FaultKind::kNotFound});
  head = client.Head(server.Url(path));
  EXPECT_EQ(-1.0, CurlClient::GetDownloadFileLength(head.get()));
  EXPECT_EQ(10.0, client.GetDownloadFileLength_Str(server.Url(path)));

  // Nothing listens any more: no final URL is known, so the URL given is the answer.
  const std::string refused = server.Url(path);
  server.Stop();
  EXPECT_EQ(refused, client.GetRealUrl_Str(refused));
  EXPECT_EQ(-1.0, client.GetDownloadFileLength_Str(refused));
}

TEST(CurlClientTest, UrlsAreHandedToLibcurlInTheirCodePage) {
  const std::wstring http = L"http://127.0.0.1/d\u00e9j\u00e0/\u5305.exe";
  EXPECT_EQ("http://127.0.0.1/d\xc3\xa9j\xc3\xa0/\xe5\x8c\x85.exe", CurlNarrowUrl(http));
  const std::wstring file = L"file:///C:/d\u00e9j\u00e0/pkg.exe";
  EXPECT_EQ(Utils::ToString(file, CP_ACP), CurlNarrowUrl(file));
}

}  // namespace
