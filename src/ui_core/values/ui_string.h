#pragma once
// The framework's wide-character string. Control names, attribute values and most labels are
// short, so the text lives in an inline buffer until it outgrows it; only longer texts go to the
// C heap. Nothing here throws.
#include <wchar.h>

namespace SkinUI {

class CStringUI {
public:
  // Characters of the inline buffer; texts of up to kMaxInline characters stay inside it.
  static constexpr int kInlineSize = 64;
  static constexpr int kMaxInline = kInlineSize - 2;

  CStringUI();
  explicit CStringUI(wchar_t ch);
  CStringUI(const wchar_t* text, int length = -1);  // -1: up to the terminator; null: empty
  CStringUI(const CStringUI& other);
  ~CStringUI();

  // Core setter: at most `length` characters of text (fewer when text ends earlier).
  void Assign(const wchar_t* text, int length = -1);
  void Append(const wchar_t* text);

  CStringUI& operator=(const CStringUI& other);
  CStringUI& operator=(const wchar_t* text);
  CStringUI& operator+=(const CStringUI& other);
  CStringUI& operator+=(const wchar_t* text);
  CStringUI& operator+=(wchar_t ch);
  CStringUI operator+(const wchar_t* text) const;
  CStringUI operator+(const CStringUI& other) const;

  // Exact, case-sensitive comparison of the whole text; a null text compares as empty.
  bool operator==(const wchar_t* text) const;
  bool operator!=(const wchar_t* text) const;
  int CompareNoCase(const wchar_t* text) const;

  int GetLength() const;
  bool IsEmpty() const { return data_[0] == L'\0'; }
  const wchar_t* GetData() const { return data_; }
  wchar_t GetAt(int index) const { return data_[index]; }  // caller keeps index in range
  void Empty();

  int Find(const wchar_t* text, int start = 0) const;
  int Find(wchar_t ch, int start = 0) const;
  int ReverseFind(wchar_t ch) const;
  CStringUI Left(int count) const;
  CStringUI Mid(int start, int count = -1) const;
  int Replace(const wchar_t* from, const wchar_t* to);
  void MakeLower();
  int Format(const wchar_t* format, ...);
  CStringUI Copy() const { return CStringUI(*this); }

  // True while the text is held in a heap block rather than the inline buffer.
  bool IsOnHeap() const { return data_ != inline_; }

private:
  void FreeHeap();

  wchar_t* data_;
  wchar_t inline_[kInlineSize];
};

}  // namespace SkinUI
