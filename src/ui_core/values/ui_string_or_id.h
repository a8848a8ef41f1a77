#pragma once
// A resource name that is either a wide text or a numeric id, held in one pointer-sized word the
// way Windows resource functions take it: an id lives in the low 16 bits with the rest zero.
#include <windows.h>

namespace SkinUI {

class CStringOrIdUI {
public:
  explicit CStringOrIdUI(unsigned id) : value_(MAKEINTRESOURCEW(id & 0xFFFFu)) {}
  explicit CStringOrIdUI(const wchar_t* text) : value_(text) {}

  // The word as the resource functions want it (FindResourceW and friends).
  const wchar_t* Get() const { return value_; }
  bool IsId() const { return IS_INTRESOURCE(value_); }
  WORD GetId() const { return IsId() ? static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value_)) : 0; }

private:
  const wchar_t* value_;
};

}  // namespace SkinUI
