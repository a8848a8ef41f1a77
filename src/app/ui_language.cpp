#include "app/ui_language.h"

#include "app/language_table.h"
#include "ui_core/archives/skin_archive.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"

namespace App {
namespace {

// The archive that the window managers read the skin from, or, when none is open, the archive
// file that their settings name, opened for this one read.
SkinUI::SkinArchiveHandle* OpenSkinArchive(SkinUI::UniqueSkinArchive* ownedHere) {
  using SkinUI::CWindowManagerUI;
  if (SkinUI::SkinArchiveHandle* open = CWindowManagerUI::GetResourceZipHandle()) return open;
  const SkinUI::CStringUI& name = CWindowManagerUI::GetResourceZip();
  if (name.IsEmpty()) return nullptr;
  const std::wstring path =
      std::wstring(CWindowManagerUI::GetResourcePath().GetData()) + name.GetData();
  if (CWindowManagerUI::IsResourceArchive7z()) {
    ownedHere->reset(SkinUI::Skin7zOpenFromFile(path.c_str()));
  } else {
    ownedHere->reset(SkinUI::SkinZipOpen(path.c_str(), 0, SkinUI::kSkinZipFileName));
  }
  return ownedHere->get();
}

}  // namespace

int LoadLanguageTable(int index, const std::wstring& code) {
  SkinUI::UniqueSkinArchive ownedHere;
  SkinUI::SkinArchiveHandle* archive = OpenSkinArchive(&ownedHere);
  return LoadLanguageTexts(archive, index, code, [](int id, const std::wstring& text) {
    SkinUI::CWindowManagerUI::SetLanguageText(id, text.c_str());
  });
}

int ReadConfigLanguage(const std::wstring& folder, SkinUI::CWindowManagerUI* manager) {
  bool found = false;
  const std::wstring code = ReadInstalledLanguageCode(folder, &found);
  const int index = LoadLanguageTable(0, found ? code : std::wstring());
  if (manager != nullptr && manager->GetRoot() != nullptr) manager->GetRoot()->NeedUpdate();
  return index;
}

}  // namespace App
