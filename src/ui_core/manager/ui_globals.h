#pragma once
// Process-wide tables of the framework. They are built during static initialisation, before the
// program's entry function runs, and live until the process exits; every window shares them.
#include <windows.h>

#include "base/unique_resource.h"
#include "ui_core/archives/skin_archive.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_arrays.h"
#include "ui_core/values/ui_string.h"
#include "ui_core/values/ui_string_map.h"

namespace SkinUI {

struct TProcessTablesUI {
  HINSTANCE instance = nullptr;
  HINSTANCE resourceInstance = nullptr;  // a separate resource module; null: the instance
  // The shared resource set: fonts, images and default attribute lists that every window sees,
  // the shared default font (its face stays empty until the first window manager is made) and
  // the five default colours.
  TResourceSetUI shared;
  // The UI text table: decimal id -> CStringUI*, owned.
  CStringMapUI languageTexts{83};
  // Registered control creators that the skin builder asks for unknown element names.
  CPtrArrayUI plugins;
  // Every live window manager in creation order, for the pre-translation over all windows.
  CPtrArrayUI liveManagers;
  // Skin folder and skin archive name. With an archive name, skin files are items of the
  // archive at resource folder + name (or of the block in memory); without one, files of the
  // folder.
  CStringUI resourceFolder;
  CStringUI resourceArchiveName;
  // A cached archive stays open for the whole run; otherwise each read opens and closes it.
  // archiveIs7z selects the reader for archives opened by name.
  UniqueSkinArchive cachedArchive;
  bool archiveCached = false;
  bool archiveIs7z = false;
  // The window's colour shift applied to colours and images that follow it.
  bool useHsl = false;
  short hue = 180;
  short saturation = 100;
  short lightness = 100;
  // Outlines painted rectangles of windows with "showdirty".
  Utils::UniquePen dirtyPen;
  // Pairs of parent window and its drop-shadow object: two pointers each, so 8 bytes in a
  // 32-bit process and 16 in a 64-bit one.
  CValArrayUI shadowPairs{static_cast<int>(2 * sizeof(void*)), 10};

  ~TProcessTablesUI();
};

TProcessTablesUI& ProcessTables();

}  // namespace SkinUI
