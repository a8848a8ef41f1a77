#include "ui_core/archives/zip_archive.h"

#include <minizip/unzip.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <new>
#include <utility>

namespace SkinUI {
namespace {

std::atomic<uint32_t> g_lastResult{kSkinArchiveOk};

uint32_t Remember(uint32_t result) {
  g_lastResult.store(result);
  return result;
}

// minizip calls these with the SkinZipSource that SkinZipReader::Open hands it as the "file name".
voidpf ZCALLBACK SourceOpen(voidpf, const void* source, int) { return const_cast<void*>(source); }
uLong ZCALLBACK SourceRead(voidpf, voidpf stream, void* buffer, uLong size) {
  return static_cast<SkinZipSource*>(stream)->Read(buffer, size);
}
uLong ZCALLBACK SourceWrite(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T ZCALLBACK SourceTell(voidpf, voidpf stream) {
  return static_cast<SkinZipSource*>(stream)->Tell();
}
long ZCALLBACK SourceSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  return static_cast<SkinZipSource*>(stream)->Seek(offset, origin);
}
int ZCALLBACK SourceClose(voidpf, voidpf) { return 0; }   // the reader owns the source
int ZCALLBACK SourceError(voidpf, voidpf stream) {
  return static_cast<SkinZipSource*>(stream)->HasError() ? 1 : 0;
}

constexpr unsigned long kHostUnix = 3;
constexpr unsigned long kFlagEncrypted = 0x1;
constexpr unsigned long kFlagUtf8Name = 0x800;
constexpr unsigned short kExtendedTimestampId = 0x5455;   // "UT"
constexpr size_t kMaxFindNameLength = 256;
constexpr size_t kCopyBlock = 0x4000;

bool MadeOnUnix(const unz_file_info64& info) { return (info.version >> 8) == kHostUnix; }

DWORD AttributesOf(const unz_file_info64& info) {
  const unsigned long external = info.external_fa;
  const bool unixMode = MadeOnUnix(info) && (external >> 16) != 0;
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if ((external & 0x10) || (unixMode && (external & 0x40000000))) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (external & 0x20) attributes |= FILE_ATTRIBUTE_ARCHIVE;
  if (external & 0x2) attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (external & 0x4) attributes |= FILE_ATTRIBUTE_SYSTEM;
  // The high word holds Unix mode bits only in archives made on Unix; elsewhere it is zero or
  // something else, and a clear owner-write bit there means nothing.
  if ((external & 0x1) || (unixMode && !(external & 0x800000))) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

FILETIME DosTimeToFileTime(unsigned long dosDate) {
  FILETIME local = {}, utc = {};
  if (::DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local))
    ::LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

// Seconds since 1970 (UTC) as a FILETIME. Times before 1970 cannot be represented the way the
// writers meant them (the field's sign is not agreed on), so they keep the DOS time.
bool UnixTimeToFileTime(int32_t seconds, FILETIME* time) {
  if (seconds < 0) return false;
  const uint64_t ticks = (static_cast<uint64_t>(seconds) + 11644473600ull) * 10000000ull;
  time->dwLowDateTime = static_cast<DWORD>(ticks);
  time->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return true;
}

uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Applies the first extended-timestamp record of a local extra field. Every length in the field
// comes from the archive, so each read is checked against what is left.
void ApplyExtendedTimestamp(const std::vector<uint8_t>& extra, SkinZipEntry* entry) {
  size_t pos = 0;
  while (extra.size() - pos >= 4) {
    const unsigned id = extra[pos] | extra[pos + 1] << 8;
    const size_t size = extra[pos + 2] | extra[pos + 3] << 8;
    pos += 4;
    if (size > extra.size() - pos) return;
    if (id == kExtendedTimestampId) {
      if (size < 1) return;
      const uint8_t flags = extra[pos];
      size_t at = pos + 1;
      const size_t end = pos + size;
      FILETIME* targets[3] = {&entry->modificationTime, &entry->accessTime, &entry->creationTime};
      for (int bit = 0; bit < 3; ++bit) {
        if (!(flags & (1u << bit))) continue;
        if (end - at < 4) return;
        FILETIME time;
        if (UnixTimeToFileTime(static_cast<int32_t>(ReadLe32(&extra[at])), &time)) *targets[bit] = time;
        at += 4;
      }
      return;
    }
    pos += size;
  }
}

uint32_t Saturate32(uint64_t value) {
  return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsRelativePath(const std::wstring& path) {
  if (path.empty()) return true;
  if (IsSeparator(path[0])) return false;
  return !(path.size() >= 2 && path[1] == L':');
}

bool ReadsWholeItem(const unz_file_info64& info) {
  return !(info.flag & kFlagEncrypted) &&
         (info.compression_method == 0 || info.compression_method == Z_DEFLATED);
}

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) || written == 0)
      return false;
    data += written;
    size -= written;
  }
  return true;
}

bool IsZero(const FILETIME& time) { return time.dwLowDateTime == 0 && time.dwHighDateTime == 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// SkinZipSource

SkinZipSource::~SkinZipSource() { Close(); }

bool SkinZipSource::AttachFile(Utils::UniqueFileHandle file) {
  Close();
  file_ = std::move(file);
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file_.get(), &size) || size.QuadPart < 0) return false;
  size_ = static_cast<uint64_t>(size.QuadPart);
  return true;
}

void SkinZipSource::AttachMemory(const uint8_t* data, uint64_t size) {
  Close();
  data_ = data;
  size_ = size;
}

void SkinZipSource::Close() {
  file_.reset();
  data_ = nullptr;
  size_ = position_ = 0;
  error_ = false;
}

unsigned long SkinZipSource::Read(void* buffer, unsigned long size) {
  if (position_ >= size_ || size == 0) return 0;
  const uint64_t left = size_ - position_;
  const unsigned long wanted = left < size ? static_cast<unsigned long>(left) : size;
  if (data_) {
    std::memcpy(buffer, data_ + position_, wanted);
    position_ += wanted;
    return wanted;
  }
  if (!file_) {
    error_ = true;
    return 0;
  }
  unsigned long done = 0;
  while (done < wanted) {
    // Positional reads: a caller that shares this file object keeps its own file pointer.
    const uint64_t at = position_ + done;
    OVERLAPPED overlapped = {};
    overlapped.Offset = static_cast<DWORD>(at);
    overlapped.OffsetHigh = static_cast<DWORD>(at >> 32);
    DWORD got = 0;
    if (!::ReadFile(file_.get(), static_cast<uint8_t*>(buffer) + done, wanted - done, &got, &overlapped)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      if (error != ERROR_IO_PENDING || !::GetOverlappedResult(file_.get(), &overlapped, &got, TRUE)) {
        error_ = true;
        break;
      }
    }
    if (got == 0) break;
    done += got;
  }
  position_ += done;
  return done;
}

long SkinZipSource::Seek(uint64_t offset, int origin) {
  uint64_t base;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = position_; break;
    case ZLIB_FILEFUNC_SEEK_END: base = size_; break;
    default: return -1;
  }
  if (offset > size_ || base > size_ - offset) return -1;
  position_ = base + offset;
  return 0;
}

// ---------------------------------------------------------------------------------------------
// SkinZipReader

void SkinZipArchiveCloser::operator()(void* archive) const noexcept {
  if (archive) unzClose(archive);
}

uint32_t SkinZipReader::Open(const void* source, size_t length, int kind) {
  if (archive_) return kSkinZipAlreadyOpen;

  DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  baseFolder_.assign(needed, L'\0');
  DWORD got = needed ? ::GetCurrentDirectoryW(needed, &baseFolder_[0]) : 0;
  baseFolder_.resize(got < needed ? got : 0);
  if (!baseFolder_.empty() && baseFolder_.back() != L'\\') baseFolder_ += L'\\';

  switch (kind) {
    case kSkinZipFileHandle: {
      HANDLE duplicate = nullptr;
      if (!source || source == INVALID_HANDLE_VALUE ||
          !::DuplicateHandle(::GetCurrentProcess(), const_cast<void*>(source), ::GetCurrentProcess(),
                             &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return kSkinZipDuplicateFailed;
      Utils::UniqueFileHandle file(duplicate);
      if (::GetFileType(file.get()) != FILE_TYPE_DISK) return kSkinZipNotDiskFile;
      if (!source_.AttachFile(std::move(file))) return kSkinZipOpenFailed;
      break;
    }
    case kSkinZipFileName: {
      if (!source) return kSkinArchiveBadArgument;
      Utils::UniqueFileHandle file(::CreateFileW(static_cast<const wchar_t*>(source), GENERIC_READ,
                                                 FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) return kSkinZipOpenFailed;
      if (::GetFileType(file.get()) != FILE_TYPE_DISK) return kSkinZipNotDiskFile;
      if (!source_.AttachFile(std::move(file))) return kSkinZipOpenFailed;
      break;
    }
    case kSkinZipMemory:
      if (!source) return kSkinArchiveBadArgument;
      source_.AttachMemory(static_cast<const uint8_t*>(source), length);
      break;
    default:
      return kSkinArchiveBadArgument;
  }

  zlib_filefunc64_def functions = {SourceOpen, SourceRead, SourceWrite, SourceTell,
                                   SourceSeek, SourceClose, SourceError, nullptr};
  archive_.reset(unzOpen2_64(&source_, &functions));
  if (!archive_) {
    source_.Close();
    return kSkinZipOpenFailed;
  }

  // Note every item now. A central directory that cannot be walked to its end is corrupt.
  unz_global_info64 global = {};
  if (unzGetGlobalInfo64(archive_.get(), &global) != UNZ_OK) {
    Close();
    return kSkinZipOpenFailed;
  }
  if (global.number_entry > 0) {
    std::vector<char> name(0x10000 + 1);
    int status = unzGoToFirstFile(archive_.get());
    while (status == UNZ_OK) {
      unz_file_info64 info = {};
      unz64_file_pos position = {};
      if (unzGetCurrentFileInfo64(archive_.get(), &info, name.data(),
                                  static_cast<uLong>(name.size() - 1), nullptr, 0, nullptr,
                                  0) != UNZ_OK ||
          unzGetFilePos64(archive_.get(), &position) != UNZ_OK) {
        status = UNZ_BADZIPFILE;
        break;
      }
      const size_t nameSize = info.size_filename < name.size() - 1 ? info.size_filename : name.size() - 1;
      SkinZipItem item;
      item.name = SkinZipDecodeName(name.data(), nameSize, info.flag, info.version);
      item.key = SkinArchiveNameKey(item.name.data(), item.name.size());
      item.directoryPos = position.pos_in_zip_directory;
      item.fileNumber = position.num_of_file;
      items_.push_back(std::move(item));
      status = unzGoToNextFile(archive_.get());
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
      Close();
      return kSkinZipOpenFailed;
    }
  }
  return kSkinArchiveOk;
}

int SkinZipReader::Find(const wchar_t* name, bool ignoreCase) {
  const std::wstring key = SkinArchiveNameKey(name, wcslen(name));
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SkinArchiveKeysEqual(key, items_[i].key, ignoreCase)) {
      CloseCurrentItem();
      return static_cast<int>(i);
    }
  }
  return -1;
}

uint32_t SkinZipReader::GoTo(int index) {
  unz64_file_pos position = {items_[index].directoryPos, items_[index].fileNumber};
  return unzGoToFilePos64(archive_.get(), &position) == UNZ_OK ? kSkinArchiveOk
                                                                : kSkinArchiveBadArgument;
}

uint32_t SkinZipReader::ReadInfo(int index, unz_file_info64_s* info) {
  uint32_t result = GoTo(index);
  if (result != kSkinArchiveOk) return result;
  return unzGetCurrentFileInfo64(archive_.get(), info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK
             ? kSkinArchiveOk
             : kSkinArchiveBadArgument;
}

uint32_t SkinZipReader::GetEntry(int index, SkinZipEntry* entry) {
  if (!entry || !archive_) return kSkinArchiveBadArgument;
  if (index == -1) {
    entry->index = ItemCount();
    return kSkinArchiveOk;
  }
  if (index < -1 || index >= ItemCount()) return kSkinArchiveBadArgument;
  if (index == cachedIndex_) {
    *entry = cachedEntry_;
    return kSkinArchiveOk;
  }

  CloseCurrentItem();
  unz_file_info64 info = {};
  uint32_t result = ReadInfo(index, &info);
  if (result != kSkinArchiveOk) return result;

  SkinZipEntry fresh = {};
  fresh.index = index;
  const std::wstring& name = items_[index].name;
  const size_t copied = name.size() < MAX_PATH - 1 ? name.size() : MAX_PATH - 1;
  wmemcpy(fresh.name, name.data(), copied);
  fresh.name[copied] = L'\0';
  fresh.attributes = AttributesOf(info);
  fresh.modificationTime = fresh.accessTime = fresh.creationTime = DosTimeToFileTime(info.dosDate);
  fresh.compressedSize = Saturate32(info.compressed_size);
  fresh.uncompressedSize = Saturate32(info.uncompressed_size);

  // The extended timestamp lives in the local header; raw mode reads it without setting up
  // inflate.
  if (unzOpenCurrentFile2(archive_.get(), nullptr, nullptr, 1) != UNZ_OK) return kSkinZipBadLocalHeader;
  const int extraSize = unzGetLocalExtrafield(archive_.get(), nullptr, 0);
  std::vector<uint8_t> extra(extraSize > 0 ? static_cast<size_t>(extraSize) : 0);
  const int got = extra.empty() ? 0
                                : unzGetLocalExtrafield(archive_.get(), extra.data(),
                                                        static_cast<unsigned>(extra.size()));
  unzCloseCurrentFile(archive_.get());
  if (extraSize < 0 || got != static_cast<int>(extra.size())) return kSkinZipBadExtraField;
  ApplyExtendedTimestamp(extra, &fresh);

  cachedEntry_ = fresh;
  cachedIndex_ = index;
  *entry = fresh;
  return kSkinArchiveOk;
}

uint32_t SkinZipReader::Unzip(int index, void* destination, size_t length, int kind) {
  if (!archive_) return kSkinArchiveBadArgument;
  CloseCurrentItem();
  if (index < 0 || index >= ItemCount()) return kSkinArchiveBadArgument;
  if (kind == kSkinZipMemory) return UnzipToMemory(index, destination, length);
  if (kind == kSkinZipFileHandle || kind == kSkinZipFileName) return UnzipToFile(index, destination, kind);
  return kSkinArchiveBadArgument;
}

uint32_t SkinZipReader::UnzipToMemory(int index, void* destination, size_t length) {
  unz_file_info64 info = {};
  uint32_t result = ReadInfo(index, &info);
  if (result != kSkinArchiveOk) return result;
  const uint64_t size = info.uncompressed_size;
  if (size > kSkinArchiveMaxDecodedBytes || size > length || (size > 0 && !destination))
    return kSkinArchiveBadArgument;
  // minizip would hand out the raw bytes of a method it cannot decode, unchecked.
  if (!ReadsWholeItem(info)) return kSkinZipInflateFailed;
  if (unzOpenCurrentFile(archive_.get()) != UNZ_OK) return kSkinZipBadLocalHeader;
  currentItem_ = index;

  uint8_t* out = static_cast<uint8_t*>(destination);
  uint64_t total = 0;
  bool failed = false;
  while (total < size) {
    const uint64_t left = size - total;
    const unsigned chunk = left < (1u << 20) ? static_cast<unsigned>(left) : (1u << 20);
    const int got = unzReadCurrentFile(archive_.get(), out + total, chunk);
    if (got < 0) failed = true;
    if (got <= 0) break;
    total += static_cast<unsigned>(got);
  }
  uint8_t probe;
  if (!failed && total == size && unzReadCurrentFile(archive_.get(), &probe, 1) != 0) failed = true;
  const bool crcMatches =
      total == size && crc32(0, out, static_cast<uInt>(size)) == static_cast<uLong>(info.crc);
  const int closed = unzCloseCurrentFile(archive_.get());
  currentItem_ = -1;
  if (failed || total != size || !crcMatches || closed == UNZ_CRCERROR) return kSkinZipInflateFailed;
  return kSkinArchiveOk;
}

uint32_t SkinZipReader::UnzipToFile(int index, void* destination, int kind) {
  if (!destination || destination == INVALID_HANDLE_VALUE) return kSkinArchiveBadArgument;
  SkinZipEntry entry;
  uint32_t result = GetEntry(index, &entry);
  if (result != kSkinArchiveOk) return result;
  unz_file_info64 info = {};
  result = ReadInfo(index, &info);
  if (result != kSkinArchiveOk) return result;
  if (info.uncompressed_size > kSkinArchiveMaxDecodedBytes) return kSkinArchiveBadArgument;

  std::wstring target;
  if (kind == kSkinZipFileName) {
    target = static_cast<const wchar_t*>(destination);
    // Relative names land under the folder that was current at open time, folders included.
    const bool relative = IsRelativePath(target);
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash);
    const bool isDirectory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (relative) {
      SkinZipCreatePath(baseFolder_, isDirectory ? target : folder);
      target = baseFolder_ + target;
    }
    if (isDirectory) return kSkinArchiveOk;
  } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return kSkinArchiveOk;
  }

  Utils::UniqueFileHandle created;
  HANDLE file = static_cast<HANDLE>(destination);
  if (kind == kSkinZipFileName) {
    const DWORD fileAttributes = entry.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                     FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    created.reset(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                fileAttributes ? fileAttributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!created) return kSkinZipOpenFailed;
    file = created.get();
  }

  if (!ReadsWholeItem(info)) return kSkinZipWriteFailed;
  if (unzOpenCurrentFile(archive_.get()) != UNZ_OK) return kSkinZipBadLocalHeader;
  currentItem_ = index;
  std::vector<uint8_t> block(kCopyBlock);
  uint64_t total = 0;
  uLong crc = crc32(0, nullptr, 0);
  bool failed = false;
  for (;;) {
    const int got = unzReadCurrentFile(archive_.get(), block.data(), static_cast<unsigned>(block.size()));
    if (got < 0) failed = true;
    if (got <= 0) break;
    crc = crc32(crc, block.data(), static_cast<uInt>(got));
    total += static_cast<unsigned>(got);
    if (!WriteAll(file, block.data(), static_cast<size_t>(got))) {
      failed = true;
      break;
    }
  }
  const int closed = unzCloseCurrentFile(archive_.get());
  currentItem_ = -1;
  if (failed || total != info.uncompressed_size || crc != static_cast<uLong>(info.crc) ||
      closed == UNZ_CRCERROR)
    return kSkinZipWriteFailed;

  if (::GetFileType(file) == FILE_TYPE_DISK) {
    ::SetFileTime(file, IsZero(entry.creationTime) ? nullptr : &entry.creationTime,
                  IsZero(entry.accessTime) ? nullptr : &entry.accessTime,
                  IsZero(entry.modificationTime) ? nullptr : &entry.modificationTime);
  }
  return kSkinArchiveOk;
}

void SkinZipReader::CloseCurrentItem() {
  if (currentItem_ >= 0 && archive_) unzCloseCurrentFile(archive_.get());
  currentItem_ = -1;
}

uint32_t SkinZipReader::Close() {
  CloseCurrentItem();
  archive_.reset();
  source_.Close();
  items_.clear();
  cachedIndex_ = -1;
  return kSkinArchiveOk;
}

// ---------------------------------------------------------------------------------------------
// Helpers

bool SkinZipCreatePath(const std::wstring& baseFolder, const std::wstring& relativeFolder) {
  if (!IsRelativePath(relativeFolder)) return false;
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= relativeFolder.size()) {
    size_t end = relativeFolder.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = relativeFolder.size();
    std::wstring part = relativeFolder.substr(start, end - start);
    if (part == L"..") return false;   // never climb out of the base folder
    if (!part.empty() && part != L".") parts.push_back(std::move(part));
    start = end + 1;
  }
  std::wstring path = baseFolder;
  for (const std::wstring& part : parts) {
    path += part;
    if (!::CreateDirectoryW(path.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    path += L'\\';
  }
  return true;
}

std::wstring SkinZipDecodeName(const char* bytes, size_t size, unsigned long flags,
                               unsigned long versionMadeBy) {
  if (size == 0 || size > 0xFFFF) return std::wstring();
  const int count = static_cast<int>(size);
  UINT codePage = CP_ACP;
  if (flags & kFlagUtf8Name) {
    codePage = CP_UTF8;
  } else if ((versionMadeBy >> 8) == kHostUnix &&
             ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0) > 0) {
    codePage = CP_UTF8;
  }
  const int length = ::MultiByteToWideChar(codePage, 0, bytes, count, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring name(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes, count, &name[0], length);
  return name;
}

SkinZipReader* SkinZipReaderOf(SkinArchiveHandle* archive) noexcept {
  if (!archive || archive->kind != kSkinArchiveKindZip) return nullptr;
  return &static_cast<SkinZipHandle*>(archive)->reader;
}

// ---------------------------------------------------------------------------------------------
// The zip operations

SkinArchiveHandle* SkinZipOpen(const void* source, size_t length, int kind) noexcept {
  try {
    std::unique_ptr<SkinZipHandle> handle(new SkinZipHandle);
    const uint32_t result = handle->reader.Open(source, length, kind);
    Remember(result);
    return result == kSkinArchiveOk ? handle.release() : nullptr;
  } catch (...) {
    Remember(kSkinZipOpenFailed);
    return nullptr;
  }
}

uint32_t SkinZipFindItem(SkinArchiveHandle* archive, const wchar_t* name, bool ignoreCase,
                         int* index, SkinZipEntry* entry) noexcept {
  if (!archive || !name) return Remember(kSkinArchiveBadArgument);
  SkinZipReader* reader = SkinZipReaderOf(archive);
  if (!reader) return Remember(kSkinZipNotZipHandle);
  if (wcsnlen(name, kMaxFindNameLength) >= kMaxFindNameLength) return Remember(kSkinArchiveBadArgument);
  try {
    const int found = reader->Find(name, ignoreCase);
    if (found < 0) {
      if (index) *index = -1;
      if (entry) {
        std::memset(entry, 0, sizeof(*entry));
        entry->index = -1;
      }
      return Remember(kSkinZipNotFound);
    }
    if (index) *index = found;
    return Remember(entry ? reader->GetEntry(found, entry) : kSkinArchiveOk);
  } catch (...) {
    return Remember(kSkinArchiveBadArgument);
  }
}

uint32_t SkinZipUnzipItem(SkinArchiveHandle* archive, int index, void* destination, size_t length,
                          int kind) noexcept {
  if (!archive) return Remember(kSkinArchiveBadArgument);
  SkinZipReader* reader = SkinZipReaderOf(archive);
  if (!reader) return Remember(kSkinZipNotZipHandle);
  try {
    return Remember(reader->Unzip(index, destination, length, kind));
  } catch (...) {
    return Remember(kSkinZipInflateFailed);
  }
}

uint32_t SkinZipClose(SkinArchiveHandle* archive) noexcept {
  if (!archive) return Remember(kSkinArchiveBadArgument);
  if (!SkinZipReaderOf(archive)) return Remember(kSkinZipNotZipHandle);
  delete static_cast<SkinZipHandle*>(archive);
  return Remember(kSkinArchiveOk);
}

uint32_t SkinZipLastResult() noexcept { return g_lastResult.load(); }

}  // namespace SkinUI
