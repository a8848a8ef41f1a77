#pragma once
// The language table of the running UI: "language.json" of the skin archive that the window
// managers hold open, stored in the framework's text table, whose "%{n}" tokens every control
// text shows in the chosen language.
#include <string>

namespace SkinUI {
class CWindowManagerUI;
}

namespace App {

// Fills the text table for the language `index` (or the one whose code is `code`) and returns the
// index used (see LoadLanguageTexts).
int LoadLanguageTable(int index, const std::wstring& code);

// Takes over the language of the earlier installation in `folder` ("config.ini") and lays the
// window out again; returns the index used.
int ReadConfigLanguage(const std::wstring& folder, SkinUI::CWindowManagerUI* manager);

}  // namespace App
