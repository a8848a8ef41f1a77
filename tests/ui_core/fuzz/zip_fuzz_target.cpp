#include "fuzz_targets.h"

#include "ui_core/archives/skin_archive.h"
#include "ui_core/archives/zip_archive.h"

#include <vector>

using namespace SkinUI;

int FuzzZipOne(const uint8_t* data, size_t size) {
  UniqueSkinArchive archive(SkinZipOpen(data, size, kSkinZipMemory));
  if (!archive) return 0;
  SkinZipReader* reader = SkinZipReaderOf(archive.get());
  // Bounded work per input: a few items and a few MiB of output at most.
  constexpr int kMaxItems = 64;
  constexpr size_t kMaxItemBytes = 1 << 20;
  size_t budget = 4u << 20;
  int read = 0;
  std::vector<uint8_t> buffer;
  const int count = reader->ItemCount() < kMaxItems ? reader->ItemCount() : kMaxItems;
  for (int i = 0; i < count; ++i) {
    SkinZipEntry entry;
    if (reader->GetEntry(i, &entry) != kSkinArchiveOk) continue;
    int index = -1;
    SkinZipFindItem(archive.get(), entry.name, true, &index, nullptr);
    SkinZipFindItem(archive.get(), entry.name, false, &index, &entry);
    if (entry.uncompressedSize > kMaxItemBytes || entry.uncompressedSize > budget) continue;
    budget -= entry.uncompressedSize;
    // One byte of slack: a reader that writes past the item's size shows up in the last byte.
    buffer.assign(entry.uncompressedSize + 1, 0xA5);
    if (SkinArchiveSucceeded(SkinZipUnzipItem(archive.get(), i, buffer.data(), entry.uncompressedSize,
                                              kSkinZipMemory)) &&
        buffer.back() == 0xA5)
      ++read;
  }
  std::vector<uint8_t> bytes;
  SkinArchiveReadItem(archive.get(), L"MainWnd.xml", 1 << 20, &bytes);
  return read;
}
