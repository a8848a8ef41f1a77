#include "base/string_utils.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

namespace Utils {

std::wstring MultiByteToWide(const char* text, UINT codePage) {
  if (text == nullptr) return std::wstring();
  const size_t length = std::strlen(text);
  if (length == 0 || length > static_cast<size_t>(INT_MAX)) return std::wstring();
  const int n = static_cast<int>(length);
  const int needed = ::MultiByteToWideChar(codePage, 0, text, n, nullptr, 0);
  if (needed <= 0) return std::wstring();
  try {
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    const int written = ::MultiByteToWideChar(codePage, 0, text, n, &wide[0], needed);
    if (written <= 0) return std::wstring();
    wide.resize(static_cast<size_t>(written));
    return wide;
  } catch (const std::bad_alloc&) {
    return std::wstring();
  }
}

std::string WideToMultiByte(const wchar_t* text, UINT codePage) {
  if (text == nullptr) return std::string();
  const size_t length = std::wcslen(text);
  if (length == 0 || length > static_cast<size_t>(INT_MAX)) return std::string();
  const int n = static_cast<int>(length);
  const int needed = ::WideCharToMultiByte(codePage, 0, text, n, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return std::string();
  try {
    std::string narrow(static_cast<size_t>(needed), '\0');
    const int written =
        ::WideCharToMultiByte(codePage, 0, text, n, &narrow[0], needed, nullptr, nullptr);
    if (written <= 0) return std::string();
    narrow.resize(static_cast<size_t>(written));
    return narrow;
  } catch (const std::bad_alloc&) {
    return std::string();
  }
}

std::wstring ToWString(const std::string& text, UINT codePage) {
  return MultiByteToWide(text.c_str(), codePage);
}

std::string ToString(const std::wstring& text, UINT codePage) {
  return WideToMultiByte(text.c_str(), codePage);
}

namespace {

bool IsSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

std::wstring TrimLeft(const std::wstring& text) {
  size_t first = 0;
  while (first < text.size() && IsSpace(text[first])) ++first;
  return text.substr(first);
}

std::wstring TrimRight(const std::wstring& text) {
  size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  return text.substr(0, end);
}

std::wstring Trim(const std::wstring& text) { return TrimLeft(TrimRight(text)); }

const wchar_t* TrueFalse(bool flag) { return flag ? L"true" : L"false"; }

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring ReplaceAll(const std::wstring& text, const std::wstring& pattern,
                        const std::wstring& replacement) {
  if (pattern.empty()) return text;
  std::wstring result;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(pattern, from);
    if (at == std::wstring::npos) break;
    result.append(text, from, at - from);
    result += replacement;
    from = at + pattern.size();
  }
  result.append(text, from, std::wstring::npos);
  return result;
}

}  // namespace Utils
