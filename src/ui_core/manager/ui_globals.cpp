#include "ui_core/manager/ui_globals.h"

namespace SkinUI {

TProcessTablesUI::~TProcessTablesUI() {
  for (int i = 0; i < languageTexts.GetSize(); ++i) {
    const wchar_t* key = languageTexts.GetAt(i);
    if (key != nullptr) delete static_cast<CStringUI*>(languageTexts.Find(key, false));
  }
}

TProcessTablesUI& ProcessTables() {
  // Built on first use, so that static initialisers of other files may already rely on it.
  static TProcessTablesUI tables;
  return tables;
}

namespace {
// Builds the tables during static initialisation even when nothing asks for them before the
// entry function runs.
[[maybe_unused]] TProcessTablesUI& g_builtAtStartUp = ProcessTables();
}  // namespace

}  // namespace SkinUI
