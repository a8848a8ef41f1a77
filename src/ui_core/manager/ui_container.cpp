#include "ui_core/manager/ui_container.h"

#include <algorithm>
#include <new>
#include <vector>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_core/values/ui_clamp.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// Showing or hiding a bar lays the container out again, which may change what the content needs
// and so the bars once more; a few rounds settle any real layout, more would be a loop.
constexpr int kMaxRelayoutDepth = 4;

constexpr int kDefaultLineSize = 8;

int Width(const RECT& rc) { return SubClamped(rc.right, rc.left); }
int Height(const RECT& rc) { return SubClamped(rc.bottom, rc.top); }

void ShowBar(CScrollBarUI* bar, int range) {
  bar->SetVisible(true);
  bar->SetScrollRange(range);
  bar->SetScrollPos(0, true);
}

void HideBar(CScrollBarUI* bar) {
  bar->SetVisible(false);
  bar->SetScrollPos(0, true);
  bar->SetScrollRange(0);
}

// Gives the bar the range the content needs: content that fits needs none (never a negative
// one), and a bar without range is hidden. True when that brought the position down.
bool UpdateBarRange(CScrollBarUI* bar, int scroll) {
  const int lastPos = bar->GetScrollPos();
  bar->SetScrollRange(std::max(scroll, 0));
  if (bar->GetScrollRange() == 0) {
    bar->SetVisible(false);
    bar->SetScrollPos(0, true);
  }
  return lastPos > bar->GetScrollPos();
}

// The container's own children. Its internal walks never go through the virtual GetItemAt: a
// container that shows the items of another one through the IContainerUI operations (a list,
// whose items live in its body) still lays out, paints and searches its own children.
CControlUI* ChildOf(const CPtrArrayUI& items, int index) {
  return static_cast<CControlUI*>(items.GetAt(index));
}

bool Meets(const RECT& a, const RECT& b) {
  RECT unused;
  return ::IntersectRect(&unused, &a, &b) != FALSE;
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
  // Children go at once: the manager may be going away with this tree.
  delayedDestroy_ = false;
  RemoveAll();
  if (verticalScrollBar_ != nullptr) verticalScrollBar_->Delete();
  verticalScrollBar_ = nullptr;
  if (horizontalScrollBar_ != nullptr) horizontalScrollBar_->Delete();
  horizontalScrollBar_ = nullptr;
}

const wchar_t* CContainerUI::GetClass() const { return L"Container"; }

void* CContainerUI::GetInterface(const wchar_t* name) {
  if (name != nullptr) {
    if (NameIs(name, L"IContainer")) return static_cast<IContainerUI*>(this);
    if (NameIs(name, L"Container")) return this;
  }
  return CControlUI::GetInterface(name);
}

// --- items ------------------------------------------------------------------------------------

CControlUI* CContainerUI::GetItemAt(int index) const {
  return static_cast<CControlUI*>(items_.GetAt(index));
}

int CContainerUI::GetItemIndex(CControlUI* control) const { return items_.Find(control); }

int CContainerUI::GetCount() const { return items_.GetSize(); }

bool CContainerUI::IsSelfOrAncestor(const CControlUI* control) const {
  for (const CControlUI* c = this; c != nullptr; c = c->GetParent()) {
    if (c == control) return true;
  }
  return false;
}

// Not through the virtual AddAt: a derived container that overrides both would handle the
// new child twice.
bool CContainerUI::Add(CControlUI* control) {
  return CContainerUI::AddAt(control, items_.GetSize());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
  // The index is checked before the manager registers the subtree's names, so that a refused
  // child leaves nothing behind in the name index.
  if (control == nullptr || index < 0 || index > items_.GetSize()) return false;
  if (IsSelfOrAncestor(control)) return false;
  if (manager_ != nullptr) {
    manager_->InitControls(control, this);
  } else if (control->GetManager() == nullptr) {
    // The manager comes later with the tree; the parent link is needed for placement now.
    control->SetManager(nullptr, this, false);
  }
  if (IsVisible()) {
    NeedUpdate();
  } else {
    control->SetInheritedVisible(false);
  }
  return items_.InsertAt(index, control);
}

void CContainerUI::DisposeChild(CControlUI* control) {
  if (delayedDestroy_ && manager_ != nullptr) {
    manager_->AddDelayedCleanup(control);
  } else {
    control->Delete();
  }
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
  if (control == nullptr) return false;
  const int index = items_.Find(control);
  if (index < 0) return false;
  NeedUpdate();
  const bool removed = items_.Remove(index);
  if (!doNotDestroy && autoDestroy_) {
    DisposeChild(control);
  } else {
    ReleaseChild(control);
  }
  return removed;
}

void CContainerUI::ReleaseChild(CControlUI* control) {
  // A child that lives on after its removal is no longer part of the window's tree: it takes no
  // focus and its names leave the index. A focus inside it is given up while it still has its
  // manager, as any loss of the focus is: an open native field hands the keyboard back to the
  // window and leaves the manager's list of native windows. Without a manager it tells the one
  // that knew it when it goes, if that one still exists.
  CWindowManagerUI* manager = control->GetManager();
  if (manager != nullptr && !manager->ForgetSubtreeInTree(control)) return;  // a handler deleted it
  // A "killfocus" handler may have given it a place of its own again.
  if (control->GetParent() != this) return;
  control->SetManager(nullptr, nullptr, false);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* control = ChildOf(items_, index);
  if (control == nullptr) return false;
  return Remove(control, doNotDestroy);
}

void CContainerUI::RemoveAll() {
  // Take the list first: a child's destruction may reach back into this container.
  std::vector<CControlUI*> children;
  children.reserve(static_cast<size_t>(items_.GetSize()));
  for (int i = 0; i < items_.GetSize(); ++i) children.push_back(ChildOf(items_, i));
  items_.Empty();
  // Children that this container does not destroy leave the window's tree as one taken out with
  // Remove does: none keeps a parent that may be deleted before it.
  for (CControlUI* child : children) {
    if (autoDestroy_) {
      DisposeChild(child);
    } else {
      ReleaseChild(child);
    }
  }
  NeedUpdate();
}

bool CContainerUI::SetItemIndex(CControlUI* control, int newIndex) {
  const int index = items_.Find(control);
  if (index < 0) return false;
  // Checked before the child leaves its place, so that a bad index does not lose it.
  if (newIndex < 0 || newIndex >= items_.GetSize()) return false;
  NeedUpdate();
  items_.Remove(index);
  return items_.InsertAt(newIndex, control);
}

bool CContainerUI::SetItemRangeIndex(CControlUI* startControl, int count, int newStartIndex) {
  if (startControl == nullptr || count < 0 || newStartIndex < 0) return false;
  const int start = items_.Find(startControl);
  if (start < 0) return false;
  if (start == newStartIndex) return true;
  const long long size = items_.GetSize();
  if (start + static_cast<long long>(count) > size ||
      newStartIndex + static_cast<long long>(count) > size) {
    return false;
  }
  std::vector<CControlUI*> run;
  run.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) run.push_back(ChildOf(items_, start + i));
  if (count > 0) items_.Remove(start, count);
  for (int i = 0; i < count; ++i) {
    if (!items_.InsertAt(newStartIndex + i, run[static_cast<size_t>(i)])) return false;
  }
  NeedUpdate();
  return true;
}

// --- control overrides ------------------------------------------------------------------------

void CContainerUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
  for (int i = 0; i < items_.GetSize(); ++i) ChildOf(items_, i)->SetManager(manager, this, init);
  if (verticalScrollBar_ != nullptr) verticalScrollBar_->SetManager(manager, this, init);
  if (horizontalScrollBar_ != nullptr) horizontalScrollBar_->SetManager(manager, this, init);
  CControlUI::SetManager(manager, parent, init);
}

bool CContainerUI::IsBarShown(const CScrollBarUI* bar) const {
  return bar != nullptr && bar->IsVisible();
}

bool CContainerUI::IsBarActive(const CScrollBarUI* bar) const {
  return IsBarShown(bar) && bar->IsEnabled();
}

RECT CContainerUI::GetChildArea() const {
  RECT rc = itemRect_;
  rc.left = AddClamped(rc.left, inset_.left);
  rc.top = AddClamped(rc.top, inset_.top);
  rc.right = SubClamped(rc.right, inset_.right);
  rc.bottom = SubClamped(rc.bottom, inset_.bottom);
  if (IsBarShown(verticalScrollBar_)) {
    rc.right = SubClamped(rc.right, verticalScrollBar_->GetFixedWidth());
  }
  if (IsBarShown(horizontalScrollBar_)) {
    rc.bottom = SubClamped(rc.bottom, horizontalScrollBar_->GetFixedHeight());
  }
  return rc;
}

RECT CContainerUI::GetClientPos() const { return GetChildArea(); }

void CContainerUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  if (items_.IsEmpty()) return;

  RECT area = itemRect_;
  area.left = AddClamped(area.left, inset_.left);
  area.top = AddClamped(area.top, inset_.top);
  area.right = SubClamped(area.right, inset_.right);
  area.bottom = SubClamped(area.bottom, inset_.bottom);
  if (IsBarShown(verticalScrollBar_)) {
    const int position = verticalScrollBar_->GetScrollPos();
    area.top = SubClamped(area.top, position);
    area.bottom = SubClamped(area.bottom, position);
    area.bottom = AddClamped(area.bottom, verticalScrollBar_->GetScrollRange());
    area.right = SubClamped(area.right, verticalScrollBar_->GetFixedWidth());
  }
  if (IsBarShown(horizontalScrollBar_)) {
    const int position = horizontalScrollBar_->GetScrollPos();
    area.left = SubClamped(area.left, position);
    area.right = SubClamped(area.right, position);
    area.right = AddClamped(area.right, horizontalScrollBar_->GetScrollRange());
    area.bottom = SubClamped(area.bottom, horizontalScrollBar_->GetFixedHeight());
  }

  for (int i = 0; i < items_.GetSize(); ++i) {
    CControlUI* child = ChildOf(items_, i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    int width = std::max(Width(area), child->GetMinWidth());
    width = std::min(width, child->GetMaxWidth());
    int height = std::max(Height(area), child->GetMinHeight());
    height = std::min(height, child->GetMaxHeight());
    child->SetPos(RECT{area.left, area.top, AddClamped(area.left, width),
                       AddClamped(area.top, height)},
                  false);
  }
}

void CContainerUI::Move(SIZE offset, bool needInvalidate) {
  CControlUI::Move(offset, needInvalidate);
  if (IsBarShown(verticalScrollBar_)) verticalScrollBar_->Move(offset, false);
  if (IsBarShown(horizontalScrollBar_)) horizontalScrollBar_->Move(offset, false);
  for (int i = 0; i < items_.GetSize(); ++i) {
    CControlUI* child = ChildOf(items_, i);
    if (child->IsVisible()) child->Move(offset, false);
  }
}

void CContainerUI::SetVisible(bool visible) {
  if (visible_ == visible) return;
  CControlUI::SetVisible(visible);
  const bool shown = IsVisible();
  for (int i = 0; i < items_.GetSize(); ++i) ChildOf(items_, i)->SetInheritedVisible(shown);
}

void CContainerUI::SetInheritedVisible(bool visible) {
  CControlUI::SetInheritedVisible(visible);
  const bool shown = IsVisible();
  for (int i = 0; i < items_.GetSize(); ++i) ChildOf(items_, i)->SetInheritedVisible(shown);
}

void CContainerUI::SetMouseEnabled(bool enabled) {
  if (verticalScrollBar_ != nullptr) verticalScrollBar_->SetMouseEnabled(enabled);
  if (horizontalScrollBar_ != nullptr) horizontalScrollBar_->SetMouseEnabled(enabled);
  CControlUI::SetMouseEnabled(enabled);
}

// --- lookup -----------------------------------------------------------------------------------

CControlUI* CContainerUI::FindControl(FindControlProc proc, LPVOID data, UINT flags) {
  const bool hitTest = (flags & kFindHitTest) != 0;
  const POINT* point = static_cast<const POINT*>(data);
  if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
  if (hitTest && (point == nullptr || !::PtInRect(&itemRect_, *point))) return nullptr;
  if ((flags & kFindUpdateTest) != 0 && proc(this, data) != nullptr) return nullptr;

  const bool selfMayAnswer = !hitTest || mouseEnabled_;
  const bool childrenMayAnswer = !hitTest || mouseChildEnabled_;
  if ((flags & kFindMeFirst) != 0 && selfMayAnswer) {
    if (CControlUI* found = proc(this, data)) return found;
  }
  if (cover_ != nullptr && childrenMayAnswer) {
    if (CControlUI* found = cover_->FindControl(proc, data, flags)) return found;
  }
  if (selfMayAnswer) {
    if (verticalScrollBar_ != nullptr) {
      if (CControlUI* found = verticalScrollBar_->FindControl(proc, data, flags)) return found;
    }
    if (horizontalScrollBar_ != nullptr) {
      if (CControlUI* found = horizontalScrollBar_->FindControl(proc, data, flags)) return found;
    }
  }
  if (childrenMayAnswer) {
    const RECT client = GetChildArea();
    const int count = items_.GetSize();
    const bool topFirst = (flags & kFindTopFirst) != 0;
    for (int n = 0; n < count; ++n) {
      CControlUI* child = ChildOf(items_, topFirst ? count - 1 - n : n);
      CControlUI* found = child->FindControl(proc, data, flags);
      if (found == nullptr) continue;
      // Children scrolled under a bar or into the inset cannot be hit there.
      if (!hitTest || found->IsFloat() || ::PtInRect(&client, *point)) return found;
    }
  }
  if ((flags & kFindMeFirst) == 0 && selfMayAnswer) return proc(this, data);
  return nullptr;
}

// --- events -----------------------------------------------------------------------------------

void CContainerUI::DoEvent(TInputEventUI& event) {
  if (!mouseEnabled_ && event.type >= kEventMouseFirst && event.type <= kEventMouseLast) {
    if (parent_ != nullptr) {
      parent_->DoEvent(event);
    } else {
      CControlUI::DoEvent(event);
    }
    return;
  }
  if (event.type == kEventSetFocus) {
    focused_ = true;
    return;
  }
  if (event.type == kEventKillFocus) {
    focused_ = false;
    return;
  }
  if (event.type == kEventKeyDown && IsKeyboardEnabled() && IsEnabled()) {
    if (IsBarActive(verticalScrollBar_)) {
      switch (event.key) {
        case VK_PRIOR: PageUp(); return;
        case VK_NEXT: PageDown(); return;
        case VK_END: EndDown(); return;
        case VK_HOME: HomeUp(); return;
        case VK_UP: LineUp(); return;
        case VK_DOWN: LineDown(); return;
        default: break;
      }
    } else if (IsBarActive(horizontalScrollBar_)) {
      switch (event.key) {
        case VK_PRIOR: PageLeft(); return;
        case VK_NEXT: PageRight(); return;
        case VK_END: EndRight(); return;
        case VK_HOME: HomeLeft(); return;
        case VK_UP: LineLeft(); return;
        case VK_DOWN: LineRight(); return;
        default: break;
      }
    }
  }
  if (event.type == kEventScrollWheel) {
    const WORD direction = LOWORD(event.wParam);
    if (direction == 0 || direction == 1) {
      const bool down = direction == 1;
      const bool overHorizontal = IsBarActive(horizontalScrollBar_) &&
                                  ::PtInRect(&horizontalScrollBar_->GetPos(), event.mousePoint);
      if (overHorizontal || (!IsBarActive(verticalScrollBar_) &&
                             IsBarActive(horizontalScrollBar_))) {
        if (down) {
          LineRight();
        } else {
          LineLeft();
        }
        return;
      }
      if (IsBarActive(verticalScrollBar_)) {
        if (down) {
          LineDown();
        } else {
          LineUp();
        }
        return;
      }
    }
  }
  CControlUI::DoEvent(event);
}

// --- attributes -------------------------------------------------------------------------------

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  const wchar_t* text = value != nullptr ? value : L"";
  if (NameIs(name, L"inset")) {
    SetInset(ParseAttributeRect(text));
  } else if (NameIs(name, L"mousechild")) {
    SetMouseChildEnabled(ParseAttributeBool(text));
  } else if (NameIs(name, L"vscrollbar")) {
    EnableScrollBar(ParseAttributeBool(text), horizontalScrollBar_ != nullptr);
  } else if (NameIs(name, L"vscrollbarstyle")) {
    EnableScrollBar(true, horizontalScrollBar_ != nullptr);
    if (verticalScrollBar_ != nullptr) verticalScrollBar_->ApplyAttributeList(text);
  } else if (NameIs(name, L"hscrollbar")) {
    EnableScrollBar(verticalScrollBar_ != nullptr, ParseAttributeBool(text));
  } else if (NameIs(name, L"hscrollbarstyle")) {
    EnableScrollBar(verticalScrollBar_ != nullptr, true);
    if (horizontalScrollBar_ != nullptr) horizontalScrollBar_->ApplyAttributeList(text);
  } else if (NameIs(name, L"childpadding")) {
    SetChildPadding(ParseAttributeInt(text));
  } else if (NameIs(name, L"childalign")) {
    if (NameIs(text, L"left")) childAlign_ = DT_LEFT;
    else if (NameIs(text, L"center")) childAlign_ = DT_CENTER;
    else if (NameIs(text, L"right")) childAlign_ = DT_RIGHT;
  } else if (NameIs(name, L"childvalign")) {
    if (NameIs(text, L"top")) childVAlign_ = DT_TOP;
    else if (NameIs(text, L"vcenter")) childVAlign_ = DT_VCENTER;
    else if (NameIs(text, L"bottom")) childVAlign_ = DT_BOTTOM;
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

// --- painting ---------------------------------------------------------------------------------

bool CContainerUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  RECT area;
  if (!::IntersectRect(&area, &paint, &itemRect_)) return true;

  CRenderClipUI clip;
  CRenderUI::GenerateClip(hDC, area, clip);
  CControlUI::DoPaint(hDC, paint, stop);

  if (!items_.IsEmpty()) {
    const RECT client = GetChildArea();
    RECT clientArea;
    if (!::IntersectRect(&clientArea, &paint, &client)) {
      // Only float children can show outside the client area.
      for (int i = 0; i < items_.GetSize(); ++i) {
        CControlUI* child = ChildOf(items_, i);
        if (child == stop) return false;
        if (!child->IsVisible() || !Meets(paint, child->GetPos())) continue;
        if (!child->IsFloat() || !Meets(itemRect_, child->GetPos())) continue;
        if (!child->Paint(hDC, paint, stop)) return false;
      }
    } else {
      CRenderClipUI childClip;
      CRenderUI::GenerateClip(hDC, clientArea, childClip);
      for (int i = 0; i < items_.GetSize(); ++i) {
        CControlUI* child = ChildOf(items_, i);
        if (child == stop) return false;
        if (!child->IsVisible() || !Meets(paint, child->GetPos())) continue;
        if (child->IsFloat()) {
          if (!Meets(itemRect_, child->GetPos())) continue;
          // A float child may cover the inset and the bars: paint it under the outer clip.
          CRenderUI::SelectOuterClip(hDC, childClip);
          const bool painted = child->Paint(hDC, paint, stop);
          CRenderUI::SelectInnerClip(hDC, childClip);
          if (!painted) return false;
        } else {
          if (!Meets(client, child->GetPos())) continue;
          if (!child->Paint(hDC, paint, stop)) return false;
        }
      }
    }
  }

  for (CScrollBarUI* bar : {verticalScrollBar_, horizontalScrollBar_}) {
    if (bar == nullptr) continue;
    if (static_cast<CControlUI*>(bar) == stop) return false;
    if (bar->IsVisible() && Meets(paint, bar->GetPos())) {
      if (!bar->Paint(hDC, paint, stop)) return false;
    }
  }
  return true;
}

// --- appended operations ----------------------------------------------------------------------

RECT CContainerUI::GetInset() const { return inset_; }

void CContainerUI::SetInset(RECT inset) {
  inset_ = inset;
  NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return childPadding_; }

void CContainerUI::SetChildPadding(int padding) {
  childPadding_ = std::max(padding, 0);
  NeedUpdate();
}

UINT CContainerUI::GetChildAlign() const { return childAlign_; }

void CContainerUI::SetChildAlign(UINT align) {
  childAlign_ = align;
  NeedUpdate();
}

UINT CContainerUI::GetChildVAlign() const { return childVAlign_; }

void CContainerUI::SetChildVAlign(UINT align) {
  childVAlign_ = align;
  NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const { return autoDestroy_; }
void CContainerUI::SetAutoDestroy(bool autoDestroy) { autoDestroy_ = autoDestroy; }
bool CContainerUI::IsDelayedDestroy() const { return delayedDestroy_; }
void CContainerUI::SetDelayedDestroy(bool delayed) { delayedDestroy_ = delayed; }
bool CContainerUI::IsMouseChildEnabled() const { return mouseChildEnabled_; }
void CContainerUI::SetMouseChildEnabled(bool enabled) { mouseChildEnabled_ = enabled; }

int CContainerUI::FindSelectable(int index, bool forward) const {
  const int count = items_.GetSize();
  if (count <= 0) return -1;
  index = std::min(std::max(index, 0), count - 1);
  auto selectable = [this](int i) {
    CControlUI* child = ChildOf(items_, i);
    return child->GetInterface(L"IListItem") != nullptr && child->IsVisible() &&
           child->IsEnabled();
  };
  if (forward) {
    for (int i = index; i < count; ++i) {
      if (selectable(i)) return i;
    }
    return -1;
  }
  for (int i = index; i >= 0; --i) {
    if (selectable(i)) return i;
  }
  return FindSelectable(0, true);
}

// --- scrolling --------------------------------------------------------------------------------

SIZE CContainerUI::GetScrollPos() const {
  SIZE pos = {0, 0};
  if (IsBarShown(horizontalScrollBar_)) pos.cx = horizontalScrollBar_->GetScrollPos();
  if (IsBarShown(verticalScrollBar_)) pos.cy = verticalScrollBar_->GetScrollPos();
  return pos;
}

SIZE CContainerUI::GetScrollRange() const {
  SIZE range = {0, 0};
  if (IsBarShown(horizontalScrollBar_)) range.cx = horizontalScrollBar_->GetScrollRange();
  if (IsBarShown(verticalScrollBar_)) range.cy = verticalScrollBar_->GetScrollRange();
  return range;
}

void CContainerUI::SetScrollPos(SIZE pos) {
  int dx = 0;
  int dy = 0;
  if (IsBarShown(verticalScrollBar_)) {
    const int old = verticalScrollBar_->GetScrollPos();
    verticalScrollBar_->SetScrollPos(pos.cy, true);
    dy = verticalScrollBar_->GetScrollPos() - old;
  }
  if (IsBarShown(horizontalScrollBar_)) {
    const int old = horizontalScrollBar_->GetScrollPos();
    horizontalScrollBar_->SetScrollPos(pos.cx, true);
    dx = horizontalScrollBar_->GetScrollPos() - old;
  }
  if (dx == 0 && dy == 0) return;
  for (int i = 0; i < items_.GetSize(); ++i) {
    CControlUI* child = ChildOf(items_, i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    child->Move(SIZE{-dx, -dy}, false);
  }
  Invalidate();
}

int CContainerUI::VerticalLineSize() const {
  int line = kDefaultLineSize;
  if (manager_ != nullptr) {
    if (TFontEntryUI* font = manager_->GetDefaultFontInfo()) {
      line = AddClamped(font->metrics.tmHeight, kDefaultLineSize);
    }
  }
  if (verticalScrollBar_ != nullptr && verticalScrollBar_->GetScrollUnit() > 1) {
    line = verticalScrollBar_->GetScrollUnit();
  }
  return line;
}

int CContainerUI::HorizontalLineSize() const {
  if (horizontalScrollBar_ != nullptr && horizontalScrollBar_->GetScrollUnit() > 1) {
    return horizontalScrollBar_->GetScrollUnit();
  }
  return kDefaultLineSize;
}

SIZE CContainerUI::PageSize() const {
  SIZE page;
  page.cx = ClampToInt(static_cast<long long>(GetWidth()) - inset_.left - inset_.right);
  page.cy = ClampToInt(static_cast<long long>(GetHeight()) - inset_.top - inset_.bottom);
  if (IsBarShown(verticalScrollBar_)) {
    page.cx = SubClamped(page.cx, verticalScrollBar_->GetFixedWidth());
  }
  if (IsBarShown(horizontalScrollBar_)) {
    page.cy = SubClamped(page.cy, horizontalScrollBar_->GetFixedHeight());
  }
  return page;
}

void CContainerUI::ScrollBy(int dx, int dy) {
  const SIZE pos = GetScrollPos();
  SetScrollPos(SIZE{AddClamped(pos.cx, dx), AddClamped(pos.cy, dy)});
}

void CContainerUI::LineUp() { ScrollBy(0, -VerticalLineSize()); }
void CContainerUI::LineDown() { ScrollBy(0, VerticalLineSize()); }
void CContainerUI::PageUp() { ScrollBy(0, -PageSize().cy); }
void CContainerUI::PageDown() { ScrollBy(0, PageSize().cy); }
void CContainerUI::HomeUp() { SetScrollPos(SIZE{GetScrollPos().cx, 0}); }
void CContainerUI::EndDown() { SetScrollPos(SIZE{GetScrollPos().cx, GetScrollRange().cy}); }
void CContainerUI::LineLeft() { ScrollBy(-HorizontalLineSize(), 0); }
void CContainerUI::LineRight() { ScrollBy(HorizontalLineSize(), 0); }
void CContainerUI::PageLeft() { ScrollBy(-PageSize().cx, 0); }
void CContainerUI::PageRight() { ScrollBy(PageSize().cx, 0); }
void CContainerUI::HomeLeft() { SetScrollPos(SIZE{0, GetScrollPos().cy}); }
void CContainerUI::EndRight() { SetScrollPos(SIZE{GetScrollRange().cx, GetScrollPos().cy}); }

void CContainerUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
  UpdateBar(verticalScrollBar_, enableVertical, false);
  UpdateBar(horizontalScrollBar_, enableHorizontal, true);
  NeedUpdate();
}

void CContainerUI::UpdateBar(CScrollBarUI*& bar, bool enable, bool horizontal) {
  if (!enable && bar != nullptr) {
    CScrollBarUI* old = bar;
    bar = nullptr;
    old->Delete();
    return;
  }
  if (!enable || bar != nullptr) return;
  auto* created = new (std::nothrow) CScrollBarUI;
  if (created == nullptr) return;
  created->SetScrollRange(0);
  if (horizontal) created->SetHorizontal(true);
  created->SetOwner(this);
  created->SetManager(manager_, this, false);
  if (manager_ != nullptr) {
    const wchar_t* style = manager_->GetDefaultAttributeList(horizontal ? L"HScrollBar"
                                                                        : L"VScrollBar");
    if (style != nullptr) created->ApplyAttributeList(style);
  }
  bar = created;
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return verticalScrollBar_; }

CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return horizontalScrollBar_; }

void CContainerUI::SetFloatPos(int index) {
  CControlUI* child = ChildOf(items_, index);
  if (child == nullptr || !child->IsVisible() || !child->IsFloat()) return;
  const int width = GetWidth();
  const int height = GetHeight();
  const SIZE xy = child->GetFixedXY();
  const TPercentInfoUI share = child->GetFloatPercent();
  RECT rc;
  rc.left = AddClamped(ScaleByShare(width, share.left), xy.cx);
  rc.top = AddClamped(ScaleByShare(height, share.top), xy.cy);
  rc.right = ClampToInt(static_cast<long long>(ScaleByShare(width, share.right)) + xy.cx +
                        child->GetFixedWidth());
  rc.bottom = ClampToInt(static_cast<long long>(ScaleByShare(height, share.bottom)) + xy.cy +
                         child->GetFixedHeight());
  child->SetPos(rc, false);
}

// --- scroll bar processing --------------------------------------------------------------------

void CContainerUI::Relayout(bool needInvalidate, bool withFlag) {
  if (relayoutDepth_ >= kMaxRelayoutDepth) return;
  ++relayoutDepth_;
  const bool wasProcessing = scrollProcessing_;
  if (withFlag) scrollProcessing_ = true;
  SetPos(IsFloat() ? GetRelativePos() : GetPos(), needInvalidate);
  scrollProcessing_ = wasProcessing;
  --relayoutDepth_;
}

void CContainerUI::PlaceHorizontalBar(const RECT& rc) {
  horizontalScrollBar_->SetPos(
      RECT{rc.left, rc.bottom, rc.right,
           AddClamped(rc.bottom, horizontalScrollBar_->GetFixedHeight())},
      false);
}

void CContainerUI::PlaceVerticalBar(const RECT& rc) {
  verticalScrollBar_->SetPos(
      RECT{rc.right, rc.top, AddClamped(rc.right, verticalScrollBar_->GetFixedWidth()),
           rc.bottom},
      false);
}

void CContainerUI::ProcessScrollBar(RECT rc, int cxRequired, int cyRequired) {
  if (verticalScrollBar_ != nullptr && horizontalScrollBar_ != nullptr) {
    ProcessBothBars(rc, cxRequired, cyRequired);
  } else if (horizontalScrollBar_ != nullptr) {
    ProcessSingleBar(true, rc, cxRequired);
  } else if (verticalScrollBar_ != nullptr) {
    ProcessSingleBar(false, rc, cyRequired);
  }
}

void CContainerUI::ProcessSingleBar(bool horizontal, RECT rc, int required) {
  CScrollBarUI* bar = horizontal ? horizontalScrollBar_ : verticalScrollBar_;
  const int available = horizontal ? Width(rc) : Height(rc);
  if (required > available && !bar->IsVisible()) {
    ShowBar(bar, SubClamped(required, available));
    Relayout(true, true);
    return;
  }
  if (!bar->IsVisible()) return;
  const int scroll = SubClamped(required, available);
  if (scroll <= 0 && !scrollProcessing_) {
    HideBar(bar);
    Relayout(true);
    return;
  }
  if (horizontal) {
    PlaceHorizontalBar(rc);
  } else {
    PlaceVerticalBar(rc);
  }
  if (bar->GetScrollRange() == scroll) return;
  if (UpdateBarRange(bar, scroll)) Relayout(false);
}

void CContainerUI::ProcessBothBars(RECT rc, int cxRequired, int cyRequired) {
  CScrollBarUI* vertical = verticalScrollBar_;
  CScrollBarUI* horizontal = horizontalScrollBar_;
  bool changed = false;

  if (cxRequired > Width(rc)) {
    if (!horizontal->IsVisible()) {
      horizontal->SetVisible(true);
      horizontal->SetScrollPos(0, true);
      rc.bottom = SubClamped(rc.bottom, horizontal->GetFixedHeight());
    }
    PlaceHorizontalBar(rc);
    const int cxScroll = SubClamped(cxRequired, Width(rc));
    if (horizontal->GetScrollRange() != cxScroll) {
      horizontal->SetScrollRange(cxScroll);
      changed = true;
    }
  } else if (horizontal->IsVisible()) {
    horizontal->SetVisible(false);
    rc.bottom = AddClamped(rc.bottom, horizontal->GetFixedHeight());
    // The children were placed beside the bar and scrolled by it: place them again.
    changed = true;
  }

  if (cyRequired > Height(rc) && !vertical->IsVisible()) {
    ShowBar(vertical, SubClamped(cyRequired, Height(rc)));
    rc.right = SubClamped(rc.right, vertical->GetFixedWidth());
    if (horizontal->IsVisible()) {
      PlaceHorizontalBar(rc);
      horizontal->SetScrollRange(SubClamped(cxRequired, Width(rc)));
    }
    Relayout(true, true);
    return;
  }
  if (!vertical->IsVisible()) {
    if (changed) Relayout(true);
    return;
  }

  const int cyScroll = SubClamped(cyRequired, Height(rc));
  if (cyScroll <= 0 && !scrollProcessing_) {
    HideBar(vertical);
    rc.right = AddClamped(rc.right, vertical->GetFixedWidth());
    if (horizontal->IsVisible()) {
      PlaceHorizontalBar(rc);
      horizontal->SetScrollRange(SubClamped(cxRequired, Width(rc)));
    }
    Relayout(true);
    return;
  }

  PlaceVerticalBar(rc);
  if (vertical->GetScrollRange() == cyScroll) {
    // The horizontal range may have moved its position; the children follow it.
    if (changed) Relayout(false);
    return;
  }
  const bool positionFell = UpdateBarRange(vertical, cyScroll);
  if (positionFell || changed) Relayout(false);
}

}  // namespace SkinUI
