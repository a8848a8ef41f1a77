#pragma once
// The zip reader behind SkinZipOpen and friends. Items are read on demand through minizip over the
// reader's own source stream (a file handle or a memory block), so that a skin held in memory
// never touches the disk.
#include "base/unique_resource.h"
#include "ui_core/archives/skin_archive.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct unz_file_info64_s;

namespace SkinUI {

// Where the archive bytes come from. Reads are positional, so a caller that shares the file
// handle may move its file pointer freely; positions outside the source are refused.
class SkinZipSource {
public:
  SkinZipSource() = default;
  ~SkinZipSource();
  SkinZipSource(const SkinZipSource&) = delete;
  SkinZipSource& operator=(const SkinZipSource&) = delete;

  // Takes over an open file handle.
  bool AttachFile(Utils::UniqueFileHandle file);
  void AttachMemory(const uint8_t* data, uint64_t size);
  void Close();

  // The minizip file functions, shaped as minizip wants them.
  unsigned long Read(void* buffer, unsigned long size);
  long Seek(uint64_t offset, int origin);
  uint64_t Tell() const { return position_; }
  bool HasError() const { return error_; }
  bool IsDiskFile() const { return static_cast<bool>(file_); }

private:
  Utils::UniqueFileHandle file_;
  const uint8_t* data_ = nullptr;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  bool error_ = false;
};

// What the reader notes about each item when it opens the archive: lookups compare names without
// walking minizip's directory again, and an index goes straight to its central header.
struct SkinZipItem {
  std::wstring name;        // as stored, decoded
  std::wstring key;         // the name as lookups compare it
  uint64_t directoryPos;    // minizip's position of the central header
  uint64_t fileNumber;      // minizip's file number
};

struct SkinZipArchiveCloser {
  void operator()(void* archive) const noexcept;
};

class SkinZipReader {
public:
  SkinZipReader() = default;
  ~SkinZipReader() { Close(); }
  SkinZipReader(const SkinZipReader&) = delete;
  SkinZipReader& operator=(const SkinZipReader&) = delete;

  // source and kind as for SkinZipOpen.
  uint32_t Open(const void* source, size_t length, int kind);
  // Index of the item called `name`, or -1.
  int Find(const wchar_t* name, bool ignoreCase);
  // index -1 gives the number of items in entry->index and nothing else.
  uint32_t GetEntry(int index, SkinZipEntry* entry);
  uint32_t Unzip(int index, void* destination, size_t length, int kind);
  uint32_t Close();

  int ItemCount() const { return static_cast<int>(items_.size()); }

private:
  uint32_t GoTo(int index);
  uint32_t ReadInfo(int index, unz_file_info64_s* info);
  uint32_t UnzipToMemory(int index, void* destination, size_t length);
  uint32_t UnzipToFile(int index, void* destination, int kind);
  void CloseCurrentItem();

  SkinZipSource source_;
  std::unique_ptr<void, SkinZipArchiveCloser> archive_;
  std::vector<SkinZipItem> items_;
  int currentItem_ = -1;
  SkinZipEntry cachedEntry_ = {};
  int cachedIndex_ = -1;
  std::wstring baseFolder_;   // current folder at open time, with a trailing '\'
};

// The record behind a zip handle.
struct SkinZipHandle : SkinArchiveHandle {
  SkinZipHandle() : SkinArchiveHandle{kSkinArchiveKindZip} {}
  SkinZipReader reader;
};

// The reader of a zip handle, or null for null or a handle of the other kind.
SkinZipReader* SkinZipReaderOf(SkinArchiveHandle* archive) noexcept;

// Creates every level of `relativeFolder` under `baseFolder` (which ends in '\'). Refuses absolute
// paths and paths that climb out with "..".
bool SkinZipCreatePath(const std::wstring& baseFolder, const std::wstring& relativeFolder);

// Decodes a stored zip item name: UTF-8 when the item says so, or when the archive was made on
// Unix and the bytes are valid UTF-8 (Unix zip tools store the bytes of the file system), else the
// ANSI code page.
std::wstring SkinZipDecodeName(const char* bytes, size_t size, unsigned long flags,
                               unsigned long versionMadeBy);

}  // namespace SkinUI
