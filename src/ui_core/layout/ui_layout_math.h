#pragma once
// Arithmetic that every layout shares. Sizes, paddings and insets come from skin attributes,
// which are untrusted: sums are taken in 64 bits, and every coordinate handed to a child is
// clamped, so that no skin value can overflow a coordinate.
#include <windows.h>

#include <cstdint>

namespace SkinUI {

class CControlUI;
class CContainerUI;

namespace LayoutMath {

// Far beyond any screen, and the sum of two still fits an int.
constexpr int64_t kCoordLimit = 0x3FFFFFFF;

LONG ToCoord(int64_t value);
RECT MakeRect(int64_t left, int64_t top, int64_t right, int64_t bottom);

// Raised to the minimum, then lowered to the maximum (so the maximum wins).
int64_t Limit(int64_t value, int64_t minimum, int64_t maximum);
// value capped by the fixed size, or by the maximum when there is no fixed size.
int64_t CapByFixedOrMax(int64_t value, int fixed, int maximum);

// The child's padding as the layouts apply it. A negative side would let a child grow over its
// neighbours and out of its parent; it counts as 0, with a log line.
RECT PaddingOf(CControlUI* child);

// One scroll bar of a container as the layouts read it: position and range count only while the
// bar exists and is visible.
struct ScrollInfo {
  bool visible = false;
  int64_t pos = 0;
  int64_t range = 0;
};
ScrollInfo VerticalScroll(const CContainerUI& container);
ScrollInfo HorizontalScroll(const CContainerUI& container);

// The item rect less the inset and the visible bars' sizes, never inverted (an inset wider than
// the container leaves an empty client area at its left or top).
RECT ClientRect(const CContainerUI& container);

}  // namespace LayoutMath
}  // namespace SkinUI
