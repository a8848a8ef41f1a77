#pragma once
// Skin archives: the window layouts and images of a skin packed into one zip or 7z archive, on disk
// or in memory. Both readers share one opaque handle type whose record starts with a kind word, so
// that a handle of one kind handed to the other kind's functions is refused instead of misread.
//
// The callers follow one pattern: find the item, check its size, read it whole into a buffer of
// that size. SkinArchiveReadItem does exactly that for a handle of either kind.
//
// Every input is untrusted: no function throws, every failure is a result code or a null handle.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace SkinUI {

// Result codes of both readers.
constexpr uint32_t kSkinArchiveOk = 0;
constexpr uint32_t kSkinZipDuplicateFailed = 0x100;     // the source file handle could not be duplicated
constexpr uint32_t kSkinZipOpenFailed = 0x200;          // the archive or an output file could not be opened
constexpr uint32_t kSkinZipWriteFailed = 0x400;         // writing an extracted item to its file failed
constexpr uint32_t kSkinZipNotFound = 0x500;            // no item of that name
constexpr uint32_t kSkinZipMoreData = 0x600;            // "read, more to come": callers accept it as
                                                        // success, so this reader never returns it
                                                        // (an item is read whole or not at all)
constexpr uint32_t kSkinZipBadLocalHeader = 0x700;      // an item's local header is corrupt
constexpr uint32_t kSkinZipBadExtraField = 0x800;       // an item's extra field could not be read
constexpr uint32_t kSkinArchiveBadArgument = 0x10000;   // null handle or name, bad index or length;
                                                        // for 7z also: no item of that name or index
constexpr uint32_t kSkinZipNotZipHandle = 0x80000;      // the handle is not a zip handle
constexpr uint32_t kSkinZipAlreadyOpen = 0x1000000;     // the zip reader is already open on a source
constexpr uint32_t kSkinZipNotDiskFile = 0x2000000;     // the source handle is not a disk file
constexpr uint32_t kSkinZipInflateFailed = 0x5000000;   // the item's data could not be decoded or its CRC
                                                        // did not match

// What callers accept as a successful extraction.
inline bool SkinArchiveSucceeded(uint32_t result) {
  return result == kSkinArchiveOk || result == kSkinZipMoreData;
}

// A skin is small; an archive that claims to decode to more than this is refused before any of
// it is decoded (a few hundred bytes of LZMA can claim gigabytes).
constexpr uint64_t kSkinArchiveMaxDecodedBytes = 64ull * 1024 * 1024;

// Handle of an open archive of either kind. The readers' records start with this kind word; to
// callers it is opaque.
constexpr uint32_t kSkinArchiveKindZip = 1;
constexpr uint32_t kSkinArchiveKind7z = 2;
struct SkinArchiveHandle {
  uint32_t kind;
};

// ---------------------------------------------------------------------------------------------
// Zip reader: items are read on demand through minizip.

// Source kinds of SkinZipOpen and destination kinds of SkinZipUnzipItem.
constexpr int kSkinZipFileHandle = 1;   // an open Windows file handle (HANDLE)
constexpr int kSkinZipFileName = 2;     // a file name (const wchar_t*)
constexpr int kSkinZipMemory = 3;       // a memory block of `length` bytes

// What a zip lookup returns.
struct SkinZipEntry {
  int index;                    // position in the central directory, -1 when none
  wchar_t name[MAX_PATH];       // stored name (at most 259 characters)
  DWORD attributes;             // FILE_ATTRIBUTE_* bits, FILE_ATTRIBUTE_NORMAL always set
  FILETIME accessTime;          // UTC
  FILETIME creationTime;        // UTC
  FILETIME modificationTime;    // UTC
  uint32_t compressedSize;      // saturated at 0xFFFFFFFF
  uint32_t uncompressedSize;    // saturated at 0xFFFFFFFF
};

// Opens a zip archive. kind 1: `source` is a HANDLE of a disk file (duplicated, the caller keeps
// its own); 2: `source` is a wide file name; 3: `source` points to `length` bytes, which are not
// copied and must outlive the handle. Null on failure; SkinZipLastResult tells why.
SkinArchiveHandle* SkinZipOpen(const void* source, size_t length, int kind) noexcept;

// Looks an item up by name. '/' and '\' match each other; `ignoreCase` compares without regard to
// case. Names of 256 characters or more are refused. Not found: *index = -1, entry->index = -1,
// kSkinZipNotFound. `entry` may be null.
uint32_t SkinZipFindItem(SkinArchiveHandle* archive, const wchar_t* name, bool ignoreCase,
                         int* index, SkinZipEntry* entry) noexcept;

// Extracts item `index`. kind 3: into the memory block `destination` of `length` bytes, which must
// hold the whole item; returns kSkinArchiveOk only when the whole item was read and its CRC
// matched. kind 1: writes it to the file HANDLE `destination`; kind 2: to the file named by the
// wide text `destination` (relative folders of that name are created under the folder that was
// current when the archive was opened). `length` is ignored for kinds 1 and 2.
uint32_t SkinZipUnzipItem(SkinArchiveHandle* archive, int index, void* destination, size_t length,
                          int kind) noexcept;

// Closes the archive and frees the handle. kSkinZipNotZipHandle for a 7z handle.
uint32_t SkinZipClose(SkinArchiveHandle* archive) noexcept;

// The result of the latest zip operation of the process.
uint32_t SkinZipLastResult() noexcept;

// ---------------------------------------------------------------------------------------------
// 7z reader: every file is decoded into memory when the archive is opened; afterwards lookups
// and extraction only copy bytes.

// Opens a 7z archive from `size` bytes (only read during the call). With `existing` (an open 7z
// handle) its items are replaced on success and `existing` is returned; on failure it is left as
// it was. Null when the bytes are no 7z archive or its headers claim more than a skin may decode
// to. A file that cannot be decoded stops the decoding: the files before it are kept.
SkinArchiveHandle* Skin7zOpenFromMemory(const void* bytes, size_t size,
                                        SkinArchiveHandle* existing = nullptr) noexcept;
// The same for a file, except that a file that opens but holds no 7z archive (or one that claims
// too much) gives a handle without items. Null when the file cannot be opened.
SkinArchiveHandle* Skin7zOpenFromFile(const wchar_t* path,
                                      SkinArchiveHandle* existing = nullptr) noexcept;

// Looks an item up by name, without regard to case; '/' and '\' match each other. Gives its index
// and size. kSkinArchiveOk or kSkinArchiveBadArgument.
uint32_t Skin7zFindItem(SkinArchiveHandle* archive, const wchar_t* name, int* index,
                        uint64_t* size) noexcept;

// Copies item `index` into `buffer` of `length` bytes, which must hold the whole item.
// kSkinArchiveOk or kSkinArchiveBadArgument.
uint32_t Skin7zExtractItem(SkinArchiveHandle* archive, int index, void* buffer,
                           size_t length) noexcept;

// Frees the handle and every decoded item. kSkinArchiveBadArgument for null or a zip handle.
uint32_t Skin7zClose(SkinArchiveHandle* archive) noexcept;

// ---------------------------------------------------------------------------------------------
// Either kind.

// True for a 7z handle, false for a zip handle or null.
bool SkinArchiveIs7z(const SkinArchiveHandle* archive) noexcept;

// Closes a handle of either kind (null is ignored).
void SkinArchiveClose(SkinArchiveHandle* archive) noexcept;

struct SkinArchiveDeleter {
  void operator()(SkinArchiveHandle* archive) const noexcept { SkinArchiveClose(archive); }
};
// The one owner of an open archive.
using UniqueSkinArchive = std::unique_ptr<SkinArchiveHandle, SkinArchiveDeleter>;

enum class SkinItemRead {
  Ok,         // `bytes` holds the whole item
  NotFound,   // no item of that name (or no archive)
  Empty,      // the item has 0 bytes
  TooLarge,   // the item has more than `maxSize` bytes
  Failed,     // the item could not be extracted
};

// Finds `name` (zip: ignoring case) and reads the whole item into `bytes`.
SkinItemRead SkinArchiveReadItem(SkinArchiveHandle* archive, const wchar_t* name, size_t maxSize,
                                 std::vector<uint8_t>* bytes) noexcept;

// ---------------------------------------------------------------------------------------------
// Shared by the two readers.

// The form in which item names are compared: archives made on Windows store '\', those made
// elsewhere '/'; both become '/'. The caller's text is copied, never changed.
std::wstring SkinArchiveNameKey(const wchar_t* name, size_t length);
// Whether two keys name the same item; `ignoreCase` folds case as the file system does.
bool SkinArchiveKeysEqual(const std::wstring& a, const std::wstring& b, bool ignoreCase) noexcept;

}  // namespace SkinUI
