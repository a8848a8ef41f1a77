#include "ui_core/values/ui_string.h"

#include <windows.h>

#include <stdarg.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <wctype.h>

namespace SkinUI {

namespace {

// wvsprintfW writes at most 1024 characters including the terminator, whatever the format asks
// for; a buffer one larger than that can never be overrun.
constexpr int kFormatBufferSize = 1025;

// Whether `text` points into [begin, begin + length] (the terminator included).
bool PointsInto(const wchar_t* text, const wchar_t* begin, size_t length) {
  const auto t = reinterpret_cast<uintptr_t>(text);
  const auto b = reinterpret_cast<uintptr_t>(begin);
  return t >= b && t <= b + length * sizeof(wchar_t);
}

size_t BoundedLength(const wchar_t* text, int limit) {
  size_t n = 0;
  while ((limit < 0 || n < static_cast<size_t>(limit)) && text[n] != L'\0') ++n;
  return n;
}

}  // namespace

CStringUI::CStringUI() : data_(inline_) { inline_[0] = L'\0'; }

CStringUI::CStringUI(wchar_t ch) : data_(inline_) {
  inline_[0] = ch;
  inline_[1] = L'\0';
}

CStringUI::CStringUI(const wchar_t* text, int length) : data_(inline_) {
  inline_[0] = L'\0';
  Assign(text, length);
}

CStringUI::CStringUI(const CStringUI& other) : data_(inline_) {
  inline_[0] = L'\0';
  Assign(other.data_);
}

CStringUI::~CStringUI() { FreeHeap(); }

void CStringUI::FreeHeap() {
  if (data_ != inline_) free(data_);
  data_ = inline_;
}

void CStringUI::Assign(const wchar_t* text, int length) {
  if (text == nullptr) text = L"";
  const size_t len = BoundedLength(text, length);

  // A source inside our own heap block would move or vanish when the block is reallocated or
  // freed: take it through a copy.
  if (data_ != inline_ && PointsInto(text, data_, wcslen(data_))) {
    CStringUI copy(text, static_cast<int>(len));
    Assign(copy.data_);
    return;
  }

  if (len > static_cast<size_t>(kMaxInline)) {
    if (data_ == inline_) {
      auto* block = static_cast<wchar_t*>(malloc((len + 1) * sizeof(wchar_t)));
      if (block == nullptr) {
        Empty();
        return;
      }
      data_ = block;
    } else if (wcslen(data_) < len) {
      auto* block = static_cast<wchar_t*>(realloc(data_, (len + 1) * sizeof(wchar_t)));
      if (block == nullptr) {
        Empty();
        return;
      }
      data_ = block;
    }
    memcpy(data_, text, len * sizeof(wchar_t));
  } else {
    // The source may be our own inline buffer (or a heap block we still hold): copy before
    // letting go of the block.
    memmove(inline_, text, len * sizeof(wchar_t));
    if (data_ != inline_) {
      free(data_);
      data_ = inline_;
    }
  }
  data_[len] = L'\0';
}

void CStringUI::Append(const wchar_t* text) {
  if (text == nullptr) return;
  const size_t own = wcslen(data_);
  if (PointsInto(text, data_, own)) {
    CStringUI copy(text);
    Append(copy.data_);
    return;
  }
  const size_t add = wcslen(text);
  const size_t total = own + add;
  if (total > static_cast<size_t>(kMaxInline)) {
    if (data_ == inline_) {
      auto* block = static_cast<wchar_t*>(malloc((total + 1) * sizeof(wchar_t)));
      if (block == nullptr) return;
      memcpy(block, inline_, (own + 1) * sizeof(wchar_t));
      data_ = block;
    } else {
      auto* block = static_cast<wchar_t*>(realloc(data_, (total + 1) * sizeof(wchar_t)));
      if (block == nullptr) return;
      data_ = block;
    }
  }
  memcpy(data_ + own, text, (add + 1) * sizeof(wchar_t));
}

CStringUI& CStringUI::operator=(const CStringUI& other) {
  if (this != &other) Assign(other.data_);
  return *this;
}

CStringUI& CStringUI::operator=(const wchar_t* text) {
  if (text == nullptr) {
    Empty();
  } else {
    Assign(text);
  }
  return *this;
}

CStringUI& CStringUI::operator+=(const CStringUI& other) {
  Append(other.data_);
  return *this;
}

CStringUI& CStringUI::operator+=(const wchar_t* text) {
  Append(text);
  return *this;
}

CStringUI& CStringUI::operator+=(wchar_t ch) {
  const wchar_t text[2] = {ch, L'\0'};
  Append(text);
  return *this;
}

CStringUI CStringUI::operator+(const wchar_t* text) const {
  CStringUI result(*this);
  result.Append(text);
  return result;
}

CStringUI CStringUI::operator+(const CStringUI& other) const { return *this + other.data_; }

bool CStringUI::operator==(const wchar_t* text) const {
  return wcscmp(data_, text != nullptr ? text : L"") == 0;
}

bool CStringUI::operator!=(const wchar_t* text) const { return !(*this == text); }

int CStringUI::CompareNoCase(const wchar_t* text) const {
  return _wcsicmp(data_, text != nullptr ? text : L"");
}

int CStringUI::GetLength() const { return static_cast<int>(wcslen(data_)); }

void CStringUI::Empty() {
  FreeHeap();
  inline_[0] = L'\0';
}

int CStringUI::Find(const wchar_t* text, int start) const {
  if (text == nullptr || start < 0 || start > GetLength()) return -1;
  if (text[0] == L'\0') return start;  // the empty text is found where the search starts
  const wchar_t* hit = wcsstr(data_ + start, text);
  return hit == nullptr ? -1 : static_cast<int>(hit - data_);
}

int CStringUI::Find(wchar_t ch, int start) const {
  // The terminator is not part of the text, so it is never "found".
  if (ch == L'\0' || start < 0 || (start != 0 && start >= GetLength())) return -1;
  const wchar_t* hit = wcschr(data_ + start, ch);
  return hit == nullptr ? -1 : static_cast<int>(hit - data_);
}

int CStringUI::ReverseFind(wchar_t ch) const {
  if (ch == L'\0') return -1;
  const wchar_t* hit = wcsrchr(data_, ch);
  return hit == nullptr ? -1 : static_cast<int>(hit - data_);
}

CStringUI CStringUI::Left(int count) const {
  const int length = GetLength();
  if (count < 0) count = 0;
  if (count > length) count = length;
  return CStringUI(data_, count);
}

CStringUI CStringUI::Mid(int start, int count) const {
  const int length = GetLength();
  if (start < 0) start = 0;
  if (start > length) start = length;
  if (count < 0 || count > length - start) count = length - start;
  return CStringUI(data_ + start, count);
}

int CStringUI::Replace(const wchar_t* from, const wchar_t* to) {
  // An empty pattern occurs everywhere and would never let the loop end.
  if (from == nullptr || to == nullptr || from[0] == L'\0') return 0;
  const int fromLength = static_cast<int>(wcslen(from));
  const int toLength = static_cast<int>(wcslen(to));
  int count = 0;
  int pos = Find(from, 0);
  while (pos >= 0) {
    CStringUI next = Left(pos);
    next.Append(to);
    next.Append(data_ + pos + fromLength);
    Assign(next.data_);
    ++count;
    // Continue behind the inserted text so that a replacement is never searched again.
    pos = Find(from, pos + toLength);
  }
  return count;
}

void CStringUI::MakeLower() {
  for (wchar_t* p = data_; *p != L'\0'; ++p) *p = static_cast<wchar_t>(towlower(*p));
}

int CStringUI::Format(const wchar_t* format, ...) {
  const CStringUI pattern(format);
  wchar_t buffer[kFormatBufferSize] = {};
  va_list args;
  va_start(args, format);
  const int written = ::wvsprintfW(buffer, pattern.data_, args);
  va_end(args);
  buffer[kFormatBufferSize - 1] = L'\0';
  Assign(buffer);
  return written;
}

}  // namespace SkinUI
