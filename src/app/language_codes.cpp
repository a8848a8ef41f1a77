#include "app/language_codes.h"

namespace App {
namespace {

const char* const kCodes[kLanguageCount] = {
    "en-US", "zh-CN", "zh-TW", "id-ID", "tr-TR", "de-DE", "fr-FR", "es-ES",
    "pt-PT", "ja-JP", "ko-KR", "pl-PL", "nl-NL", "it-IT", "ru-RU",
};
const wchar_t* const kWideCodes[kLanguageCount] = {
    L"en-US", L"zh-CN", L"zh-TW", L"id-ID", L"tr-TR", L"de-DE", L"fr-FR", L"es-ES",
    L"pt-PT", L"ja-JP", L"ko-KR", L"pl-PL", L"nl-NL", L"it-IT", L"ru-RU",
};

struct LangIdIndex {
  LANGID langId;
  int index;
};

const LangIdIndex kLangIds[] = {
    {1033, 0}, {1028, 2}, {1057, 3}, {1055, 4},  {1031, 5},  {1036, 6},  {1034, 7},
    {1046, 8}, {1041, 9}, {1042, 10}, {1045, 11}, {1043, 12}, {2067, 12}, {1040, 13},
    {1049, 14},
};

// Spanish variants: the primary language 0x0A with sub-languages 2 to 20 (2058 ... 20490).
constexpr LANGID kFirstSpanishVariant = 2058;
constexpr LANGID kLastSpanishVariant = 20490;
constexpr LANGID kSpanishVariantStep = 1024;

}  // namespace

const wchar_t* LocaleCode(int index) {
  return index >= 0 && index < kLanguageCount ? kWideCodes[index] : nullptr;
}

const char* LocaleCodeNarrow(int index) {
  return index >= 0 && index < kLanguageCount ? kCodes[index] : nullptr;
}

int LanguageIndexOfCode(const std::string& code) {
  for (int i = 0; i < kLanguageCount; ++i) {
    if (code == kCodes[i]) return i;
  }
  return -1;
}

int LanguageIndexOfLangId(LANGID langId) {
  for (const LangIdIndex& entry : kLangIds) {
    if (entry.langId == langId) return entry.index;
  }
  if (langId >= kFirstSpanishVariant && langId <= kLastSpanishVariant &&
      (langId - kFirstSpanishVariant) % kSpanishVariantStep == 0) {
    return 7;
  }
  return 0;
}

}  // namespace App
