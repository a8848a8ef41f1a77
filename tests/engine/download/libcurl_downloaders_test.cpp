// What the single and the multi-part libcurl downloaders must both do, against the package server
// on 127.0.0.1: the digest verdicts, the way to the final URL (redirects, local files), and a
// quiet end when the downloader goes away mid-transfer. Where the two differ by design, the kind's
// traits say how.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "download_fixture.h"
#include "engine/download/curl_downloader.h"
#include "engine/download/file_digest_follower.h"
#include "engine/download/mt_curl_downloader.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;
using PackageServer::FaultKind;

namespace {

const std::wstring kPackageName = L"__Package_Tessmark.exe";
constexpr size_t kMiB = 1024 * 1024;

struct SingleDownloader {
  using Downloader = CCurlDownloader;
  static constexpr const wchar_t* kMismatchText = L"curl文件md5校验失败";
  static constexpr const wchar_t* kNoDigestText = L"curl获取url-md5失败";
  // The single downloader fetches nothing below 1 MiB.
  static constexpr size_t kPackageSize = kMiB + 500;
  // It asks for the whole package without a range.
  static std::string WholeRange(size_t /*size*/) { return ""; }
  // A package whose digest does not match stays where it is (the orchestrator deletes it on 1004).
  static constexpr bool kDeletesAMismatch = false;
  // It logs nothing of its verdicts.
  static std::vector<std::wstring> VerdictLog(int /*lastCode*/, bool /*mismatch*/) { return {}; }
};

struct MultiPartDownloader {
  using Downloader = CMTCurlDownloader;
  static constexpr const wchar_t* kMismatchText = L"mtcurl文件md5校验失败";
  static constexpr const wchar_t* kNoDigestText = L"mtcurl获取url-md5失败";
  static constexpr size_t kPackageSize = 300000;
  static std::string WholeRange(size_t size) { return "bytes=0-" + std::to_string(size - 1); }
  static constexpr bool kDeletesAMismatch = true;
  static std::vector<std::wstring> VerdictLog(int lastCode, bool mismatch) {
    const wchar_t* text = !mismatch ? L"finish recv\r\n"
                          : lastCode == DL_CODE_RETRY ? L"finish recv, md5 chaek failed retry once.\r\n"
                                                      : L"finish recv, md5 chaek failed and retry failed.\r\n";
    return {L"(CMTCurlDownloader::waitForFinishThreadFun)", text};
  }
};

template <typename Kind>
class LibcurlDownloaderTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(server_.Start()); }

  std::wstring Url(const std::string& path) const { return TestSupport::FromUtf8(server_.Url(path)); }
  std::unique_ptr<typename Kind::Downloader> Make(const std::wstring& url, const std::wstring& target) {
    return std::make_unique<typename Kind::Downloader>(reports_.Callback(), url, target);
  }
  // Starts a run into `target` and waits until it (or the run it restarts on 1005) ends.
  void Run(typename Kind::Downloader& downloader, const std::wstring& target) {
    reports_.onRetry = [&downloader, target] { downloader.Start(target); };
    downloader.Start(target);
    ASSERT_TRUE(reports_.WaitForDownloadEnd());
  }

  PackageServer::Server server_;
  TestSupport::ScratchDir dir_{L"lc"};
  StatusRecorder reports_;
};

using Kinds = ::testing::Types<SingleDownloader, MultiPartDownloader>;
TYPED_TEST_SUITE(LibcurlDownloaderTest, Kinds);

TYPED_TEST(LibcurlDownloaderTest, DigestVerdicts) {
  const std::string bytes = PatternBytes(TypeParam::kPackageSize, 3);
  const std::string digest = PackageServer::Server::Md5Hex(bytes);
  std::string upper = digest;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(toupper(c)); });
  const std::vector<int> retriedThenFailed = {DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_RETRY,
                                              DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_FAIL};
  struct Case {
    const char* name;
    std::string path;
    int wrongBodies;  // GETs answered with one altered byte; -1: every one
    std::vector<int> codes;
    const wchar_t* digestText;  // text of every 1006
    bool mismatch;
  } const cases[] = {
      {"digest matches", "/" + digest + "/pkg.exe", 0, {DL_CODE_START, DL_CODE_SUCCESS}, nullptr, false},
      {"mismatch once, then a match", "/" + digest + "/pkg.exe", 1,
       {DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_RETRY, DL_CODE_START, DL_CODE_SUCCESS}, TypeParam::kMismatchText,
       false},
      {"mismatch twice", "/" + digest + "/pkg.exe", -1, retriedThenFailed, TypeParam::kMismatchText, true},
      {"digest in upper case", "/" + upper + "/pkg.exe", 0, retriedThenFailed, TypeParam::kMismatchText, true},
      {"no digest segment", "/files/pkg.exe", 0, {DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_SUCCESS},
       TypeParam::kNoDigestText, false},
      {"a segment of 31 characters", "/" + digest.substr(1) + "/pkg.exe", 0,
       {DL_CODE_START, DL_CODE_DIGEST_ERROR, DL_CODE_SUCCESS}, TypeParam::kNoDigestText, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"digest");
    const std::wstring target = dir.File(kPackageName);
    this->server_.ClearRequests();
    this->server_.ClearFaults();
    this->server_.AddFile(c.path, bytes);
    if (c.wrongBodies < 0) this->server_.SetFault({FaultKind::kWrongBytes, 0, "GET"});
    if (c.wrongBodies > 0) this->server_.QueueFault({FaultKind::kWrongBytes, 0, "GET"}, c.wrongBodies);
    this->reports_.Reset();
    LogCapture log;
    {
      auto downloader = this->Make(this->Url(c.path), target);
      this->Run(*downloader, target);
    }
    EXPECT_EQ(c.codes, this->reports_.Codes());
    for (const StatusReport& r : this->reports_.Reports()) {
      if (r.code == DL_CODE_DIGEST_ERROR) {
        EXPECT_EQ(c.digestText, r.text);
        EXPECT_EQ(0.0, r.progress);
      }
      if (r.code == DL_CODE_RETRY || r.code == DL_CODE_SUCCESS || r.code == DL_CODE_FAIL) {
        EXPECT_EQ(L"LibCurl", r.text);
        EXPECT_EQ(0.0, r.progress);
      }
    }
    // A restarted run keeps the real URL and length: only the first run asks for them.
    EXPECT_EQ(1u, this->server_.CountRequests("HEAD"));
    // After a mismatch nothing of the first run is continued: the next run starts from zero.
    for (const auto& request : this->server_.Requests()) {
      if (request.method == "GET") {
        EXPECT_EQ(TypeParam::WholeRange(bytes.size()), request.range);
      }
    }
    const std::vector<std::wstring> logged = TypeParam::VerdictLog(c.codes.back(), c.mismatch);
    if (!logged.empty()) {
      EXPECT_EQ(1u, log.Count(logged));
    }
    if (c.mismatch && TypeParam::kDeletesAMismatch) {
      EXPECT_TRUE(FolderEntries(dir.Path()).empty());
    } else {
      EXPECT_EQ(std::vector<std::wstring>{kPackageName}, FolderEntries(dir.Path()));
      // Unless every body was altered, the package is the served one.
      if (c.wrongBodies >= 0) {
        EXPECT_TRUE(SameBytes(bytes, Contents(target)));
      }
    }
  }
}

TYPED_TEST(LibcurlDownloaderTest, RedirectsAndFileUrlsLeadToTheFinalUrl) {
  const std::string bytes = PatternBytes(TypeParam::kPackageSize, 9);
  const std::string digest = PackageServer::Server::Md5Hex(bytes);
  const std::string path = this->server_.AddPackage("pkg.exe", bytes);
  this->server_.AddRedirect("/software/641", this->server_.Url("/hop"));  // absolute
  this->server_.AddRedirect("/hop", path, 301);                           // relative
  // The same package on the local disk, under its digest.
  const std::wstring folder = this->dir_.File(TestSupport::FromUtf8(digest));
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(TestSupport::WriteBytes(folder + L"\\pkg.exe", bytes));
  struct Case {
    const char* name;
    std::wstring url;
    std::vector<std::string> heads;
    size_t gets;
  } const cases[] = {
      {"redirect chain", this->Url("/software/641"), {"/software/641", "/hop", path}, 1},
      {"file URL", FileUrl(folder + L"\\pkg.exe"), {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"final");
    const std::wstring target = dir.File(kPackageName);
    this->server_.ClearRequests();
    this->reports_.Reset();
    {
      auto downloader = this->Make(c.url, target);
      this->Run(*downloader, target);
    }
    EXPECT_EQ((std::vector<int>{DL_CODE_START, DL_CODE_SUCCESS}), this->reports_.Codes());
    EXPECT_TRUE(SameBytes(bytes, Contents(target)));
    std::vector<std::string> heads, gets;
    for (const auto& r : this->server_.Requests()) (r.method == "HEAD" ? heads : gets).push_back(r.path);
    EXPECT_EQ(c.heads, heads);
    EXPECT_EQ(c.gets, gets.size());
    for (const std::string& get : gets) EXPECT_EQ(path, get);
  }
}

TYPED_TEST(LibcurlDownloaderTest, DestroyingTheDownloaderStopsARunningTransferQuietly) {
  const std::string path = this->server_.AddPackage("pkg.exe", PatternBytes(21 * kMiB, 14));
  this->server_.SetFault({FaultKind::kSlowRate, kMiB, "GET"});
  const std::wstring target = this->dir_.File(kPackageName);
  auto downloader = this->Make(this->Url(path), target);
  downloader->Start(target);
  ASSERT_TRUE(this->reports_.WaitForCode(DL_CODE_PROGRESS));
  downloader.reset();
  EXPECT_EQ(std::vector<int>{DL_CODE_START}, this->reports_.Codes());
  // No part file stays behind, and no thread of the downloader's runs on.
  EXPECT_TRUE(FolderEntries(this->dir_.Path()).empty());
  EXPECT_EQ(0, ThreadsNamed(FileDigestFollower::kThreadName));
  EXPECT_EQ(0, ThreadsNamed(L"ABDEF"));
}

TYPED_TEST(LibcurlDownloaderTest, AnEmptyFilePathFailsAtOnce) {
  auto downloader = this->Make(this->Url("/x"), L"");
  this->Run(*downloader, L"");
  const std::vector<StatusReport> expected = {{DL_CODE_START, 1.0, L""}, {DL_CODE_FAIL, 1.0, L""}};
  EXPECT_EQ(expected, this->reports_.Reports());
  EXPECT_TRUE(this->server_.Requests().empty());
}

}  // namespace
