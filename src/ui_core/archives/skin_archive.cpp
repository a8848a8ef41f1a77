#include "ui_core/archives/skin_archive.h"

namespace SkinUI {

std::wstring SkinArchiveNameKey(const wchar_t* name, size_t length) {
  std::wstring key(name, length);
  for (wchar_t& c : key) {
    if (c == L'\\') c = L'/';
  }
  return key;
}

bool SkinArchiveKeysEqual(const std::wstring& a, const std::wstring& b, bool ignoreCase) noexcept {
  if (a.size() != b.size()) return false;
  if (!ignoreCase) return a == b;
  if (a.empty()) return true;
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool SkinArchiveIs7z(const SkinArchiveHandle* archive) noexcept {
  return archive && archive->kind == kSkinArchiveKind7z;
}

void SkinArchiveClose(SkinArchiveHandle* archive) noexcept {
  if (!archive) return;
  if (SkinArchiveIs7z(archive)) {
    Skin7zClose(archive);
  } else {
    SkinZipClose(archive);
  }
}

SkinItemRead SkinArchiveReadItem(SkinArchiveHandle* archive, const wchar_t* name, size_t maxSize,
                                 std::vector<uint8_t>* bytes) noexcept {
  if (!archive || !name || !bytes) return SkinItemRead::NotFound;
  try {
    bytes->clear();
    int index = -1;
    uint64_t size = 0;
    if (SkinArchiveIs7z(archive)) {
      if (Skin7zFindItem(archive, name, &index, &size) != kSkinArchiveOk) return SkinItemRead::NotFound;
    } else {
      SkinZipEntry entry;
      const uint32_t found = SkinZipFindItem(archive, name, true, &index, &entry);
      if (found == kSkinZipNotFound) return SkinItemRead::NotFound;
      if (found != kSkinArchiveOk) return SkinItemRead::Failed;
      size = entry.uncompressedSize;
    }
    if (size == 0) return SkinItemRead::Empty;
    if (size > maxSize) return SkinItemRead::TooLarge;
    bytes->resize(static_cast<size_t>(size));
    const uint32_t result =
        SkinArchiveIs7z(archive)
            ? Skin7zExtractItem(archive, index, bytes->data(), bytes->size())
            : SkinZipUnzipItem(archive, index, bytes->data(), bytes->size(), kSkinZipMemory);
    if (!SkinArchiveSucceeded(result)) {
      bytes->clear();
      return SkinItemRead::Failed;
    }
    return SkinItemRead::Ok;
  } catch (...) {
    bytes->clear();
    return SkinItemRead::Failed;
  }
}

}  // namespace SkinUI
