#pragma once
// The installer's skin: every window is built from one layout file of the skin archive that the
// program carries as its "ZIPRES" resource 147.
#include "ui_core/window/ui_window_impl.h"

namespace App {

extern const wchar_t kMainWndSkin[];            // "MainWnd.xml" (stored as "mainWnd.xml")
extern const wchar_t kMessageBox1Skin[];        // notices with one way out
extern const wchar_t kMessageBox2Skin[];        // refusals and failures
extern const wchar_t kNetworkTipSkin[];         // a failed download: retry or later
extern const wchar_t kExitTipSkin[];            // leaving before the finish page
extern const wchar_t kInstalledPathTipSkin[];   // an earlier installation: update or open it

// The frame settings of a window built from `skinFile` of the embedded archive; its window class
// is the file name up to its first dot.
SkinUI::TSkinInfoUI SkinInfoFor(const wchar_t* skinFile);

}  // namespace App
