#include "app/sequence_controls.h"
#include "ui_core/values/ui_names.h"

namespace App {

SkinUI::CControlUI* CreateInstallerControl(const wchar_t* elementName) {
  if (SkinUI::NameIsNoCase(elementName, L"SequenceButton")) return new SkinUI::CSequenceButtonUI();
  if (SkinUI::NameIsNoCase(elementName, L"SequenceLabel")) return new SkinUI::CSequenceLabelUI();
  return nullptr;
}

}  // namespace App
