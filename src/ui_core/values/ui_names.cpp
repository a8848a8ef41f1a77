#include "ui_core/values/ui_names.h"

#include <windows.h>

#include <cwchar>

namespace SkinUI {

bool NameIs(const wchar_t* name, const wchar_t* expected) {
  return name != nullptr && expected != nullptr && std::wcscmp(name, expected) == 0;
}

bool NameIsNoCase(const wchar_t* name, const wchar_t* expected) {
  return name != nullptr && expected != nullptr &&
         ::CompareStringOrdinal(name, -1, expected, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace SkinUI
