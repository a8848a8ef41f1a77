#pragma once
// GDI+ for the controls that draw with it (the label's text effects). One session serves the
// whole process: it starts on first use and shuts down when the process ends, after every
// control is gone.
#include <windows.h>
#include <objidl.h>  // GDI+ needs the COM property types that WIN32_LEAN_AND_MEAN leaves out

#include <gdiplus.h>

namespace SkinUI {

// Starts the process's GDI+ session unless it runs already; false when GDI+ cannot start (the
// caller then draws without it). UI thread.
bool EnsureGdiplus();

}  // namespace SkinUI
