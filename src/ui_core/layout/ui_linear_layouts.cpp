// The vertical and the horizontal layout: one stacking algorithm and one separator drag, run
// along either axis. The main axis runs along the stack (vertical: heights), the cross axis
// across it.
#include <algorithm>
#include <cstdint>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/layout/ui_layout_math.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_geometry.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

using namespace LayoutMath;

namespace {

struct Axis {
  bool vertical;

  int64_t Main(const SIZE& s) const { return vertical ? s.cy : s.cx; }
  int64_t Cross(const SIZE& s) const { return vertical ? s.cx : s.cy; }
  int64_t Main(const POINT& p) const { return vertical ? p.y : p.x; }
  LONG& MainStart(RECT& r) const { return vertical ? r.top : r.left; }
  LONG& MainEnd(RECT& r) const { return vertical ? r.bottom : r.right; }
  int64_t MainStart(const RECT& r) const { return vertical ? r.top : r.left; }
  int64_t MainEnd(const RECT& r) const { return vertical ? r.bottom : r.right; }
  int64_t CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
  int64_t CrossEnd(const RECT& r) const { return vertical ? r.right : r.bottom; }
  int64_t MainLength(const RECT& r) const { return MainEnd(r) - MainStart(r); }
  int64_t CrossLength(const RECT& r) const { return CrossEnd(r) - CrossStart(r); }

  SIZE MakeSize(int64_t main, int64_t cross) const {
    const LONG m = ToCoord(main), c = ToCoord(cross);
    return vertical ? SIZE{c, m} : SIZE{m, c};
  }
  RECT MakeRect(int64_t mainStart, int64_t crossStart, int64_t mainEnd, int64_t crossEnd) const {
    return vertical ? LayoutMath::MakeRect(crossStart, mainStart, crossEnd, mainEnd)
                    : LayoutMath::MakeRect(mainStart, crossStart, mainEnd, crossEnd);
  }
};

// A child's size rules along the two axes.
struct Limits {
  int fixedMain, minMain, maxMain;
  int fixedCross, minCross, maxCross;
};

Limits LimitsOf(CControlUI* child, const Axis& axis) {
  if (axis.vertical) {
    return {child->GetFixedHeight(), child->GetMinHeight(), child->GetMaxHeight(),
            child->GetFixedWidth(),  child->GetMinWidth(),  child->GetMaxWidth()};
  }
  return {child->GetFixedWidth(),  child->GetMinWidth(),  child->GetMaxWidth(),
          child->GetFixedHeight(), child->GetMinHeight(), child->GetMaxHeight()};
}

// The padding of a child as before and after along both axes.
struct Pads {
  int64_t mainStart, mainEnd, crossStart, crossEnd;
  int64_t Main() const { return mainStart + mainEnd; }
  int64_t Cross() const { return crossStart + crossEnd; }
};

Pads PadsOf(CControlUI* child, const Axis& axis) {
  const RECT p = PaddingOf(child);
  if (axis.vertical) return {p.top, p.bottom, p.left, p.right};
  return {p.left, p.right, p.top, p.bottom};
}

enum class CrossAlign { Start, Center, End };

bool IsPlaced(CControlUI* child) { return child->IsVisible() && !child->IsFloat(); }

// Places the children of `layout` one after the other along the main axis. Children whose
// estimate along the main axis is 0 are adjustable and share what the others leave; the last
// adjustable one takes the rounding remainder.
void PlaceStack(CContainerUI& layout, const Axis& axis, CrossAlign align) {
  const RECT rc = ClientRect(layout);
  const int count = layout.GetCount();
  if (count == 0) {
    layout.ProcessScrollBar(rc, 0, 0);
    return;
  }
  const ScrollInfo mainBar = axis.vertical ? VerticalScroll(layout) : HorizontalScroll(layout);
  const ScrollInfo crossBar = axis.vertical ? HorizontalScroll(layout) : VerticalScroll(layout);
  const int64_t availMain = axis.MainLength(rc) + (mainBar.visible ? mainBar.range : 0);
  const int64_t availCross = axis.CrossLength(rc) + (crossBar.visible ? crossBar.range : 0);
  const int64_t padding = layout.GetChildPadding();
  // A horizontal child without a fixed width stretches whatever its estimate says.
  const bool stretchUnfixed = !axis.vertical;

  // First pass: what the fixed children need, and how many share the rest.
  int64_t placed = 0, adjustables = 0, needMain = 0, needCross = 0;
  for (int i = 0; i < count; ++i) {
    CControlUI* child = layout.GetItemAt(i);
    if (!IsPlaced(child)) continue;
    ++placed;
    const Pads p = PadsOf(child, axis);
    const Limits l = LimitsOf(child, axis);
    int64_t main = 0, cross = 0;
    if (stretchUnfixed && l.fixedMain == 0) {
      ++adjustables;
      cross = l.fixedCross;
    } else {
      const SIZE box = axis.MakeSize(CapByFixedOrMax(availMain, l.fixedMain, l.maxMain),
                                     CapByFixedOrMax(availCross - p.Cross(), l.fixedCross, l.maxCross));
      const SIZE sz = child->EstimateSize(box);
      main = axis.Main(sz);
      cross = axis.Cross(sz);
      if (main == 0) {
        ++adjustables;
      } else {
        main = Limit(main, l.minMain, l.maxMain);
      }
    }
    needMain += main + p.Main();
    cross = Limit(std::max<int64_t>(cross, 0), l.minCross, l.maxCross);
    needCross = std::max(needCross, cross + p.Cross());
  }
  if (placed > 0) needMain += padding * (placed - 1);
  const int64_t expand = adjustables > 0 ? std::max<int64_t>((availMain - needMain) / adjustables, 0) : 0;

  // Second pass: place them.
  int64_t pos = axis.MainStart(rc) - (mainBar.visible ? mainBar.pos : 0);
  int64_t fixedRemaining = needMain, remaining = availMain, adjustIndex = 0, estimateIndex = 0;
  int64_t usedMain = 0;
  for (int i = 0; i < count; ++i) {
    CControlUI* child = layout.GetItemAt(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      layout.SetFloatPos(i);
      continue;
    }
    ++estimateIndex;
    const Pads p = PadsOf(child, axis);
    const Limits l = LimitsOf(child, axis);
    remaining -= p.mainStart;
    const int64_t boxCross = CapByFixedOrMax(availCross - p.Cross(), l.fixedCross, l.maxCross);
    const SIZE box = axis.MakeSize(CapByFixedOrMax(remaining, l.fixedMain, l.maxMain), boxCross);
    fixedRemaining -= p.Main();
    if (estimateIndex > 1) fixedRemaining -= padding;

    int64_t main = axis.Main(child->EstimateSize(box));
    if (main == 0 || (stretchUnfixed && l.fixedMain == 0)) {
      ++adjustIndex;
      main = expand;
      if (adjustIndex == adjustables) {
        main = std::max<int64_t>(remaining - p.mainEnd - fixedRemaining, 0);
      }
      main = Limit(main, l.minMain, l.maxMain);
    } else {
      main = Limit(main, l.minMain, l.maxMain);
      fixedRemaining -= main;
    }

    int64_t cross = l.maxCross != 0 ? l.maxCross : availCross - p.Cross();
    cross = std::max<int64_t>(std::min(std::max<int64_t>(cross, 0), boxCross), l.minCross);

    int64_t crossStart = 0;
    switch (align) {
      case CrossAlign::Center: {
        int64_t c = (axis.CrossStart(rc) + axis.CrossEnd(rc)) / 2;
        if (crossBar.visible) c += crossBar.range / 2 - crossBar.pos;
        crossStart = c - cross / 2;
        break;
      }
      case CrossAlign::End: {
        int64_t c = axis.CrossEnd(rc);
        if (crossBar.visible) c += crossBar.range - crossBar.pos;
        crossStart = c - p.crossEnd - cross;
        break;
      }
      case CrossAlign::Start:
        crossStart = axis.CrossStart(rc) - (crossBar.visible ? crossBar.pos : 0) + p.crossStart;
        break;
    }
    const int64_t mainStart = pos + p.mainStart;
    child->SetPos(axis.MakeRect(mainStart, crossStart, mainStart + main, crossStart + cross), false);
    pos += main + padding + p.Main();
    remaining -= main + padding + p.mainEnd;
    usedMain += main + p.Main();
  }
  if (placed > 0) usedMain += padding * (placed - 1);
  const int64_t cxNeeded = axis.vertical ? needCross : usedMain;
  const int64_t cyNeeded = axis.vertical ? usedMain : needCross;
  layout.ProcessScrollBar(rc, ToCoord(cxNeeded), ToCoord(cyNeeded));
}

}  // namespace

// The separator band and its drag, for either axis of the shared base.
struct LinearLayoutOps {
  template <class Layout>
  static RECT SeparatorRect(const Layout& layout, bool useNew, const Axis& axis) {
    RECT rc = (useNew && (layout.buttonState_ & kSeparatorCaptured) != 0) ? layout.newPos_
                                                                          : layout.itemRect_;
    const int64_t s = layout.separatorSize_;
    // The band lies inside the source rectangle; a band wider than the layout covers it whole.
    if (s >= 0) {
      if (axis.MainStart(rc) < axis.MainEnd(rc) - s) axis.MainStart(rc) = ToCoord(axis.MainEnd(rc) - s);
    } else {
      if (axis.MainStart(rc) - s < axis.MainEnd(rc)) axis.MainEnd(rc) = ToCoord(axis.MainStart(rc) - s);
    }
    return rc;
  }

  template <class Layout>
  static void SetImmediate(Layout& layout, bool immediate) {
    if (layout.immediateMode_ == immediate) return;
    if ((layout.buttonState_ & kSeparatorCaptured) != 0 && !layout.immediateMode_ &&
        layout.manager_ != nullptr) {
      layout.manager_->RemovePostPaint(&layout);
    }
    layout.immediateMode_ = immediate;
  }

  // True when the event was the separator's.
  template <class Layout>
  static bool HandleEvent(Layout& layout, TInputEventUI& event, const Axis& axis) {
    if (layout.separatorSize_ == 0) return false;
    const bool captured = (layout.buttonState_ & kSeparatorCaptured) != 0;
    switch (event.type) {
      case kEventButtonDown:
        if (!layout.IsEnabled()) return false;
        {
          const RECT band = SeparatorRect(layout, false, axis);
          if (!::PtInRect(&band, event.mousePoint)) return false;
        }
        layout.buttonState_ |= kSeparatorCaptured;
        layout.lastMouse_ = event.mousePoint;
        layout.newPos_ = layout.itemRect_;
        if (!layout.immediateMode_ && layout.manager_ != nullptr) layout.manager_->AddPostPaint(&layout);
        return true;
      case kEventButtonUp:
        if (!captured) return false;
        layout.buttonState_ &= ~kSeparatorCaptured;
        layout.itemRect_ = layout.newPos_;
        if (!layout.immediateMode_ && layout.manager_ != nullptr) layout.manager_->RemovePostPaint(&layout);
        layout.NeedParentUpdate();
        return true;
      case kEventMouseMove:
        if (!captured) return false;
        Drag(layout, event.mousePoint, axis);
        return true;
      case kEventSetCursor:
        if (!layout.IsEnabled()) return false;
        {
          const RECT band = SeparatorRect(layout, false, axis);
          if (!::PtInRect(&band, event.mousePoint)) return false;
        }
        ::SetCursor(::LoadCursorW(nullptr, axis.vertical ? IDC_SIZENS : IDC_SIZEWE));
        return true;
      default:
        return false;
    }
  }

  template <class Layout>
  static void Drag(Layout& layout, POINT point, const Axis& axis) {
    const int64_t delta = axis.Main(point) - axis.Main(layout.lastMouse_);
    layout.lastMouse_ = point;
    const int64_t s = layout.separatorSize_;
    const int64_t at = axis.Main(point);
    const RECT& now = layout.newPos_;
    RECT rc = now;
    // The edge follows the pointer only once the pointer has left the band on that side.
    if (s >= 0) {
      if ((delta > 0 && at < axis.MainEnd(now) + s) || (delta < 0 && at > axis.MainEnd(now))) return;
      axis.MainEnd(rc) = ToCoord(axis.MainEnd(rc) + delta);
    } else {
      if ((delta > 0 && at < axis.MainStart(now)) || (delta < 0 && at > axis.MainStart(now) + s)) return;
      axis.MainStart(rc) = ToCoord(axis.MainStart(rc) + delta);
    }
    // A drag stops at the minimum and the maximum length; further steps that way are ignored.
    const Limits l = LimitsOf(&layout, axis);
    if (axis.MainLength(rc) <= l.minMain) {
      if (axis.MainLength(now) <= l.minMain) return;
      SetLength(rc, l.minMain, s >= 0, axis);
    }
    if (axis.MainLength(rc) >= l.maxMain) {
      if (axis.MainLength(now) >= l.maxMain) return;
      SetLength(rc, l.maxMain, s >= 0, axis);
    }
    const RECT oldBand = SeparatorRect(layout, true, axis);
    layout.newPos_ = rc;
    const LONG length = ToCoord(axis.MainLength(rc));
    if (axis.vertical) {
      layout.fixedSize_.cy = length;
    } else {
      layout.fixedSize_.cx = length;
    }
    if (layout.immediateMode_) {
      layout.itemRect_ = layout.newPos_;
      layout.NeedParentUpdate();
    } else if (layout.manager_ != nullptr) {
      CRectUI dirty(oldBand);
      dirty.Join(SeparatorRect(layout, true, axis));
      dirty.Join(SeparatorRect(layout, false, axis));
      layout.manager_->Invalidate(dirty);
    }
  }

  // Moves the edge being dragged so that the rectangle has the given length.
  static void SetLength(RECT& rc, int64_t length, bool endEdge, const Axis& axis) {
    if (endEdge) {
      axis.MainEnd(rc) = ToCoord(axis.MainStart(rc) + length);
    } else {
      axis.MainStart(rc) = ToCoord(axis.MainEnd(rc) - length);
    }
  }

  template <class Layout>
  static void PostPaint(Layout& layout, HDC hDC, const Axis& axis) {
    if ((layout.buttonState_ & kSeparatorCaptured) != 0 && !layout.immediateMode_) {
      CRenderUI::DrawColor(hDC, SeparatorRect(layout, true, axis), 0xAA000000);
    }
  }

  template <class Layout>
  static UINT ControlFlags(const Layout& layout) {
    return layout.IsEnabled() && layout.separatorSize_ != 0 ? kControlFlagSetCursor : 0;
  }
};

namespace {
constexpr Axis AxisOf(bool vertical) { return Axis{vertical}; }

CrossAlign HorizontalAlign(UINT align) {
  if (align == DT_CENTER) return CrossAlign::Center;
  if (align == DT_RIGHT) return CrossAlign::End;
  return CrossAlign::Start;
}

CrossAlign VerticalAlign(UINT align) {
  if (align == DT_VCENTER) return CrossAlign::Center;
  if (align == DT_BOTTOM) return CrossAlign::End;
  return CrossAlign::Start;
}
}  // namespace

// ---- CLinearLayoutUI ----

template <bool Vertical>
UINT CLinearLayoutUI<Vertical>::GetControlFlags() const {
  return LinearLayoutOps::ControlFlags(*this);
}

template <bool Vertical>
void CLinearLayoutUI<Vertical>::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  // A vertical stack aligns its children across by "childalign", a row by "childvalign".
  PlaceStack(*this, AxisOf(Vertical),
             Vertical ? HorizontalAlign(GetChildAlign()) : VerticalAlign(GetChildVAlign()));
}

template <bool Vertical>
void CLinearLayoutUI<Vertical>::DoEvent(TInputEventUI& event) {
  if (!LinearLayoutOps::HandleEvent(*this, event, AxisOf(Vertical))) CContainerUI::DoEvent(event);
}

template <bool Vertical>
void CLinearLayoutUI<Vertical>::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;  // an attribute without a name sets nothing
  if (NameIs(name, Vertical ? L"sepheight" : L"sepwidth")) {
    separatorSize_ = ParseAttributeInt(value);
  } else if (NameIs(name, L"sepimm")) {
    SetSepImmMode(ParseAttributeBool(value));
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

template <bool Vertical>
void CLinearLayoutUI<Vertical>::DoPostPaint(HDC hDC, const RECT& /*paint*/) {
  LinearLayoutOps::PostPaint(*this, hDC, AxisOf(Vertical));
}

template <bool Vertical>
void CLinearLayoutUI<Vertical>::SetSepImmMode(bool immediate) {
  LinearLayoutOps::SetImmediate(*this, immediate);
}

template <bool Vertical>
RECT CLinearLayoutUI<Vertical>::GetSeparatorRect(bool useNew) const {
  return LinearLayoutOps::SeparatorRect(*this, useNew, AxisOf(Vertical));
}

template class CLinearLayoutUI<true>;
template class CLinearLayoutUI<false>;

// ---- CVerticalLayoutUI, CHorizontalLayoutUI ----

CVerticalLayoutUI::CVerticalLayoutUI() = default;

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayout"; }

void* CVerticalLayoutUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"VerticalLayout")) return this;
  return CContainerUI::GetInterface(name);
}

CHorizontalLayoutUI::CHorizontalLayoutUI() = default;

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayout"; }

void* CHorizontalLayoutUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"HorizontalLayout")) return this;
  return CContainerUI::GetInterface(name);
}

}  // namespace SkinUI
