#pragma once
// The installer's fifteen UI languages: index, locale code and the Windows UI languages that
// choose each one.
#include <windows.h>

#include <string>

namespace App {

constexpr int kLanguageCount = 15;

// "en-US", "zh-CN", ... for 0..14; null for any other index.
const wchar_t* LocaleCode(int index);
const char* LocaleCodeNarrow(int index);

// The index whose code is exactly `code`; -1 when none.
int LanguageIndexOfCode(const std::string& code);

// The index that a Windows UI language gives (English, Chinese (traditional), Indonesian,
// Turkish, German, French, every Spanish variant, Portuguese (Brazil), Japanese, Korean, Polish,
// Dutch, Italian, Russian); 0 for any other language, Chinese (simplified) included.
int LanguageIndexOfLangId(LANGID langId);

}  // namespace App
