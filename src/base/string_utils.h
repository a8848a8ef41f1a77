#pragma once
// Text helpers: code-page conversions between wide (UTF-16) and narrow strings, trimming,
// prefix test, replace-all. Stateless; any thread may call them.
#include <windows.h>

#include <string>

namespace Utils {

// Narrow text (up to its first zero byte) in the given code page (0 = ANSI, 65001 = UTF-8) to
// wide text; the empty string when the conversion fails.
std::wstring MultiByteToWide(const char* text, UINT codePage);
// Wide text (up to its first zero) to narrow text in the given code page; empty on failure.
std::string WideToMultiByte(const wchar_t* text, UINT codePage);

std::wstring ToWString(const std::string& text, UINT codePage);
std::string ToString(const std::wstring& text, UINT codePage);

// White space is the C locale's: space, \t, \n, \v, \f, \r.
std::wstring TrimLeft(const std::wstring& text);
std::wstring TrimRight(const std::wstring& text);
std::wstring Trim(const std::wstring& text);

// "true" or "false", as command lines spell a flag.
const wchar_t* TrueFalse(bool flag);

// True when the text begins with the prefix (an empty prefix begins every text).
bool StartsWith(const std::wstring& text, const std::wstring& prefix);

// Every occurrence of the pattern, left to right, replaced; the search goes on after each
// inserted replacement, so a replacement that contains the pattern is not replaced again. An
// empty pattern leaves the text as it is.
std::wstring ReplaceAll(const std::wstring& text, const std::wstring& pattern,
                        const std::wstring& replacement);

}  // namespace Utils
