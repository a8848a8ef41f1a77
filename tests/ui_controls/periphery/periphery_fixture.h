#pragma once
// What the tests of the rich edit, the date field and the animated GIF share: skins built from
// mark-up into a real window, and pixel checks on the colour alone (GDI leaves the alpha byte of
// what it draws at 0).
#include <windows.h>

#include <cstdint>

#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

namespace PeripheryTest {

// Builds the skin (with the controls library's element names known) and attaches it to host;
// the root, or null when the skin was refused.
SkinUI::CControlUI* BuildSkin(TestSupport::TestHostWindow& host, const wchar_t* xml);

// Whether a pixel's colour (0xRRGGBB, alpha ignored) is within 3 of rgb in each channel.
bool RgbNear(uint32_t pixel, uint32_t rgb);
bool AllRgb(const TestSupport::DibCanvas& canvas, const RECT& rc, uint32_t rgb);
int CountRgbInColumn(const TestSupport::DibCanvas& canvas, int x, int top, int bottom,
                     uint32_t rgb);

}  // namespace PeripheryTest
