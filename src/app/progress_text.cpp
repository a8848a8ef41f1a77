#include "app/progress_text.h"

namespace App {

std::wstring FormatProgressText(const std::wstring& templateText, int percent) {
  std::wstring out;
  for (size_t i = 0; i < templateText.size() && out.size() < kProgressTextMaxLength; ++i) {
    const wchar_t ch = templateText[i];
    if (ch == L'%' && i + 1 < templateText.size()) {
      if (templateText[i + 1] == L'd') {
        out += std::to_wstring(percent);
        ++i;
        continue;
      }
      if (templateText[i + 1] == L'%') {
        out += L'%';
        ++i;
        continue;
      }
    }
    out += ch;
  }
  if (out.size() > kProgressTextMaxLength) out.resize(kProgressTextMaxLength);
  return out;
}

}  // namespace App
