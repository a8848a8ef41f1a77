#include "ui_controls/lists/ui_text.h"

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

CTextUI::CTextUI() {
  textStyle_ = DT_WORDBREAK;
  textPadding_ = RECT{2, 0, 2, 0};
}

CTextUI::~CTextUI() = default;

const wchar_t* CTextUI::GetClass() const { return L"Text"; }

void* CTextUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Text")) return this;
  return CLabelUI::GetInterface(name);
}

UINT CTextUI::GetControlFlags() const {
  return IsEnabled() && linkCount_ > 0 ? kControlFlagSetCursor : 0;
}

RECT CTextUI::GetLinkRect(int index) const {
  if (index < 0 || index >= linkCount_) return RECT{0, 0, 0, 0};
  return links_[index];
}

CStringUI CTextUI::GetLinkText(int index) const {
  if (index < 0 || index >= linkCount_) return CStringUI();
  return linkTexts_[index];
}

int CTextUI::LinkAt(POINT pt) const {
  for (int i = 0; i < linkCount_ && i < kMaxLinks; ++i) {
    if (::PtInRect(&links_[i], pt)) return i;
  }
  return -1;
}

void CTextUI::DoEvent(TInputEventUI& event) {
  if (event.type >= kEventMouseFirst && event.type <= kEventMouseLast && !IsMouseEnabled()) {
    if (parent_ != nullptr) {
      parent_->DoEvent(event);
    } else {
      CLabelUI::DoEvent(event);
    }
    return;
  }
  const int link = LinkAt(event.mousePoint);
  switch (event.type) {
    case kEventSetCursor:
      if (link < 0) break;
      ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
      return;
    case kEventButtonDown:
    case kEventDblClick:
      if (!IsEnabled() || link < 0) break;
      Invalidate();
      return;
    case kEventButtonUp:
      if (!IsEnabled() || link < 0) break;
      if (manager_ != nullptr) manager_->SendNotify(this, L"link", static_cast<WPARAM>(link));
      return;
    case kEventContextMenu:
      return;
    case kEventMouseMove:
      if (linkCount_ <= 0 || !IsEnabled() || link == hoverLink_) break;
      hoverLink_ = link;
      Invalidate();
      return;
    case kEventMouseLeave:
      if (linkCount_ <= 0 || !IsEnabled() || hoverLink_ < 0) break;
      if (hoverLink_ < linkCount_ && ::PtInRect(&links_[hoverLink_], event.mousePoint)) {
        if (manager_ != nullptr) manager_->AddMouseLeaveTracking(this);
        return;
      }
      hoverLink_ = -1;
      Invalidate();
      if (manager_ != nullptr) manager_->RemoveMouseLeaveTracking(this);
      break;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

void CTextUI::PaintText(HDC hDC) {
  if (text_.IsEmpty()) {
    linkCount_ = 0;
    return;
  }
  ResolveDefaultTextColors();
  RECT rc = GetTextRect();
  const DWORD color = GetAdjustedColor(IsEnabled() ? textColor_ : disabledTextColor_);
  if (showHtml_) {
    linkCount_ = kMaxLinks;
    CRenderUI::DrawHtmlText(hDC, manager_, rc, text_.GetData(), color, links_, linkTexts_,
                            &linkCount_, font_, textStyle_);
    for (int i = linkCount_; i < kMaxLinks; ++i) links_[i] = RECT{0, 0, 0, 0};
    if (hoverLink_ >= linkCount_) hoverLink_ = -1;
  } else {
    // Plain text leaves the links of an earlier paint with mark-up as they were.
    CRenderUI::DrawText(hDC, manager_, rc, text_.GetData(), color, font_, textStyle_);
  }
}

}  // namespace SkinUI
