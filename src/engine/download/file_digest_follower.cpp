#include "engine/download/file_digest_follower.h"

#include <algorithm>
#include <memory>
#include <new>
#include <system_error>

#include "engine/download/md5.h"
#include "base/thread.h"

namespace {

// As much as one read takes from the page cache; the same block the whole-file digest reads.
constexpr int64_t kReadSize = 1024 * 1024;

}  // namespace

FileDigestFollower::FileDigestFollower(const std::wstring& path, const std::atomic<bool>* stop)
    : stop_(stop) {
  Begin(path);
}

FileDigestFollower::FileDigestFollower(const std::wstring& path, const std::atomic<bool>* stop,
                                       const Utils::Md5Context& start)
    : stop_(stop), continued_(true), start_(start) {
  Begin(path);
}

FileDigestFollower::FileDigestFollower(const std::wstring& path, const std::atomic<bool>* stop,
                                       const Utils::Md5Context& start, int64_t offset)
    : stop_(stop), continued_(true), start_(start), offset_(offset), sharedFile_(true) {
  Begin(path);
}

void FileDigestFollower::Begin(const std::wstring& path) {
  file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file_) return;
  LARGE_INTEGER position;
  position.QuadPart = offset_;
  if (offset_ < 0 || !::SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN)) {
    file_.reset();
    return;
  }
  try {
    thread_ = std::thread(&FileDigestFollower::Run, this);
  } catch (const std::system_error&) {
    // No thread: the follower stays idle and the caller digests the finished file itself.
    file_.reset();
  }
}

FileDigestFollower::~FileDigestFollower() { Cancel(); }

void FileDigestFollower::Stored(int64_t length) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (length < stored_) broken_ = true;
    else stored_ = length;
  }
  changed_.notify_one();
}

std::string FileDigestFollower::Finish(int64_t length) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (length < stored_) broken_ = true;
    else stored_ = length;
    complete_ = true;
  }
  changed_.notify_one();
  // The thread has ended by itself once it has hashed the whole file (or given up).
  const bool followed = thread_.joinable();
  End();
  return followed ? digest_ : std::string();
}

bool FileDigestFollower::FinishContext(int64_t length, Utils::Md5Context* context) {
  if (context == nullptr) {
    Cancel();
    return false;
  }
  if (Finish(length).empty()) return false;
  *context = context_;
  return true;
}

void FileDigestFollower::Cancel() {
  cancelled_ = true;
  {
    // Under the lock, so that the thread cannot miss the change between its check and its wait.
    std::lock_guard<std::mutex> lock(mutex_);
  }
  changed_.notify_one();
  End();
  digest_.clear();
}

void FileDigestFollower::End() {
  if (thread_.joinable()) thread_.join();
  file_.reset();
}

void FileDigestFollower::Run() {
  Utils::SetThreadName(::GetCurrentThreadId(), kThreadName);
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kReadSize]);
  if (!buffer) return;
  Utils::Md5Context context;
  if (continued_) {
    context = start_;
  } else {
    Utils::Md5Init(&context);
  }
  int64_t hashed = 0;
  for (;;) {
    int64_t target;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return cancelled_ || broken_ || complete_ || stored_ > hashed; });
      if (cancelled_ || broken_) return;
      if (complete_ && stored_ == hashed) break;
      target = stored_;
    }
    while (hashed < target) {
      if (cancelled_ || (stop_ != nullptr && *stop_)) return;
      const DWORD want = static_cast<DWORD>(std::min(kReadSize, target - hashed));
      DWORD got = 0;
      // The writer said these bytes are stored: a read that fails or comes short means the file
      // is not what it was said to be, and no digest is better than a wrong one.
      if (!::ReadFile(file_.get(), buffer.get(), want, &got, nullptr) || got != want) return;
      Utils::Md5Update(&context, buffer.get(), got);
      hashed += got;
    }
  }
  // Bytes beyond the announced end (another writer) would be part of the file but not of the
  // digest; in a shared file they belong to the other writers.
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file_.get(), &size)) return;
  if (sharedFile_ ? size.QuadPart < offset_ + hashed : size.QuadPart != hashed) return;
  context_ = context;
  unsigned char digest[16];
  Utils::Md5Final(&context, digest);
  digest_ = Utils::Md5Hex(digest);
}
