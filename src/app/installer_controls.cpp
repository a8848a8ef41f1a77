#include <cwchar>

#include "app/sequence_controls.h"

namespace App {

SkinUI::CControlUI* CreateInstallerControl(const wchar_t* elementName) {
  if (elementName == nullptr) return nullptr;
  if (::_wcsicmp(elementName, L"SequenceButton") == 0) return new SkinUI::CSequenceButtonUI();
  if (::_wcsicmp(elementName, L"SequenceLabel") == 0) return new SkinUI::CSequenceLabelUI();
  return nullptr;
}

}  // namespace App
