#include "ui_core/layout/ui_layout_math.h"

#include <algorithm>

#include "base/log.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_scrollbar.h"

namespace SkinUI {
namespace LayoutMath {

LONG ToCoord(int64_t value) {
  return static_cast<LONG>(std::min(std::max(value, -kCoordLimit), kCoordLimit));
}

RECT MakeRect(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  return RECT{ToCoord(left), ToCoord(top), ToCoord(right), ToCoord(bottom)};
}

int64_t Limit(int64_t value, int64_t minimum, int64_t maximum) {
  return std::min(std::max(value, minimum), maximum);
}

int64_t CapByFixedOrMax(int64_t value, int fixed, int maximum) {
  return std::min<int64_t>(value, fixed > 0 ? fixed : maximum);
}

RECT PaddingOf(CControlUI* child) {
  RECT p = child->GetPadding();
  if (p.left < 0 || p.top < 0 || p.right < 0 || p.bottom < 0) {
    UTILS_LOG(L"negative padding %ld,%ld,%ld,%ld of \"%ls\" counts as 0\r\n", p.left, p.top,
              p.right, p.bottom, child->GetName().GetData());
    p.left = std::max<LONG>(p.left, 0);
    p.top = std::max<LONG>(p.top, 0);
    p.right = std::max<LONG>(p.right, 0);
    p.bottom = std::max<LONG>(p.bottom, 0);
  }
  return p;
}

namespace {
ScrollInfo ReadBar(const CScrollBarUI* bar) {
  ScrollInfo info;
  if (bar != nullptr && bar->IsVisible()) {
    info.visible = true;
    info.pos = bar->GetScrollPos();
    info.range = bar->GetScrollRange();
  }
  return info;
}
}  // namespace

ScrollInfo VerticalScroll(const CContainerUI& container) {
  return ReadBar(container.GetVerticalScrollBar());
}

ScrollInfo HorizontalScroll(const CContainerUI& container) {
  return ReadBar(container.GetHorizontalScrollBar());
}

RECT ClientRect(const CContainerUI& container) {
  RECT rc = container.CContainerUI::GetClientPos();
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  return rc;
}

}  // namespace LayoutMath
}  // namespace SkinUI
