#pragma once
// The 7z reader behind Skin7zOpenFromMemory and friends. It decodes every file of the archive
// through the LZMA SDK when the archive is opened and keeps the bytes; afterwards a lookup is a
// scan of the names and an extraction one copy.
#include "ui_core/archives/skin_archive.h"

#include <cstdint>
#include <string>
#include <vector>

namespace SkinUI {

// One decoded file of a 7z archive (folders make none).
struct Skin7zEntry {
  std::wstring name;            // as stored in the archive
  std::wstring key;             // the name as lookups compare it
  uint32_t index = 0;           // the file's index in the archive
  std::vector<uint8_t> data;    // decoded bytes
};

// The record behind a 7z handle.
struct Skin7zHandle : SkinArchiveHandle {
  Skin7zHandle() : SkinArchiveHandle{kSkinArchiveKind7z} {}
  std::vector<Skin7zEntry> entries;   // in archive order
};

// The entries of a 7z handle, or null for null or a handle of the other kind.
const std::vector<Skin7zEntry>* Skin7zEntriesOf(const SkinArchiveHandle* archive) noexcept;

}  // namespace SkinUI
