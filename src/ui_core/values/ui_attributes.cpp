#include "ui_core/values/ui_attributes.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Past leading blanks (codes up to 32) and one sign.
const wchar_t* SkipBlanksAndSign(const wchar_t* p, bool* negative) {
  while (*p != L'\0' && *p <= L' ') ++p;
  *negative = *p == L'-';
  if (*p == L'-' || *p == L'+') ++p;
  return p;
}

}  // namespace

int ParseAttributeInt(const wchar_t* text, const wchar_t** end) {
  if (end != nullptr) *end = text;
  if (text == nullptr) return 0;
  bool negative = false;
  const wchar_t* p = SkipBlanksAndSign(text, &negative);
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

namespace {

// A decimal fraction ("-0.25", "1e-3"): leading blanks and a sign, digits with an optional point,
// an optional exponent. Read by hand so that the result does not depend on the C library's
// locale or its idea of "nan" and "inf"; the exponent saturates, so the value stays finite.
double ParseDecimal(const wchar_t* text, const wchar_t** end) {
  *end = text;
  bool negative = false;
  const wchar_t* p = SkipBlanksAndSign(text, &negative);
  double value = 0;
  bool digits = false;
  int scale = 0;
  for (; IsDigit(*p); ++p) {
    digits = true;
    if (value < 1e300) {
      value = value * 10 + (*p - L'0');
    } else if (scale < 1000) {
      ++scale;
    }
  }
  if (*p == L'.') {
    ++p;
    for (; IsDigit(*p); ++p) {
      digits = true;
      if (value < 1e300 && scale > -1000) {
        value = value * 10 + (*p - L'0');
        --scale;
      }
    }
  }
  if (!digits) return 0;
  if (*p == L'e' || *p == L'E') {
    const wchar_t* exponentEnd = nullptr;
    const int exponent = ParseAttributeInt(p + 1, &exponentEnd);
    if (exponentEnd != p + 1 && (p[1] == L'-' || p[1] == L'+' || IsDigit(p[1]))) {
      const long long total = static_cast<long long>(scale) + exponent;
      scale = static_cast<int>(std::max(-1000LL, std::min(1000LL, total)));
      p = exponentEnd;
    }
  }
  *end = p;
  // Dividing by an exact power of ten keeps "0.25" exactly 0.25.
  double result = scale >= 0 ? value * std::pow(10.0, scale) : value / std::pow(10.0, -scale);
  if (!std::isfinite(result)) result = value == 0 ? 0 : 1e300;
  return negative ? -result : result;
}

// Up to count numbers read by read(text, &end), each followed by one separator character; the
// list stops at the end of the text and missing numbers stay 0.
template <typename T, typename Reader>
int ParseList(const wchar_t* text, T* values, int count, Reader read) {
  int found = 0;
  const wchar_t* p = text;
  for (int i = 0; i < count; ++i) values[i] = 0;
  for (int i = 0; i < count && p != nullptr && *p != L'\0'; ++i) {
    const wchar_t* end = p;
    values[i] = read(p, &end);
    if (end != p) ++found;
    p = end;
    if (*p == L'\0') break;
    ++p;  // one separator character
  }
  return found;
}

}  // namespace

int ParseAttributeInts(const wchar_t* text, int* values, int count) {
  return ParseList(text, values, count,
                   [](const wchar_t* p, const wchar_t** end) { return ParseAttributeInt(p, end); });
}

int ParseAttributeDoubles(const wchar_t* text, double* values, int count) {
  return ParseList(text, values, count, ParseDecimal);
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
  return NameIs(text, L"true");
}

bool NextAttributeInList(const wchar_t*& cursor, CStringUI& name, CStringUI& value) {
  if (cursor == nullptr || *cursor == L'\0') return false;
  const wchar_t* p = cursor;
  const wchar_t* nameStart = p;
  // A blank inside the name means the pairs were not separated by exactly one blank.
  while (*p != L'\0' && *p != L'=' && *p > L' ') ++p;
  if (p == nameStart || *p != L'=' || p[1] != L'"') return false;
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
