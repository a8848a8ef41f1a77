// The 7z reader against archives made by 7zz, one per method set.
#include "archive_fixture.h"
#include "test_support.h"
#include "ui_core/archives/sevenzip_archive.h"
#include "ui_core/archives/skin_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace SkinUI;

namespace {

const wchar_t* const kSevenZipArchives[] = {
    L"lzma_solid.7z", L"lzma_nonsolid.7z", L"lzma2_solid.7z", L"lzma2_nonsolid.7z",
    L"copy.7z",       L"bcj_lzma.7z",      L"bcj_lzma2.7z",   L"bcj2.7z",
    L"arm.7z",        L"armt.7z",          L"arm64.7z",
};

std::string Extract(SkinArchiveHandle* archive, const std::wstring& name, uint32_t* result) {
  int index = -1;
  uint64_t size = 0;
  *result = Skin7zFindItem(archive, name.c_str(), &index, &size);
  if (*result != kSkinArchiveOk) return std::string();
  std::string bytes(static_cast<size_t>(size), '\0');
  *result = Skin7zExtractItem(archive, index, &bytes[0], bytes.size());
  return bytes;
}

}  // namespace

TEST(SevenZipArchive, EveryMethodSetReadsBackByteForByteFromFileAndMemory) {
  const std::vector<ArchiveFixture::SourceFile> files = ArchiveFixture::SourceFiles();
  ASSERT_EQ(files.size(), 6u) << "the fixtures were not built";
  for (const wchar_t* name : kSevenZipArchives) {
    const std::string bytes = ArchiveFixture::Bytes(name);
    ASSERT_FALSE(bytes.empty()) << TestSupport::ToUtf8(name);
    for (bool fromMemory : {false, true}) {
      SCOPED_TRACE(TestSupport::ToUtf8(name) + (fromMemory ? " from memory" : " from file"));
      UniqueSkinArchive archive(fromMemory
                                    ? Skin7zOpenFromMemory(bytes.data(), bytes.size())
                                    : Skin7zOpenFromFile(ArchiveFixture::Path(name).c_str()));
      ASSERT_TRUE(archive);
      ASSERT_TRUE(SkinArchiveIs7z(archive.get()));
      // One entry per file: the folders (EmptyDir, res, ...) make none.
      EXPECT_EQ(Skin7zEntriesOf(archive.get())->size(), files.size());
      for (const auto& file : files) {
        uint32_t result = 0;
        const std::string read = Extract(archive.get(), file.name, &result);
        EXPECT_EQ(result, kSkinArchiveOk) << TestSupport::ToUtf8(file.name);
        EXPECT_TRUE(read == file.bytes) << TestSupport::ToUtf8(file.name);
      }
    }
  }
}

TEST(SevenZipArchive, LookupIgnoresCaseAndSeparatorAndLeavesTheNameAlone) {
  UniqueSkinArchive archive(Skin7zOpenFromFile(ArchiveFixture::Path(L"lzma2_solid.7z").c_str()));
  ASSERT_TRUE(archive);
  struct Case {
    const wchar_t* name;
    bool found;
  } const cases[] = {
      {L"MainWnd.xml", true},
      {L"mainWnd.xml", true},
      {L"res/mainWnd/bg1.png", true},
      {L"res\\mainWnd\\bg1.png", true},
      {L"RES\\MAINWND\\BG1.PNG", true},
      {L"res/common/button.png", true},
      {L"\u4e2d\u6587/\u754c\u9762.xml", true},
      {L"\u4e2d\u6587\\\u754c\u9762.XML", true},
      {L"empty.txt", true},
      {L"EmptyDir", false},
      {L"res", false},
      {L"res/mainWnd", false},
      {L"mainWnd.xm", false},
      {L"", false},
  };
  for (const Case& c : cases) {
    std::wstring name = c.name;
    const std::wstring before = name;
    int index = 7;
    uint64_t size = 7;
    const uint32_t result = Skin7zFindItem(archive.get(), &name[0], &index, &size);
    EXPECT_EQ(result, c.found ? kSkinArchiveOk : kSkinArchiveBadArgument) << TestSupport::ToUtf8(before);
    if (!c.found) {
      EXPECT_EQ(index, -1);
    }
    EXPECT_EQ(name, before);
  }
}

TEST(SevenZipArchive, ExtractionIsToldTheBufferLength) {
  UniqueSkinArchive archive(Skin7zOpenFromFile(ArchiveFixture::Path(L"lzma_solid.7z").c_str()));
  ASSERT_TRUE(archive);
  int index = -1;
  uint64_t size = 0;
  ASSERT_EQ(Skin7zFindItem(archive.get(), L"mainWnd.xml", &index, &size), kSkinArchiveOk);
  std::string buffer(static_cast<size_t>(size) + 8, '#');
  EXPECT_EQ(Skin7zExtractItem(archive.get(), index, &buffer[0], size - 1), kSkinArchiveBadArgument);
  EXPECT_EQ(buffer, std::string(buffer.size(), '#'));
  EXPECT_EQ(Skin7zExtractItem(archive.get(), index, &buffer[0], buffer.size()), kSkinArchiveOk);
  EXPECT_EQ(buffer.substr(size), std::string(8, '#'));
  EXPECT_EQ(Skin7zExtractItem(archive.get(), index, nullptr, buffer.size()), kSkinArchiveBadArgument);
  EXPECT_EQ(Skin7zExtractItem(archive.get(), -1, &buffer[0], buffer.size()), kSkinArchiveBadArgument);
  EXPECT_EQ(Skin7zExtractItem(archive.get(), 1000, &buffer[0], buffer.size()), kSkinArchiveBadArgument);
  // The empty file needs no buffer at all.
  ASSERT_EQ(Skin7zFindItem(archive.get(), L"empty.txt", &index, &size), kSkinArchiveOk);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(Skin7zExtractItem(archive.get(), index, nullptr, 0), kSkinArchiveOk);
}

TEST(SevenZipArchive, TruncatedArchivesAndDamagedHeadersFailToOpen) {
  for (const wchar_t* name : {L"lzma_solid.7z", L"lzma2_nonsolid.7z", L"copy.7z", L"bcj2.7z", L"arm64.7z"}) {
    const std::string bytes = ArchiveFixture::Bytes(name);
    ASSERT_GT(bytes.size(), 1000u);
    struct Damage {
      const char* what;
      std::string bytes;
    };
    std::vector<Damage> damaged;
    for (size_t keep : {size_t{1}, size_t{6}, size_t{31}, size_t{32}, bytes.size() / 2, bytes.size() - 1})
      damaged.push_back({"truncated", bytes.substr(0, keep)});
    // The end header and the signature header.
    for (size_t at : {bytes.size() - 10, size_t{12}}) {
      std::string copy = bytes;
      copy[at] = static_cast<char>(copy[at] ^ 0x55);
      damaged.push_back({"flipped", copy});
    }
    for (const Damage& d : damaged) {
      SCOPED_TRACE(TestSupport::ToUtf8(name) + " " + d.what + " to " + std::to_string(d.bytes.size()));
      SkinArchiveHandle* archive = Skin7zOpenFromMemory(d.bytes.data(), d.bytes.size());
      EXPECT_EQ(archive, nullptr);
      Skin7zClose(archive);
    }
  }
}

TEST(SevenZipArchive, AFileThatCannotBeDecodedKeepsTheFilesDecodedBeforeIt) {
  const std::vector<ArchiveFixture::SourceFile> files = ArchiveFixture::SourceFiles();
  // In a solid block every file after the damage is lost; without compression only the damaged
  // file fails its check, and decoding stops there.
  struct Case {
    const wchar_t* name;
    bool someKept;
  } const cases[] = {{L"lzma_solid.7z", false}, {L"copy.7z", true}, {L"lzma2_nonsolid.7z", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.name));
    std::string bytes = ArchiveFixture::Bytes(c.name);
    ASSERT_GT(bytes.size(), 1000u);
    // A byte of the packed data of the last file.
    const size_t at = ArchiveFixture::Bytes(c.name).size() / 2;
    bytes[at] = static_cast<char>(bytes[at] ^ 0x55);
    UniqueSkinArchive archive(Skin7zOpenFromMemory(bytes.data(), bytes.size()));
    ASSERT_TRUE(archive);
    const std::vector<Skin7zEntry>& entries = *Skin7zEntriesOf(archive.get());
    EXPECT_LT(entries.size(), files.size());
    if (c.someKept) {
      EXPECT_GT(entries.size(), 0u);
    }
    // Whatever was kept is whole and exactly what was packed.
    for (const Skin7zEntry& entry : entries) {
      bool matched = false;
      for (const auto& file : files) {
        if (SkinArchiveKeysEqual(SkinArchiveNameKey(file.name.data(), file.name.size()), entry.key, true)) {
          matched = std::string(entry.data.begin(), entry.data.end()) == file.bytes;
        }
      }
      EXPECT_TRUE(matched) << TestSupport::ToUtf8(entry.name);
    }
  }
}

TEST(SevenZipArchive, AFileThatIsNoArchiveOpensWithoutItemsAndMissingFilesFailToOpen) {
  // What opens but holds no 7z archive (or one that claims too much) is an archive without
  // items: every lookup says "not found".
  for (const wchar_t* name : {L"not_an_archive.7z", L"stored.zip", L"huge.7z"}) {
    SCOPED_TRACE(TestSupport::ToUtf8(name));
    UniqueSkinArchive archive(Skin7zOpenFromFile(ArchiveFixture::Path(name).c_str()));
    ASSERT_TRUE(archive);
    EXPECT_TRUE(Skin7zEntriesOf(archive.get())->empty());
    int index = 0;
    uint64_t size = 0;
    EXPECT_EQ(Skin7zFindItem(archive.get(), L"mainWnd.xml", &index, &size), kSkinArchiveBadArgument);
    std::vector<uint8_t> read;
    EXPECT_EQ(SkinArchiveReadItem(archive.get(), L"mainWnd.xml", 100, &read), SkinItemRead::NotFound);
  }
  EXPECT_EQ(Skin7zOpenFromFile(ArchiveFixture::Path(L"missing.7z").c_str()), nullptr);
  EXPECT_EQ(Skin7zOpenFromFile(nullptr), nullptr);
  // In memory the bytes are all there is: no archive, no handle.
  const std::string notArchive = ArchiveFixture::Bytes(L"not_an_archive.7z");
  ASSERT_FALSE(notArchive.empty());
  EXPECT_EQ(Skin7zOpenFromMemory(notArchive.data(), notArchive.size()), nullptr);
  EXPECT_EQ(Skin7zOpenFromMemory(nullptr, 100), nullptr);
  const char nothing = 0;
  EXPECT_EQ(Skin7zOpenFromMemory(&nothing, 0), nullptr);
}

TEST(SevenZipArchive, ArchiveThatDecodesToMoreThanTheCapIsRefused) {
  // 65 MiB of zeros in 10 KiB: refused from its headers, before anything is decoded.
  const std::string bytes = ArchiveFixture::Bytes(L"huge.7z");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(Skin7zOpenFromMemory(bytes.data(), bytes.size()), nullptr);
}

TEST(SevenZipArchive, GivenHandleIsReplacedOnSuccessAndKeptOnFailure) {
  UniqueSkinArchive archive(Skin7zOpenFromFile(ArchiveFixture::Path(L"lzma_solid.7z").c_str()));
  ASSERT_TRUE(archive);
  const std::string garbage = "7z\xBC\xAF\x27\x1C garbage";
  EXPECT_EQ(Skin7zOpenFromMemory(garbage.data(), garbage.size(), archive.get()), nullptr);
  EXPECT_EQ(Skin7zEntriesOf(archive.get())->size(), 6u);

  const std::string bcj2 = ArchiveFixture::Bytes(L"bcj2.7z");
  EXPECT_EQ(Skin7zOpenFromMemory(bcj2.data(), bcj2.size(), archive.get()), archive.get());
  EXPECT_EQ(Skin7zOpenFromFile(ArchiveFixture::Path(L"copy.7z").c_str(), archive.get()), archive.get());
  uint32_t result = 0;
  EXPECT_FALSE(Extract(archive.get(), L"mainWnd.xml", &result).empty());
  EXPECT_EQ(result, kSkinArchiveOk);

  UniqueSkinArchive zip(SkinZipOpen(ArchiveFixture::Path(L"stored.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(zip);
  EXPECT_EQ(Skin7zOpenFromMemory(bcj2.data(), bcj2.size(), zip.get()), nullptr);
}

TEST(SkinArchive, HandleOfOneKindIsRefusedByTheOtherKind) {
  UniqueSkinArchive sevenZip(Skin7zOpenFromFile(ArchiveFixture::Path(L"lzma_solid.7z").c_str()));
  UniqueSkinArchive zip(SkinZipOpen(ArchiveFixture::Path(L"deflated.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(sevenZip);
  ASSERT_TRUE(zip);
  char buffer[16];
  int index = -1;
  uint64_t size = 0;
  SkinZipEntry entry;

  EXPECT_EQ(SkinZipClose(sevenZip.get()), kSkinZipNotZipHandle);
  EXPECT_EQ(SkinZipLastResult(), kSkinZipNotZipHandle);
  EXPECT_EQ(SkinZipFindItem(sevenZip.get(), L"mainWnd.xml", true, &index, &entry), kSkinZipNotZipHandle);
  EXPECT_EQ(SkinZipUnzipItem(sevenZip.get(), 0, buffer, sizeof(buffer), kSkinZipMemory), kSkinZipNotZipHandle);
  EXPECT_EQ(SkinZipClose(nullptr), kSkinArchiveBadArgument);

  EXPECT_EQ(Skin7zClose(zip.get()), kSkinArchiveBadArgument);
  EXPECT_EQ(Skin7zFindItem(zip.get(), L"mainWnd.xml", &index, &size), kSkinArchiveBadArgument);
  EXPECT_EQ(Skin7zExtractItem(zip.get(), 0, buffer, sizeof(buffer)), kSkinArchiveBadArgument);
  EXPECT_EQ(Skin7zClose(nullptr), kSkinArchiveBadArgument);
  EXPECT_FALSE(SkinArchiveIs7z(zip.get()));
  EXPECT_FALSE(SkinArchiveIs7z(nullptr));

  // Both survived the refusals.
  EXPECT_EQ(Skin7zFindItem(sevenZip.get(), L"mainWnd.xml", &index, &size), kSkinArchiveOk);
  EXPECT_EQ(SkinZipFindItem(zip.get(), L"mainWnd.xml", true, &index, &entry), kSkinArchiveOk);
}

TEST(SkinArchive, ReadItemFindsChecksTheSizeAndReadsWithEitherKind) {
  const std::vector<ArchiveFixture::SourceFile> files = ArchiveFixture::SourceFiles();
  std::string mainWnd;
  for (const auto& f : files) {
    if (f.name == L"mainWnd.xml") mainWnd = f.bytes;
  }
  ASSERT_FALSE(mainWnd.empty());
  UniqueSkinArchive sevenZip(Skin7zOpenFromFile(ArchiveFixture::Path(L"lzma2_solid.7z").c_str()));
  UniqueSkinArchive zip(SkinZipOpen(ArchiveFixture::Path(L"deflated.zip").c_str(), 0, kSkinZipFileName));
  ASSERT_TRUE(sevenZip);
  ASSERT_TRUE(zip);
  struct Case {
    const wchar_t* name;
    size_t maxSize;
    SkinItemRead expected;
  } const cases[] = {
      {L"MAINWND.XML", 0x400000, SkinItemRead::Ok},
      {L"mainWnd.xml", mainWnd.size(), SkinItemRead::Ok},
      {L"mainWnd.xml", mainWnd.size() - 1, SkinItemRead::TooLarge},
      {L"empty.txt", 0x400000, SkinItemRead::Empty},
      {L"missing.xml", 0x400000, SkinItemRead::NotFound},
      {L"EmptyDir", 0x400000, SkinItemRead::NotFound},
  };
  for (SkinArchiveHandle* archive : {sevenZip.get(), zip.get()}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(TestSupport::ToUtf8(c.name) + (SkinArchiveIs7z(archive) ? " 7z" : " zip"));
      std::vector<uint8_t> bytes(3, 1);
      EXPECT_EQ(SkinArchiveReadItem(archive, c.name, c.maxSize, &bytes), c.expected);
      if (c.expected == SkinItemRead::Ok) {
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), mainWnd);
      } else {
        EXPECT_TRUE(bytes.empty());
      }
    }
  }
  std::vector<uint8_t> bytes;
  EXPECT_EQ(SkinArchiveReadItem(nullptr, L"mainWnd.xml", 100, &bytes), SkinItemRead::NotFound);
}
