#include "ui_controls/installer/ui_progress.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "ui_controls/installer/ui_control_images.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// Positions are computed in 64 bits: a skin may say min="-2000000000" max="2000000000", whose
// difference, times a width, does not fit into an int.
int64_t Clamp64(int64_t value, int64_t low, int64_t high) {
  // A minimum above the maximum wins, as SetValue decides.
  if (value > high) value = high;
  if (value < low) value = low;
  return value;
}

int ToInt(int64_t value) { return static_cast<int>(Clamp64(value, INT_MIN, INT_MAX)); }

}  // namespace

// --- progress bar ------------------------------------------------------------------------------

CProgressUI::CProgressUI() {
  textStyle_ = DT_SINGLELINE | DT_CENTER;
  fixedSize_.cy = 12;
}

CProgressUI::~CProgressUI() = default;

const wchar_t* CProgressUI::GetClass() const { return L"Progress"; }

void* CProgressUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Progress")) return this;
  return CLabelUI::GetInterface(name);
}

void CProgressUI::SetHorizontal(bool horizontal) {
  if (horizontal_ == horizontal) return;
  horizontal_ = horizontal;
  Invalidate();
}

void CProgressUI::SetMinValue(int min) {
  min_ = min;
  Invalidate();
}

void CProgressUI::SetMaxValue(int max) {
  max_ = max;
  Invalidate();
}

void CProgressUI::SetValue(int value) {
  value_ = ToInt(Clamp64(value, min_, max_));
  Invalidate();
}

void CProgressUI::SetForeImage(const wchar_t* description) {
  SetControlImage(*this, foreImage_, description);
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"foreimage")) {
    SetForeImage(value);
  } else if (NameIs(name, L"hor")) {
    SetHorizontal(ParseAttributeBool(value));
  } else if (NameIs(name, L"min")) {
    SetMinValue(ParseAttributeInt(value));
  } else if (NameIs(name, L"max")) {
    SetMaxValue(ParseAttributeInt(value));
  } else if (NameIs(name, L"value")) {
    SetValue(ParseAttributeInt(value));
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

void CProgressUI::NormalizeRange() {
  if (max_ <= min_) {
    if (min_ == INT_MAX) min_ = INT_MAX - 1;
    max_ = min_ + 1;
  }
  value_ = ToInt(Clamp64(value_, min_, max_));
}

RECT CProgressUI::GetFillRect() const {
  const int64_t min = min_;
  const int64_t max = max_ <= min_ ? min + 1 : max_;
  const int64_t value = Clamp64(value_, min, max);
  const int64_t width = itemRect_.right - itemRect_.left;
  const int64_t height = itemRect_.bottom - itemRect_.top;
  if (horizontal_) {
    return RECT{0, 0, ToInt(width * (value - min) / (max - min)), ToInt(height)};
  }
  return RECT{0, ToInt((max - value) * height / (max - min)), ToInt(width), ToInt(height)};
}

void CProgressUI::PaintStatusImage(HDC hDC) {
  NormalizeRange();
  DrawControlImageAt(*this, hDC, foreImage_, GetFillRect());
}

// --- slider ------------------------------------------------------------------------------------

CSliderUI::CSliderUI() { textStyle_ = DT_SINGLELINE | DT_CENTER; }

CSliderUI::~CSliderUI() = default;

const wchar_t* CSliderUI::GetClass() const { return L"Slider"; }

void* CSliderUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Slider")) return this;
  return CProgressUI::GetInterface(name);
}

UINT CSliderUI::GetControlFlags() const {
  return IsEnabled() ? (kControlFlagTabStop | kControlFlagSetCursor) : 0;
}

void CSliderUI::SetEnabled(bool enabled) {
  CProgressUI::SetEnabled(enabled);
  if (!IsEnabled()) state_ = 0;
}

void CSliderUI::SetThumbSize(SIZE size) {
  thumbSize_.cx = std::max(0L, static_cast<long>(size.cx));
  thumbSize_.cy = std::max(0L, static_cast<long>(size.cy));
}

void CSliderUI::SetThumbImage(const wchar_t* description) { SetControlImage(*this, thumbImage_, description); }
void CSliderUI::SetThumbHotImage(const wchar_t* description) {
  SetControlImage(*this, thumbHotImage_, description);
}
void CSliderUI::SetThumbPushedImage(const wchar_t* description) {
  SetControlImage(*this, thumbPushedImage_, description);
}

RECT CSliderUI::GetThumbRect() const {
  const int64_t left = itemRect_.left;
  const int64_t top = itemRect_.top;
  const int64_t right = itemRect_.right;
  const int64_t bottom = itemRect_.bottom;
  const int64_t cx = thumbSize_.cx;
  const int64_t cy = thumbSize_.cy;
  const int64_t range = static_cast<int64_t>(max_) - min_;
  // Minimum equal to the maximum (or above it): the thumb rests at the start of its track.
  const int64_t done = range > 0 ? Clamp64(value_, min_, max_) - min_ : 0;
  const int64_t span = range > 0 ? range : 1;
  if (horizontal_) {
    const int64_t thumbLeft = left + done * (right - left - cx) / span;
    const int64_t thumbTop = (bottom + top - cy) / 2;
    return RECT{ToInt(thumbLeft), ToInt(thumbTop), ToInt(thumbLeft + cx), ToInt(thumbTop + cy)};
  }
  const int64_t thumbLeft = (right + left - cx) / 2;
  const int64_t thumbBottom = bottom - (bottom - top - cy) * done / span;
  return RECT{ToInt(thumbLeft), ToInt(thumbBottom - cy), ToInt(thumbLeft + cx),
              ToInt(thumbBottom)};
}

int CSliderUI::ValueAtPoint(POINT pt) const {
  const int64_t min = min_;
  const int64_t max = max_;
  const int64_t range = max - min;
  int64_t value = min;
  if (horizontal_) {
    const int64_t half = thumbSize_.cx / 2;
    const int64_t track = static_cast<int64_t>(itemRect_.right) - itemRect_.left - thumbSize_.cx;
    if (pt.x >= itemRect_.right - half) {
      value = max;
    } else if (pt.x > itemRect_.left + half && track > 0) {
      value = min + range * (pt.x - half - itemRect_.left) / track;
    }
  } else {
    const int64_t half = thumbSize_.cy / 2;
    const int64_t track = static_cast<int64_t>(itemRect_.bottom) - itemRect_.top - thumbSize_.cy;
    if (pt.y >= itemRect_.bottom - half) {
      value = min;
    } else if (pt.y > itemRect_.top + half && track > 0) {
      value = min + (itemRect_.bottom - half - pt.y) * range / track;
    } else {
      value = max;
    }
  }
  return ToInt(Clamp64(value, min, max));
}

void CSliderUI::NotifyValueChanged() {
  if (manager_ != nullptr) manager_->SendNotify(this, L"valuechanged");
}

void CSliderUI::DoEvent(TInputEventUI& event) {
  bool toBase = false;
  if (RouteMouseToParent(*this, event, &toBase)) {
    if (toBase) CProgressUI::DoEvent(event);
    return;
  }
  if (TrackHotState(*this, state_, event) == HotChange::kStillInside) return;
  switch (event.type) {
    case kEventButtonDown:
    case kEventDblClick:
      if (IsEnabled()) {
        state_ |= kStateCaptured;
        const int value = ValueAtPoint(event.mousePoint);
        if (value != value_ && value >= min_ && value <= max_) {
          value_ = value;
          Invalidate();
        }
      }
      return;
    case kEventButtonUp:
      if (state_ & kStateCaptured) {
        value_ = ValueAtPoint(event.mousePoint);
        state_ &= ~kStateCaptured;
        Invalidate();
        NotifyValueChanged();
      }
      return;
    case kEventContextMenu:
      return;
    case kEventScrollWheel: {
      const int64_t step = step_;
      if (LOWORD(event.wParam) == 0) {
        SetValue(ToInt(static_cast<int64_t>(value_) + step));
        NotifyValueChanged();
        return;
      }
      if (LOWORD(event.wParam) == 1) {
        SetValue(ToInt(static_cast<int64_t>(value_) - step));
        NotifyValueChanged();
        return;
      }
      break;
    }
    case kEventMouseMove:
      if (state_ & kStateCaptured) {
        value_ = ValueAtPoint(event.mousePoint);
        if (immediate_) NotifyValueChanged();
        Invalidate();
      }
      return;
    case kEventSetCursor: {
      const RECT thumb = GetThumbRect();
      if (IsEnabled() && ::PtInRect(&thumb, event.mousePoint)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return;
      }
      break;
    }
    default:
      break;
  }
  CProgressUI::DoEvent(event);
  Invalidate();
}

void CSliderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"thumbimage")) {
    SetThumbImage(value);
  } else if (NameIs(name, L"thumbhotimage")) {
    SetThumbHotImage(value);
  } else if (NameIs(name, L"thumbpushedimage")) {
    SetThumbPushedImage(value);
  } else if (NameIs(name, L"thumbsize")) {
    SetThumbSize(ParseAttributeSize(value));
  } else if (NameIs(name, L"step")) {
    SetChangeStep(ParseAttributeInt(value));
  } else if (NameIs(name, L"imm")) {
    SetImmMode(ParseAttributeBool(value));
  } else {
    CProgressUI::SetAttribute(name, value);
  }
}

void CSliderUI::PaintStatusImage(HDC hDC) {
  CProgressUI::PaintStatusImage(hDC);
  RECT thumb = GetThumbRect();
  ::OffsetRect(&thumb, -itemRect_.left, -itemRect_.top);
  TImageDescUI* chosen = &thumbImage_;
  if (state_ & kStateCaptured) {
    chosen = &thumbPushedImage_;
  } else if (state_ & kStateHot) {
    chosen = &thumbHotImage_;
  }
  if (!DrawControlImageAt(*this, hDC, *chosen, thumb) && chosen != &thumbImage_) {
    DrawControlImageAt(*this, hDC, thumbImage_, thumb);
  }
}

}  // namespace SkinUI
