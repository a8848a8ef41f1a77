#include "fuzz_targets.h"

#include "ui_core/archives/sevenzip_archive.h"
#include "ui_core/archives/skin_archive.h"

#include <string>
#include <vector>

using namespace SkinUI;

int Fuzz7zOne(const uint8_t* data, size_t size) {
  UniqueSkinArchive archive(Skin7zOpenFromMemory(data, size));
  if (!archive) return 0;
  int read = 0;
  std::vector<uint8_t> buffer;
  // Copies of the names: the lookups must work from the caller's own text.
  std::vector<std::wstring> names;
  for (const Skin7zEntry& entry : *Skin7zEntriesOf(archive.get())) names.push_back(entry.name);
  for (const std::wstring& name : names) {
    int index = -1;
    uint64_t itemSize = 0;
    if (Skin7zFindItem(archive.get(), name.c_str(), &index, &itemSize) != kSkinArchiveOk) continue;
    buffer.assign(static_cast<size_t>(itemSize) + 1, 0xA5);
    if (Skin7zExtractItem(archive.get(), index, buffer.data(), static_cast<size_t>(itemSize)) == kSkinArchiveOk &&
        buffer.back() == 0xA5)
      ++read;
  }
  std::vector<uint8_t> bytes;
  SkinArchiveReadItem(archive.get(), L"MainWnd.xml", 1 << 20, &bytes);
  return read;
}
