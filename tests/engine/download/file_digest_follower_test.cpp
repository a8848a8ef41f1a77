// The follower that digests a file while it is written, against real files: the digest is of the
// bytes read back from the file, from offset 0, and any doubt about them gives no digest at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "download_fixture.h"
#include "engine/download/file_digest_follower.h"
#include "engine/system/file_utils.h"
#include "base/unique_resource.h"
#include "package_server.h"
#include "test_support.h"

using namespace DownloadTest;

namespace {

constexpr size_t kMiB = 1024 * 1024;

std::string Md5(const std::string& bytes) { return PackageServer::Server::Md5Hex(bytes); }

// A second handle on the file, the way the downloader's part file is written: it shares the file
// with the follower's reading handle.
class Writer {
public:
  explicit Writer(const std::wstring& path)
      : file_(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  bool Open() const { return static_cast<bool>(file_); }
  bool WriteAt(int64_t offset, const std::string& bytes) {
    LARGE_INTEGER position;
    position.QuadPart = offset;
    DWORD done = 0;
    return SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN) &&
           WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
  }
  bool Append(const std::string& bytes) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file_.get(), &size) && WriteAt(size.QuadPart, bytes);
  }

private:
  Utils::UniqueFileHandle file_;
};

class FileDigestFollowerTest : public ::testing::Test {
protected:
  std::wstring Path() const { return dir_.File(L"package.part"); }

  TestSupport::ScratchDir dir_{L"follow"};
};

TEST_F(FileDigestFollowerTest, DigestOfAFileWrittenInStepsIsTheDigestOfTheWholeFile) {
  const std::string bytes = PatternBytes(5 * kMiB + 321, 21);
  Writer writer(Path());
  ASSERT_TRUE(writer.Open());
  FileDigestFollower follower(Path(), nullptr);
  // Steps of every kind: a single byte, less than a block, blocks larger than a read.
  const size_t steps[] = {1, 63, 1000, 65536, 3 * kMiB / 2, 7, 2 * kMiB};
  size_t written = 0;
  for (size_t step : steps) {
    ASSERT_TRUE(writer.Append(bytes.substr(written, step)));
    written += step;
    follower.Stored(static_cast<int64_t>(written));
  }
  ASSERT_TRUE(writer.Append(bytes.substr(written)));
  const std::string digest = follower.Finish(static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(Md5(bytes), digest);
  EXPECT_EQ(Utils::GetFileMd5(Path()), digest);
}

TEST_F(FileDigestFollowerTest, BytesThatWereThereBeforeAreHashedFromTheFirstOne) {
  const std::string bytes = PatternBytes(3 * kMiB, 22);
  const size_t kept = kMiB + 17;
  ASSERT_TRUE(TestSupport::WriteBytes(Path(), bytes.substr(0, kept)));
  Writer writer(Path());
  ASSERT_TRUE(writer.Open());
  FileDigestFollower follower(Path(), nullptr);
  follower.Stored(static_cast<int64_t>(kept));
  ASSERT_TRUE(writer.Append(bytes.substr(kept)));
  EXPECT_EQ(Md5(bytes), follower.Finish(static_cast<int64_t>(bytes.size())));
}

// A range of a file that other writers fill around it, continued from the state of the bytes
// before it: their bytes are no part of the digest and no reason to doubt it, and a range that
// does not end where it was said to gives no digest.
TEST_F(FileDigestFollowerTest, ARangeOfASharedFileContinuesTheDigestOfTheBytesBeforeIt) {
  const std::string bytes = PatternBytes(3 * kMiB + 5, 25);
  const size_t offset = kMiB + 17;
  const size_t length = kMiB + 300;
  Utils::Md5Context before;
  Utils::Md5Init(&before);
  Utils::Md5Update(&before, bytes.data(), offset);
  struct Case {
    const char* name;
    size_t finishedAt;  // the length the follower is told the range has in the end
    std::string expected;
  } const cases[] = {
      {"whole range", length, Md5(bytes.substr(0, offset + length))},
      {"the range is said to be longer than the file holds", bytes.size() - offset + 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"range");
    const std::wstring path = dir.File(L"package.part");
    Writer ranged(path), other(path);
    ASSERT_TRUE(ranged.Open());
    ASSERT_TRUE(other.Open());
    // The other writer's bytes beyond the range come first: the file is longer than the range
    // from the start.
    ASSERT_TRUE(other.WriteAt(static_cast<int64_t>(offset + length), bytes.substr(offset + length)));
    FileDigestFollower follower(path, nullptr, before, static_cast<int64_t>(offset));
    const size_t steps[] = {1, 4095, kMiB / 2, length - kMiB / 2 - 4096};
    size_t written = 0;
    for (size_t step : steps) {
      ASSERT_TRUE(ranged.WriteAt(static_cast<int64_t>(offset + written), bytes.substr(offset + written, step)));
      written += step;
      follower.Stored(static_cast<int64_t>(written));
    }
    // Meanwhile the bytes before the range arrive as well.
    ASSERT_TRUE(other.WriteAt(0, bytes.substr(0, offset)));
    EXPECT_EQ(c.expected, follower.Finish(static_cast<int64_t>(c.finishedAt)));
    EXPECT_EQ(Md5(bytes), Utils::GetFileMd5(path));
  }
}

TEST_F(FileDigestFollowerTest, TheDigestIsOfTheBytesOnDiskNotOfTheBytesWritten) {
  const std::string bytes = PatternBytes(2 * kMiB, 23);
  Writer writer(Path());
  ASSERT_TRUE(writer.Open());
  FileDigestFollower follower(Path(), nullptr);
  ASSERT_TRUE(writer.Append(bytes));
  // Something else changes a byte before the follower is told the file is there.
  ASSERT_TRUE(writer.WriteAt(12345, "?"));
  follower.Stored(static_cast<int64_t>(bytes.size()));
  const std::string digest = follower.Finish(static_cast<int64_t>(bytes.size()));
  EXPECT_NE(Md5(bytes), digest);
  EXPECT_EQ(Utils::GetFileMd5(Path()), digest);
  std::string stored = bytes;
  stored[12345] = '?';
  EXPECT_EQ(Md5(stored), digest);
}

TEST_F(FileDigestFollowerTest, NoDigestWhenTheFileIsNotWhatTheWriterSaid) {
  const std::string bytes = PatternBytes(kMiB + 100, 24);
  struct Case {
    const char* name;
    size_t onDisk;     // bytes in the file
    int64_t stored;    // what the writer reports, step by step
    int64_t shrunkTo;  // a second, smaller report; 0: none
    int64_t finished;  // the length given to Finish
  } cases[] = {
      {"shorter than stored", kMiB, kMiB + 100, 0, kMiB + 100},
      {"longer than finished", kMiB + 100, kMiB, 0, kMiB},
      {"a stored length that shrinks", kMiB + 100, kMiB + 100, kMiB, kMiB},
      {"finished below the stored length", kMiB + 100, kMiB + 100, 0, kMiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestSupport::ScratchDir dir(L"doubt");
    const std::wstring path = dir.File(L"package.part");
    ASSERT_TRUE(TestSupport::WriteBytes(path, bytes.substr(0, c.onDisk)));
    FileDigestFollower follower(path, nullptr);
    follower.Stored(c.stored);
    if (c.shrunkTo) follower.Stored(c.shrunkTo);
    EXPECT_EQ("", follower.Finish(c.finished));
  }
}

TEST_F(FileDigestFollowerTest, AMissingFileGivesNoDigest) {
  FileDigestFollower follower(Path(), nullptr);
  follower.Stored(0);
  EXPECT_EQ("", follower.Finish(0));
}

TEST_F(FileDigestFollowerTest, AnEmptyFileHasTheDigestOfNoBytes) {
  ASSERT_TRUE(TestSupport::WriteBytes(Path(), ""));
  FileDigestFollower follower(Path(), nullptr);
  EXPECT_EQ(Md5(""), follower.Finish(0));
}

TEST_F(FileDigestFollowerTest, AStopRequestOrACancelGivesNoDigest) {
  const std::string bytes = PatternBytes(kMiB, 25);
  ASSERT_TRUE(TestSupport::WriteBytes(Path(), bytes));
  {
    std::atomic<bool> stop{true};
    FileDigestFollower follower(Path(), &stop);
    follower.Stored(static_cast<int64_t>(bytes.size()));
    EXPECT_EQ("", follower.Finish(static_cast<int64_t>(bytes.size())));
  }
  {
    FileDigestFollower follower(Path(), nullptr);
    follower.Stored(static_cast<int64_t>(bytes.size()));
    follower.Cancel();
    follower.Cancel();
    EXPECT_EQ("", follower.Finish(static_cast<int64_t>(bytes.size())));
  }
  {
    // Finished, the follower keeps no thread: a cancel afterwards changes nothing.
    FileDigestFollower follower(Path(), nullptr);
    EXPECT_EQ(Md5(bytes), follower.Finish(static_cast<int64_t>(bytes.size())));
    follower.Cancel();
  }
}

TEST_F(FileDigestFollowerTest, TheHandleIsClosedOnceFinishedSoThatTheFileCanBeRenamed) {
  const std::string bytes = PatternBytes(kMiB, 26);
  ASSERT_TRUE(TestSupport::WriteBytes(Path(), bytes));
  FileDigestFollower follower(Path(), nullptr);
  EXPECT_EQ(Md5(bytes), follower.Finish(static_cast<int64_t>(bytes.size())));
  // Opening without any sharing fails while another handle is open.
  Utils::UniqueFileHandle alone(CreateFileW(Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(alone);
}

TEST_F(FileDigestFollowerTest, DestroyingAWaitingFollowerLeavesNoThread) {
  ASSERT_EQ(0, ThreadsNamed(FileDigestFollower::kThreadName));
  ASSERT_TRUE(TestSupport::WriteBytes(Path(), "a"));
  auto follower = std::make_unique<FileDigestFollower>(Path(), nullptr);
  follower->Stored(1);
  // The thread names itself once it runs; the limit only keeps a broken follower from hanging.
  for (int i = 0; i < 1000 && ThreadsNamed(FileDigestFollower::kThreadName) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(1, ThreadsNamed(FileDigestFollower::kThreadName));
  follower.reset();
  EXPECT_EQ(0, ThreadsNamed(FileDigestFollower::kThreadName));
}

}  // namespace
