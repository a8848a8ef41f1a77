#pragma once
// Two string values under the product's key in HKEY_CURRENT_USER.
#include <windows.h>

#include <string>

namespace Utils {

// "Software\ZorViSoft\Tessmark"
extern const wchar_t kProductRegistryKey[];

// Stores the text as REG_SZ (with its terminating zero), creating the key when needed.
bool RegWriteString(const std::wstring& valueName, const std::wstring& text);

// Reads the value's text (up to its first zero; an unterminated stored value is read whole) and
// its registry type. False, with `text` and `type` unchanged, when the key or value is missing
// or cannot be read.
bool RegReadString(const std::wstring& valueName, DWORD* type, std::wstring* text);

}  // namespace Utils
