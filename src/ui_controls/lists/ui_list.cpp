#include "ui_controls/lists/ui_list.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "ui_controls/lists/ui_list_header.h"
#include "ui_core/layout/ui_layout_math.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

using namespace LayoutMath;

bool IsMouseEvent(const TInputEventUI& event) {
  return event.type >= kEventMouseFirst && event.type <= kEventMouseLast;
}

RECT InsetRect(const RECT& rc, const RECT& inset) {
  RECT inner = MakeRect(static_cast<int64_t>(rc.left) + inset.left,
                        static_cast<int64_t>(rc.top) + inset.top,
                        static_cast<int64_t>(rc.right) - inset.right,
                        static_cast<int64_t>(rc.bottom) - inset.bottom);
  if (inner.right < inner.left) inner.right = inner.left;
  if (inner.bottom < inner.top) inner.bottom = inner.top;
  return inner;
}

}  // namespace

// --- CListBodyUI -------------------------------------------------------------------------------

CListBodyUI::CListBodyUI(CListUI* owner) : owner_(owner) {}

CListBodyUI::~CListBodyUI() = default;

void CListBodyUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  const TListInfoUI* info = owner_ != nullptr ? owner_->GetListInfo() : nullptr;
  const RECT client = ClientRect(*this);
  const ScrollInfo vertical = VerticalScroll(*this);
  const ScrollInfo horizontal = HorizontalScroll(*this);
  const int64_t availWidth =
      static_cast<int64_t>(client.right - client.left) + (horizontal.visible ? horizontal.range : 0);
  const int64_t availHeight =
      static_cast<int64_t>(client.bottom - client.top) + (vertical.visible ? vertical.range : 0);
  // Items as wide as the columns span, when there are columns.
  int64_t offered = availWidth;
  if (info != nullptr && info->columns > 0) {
    offered = std::max<int64_t>(
        static_cast<int64_t>(info->columnRects[info->columns - 1].right) - info->columnRects[0].left, 0);
  }
  const int64_t gap = static_cast<int64_t>(GetChildPadding()) + (info != nullptr ? info->hLineSize : 0);

  // First pass: what the items need; items without a height share what is left.
  const int count = GetCount();
  std::vector<int64_t> heights;
  heights.reserve(static_cast<size_t>(count));
  int64_t needHeight = 0, needWidth = 0, placed = 0, adjustables = 0;
  for (int i = 0; i < count; ++i) {
    CControlUI* child = GetItemAt(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    const RECT pad = PaddingOf(child);
    const SIZE size = child->EstimateSize(
        SIZE{ToCoord(offered - pad.left - pad.right), ToCoord(availHeight)});
    int64_t height = size.cy;
    if (height <= 0) {
      height = 0;
      ++adjustables;
    } else {
      height = Limit(height, child->GetMinHeight(), child->GetMaxHeight());
    }
    heights.push_back(height);
    needHeight += height + pad.top + pad.bottom;
    const int64_t width = child->GetFixedWidth() > 0 ? child->GetFixedWidth() : size.cx;
    needWidth = std::max(needWidth, width + pad.left + pad.right);
    ++placed;
  }
  if (placed > 0) needHeight += gap * (placed - 1);
  const int64_t share =
      adjustables > 0 ? std::max<int64_t>((availHeight - needHeight) / adjustables, 0) : 0;

  // Second pass: place them top to bottom.
  const int64_t left = static_cast<int64_t>(client.left) - (horizontal.visible ? horizontal.pos : 0);
  int64_t y = static_cast<int64_t>(client.top) - (vertical.visible ? vertical.pos : 0);
  const int64_t top = y;
  size_t k = 0;
  for (int i = 0; i < count; ++i) {
    CControlUI* child = GetItemAt(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    const RECT pad = PaddingOf(child);
    int64_t height = heights[k++];
    if (height == 0) height = Limit(share, child->GetMinHeight(), child->GetMaxHeight());
    int64_t width = child->GetFixedWidth() > 0 ? child->GetFixedWidth()
                                               : offered - pad.left - pad.right;
    width = Limit(std::max<int64_t>(width, 0), child->GetMinWidth(), child->GetMaxWidth());
    const int64_t itemTop = y + pad.top;
    const int64_t itemLeft = left + pad.left;
    child->SetPos(MakeRect(itemLeft, itemTop, itemLeft + width, itemTop + height), false);
    y = itemTop + height + pad.bottom + gap;
  }
  const int64_t usedHeight = placed > 0 ? y - gap - top : 0;
  int64_t contentWidth = std::max(needWidth, offered);
  if (owner_ != nullptr && owner_->GetHeader()->GetCount() > 0) {
    const SIZE header = owner_->GetHeader()->EstimateSize(
        SIZE{client.right - client.left, client.bottom - client.top});
    contentWidth = std::max<LONG>(header.cx, 0);
  }
  ProcessScrollBar(client, ToCoord(contentWidth), ToCoord(usedHeight));
}

void CListBodyUI::DoEvent(TInputEventUI& event) {
  if (owner_ == nullptr) {
    CControlUI::DoEvent(event);
    return;
  }
  if (IsMouseEvent(event) && !IsMouseEnabled()) {
    owner_->DoEvent(event);
    return;
  }
  CScrollBarUI* bar = GetHorizontalScrollBar();
  if (event.type == kEventScrollWheel && bar != nullptr && bar->IsVisible() && bar->IsEnabled() &&
      ::PtInRect(&bar->GetPos(), event.mousePoint)) {
    if (event.wParam == 0) {
      owner_->LineLeft();
      return;
    }
    if (event.wParam == 1) {
      owner_->LineRight();
      return;
    }
  }
  owner_->DoEvent(event);
}

bool CListBodyUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  return PaintListBody(*this, owner_ != nullptr ? owner_->GetListInfo() : nullptr, hDC, paint,
                       stop);
}

void CListBodyUI::SetScrollPos(SIZE pos) {
  const LONG before = GetScrollPos().cx;
  CVerticalLayoutUI::SetScrollPos(pos);
  if (owner_ == nullptr || GetScrollPos().cx == before) return;
  // The columns move with the items.
  owner_->UpdateColumns();
  owner_->GetHeader()->Invalidate();
}

// --- CListUI -----------------------------------------------------------------------------------

CListUI::CListUI() {
  body_ = new CListBodyUI(this);
  header_ = new CListHeaderUI();
  CContainerUI::Add(header_);
  CContainerUI::Add(body_);
}

CListUI::~CListUI() = default;

const wchar_t* CListUI::GetClass() const { return L"List"; }

void* CListUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"List")) return this;
  if (NameIs(name, L"IList")) return static_cast<IListUI*>(this);
  if (NameIs(name, L"IListOwner")) return static_cast<IListOwnerUI*>(this);
  return CVerticalLayoutUI::GetInterface(name);
}

UINT CListUI::GetControlFlags() const { return kControlFlagTabStop; }

bool CListUI::IsHeaderControl(CControlUI* control) const {
  return control != nullptr && control->GetInterface(L"ListHeader") != nullptr;
}

bool CListUI::IsHeaderItem(CControlUI* control) const {
  return control != nullptr && control->GetClass() != nullptr &&
         std::wcsstr(control->GetClass(), L"ListHeaderItem") != nullptr;
}

// --- children --------------------------------------------------------------------------------

CControlUI* CListUI::GetItemAt(int index) const { return body_->GetItemAt(index); }

int CListUI::GetCount() const { return body_->GetCount(); }

int CListUI::GetItemIndex(CControlUI* control) const {
  if (IsHeaderControl(control)) return CContainerUI::GetItemIndex(control);
  if (IsHeaderItem(control)) return header_->GetItemIndex(control);
  return body_->GetItemIndex(control);
}

bool CListUI::Add(CControlUI* control) {
  if (control == nullptr) return false;
  if (IsHeaderControl(control)) {
    // A header that is a child already (the current one, or one added after the columns) keeps
    // its one place: a second entry would be laid out twice and deleted twice.
    if (CContainerUI::GetItemIndex(control) >= 0) return false;
    // A header given by the skin replaces the empty one the list made; once columns exist a
    // further header is only another child.
    const bool replace = header_->GetCount() == 0;
    if (!CContainerUI::AddAt(control, 0)) return false;
    if (replace) {
      CListHeaderUI* old = header_;
      header_ = static_cast<CListHeaderUI*>(control->GetInterface(L"ListHeader"));
      CContainerUI::Remove(old);
    }
    info_.columns = std::min(header_->GetCount(), kListMaxColumns);
    return true;
  }
  if (IsHeaderItem(control)) {
    const bool added = header_->Add(control);
    info_.columns = std::min(header_->GetCount(), kListMaxColumns);
    return added;
  }
  return AddListItem(*body_, this, control);
}

bool CListUI::AddAt(CControlUI* control, int index) {
  if (control == nullptr) return false;
  if (IsHeaderControl(control)) return CListUI::Add(control);
  if (IsHeaderItem(control)) {
    const bool added = header_->AddAt(control, index);
    info_.columns = std::min(header_->GetCount(), kListMaxColumns);
    return added;
  }
  if (!InsertListItem(*body_, this, curSel_, control, index)) return false;
  if (expandedItem_ >= index) ++expandedItem_;
  return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy) {
  if (control == nullptr) return false;
  if (IsHeaderControl(control)) {
    // The list keeps a header at all times: its columns are read from it.
    if (control == header_) return false;
    return CContainerUI::Remove(control, doNotDestroy);
  }
  if (IsHeaderItem(control)) {
    const bool removed = header_->Remove(control, doNotDestroy);
    info_.columns = std::min(header_->GetCount(), kListMaxColumns);
    return removed;
  }
  const int index = body_->GetItemIndex(control);
  if (index < 0) return false;
  // Not the virtual RemoveAt: a tree view's RemoveAt comes back here for its nodes.
  return CListUI::RemoveAt(index, doNotDestroy);
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
  if (body_->GetItemAt(index) == nullptr) return false;
  if (index == expandedItem_) {
    expandedItem_ = -1;
  } else if (index < expandedItem_) {
    --expandedItem_;
  }
  return RemoveListItemAt(*body_, *this, curSel_, index, doNotDestroy);
}

void CListUI::RemoveAll() {
  expandedItem_ = -1;
  RemoveAllListItems(*body_, curSel_);
}

bool CListUI::SetItemIndex(CControlUI* control, int newIndex) {
  if (IsHeaderControl(control)) return CContainerUI::SetItemIndex(control, newIndex);
  if (IsHeaderItem(control)) return header_->SetItemIndex(control, newIndex);
  CControlUI* expanded = body_->GetItemAt(expandedItem_);
  if (!MoveListItem(*body_, curSel_, control, newIndex)) return false;
  if (expanded != nullptr) expandedItem_ = body_->GetItemIndex(expanded);
  return true;
}

bool CListUI::SetItemRangeIndex(CControlUI* startControl, int count, int newStartIndex) {
  if (IsHeaderControl(startControl)) {
    return CContainerUI::SetItemRangeIndex(startControl, count, newStartIndex);
  }
  if (IsHeaderItem(startControl)) {
    return header_->SetItemRangeIndex(startControl, count, newStartIndex);
  }
  CControlUI* expanded = body_->GetItemAt(expandedItem_);
  if (!MoveListItemRange(*body_, curSel_, startControl, count, newStartIndex)) return false;
  if (expanded != nullptr) expandedItem_ = body_->GetItemIndex(expanded);
  return true;
}

// --- forwarded to the body ---------------------------------------------------------------------

int CListUI::GetChildPadding() const { return body_->GetChildPadding(); }
void CListUI::SetChildPadding(int padding) { body_->SetChildPadding(padding); }
int CListUI::FindSelectable(int index, bool forward) const {
  return body_->FindSelectable(index, forward);
}
SIZE CListUI::GetScrollPos() const { return body_->GetScrollPos(); }
SIZE CListUI::GetScrollRange() const { return body_->GetScrollRange(); }
void CListUI::SetScrollPos(SIZE pos) { body_->SetScrollPos(pos); }
void CListUI::LineUp() { body_->LineUp(); }
void CListUI::LineDown() { body_->LineDown(); }
void CListUI::PageUp() { body_->PageUp(); }
void CListUI::PageDown() { body_->PageDown(); }
void CListUI::HomeUp() { body_->HomeUp(); }
void CListUI::EndDown() { body_->EndDown(); }
void CListUI::LineLeft() { body_->LineLeft(); }
void CListUI::LineRight() { body_->LineRight(); }
void CListUI::PageLeft() { body_->PageLeft(); }
void CListUI::PageRight() { body_->PageRight(); }
void CListUI::HomeLeft() { body_->HomeLeft(); }
void CListUI::EndRight() { body_->EndRight(); }
void CListUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
  body_->EnableScrollBar(enableVertical, enableHorizontal);
}
CScrollBarUI* CListUI::GetVerticalScrollBar() const { return body_->GetVerticalScrollBar(); }
CScrollBarUI* CListUI::GetHorizontalScrollBar() const { return body_->GetHorizontalScrollBar(); }

// --- selection and expansion -------------------------------------------------------------------

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index == curSel_) return true;
  if (index < -1 || index >= body_->GetCount()) return false;
  const int previous = curSel_;
  if (curSel_ >= 0) {
    IListItemUI* current = AsListItem(body_->GetItemAt(curSel_));
    curSel_ = -1;
    if (current != nullptr) current->Select(false, triggerEvent);
  }
  if (index < 0) return false;
  CControlUI* control = body_->GetItemAt(index);
  IListItemUI* item = AsListItem(control);
  if (item == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
  curSel_ = index;
  if (!item->Select(true, triggerEvent)) {
    curSel_ = -1;
    return false;
  }
  EnsureVisible(index);
  if (takeFocus) control->SetFocus();
  if (triggerEvent && manager_ != nullptr) {
    manager_->SendNotify(this, L"itemselect", static_cast<WPARAM>(index),
                         static_cast<LPARAM>(previous));
  }
  return true;
}

void CListUI::MoveSelection(int from, bool forward, bool takeFocus) {
  const int target = FindSelectable(from, forward);
  // Nothing that can take the selection that way: the selection stays where it is.
  if (target < 0) return;
  SelectItem(target, takeFocus, true);
}

bool CListUI::ExpandItem(int index, bool expand) {
  if (expandedItem_ >= 0 && !info_.multiExpanding) {
    IListItemUI* expanded = AsListItem(body_->GetItemAt(expandedItem_));
    expandedItem_ = -1;
    if (expanded != nullptr) expanded->Expand(false);
  }
  if (expand) {
    CControlUI* control = body_->GetItemAt(index);
    IListItemUI* item = AsListItem(control);
    if (item == nullptr || !control->IsVisible()) return false;
    expandedItem_ = index;
    if (!item->Expand(true)) {
      expandedItem_ = -1;
      return false;
    }
  }
  NeedUpdate();
  return true;
}

void CListUI::EnsureVisible(int index) {
  if (curSel_ < 0) return;
  CControlUI* control = body_->GetItemAt(index);
  if (control == nullptr) return;
  const RECT item = control->GetPos();
  RECT area = InsetRect(body_->GetPos(), body_->GetInset());
  CScrollBarUI* bar = body_->GetHorizontalScrollBar();
  if (bar != nullptr && bar->IsVisible()) area.bottom -= bar->GetFixedHeight();
  if (item.top >= area.top && item.bottom <= area.bottom) return;
  const int offset = item.bottom > area.bottom ? item.bottom - area.bottom : item.top - area.top;
  const SIZE pos = body_->GetScrollPos();
  body_->SetScrollPos(SIZE{pos.cx, pos.cy + offset});
}

// --- events ------------------------------------------------------------------------------------

void CListUI::DoEvent(TInputEventUI& event) {
  if (IsMouseEvent(event) && !IsMouseEnabled()) {
    if (parent_ != nullptr) {
      parent_->DoEvent(event);
    } else {
      CVerticalLayoutUI::DoEvent(event);
    }
    return;
  }
  switch (event.type) {
    case kEventSetFocus:
      focused_ = true;
      return;
    case kEventKillFocus:
      focused_ = false;
      return;
    case kEventKeyDown:
      if (!IsKeyboardEnabled() || !IsEnabled()) break;
      switch (event.key) {
        case VK_UP: MoveSelection(curSel_ - 1, false, true); break;
        case VK_DOWN: MoveSelection(curSel_ + 1, true, true); break;
        case VK_PRIOR: PageUp(); break;
        case VK_NEXT: PageDown(); break;
        case VK_HOME: MoveSelection(0, true, true); break;
        // The last item that can be selected, not only the last item.
        case VK_END: MoveSelection(GetCount() - 1, false, true); break;
        case VK_RETURN:
          if (CControlUI* selected = body_->GetItemAt(curSel_)) selected->Activate();
          break;
        default: break;
      }
      return;
    case kEventScrollWheel:
      if (!IsEnabled()) break;
      if (event.wParam == 0) {
        if (scrollSelect_) {
          MoveSelection(curSel_ - 1, false, false);
        } else {
          LineUp();
        }
        return;
      }
      if (event.wParam == 1) {
        if (scrollSelect_) {
          MoveSelection(curSel_ + 1, true, false);
        } else {
          LineDown();
        }
        return;
      }
      break;
    default:
      break;
  }
  CVerticalLayoutUI::DoEvent(event);
}

// --- placement ---------------------------------------------------------------------------------

void CListUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  const RECT client = InsetRect(itemRect_, inset_);
  int headerHeight = 0;
  if (header_->IsVisible()) {
    const SIZE size =
        header_->EstimateSize(SIZE{client.right - client.left, client.bottom - client.top});
    headerHeight = std::min(std::max(static_cast<int>(size.cy), 0),
                            static_cast<int>(client.bottom - client.top));
  }
  headerRect_ = RECT{client.left, client.top, client.right, client.top + headerHeight};
  // The body lays its items out along the columns: read them first.
  UpdateColumns();
  if (body_->IsVisible()) {
    body_->SetPos(RECT{client.left, client.top + headerHeight, client.right, client.bottom}, false);
  }
  // Laying the body out may have scrolled it sideways.
  UpdateColumns();
}

void CListUI::UpdateColumns() {
  const bool hidden = !header_->IsVisible();
  const int count = header_->GetCount();
  if (hidden) {
    // A hidden header still gives the columns their places.
    for (int i = count - 1; i >= 0; --i) header_->GetItemAt(i)->SetInheritedVisible(true);
    header_->SetPos(RECT{headerRect_.left, 0, headerRect_.right, 0}, false);
  } else {
    header_->SetPos(headerRect_, false);
  }
  info_.columns = std::min(count, kListMaxColumns);
  const int x = body_->GetScrollPos().cx;
  for (int i = 0; i < info_.columns; ++i) {
    CControlUI* item = header_->GetItemAt(i);
    if (!item->IsVisible() || item->IsFloat()) continue;
    if (x > 0) {
      RECT moved = item->GetPos();
      ::OffsetRect(&moved, -x, 0);
      item->SetPos(moved, false);
    }
    info_.columnRects[i] = item->GetPos();
  }
  if (hidden) {
    for (int i = 0; i < count; ++i) header_->GetItemAt(i)->SetInheritedVisible(false);
  }
}

void CListUI::Move(SIZE offset, bool needInvalidate) {
  CVerticalLayoutUI::Move(offset, needInvalidate);
  if (!header_->IsVisible()) header_->Move(offset, false);
  ::OffsetRect(&headerRect_, offset.cx, offset.cy);
  for (int i = 0; i < info_.columns; ++i) ::OffsetRect(&info_.columnRects[i], offset.cx, offset.cy);
}

// --- attributes --------------------------------------------------------------------------------

void CListUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"header")) {
    header_->SetVisible(!NameIs(value, L"hidden"));
  } else if (NameIs(name, L"headerbkimage")) {
    header_->SetBkImage(value);
  } else if (NameIs(name, L"scrollselect")) {
    SetScrollSelect(ParseAttributeBool(value));
  } else if (NameIs(name, L"multiexpanding")) {
    SetMultiExpanding(ParseAttributeBool(value));
  } else if (NameIs(name, L"vscrollbar") || NameIs(name, L"hscrollbar") ||
             NameIs(name, L"vscrollbarstyle") || NameIs(name, L"hscrollbarstyle")) {
    // The bars belong to the body, which scrolls.
    body_->SetAttribute(name, value);
  } else {
    switch (SetListInfoAttribute(info_, name, value, kListItemTextAttributes)) {
      case ListInfoChange::kUnknown:
        CVerticalLayoutUI::SetAttribute(name, value);
        break;
      case ListInfoChange::kAppearance:
      case ListInfoChange::kImage:
        Invalidate();
        break;
      case ListInfoChange::kLayout:
      case ListInfoChange::kHtmlChanged:
      case ListInfoChange::kTextStyle:  // the items measure and draw their text with it
        NeedUpdate();
        break;
      case ListInfoChange::kStored:
        break;
    }
  }
}

}  // namespace SkinUI
