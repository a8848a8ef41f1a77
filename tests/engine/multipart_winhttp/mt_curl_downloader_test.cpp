// The multi-part downloader against the package server on 127.0.0.1: the ranges it asks for, the
// joined file, parts continued from where their files end, the budget of a failing part, the
// digest verdicts and what is left on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "download_fixture.h"
#include "engine/download/file_digest_follower.h"
#include "engine/system/installer_settings.h"
#include "engine/download/mt_curl_downloader.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;
using PackageServer::Fault;
using PackageServer::FaultKind;

namespace {

const std::wstring kPackageName = L"__Package_Tessmark.exe";
constexpr int64_t kMiB = 1024 * 1024;

std::string Range(int64_t first, int64_t last) {
  return "bytes=" + std::to_string(first) + "-" + std::to_string(last);
}

class MTCurlDownloaderTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Target() const { return dir_.File(kPackageName); }
  std::wstring Url(const std::string& path) const { return TestSupport::FromUtf8(server_.Url(path)); }

  std::unique_ptr<CMTCurlDownloader> Make(const std::wstring& url, const std::wstring& target) {
    return std::make_unique<CMTCurlDownloader>(reports_.Callback(), url, target);
  }
  // Starts a run into `target` and waits until it (or the run it restarts on 1005) ends.
  void Run(CMTCurlDownloader& downloader, const std::wstring& target) {
    reports_.onRetry = [&downloader, target] { downloader.Start(target); };
    downloader.Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());
  }
  // Range headers of the GETs, sorted (the parts run in parallel).
  std::vector<std::string> GetRanges() const {
    std::vector<std::string> ranges;
    for (const auto& request : server_.Requests())
      if (request.method == "GET") ranges.push_back(request.range);
    std::sort(ranges.begin(), ranges.end());
    return ranges;
  }
  size_t LogCount(const std::wstring& function, const std::wstring& text) const {
    return log_.Count({L"(" + function + L")", text});
  }

  PackageServer::Server server_;
  TestSupport::ScratchDir dir_{L"mt"};
  LogCapture log_;
  StatusRecorder reports_;
};

TEST(MTCurlDownloaderRanges, OneRangeBelowTwiceTheThresholdTwoFromThereOn) {
  using Ranges = std::vector<std::pair<int64_t, int64_t>>;
  struct Case {
    int64_t length;
    Ranges ranges;
  } cases[] = {
      {0, {}},
      {256, {{0, 255}}},
      {9 * kMiB, {{0, 9 * kMiB - 1}}},
      {10 * kMiB, {{0, 10 * kMiB - 1}}},
      {20 * kMiB - 1, {{0, 20 * kMiB - 2}}},
      {20 * kMiB, {{0, 10 * kMiB - 1}, {10 * kMiB, 20 * kMiB - 1}}},
      {20971521, {{0, 10485759}, {10485760, 20971520}}},
      {21 * kMiB, {{0, 11010047}, {11010048, 22020095}}},
      {26214400, {{0, 13107199}, {13107200, 26214399}}},
      {100 * kMiB, {{0, 52428799}, {52428800, 104857599}}},
      // Past 2 GiB the offsets must not wrap.
      {5LL * 1024 * kMiB + 1, {{0, 2684354559LL}, {2684354560LL, 5368709120LL}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    EXPECT_EQ(c.ranges, CMTCurlDownloader::PartRanges(c.length));
  }
  EXPECT_EQ(L"C:\\dir\\pkg.exe_1", CMTCurlDownloader::GetPartPath(L"C:\\dir\\pkg.exe", 1));
}

TEST_F(MTCurlDownloaderTest, PackagesAroundTheThresholdAreFetchedInTheirRangesAndJoinedWhole) {
  struct Case {
    int64_t size;
    std::vector<std::string> ranges;
  } cases[] = {
      {9 * kMiB, {Range(0, 9 * kMiB - 1)}},
      {20 * kMiB - 1, {Range(0, 20 * kMiB - 2)}},
      {20971521, {Range(0, 10485759), Range(10485760, 20971520)}},
      {26214400, {Range(0, 13107199), Range(13107200, 26214399)}},
  };
  uint32_t seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    TestSupport::ScratchDir dir(L"size");
    const std::wstring target = dir.File(kPackageName);
    const std::string bytes = PatternBytes(static_cast<size_t>(c.size), seed++);
    const std::string path = server_.AddPackage("pkg.exe", bytes);
    server_.ClearRequests();
    reports_.Reset();
    LogCapture log;
    {
      auto downloader = Make(Url(path), target);
      Run(*downloader, target);
    }
    std::vector<StatusReport> reports = reports_.Reports();
    EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
    EXPECT_EQ(1.0, reports.front().progress);
    EXPECT_EQ(L"", reports.front().text);
    EXPECT_EQ(0.0, reports.back().progress);
    EXPECT_EQ(L"LibCurl", reports.back().text);
    EXPECT_EQ(c.ranges, GetRanges());
    EXPECT_EQ(1u, server_.CountRequests("HEAD"));
    for (const auto& request : server_.Requests()) {
      EXPECT_EQ(path, request.path);
    }
    EXPECT_TRUE(SameBytes(bytes, Contents(target)));
    EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir.Path()));

    EXPECT_EQ(1u, log.Count({L"(CMTCurlDownloader::Start_Down)", L"start download\r\n"}));
    EXPECT_EQ(1u, log.Count({L"(CMTCurlDownloader::getRealDownloadUrl)",
                             L"Download File real url " + Url(path) + L"\r\n"}));
    EXPECT_EQ(1u, log.Count({L"(CMTCurlDownloader::getRealDownloadUrl)",
                             L"Download File Length " + std::to_wstring(c.size) + L"\r\n"}));
    EXPECT_EQ(c.ranges.size(), log.Count({L"(CMTCurlDownloader::downloadExe)", L"curl_easy_cleanup\r\n"}));
    EXPECT_EQ(c.ranges.size() - 1, log.Count({L"(CMTCurlDownloader::waitForFinishThreadFun)", L"partPath::"}));
    EXPECT_EQ(1u, log.Count({L"(CMTCurlDownloader::waitForFinishThreadFun)", L"finish recv\r\n"}));
  }
}

TEST_F(MTCurlDownloaderTest, ProgressIsReportedInWholePercentStepsAsAShareOfTheWholePackage) {
  const std::string bytes = PatternBytes(static_cast<size_t>(21 * kMiB), 20);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  // Each part paced so that the download spans a few calendar seconds: progress is evaluated
  // once a second at most.
  server_.SetFault({FaultKind::kSlowRate, static_cast<uint64_t>(4 * kMiB), "GET"});
  auto downloader = Make(Url(path), Target());
  Run(*downloader, Target());

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  double last = 0;
  size_t progressReports = 0;
  for (const StatusReport& r : reports_.Reports()) {
    if (r.code != DL_CODE_PROGRESS) continue;
    ++progressReports;
    EXPECT_GE(r.progress - last, 0.01 - 1e-9);
    EXPECT_LE(r.progress, 1.0);
    EXPECT_EQ(L"", r.text);
    last = r.progress;
  }
  EXPECT_GE(progressReports, 1u);
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
}

// A first run whose parts end short (the server announces fewer bytes than the package has) fails
// after showing progress, so its part files stay; the run restarted on 1005 asks only for what
// they lack.
TEST_F(MTCurlDownloaderTest, ARestartedRunFetchesOnlyWhatThePartFilesLack) {
  const int64_t size = 21 * kMiB;
  const int64_t half = size / 2;
  struct Case {
    const char* name;
    int64_t size;
    int64_t announced;  // length the server claims during the first run
    std::vector<std::string> secondRun;
  } cases[] = {
      // Part 0 is whole after the first run and is not asked for again; part 1 continues where
      // its file ends.
      {"second part half done", size, half + 4096, {Range(half + 4096, size - 1)}},
      // The range is inclusive: a part that lacks exactly its last byte asks for that byte.
      {"one byte missing", 300000, 299999, {Range(299999, 299999)}},
  };
  uint32_t seed = 30;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"resume");
    const std::wstring target = dir.File(kPackageName);
    const std::string bytes = PatternBytes(static_cast<size_t>(c.size), seed++);
    const std::string path = server_.AddPackage("pkg.exe", bytes);
    server_.ClearRequests();
    server_.SetFault({FaultKind::kShortContentLength, static_cast<uint64_t>(c.announced), "GET"});
    reports_.Reset();
    size_t firstRunRequests = 0;
    auto downloader = Make(Url(path), target);
    reports_.onRetry = [&] {
      server_.ClearFaults();
      firstRunRequests = server_.Requests().size();
      downloader->Start(target);
    };
    downloader->Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());

    std::vector<int> codes = reports_.Codes();
    ASSERT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}), codes);
    // The part files are kept only when the first run had shown progress.
    ASSERT_GE(reports_.Codes(true).size(), 5u);
    std::vector<std::string> secondRun;
    std::vector<PackageServer::RequestRecord> requests = server_.Requests();
    for (size_t i = firstRunRequests; i < requests.size(); ++i) secondRun.push_back(requests[i].range);
    EXPECT_EQ(c.secondRun, secondRun);
    EXPECT_TRUE(SameBytes(bytes, Contents(target)));
    downloader.reset();
    EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir.Path()));
  }
}

// The parts are digested while they arrive, each from the first byte of its file: what an
// earlier run kept is read back with them, and a file that had to start over is read from its new
// start.
TEST_F(MTCurlDownloaderTest, TheDigestCoversWhatThePartFilesHoldAfterARestart) {
  const int64_t size = 21 * kMiB;
  const int64_t half = size / 2;
  const auto flipMiddleByte = [](const std::wstring& part) {
    std::string bytes;
    if (!TestSupport::ReadBytes(part, &bytes) || bytes.size() < 2) return false;
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5a);
    return TestSupport::WriteBytes(part, bytes);
  };
  struct Case {
    const char* name;
    int64_t announced;  // length the server claims during the first run
    int changedPart;
    // Done to that part file between the runs; false when that failed.
    std::function<bool(const std::wstring& part)> change;
    std::vector<int> codes;
    std::vector<std::string> secondRun;
  } cases[] = {
      {"first part continued", half / 2, 0, [](const std::wstring&) { return true; },
       {DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}, {Range(half / 2, half - 1), Range(half, size - 1)}},
      // A kept byte that changed on disk is in the digest, although the download never saw it.
      {"kept byte of the first part changed on disk", half / 2, 0, flipMiddleByte,
       {DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_FAIL},
       {Range(half / 2, half - 1), Range(half, size - 1)}},
      {"kept byte of the last part changed on disk", half + half / 2, 1, flipMiddleByte,
       {DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_FAIL},
       {Range(half + half / 2, size - 1)}},
      // Longer than its range: the first part starts over from its first byte.
      {"first part started over", half / 2, 0,
       [half](const std::wstring& part) {
         return TestSupport::WriteBytes(part, std::string(static_cast<size_t>(half + 1), 'x'));
       },
       {DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}, {Range(0, half - 1), Range(half, size - 1)}},
  };
  uint32_t seed = 40;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"restart");
    const std::wstring target = dir.File(kPackageName);
    const std::string bytes = PatternBytes(static_cast<size_t>(size), seed++);
    const std::string path = server_.AddPackage("pkg.exe", bytes);
    server_.ClearRequests();
    server_.SetFault({FaultKind::kShortContentLength, static_cast<uint64_t>(c.announced), "GET"});
    reports_.Reset();
    size_t firstRunRequests = 0;
    bool changed = false;
    auto downloader = Make(Url(path), target);
    reports_.onRetry = [&] {
      server_.ClearFaults();
      firstRunRequests = server_.Requests().size();
      changed = c.change(CMTCurlDownloader::GetPartPath(target, c.changedPart));
      downloader->Start(target);
    };
    downloader->Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());
    EXPECT_TRUE(changed);
    EXPECT_EQ(c.codes, reports_.Codes());
    // The first run had shown progress, so its part files were kept.
    std::vector<std::string> secondRun;
    std::vector<PackageServer::RequestRecord> requests = server_.Requests();
    for (size_t i = firstRunRequests; i < requests.size(); ++i) secondRun.push_back(requests[i].range);
    std::sort(secondRun.begin(), secondRun.end());
    std::vector<std::string> expected = c.secondRun;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, secondRun);
    if (c.codes.back() == DL_CODE_SUCCESS) {
      EXPECT_TRUE(SameBytes(bytes, Contents(target)));
    } else {
      EXPECT_TRUE(FolderEntries(dir.Path()).empty());
    }
    downloader.reset();
    EXPECT_EQ(0, ThreadsNamed(FileDigestFollower::kThreadName));
  }
}

TEST_F(MTCurlDownloaderTest, AStalledPartIsCutByTheLowSpeedLimitAndContinued) {
  const int64_t size = 2 * kMiB;
  const std::string bytes = PatternBytes(static_cast<size_t>(size), 40);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.QueueFault({FaultKind::kStall, 700000, "GET"});
  auto downloader = Make(Url(path), Target());
  downloader->SetLowSpeedAbort(1, 1);
  Run(*downloader, Target());

  EXPECT_EQ(DL_CODE_SUCCESS, reports_.Codes().back());
  EXPECT_EQ((std::vector<std::string>{Range(0, size - 1), Range(700000, size - 1)}), GetRanges());
  EXPECT_EQ(1u, LogCount(L"CMTCurlDownloader::downloadThreadFun", L"CurlDownLoader Code=28\r\n"));
  EXPECT_EQ(1u, LogCount(L"CMTCurlDownloader::downloadExe", L"error:28:"));
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
}

TEST_F(MTCurlDownloaderTest, APartThatKeepsFailingSpendsItsBudgetAndTheRunFailsWithOneReport) {
  struct Case {
    const char* name;
    int64_t size;
    Fault fault;
    int code;              // every attempt's result
    size_t attemptsPerPart;
    size_t parts;
  } cases[] = {
      // Each failure costs 2 of the budget of 12: seven attempts per part.
      {"not found", 21 * kMiB, {FaultKind::kNotFound, 0, "GET"}, 22, 7, 2},
      // Partial-file failures cost 1: thirteen attempts, each continuing the part file.
      {"body cut short", kMiB, {FaultKind::kCutBody, 4096, "GET"}, 18, 13, 1},
  };
  uint32_t seed = 50;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"budget");
    const std::wstring target = dir.File(kPackageName);
    const std::string path = server_.AddPackage("pkg.exe", PatternBytes(static_cast<size_t>(c.size), seed++));
    server_.ClearRequests();
    server_.SetFault(c.fault);
    reports_.Reset();
    LogCapture log;
    auto downloader = Make(Url(path), target);
    reports_.onRetry = nullptr;
    downloader->Start(target);
    ASSERT_TRUE(reports_.WaitForCode(DL_CODE_RETRY));
    // The waiter's report is the run's last word; wait for it to be well out of the way.
    downloader->Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());

    std::vector<StatusReport> reports = reports_.Reports();
    std::vector<StatusReport> finals;
    for (const StatusReport& r : reports)
      if (r.code != DL_CODE_PROGRESS && r.code != DL_CODE_START) finals.push_back(r);
    ASSERT_EQ(2u, finals.size());
    EXPECT_EQ(DL_CODE_RETRY, finals[0].code);
    EXPECT_EQ(DL_CODE_FAIL, finals[1].code);
    for (const StatusReport& r : finals) {
      EXPECT_EQ(static_cast<double>(c.code), r.progress);
      EXPECT_EQ(L"LibCurl", r.text);
    }
    EXPECT_EQ(2 * c.parts * c.attemptsPerPart, server_.CountRequests("GET"));
    EXPECT_EQ(2 * c.parts * (c.attemptsPerPart - 1),
              log.Count({L"(CMTCurlDownloader::downloadThreadFun)", L"CurlDownLoader Code=" + std::to_wstring(c.code)}));
    if (c.code == 18) {
      // Every attempt asks for the rest of the range from where the part file ends; the second
      // run continues the file of the first, which had shown progress.
      std::vector<std::string> ranges;
      for (const auto& r : server_.Requests()) ranges.push_back(r.range);
      ranges.erase(ranges.begin());  // the HEAD request
      ASSERT_EQ(26u, ranges.size());
      for (size_t i = 0; i < ranges.size(); ++i) {
        EXPECT_EQ(Range(static_cast<int64_t>(i) * 4096, c.size - 1), ranges[i]);
      }
    }
    if (c.code == 18) {
      // The bytes that came stay for a retry, also after the final failure.
      EXPECT_EQ(std::vector<std::wstring>{kPackageName + L"_0"}, FolderEntries(dir.Path()));
      EXPECT_EQ(26u * 4096u, Contents(target + L"_0").size());
    } else {
      // Nothing came, so nothing is kept.
      EXPECT_TRUE(FolderEntries(dir.Path()).empty());
    }
  }
}

// A run that fails for good after the first range arrived whole and the second in part keeps
// both part files: the retry the user starts asks only for what they lack.
TEST_F(MTCurlDownloaderTest, AFinalFailureAfterProgressKeepsThePartFilesForTheRetry) {
  const int64_t size = 21 * kMiB;
  const int64_t half = size / 2;
  const std::string bytes = PatternBytes(static_cast<size_t>(size), 130);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  // The server claims a length just past the middle: the second range gets 4096 bytes, then
  // nothing more.
  server_.SetFault({FaultKind::kShortContentLength, static_cast<uint64_t>(half + 4096), "GET"});
  auto downloader = Make(Url(path), Target());
  Run(*downloader, Target());  // the run restarted on 1005 fails too
  ASSERT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_FAIL}), reports_.Codes());
  const std::vector<int> withProgress = reports_.Codes(true);
  ASSERT_NE(std::find(withProgress.begin(), withProgress.end(), DL_CODE_PROGRESS), withProgress.end());
  EXPECT_EQ((std::vector<std::wstring>{kPackageName + L"_0", kPackageName + L"_1"}), FolderEntries(dir_.Path()));
  EXPECT_EQ(static_cast<size_t>(half), Contents(Target() + L"_0").size());
  EXPECT_EQ(4096u, Contents(Target() + L"_1").size());

  server_.ClearFaults();
  server_.ClearRequests();
  reports_.Reset();
  reports_.onRetry = nullptr;
  downloader->Start(Target());
  ASSERT_TRUE(reports_.WaitForDownloadEnd());
  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_EQ(std::vector<std::string>{Range(half + 4096, size - 1)}, GetRanges());
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
  EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir_.Path()));
}

// Both ranges are written into one file during a run, each at its offset. A run that fails with
// both ranges incomplete leaves each range's bytes in its own part file, and the next run
// continues both from there.
TEST_F(MTCurlDownloaderTest, RangesThatBothEndShortAreKeptApartAndBothContinued) {
  const int64_t size = 21 * kMiB;
  const int64_t half = size / 2;
  // Every answer closes after this many bytes: each range spends its budget of thirteen
  // partial-file attempts and ends with 13 pieces, well short of its half.
  const int64_t piece = 300000;
  const int64_t kept = 13 * piece;
  const std::string bytes = PatternBytes(static_cast<size_t>(size), 140);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.SetFault({FaultKind::kCutBody, static_cast<uint64_t>(piece), "GET"});
  auto downloader = Make(Url(path), Target());
  std::vector<std::wstring> keptFiles;
  std::string first, second;
  size_t firstRunRequests = 0;
  reports_.onRetry = [&] {
    keptFiles = FolderEntries(dir_.Path());
    first = Contents(Target() + L"_0");
    second = Contents(Target() + L"_1");
    server_.ClearFaults();
    firstRunRequests = server_.Requests().size();
    downloader->Start(Target());
  };
  downloader->Start(Target());
  ASSERT_TRUE(reports_.WaitForDownloadEnd());

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_EQ((std::vector<std::wstring>{kPackageName + L"_0", kPackageName + L"_1"}), keptFiles);
  EXPECT_TRUE(SameBytes(bytes.substr(0, static_cast<size_t>(kept)), first));
  EXPECT_TRUE(SameBytes(bytes.substr(static_cast<size_t>(half), static_cast<size_t>(kept)), second));
  std::vector<std::string> secondRun;
  std::vector<PackageServer::RequestRecord> requests = server_.Requests();
  for (size_t i = firstRunRequests; i < requests.size(); ++i) secondRun.push_back(requests[i].range);
  std::sort(secondRun.begin(), secondRun.end());
  std::vector<std::string> expected = {Range(kept, half - 1), Range(half + kept, size - 1)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, secondRun);
  EXPECT_TRUE(SameBytes(bytes, Contents(Target())));
  downloader.reset();
  EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir_.Path()));
}

TEST_F(MTCurlDownloaderTest, AServerThatIgnoresRangesNeverGetsBytesIntoTheWrongPart) {
  const int64_t size = 21 * kMiB;
  const int64_t half = size / 2;
  const std::string bytes = PatternBytes(static_cast<size_t>(size), 45);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.SetFault({FaultKind::kIgnoreRange, 0, "GET"});
  auto downloader = Make(Url(path), Target());
  downloader->Start(Target());
  ASSERT_TRUE(reports_.WaitForCode(DL_CODE_RETRY));

  // The whole package from its first byte fills the first range exactly; the second range
  // refuses it every time and spends its budget.
  EXPECT_EQ(static_cast<double>(CURLE_WRITE_ERROR), reports_.Reports().back().progress);
  EXPECT_EQ(8u, server_.CountRequests("GET"));
  EXPECT_TRUE(SameBytes(bytes.substr(0, static_cast<size_t>(half)), Contents(Target() + L"_0")));
  EXPECT_EQ("", Contents(Target() + L"_1"));
  EXPECT_FALSE(TestSupport::FileExists(Target()));
}

TEST_F(MTCurlDownloaderTest, WithoutAFinalUrlAndALengthTheRunFailsAtOnce) {
  const std::string small = server_.AddPackage("small.exe", PatternBytes(255, 80));
  const std::string path = server_.AddPackage("pkg.exe", PatternBytes(300000, 81));
  PackageServer::Server refused;
  ASSERT_TRUE(refused.Start());
  const std::wstring refusedUrl = TestSupport::FromUtf8(refused.Url(path));
  refused.Stop();
  struct Case {
    const char* name;
    std::wstring url;
    Fault fault;
    bool resolve;
  } cases[] = {
      {"255 bytes", Url(small), {}, true},
      {"header request answered with 404", Url(path), {FaultKind::kNotFound, 0, "HEAD"}, true},
      {"nothing listens", refusedUrl, {}, true},
      {"a file URL to a missing file", FileUrl(dir_.File(L"nowhere\\pkg.exe")), {}, true},
      {"resolving the final URL is turned off", Url(path), {}, false},
  };
  InstallerSettings& settings = InstallerSettings::Instance();
  const bool resolve = settings.ResolveRealUrl;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"nourl");
    const std::wstring target = dir.File(kPackageName);
    server_.ClearRequests();
    server_.ClearFaults();
    if (c.fault.kind != FaultKind::kNone) server_.SetFault(c.fault);
    settings.ResolveRealUrl = c.resolve;
    reports_.Reset();
    {
      auto downloader = Make(c.url, target);
      Run(*downloader, target);
    }
    settings.ResolveRealUrl = resolve;
    std::vector<StatusReport> reports = reports_.Reports();
    ASSERT_EQ(2u, reports.size());
    EXPECT_EQ(DL_CODE_START, reports[0].code);
    EXPECT_EQ(DL_CODE_FAIL, reports[1].code);
    EXPECT_EQ(0.0, reports[1].progress);
    EXPECT_EQ(L"LibCurl", reports[1].text);
    EXPECT_EQ(0u, server_.CountRequests("GET"));
    EXPECT_EQ(c.resolve && c.url.compare(0, 4, L"http") == 0 && c.url != refusedUrl ? 1u : 0u,
              server_.CountRequests("HEAD"));
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
  }
}

TEST_F(MTCurlDownloaderTest, APackageThatCannotBeJoinedOrReadFailsTheDownload) {
  const std::string bytes = PatternBytes(static_cast<size_t>(21 * kMiB), 90);
  const std::string digestPath = server_.AddPackage("pkg.exe", bytes);
  server_.AddFile("/files/pkg.exe", bytes);
  for (const std::string& path : {digestPath, std::string("/files/pkg.exe")}) {
    SCOPED_TRACE(path);
    TestSupport::ScratchDir dir(L"nojoin");
    // A folder where the package belongs: every part arrives, the joined file cannot be renamed.
    const std::wstring target = dir.File(kPackageName);
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    reports_.Reset();
    {
      auto downloader = Make(Url(path), target);
      Run(*downloader, target);
    }
    EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_FAIL}), reports_.Codes());
    EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir.Path()));  // only the folder
  }
}

TEST_F(MTCurlDownloaderTest, ARunIntoAnotherFolderStartsOverThere) {
  const std::string bytes = PatternBytes(static_cast<size_t>(21 * kMiB), 100);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  TestSupport::ScratchDir first(L"first"), second(L"second");
  server_.SetFault({FaultKind::kShortContentLength, static_cast<uint64_t>(11 * kMiB), "GET"});
  auto downloader = Make(Url(path), first.File(kPackageName));
  downloader->Start(first.File(kPackageName));
  ASSERT_TRUE(reports_.WaitForCode(DL_CODE_RETRY));
  // The first run kept its part files for a run into the same folder.
  ASSERT_GE(reports_.Codes(true).size(), 3u);
  EXPECT_EQ((std::vector<std::wstring>{kPackageName + L"_0", kPackageName + L"_1"}), FolderEntries(first.Path()));

  server_.ClearFaults();
  server_.ClearRequests();
  reports_.Reset();
  downloader->Start(second.File(kPackageName));
  ASSERT_TRUE(reports_.WaitForDownloadEnd());
  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_TRUE(SameBytes(bytes, Contents(second.File(kPackageName))));
  EXPECT_TRUE(FolderEntries(first.Path()).empty());
  EXPECT_EQ((std::vector<std::string>{Range(0, 11010047), Range(11010048, 22020095)}), GetRanges());
}

TEST_F(MTCurlDownloaderTest, DestroyingTheDownloaderWhileTheFirstPartIsFollowedLeavesNoThread) {
  const std::string path = server_.AddPackage("pkg.exe", PatternBytes(static_cast<size_t>(21 * kMiB), 120));
  server_.SetFault({FaultKind::kSlowRate, static_cast<uint64_t>(kMiB), "GET"});
  auto downloader = Make(Url(path), Target());
  downloader->Start(Target());
  ASSERT_TRUE(reports_.WaitForCode(DL_CODE_PROGRESS));
  // The first part is downloading, so its follower runs (it starts with the part's attempt).
  EXPECT_EQ(1, ThreadsNamed(FileDigestFollower::kThreadName));
  downloader.reset();
  EXPECT_EQ(0, ThreadsNamed(FileDigestFollower::kThreadName));
  EXPECT_EQ(0, ThreadsNamed(L"ABDEF"));
  EXPECT_TRUE(FolderEntries(dir_.Path()).empty());
}

TEST_F(MTCurlDownloaderTest, ConstructionDeletesTheDestinationAndStalePartFiles) {
  for (const std::wstring& name : {kPackageName, kPackageName + L"_0", kPackageName + L"_1"})
    ASSERT_TRUE(TestSupport::WriteBytes(dir_.File(name), "left by an earlier process"));
  auto downloader = Make(Url("/x"), Target());
  EXPECT_TRUE(FolderEntries(dir_.Path()).empty());
}

}  // namespace
