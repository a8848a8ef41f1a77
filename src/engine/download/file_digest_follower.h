#pragma once
// The MD5 digest of a file that is being appended to, taken on a thread of its own while the
// writing goes on. The thread reads the file back through its own handle, from offset 0 (bytes
// that were there before included) up to the length the writer says it has stored, so that when
// the writer is done only its last writes remain to be hashed, instead of the whole file.
//
// The digest is of the bytes read back from the file, never of the bytes handed to the writer:
// what a failed or partial write left behind is what gets hashed. Whenever the follower cannot be
// sure of its answer it gives none, and the caller digests the finished file the ordinary way.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "engine/download/md5.h"
#include "base/unique_resource.h"

class FileDigestFollower {
public:
  // The name the thread carries for a debugger (and in its description).
  static constexpr const wchar_t* kThreadName = L"FileDigestFollower";

  // Opens `path` for reading alongside its writer and starts the thread, which waits for Stored.
  // `stop`, when given, is looked at between reads: once it is set the follower gives up, so that
  // an owner that is going away never waits for a long read-back. Without a handle or a thread
  // the follower is idle and Finish answers "".
  FileDigestFollower(const std::wstring& path, const std::atomic<bool>* stop);
  // As above, but the digest continues from `start` (the state after the bytes that come before
  // this file), so that Finish answers for those bytes followed by the file's.
  FileDigestFollower(const std::wstring& path, const std::atomic<bool>* stop, const Utils::Md5Context& start);
  // As above, but follows only the bytes from `offset` on, in a file that other writers fill
  // elsewhere too: lengths count from `offset`, and bytes beyond the followed ones are no sign of
  // doubt (the caller answers for the whole file).
  FileDigestFollower(const std::wstring& path, const std::atomic<bool>* stop, const Utils::Md5Context& start,
                     int64_t offset);
  // Cancels, waits for the thread and closes the handle.
  ~FileDigestFollower();
  FileDigestFollower(const FileDigestFollower&) = delete;
  FileDigestFollower& operator=(const FileDigestFollower&) = delete;

  // The writer has stored the first `length` bytes of the file (everything it wrote has returned
  // from the system). Lengths only grow: a smaller one means the file was cut or rewritten, and
  // the follower gives up.
  void Stored(int64_t length);

  // The file is complete at `length` bytes: waits until the thread has hashed them, then ends it
  // and closes the handle. The digest as 32 lower-case hexadecimal digits; "" when it is not
  // certain: no handle or thread, a read failed or came short, the file does not end at `length`,
  // the follower gave up or was cancelled.
  std::string Finish(int64_t length);

  // As Finish, but hands over the running MD5 state of the file's bytes instead of the digest,
  // for a caller that hashes more bytes after them (a file that is the first piece of a longer
  // one). False, with `context` untouched, whenever Finish would answer "".
  bool FinishContext(int64_t length, Utils::Md5Context* context);

  // Stops following, waits for the thread and closes the handle; Finish then answers "". Does
  // nothing the second time.
  void Cancel();

private:
  // Opens the file and starts the thread.
  void Begin(const std::wstring& path);
  void Run();
  // Waits for the thread and closes the handle; the thread's results may be read afterwards.
  void End();

  Utils::UniqueFileHandle file_;
  const std::atomic<bool>* stop_;
  bool continued_ = false;
  Utils::Md5Context start_{};  // where the digest begins when continued_
  int64_t offset_ = 0;         // where the followed bytes begin
  bool sharedFile_ = false;    // other writers may put bytes beyond the followed ones
  std::atomic<bool> cancelled_{false};

  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t stored_ = 0;    // guarded by mutex_
  bool complete_ = false; // guarded by mutex_: stored_ is the whole file
  bool broken_ = false;   // guarded by mutex_: the file shrank under the follower

  // Written by the thread, read once it has been joined: the digest, and the state it was
  // finalised from (valid exactly when the digest is not empty).
  std::string digest_;
  Utils::Md5Context context_{};

  std::thread thread_;
};
