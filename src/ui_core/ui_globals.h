#pragma once
// Process-wide tables of the framework. They are built during static initialisation, before the
// program's entry function runs, and live until the process exits; every window shares them.
#include "ui_core/skin_archive.h"
#include "ui_core/ui_arrays.h"
#include "ui_core/ui_string.h"
#include "ui_core/ui_string_map.h"

namespace SkinUI {

struct TProcessTablesUI {
  // Face of the shared default font; empty until the first window manager is made.
  CStringUI defaultFontFace;
  CStringMapUI sharedFonts{83};
  CStringMapUI sharedImages{83};
  CStringMapUI sharedAttributeLists{83};
  CStringMapUI languageTexts{83};
  // Registered control creators that the skin builder asks for unknown element names.
  CPtrArrayUI plugins;
  // Every live window manager, for the message pre-translation that spans all windows.
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
  // Pairs of parent window and its drop-shadow object: two pointers each, so 8 bytes in a
  // 32-bit process and 16 in a 64-bit one.
  CValArrayUI shadowPairs{static_cast<int>(2 * sizeof(void*)), 10};
};

TProcessTablesUI& ProcessTables();

}  // namespace SkinUI
