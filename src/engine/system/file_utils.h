#pragma once
// Path and file helpers: the installer's temporary folder, recursive directory creation and a
// new GUID as text. Stateless.
#include <windows.h>

#include <string>

namespace Utils {

// The installer's own folder below the system temporary folder, with a trailing backslash,
// created when missing, copied into `path` (MAX_PATH characters). 0 on success; non-zero on
// failure, with `path` left untouched.
int GetTempFolderPath(wchar_t* path);
// The same folder, or the empty string when it cannot be had.
std::wstring GetTempFolder();

// Creates every missing folder of the (backslash-separated) path. True when the whole path then
// exists as a folder, including when it existed before; false for a path longer than MAX_PATH
// characters, for a part that cannot be created, and for a part that exists as a file.
bool CreateDirectoryRecursive(const std::wstring& path);

// A new GUID as 32 hexadecimal digits without dashes (the third group in lower case).
std::wstring NewGuidString();

}  // namespace Utils
