#include "ui_core/archives/ui_skin_resource.h"

#include <windows.h>

#include "base/unique_resource.h"
#include "ui_core/archives/skin_archive.h"
#include "ui_core/manager/ui_globals.h"

namespace SkinUI {

bool SkinResourcesInArchive() { return !ProcessTables().resourceArchiveName.IsEmpty(); }

SkinResourceRead ReadWholeFile(const wchar_t* path, size_t maxSize, std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (path == nullptr || *path == L'\0') return SkinResourceRead::NotFound;
  Utils::UniqueFileHandle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                         error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
    return missing ? SkinResourceRead::NotFound : SkinResourceRead::Unreadable;
  }
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size)) return SkinResourceRead::Unreadable;
  if (size.QuadPart == 0) return SkinResourceRead::Empty;
  if (static_cast<unsigned long long>(size.QuadPart) > maxSize) return SkinResourceRead::TooLarge;
  const DWORD length = static_cast<DWORD>(size.QuadPart);
  try {
    bytes->resize(length);
  } catch (...) {
    return SkinResourceRead::Unreadable;
  }
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes->data(), length, &read, nullptr) || read != length) {
    bytes->clear();
    return SkinResourceRead::Unreadable;
  }
  return SkinResourceRead::Ok;
}

SkinResourceRead ReadSkinResource(const wchar_t* name, size_t maxSize,
                                  std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (name == nullptr || *name == L'\0') return SkinResourceRead::NotFound;
  TProcessTablesUI& tables = ProcessTables();
  if (tables.resourceArchiveName.IsEmpty()) {
    const CStringUI path = tables.resourceFolder + name;
    return ReadWholeFile(path.GetData(), maxSize, bytes);
  }

  // An archive opened only for this read is closed again when the read is done.
  UniqueSkinArchive opened;
  SkinArchiveHandle* archive = nullptr;
  if (tables.archiveCached) {
    archive = tables.cachedArchive.get();
  } else {
    const CStringUI path = tables.resourceFolder + tables.resourceArchiveName;
    opened.reset(tables.archiveIs7z ? Skin7zOpenFromFile(path.GetData())
                                    : SkinZipOpen(path.GetData(), 0, kSkinZipFileName));
    archive = opened.get();
  }
  if (archive == nullptr) return SkinResourceRead::NoArchive;

  switch (SkinArchiveReadItem(archive, name, maxSize, bytes)) {
    case SkinItemRead::Ok:
      return SkinResourceRead::Ok;
    case SkinItemRead::NotFound:
      return SkinResourceRead::NotFound;
    case SkinItemRead::Empty:
      return SkinResourceRead::Empty;
    case SkinItemRead::TooLarge:
      return SkinResourceRead::TooLarge;
    case SkinItemRead::Failed:
    default:
      return SkinResourceRead::Unreadable;
  }
}

}  // namespace SkinUI
