#include "archive_fixture.h"

#include "base/unique_resource.h"
#include "test_support.h"

#include <algorithm>

namespace ArchiveFixture {
namespace {

std::wstring Root() { return TestSupport::TestDataDir() + L"\\archives"; }

void Collect(const std::wstring& folder, const std::wstring& relative, std::vector<SourceFile>* out) {
  WIN32_FIND_DATAW data;
  Utils::UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &data));
  if (!find) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    const std::wstring rel = relative.empty() ? name : relative + L"/" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Collect(path, rel, out);
    } else {
      SourceFile file;
      file.name = rel;
      TestSupport::ReadBytes(path, &file.bytes);
      out->push_back(std::move(file));
    }
  } while (FindNextFileW(find.get(), &data));
}

uint16_t Le16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}

// Offset of the local header of `name`, or npos.
size_t LocalHeader(const std::string& zip, const std::string& name) {
  size_t at = 0;
  while ((at = zip.find(std::string("PK\x03\x04", 4), at)) != std::string::npos) {
    if (at + 30 > zip.size()) break;
    const size_t nameLength = Le16(zip, at + 26);
    if (zip.compare(at + 30, nameLength, name) == 0 && nameLength == name.size()) return at;
    ++at;
  }
  return std::string::npos;
}

}  // namespace

std::wstring Path(const std::wstring& name) { return Root() + L"\\" + name; }

std::string Bytes(const std::wstring& name) {
  std::string bytes;
  TestSupport::ReadBytes(Path(name), &bytes);
  return bytes;
}

std::vector<SourceFile> SourceFiles() {
  std::vector<SourceFile> files;
  Collect(Root() + L"\\src", L"", &files);
  std::sort(files.begin(), files.end(),
            [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
  return files;
}

int64_t UnixSeconds(const FILETIME& time) {
  const uint64_t ticks = static_cast<uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000ull) - 11644473600ll;
}

FILETIME FromDosTime(WORD date, WORD time) {
  FILETIME local = {}, utc = {};
  DosDateTimeToFileTime(date, time, &local);
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

size_t ZipDataOffset(const std::string& zip, const std::string& name) {
  const size_t header = LocalHeader(zip, name);
  if (header == std::string::npos) return header;
  return header + 30 + Le16(zip, header + 26) + Le16(zip, header + 28);
}

size_t ZipLocalExtraOffset(const std::string& zip, const std::string& name) {
  const size_t header = LocalHeader(zip, name);
  if (header == std::string::npos) return header;
  return header + 30 + Le16(zip, header + 26);
}

}  // namespace ArchiveFixture
