#include "ui_core/manager/ui_resources.h"

#include <cwchar>
#include <new>
#include <utility>

namespace SkinUI {
namespace {

// Frees every value of a table whose values are heap objects of type T, then empties it.
template <typename T>
void DeleteValues(CStringMapUI& map) {
  for (int i = 0; i < map.GetSize(); ++i) {
    const wchar_t* key = map.GetAt(i);
    if (key != nullptr) delete static_cast<T*>(map.Find(key, false));
  }
  map.Resize(83);
}

}  // namespace

TResourceSetUI::~TResourceSetUI() {
  RemoveAllFonts();
  RemoveAllImages();
  RemoveAllAttributeLists();
}

void TResourceSetUI::RemoveAllFonts() {
  DeleteValues<TFontEntryUI>(fonts);
  replacedFonts.clear();
}

void TResourceSetUI::RemoveAllImages() {
  DeleteValues<TImageEntryUI>(images);
  replacedImages.clear();
}

void TResourceSetUI::RetireImage(const wchar_t* name) {
  auto* old = FindImage(name);
  if (old == nullptr) return;
  images.Remove(name);
  replacedImages.emplace_back(old);
}

void TResourceSetUI::RetireFont(const wchar_t* key) {
  auto* old = static_cast<TFontEntryUI*>(fonts.Find(key, false));
  if (old == nullptr) return;
  fonts.Remove(key);
  replacedFonts.emplace_back(old);
}

void TResourceSetUI::RetireDefaultFont() {
  if (!defaultFont.font) return;
  auto* old = new (std::nothrow) TFontEntryUI(std::move(defaultFont));
  if (old != nullptr) replacedFonts.emplace_back(old);
  TFontEntryUI none;
  defaultFont = std::move(none);
}

void TResourceSetUI::RemoveFont(const wchar_t* key) {
  auto* old = static_cast<TFontEntryUI*>(fonts.Find(key, false));
  if (old == nullptr) return;
  fonts.Remove(key);
  delete old;
}

void TResourceSetUI::RemoveAllAttributeLists() { DeleteValues<CStringUI>(attributeLists); }

TFontEntryUI* TResourceSetUI::FindFont(int id) const {
  wchar_t key[16];
  std::swprintf(key, 16, L"%d", id);
  return static_cast<TFontEntryUI*>(fonts.Find(key));
}

TImageEntryUI* TResourceSetUI::FindImage(const wchar_t* name) const {
  if (name == nullptr) return nullptr;
  return static_cast<TImageEntryUI*>(images.Find(name));
}

const CStringUI* TResourceSetUI::FindAttributeList(const wchar_t* className) const {
  if (className == nullptr) return nullptr;
  return static_cast<const CStringUI*>(attributeLists.Find(className));
}

}  // namespace SkinUI
