// The main window's choice of UI language.
#include <windows.h>

#include "app/language_codes.h"
#include "app/main_wnd.h"
#include "app/ui_language.h"
#include "engine/system/installer_settings.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/drawing/ui_render.h"

namespace App {

void CMainWnd::ChooseLanguage() {
  int index = InstallerSettings::Instance().LanguageIndex;
  if (index == -1) index = LanguageIndexOfLangId(::GetUserDefaultUILanguage());
  ApplyLanguageTexts(index);
}

void CMainWnd::ApplyLanguageTexts(int index) {
  const int used = LoadLanguageTable(index, std::wstring());
  if (SkinUI::CControlUI* root = manager_.GetRoot()) root->NeedUpdate();
  // Labels whose width follows their text in the new language.
  for (const wchar_t* name : {L"lbLanguage", L"lbInstallPath", L"backBtn"}) {
    SkinUI::CControlUI* control = manager_.FindControl(name);
    auto* label = control == nullptr
                      ? nullptr
                      : static_cast<SkinUI::CLabelUI*>(control->GetInterface(L"Label"));
    if (label == nullptr) continue;
    const SkinUI::CStringUI text = label->GetText();  // tokens are replaced by the measuring
    const SIZE size = SkinUI::CRenderUI::GetTextSize(manager_.GetPaintDC(), &manager_,
                                                     text.GetData(), label->GetFont(),
                                                     label->GetTextStyle());
    label->SetFixedWidth(size.cx + label->GetTextPadding().left);
  }
  InstallerSettings::Instance().LanguageIndex = used;
}

std::wstring CMainWnd::GetLocaleCode() {
  // Only a skin with a language choice passes a language to the package's installer.
  if (languageCombo_ == nullptr) return std::wstring();
  const wchar_t* code = LocaleCode(InstallerSettings::Instance().LanguageIndex);
  return code != nullptr ? code : L"en-US";
}

}  // namespace App
