#pragma once
// The installer's own skin elements, which the skin builder does not know: the window's builder
// callback creates them.
#include "app/sequence_button.h"
#include "app/sequence_label.h"

namespace App {

// A new "SequenceButton" or "SequenceLabel" (names in any letter case); null for other names.
SkinUI::CControlUI* CreateInstallerControl(const wchar_t* elementName);

}  // namespace App
