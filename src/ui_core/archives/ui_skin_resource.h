#pragma once
// Reads one file of the skin from where the process-wide resource settings point: the skin
// folder, the archive kept open (cached, or the block in memory), or the archive file in the
// skin folder opened for this one read. Skin XML, images, animated GIFs and the UI text table
// all come through here.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace SkinUI {

enum class SkinResourceRead {
  Ok,          // bytes holds the whole file
  NotFound,    // no such file in the folder, or no such item in the archive
  Empty,       // the file has 0 bytes
  TooLarge,    // the file has more than maxSize bytes
  Unreadable,  // the file or the archive item exists but could not be read
  NoArchive,   // the skin is an archive that could not be opened
};

// Whether skin files are items of an archive (rather than files of the skin folder).
bool SkinResourcesInArchive();

// Reads `name` (relative to the skin folder, or an item name of the archive) whole.
SkinResourceRead ReadSkinResource(const wchar_t* name, size_t maxSize,
                                  std::vector<uint8_t>* bytes);

// Reads a plain file path whole (no skin lookup).
SkinResourceRead ReadWholeFile(const wchar_t* path, size_t maxSize, std::vector<uint8_t>* bytes);

}  // namespace SkinUI
