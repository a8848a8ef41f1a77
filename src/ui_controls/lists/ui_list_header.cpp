#include "ui_controls/lists/ui_list_header.h"

#include <algorithm>

#include "ui_controls/installer/ui_control_images.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_controls/installer/ui_text_attributes.h"
#include "ui_controls/lists/ui_list_shared.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// One line of the window's default font with 4 pixels above and below.
int DefaultLineHeight(CWindowManagerUI* manager) {
  if (manager == nullptr) return 8;
  const TFontEntryUI* font = manager->GetDefaultFontInfo();
  return (font != nullptr ? font->metrics.tmHeight : 0) + 8;
}

}  // namespace

// --- CListHeaderUI -----------------------------------------------------------------------------

CListHeaderUI::CListHeaderUI() = default;
CListHeaderUI::~CListHeaderUI() = default;

const wchar_t* CListHeaderUI::GetClass() const { return L"ListHeader"; }

void* CListHeaderUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ListHeader")) return this;
  return CHorizontalLayoutUI::GetInterface(name);
}

SIZE CListHeaderUI::EstimateSize(SIZE available) {
  long long width = 0;
  int tallest = 0;
  for (int i = 0; i < GetCount(); ++i) {
    const SIZE item = GetItemAt(i)->EstimateSize(available);
    width += item.cx;
    tallest = std::max(tallest, static_cast<int>(item.cy));
  }
  int height = fixedSize_.cy;
  if (height == 0 && manager_ != nullptr) height = std::max(tallest, DefaultLineHeight(manager_));
  return SIZE{static_cast<LONG>(std::min(std::max(width, -0x3FFFFFFFLL), 0x3FFFFFFFLL)), height};
}

// --- CListHeaderItemUI -------------------------------------------------------------------------

CListHeaderItemUI::CListHeaderItemUI() { minSize_.cx = 16; }

CListHeaderItemUI::~CListHeaderItemUI() = default;

const wchar_t* CListHeaderItemUI::GetClass() const { return L"ListHeaderItem"; }

void* CListHeaderItemUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ListHeaderItem")) return this;
  return CControlUI::GetInterface(name);
}

UINT CListHeaderItemUI::GetControlFlags() const {
  return IsEnabled() && sepWidth_ != 0 ? kControlFlagSetCursor : 0;
}

void CListHeaderItemUI::SetEnabled(bool enabled) {
  CControlUI::SetEnabled(enabled);
  if (!IsEnabled()) buttonState_ = 0;
}

void CListHeaderItemUI::SetDragable(bool dragable) {
  dragable_ = dragable;
  if (!dragable_) buttonState_ &= ~kDragging;
}

RECT CListHeaderItemUI::GetThumbRect() const {
  const RECT& rc = itemRect_;
  if (sepWidth_ < 0) {
    return RECT{rc.left, rc.top, static_cast<LONG>(rc.left - static_cast<long long>(sepWidth_)),
                rc.bottom};
  }
  return RECT{static_cast<LONG>(rc.right - static_cast<long long>(sepWidth_)), rc.top, rc.right,
              rc.bottom};
}

void CListHeaderItemUI::DoEvent(TInputEventUI& event) {
  bool toBase = false;
  if (RouteMouseToParent(*this, event, &toBase)) {
    if (toBase) CControlUI::DoEvent(event);
    return;
  }
  // A pointer moving within the column keeps it hot: nothing else happens then.
  if (TrackHotState(*this, buttonState_, event) == HotChange::kStillInside) return;
  if (event.type == kEventSetFocus || event.type == kEventKillFocus) Invalidate();
  const RECT band = GetThumbRect();
  switch (event.type) {
    case kEventMouseMove: {
      if ((buttonState_ & kDragging) == 0) return;
      const long long dx = static_cast<long long>(event.mousePoint.x) - lastMouse_.x;
      const long long width = sepWidth_ >= 0 ? dragWidth_ + dx : dragWidth_ - dx;
      // A column never gets as narrow as its minimum: such steps are ignored, and the next one
      // is measured from the last point that was taken.
      if (width <= GetMinWidth() || width > 0x3FFFFFFF) return;
      dragWidth_ = static_cast<int>(width);
      fixedSize_.cx = dragWidth_;
      lastMouse_ = event.mousePoint;
      if (parent_ != nullptr) parent_->NeedParentUpdate();
      return;
    }
    case kEventButtonDown:
    case kEventDblClick:
      if (!IsEnabled()) return;
      if (sepWidth_ != 0 && ::PtInRect(&band, event.mousePoint)) {
        if (dragable_) {
          buttonState_ |= kDragging;
          lastMouse_ = event.mousePoint;
          dragWidth_ = GetWidth();
        }
      } else {
        buttonState_ |= kPushed;
        if (manager_ != nullptr) manager_->SendNotify(this, L"headerclick");
        Invalidate();
      }
      return;
    case kEventButtonUp:
      if ((buttonState_ & kDragging) != 0) {
        buttonState_ &= ~kDragging;
        if (parent_ != nullptr) parent_->NeedParentUpdate();
      } else if ((buttonState_ & kPushed) != 0) {
        buttonState_ &= ~kPushed;
        Invalidate();
      }
      return;
    case kEventSetCursor:
      if (IsEnabled() && dragable_ && sepWidth_ != 0 && ::PtInRect(&band, event.mousePoint)) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_SIZEWE));
        return;
      }
      break;
    default:
      break;
  }
  CControlUI::DoEvent(event);
}

void CListHeaderItemUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  const TTextAttributeUI text = ReadTextAttribute(name, value, textStyle_);
  if (text.which != TextAttribute::kNone) {
    const bool changed =
        StoreTextAttribute(text, {textStyle_, font_, textColor_, textPadding_, showHtml_});
    // A new colour, padding or mark-up repaints the column; style and font show at its next paint.
    if (changed && (text.which == TextAttribute::kTextColor ||
                    text.which == TextAttribute::kTextPadding ||
                    text.which == TextAttribute::kShowHtml)) {
      Invalidate();
    }
  } else if (NameIs(name, L"dragable")) {
    SetDragable(ParseAttributeBool(value));
  } else if (SetBoxImageAttribute(*this, name, value,
                                  {&normalImage_, &hotImage_, &pushedImage_, &focusedImage_},
                                  {L"sepimage", &sepImage_})) {
    // a state image, set
  } else if (NameIs(name, L"sepwidth")) {
    // Wider than any screen means a broken skin; keep the band inside a sane range.
    SetSepWidth(std::min(std::max(ParseAttributeInt(value), -10000), 10000));
  } else if (NameIs(name, L"sepcolor")) {
    sepColor_ = ParseAttributeColor(value);
    Invalidate();
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

SIZE CListHeaderItemUI::EstimateSize(SIZE available) {
  if (fixedSize_.cy != 0) return CControlUI::EstimateSize(available);
  return SIZE{fixedSize_.cx, DefaultLineHeight(manager_)};
}

void CListHeaderItemUI::PaintStatusImage(HDC hDC) {
  if (IsFocused()) {
    buttonState_ |= kFocused;
  } else {
    buttonState_ &= ~kFocused;
  }
  DrawStateImage(*this, hDC,
                 {{(buttonState_ & kPushed) != 0, &pushedImage_},
                  {(buttonState_ & kHot) != 0, &hotImage_},
                  {(buttonState_ & kFocused) != 0, &focusedImage_}},
                 normalImage_);

  if (sepWidth_ <= 0) return;
  const RECT band = GetThumbRect();
  const RECT relative = {band.left - itemRect_.left, band.top - itemRect_.top,
                         band.right - itemRect_.left, band.bottom - itemRect_.top};
  if (DrawControlImageAt(*this, hDC, sepImage_, relative) || sepColor_ == 0) return;
  const int x = band.left + sepWidth_ / 2;
  CRenderUI::DrawLine(hDC, RECT{x, band.top, x, band.bottom}, sepWidth_,
                      GetAdjustedColor(sepColor_));
}

void CListHeaderItemUI::PaintText(HDC hDC) {
  if (textColor_ == 0 && manager_ != nullptr) textColor_ = manager_->GetDefaultFontColor();
  if (text_.IsEmpty()) return;
  RECT rc = {itemRect_.left + textPadding_.left, itemRect_.top + textPadding_.top,
             itemRect_.right - textPadding_.right, itemRect_.bottom - textPadding_.bottom};
  const DWORD color = GetAdjustedColor(textColor_);
  if (showHtml_) {
    int links = 0;
    CRenderUI::DrawHtmlText(hDC, manager_, rc, text_.GetData(), color, nullptr, nullptr, &links,
                            font_, textStyle_);
  } else {
    CRenderUI::DrawText(hDC, manager_, rc, text_.GetData(), color, font_, textStyle_);
  }
}

}  // namespace SkinUI
