#pragma once
// The resources a window draws with: fonts by id, images by name, default attribute lists by
// control class, the default font and five default colours. The process keeps one shared set
// and every window manager one of its own; lookups try the window's set first.
#include <windows.h>

#include <memory>
#include <vector>

#include "base/unique_resource.h"
#include "ui_core/drawing/ui_image.h"
#include "ui_core/values/ui_string.h"
#include "ui_core/values/ui_string_map.h"

namespace SkinUI {

struct TFontEntryUI {
  Utils::UniqueFont font;
  CStringUI face;
  int size = 0;  // pixels
  bool bold = false;
  bool underline = false;
  bool italic = false;
  TEXTMETRICW metrics = {};  // zero until first measured
};

struct TResourceSetUI {
  DWORD disabledColor = 0;
  DWORD fontColor = 0;
  DWORD linkFontColor = 0;
  DWORD linkHoverFontColor = 0;
  DWORD selectedColor = 0;
  TFontEntryUI defaultFont;  // an empty face: use the shared default font
  CStringMapUI fonts{83};           // decimal id -> TFontEntryUI*, owned
  CStringMapUI images{83};          // name -> TImageEntryUI*, owned
  CStringMapUI attributeLists{83};  // control class name -> CStringUI*, owned
  // Images and fonts replaced under their name or id (a layout that declares them again):
  // controls built before still draw them, and a native edit keeps the font it was given, so
  // they live as long as the table, not until the replacement.
  std::vector<std::unique_ptr<TImageEntryUI>> replacedImages;
  std::vector<std::unique_ptr<TFontEntryUI>> replacedFonts;

  TResourceSetUI() = default;
  ~TResourceSetUI();
  TResourceSetUI(const TResourceSetUI&) = delete;
  TResourceSetUI& operator=(const TResourceSetUI&) = delete;

  // Each frees the values of its table and empties it (83 buckets again), together with the
  // replaced ones.
  void RemoveAllFonts();
  void RemoveAllImages();
  // Takes the image under name (the font under the decimal key) out of the table and keeps it
  // with the replaced ones.
  void RetireImage(const wchar_t* name);
  void RetireFont(const wchar_t* key);
  // Keeps the default font with the replaced ones; the default is empty afterwards.
  void RetireDefaultFont();
  // Frees the font under the decimal key at once.
  void RemoveFont(const wchar_t* key);
  void RemoveAllAttributeLists();

  TFontEntryUI* FindFont(int id) const;
  TImageEntryUI* FindImage(const wchar_t* name) const;
  const CStringUI* FindAttributeList(const wchar_t* className) const;
};

}  // namespace SkinUI
