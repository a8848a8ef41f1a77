#include "app/sequence_frames.h"

#include <cwchar>
#include <cwctype>

#include "ui_core/values/ui_names.h"

namespace App {
namespace {

using SkinUI::NameIs;
using SkinUI::NameIsNoCase;

constexpr size_t kMaxFrameName = MAX_PATH - 1;

// Reads up to two decimal digits at `p`; -1 when there are none.
int ReadSmallNumber(const wchar_t*& p) {
  if (!std::iswdigit(*p)) return -1;
  int value = 0;
  for (int digits = 0; digits < 2 && std::iswdigit(*p); ++digits, ++p) value = value * 10 + (*p - L'0');
  return value;
}

// The number as "%[flags][width][.precision]d" would write it.
std::wstring FormatNumber(unsigned value, bool zeroPad, bool leftAlign, int width, int precision) {
  std::wstring digits = std::to_wstring(value);
  if (precision >= 0 && digits.size() < static_cast<size_t>(precision)) {
    digits.insert(0, precision - digits.size(), L'0');
  }
  if (width > 0 && digits.size() < static_cast<size_t>(width)) {
    const size_t fill = width - digits.size();
    if (leftAlign) {
      digits.append(fill, L' ');
    } else {
      digits.insert(0, fill, zeroPad && precision < 0 ? L'0' : L' ');
    }
  }
  return digits;
}

}  // namespace

std::wstring FormatFrameName(const wchar_t* templateText, unsigned frame) {
  std::wstring out;
  if (templateText == nullptr) return out;
  bool numberUsed = false;
  for (const wchar_t* p = templateText; *p != L'\0' && out.size() < kMaxFrameName;) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    if (p[1] == L'%') {
      out += L'%';
      p += 2;
      continue;
    }
    // A conversion: flags, width, precision, then the type.
    const wchar_t* q = p + 1;
    bool zeroPad = false, leftAlign = false;
    for (; *q == L'0' || *q == L'-'; ++q) (*q == L'0' ? zeroPad : leftAlign) = true;
    const int width = ReadSmallNumber(q);
    int precision = -1;
    if (*q == L'.') {
      ++q;
      precision = ReadSmallNumber(q);
      if (precision < 0) precision = 0;
    }
    if (!numberUsed && (*q == L'd' || *q == L'i' || *q == L'u')) {
      out += FormatNumber(frame, zeroPad, leftAlign, width, precision);
      numberUsed = true;
      p = q + 1;
      continue;
    }
    out += *p++;  // not a conversion this template may use: the text as it is
  }
  if (out.size() > kMaxFrameName) out.resize(kMaxFrameName);
  return out;
}

SequenceFrames::Tick SequenceFrames::Next(std::wstring* file) {
  if (imageTemplate.IsEmpty()) return Tick::Idle;
  if (forward && static_cast<long long>(index) > static_cast<long long>(count) - 1) {
    if (roundTrip) {
      forward = false;
      index = count >= 2 ? static_cast<unsigned>(count - 2) : 0;  // a series of 0 or 1 frames
    } else {
      index = 0;
      if (!loop) return Tick::Stop;
    }
  }
  if (!forward && index == 0) {
    if (roundTrip) forward = true;
    index = 0;
    if (!loop) return Tick::Stop;
  }
  *file = FormatFrameName(imageTemplate.GetData(), index);
  if (forward) {
    ++index;
  } else if (index > 0) {
    --index;
  }
  return Tick::Show;
}

bool SequenceFrames::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (value == nullptr) value = L"";  // a name without a value: as an empty one
  if (NameIs(name, L"sequencebkimage")) {
    imageTemplate = value;
  } else if (NameIsNoCase(name, L"sequencecount")) {
    count = static_cast<int>(std::wcstol(value, nullptr, 10));
  } else if (NameIsNoCase(name, L"sequencespan")) {
    spanMs = static_cast<int>(std::wcstol(value, nullptr, 10));
  } else if (NameIsNoCase(name, L"sequenceloop")) {
    loop = !NameIs(value, L"false");
  } else if (NameIsNoCase(name, L"autostart")) {
    autoStart = !NameIs(value, L"false");
  } else if (NameIsNoCase(name, L"sequenceround")) {
    roundTrip = !NameIs(value, L"false");
  } else {
    return false;
  }
  return true;
}

}  // namespace App
