// The digest that the libcurl client takes of the part file while it is written, against the
// package server on 127.0.0.1: it is the digest of the stored file whatever the attempts went
// through (resumed, cut, started over), and no digesting thread outlives an attempt.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "download_fixture.h"
#include "engine/download/curl_client.h"
#include "engine/download/curl_downloader.h"
#include "engine/download/file_digest_follower.h"
#include "engine/system/file_utils.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;
using PackageServer::FaultKind;

namespace {

constexpr size_t kMiB = 1024 * 1024;
const std::wstring kPackageName = L"__Package_Tessmark.exe";

int Followers() { return ThreadsNamed(FileDigestFollower::kThreadName); }

class StoredDigestTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Target() const { return dir_.File(kPackageName); }
  std::wstring Part() const { return Target() + L".part"; }
  std::wstring Url(const std::string& path) const { return TestSupport::FromUtf8(server_.Url(path)); }
  std::vector<std::string> GetRanges() const {
    std::vector<std::string> ranges;
    for (const auto& request : server_.Requests())
      if (request.method == "GET") ranges.push_back(request.range);
    return ranges;
  }
  // The client's digest is the digest of the file at the destination, which holds `bytes`.
  void ExpectStoredDigest(const CurlClient& client, const std::string& bytes) const {
    EXPECT_EQ(PackageServer::Server::Md5Hex(bytes), client.StoredDigest());
    EXPECT_EQ(Utils::GetFileMd5(Target()), client.StoredDigest());
    std::string stored;
    ASSERT_TRUE(TestSupport::ReadBytes(Target(), &stored));
    EXPECT_TRUE(SameBytes(bytes, stored));
  }

  PackageServer::Server server_;
  TestSupport::ScratchDir dir_{L"stored"};
};

TEST_F(StoredDigestTest, ACleanTransferLeavesTheDigestOfTheStoredFile) {
  const std::string bytes = PatternBytes(4 * kMiB + 3, 31);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  CurlClient client(Url(path), Target(), nullptr);
  ASSERT_EQ(0, client.Start());
  ExpectStoredDigest(client, bytes);
  EXPECT_EQ(0, Followers());
}

TEST_F(StoredDigestTest, AResumedPartFileIsDigestedFromItsFirstByte) {
  const std::string bytes = PatternBytes(3 * kMiB, 32);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  CurlClient client(Url(path), Target(), nullptr);
  const size_t kept = 2 * kMiB + 5;
  ASSERT_TRUE(TestSupport::WriteBytes(Part(), bytes.substr(0, kept)));
  ASSERT_EQ(0, client.Start());
  EXPECT_EQ(std::vector<std::string>{"bytes=" + std::to_string(kept) + "-"}, GetRanges());
  ExpectStoredDigest(client, bytes);
}

TEST_F(StoredDigestTest, APartFileThatAlreadyHoldsThePackageIsDigestedWithoutARequest) {
  const std::string bytes = PatternBytes(kMiB + 9, 33);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  CurlClient client(Url(path), Target(), nullptr);
  ASSERT_TRUE(TestSupport::WriteBytes(Part(), bytes));
  ASSERT_EQ(0, client.Start());
  EXPECT_TRUE(GetRanges().empty());
  ExpectStoredDigest(client, bytes);
}

TEST_F(StoredDigestTest, WrongBytesKeptInThePartFileAreInTheDigest) {
  const std::string bytes = PatternBytes(2 * kMiB, 34);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  CurlClient client(Url(path), Target(), nullptr);
  std::string kept = bytes.substr(0, kMiB);
  kept[777] = static_cast<char>(kept[777] ^ 0x5a);
  ASSERT_TRUE(TestSupport::WriteBytes(Part(), kept));
  ASSERT_EQ(0, client.Start());
  // Not the server's digest: the one of what is on disk.
  ExpectStoredDigest(client, kept + bytes.substr(kMiB));
  EXPECT_NE(PackageServer::Server::Md5Hex(bytes), client.StoredDigest());
}

TEST_F(StoredDigestTest, ACutBodyLeavesNoDigestAndTheNextAttemptDigestsTheWholeFile) {
  const std::string bytes = PatternBytes(3 * kMiB, 35);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.QueueFault({FaultKind::kCutBody, 700000, "GET"}, 2);
  CurlClient client(Url(path), Target(), nullptr);
  EXPECT_EQ(CURLE_PARTIAL_FILE, client.Start());
  EXPECT_EQ("", client.StoredDigest());
  EXPECT_EQ(0, Followers());
  EXPECT_EQ(CURLE_PARTIAL_FILE, client.Start());
  EXPECT_EQ("", client.StoredDigest());
  ASSERT_EQ(0, client.Start());
  EXPECT_EQ((std::vector<std::string>{"", "bytes=700000-", "bytes=1400000-"}), GetRanges());
  ExpectStoredDigest(client, bytes);
}

TEST_F(StoredDigestTest, APartFileCutOrRemovedBetweenAttemptsIsDigestedAsItIsThen) {
  const std::string bytes = PatternBytes(3 * kMiB, 36);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  struct Case {
    const char* name;
    bool removed;        // the part file is removed; otherwise cut to 300000 bytes
    std::string range;   // of the attempt that follows
  } cases[] = {
      {"cut shorter", false, "bytes=300000-"},
      {"removed", true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::RemoveTree(Target());
    server_.ClearRequests();
    server_.QueueFault({FaultKind::kCutBody, 1500000, "GET"});
    CurlClient client(Url(path), Target(), nullptr);
    ASSERT_EQ(CURLE_PARTIAL_FILE, client.Start());
    if (c.removed) {
      ASSERT_TRUE(DeleteFileW(Part().c_str()));
    } else {
      ASSERT_TRUE(TestSupport::WriteBytes(Part(), bytes.substr(0, 300000)));
    }
    ASSERT_EQ(0, client.Start());
    EXPECT_EQ((std::vector<std::string>{"", c.range}), GetRanges());
    ExpectStoredDigest(client, bytes);
  }
}

TEST_F(StoredDigestTest, AServerIgnoringTheResumeRequestMakesTheDigestStartOver) {
  const std::string bytes = PatternBytes(2 * kMiB, 37);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.SetFault({FaultKind::kIgnoreRange});
  CurlClient client(Url(path), Target(), nullptr);
  // Bytes that are not the package's: the attempt that starts over must not keep them.
  ASSERT_TRUE(TestSupport::WriteBytes(Part(), std::string(5000, 'x')));
  EXPECT_EQ(CURLE_RANGE_ERROR, client.Start());
  ASSERT_EQ(0, client.Start());
  EXPECT_EQ((std::vector<std::string>{"bytes=5000-", ""}), GetRanges());
  ExpectStoredDigest(client, bytes);
}

TEST_F(StoredDigestTest, ARenameThatFailsLeavesNoDigest) {
  const std::string bytes = PatternBytes(kMiB + 1, 38);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  ASSERT_TRUE(CreateDirectoryW(Target().c_str(), nullptr));
  CurlClient client(Url(path), Target(), nullptr);
  EXPECT_EQ(0, client.Start());
  EXPECT_EQ("", client.StoredDigest());
}

// The downloader, with the orchestrator's restart on 1005.
class DownloaderDigestTest : public StoredDigestTest {
protected:
  void Run(CCurlDownloader& downloader) {
    const std::wstring target = Target();
    reports_.onRetry = [this, &downloader, target] {
      // Inside the report of the run that failed the check: its digesting is over.
      followersOnRetry_.push_back(Followers());
      downloader.Start(target);
    };
    downloader.Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());
  }

  StatusRecorder reports_;
  std::vector<int> followersOnRetry_;
};

TEST_F(DownloaderDigestTest, WrongBytesInAResumedPartFileFailTheCheckAndTheRetryStartsOver) {
  const std::string bytes = PatternBytes(3 * kMiB, 39);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  CCurlDownloader downloader(reports_.Callback(), Url(path), Target());
  std::string kept = bytes.substr(0, kMiB);
  kept[4242] = static_cast<char>(kept[4242] ^ 1);
  ASSERT_TRUE(TestSupport::WriteBytes(Part(), kept));
  Run(downloader);

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}),
            reports_.Codes());
  EXPECT_EQ((std::vector<std::string>{"bytes=" + std::to_string(kMiB) + "-", ""}), GetRanges());
  EXPECT_EQ(std::vector<int>{0}, followersOnRetry_);
  EXPECT_EQ(0, Followers());
  std::string stored;
  ASSERT_TRUE(TestSupport::ReadBytes(Target(), &stored));
  EXPECT_TRUE(SameBytes(bytes, stored));
}

TEST_F(DownloaderDigestTest, CutBodiesAndRetriesEndWithTheRightDigestAndNoThreadLeft) {
  const std::string bytes = PatternBytes(3 * kMiB, 40);
  const std::string path = server_.AddPackage("pkg.exe", bytes);
  server_.QueueFault({FaultKind::kCutBody, 800000, "GET"}, 2);
  CCurlDownloader downloader(reports_.Callback(), Url(path), Target());
  Run(downloader);

  EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), reports_.Codes());
  EXPECT_EQ((std::vector<std::string>{"", "bytes=800000-", "bytes=1600000-"}), GetRanges());
  EXPECT_EQ(0, Followers());
}

TEST_F(DownloaderDigestTest, DestroyingTheDownloaderMidTransferLeavesNoDigestingThread) {
  const std::string path = server_.AddPackage("pkg.exe", PatternBytes(4 * kMiB, 41));
  server_.SetFault({FaultKind::kSlowRate, 256 * 1024, "GET"});
  auto downloader = std::make_unique<CCurlDownloader>(reports_.Callback(), Url(path), Target());
  downloader->Start(Target());
  ASSERT_TRUE(reports_.WaitForCode(DL_CODE_PROGRESS));
  // The thread names itself once it runs; the limit only keeps a broken follower from hanging.
  for (int i = 0; i < 1000 && Followers() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(1, Followers());
  downloader.reset();
  EXPECT_EQ(0, Followers());
  EXPECT_EQ(std::vector<int>{DL_CODE_START}, reports_.Codes());
  EXPECT_TRUE(FolderEntries(dir_.Path()).empty());
}

}  // namespace
