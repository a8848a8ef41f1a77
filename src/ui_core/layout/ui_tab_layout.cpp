#include "ui_core/layout/ui_tab_layout.h"

#include <algorithm>

#include "ui_core/layout/ui_layout_math.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

using namespace LayoutMath;

CTabLayoutUI::CTabLayoutUI() = default;

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayout"; }

void* CTabLayoutUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"TabLayout")) return this;
  return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) {
  // The container's own insertion, not the AddAt below, whose rule differs.
  if (!CContainerUI::AddAt(control, GetCount())) return false;
  if (selectedIndex_ == -1 && control->IsVisible()) {
    selectedIndex_ = GetItemIndex(control);
  } else {
    control->SetVisible(false);
  }
  return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  if (selectedIndex_ == -1 && control->IsVisible()) {
    selectedIndex_ = GetItemIndex(control);
    return true;
  }
  // Only the selected page shows; a page inserted before it moves the selection along.
  if (selectedIndex_ != -1 && index <= selectedIndex_) ++selectedIndex_;
  control->SetVisible(false);
  return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
  if (control == nullptr) return false;
  const int index = GetItemIndex(control);
  if (!CContainerUI::Remove(control, doNotDestroy)) return false;
  if (index == selectedIndex_) {
    if (GetCount() > 0) {
      selectedIndex_ = 0;
      GetItemAt(0)->SetVisible(true);
    } else {
      selectedIndex_ = -1;
    }
    NeedParentUpdate();
  } else if (index < selectedIndex_) {
    --selectedIndex_;
  }
  return true;
}

void CTabLayoutUI::RemoveAll() {
  selectedIndex_ = -1;
  CContainerUI::RemoveAll();
  NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(int index, bool notify) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == selectedIndex_) return true;
  const int old = selectedIndex_;
  selectedIndex_ = index;
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* page = GetItemAt(i);
    if (i == index) {
      page->SetVisible(true);
      page->SetFocus();
    } else {
      page->SetVisible(false);
    }
  }
  NeedParentUpdate();
  if (manager_ != nullptr) {
    // A layout outside the window's tree (one the skin builder configures) leaves the window's
    // focus where it is.
    if (manager_->IsInAttachedTree(this)) manager_->SetNextTabControl(true);
    if (notify) {
      manager_->SendNotify(this, L"tabselect", static_cast<WPARAM>(index),
                           static_cast<LPARAM>(old));
    }
  }
  return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control, bool notify) {
  const int index = GetItemIndex(control);
  return index >= 0 && SelectItem(index, notify);
}

void CTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;  // an attribute without a name sets nothing
  if (NameIs(name, L"selectedid")) SelectItem(ParseAttributeInt(value), true);
  CContainerUI::SetAttribute(name, value);
}

void CTabLayoutUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  const RECT inset = GetInset();
  const int64_t left = static_cast<int64_t>(itemRect_.left) + inset.left;
  const int64_t top = static_cast<int64_t>(itemRect_.top) + inset.top;
  const int64_t right = static_cast<int64_t>(itemRect_.right) - inset.right;
  const int64_t bottom = static_cast<int64_t>(itemRect_.bottom) - inset.bottom;
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* page = GetItemAt(i);
    if (!page->IsVisible()) continue;
    if (page->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    if (i != selectedIndex_) continue;
    const RECT p = PaddingOf(page);
    const int64_t pageLeft = left + p.left, pageTop = top + p.top;
    const int64_t width = right - p.right - pageLeft, height = bottom - p.bottom - pageTop;
    const SIZE sz = page->EstimateSize(SIZE{ToCoord(width), ToCoord(height)});
    int64_t cx = sz.cx != 0 ? sz.cx : std::max<int64_t>(width, 0);
    int64_t cy = sz.cy != 0 ? sz.cy : std::max<int64_t>(height, 0);
    cx = Limit(cx, page->GetMinWidth(), page->GetMaxWidth());
    cy = Limit(cy, page->GetMinHeight(), page->GetMaxHeight());
    page->SetPos(MakeRect(pageLeft, pageTop, pageLeft + cx, pageTop + cy), false);
  }
}

}  // namespace SkinUI
