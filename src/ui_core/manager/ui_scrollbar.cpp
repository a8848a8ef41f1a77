#include "ui_core/manager/ui_scrollbar.h"

#include <algorithm>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_clamp.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr int kDefaultThickness = 16;
// A held button scrolls once at once, then on every tick after this many.
constexpr int kRepeatDelayTicks = 5;

void SetBit(UINT& state, UINT bit, bool on) {
  if (on) {
    state |= bit;
  } else {
    state &= ~bit;
  }
}

}  // namespace

CScrollBarUI::CScrollBarUI() { fixedSize_.cx = kDefaultThickness; }

CScrollBarUI::~CScrollBarUI() = default;

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBar"; }

void* CScrollBarUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ScrollBar")) return this;
  return CControlUI::GetInterface(name);
}

// --- properties -------------------------------------------------------------------------------

void CScrollBarUI::SetHorizontal(bool horizontal) {
  horizontal_ = horizontal;
  if (horizontal && fixedSize_.cy == 0) fixedSize_ = SIZE{0, kDefaultThickness};
  if (!horizontal && fixedSize_.cx == 0) fixedSize_ = SIZE{kDefaultThickness, 0};
  if (owner_ != nullptr) {
    owner_->NeedUpdate();
  } else {
    NeedParentUpdate();
  }
}

void CScrollBarUI::SetScrollRange(int range) {
  if (range_ == range) return;
  range_ = std::max(range, 0);
  if (position_ > range_) position_ = range_;
  SetPos(itemRect_, true);
}

void CScrollBarUI::SetScrollPos(int pos, bool notify) {
  long long wanted = std::max(pos, 0);
  if (scrollUnit_ > 1) {
    const long long remainder = wanted % scrollUnit_;
    wanted += remainder < scrollUnit_ / 2 ? -remainder : scrollUnit_ - remainder;
  }
  const int next = static_cast<int>(std::min<long long>(wanted, range_));
  // Compared after clamping and snapping: a request that lands where the bar is changes
  // nothing and tells nobody.
  if (next == position_) return;
  const int old = position_;
  position_ = next;
  SetPos(itemRect_, true);
  if (notify && manager_ != nullptr) {
    manager_->SendNotify(this, L"scroll", static_cast<WPARAM>(position_),
                         static_cast<LPARAM>(old), true);
  }
}

int CScrollBarUI::GetLineSize() const { return scrollUnit_ > 1 ? scrollUnit_ : lineSize_; }

void CScrollBarUI::SetLineSize(int size) {
  if (size < 0) return;
  lineSize_ = size;
}

void CScrollBarUI::SetScrollUnit(int unit) {
  if (unit < 0) return;
  scrollUnit_ = unit;
}

void CScrollBarUI::SetShowButton1(bool show) {
  showButton1_ = show;
  SetPos(itemRect_, true);
}

void CScrollBarUI::SetShowButton2(bool show) {
  showButton2_ = show;
  SetPos(itemRect_, true);
}

void CScrollBarUI::SetEnabled(bool enabled) {
  CControlUI::SetEnabled(enabled);
  if (!IsEnabled()) {
    button1State_ = 0;
    button2State_ = 0;
    thumbState_ = 0;
  }
}

void CScrollBarUI::SetFocus() {
  if (owner_ != nullptr) {
    owner_->SetFocus();
  } else {
    CControlUI::SetFocus();
  }
}

void CScrollBarUI::SetVisible(bool visible) {
  // The owner's scroll-bar processing lays the container out; the bar itself asks for nothing.
  if (visible_ == visible) return;
  visible_ = visible;
  focused_ = false;
}

// --- placement --------------------------------------------------------------------------------

RECT CScrollBarUI::PartRect(int alongFrom, int alongTo, int acrossFrom, int acrossTo) const {
  if (horizontal_) return RECT{alongFrom, acrossFrom, alongTo, acrossTo};
  return RECT{acrossFrom, alongFrom, acrossTo, alongTo};
}

void CScrollBarUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  const RECT& item = itemRect_;
  const int start = horizontal_ ? item.left : item.top;
  const int end = horizontal_ ? item.right : item.bottom;
  const int across = horizontal_ ? item.top : item.left;
  const long long t = std::max(Thickness(), 0);
  const long long length = static_cast<long long>(end) - start;
  long long track = length;
  if (showButton1_) track -= t;
  if (showButton2_) track -= t;
  const int acrossEnd = ClampToInt(across + t);

  if (track > t) {
    button1Rect_ = showButton1_ ? PartRect(start, ClampToInt(start + t), across, acrossEnd)
                                : PartRect(start, start, across, across);
    button2Rect_ = showButton2_ ? PartRect(ClampToInt(end - t), end, across, acrossEnd)
                                : PartRect(end, end, across, across);
    const int button1End = horizontal_ ? button1Rect_.right : button1Rect_.bottom;
    const int button2Start = horizontal_ ? button2Rect_.left : button2Rect_.top;
    long long thumbStart = button1End;
    long long thumbEnd = button2Start;
    if (range_ > 0) {
      const long long thumbLength = std::max(length * track / (range_ + length), t);
      thumbStart = position_ * (track - thumbLength) / range_ + button1End;
      thumbEnd = thumbStart + thumbLength;
      if (thumbEnd > button2Start) {
        thumbEnd = button2Start;
        thumbStart = thumbEnd - thumbLength;
      }
    }
    thumbRect_ = PartRect(ClampToInt(thumbStart), ClampToInt(thumbEnd), across, acrossEnd);
  } else {
    // Too short for a thumb: the two buttons share the length.
    const int button = static_cast<int>(std::min(length / 2, t));
    button1Rect_ = showButton1_ ? PartRect(start, AddClamped(start, button), across, acrossEnd)
                                : PartRect(start, start, across, across);
    button2Rect_ = showButton2_ ? PartRect(SubClamped(end, button), end, across, acrossEnd)
                                : PartRect(end, end, across, across);
    thumbRect_ = RECT{0, 0, 0, 0};
  }
}

// --- steps ------------------------------------------------------------------------------------

void CScrollBarUI::Step(bool page, bool forward) {
  if (owner_ != nullptr) {
    // [horizontal][page][forward]
    static void (CContainerUI::*const kOwnerSteps[2][2][2])() = {
        {{&CContainerUI::LineUp, &CContainerUI::LineDown},
         {&CContainerUI::PageUp, &CContainerUI::PageDown}},
        {{&CContainerUI::LineLeft, &CContainerUI::LineRight},
         {&CContainerUI::PageLeft, &CContainerUI::PageRight}}};
    (owner_->*kOwnerSteps[horizontal_][page][forward])();
    return;
  }
  const int amount = page ? Length() : GetLineSize();
  SetScrollPos(forward ? AddClamped(position_, amount) : SubClamped(position_, amount), true);
}

void CScrollBarUI::PageStepToward(POINT pt) {
  const int along = Along(pt);
  const int thumbStart = horizontal_ ? thumbRect_.left : thumbRect_.top;
  const int thumbEnd = horizontal_ ? thumbRect_.right : thumbRect_.bottom;
  if (along < thumbStart) {
    Step(true, false);
  } else if (along > thumbEnd) {
    Step(true, true);
  }
}

// --- events -----------------------------------------------------------------------------------

void CScrollBarUI::DoEvent(TInputEventUI& event) {
  const bool mouseEvent = event.type >= kEventMouseFirst && event.type <= kEventMouseLast;
  if (mouseEvent && !IsMouseEnabled()) {
    if (owner_ != nullptr) {
      owner_->DoEvent(event);
    } else {
      CControlUI::DoEvent(event);
    }
    return;
  }

  const POINT pt = event.mousePoint;
  switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
    case kEventContextMenu:
      return;

    case kEventButtonDown:
    case kEventDblClick:
      if (!IsEnabled()) break;
      lastOffset_ = 0;
      repeatCount_ = 0;
      if (manager_ != nullptr) manager_->SetTimer(this, kScrollBarTimerId, kScrollBarTimerElapse);
      if (::PtInRect(&button1Rect_, pt)) {
        button1State_ |= kScrollStatePushed;
        Invalidate();
        Step(false, false);
      } else if (::PtInRect(&button2Rect_, pt)) {
        button2State_ |= kScrollStatePushed;
        Invalidate();
        Step(false, true);
      } else if (::PtInRect(&thumbRect_, pt)) {
        thumbState_ |= kScrollStateCaptured | kScrollStatePushed;
        lastMouse_ = pt;
        lastPosition_ = position_;
        Invalidate();
      } else {
        PageStepToward(pt);
      }
      return;

    case kEventButtonUp:
      repeatCount_ = 0;
      lastOffset_ = 0;
      if (manager_ != nullptr) manager_->KillTimer(this, kScrollBarTimerId);
      if ((thumbState_ & kScrollStateCaptured) != 0) {
        thumbState_ &= ~(kScrollStateCaptured | kScrollStatePushed);
        Invalidate();
      } else if ((button1State_ & kScrollStatePushed) != 0) {
        button1State_ &= ~kScrollStatePushed;
        Invalidate();
      } else if ((button2State_ & kScrollStatePushed) != 0) {
        button2State_ &= ~kScrollStatePushed;
        Invalidate();
      }
      return;

    case kEventMouseMove:
      if ((thumbState_ & kScrollStateCaptured) != 0) {
        const int thumbLength = horizontal_ ? thumbRect_.right - thumbRect_.left
                                            : thumbRect_.bottom - thumbRect_.top;
        long long track = static_cast<long long>(Length()) - thumbLength;
        if (showButton1_) track -= Thickness();
        if (showButton2_) track -= Thickness();
        // No room to drag in: the movement means nothing.
        if (track <= 0) return;
        const long long moved = static_cast<long long>(Along(pt)) - Along(lastMouse_);
        lastOffset_ = ClampToInt(moved * range_ / track);
        return;
      }
      if ((thumbState_ & kScrollStateHot) != 0) {
        if (!::PtInRect(&thumbRect_, pt)) {
          thumbState_ &= ~kScrollStateHot;
          Invalidate();
        }
      } else if (IsEnabled() && ::PtInRect(&thumbRect_, pt)) {
        thumbState_ |= kScrollStateHot;
        Invalidate();
      }
      return;

    case kEventTimer:
      if (event.wParam != kScrollBarTimerId) break;
      OnTimerTick();
      return;

    case kEventMouseEnter:
      if (::PtInRect(&itemRect_, pt) && IsEnabled()) {
        button1State_ |= kScrollStateHot;
        button2State_ |= kScrollStateHot;
        if (::PtInRect(&thumbRect_, pt)) thumbState_ |= kScrollStateHot;
        Invalidate();
      }
      break;

    case kEventMouseLeave:
      if (::PtInRect(&itemRect_, pt)) {
        // Still over the bar (the leave came from a part): wait for the real leave.
        if (manager_ != nullptr) manager_->AddMouseLeaveTracking(this);
        return;
      }
      if (IsEnabled()) {
        button1State_ &= ~kScrollStateHot;
        button2State_ &= ~kScrollStateHot;
        thumbState_ &= ~kScrollStateHot;
        Invalidate();
      }
      if (manager_ != nullptr) manager_->RemoveMouseLeaveTracking(this);
      break;

    default:
      break;
  }
  if (owner_ != nullptr) {
    owner_->DoEvent(event);
  } else {
    CControlUI::DoEvent(event);
  }
}

void CScrollBarUI::OnTimerTick() {
  ++repeatCount_;
  if ((thumbState_ & kScrollStateCaptured) != 0) {
    const int target = AddClamped(lastPosition_, lastOffset_);
    if (owner_ != nullptr) {
      const SIZE current = owner_->GetScrollPos();
      owner_->SetScrollPos(horizontal_ ? SIZE{target, current.cy} : SIZE{current.cx, target});
    } else {
      SetScrollPos(target, true);
    }
    Invalidate();
    return;
  }
  if (repeatCount_ <= kRepeatDelayTicks) return;
  if ((button1State_ & kScrollStatePushed) != 0) {
    Step(false, false);
  } else if ((button2State_ & kScrollStatePushed) != 0) {
    Step(false, true);
  } else if (manager_ != nullptr) {
    POINT pt = {0, 0};
    ::GetCursorPos(&pt);
    ::ScreenToClient(manager_->GetPaintWindow(), &pt);
    PageStepToward(pt);
  }
}

// --- attributes -------------------------------------------------------------------------------

void CScrollBarUI::SetImage(TImageDescUI& image, const wchar_t* description) {
  if (image.IsLoaded(description)) return;
  image.SetDescription(description);
  Invalidate();
}

void CScrollBarUI::SetPartColor(DWORD& field, const wchar_t* value) {
  const DWORD color = ParseAttributeColor(value);
  if (color == field) return;
  field = color;
  Invalidate();
}

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  const wchar_t* text = value != nullptr ? value : L"";
  struct ImageAttribute {
    const wchar_t* name;
    TImageDescUI CScrollBarUI::*image;
  };
  static const ImageAttribute kImages[] = {
      {L"button1normalimage", &CScrollBarUI::button1Normal_},
      {L"button1hotimage", &CScrollBarUI::button1Hot_},
      {L"button1pushedimage", &CScrollBarUI::button1Pushed_},
      {L"button1disabledimage", &CScrollBarUI::button1Disabled_},
      {L"button2normalimage", &CScrollBarUI::button2Normal_},
      {L"button2hotimage", &CScrollBarUI::button2Hot_},
      {L"button2pushedimage", &CScrollBarUI::button2Pushed_},
      {L"button2disabledimage", &CScrollBarUI::button2Disabled_},
      {L"thumbnormalimage", &CScrollBarUI::thumbNormal_},
      {L"thumbhotimage", &CScrollBarUI::thumbHot_},
      {L"thumbpushedimage", &CScrollBarUI::thumbPushed_},
      {L"thumbdisabledimage", &CScrollBarUI::thumbDisabled_},
      {L"railnormalimage", &CScrollBarUI::railNormal_},
      {L"railhotimage", &CScrollBarUI::railHot_},
      {L"railpushedimage", &CScrollBarUI::railPushed_},
      {L"raildisabledimage", &CScrollBarUI::railDisabled_},
      {L"bknormalimage", &CScrollBarUI::bkNormal_},
      {L"bkhotimage", &CScrollBarUI::bkHot_},
      {L"bkpushedimage", &CScrollBarUI::bkPushed_},
      {L"bkdisabledimage", &CScrollBarUI::bkDisabled_},
  };
  if (NameIs(name, L"button1color")) {
    SetPartColor(button1Color_, text);
  } else if (NameIs(name, L"button2color")) {
    SetPartColor(button2Color_, text);
  } else if (NameIs(name, L"thumbcolor")) {
    SetPartColor(thumbColor_, text);
  } else if (NameIs(name, L"hor")) {
    SetHorizontal(ParseAttributeBool(text));
  } else if (NameIs(name, L"linesize")) {
    SetLineSize(ParseAttributeInt(text));
  } else if (NameIs(name, L"range")) {
    SetScrollRange(ParseAttributeInt(text));
  } else if (NameIs(name, L"value")) {
    SetScrollPos(ParseAttributeInt(text), true);
  } else if (NameIs(name, L"scrollunit")) {
    SetScrollUnit(ParseAttributeInt(text));
  } else if (NameIs(name, L"showbutton1")) {
    SetShowButton1(ParseAttributeBool(text));
  } else if (NameIs(name, L"showbutton2")) {
    SetShowButton2(ParseAttributeBool(text));
  } else {
    for (const ImageAttribute& entry : kImages) {
      if (NameIs(name, entry.name)) {
        SetImage(this->*entry.image, text);
        return;
      }
    }
    CControlUI::SetAttribute(name, value);
  }
}

// --- painting ---------------------------------------------------------------------------------

bool CScrollBarUI::DrawPartImage(HDC hDC, const RECT& part, TImageDescUI& image) {
  if (image.description.IsEmpty()) return false;
  return CRenderUI::DrawImageString(hDC, manager_, part, paintRect_, image);
}

void CScrollBarUI::DrawStateImage(HDC hDC, const RECT& part, UINT state, TImageDescUI& normal,
                                  TImageDescUI& hot, TImageDescUI& pushed,
                                  TImageDescUI& disabled) {
  TImageDescUI* chosen = nullptr;
  if ((state & kScrollStateDisabled) != 0) {
    chosen = &disabled;
  } else if ((state & kScrollStatePushed) != 0) {
    chosen = &pushed;
  } else if ((state & kScrollStateHot) != 0) {
    chosen = &hot;
  }
  if (chosen != nullptr && DrawPartImage(hDC, part, *chosen)) return;
  DrawPartImage(hDC, part, normal);
}

void CScrollBarUI::PaintPart(HDC hDC, const RECT& part, UINT& state, DWORD color,
                             TImageDescUI& normal, TImageDescUI& hot, TImageDescUI& pushed,
                             TImageDescUI& disabled) {
  SetBit(state, kScrollStateDisabled, !IsEnabled());
  if (color != 0) CRenderUI::DrawColor(hDC, part, GetAdjustedColor(color));
  DrawStateImage(hDC, part, state, normal, hot, pushed, disabled);
}

bool CScrollBarUI::DoPaint(HDC hDC, const RECT& /*paint*/, CControlUI* /*stop*/) {
  PaintBkColor(hDC);
  PaintBkImage(hDC);

  // The track: its look follows the thumb's state.
  SetBit(thumbState_, kScrollStateDisabled, !IsEnabled());
  DrawStateImage(hDC, itemRect_, thumbState_, bkNormal_, bkHot_, bkPushed_, bkDisabled_);

  if (showButton1_) {
    PaintPart(hDC, button1Rect_, button1State_, button1Color_, button1Normal_, button1Hot_,
              button1Pushed_, button1Disabled_);
  }
  if (showButton2_) {
    PaintPart(hDC, button2Rect_, button2State_, button2Color_, button2Normal_, button2Hot_,
              button2Pushed_, button2Disabled_);
  }
  if (!::IsRectEmpty(&thumbRect_)) {
    PaintPart(hDC, thumbRect_, thumbState_, thumbColor_, thumbNormal_, thumbHot_, thumbPushed_,
              thumbDisabled_);
    // The grip: a square of the bar's thickness on the middle of the thumb.
    const int t = Thickness();
    RECT rail = thumbRect_;
    if (horizontal_) {
      const int centre = (thumbRect_.left + thumbRect_.right) / 2;
      rail.left = centre - t / 2;
      rail.right = rail.left + t;
    } else {
      const int centre = (thumbRect_.top + thumbRect_.bottom) / 2;
      rail.top = centre - t / 2;
      rail.bottom = rail.top + t;
    }
    DrawStateImage(hDC, rail, thumbState_, railNormal_, railHot_, railPushed_, railDisabled_);
  }

  PaintBorder(hDC);
  return true;
}

}  // namespace SkinUI
