#pragma once
// The archives that make_archives.sh builds, and the files they hold.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ArchiveFixture {

// Full Windows path of a fixture archive ("lzma_solid.7z").
std::wstring Path(const std::wstring& name);
// The archive's bytes; empty when it is missing.
std::string Bytes(const std::wstring& name);

struct SourceFile {
  std::wstring name;    // relative, '/' between folders
  std::string bytes;
};
// Every file (not folder) under src/, which every 7z, stored.zip and deflated.zip hold.
std::vector<SourceFile> SourceFiles();

// Seconds since 1970 of a UTC file time.
int64_t UnixSeconds(const FILETIME& time);
// What the readers make of a DOS date and time.
FILETIME FromDosTime(WORD date, WORD time);

// Offset of the data of the zip item called `name` (its local header's end), or npos.
size_t ZipDataOffset(const std::string& zip, const std::string& name);
// Offset of the local extra field of the zip item called `name`, or npos.
size_t ZipLocalExtraOffset(const std::string& zip, const std::string& name);

}  // namespace ArchiveFixture
