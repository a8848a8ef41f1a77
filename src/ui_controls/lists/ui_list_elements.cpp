#include "ui_controls/lists/ui_list_elements.h"

#include <algorithm>
#include <new>

#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr UINT kElementFlags = 0x04;
constexpr int kMeasureExtent = 9999;
constexpr UINT kHorizontalAlignBits = DT_CENTER | DT_RIGHT;

bool IsMouseEvent(const TInputEventUI& event) {
  return event.type >= kEventMouseFirst && event.type <= kEventMouseLast;
}

RECT Inset(RECT rc, const RECT& padding) {
  rc.left += padding.left;
  rc.top += padding.top;
  rc.right -= padding.right;
  rc.bottom -= padding.bottom;
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  return rc;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Draws plain or mark-up text; the link slots given are filled and *links becomes their count.
void DrawItemString(HDC hDC, CWindowManagerUI* manager, RECT rc, const wchar_t* text, DWORD argb,
                    const TListInfoUI& info, RECT* linkRects, CStringUI* linkTexts, int* links) {
  if (info.showHtml) {
    CRenderUI::DrawHtmlText(hDC, manager, rc, text, argb, linkRects, linkTexts, links, info.font,
                            info.textStyle);
  } else {
    if (links != nullptr) *links = 0;
    CRenderUI::DrawText(hDC, manager, rc, text, argb, info.font, info.textStyle);
  }
}

}  // namespace

// --- what both families share ----------------------------------------------------------------

template <class Base>
UINT CListItemBaseUI<Base>::GetControlFlags() const {
  return kElementFlags;
}

template <class Base>
bool CListItemBaseUI<Base>::Activate() {
  if (!Base::Activate()) return false;
  if (this->manager_ != nullptr) this->manager_->SendNotify(this, L"itemactivate");
  return true;
}

template <class Base>
void CListItemBaseUI<Base>::SetVisible(bool visible) {
  Base::SetVisible(visible);
  // A hidden item cannot stay the selection; the owner forgets it without a notification.
  if (!visible && selected_) {
    selected_ = false;
    if (owner_ != nullptr) owner_->SelectItem(-1, false, true);
  }
}

template <class Base>
void CListItemBaseUI<Base>::SetEnabled(bool enabled) {
  Base::SetEnabled(enabled);
  if (!this->IsEnabled()) buttonState_ = 0;
}

template <class Base>
void CListItemBaseUI<Base>::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (NameIs(name, L"selected")) {
    Select(true, true);
  } else {
    Base::SetAttribute(name, value);
  }
}

template <class Base>
void CListItemBaseUI<Base>::SetOwner(CControlUI* owner) {
  if (owner == nullptr) return;
  owner_ = static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner"));
}

template <class Base>
bool CListItemBaseUI<Base>::Select(bool select, bool takeFocus) {
  if (!this->IsEnabled()) return false;
  if (select == selected_) return true;
  selected_ = select;
  if (select && owner_ != nullptr) owner_->SelectItem(index_, takeFocus, true);
  InvalidateItem();
  return true;
}

template <class Base>
void CListItemBaseUI<Base>::InvalidateItem() {
  if (!this->IsVisible()) return;
  CControlUI* parent = this->GetParent();
  auto* container =
      parent != nullptr ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
  if (container == nullptr) {
    this->Invalidate();
    return;
  }
  RECT rc = this->GetPos();
  const RECT client = container->GetClientPos();
  if (!::IntersectRect(&rc, &rc, &client)) return;
  for (CControlUI* ancestor = parent->GetParent(); ancestor != nullptr;
       ancestor = ancestor->GetParent()) {
    const RECT& outer = ancestor->GetPos();
    if (!::IntersectRect(&rc, &rc, &outer)) return;
  }
  if (this->manager_ != nullptr) this->manager_->Invalidate(rc);
}

template <class Base>
void CListItemBaseUI<Base>::DrawItemBk(HDC hDC) {
  TListInfoUI* info = Info();
  if (info == nullptr) return;
  const bool hot = IsHot();
  const bool enabled = this->IsEnabled();
  const bool blank = info->alternateBk && (drawIndex_ % 2) != 0;
  DWORD color = blank ? 0 : info->bkColor;
  if (hot) color = info->hotBkColor;
  if (selected_) color = info->selectedBkColor;
  if (!enabled) color = info->disabledBkColor;
  if (color != 0) CRenderUI::DrawColor(hDC, this->GetPos(), this->GetAdjustedColor(color));

  if (!enabled && this->DrawImage(hDC, info->disabledImage)) return;
  if (selected_ && this->DrawImage(hDC, info->selectedImage)) return;
  if (hot && this->DrawImage(hDC, info->hotImage)) return;
  if (!this->DrawImage(hDC, this->bkImage_) && !blank) this->DrawImage(hDC, info->bkImage);
}

template <class Base>
bool CListItemBaseUI<Base>::HandlePointerEvent(TInputEventUI& event) {
  switch (event.type) {
    case kEventMouseEnter:
      TrackHotState(*this, buttonState_, event);
      return false;
    case kEventButtonDown:
    case kEventRButtonDown:
      if (this->IsEnabled()) {
        if (this->manager_ != nullptr) this->manager_->SendNotify(this, L"itemclick");
        Select(true, true);
        InvalidateItem();
      }
      return true;
    case kEventMouseMove:
    case kEventButtonUp:
      return true;
    case kEventMouseLeave:
      return TrackHotState(*this, buttonState_, event) == HotChange::kStillInside;
    default:
      return false;
  }
}

template <class Base>
bool CListItemBaseUI<Base>::HandleActivation(TInputEventUI& event) {
  const bool doubleClick = event.type == kEventDblClick && this->IsEnabled();
  const bool enterKey = event.type == kEventKeyDown && event.key == VK_RETURN &&
                        this->IsKeyboardEnabled() && this->IsEnabled();
  if (!doubleClick && !enterKey) return false;
  Activate();
  InvalidateItem();
  return true;
}

template <class Base>
void CListItemBaseUI<Base>::PassToOwner(TInputEventUI& event) {
  if (owner_ != nullptr) {
    owner_->DoEvent(event);
  } else {
    CControlUI::DoEvent(event);
  }
}

template class CListItemBaseUI<CControlUI>;
template class CListItemBaseUI<CContainerUI>;

// --- CListElementUI ----------------------------------------------------------------------------

CListElementUI::CListElementUI() = default;
CListElementUI::~CListElementUI() = default;

const wchar_t* CListElementUI::GetClass() const { return L"ListElement"; }

void* CListElementUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"IListItem")) return static_cast<IListItemUI*>(this);
  if (NameIs(name, L"ListElement")) return this;
  return CControlUI::GetInterface(name);
}

void CListElementUI::DoEvent(TInputEventUI& event) {
  if (IsMouseEvent(event) && !IsMouseEnabled()) {
    if (owner_ != nullptr) {
      owner_->DoEvent(event);
    } else if (!HandleActivation(event)) {
      CControlUI::DoEvent(event);
    }
    return;
  }
  if (HandlePointerEvent(event)) return;
  if (HandleActivation(event)) return;
  PassToOwner(event);
}

// --- CListLabelElementUI -----------------------------------------------------------------------

CListLabelElementUI::CListLabelElementUI() = default;
CListLabelElementUI::~CListLabelElementUI() = default;

const wchar_t* CListLabelElementUI::GetClass() const { return L"ListLabelElement"; }

void* CListLabelElementUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ListLabelElement")) return this;
  return CListElementUI::GetInterface(name);
}

void CListLabelElementUI::SetOwner(CControlUI* owner) {
  needsEstimate_ = true;
  CListElementUI::SetOwner(owner);
}

void CListLabelElementUI::SetText(const wchar_t* text) {
  needsEstimate_ = true;
  CListElementUI::SetText(text);
}

void CListLabelElementUI::SetFixedWidth(int cx) {
  needsEstimate_ = true;
  CListElementUI::SetFixedWidth(cx);
}

void CListLabelElementUI::SetFixedHeight(int cy) {
  needsEstimate_ = true;
  CListElementUI::SetFixedHeight(cy);
}

SIZE CListLabelElementUI::EstimateSize(SIZE available) {
  if (owner_ == nullptr || Info() == nullptr) return SIZE{0, 0};
  return EstimateFor(available, fixedSize_.cx, text_);
}

SIZE CListLabelElementUI::EstimateFor(SIZE available, int width, const CStringUI& text) {
  const TListInfoUI& info = *Info();
  if (width > 0) {
    if (fixedSize_.cy > 0) return SIZE{width, fixedSize_.cy};
    if (info.itemHeight > 0) return SIZE{width, info.itemHeight};
  }
  const bool singleLine = (info.textStyle & DT_SINGLELINE) != 0;
  if (!singleLine && (available.cx != lastAvailable_.cx || available.cy != lastAvailable_.cy)) {
    needsEstimate_ = true;
  }
  if (info.itemHeight != lastItemHeight_ || info.font != lastFont_ ||
      info.textStyle != lastTextStyle_ || !SameRect(info.textPadding, lastTextPadding_)) {
    needsEstimate_ = true;
  }
  if (!needsEstimate_) return estimate_;
  // Without a window there is no font to measure with: measure once there is one.
  if (manager_ == nullptr) return SIZE{width, fixedSize_.cy > 0 ? fixedSize_.cy : info.itemHeight};

  needsEstimate_ = false;
  lastAvailable_ = available;
  lastItemHeight_ = info.itemHeight;
  lastFont_ = info.font;
  lastTextStyle_ = info.textStyle;
  lastTextPadding_ = info.textPadding;
  const RECT& padding = info.textPadding;
  long long cx = width;
  long long cy = fixedSize_.cy > 0 ? fixedSize_.cy : info.itemHeight;
  HDC dc = manager_->GetPaintDC();
  auto measure = [&](RECT rc, UINT style) {
    if (text.IsEmpty()) return RECT{rc.left, rc.top, rc.left, rc.top};
    if (rc.right < rc.left) rc.right = rc.left;
    if (info.showHtml) {
      int links = 0;
      CRenderUI::DrawHtmlText(dc, manager_, rc, text.GetData(), 0, nullptr, nullptr, &links,
                              info.font, style | DT_CALCRECT);
    } else {
      CRenderUI::DrawText(dc, manager_, rc, text.GetData(), 0, info.font, style | DT_CALCRECT);
    }
    return rc;
  };
  const UINT measureStyle = info.textStyle & ~kHorizontalAlignBits;
  if (singleLine) {
    if (cy == 0) {
      const TFontEntryUI* font = manager_->GetFontInfo(info.font);
      cy = static_cast<long long>(font != nullptr ? font->metrics.tmHeight : 0) + 8 +
           padding.top + padding.bottom;
    }
    if (cx == 0) {
      const RECT measured = measure(RECT{0, 0, kMeasureExtent, static_cast<LONG>(cy)}, measureStyle);
      cx = static_cast<long long>(measured.right - measured.left) + padding.left + padding.right;
    }
  } else {
    if (cx == 0) cx = std::max(0L, static_cast<long>(available.cx));
    const RECT measured = measure(
        RECT{padding.left, 0, static_cast<LONG>(cx - padding.right), kMeasureExtent}, measureStyle);
    cy = static_cast<long long>(measured.bottom - measured.top) + padding.top + padding.bottom;
  }
  estimate_.cx = static_cast<LONG>(std::min(std::max(cx, 0LL), static_cast<long long>(kMeasureExtent)));
  estimate_.cy = static_cast<LONG>(std::min(std::max(cy, 0LL), static_cast<long long>(kMeasureExtent)));
  return estimate_;
}

bool CListLabelElementUI::DoPaint(HDC hDC, const RECT& /*paint*/, CControlUI* /*stop*/) {
  DrawItemBk(hDC);
  DrawItemText(hDC, itemRect_);
  return true;
}

DWORD CListLabelElementUI::StateTextColor(const TListInfoUI& info) const {
  DWORD color = IsHot() ? info.hotTextColor : info.textColor;
  if (selected_) color = info.selectedTextColor;
  if (!IsEnabled()) color = info.disabledTextColor;
  return color;
}

void CListLabelElementUI::DrawItemText(HDC hDC, const RECT& rc) {
  const TListInfoUI* info = Info();
  if (text_.IsEmpty() || info == nullptr) return;
  const DWORD color = GetAdjustedColor(StateTextColor(*info));
  DrawItemString(hDC, manager_, Inset(rc, info->textPadding), text_.GetData(), color, *info,
                 nullptr, nullptr, nullptr);
}

// --- CListTextElementUI ------------------------------------------------------------------------

CListTextElementUI::CListTextElementUI() = default;

CListTextElementUI::~CListTextElementUI() { delete[] columnTexts_; }

const wchar_t* CListTextElementUI::GetClass() const { return L"ListTextElement"; }

void* CListTextElementUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ListTextElement")) return this;
  return CListLabelElementUI::GetInterface(name);
}

UINT CListTextElementUI::GetControlFlags() const {
  return IsEnabled() && linkCount_ > 0 ? kElementFlags | kControlFlagSetCursor : kElementFlags;
}

void CListTextElementUI::SetOwner(CControlUI* owner) {
  if (owner == nullptr) return;
  CListLabelElementUI::SetOwner(owner);
  listOwner_ = static_cast<IListUI*>(owner->GetInterface(L"IList"));
}

CStringUI CListTextElementUI::GetColumnText(int column) const {
  if (column < 0 || column >= columnTextCount_) return CStringUI();
  return columnTexts_[column];
}

void CListTextElementUI::SetColumnText(int column, const wchar_t* text) {
  if (column < 0 || column >= kListMaxColumns) return;
  if (column >= columnTextCount_) {
    auto* grown = new (std::nothrow) CStringUI[column + 1];
    if (grown == nullptr) return;
    for (int i = 0; i < columnTextCount_; ++i) grown[i] = columnTexts_[i];
    delete[] columnTexts_;
    columnTexts_ = grown;
    columnTextCount_ = column + 1;
  }
  columnTexts_[column] = text;
  needsEstimate_ = true;
  InvalidateItem();
}

RECT CListTextElementUI::GetLinkRect(int index) const {
  if (index < 0 || index >= linkCount_) return RECT{0, 0, 0, 0};
  return links_[index];
}

CStringUI CListTextElementUI::ColumnTextToShow(int column, bool haveColumns) const {
  if (listOwner_ != nullptr && listOwner_->GetTextCallback() != nullptr) {
    const wchar_t* text = listOwner_->GetTextCallback()->GetItemText(
        const_cast<CListTextElementUI*>(this), index_, column);
    if (text != nullptr) return CStringUI(text);
  }
  if (column < columnTextCount_) return columnTexts_[column];
  if (!haveColumns && columnTextCount_ == 0) return text_;
  return CStringUI();
}

int CListTextElementUI::LinkAt(POINT pt) const {
  for (int i = 0; i < linkCount_; ++i) {
    if (::PtInRect(&links_[i], pt)) return i;
  }
  return -1;
}

void CListTextElementUI::DoEvent(TInputEventUI& event) {
  if (IsMouseEvent(event) && !IsMouseEnabled()) {
    CListLabelElementUI::DoEvent(event);
    return;
  }
  if (event.type == kEventSetCursor && LinkAt(event.mousePoint) >= 0) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return;
  }
  if (event.type == kEventButtonUp && IsEnabled()) {
    const int link = LinkAt(event.mousePoint);
    if (link >= 0) {
      if (manager_ != nullptr) manager_->SendNotify(this, L"link", static_cast<WPARAM>(link));
      return;
    }
  }
  if (event.type == kEventMouseMove && linkCount_ > 0) {
    const int link = LinkAt(event.mousePoint);
    if (link != hoverLink_) {
      hoverLink_ = link;
      InvalidateItem();
    }
  }
  if (event.type == kEventMouseLeave && hoverLink_ >= 0 && hoverLink_ < linkCount_) {
    if (::PtInRect(&links_[hoverLink_], event.mousePoint)) {
      if (manager_ != nullptr) manager_->AddMouseLeaveTracking(this);
      return;
    }
    hoverLink_ = -1;
    InvalidateItem();
    if (manager_ != nullptr) manager_->RemoveMouseLeaveTracking(this);
  }
  CListLabelElementUI::DoEvent(event);
}

SIZE CListTextElementUI::EstimateSize(SIZE available) {
  const TListInfoUI* info = Info();
  if (owner_ == nullptr || info == nullptr) return SIZE{0, 0};
  int width = fixedSize_.cx;
  if (width == 0 && info->columns > 0) {
    width = info->columnRects[info->columns - 1].right - info->columnRects[0].left;
  }
  if (width > 0 && width != estimate_.cx) needsEstimate_ = true;
  CStringUI text;
  if (listOwner_ != nullptr && listOwner_->GetTextCallback() != nullptr) {
    const wchar_t* answer = listOwner_->GetTextCallback()->GetItemText(this, index_, 0);
    if (answer != nullptr) text = answer;
  }
  if (text.IsEmpty()) text = columnTextCount_ > 0 ? columnTexts_[0] : text_;
  if (text != lastText_.GetData()) {
    needsEstimate_ = true;
    lastText_ = text;
  }
  return EstimateFor(available, width, text);
}

void CListTextElementUI::DrawItemText(HDC hDC, const RECT& rc) {
  const TListInfoUI* info = Info();
  if (listOwner_ == nullptr || info == nullptr) return;
  const DWORD color = GetAdjustedColor(StateTextColor(*info));
  linkCount_ = 0;
  auto drawColumn = [&](RECT area, const CStringUI& text) {
    if (text.IsEmpty()) return;
    int slots = kMaxLinks - linkCount_;
    DrawItemString(hDC, manager_, Inset(area, info->textPadding), text.GetData(), color, *info,
                   slots > 0 ? &links_[linkCount_] : nullptr,
                   slots > 0 ? &linkTexts_[linkCount_] : nullptr, &slots);
    linkCount_ += std::max(0, slots);
  };
  const int columns = std::min(info->columns, kListMaxColumns);
  if (columns == 0) {
    drawColumn(rc, ColumnTextToShow(0, false));
  } else {
    for (int i = 0; i < columns; ++i) {
      RECT area = {info->columnRects[i].left, rc.top, info->columnRects[i].right, rc.bottom};
      if (i < columns - 1 && info->vLineSize > 0) {
        const int x = area.right - info->vLineSize / 2;
        CRenderUI::DrawLine(hDC, RECT{x, rc.top, x, rc.bottom}, info->vLineSize,
                            GetAdjustedColor(info->vLineColor));
        area.right -= info->vLineSize;
      }
      drawColumn(area, ColumnTextToShow(i, true));
    }
  }
  for (int i = linkCount_; i < kMaxLinks; ++i) {
    links_[i] = RECT{0, 0, 0, 0};
    linkTexts_[i].Empty();
  }
  if (hoverLink_ >= linkCount_) hoverLink_ = -1;
}

// --- CListContainerElementUI -------------------------------------------------------------------

CListContainerElementUI::CListContainerElementUI() = default;
CListContainerElementUI::~CListContainerElementUI() = default;

const wchar_t* CListContainerElementUI::GetClass() const { return L"ListContainerElement"; }

void* CListContainerElementUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"IListItem")) return static_cast<IListItemUI*>(this);
  if (NameIs(name, L"ListContainerElement")) return this;
  return CContainerUI::GetInterface(name);
}

void CListContainerElementUI::DoEvent(TInputEventUI& event) {
  if (IsMouseEvent(event) && !IsMouseEnabled()) {
    if (owner_ != nullptr) {
      owner_->DoEvent(event);
    } else {
      CContainerUI::DoEvent(event);
    }
    return;
  }
  if (HandleActivation(event)) return;
  if (HandlePointerEvent(event)) return;
  PassToOwner(event);
}

void CListContainerElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (NameIs(name, L"expandable")) {
    SetExpandable(ParseAttributeBool(value));
  } else {
    CListItemBaseUI<CContainerUI>::SetAttribute(name, value);
  }
}

bool CListContainerElementUI::Expand(bool expand) {
  if (owner_ == nullptr) return false;
  if (expand == expanded_) return true;
  expanded_ = expand;
  if (!expandable_) return true;
  if (!owner_->ExpandItem(index_, expand)) return false;
  if (manager_ != nullptr) manager_->SendNotify(this, expand ? L"itemexpand" : L"itemcollapse");
  return true;
}

SIZE CListContainerElementUI::EstimateSize(SIZE /*available*/) {
  SIZE size = fixedSize_;
  if (size.cy == 0) {
    const TListInfoUI* info = Info();
    size.cy = info != nullptr ? info->itemHeight : 0;
  }
  return size;
}

bool CListContainerElementUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  DrawItemBk(hDC);
  return CContainerUI::DoPaint(hDC, paint, stop);
}

// --- CListHBoxElementUI ------------------------------------------------------------------------

CListHBoxElementUI::CListHBoxElementUI() = default;
CListHBoxElementUI::~CListHBoxElementUI() = default;

const wchar_t* CListHBoxElementUI::GetClass() const { return L"ListHBoxElement"; }

void* CListHBoxElementUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ListHBoxElement")) return this;
  return CListContainerElementUI::GetInterface(name);
}

void CListHBoxElementUI::SetPos(RECT rc, bool needInvalidate) {
  if (owner_ == nullptr) {
    CContainerUI::SetPos(rc, needInvalidate);
    return;
  }
  CControlUI::SetPos(rc, needInvalidate);
  const TListInfoUI* info = Info();
  if (info == nullptr) return;
  const RECT& item = itemRect_;
  const int columns = std::min(info->columns, kListMaxColumns);
  int column = 0;
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* child = GetItemAt(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    const RECT padding = child->GetPadding();
    if (columns == 0) {
      child->SetPos(Inset(item, padding), false);
      continue;
    }
    // Children beyond the columns stay where they are.
    if (column >= columns) continue;
    const RECT& band = info->columnRects[column];
    RECT place = Inset(RECT{band.left, item.top, band.right, item.bottom}, padding);
    if (column < columns - 1 && info->vLineSize > 0) {
      place.right = std::max(place.left, place.right - info->vLineSize);
    }
    child->SetPos(place, false);
    ++column;
  }
}

bool CListHBoxElementUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  const TListInfoUI* info = Info();
  if (info == nullptr) return true;
  DrawItemBk(hDC);
  if (info->vLineSize > 0) {
    const int columns = std::min(info->columns, kListMaxColumns);
    for (int i = 0; i + 1 < columns; ++i) {
      const int x = info->columnRects[i].right - info->vLineSize / 2;
      CRenderUI::DrawLine(hDC, RECT{x, itemRect_.top, x, itemRect_.bottom}, info->vLineSize,
                          GetAdjustedColor(info->vLineColor));
    }
  }
  return CContainerUI::DoPaint(hDC, paint, stop);
}

}  // namespace SkinUI
