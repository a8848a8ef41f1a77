#include "ui_controls/installer/ui_button.h"

#include <algorithm>

#include "ui_controls/installer/ui_control_images.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

CButtonUI::CButtonUI() { textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

CButtonUI::~CButtonUI() = default;

const wchar_t* CButtonUI::GetClass() const { return L"Button"; }

void* CButtonUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Button")) return this;
  return CLabelUI::GetInterface(name);
}

UINT CButtonUI::GetControlFlags() const {
  return (IsKeyboardEnabled() ? kControlFlagTabStop : 0) |
         (IsEnabled() ? kControlFlagSetCursor : 0);
}

bool CButtonUI::Activate() {
  if (!CLabelUI::Activate()) return false;
  if (manager_ != nullptr) manager_->SendNotify(this, L"click");
  return true;
}

void CButtonUI::SetEnabled(bool enabled) {
  CLabelUI::SetEnabled(enabled);
  if (!IsEnabled()) {
    const bool wasHot = (state_ & kStateHot) != 0;
    state_ = 0;
    if (wasHot) StartFade();
  }
}

void CButtonUI::StartFade() {
  if (fadeDelta_ != 0 && manager_ != nullptr) {
    manager_->SetTimer(this, kFadeTimerId, kFadeTimerElapse);
  }
}

void CButtonUI::StepFade() {
  bool complete = fadeDelta_ == 0;
  if (!complete) {
    if (state_ & kStateHot) {
      fadeAlpha_ = static_cast<BYTE>(std::max(0, fadeAlpha_ - fadeDelta_));
      complete = fadeAlpha_ == 0;
    } else {
      fadeAlpha_ = static_cast<BYTE>(std::min(255, fadeAlpha_ + fadeDelta_));
      complete = fadeAlpha_ == 255;
    }
  }
  if (complete && manager_ != nullptr) manager_->KillTimer(this, kFadeTimerId);
  Invalidate();
}

void CButtonUI::DoEvent(TInputEventUI& event) {
  bool toBase = false;
  if (RouteMouseToParent(*this, event, &toBase)) {
    if (toBase) CLabelUI::DoEvent(event);
    return;
  }
  switch (TrackHotState(*this, state_, event)) {
    case HotChange::kEntered:
      StartFade();
      if (manager_ != nullptr) {
        manager_->SendNotify(this, L"mouseenter", event.wParam, event.lParam);
      }
      return;
    case HotChange::kLeft:
      StartFade();
      if (manager_ != nullptr) {
        manager_->SendNotify(this, L"mouseleave", event.wParam, event.lParam);
      }
      return;
    case HotChange::kStillInside:
      return;
    case HotChange::kNone:
      break;
  }
  const bool inside = ::PtInRect(&itemRect_, event.mousePoint) != FALSE;
  switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
      Invalidate();
      break;
    case kEventKeyDown:
      if ((event.key == VK_SPACE || event.key == VK_RETURN) && IsKeyboardEnabled() &&
          IsEnabled()) {
        Activate();
        return;
      }
      break;
    case kEventMouseMove:
      if (state_ & kStateCaptured) {
        if (inside) {
          state_ |= kStatePushed;
        } else {
          state_ &= ~kStatePushed;
        }
        Invalidate();
      }
      return;
    case kEventButtonDown:
    case kEventDblClick:
      if (inside && IsEnabled()) {
        state_ |= kStatePushed | kStateCaptured;
        Invalidate();
      }
      return;
    case kEventButtonUp:
      if (state_ & kStateCaptured) {
        const bool click = inside && IsEnabled();
        // The state is settled before "click": its handler may hide or remove the button.
        state_ &= ~(kStatePushed | kStateCaptured);
        Invalidate();
        if (click) Activate();
      }
      return;
    case kEventContextMenu:
      if (IsContextMenuEnabled() && IsEnabled() && manager_ != nullptr) {
        manager_->SendNotify(this, L"menu", event.wParam, event.lParam);
      }
      return;
    case kEventSetCursor:
      ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
      return;
    case kEventTimer:
      if (event.wParam == kFadeTimerId) {
        StepFade();
        return;
      }
      break;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

void CButtonUI::SetNormalImage(const wchar_t* description) { SetControlImage(*this, normalImage_, description); }
void CButtonUI::SetHotImage(const wchar_t* description) { SetControlImage(*this, hotImage_, description); }
void CButtonUI::SetHotForeImage(const wchar_t* description) {
  SetControlImage(*this, hotForeImage_, description);
}
void CButtonUI::SetPushedImage(const wchar_t* description) { SetControlImage(*this, pushedImage_, description); }
void CButtonUI::SetPushedForeImage(const wchar_t* description) {
  SetControlImage(*this, pushedForeImage_, description);
}
void CButtonUI::SetFocusedImage(const wchar_t* description) {
  SetControlImage(*this, focusedImage_, description);
}
void CButtonUI::SetDisabledImage(const wchar_t* description) {
  SetControlImage(*this, disabledImage_, description);
}
void CButtonUI::SetForeImage(const wchar_t* description) { SetControlImage(*this, foreImage_, description); }

void CButtonUI::SetFiveStatusImage(const wchar_t* description) {
  TImageDescUI* frames[] = {&normalImage_, &pushedImage_, &hotImage_, &focusedImage_,
                            &disabledImage_};
  for (TImageDescUI* frame : frames) frame->SetDescription(description);
  if (manager_ != nullptr && LoadControlImage(*this, normalImage_)) {
    const int frameWidth = normalImage_.image->width / 5;
    const int frameHeight = normalImage_.image->height;
    for (int i = 0; i < 5; ++i) {
      if (!LoadControlImage(*this, *frames[i])) continue;
      frames[i]->source = RECT{i * frameWidth, 0, (i + 1) * frameWidth, frameHeight};
    }
    if (IsFloat() && fixedSize_.cx == 0 && fixedSize_.cy == 0) {
      SetFixedWidth(frameWidth);
      SetFixedHeight(frameHeight);
    }
  }
  Invalidate();
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"normalimage")) {
    SetNormalImage(value);
  } else if (NameIs(name, L"hotimage")) {
    SetHotImage(value);
  } else if (NameIs(name, L"pushedimage")) {
    SetPushedImage(value);
  } else if (NameIs(name, L"focusedimage")) {
    SetFocusedImage(value);
  } else if (NameIs(name, L"disabledimage")) {
    SetDisabledImage(value);
  } else if (NameIs(name, L"foreimage")) {
    SetForeImage(value);
  } else if (NameIs(name, L"hotforeimage")) {
    SetHotForeImage(value);
  } else if (NameIs(name, L"fivestatusimage")) {
    SetFiveStatusImage(value);
  } else if (NameIs(name, L"fadedelta")) {
    SetFadeAlphaDelta(static_cast<BYTE>(ParseAttributeInt(value) & 0xFF));
  } else if (NameIs(name, L"hotbkcolor")) {
    SetHotBkColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"pushedbkcolor")) {
    SetPushedBkColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"disabledbkcolor")) {
    SetDisabledBkColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"hottextcolor")) {
    SetHotTextColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"pushedtextcolor")) {
    SetPushedTextColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"focusedtextcolor")) {
    SetFocusedTextColor(ParseAttributeColor(value));
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

SIZE CButtonUI::EstimateSize(SIZE /*available*/) {
  if (fixedSize_.cy != 0 || manager_ == nullptr) return fixedSize_;
  const TFontEntryUI* font = manager_->GetFontInfo(font_);
  const int textHeight = font != nullptr ? font->metrics.tmHeight : 0;
  return SIZE{fixedSize_.cx, textHeight + 8};
}

void CButtonUI::RefreshFocusAndDisabledBits() { state_ = WithFocusAndDisabledBits(*this, state_); }

void CButtonUI::PaintNormalImage(HDC hDC) {
  if (fadeDelta_ != 0 && fadeAlpha_ < 255) {
    DrawControlImageFaded(*this, hDC, hotImage_, static_cast<BYTE>(255 - fadeAlpha_));
    DrawControlImageFaded(*this, hDC, normalImage_, fadeAlpha_);
    return;
  }
  DrawImage(hDC, normalImage_);
}

void CButtonUI::PaintStatusImage(HDC hDC) {
  RefreshFocusAndDisabledBits();
  if (state_ & kStateDisabled) {
    if (disabledBkColor_ != 0) {
      CRenderUI::DrawColor(hDC, paintRect_, GetAdjustedColor(disabledBkColor_));
    }
    if (!DrawImage(hDC, disabledImage_)) PaintNormalImage(hDC);
    DrawImage(hDC, foreImage_);
  } else if (state_ & kStatePushed) {
    if (pushedBkColor_ != 0) {
      CRenderUI::DrawColor(hDC, paintRect_, GetAdjustedColor(pushedBkColor_));
    }
    if (!DrawImage(hDC, pushedImage_)) DrawImage(hDC, normalImage_);
    if (!DrawImage(hDC, pushedForeImage_)) DrawImage(hDC, foreImage_);
  } else if (state_ & kStateHot) {
    if (hotBkColor_ != 0) CRenderUI::DrawColor(hDC, paintRect_, GetAdjustedColor(hotBkColor_));
    if (fadeDelta_ != 0) {
      if (fadeAlpha_ != 0) DrawControlImageFaded(*this, hDC, normalImage_, fadeAlpha_);
      DrawControlImageFaded(*this, hDC, hotImage_, static_cast<BYTE>(255 - fadeAlpha_));
    } else if (!DrawImage(hDC, hotImage_)) {
      DrawImage(hDC, normalImage_);
    }
    if (!DrawImage(hDC, hotForeImage_)) DrawImage(hDC, foreImage_);
  } else {
    if ((state_ & kStateFocused) == 0 || !DrawImage(hDC, focusedImage_)) PaintNormalImage(hDC);
    DrawImage(hDC, foreImage_);
  }
}

void CButtonUI::PaintStateText(HDC hDC) {
  ResolveDefaultTextColors();
  if (text_.IsEmpty()) return;
  DWORD color = IsEnabled() ? textColor_ : disabledTextColor_;
  if ((state_ & kStatePushed) && pushedTextColor_ != 0) {
    color = pushedTextColor_;
  } else if ((state_ & kStateHot) && hotTextColor_ != 0) {
    color = hotTextColor_;
  } else if ((state_ & kStateFocused) && focusedTextColor_ != 0) {
    color = focusedTextColor_;
  }
  DrawTextIn(hDC, GetTextRect(), GetAdjustedColor(color), textStyle_);
}

void CButtonUI::PaintText(HDC hDC) {
  RefreshFocusAndDisabledBits();
  PaintStateText(hDC);
}

}  // namespace SkinUI
