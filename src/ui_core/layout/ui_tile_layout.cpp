// The grid of equal cells: as many columns as fit (or a fixed number), the room left over spread
// between the columns when no child padding is given.
#include <algorithm>
#include <cstdint>

#include "base/log.h"
#include "ui_core/layout/ui_layout_math.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

using namespace LayoutMath;

namespace {

// The offset of a child of `size` inside `room` by alignment (start, centre or end).
int64_t AlignOffset(int64_t room, int64_t size, bool center, bool end) {
  if (center) return (room - size) / 2;
  if (end) return room - size;
  return 0;
}

}  // namespace

CTileLayoutUI::CTileLayoutUI() = default;

const wchar_t* CTileLayoutUI::GetClass() const { return L"TileLayout"; }

void* CTileLayoutUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"TileLayout")) return this;
  return CContainerUI::GetInterface(name);
}

void CTileLayoutUI::SetItemSize(SIZE size) {
  if (size.cx <= 0 || size.cy < 0) {
    UTILS_LOG(L"tile item size %ld,%ld of \"%ls\" refused\r\n", size.cx, size.cy, name_.GetData());
    return;
  }
  if (size.cx == itemSize_.cx && size.cy == itemSize_.cy) return;
  itemSize_ = size;
  NeedUpdate();
}

void CTileLayoutUI::SetFixedColumns(int columns) {
  if (columns < 0) {
    UTILS_LOG(L"tile columns %d of \"%ls\" ignored\r\n", columns, name_.GetData());
    return;
  }
  fixedColumns_ = columns;
  NeedUpdate();
}

void CTileLayoutUI::SetChildVPadding(int padding) {
  childVPadding_ = std::max(padding, 0);
  NeedUpdate();
}

void CTileLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;  // an attribute without a name sets nothing
  if (NameIs(name, L"itemsize")) {
    SetItemSize(ParseAttributeSize(value));
  } else if (NameIs(name, L"columns")) {
    SetFixedColumns(ParseAttributeInt(value));
  } else if (NameIs(name, L"childvpadding")) {
    SetChildVPadding(ParseAttributeInt(value));
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

void CTileLayoutUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  const RECT client = ClientRect(*this);
  if (items_.IsEmpty()) {
    ProcessScrollBar(client, 0, 0);
    return;
  }
  const ScrollInfo hbar = HorizontalScroll(*this);
  const ScrollInfo vbar = VerticalScroll(*this);
  // The setters refuse sizes that would leave the column count undefined; a derived class
  // writing the field directly must not be able to divide by zero either.
  const int64_t itemWidth = std::max<int64_t>(itemSize_.cx, 1);
  const int64_t itemHeight = std::max<int64_t>(itemSize_.cy, 0);
  const int64_t width = client.right - client.left;
  int64_t cxNeeded = width + (hbar.visible ? hbar.range : 0);
  int64_t placed = 0;
  for (int i = 0; i < items_.GetSize(); ++i) {
    auto* child = static_cast<CControlUI*>(items_[i]);
    if (child->IsVisible() && !child->IsFloat()) ++placed;
  }

  int64_t gap = childPadding_;
  int64_t columns = 1;
  if (fixedColumns_ == 0) {
    if (width >= itemWidth) {
      columns = width / itemWidth;
      if (columns > 1 && gap <= 0) gap = (width - columns * itemWidth) / (columns - 1);
      if (gap < 0 || columns <= 1) gap = 0;
      cxNeeded = width;
    } else {
      cxNeeded = itemWidth;
    }
  } else {
    columns = fixedColumns_;
    if (columns > 1 && gap <= 0) {
      const int64_t room =
          hbar.visible && width >= columns * itemWidth ? width : cxNeeded;
      gap = std::max<int64_t>((room - columns * itemWidth) / (columns - 1), 0);
    }
    if (columns == 1) gap = 0;
    const int64_t filled = placed >= columns ? columns : placed;
    cxNeeded = std::max<int64_t>(itemWidth * filled + gap * (filled - 1), 0);
  }
  const int64_t rows = (placed - 1) / columns + 1;
  const int64_t cyNeeded = std::max<int64_t>(itemHeight * rows + childVPadding_ * (rows - 1), 0);
  columns_ = ToCoord(columns);
  rows_ = ToCoord(rows);

  const bool center = childAlign_ == DT_CENTER, right = childAlign_ == DT_RIGHT;
  const bool vcenter = childVAlign_ == DT_VCENTER, bottom = childVAlign_ == DT_BOTTOM;
  for (int i = 0; i < items_.GetSize(); ++i) {
    auto* child = static_cast<CControlUI*>(items_[i]);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    // The cell less the child's padding is the room the child is aligned in.
    const RECT p = PaddingOf(child);
    const int64_t roomWidth = std::max<int64_t>(itemWidth - p.left - p.right, 0);
    const int64_t roomHeight = std::max<int64_t>(itemHeight - p.top - p.bottom, 0);
    const int64_t w = std::max<int64_t>(std::min<int64_t>(roomWidth, child->GetMaxWidth()), 0);
    const int64_t h = std::max<int64_t>(std::min<int64_t>(roomHeight, child->GetMaxHeight()), 0);
    const int64_t x = client.left + (itemWidth + gap) * (i % columns) - (hbar.visible ? hbar.pos : 0);
    const int64_t y = client.top + (itemHeight + childVPadding_) * (i / columns) -
                      (vbar.visible ? vbar.pos : 0);
    const int64_t left = x + p.left + AlignOffset(roomWidth, w, center, right);
    const int64_t top = y + p.top + AlignOffset(roomHeight, h, vcenter, bottom);
    child->SetPos(MakeRect(left, top, left + w, top + h), false);
  }
  ProcessScrollBar(client, ToCoord(cxNeeded), ToCoord(cyNeeded));
}

}  // namespace SkinUI
