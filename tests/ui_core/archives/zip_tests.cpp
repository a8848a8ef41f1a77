// The zip reader against archives made by Info-ZIP's zip.
#include "archive_fixture.h"
#include "base/unique_resource.h"
#include "test_support.h"
#include "ui_core/archives/skin_archive.h"
#include "ui_core/archives/zip_archive.h"

#include <gtest/gtest.h>

#include <minizip/ioapi.h>

#include <string>
#include <vector>

using namespace SkinUI;

namespace {

Utils::UniqueFileHandle OpenForReading(const std::wstring& path) {
  return Utils::UniqueFileHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Reads item `name` whole with a buffer of exactly its size; the result code goes to *result.
std::string Unzip(SkinArchiveHandle* archive, const std::wstring& name, uint32_t* result) {
  int index = -1;
  SkinZipEntry entry;
  *result = SkinZipFindItem(archive, name.c_str(), false, &index, &entry);
  if (*result != kSkinArchiveOk) return std::string();
  std::string bytes(entry.uncompressedSize, '\0');
  *result = SkinZipUnzipItem(archive, index, &bytes[0], bytes.size(), kSkinZipMemory);
  return bytes;
}

std::string FileText(const std::wstring& path) {
  std::string bytes;
  TestSupport::ReadBytes(path, &bytes);
  return bytes;
}

// Restores the current folder when the test leaves.
class CurrentFolder {
public:
  explicit CurrentFolder(const std::wstring& folder) {
    wchar_t saved[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, saved);
    saved_ = saved;
    SetCurrentDirectoryW(folder.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryW(saved_.c_str()); }

private:
  std::wstring saved_;
};

}  // namespace

TEST(ZipArchive, StoredAndDeflatedReadBackByteForByteFromEverySource) {
  const std::vector<ArchiveFixture::SourceFile> files = ArchiveFixture::SourceFiles();
  ASSERT_EQ(files.size(), 6u) << "the fixtures were not built";
  for (const wchar_t* name : {L"stored.zip", L"deflated.zip"}) {
    const std::wstring path = ArchiveFixture::Path(name);
    const std::string bytes = ArchiveFixture::Bytes(name);
    ASSERT_FALSE(bytes.empty());
    for (int kind : {kSkinZipFileHandle, kSkinZipFileName, kSkinZipMemory}) {
      SCOPED_TRACE(TestSupport::ToUtf8(name) + " kind " + std::to_string(kind));
      SkinArchiveHandle* opened = nullptr;
      if (kind == kSkinZipFileHandle) {
        // The reader keeps its own duplicate; the caller's handle may go away at once.
        Utils::UniqueFileHandle file = OpenForReading(path);
        ASSERT_TRUE(file);
        opened = SkinZipOpen(file.get(), 0, kind);
      } else if (kind == kSkinZipFileName) {
        opened = SkinZipOpen(path.c_str(), 0, kind);
      } else {
        opened = SkinZipOpen(bytes.data(), bytes.size(), kind);
      }
      UniqueSkinArchive archive(opened);
      ASSERT_TRUE(archive);
      EXPECT_EQ(SkinZipLastResult(), kSkinArchiveOk);
      for (const auto& file : files) {
        uint32_t result = 0;
        const std::string read = Unzip(archive.get(), file.name, &result);
        EXPECT_EQ(result, kSkinArchiveOk) << TestSupport::ToUtf8(file.name);
        EXPECT_TRUE(read == file.bytes) << TestSupport::ToUtf8(file.name);
      }
    }
  }
}

TEST(ZipArchive, SharedFileHandleMayMoveWhileTheArchiveIsRead) {
  const std::wstring path = ArchiveFixture::Path(L"deflated.zip");
  Utils::UniqueFileHandle file = OpenForReading(path);
  UniqueSkinArchive archive(SkinZipOpen(file.get(), 0, kSkinZipFileHandle));
  ASSERT_TRUE(archive);
  LARGE_INTEGER there;
  there.QuadPart = 3;
  SetFilePointerEx(file.get(), there, nullptr, FILE_BEGIN);
  uint32_t result = 0;
  EXPECT_FALSE(Unzip(archive.get(), L"res/mainWnd/bg1.png", &result).empty());
  EXPECT_EQ(result, kSkinArchiveOk);
}

TEST(ZipArchive, LookupMatchesEitherSeparatorAndIgnoresCaseOnlyWhenAsked) {
  UniqueSkinArchive archive(SkinZipOpen(ArchiveFixture::Path(L"deflated.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(archive);
  struct Case {
    const wchar_t* name;
    bool ignoreCase;
    bool found;
  } const cases[] = {
      {L"mainWnd.xml", false, true},
      {L"MAINWND.XML", false, false},
      {L"MAINWND.XML", true, true},
      {L"res/mainWnd/bg1.png", false, true},
      {L"res\\mainWnd\\bg1.png", false, true},
      {L"RES\\MAINWND\\BG1.PNG", true, true},
      {L"res/Common/Button.PNG", false, true},
      {L"res/common/button.png", false, false},
      {L"res/common/button.png", true, true},
      {L"\u4e2d\u6587/\u754c\u9762.xml", false, true},
      {L"\u4e2d\u6587\\\u754c\u9762.XML", true, true},
      {L"EmptyDir/", false, true},
      {L"EmptyDir\\", false, true},
      {L"mainWnd.xm", true, false},
      {L"missing.xml", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.name));
    std::wstring name = c.name;
    const std::wstring before = name;
    int index = 99;
    SkinZipEntry entry;
    entry.index = 99;
    const uint32_t result = SkinZipFindItem(archive.get(), &name[0], c.ignoreCase, &index, &entry);
    EXPECT_EQ(name, before);
    EXPECT_EQ(SkinZipLastResult(), result);
    if (c.found) {
      EXPECT_EQ(result, kSkinArchiveOk);
      EXPECT_GE(index, 0);
      EXPECT_EQ(entry.index, index);
      // The entry carries the stored name, which uses '/'.
      EXPECT_TRUE(SkinArchiveKeysEqual(SkinArchiveNameKey(before.c_str(), before.size()), entry.name,
                                       c.ignoreCase));
    } else {
      EXPECT_EQ(result, kSkinZipNotFound);
      EXPECT_EQ(index, -1);
      EXPECT_EQ(entry.index, -1);
      EXPECT_EQ(entry.name[0], L'\0');
    }
  }
}

TEST(ZipArchive, NamesOf256CharactersOrMoreAreRefused) {
  UniqueSkinArchive archive(SkinZipOpen(ArchiveFixture::Path(L"stored.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(archive);
  int index = 0;
  EXPECT_EQ(SkinZipFindItem(archive.get(), std::wstring(255, L'a').c_str(), true, &index, nullptr),
            kSkinZipNotFound);
  EXPECT_EQ(SkinZipFindItem(archive.get(), std::wstring(256, L'a').c_str(), true, &index, nullptr),
            kSkinArchiveBadArgument);
  EXPECT_EQ(SkinZipFindItem(archive.get(), nullptr, true, &index, nullptr), kSkinArchiveBadArgument);
  EXPECT_EQ(SkinZipFindItem(nullptr, L"mainWnd.xml", true, &index, nullptr), kSkinArchiveBadArgument);
}

TEST(ZipArchive, AttributesAndTimesComeFromTheEntry) {
  UniqueSkinArchive unixZip(SkinZipOpen(ArchiveFixture::Path(L"attributes.zip").c_str(), 0, kSkinZipFileName));
  UniqueSkinArchive dosZip(SkinZipOpen(ArchiveFixture::Path(L"dos.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(unixZip);
  ASSERT_TRUE(dosZip);
  const int64_t k1980 = ArchiveFixture::UnixSeconds(ArchiveFixture::FromDosTime(0x21, 0));
  const int64_t kDontCare = INT64_MIN;
  struct Case {
    SkinArchiveHandle* archive;
    const wchar_t* name;
    DWORD attributes;
    int64_t modified, accessed, created;
  } const cases[] = {
      // Unix archive: read-only from the mode bits (and the DOS bit that zip sets with them).
      {unixZip.get(), L"readonly.txt", FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_READONLY, kDontCare, kDontCare, kDontCare},
      {unixZip.get(), L"writable.txt", FILE_ATTRIBUTE_NORMAL, kDontCare, kDontCare, kDontCare},
      {unixZip.get(), L"folder/", FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_DIRECTORY, kDontCare, kDontCare, kDontCare},
      // The extended timestamp keeps the odd second that the DOS time (42 s) cannot; it has no
      // creation time, which stays the DOS time.
      {unixZip.get(), L"odd.txt", FILE_ATTRIBUTE_NORMAL, 1600000001, 1600000001, 1600000002},
      // A time before 1970 is not converted: all three keep the DOS time (1980, zip's floor).
      {unixZip.get(), L"old.txt", FILE_ATTRIBUTE_NORMAL, k1980, k1980, k1980},
      // An MS-DOS archive has no mode bits: only the DOS read-only bit counts.
      {dosZip.get(), L"READONLY.TXT", FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_READONLY, kDontCare, kDontCare, kDontCare},
      {dosZip.get(), L"WRITABLE.TXT", FILE_ATTRIBUTE_NORMAL, kDontCare, kDontCare, kDontCare},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.name));
    int index = -1;
    SkinZipEntry entry;
    ASSERT_EQ(SkinZipFindItem(c.archive, c.name, false, &index, &entry), kSkinArchiveOk);
    EXPECT_EQ(entry.attributes, c.attributes);
    if (c.modified != kDontCare) {
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.modificationTime), c.modified);
    }
    if (c.accessed != kDontCare) {
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.accessTime), c.accessed);
    }
    if (c.created != kDontCare) {
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.creationTime), c.created);
    }
  }
}

TEST(ZipArchive, ExtendedTimestampThatOverrunsItsFieldIsIgnored) {
  const std::string original = ArchiveFixture::Bytes(L"attributes.zip");
  const size_t extra = ArchiveFixture::ZipLocalExtraOffset(original, "odd.txt");
  ASSERT_NE(extra, std::string::npos);
  ASSERT_EQ(original.substr(extra, 2), "UT");
  struct Case {
    uint16_t recordSize;     // what the "UT" record claims
    uint8_t flags;
    int64_t modified, accessed;
  } const cases[] = {
      {9, 3, 1600000001, 1600000001},       // as written
      {0xFFFF, 3, 1600000002, 1600000002},  // claims more than the field holds: DOS time
      {1, 3, 1600000002, 1600000002},       // no room for either time
      {5, 3, 1600000001, 1600000002},       // room for the modification time only
      {0, 3, 1600000002, 1600000002},       // no room for the flags
      {9, 2, 1600000001, 1600000002},       // only the access-time bit: the first value is that
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recordSize);
    std::string bytes = original;
    bytes[extra + 2] = static_cast<char>(c.recordSize & 0xFF);
    bytes[extra + 3] = static_cast<char>(c.recordSize >> 8);
    bytes[extra + 4] = static_cast<char>(c.flags);
    UniqueSkinArchive archive(SkinZipOpen(bytes.data(), bytes.size(), kSkinZipMemory));
    ASSERT_TRUE(archive);
    int index = -1;
    SkinZipEntry entry;
    ASSERT_EQ(SkinZipFindItem(archive.get(), L"odd.txt", false, &index, &entry), kSkinArchiveOk);
    if (c.flags == 2) {
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.accessTime), c.modified);
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.modificationTime), 1600000002);
    } else {
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.modificationTime), c.modified);
      EXPECT_EQ(ArchiveFixture::UnixSeconds(entry.accessTime), c.accessed);
    }
  }
}

TEST(ZipArchive, ItemReadSucceedsOnlyWhenWholeAndItsCrcMatches) {
  const std::string bytes = ArchiveFixture::Bytes(L"deflated.zip");
  UniqueSkinArchive archive(SkinZipOpen(bytes.data(), bytes.size(), kSkinZipMemory));
  ASSERT_TRUE(archive);
  int index = -1;
  SkinZipEntry entry;
  ASSERT_EQ(SkinZipFindItem(archive.get(), L"mainWnd.xml", false, &index, &entry), kSkinArchiveOk);
  const size_t size = entry.uncompressedSize;
  ASSERT_GT(entry.compressedSize, 0u);
  ASSERT_LT(entry.compressedSize, entry.uncompressedSize);

  std::string buffer(size + 4, '#');
  // Too small: refused before anything is written.
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, &buffer[0], size - 1, kSkinZipMemory), kSkinArchiveBadArgument);
  EXPECT_EQ(buffer, std::string(size + 4, '#'));
  // Exactly the size, then again, then with room to spare: the whole item each time.
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, &buffer[0], size, kSkinZipMemory), kSkinArchiveOk);
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, &buffer[0], size, kSkinZipMemory), kSkinArchiveOk);
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, &buffer[0], buffer.size(), kSkinZipMemory), kSkinArchiveOk);
  EXPECT_EQ(buffer.substr(size), "####");
  EXPECT_EQ(SkinZipLastResult(), kSkinArchiveOk);

  for (int bad : {-1, -2, 100000}) {
    EXPECT_EQ(SkinZipUnzipItem(archive.get(), bad, &buffer[0], buffer.size(), kSkinZipMemory), kSkinArchiveBadArgument);
  }
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, nullptr, buffer.size(), kSkinZipMemory), kSkinArchiveBadArgument);
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, &buffer[0], buffer.size(), 7), kSkinArchiveBadArgument);
}

TEST(ZipArchive, DamagedItemDataNeverReadsAsSuccess) {
  // A flipped byte in a stored item is only caught by its CRC; in a deflated one by inflate or
  // the CRC.
  for (const wchar_t* name : {L"stored.zip", L"deflated.zip"}) {
    for (const char* item : {"mainWnd.xml", "bin/code.bin"}) {
      SCOPED_TRACE(TestSupport::ToUtf8(name) + " " + item);
      std::string bytes = ArchiveFixture::Bytes(name);
      const size_t data = ArchiveFixture::ZipDataOffset(bytes, item);
      ASSERT_NE(data, std::string::npos);
      bytes[data + 40] = static_cast<char>(bytes[data + 40] ^ 0x01);
      UniqueSkinArchive archive(SkinZipOpen(bytes.data(), bytes.size(), kSkinZipMemory));
      ASSERT_TRUE(archive);
      uint32_t result = 0;
      Unzip(archive.get(), TestSupport::FromUtf8(item), &result);
      EXPECT_EQ(result, kSkinZipInflateFailed);
      EXPECT_EQ(SkinZipLastResult(), kSkinZipInflateFailed);
      // The other items are untouched and still read.
      Unzip(archive.get(), L"res/mainWnd/bg1.png", &result);
      EXPECT_EQ(result, kSkinArchiveOk);
    }
  }
}

TEST(ZipArchive, TruncatedOrCorruptArchivesFailCleanly) {
  const std::vector<ArchiveFixture::SourceFile> files = ArchiveFixture::SourceFiles();
  for (const wchar_t* name : {L"stored.zip", L"deflated.zip"}) {
    const std::string bytes = ArchiveFixture::Bytes(name);
    ASSERT_GT(bytes.size(), 1000u);
    struct Damage {
      std::string what;
      std::string bytes;
      bool opens;  // the central directory at the end is intact
    };
    std::vector<Damage> damaged;
    for (size_t keep : {size_t{0}, size_t{1}, size_t{30}, bytes.size() / 2, bytes.size() - 23})
      damaged.push_back({"cut to " + std::to_string(keep), bytes.substr(0, keep), false});
    // Only the last byte of the comment length is gone: the directory is still found.
    damaged.push_back({"last byte cut", bytes.substr(0, bytes.size() - 1), true});
    // Local headers and item data: the archive opens and only the items hit fail.
    for (size_t at : {size_t{0}, size_t{20}, bytes.size() / 3, bytes.size() / 2}) {
      std::string copy = bytes;
      copy[at] = static_cast<char>(copy[at] ^ 0x5A);
      damaged.push_back({"byte " + std::to_string(at) + " flipped", copy, true});
    }
    // The signature of the end of the central directory: the directory cannot be found.
    std::string end = bytes;
    end[bytes.size() - 20] = static_cast<char>(end[bytes.size() - 20] ^ 0x5A);
    damaged.push_back({"end of central directory signature flipped", end, false});
    for (const Damage& d : damaged) {
      SCOPED_TRACE(TestSupport::ToUtf8(name) + " " + d.what);
      UniqueSkinArchive archive(SkinZipOpen(d.bytes.empty() ? "" : d.bytes.data(), d.bytes.size(), kSkinZipMemory));
      EXPECT_EQ(static_cast<bool>(archive), d.opens);
      if (!archive) {
        EXPECT_EQ(SkinZipLastResult(), kSkinZipOpenFailed);
        continue;
      }
      // Every item reads either to its true bytes or to a failure, and most read.
      size_t whole = 0;
      for (const auto& file : files) {
        uint32_t result = 0;
        const std::string read = Unzip(archive.get(), file.name, &result);
        if (result == kSkinArchiveOk) {
          EXPECT_TRUE(read == file.bytes) << TestSupport::ToUtf8(file.name);
          ++whole;
        }
      }
      EXPECT_GE(whole + 1, files.size());
    }
  }
}

TEST(ZipArchive, OpenFailuresSayWhy) {
  HANDLE readPipe = nullptr, writePipe = nullptr;
  ASSERT_TRUE(CreatePipe(&readPipe, &writePipe, nullptr, 0));
  Utils::UniqueHandle readEnd(readPipe), writeEnd(writePipe);
  const std::string notZip = "this is no zip archive, not even close to one";
  struct Case {
    const char* what;
    const void* source;
    size_t length;
    int kind;
    uint32_t expected;
  } const cases[] = {
      {"missing file", L"Z:\\no\\such\\skin.zip", 0, kSkinZipFileName, kSkinZipOpenFailed},
      {"null name", nullptr, 0, kSkinZipFileName, kSkinArchiveBadArgument},
      {"invalid handle", INVALID_HANDLE_VALUE, 0, kSkinZipFileHandle, kSkinZipDuplicateFailed},
      {"pipe handle", readPipe, 0, kSkinZipFileHandle, kSkinZipNotDiskFile},
      {"bytes that are no zip", notZip.data(), notZip.size(), kSkinZipMemory, kSkinZipOpenFailed},
      {"null memory", nullptr, 10, kSkinZipMemory, kSkinArchiveBadArgument},
      {"unknown kind", notZip.data(), notZip.size(), 4, kSkinArchiveBadArgument},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SkinZipOpen(c.source, c.length, c.kind), nullptr);
    EXPECT_EQ(SkinZipLastResult(), c.expected);
  }
}

TEST(ZipArchive, ItemThatDecodesToMoreThanTheCapIsRefused) {
  UniqueSkinArchive archive(SkinZipOpen(ArchiveFixture::Path(L"huge.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(archive);
  int index = -1;
  SkinZipEntry entry;
  ASSERT_EQ(SkinZipFindItem(archive.get(), L"huge.bin", false, &index, &entry), kSkinArchiveOk);
  EXPECT_EQ(entry.uncompressedSize, 65u * 1024 * 1024);
  // The length is a lie the reader must not believe: it refuses before writing a byte.
  char small[4] = {};
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), index, small, SIZE_MAX, kSkinZipMemory), kSkinArchiveBadArgument);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(SkinArchiveReadItem(archive.get(), L"huge.bin", SIZE_MAX, &bytes), SkinItemRead::Failed);
}

TEST(ZipArchive, ExtractionToFilesCreatesSafeFoldersAndKeepsTimes) {
  TestSupport::ScratchDir scratch(L"zipx");
  UniqueSkinArchive archive;
  {
    // Relative targets land under the folder that was current at open time.
    CurrentFolder inScratch(scratch.Path());
    archive.reset(SkinZipOpen(ArchiveFixture::Path(L"attributes.zip").c_str(), 0, kSkinZipFileName));
  }
  ASSERT_TRUE(archive);
  auto indexOf = [&](const wchar_t* name) {
    int index = -1;
    SkinZipFindItem(archive.get(), name, false, &index, nullptr);
    return index;
  };

  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"folder/inner.txt"), const_cast<wchar_t*>(L"out\\sub/inner.txt"), 0,
                             kSkinZipFileName),
            kSkinArchiveOk);
  EXPECT_EQ(FileText(scratch.File(L"out\\sub\\inner.txt")), "x\n");

  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"odd.txt"), const_cast<wchar_t*>(L"odd.txt"), 0, kSkinZipFileName),
            kSkinArchiveOk);
  EXPECT_EQ(FileText(scratch.File(L"odd.txt")), "odd second\n");
  {
    Utils::UniqueFileHandle file = OpenForReading(scratch.File(L"odd.txt"));
    FILETIME created, accessed, modified;
    ASSERT_TRUE(GetFileTime(file.get(), &created, &accessed, &modified));
    EXPECT_EQ(ArchiveFixture::UnixSeconds(modified), 1600000001);
  }

  // A folder part that climbs out creates no folders; the file still goes to that name.
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"writable.txt"), const_cast<wchar_t*>(L"made/../flat.txt"), 0,
                             kSkinZipFileName),
            kSkinArchiveOk);
  EXPECT_TRUE(TestSupport::FileExists(scratch.File(L"flat.txt")));
  EXPECT_EQ(GetFileAttributesW(scratch.File(L"made").c_str()), INVALID_FILE_ATTRIBUTES);

  // A folder item becomes a folder.
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"folder/"), const_cast<wchar_t*>(L"newdir\\deeper"), 0, kSkinZipFileName),
            kSkinArchiveOk);
  const DWORD folder = GetFileAttributesW(scratch.File(L"newdir\\deeper").c_str());
  EXPECT_NE(folder, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(folder & FILE_ATTRIBUTE_DIRECTORY);

  // Into a file handle of the caller's.
  const std::wstring target = scratch.File(L"by_handle.txt");
  {
    Utils::UniqueFileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"writable.txt"), file.get(), 0, kSkinZipFileHandle), kSkinArchiveOk);
  }
  EXPECT_EQ(FileText(target), "writable\n");

  // The read-only item keeps its attribute.
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"readonly.txt"), const_cast<wchar_t*>(L"ro.txt"), 0, kSkinZipFileName),
            kSkinArchiveOk);
  const DWORD readOnly = GetFileAttributesW(scratch.File(L"ro.txt").c_str());
  EXPECT_TRUE(readOnly != INVALID_FILE_ATTRIBUTES && (readOnly & FILE_ATTRIBUTE_READONLY));
  SetFileAttributesW(scratch.File(L"ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"odd.txt"), const_cast<wchar_t*>(L"Z:\\no\\such\\folder\\x.txt"), 0,
                             kSkinZipFileName),
            kSkinZipOpenFailed);
  EXPECT_EQ(SkinZipUnzipItem(archive.get(), indexOf(L"odd.txt"), nullptr, 0, kSkinZipFileName), kSkinArchiveBadArgument);
}

TEST(ZipArchive, MemorySourceRefusesPositionsOutsideTheBlock) {
  const uint8_t block[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  SkinZipSource source;
  source.AttachMemory(block, sizeof(block));
  struct Case {
    uint64_t offset;
    int origin;
    long result;
    uint64_t position;   // afterwards
  } const cases[] = {
      {4, ZLIB_FILEFUNC_SEEK_SET, 0, 4},
      {6, ZLIB_FILEFUNC_SEEK_CUR, 0, 10},
      {1, ZLIB_FILEFUNC_SEEK_CUR, -1, 10},
      {0, ZLIB_FILEFUNC_SEEK_END, 0, 10},
      {1, ZLIB_FILEFUNC_SEEK_END, -1, 10},
      {11, ZLIB_FILEFUNC_SEEK_SET, -1, 10},
      {UINT64_MAX, ZLIB_FILEFUNC_SEEK_SET, -1, 10},
      {UINT64_MAX - 2, ZLIB_FILEFUNC_SEEK_CUR, -1, 10},
      {2, 3, -1, 10},
      {0, ZLIB_FILEFUNC_SEEK_SET, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(source.Seek(c.offset, c.origin), c.result);
    EXPECT_EQ(source.Tell(), c.position);
  }
  uint8_t out[32] = {};
  EXPECT_EQ(source.Seek(7, ZLIB_FILEFUNC_SEEK_SET), 0);
  EXPECT_EQ(source.Read(out, sizeof(out)), 3u);
  EXPECT_EQ(out[0], 8);
  EXPECT_EQ(source.Read(out, sizeof(out)), 0u);
}

TEST(ZipArchive, CreatePathRefusesAbsoluteAndClimbingFolders) {
  TestSupport::ScratchDir scratch(L"zipp");
  const std::wstring base = scratch.Path() + L"\\";
  struct Case {
    const wchar_t* folder;
    bool created;
    const wchar_t* check;   // must exist afterwards (when created)
  } const cases[] = {
      {L"a\\b\\c", true, L"a\\b\\c"},
      {L"a/b/d/", true, L"a\\b\\d"},
      {L"./e", true, L"e"},
      {L"", true, nullptr},
      {L"x\\..\\..\\up", false, nullptr},
      {L"..", false, nullptr},
      {L"\\rooted", false, nullptr},
      {L"C:\\absolute", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.folder));
    EXPECT_EQ(SkinZipCreatePath(base, c.folder), c.created);
    if (c.check) {
      const DWORD attributes = GetFileAttributesW((base + c.check).c_str());
      EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    }
  }
  EXPECT_EQ(GetFileAttributesW((base + L"x").c_str()), INVALID_FILE_ATTRIBUTES);
}
