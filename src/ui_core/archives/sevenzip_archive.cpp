#include "ui_core/archives/sevenzip_archive.h"

#include <lzma/7z.h>
#include <lzma/7zCrc.h>
#include <lzma/7zFile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace SkinUI {
namespace {

constexpr size_t kLookAheadSize = 1 << 14;
constexpr SRes kBadSeek = 87;   // what a Windows stream says to a seek it cannot do

// Every block the SDK asks for goes through here: one claimed size beyond what a skin may decode
// to is refused before anything is allocated, whatever the headers say.
void* AllocBlock(ISzAllocPtr, size_t size) {
  if (size == 0 || size > kSkinArchiveMaxDecodedBytes) return nullptr;
  return std::malloc(size);
}
void FreeBlock(ISzAllocPtr, void* address) { std::free(address); }
const ISzAlloc kAlloc = {AllocBlock, FreeBlock};

// The SDK's seekable input over a block of memory that outlives the decoding.
struct Skin7zMemStream {
  ISeekInStream vt;
  const uint8_t* data;
  size_t size;
  size_t position;
};

SRes MemStreamRead(ISeekInStreamPtr p, void* buffer, size_t* size) {
  Skin7zMemStream* stream = Z7_CONTAINER_FROM_VTBL(p, Skin7zMemStream, vt);
  const size_t left = stream->size - stream->position;
  const size_t count = *size < left ? *size : left;
  if (count) std::memcpy(buffer, stream->data + stream->position, count);
  stream->position += count;
  *size = count;
  return SZ_OK;
}

SRes MemStreamSeek(ISeekInStreamPtr p, Int64* position, ESzSeek origin) {
  Skin7zMemStream* stream = Z7_CONTAINER_FROM_VTBL(p, Skin7zMemStream, vt);
  Int64 base;
  switch (origin) {
    case SZ_SEEK_SET: base = 0; break;
    case SZ_SEEK_CUR: base = static_cast<Int64>(stream->position); break;
    case SZ_SEEK_END: base = static_cast<Int64>(stream->size); break;
    default: return kBadSeek;
  }
  // The offsets come from the archive's headers: refuse any target outside the block rather than
  // let a later read start there.
  const Int64 offset = *position;
  const Int64 size = static_cast<Int64>(stream->size);
  if (offset < -base || offset > size - base) return kBadSeek;
  stream->position = static_cast<size_t>(base + offset);
  *position = base + offset;
  return SZ_OK;
}

class ArchiveDatabase {
public:
  ArchiveDatabase() { SzArEx_Init(&db_); }
  ~ArchiveDatabase() { SzArEx_Free(&db_, &kAlloc); }
  ArchiveDatabase(const ArchiveDatabase&) = delete;
  ArchiveDatabase& operator=(const ArchiveDatabase&) = delete;
  CSzArEx* get() { return &db_; }

private:
  CSzArEx db_;
};

// The solid-block buffer that SzArEx_Extract keeps between calls.
struct FolderBuffer {
  ~FolderBuffer() { FreeBlock(&kAlloc, data); }
  Byte* data = nullptr;
  size_t size = 0;
  UInt32 blockIndex = 0xFFFFFFFF;
};

class SdkFile {
public:
  SdkFile() {
    FileInStream_CreateVTable(&stream_);
    File_Construct(&stream_.file);
  }
  ~SdkFile() { File_Close(&stream_.file); }
  SdkFile(const SdkFile&) = delete;
  SdkFile& operator=(const SdkFile&) = delete;
  bool Open(const wchar_t* path) { return InFile_OpenW(&stream_.file, path) == 0; }
  ISeekInStream* stream() { return &stream_.vt; }

private:
  CFileInStream stream_;
};

// Checks what the headers claim before anything is decoded: the files together, and each solid
// block (decoded whole), must fit the cap.
bool ClaimedSizesFit(const CSzArEx* db) {
  uint64_t total = 0;
  for (UInt32 i = 0; i < db->NumFiles; ++i) {
    if (SzArEx_IsDir(db, i)) continue;
    const uint64_t size = SzArEx_GetFileSize(db, i);
    if (size > kSkinArchiveMaxDecodedBytes - total) return false;
    total += size;
  }
  for (UInt32 folder = 0; folder < db->db.NumFolders; ++folder) {
    if (SzAr_GetFolderUnpackSize(&db->db, folder) > kSkinArchiveMaxDecodedBytes) return false;
  }
  return true;
}

// How far decoding an archive got.
enum class Decoded {
  kNoArchive,  // not a 7z archive, or one whose headers claim more than a skin may hold
  kArchive,    // the entries decoded before the first file that could not be (or all of them)
};

// Decodes the files into `entries` in archive order. Decoding stops at the first file that
// cannot be decoded (or fails its CRC), and the files decoded before it are kept: skins made for
// this reader may rely on that.
Decoded Skin7zDecodeAll(ISeekInStream* source, std::vector<Skin7zEntry>* entries) {
  static const bool crcReady = (CrcGenerateTable(), true);
  (void)crcReady;

  std::vector<Byte> lookAhead(kLookAheadSize);
  CLookToRead2 look;
  LookToRead2_CreateVTable(&look, False);
  look.buf = lookAhead.data();
  look.bufSize = lookAhead.size();
  look.realStream = source;
  LookToRead2_INIT(&look);

  ArchiveDatabase database;
  CSzArEx* db = database.get();
  if (SzArEx_Open(db, &look.vt, &kAlloc, &kAlloc) != SZ_OK) return Decoded::kNoArchive;
  if (!ClaimedSizesFit(db)) return Decoded::kNoArchive;

  std::vector<Skin7zEntry> decoded;
  std::vector<UInt16> name;
  FolderBuffer folder;
  for (UInt32 i = 0; i < db->NumFiles; ++i) {
    if (SzArEx_IsDir(db, i)) continue;
    const size_t nameLength = SzArEx_GetFileNameUtf16(db, i, nullptr);   // with the terminator
    name.assign(nameLength ? nameLength : 1, 0);
    SzArEx_GetFileNameUtf16(db, i, name.data());

    size_t offset = 0, size = 0;
    if (SzArEx_Extract(db, &look.vt, i, &folder.blockIndex, &folder.data, &folder.size, &offset,
                       &size, &kAlloc, &kAlloc) != SZ_OK)
      break;
    if (size && (!folder.data || offset > folder.size || size > folder.size - offset)) break;

    Skin7zEntry entry;
    entry.name.assign(reinterpret_cast<const wchar_t*>(name.data()), nameLength ? nameLength - 1 : 0);
    entry.key = SkinArchiveNameKey(entry.name.data(), entry.name.size());
    entry.index = i;
    entry.data.assign(folder.data + offset, folder.data + offset + size);
    decoded.push_back(std::move(entry));
  }
  entries->swap(decoded);
  return Decoded::kArchive;
}

Skin7zHandle* As7z(SkinArchiveHandle* archive) {
  return archive && archive->kind == kSkinArchiveKind7z ? static_cast<Skin7zHandle*>(archive) : nullptr;
}

// Hands freshly decoded entries to `existing` or to a new handle.
SkinArchiveHandle* Adopt(std::vector<Skin7zEntry>* entries, SkinArchiveHandle* existing) {
  if (Skin7zHandle* target = As7z(existing)) {
    target->entries.swap(*entries);
    return target;
  }
  std::unique_ptr<Skin7zHandle> handle(new Skin7zHandle);
  handle->entries.swap(*entries);
  return handle.release();
}

const Skin7zEntry* Skin7zLookup(const Skin7zHandle* archive, int index) {
  if (index < 0) return nullptr;
  const auto& entries = archive->entries;
  auto it = std::lower_bound(entries.begin(), entries.end(), static_cast<uint32_t>(index),
                             [](const Skin7zEntry& e, uint32_t i) { return e.index < i; });
  return it != entries.end() && it->index == static_cast<uint32_t>(index) ? &*it : nullptr;
}

}  // namespace

const std::vector<Skin7zEntry>* Skin7zEntriesOf(const SkinArchiveHandle* archive) noexcept {
  if (!archive || archive->kind != kSkinArchiveKind7z) return nullptr;
  return &static_cast<const Skin7zHandle*>(archive)->entries;
}

SkinArchiveHandle* Skin7zOpenFromMemory(const void* bytes, size_t size,
                                        SkinArchiveHandle* existing) noexcept {
  if (!bytes || size == 0) return nullptr;
  if (existing && !As7z(existing)) return nullptr;
  try {
    Skin7zMemStream stream;
    stream.vt.Read = MemStreamRead;
    stream.vt.Seek = MemStreamSeek;
    stream.data = static_cast<const uint8_t*>(bytes);
    stream.size = size;
    stream.position = 0;
    std::vector<Skin7zEntry> entries;
    if (Skin7zDecodeAll(&stream.vt, &entries) == Decoded::kNoArchive) return nullptr;
    return Adopt(&entries, existing);
  } catch (...) {
    return nullptr;
  }
}

SkinArchiveHandle* Skin7zOpenFromFile(const wchar_t* path, SkinArchiveHandle* existing) noexcept {
  if (!path) return nullptr;
  if (existing && !As7z(existing)) return nullptr;
  try {
    SdkFile file;
    if (!file.Open(path)) return nullptr;
    // A file that opens but holds no 7z archive gives a handle without entries: its lookups then
    // say "not found", as for any name the archive lacks.
    std::vector<Skin7zEntry> entries;
    Skin7zDecodeAll(file.stream(), &entries);
    return Adopt(&entries, existing);
  } catch (...) {
    return nullptr;
  }
}

uint32_t Skin7zFindItem(SkinArchiveHandle* archive, const wchar_t* name, int* index,
                        uint64_t* size) noexcept {
  if (index) *index = -1;
  if (size) *size = 0;
  const Skin7zHandle* handle = As7z(archive);
  if (!handle || !name) return kSkinArchiveBadArgument;
  try {
    const std::wstring key = SkinArchiveNameKey(name, wcslen(name));
    for (const Skin7zEntry& entry : handle->entries) {
      if (!SkinArchiveKeysEqual(key, entry.key, true)) continue;
      if (index) *index = static_cast<int>(entry.index);
      if (size) *size = entry.data.size();
      return kSkinArchiveOk;
    }
  } catch (...) {
  }
  return kSkinArchiveBadArgument;
}

uint32_t Skin7zExtractItem(SkinArchiveHandle* archive, int index, void* buffer,
                           size_t length) noexcept {
  const Skin7zHandle* handle = As7z(archive);
  if (!handle) return kSkinArchiveBadArgument;
  const Skin7zEntry* entry = Skin7zLookup(handle, index);
  if (!entry || entry->data.size() > length || (!buffer && !entry->data.empty()))
    return kSkinArchiveBadArgument;
  if (!entry->data.empty()) std::memcpy(buffer, entry->data.data(), entry->data.size());
  return kSkinArchiveOk;
}

uint32_t Skin7zClose(SkinArchiveHandle* archive) noexcept {
  Skin7zHandle* handle = As7z(archive);
  if (!handle) return kSkinArchiveBadArgument;
  delete handle;
  return kSkinArchiveOk;
}

}  // namespace SkinUI
