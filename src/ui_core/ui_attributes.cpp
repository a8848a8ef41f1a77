#include "ui_core/ui_attributes.h"

#include <climits>
#include <cwchar>

namespace SkinUI {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

int ParseAttributeInt(const wchar_t* text, const wchar_t** end) {
  if (end != nullptr) *end = text;
  if (text == nullptr) return 0;
  const wchar_t* p = text;
  while (*p != L'\0' && *p <= L' ') ++p;
  bool negative = false;
  if (*p == L'-' || *p == L'+') {
    negative = *p == L'-';
    ++p;
  }
  if (!IsDigit(*p)) return 0;
  long long value = 0;
  while (IsDigit(*p)) {
    // Saturate instead of overflowing: a skin may say 99999999999.
    if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*p - L'0');
    ++p;
  }
  if (end != nullptr) *end = p;
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int ParseAttributeInts(const wchar_t* text, int* values, int count) {
  int found = 0;
  const wchar_t* p = text;
  for (int i = 0; i < count; ++i) values[i] = 0;
  for (int i = 0; i < count && p != nullptr && *p != L'\0'; ++i) {
    const wchar_t* end = p;
    values[i] = ParseAttributeInt(p, &end);
    if (end != p) ++found;
    p = end;
    if (*p == L'\0') break;
    ++p;  // one separator character
  }
  return found;
}

RECT ParseAttributeRect(const wchar_t* text) {
  int v[4];
  ParseAttributeInts(text, v, 4);
  return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseAttributeSize(const wchar_t* text) {
  int v[2];
  ParseAttributeInts(text, v, 2);
  return SIZE{v[0], v[1]};
}

DWORD ParseAttributeColor(const wchar_t* text) {
  if (text == nullptr) return 0;
  const wchar_t* p = text;
  while (*p != L'\0' && *p <= L' ') ++p;
  if (*p == L'#') ++p;
  DWORD value = 0;
  for (int digits = 0; digits < 8 && HexValue(*p) >= 0; ++digits, ++p) {
    value = (value << 4) | static_cast<DWORD>(HexValue(*p));
  }
  return value;
}

bool ParseAttributeBool(const wchar_t* text) {
  return text != nullptr && std::wcscmp(text, L"true") == 0;
}

bool NextAttributeInList(const wchar_t*& cursor, CStringUI& name, CStringUI& value) {
  if (cursor == nullptr || *cursor == L'\0') return false;
  const wchar_t* p = cursor;
  const wchar_t* nameStart = p;
  while (*p != L'\0' && *p != L'=') ++p;
  if (*p != L'=' || p[1] != L'"') return false;
  const wchar_t* nameEnd = p;
  p += 2;
  const wchar_t* valueStart = p;
  while (*p != L'\0' && *p != L'"') ++p;
  if (*p != L'"') return false;
  name.Assign(nameStart, static_cast<int>(nameEnd - nameStart));
  value.Assign(valueStart, static_cast<int>(p - valueStart));
  ++p;
  // A pair ends the list unless exactly one blank follows its closing quote.
  if (*p == L' ') {
    cursor = p + 1;
  } else {
    cursor = *p == L'\0' ? p : nullptr;
  }
  return true;
}

}  // namespace SkinUI
