#pragma once
// Path and file helpers: the installer's temporary folder, recursive directory creation, a new
// GUID as text, the MD5 digest of a file and the digest segment of a download URL. Stateless.
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

// MD5 digest of the whole file as 32 lower-case hexadecimal digits; the empty string when the
// path is empty or the file cannot be opened or read.
std::string GetFileMd5(const std::wstring& path);
// The same for a path in the ANSI code page.
std::string GetFileMd5(const std::string& path);

// The path segment before the last one ("http://h/pkg/<digest>/setup.exe" -> "<digest>"); the
// empty string when the URL has fewer than two "/".
std::string GetUrlLastDir(const std::string& url);

}  // namespace Utils
