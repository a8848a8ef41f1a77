#include "periphery_fixture.h"

#include "ui_controls/ui_controls.h"
#include "ui_core/layout/ui_skin_builder.h"

namespace PeripheryTest {

SkinUI::CControlUI* BuildSkin(TestSupport::TestHostWindow& host, const wchar_t* xml) {
  SkinUI::RegisterStandardControls();
  SkinUI::CSkinBuilderUI builder;
  SkinUI::CControlUI* root =
      builder.Create(SkinUI::CStringOrIdUI(xml), nullptr, nullptr, &host.manager());
  if (root == nullptr || !host.Attach(root)) return nullptr;
  return root;
}

bool RgbNear(uint32_t pixel, uint32_t rgb) {
  return TestSupport::ColorNear(pixel & 0xFFFFFF, rgb & 0xFFFFFF, 3);
}

bool AllRgb(const TestSupport::DibCanvas& canvas, const RECT& rc, uint32_t rgb) {
  for (int y = rc.top; y < rc.bottom; ++y) {
    for (int x = rc.left; x < rc.right; ++x) {
      if (!RgbNear(canvas.Pixel(x, y), rgb)) return false;
    }
  }
  return true;
}

int CountRgbInColumn(const TestSupport::DibCanvas& canvas, int x, int top, int bottom,
                     uint32_t rgb) {
  int count = 0;
  for (int y = top; y < bottom; ++y) count += RgbNear(canvas.Pixel(x, y), rgb) ? 1 : 0;
  return count;
}

}  // namespace PeripheryTest
