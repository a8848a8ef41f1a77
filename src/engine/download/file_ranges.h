#pragma once
// Byte ranges of files, for a package that is assembled in one file by several writers at once
// (each at its own offset) and whose pieces are kept in files of their own between runs.
#include <cstdint>
#include <string>

#include "base/unique_resource.h"

// Opens `path` (made when missing, kept otherwise) for writing beside other writers and readers
// of the same file; an empty handle on failure.
Utils::UniqueFileHandle OpenSharedForWriting(const std::wstring& path);

// Moves the handle's file position to `offset`; false when that failed.
bool SeekTo(HANDLE file, int64_t offset);

// Copies `length` bytes from offset `fromOffset` of `from` to offset `toOffset` of `to` (made when
// missing). False unless every byte was read and written.
bool CopyFileRange(const std::wstring& from, int64_t fromOffset, const std::wstring& to, int64_t toOffset,
                   int64_t length);

// Cuts the file at `path` to its first `length` bytes; false when that failed.
bool CutFile(const std::wstring& path, int64_t length);
