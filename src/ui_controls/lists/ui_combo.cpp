#include "ui_controls/lists/ui_combo.h"

#include <windowsx.h>

#include <algorithm>
#include <new>

#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr int kMaxDropBoxSize = 10000;

bool IsMouseEvent(const TInputEventUI& event) {
  return event.type >= kEventMouseFirst && event.type <= kEventMouseLast;
}

CControlUI* CALLBACK CollectSubtree(CControlUI* control, LPVOID data) {
  static_cast<CPtrArrayUI*>(data)->Add(control);
  return nullptr;
}

// The rectangle in screen coordinates of a rectangle in the window's client area.
RECT ToScreen(HWND window, RECT rc) {
  ::MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

RECT PrimaryWorkArea() {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcWork;
}

}  // namespace

// --- CComboBodyUI ------------------------------------------------------------------------------

CComboBodyUI::CComboBodyUI(CComboUI* owner) : owner_(owner) {}

CComboBodyUI::~CComboBodyUI() = default;

bool CComboBodyUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  return PaintListBody(*this, owner_ != nullptr ? owner_->GetListInfo() : nullptr, hDC, paint,
                       stop);
}

// --- CComboWnd ---------------------------------------------------------------------------------

const wchar_t* CComboWnd::GetWindowClassName() const { return L"ComboWnd"; }

UINT CComboWnd::GetClassStyle() const { return CS_DBLCLKS; }

bool CComboWnd::Init(CComboUI* owner) {
  owner_ = owner;
  oldSel_ = owner->GetCurSel();
  scrollBarPressed_ = false;
  CWindowManagerUI* ownerManager = owner->GetManager();
  HWND ownerWindow = ownerManager != nullptr ? ownerManager->GetPaintWindow() : nullptr;
  if (ownerWindow == nullptr) return false;

  const SIZE dropBox = owner->GetDropBoxSize();
  const RECT box = owner->GetPos();
  const int width = dropBox.cx > 0 ? dropBox.cx : box.right - box.left;
  long long height = 4;
  for (int i = 0; i < owner->GetCount(); ++i) {
    CControlUI* item = owner->GetItemAt(i);
    if (!item->IsVisible()) continue;
    height += std::max(0L, static_cast<long>(item->EstimateSize(SIZE{width, dropBox.cy}).cy));
  }
  const int cy = static_cast<int>(std::min<long long>(height, dropBox.cy));
  RECT rc = ToScreen(ownerWindow, RECT{box.left, box.bottom, box.left + width, box.bottom + cy});
  // Near the bottom of the work area the list opens above the box.
  if (rc.bottom > PrimaryWorkArea().bottom) {
    rc = ToScreen(ownerWindow, RECT{box.left, box.top - cy, box.left + width, box.top});
  }
  if (CreateInRect(ownerWindow, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, rc) == nullptr) return false;
  ::ShowWindow(hWnd_, SW_SHOW);
  return true;
}

void CComboWnd::OnCreate() {
  manager_.Init(hWnd_);
  manager_.SetUseSharedResources(true);
  body_ = new CComboBodyUI(owner_);
  body_->SetManager(&manager_, nullptr, true);
  CWindowManagerUI* ownerManager = owner_->GetManager();
  const wchar_t* defaults =
      ownerManager != nullptr ? ownerManager->GetDefaultAttributeList(L"VerticalLayout") : nullptr;
  if (defaults != nullptr) body_->ApplyAttributeList(defaults);
  body_->SetInset(RECT{1, 1, 1, 1});
  body_->SetBkColor(0xFFFFFFFF);
  body_->SetBorderColor(0xFFC6C7D2);
  body_->SetBorderSize(1);
  body_->SetAutoDestroy(false);
  body_->EnableScrollBar(true, false);
  body_->ApplyAttributeList(owner_->GetDropBoxAttributeList().GetData());
  itemsTaken_ = true;
  for (int i = 0; i < owner_->GetCount(); ++i) body_->Add(owner_->GetItemAt(i));
  manager_.AttachDialog(body_);
}

void CComboWnd::ForgetInManager(CControlUI* item) {
  CPtrArrayUI subtree;
  item->FindControl(&CollectSubtree, &subtree, 0);
  for (int i = 0; i < subtree.GetSize(); ++i) {
    manager_.ReapObjects(static_cast<CControlUI*>(subtree[i]));
  }
}

void CComboWnd::ReturnItems(bool relayout) {
  if (!itemsTaken_ || owner_ == nullptr) return;
  itemsTaken_ = false;
  for (int i = 0; i < owner_->GetCount(); ++i) ForgetInManager(owner_->GetItemAt(i));
  if (body_ != nullptr) body_->RemoveAll();
  owner_->TakeBackItems(relayout);
}

void CComboWnd::ForgetItem(CControlUI* item) {
  if (!itemsTaken_ || item == nullptr || owner_ == nullptr) return;
  ForgetInManager(item);
  if (body_ != nullptr) body_->Remove(item, true);
  item->SetManager(owner_->GetManager(), owner_, false);
}

void CComboWnd::Abandon() {
  ReturnItems(false);
  owner_ = nullptr;
  if (hWnd_ != nullptr) ::DestroyWindow(hWnd_);
}

bool CComboWnd::IsScrollBarAt(LPARAM lParam) {
  CControlUI* control = manager_.FindControl(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
  return control != nullptr && NameIs(control->GetClass(), L"ScrollBar");
}

void CComboWnd::EnsureVisible(int index) {
  if (owner_ == nullptr || owner_->GetCurSel() < 0 || body_ == nullptr) return;
  CControlUI* item = owner_->GetItemAt(index);
  if (item == nullptr) return;
  const RECT rc = item->GetPos();
  RECT area = body_->GetPos();
  CScrollBarUI* bar = body_->GetHorizontalScrollBar();
  if (bar != nullptr && bar->IsVisible()) area.bottom -= bar->GetFixedHeight();
  if (rc.top >= area.top && rc.bottom <= area.bottom) return;
  const int dy = rc.bottom > area.bottom ? rc.bottom - area.bottom : rc.top - area.top;
  const SIZE pos = body_->GetScrollPos();
  body_->SetScrollPos(SIZE{pos.cx, pos.cy + dy});
}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (owner_ != nullptr) OnCreate();
      return 0;
    case WM_CLOSE: {
      // The drop-down's controls hear the pointer leave and the focus go while they are still
      // its own; then the combo box takes its items back.
      LRESULT ignored = 0;
      manager_.MessageHandler(message, wParam, lParam, ignored);
      ReturnItems(true);
      return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
    case WM_DESTROY:
      // Destroyed some other way (its owner window went first): the items still go back.
      ReturnItems(true);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (IsScrollBarAt(lParam)) scrollBarPressed_ = true;
      break;
    case WM_LBUTTONUP:
      if (scrollBarPressed_) {
        scrollBarPressed_ = false;
      } else if (manager_.FindControl(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) !=
                     nullptr &&
                 !IsScrollBarAt(lParam)) {
        PostMessage(WM_KILLFOCUS);
      }
      break;
    case WM_KEYDOWN:
      if (owner_ == nullptr) break;
      if (wParam == VK_RETURN) {
        PostMessage(WM_KILLFOCUS);
        break;
      }
      if (wParam == VK_ESCAPE) {
        owner_->SelectItem(oldSel_, true, true);
        EnsureVisible(oldSel_);
        PostMessage(WM_KILLFOCUS);
        break;
      }
      {
        TInputEventUI event;
        event.type = kEventKeyDown;
        event.sender = owner_;
        event.timestamp = ::GetTickCount();
        event.key = static_cast<WORD>(wParam);
        event.wParam = wParam;
        event.lParam = lParam;
        event.keyState = CWindowManagerUI::MapKeyState();
        owner_->DoEvent(event);
        if (owner_ != nullptr) EnsureVisible(owner_->GetCurSel());
      }
      return 0;
    case WM_MOUSEWHEEL:
      return 0;
    case WM_KILLFOCUS: {
      const HWND gaining = reinterpret_cast<HWND>(wParam);
      const HWND focus = ::GetFocus();
      if (gaining == hWnd_ || (focus != nullptr && ::IsChild(hWnd_, focus))) break;
      PostMessage(WM_CLOSE);
      return 0;
    }
    default:
      break;
  }
  LRESULT result = 0;
  if (manager_.MessageHandler(message, wParam, lParam, result)) return result;
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CComboWnd::OnFinalMessage(HWND /*window*/) {
  ReturnItems(false);
  if (owner_ != nullptr) owner_->DropDownClosed(this);
  delete this;
}

// --- CComboUI ----------------------------------------------------------------------------------

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() {
  if (dropDown_ != nullptr) {
    CComboWnd* window = dropDown_;
    dropDown_ = nullptr;
    window->Abandon();
  }
}

const wchar_t* CComboUI::GetClass() const { return L"Combo"; }

void* CComboUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"IListOwner")) return static_cast<IListOwnerUI*>(this);
  if (NameIs(name, L"Combo")) return this;
  return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const { return kControlFlagTabStop; }

bool CComboUI::Activate() {
  if (!CControlUI::Activate()) return false;
  if (dropDown_ != nullptr) return true;
  auto* window = new (std::nothrow) CComboWnd();
  if (window == nullptr) return false;
  dropDown_ = window;
  if (!window->Init(this)) {
    // A window that existed for a moment has deleted itself already.
    if (dropDown_ == window) {
      dropDown_ = nullptr;
      delete window;
    }
    return false;
  }
  if (manager_ != nullptr) manager_->SendNotify(this, L"dropdown");
  Invalidate();
  return true;
}

CStringUI CComboUI::GetText() const {
  CControlUI* selected = GetItemAt(curSel_);
  return selected != nullptr ? selected->GetText() : CStringUI();
}

void CComboUI::SetPos(RECT rc, bool needInvalidate) {
  // The items show only in the drop-down.
  for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetPos(RECT{0, 0, 0, 0}, false);
  CControlUI::SetPos(rc, needInvalidate);
}

void CComboUI::Move(SIZE offset, bool needInvalidate) { CControlUI::Move(offset, needInvalidate); }

void CComboUI::SetEnabled(bool enabled) {
  CContainerUI::SetEnabled(enabled);
  if (!IsEnabled()) buttonState_ = 0;
}

void CComboUI::TakeBackItems(bool relayout) {
  SetManager(manager_, parent_, false);
  if (!relayout) return;
  SetPos(IsFloat() ? GetRelativePos() : GetPos(), true);
  SetFocus();
}

void CComboUI::DropDownClosed(CComboWnd* window) {
  if (dropDown_ != window) return;
  dropDown_ = nullptr;
  buttonState_ &= ~kPushed;
  Invalidate();
}

void CComboUI::SetDropBoxSize(SIZE size) {
  dropBoxSize_.cx = std::min(std::max(0L, static_cast<long>(size.cx)), static_cast<long>(kMaxDropBoxSize));
  dropBoxSize_.cy = std::min(std::max(0L, static_cast<long>(size.cy)), static_cast<long>(kMaxDropBoxSize));
}

void CComboUI::SetTextPadding(RECT padding) {
  textPadding_ = padding;
  Invalidate();
}

void CComboUI::SetShowText(bool showText) {
  showText_ = showText;
  Invalidate();
}

// --- items -------------------------------------------------------------------------------------

bool CComboUI::Add(CControlUI* control) { return AddListItem(*this, this, control); }

bool CComboUI::AddAt(CControlUI* control, int index) {
  return InsertListItem(*this, this, curSel_, control, index);
}

bool CComboUI::Remove(CControlUI* control, bool doNotDestroy) {
  const int index = CContainerUI::GetItemIndex(control);
  if (index < 0) return false;
  return RemoveAt(index, doNotDestroy);
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* control = GetItemAt(index);
  if (control == nullptr) return false;
  if (dropDown_ != nullptr) dropDown_->ForgetItem(control);
  return RemoveListItemAt(*this, *this, curSel_, index, doNotDestroy);
}

void CComboUI::RemoveAll() {
  if (dropDown_ != nullptr) {
    for (int i = 0; i < GetCount(); ++i) dropDown_->ForgetItem(GetItemAt(i));
  }
  RemoveAllListItems(*this, curSel_);
}

bool CComboUI::SetItemIndex(CControlUI* control, int newIndex) {
  return MoveListItem(*this, curSel_, control, newIndex);
}

bool CComboUI::SetItemRangeIndex(CControlUI* startControl, int count, int newStartIndex) {
  return MoveListItemRange(*this, curSel_, startControl, count, newStartIndex);
}

// --- selection ---------------------------------------------------------------------------------

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index >= GetCount() && GetCount() > 0) index = GetCount() - 1;
  if (index == curSel_) return true;
  const int previous = curSel_;
  if (selectCloses_ && dropDown_ != nullptr) dropDown_->PostMessage(WM_CLOSE, 1);
  if (curSel_ >= 0) {
    IListItemUI* current = AsListItem(GetItemAt(curSel_));
    curSel_ = -1;
    if (current != nullptr) current->Select(false, takeFocus);
  }
  if (index < 0 || GetCount() == 0) return false;
  CControlUI* control = GetItemAt(index);
  IListItemUI* item = AsListItem(control);
  if (item == nullptr || !control->IsVisible() || !control->IsEnabled()) return false;
  curSel_ = index;
  if (dropDown_ != nullptr || takeFocus) control->SetFocus();
  item->Select(true, takeFocus);
  if (triggerEvent && manager_ != nullptr) {
    manager_->SendNotify(this, L"itemselect", static_cast<WPARAM>(index),
                         static_cast<LPARAM>(previous));
  }
  Invalidate();
  return true;
}

void CComboUI::SelectKeepingOpen(int index) {
  // Nothing that can take the selection that way: the selection stays where it is.
  if (index < 0) return;
  selectCloses_ = false;
  SelectItem(index, false, true);
  selectCloses_ = true;
}

// --- events ------------------------------------------------------------------------------------

void CComboUI::DoEvent(TInputEventUI& event) {
  if (IsMouseEvent(event) && !IsMouseEnabled()) {
    if (parent_ != nullptr) {
      parent_->DoEvent(event);
    } else {
      CContainerUI::DoEvent(event);
    }
    return;
  }
  // A pointer moving within the box keeps it hot: nothing else happens then.
  if (TrackHotState(*this, buttonState_, event) == HotChange::kStillInside) return;
  switch (event.type) {
    case kEventSetFocus:
    case kEventKillFocus:
      Invalidate();
      break;
    case kEventButtonDown:
      if (IsEnabled()) {
        Activate();
        buttonState_ |= kPushed | kCaptured;
      }
      return;
    case kEventButtonUp:
      if (buttonState_ & kCaptured) {
        buttonState_ &= ~kCaptured;
        Invalidate();
      }
      return;
    case kEventMouseMove:
      return;
    case kEventKeyDown:
      if (!IsKeyboardEnabled() || !IsEnabled()) break;
      switch (event.key) {
        case VK_F4: Activate(); break;
        case VK_UP:
        case VK_PRIOR: SelectKeepingOpen(FindSelectable(curSel_ - 1, false)); break;
        case VK_DOWN:
        case VK_NEXT: SelectKeepingOpen(FindSelectable(curSel_ + 1, true)); break;
        case VK_HOME: SelectKeepingOpen(FindSelectable(0, true)); break;
        // The last item that can be selected, not only the last item.
        case VK_END: SelectKeepingOpen(FindSelectable(GetCount() - 1, false)); break;
        default: break;
      }
      return;
    case kEventScrollWheel:
      if (!IsEnabled()) break;
      if (event.wParam == 1) {
        SelectKeepingOpen(FindSelectable(curSel_ + 1, true));
      } else {
        SelectKeepingOpen(FindSelectable(curSel_ - 1, false));
      }
      return;
    case kEventContextMenu:
      return;
    default:
      break;
  }
  CControlUI::DoEvent(event);
}

// --- attributes --------------------------------------------------------------------------------

void CComboUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"textpadding")) {
    SetTextPadding(ParseAttributeRect(value));
  } else if (NameIs(name, L"showtext")) {
    SetShowText(ParseAttributeBool(value));
  } else if (SetBoxImageAttribute(*this, name, value,
                                  {&normalImage_, &hotImage_, &pushedImage_, &focusedImage_},
                                  {L"disabledimage", &disabledImage_})) {
    // a state image, set
  } else if (NameIs(name, L"dropbox")) {
    SetDropBoxAttributeList(value);
  } else if (NameIs(name, L"dropboxsize")) {
    SetDropBoxSize(ParseAttributeSize(value));
  } else {
    switch (SetListInfoAttribute(info_, name, value, kComboItemTextAttributes)) {
      case ListInfoChange::kUnknown:
        CContainerUI::SetAttribute(name, value);
        break;
      case ListInfoChange::kHtmlChanged:
        Invalidate();
        break;
      default:
        break;
    }
  }
}

// --- size and painting -------------------------------------------------------------------------

SIZE CComboUI::EstimateSize(SIZE available) {
  if (fixedSize_.cy != 0) return CControlUI::EstimateSize(available);
  const TFontEntryUI* font = manager_ != nullptr ? manager_->GetDefaultFontInfo() : nullptr;
  return SIZE{fixedSize_.cx, (font != nullptr ? font->metrics.tmHeight : 0) + 8};
}

bool CComboUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  return CControlUI::DoPaint(hDC, paint, stop);
}

void CComboUI::PaintStatusImage(HDC hDC) {
  buttonState_ = WithFocusAndDisabledBits(*this, buttonState_);
  DrawStateImage(*this, hDC,
                 {{(buttonState_ & kDisabled) != 0, &disabledImage_},
                  {(buttonState_ & kPushed) != 0, &pushedImage_},
                  {(buttonState_ & kHot) != 0, &hotImage_},
                  {(buttonState_ & kFocused) != 0, &focusedImage_}},
                 normalImage_);
}

void CComboUI::PaintText(HDC hDC) {
  if (!showText_) return;
  CControlUI* selected = GetItemAt(curSel_);
  if (selected == nullptr) return;
  RECT rc = {itemRect_.left + textPadding_.left, itemRect_.top + textPadding_.top,
             itemRect_.right - textPadding_.right, itemRect_.bottom - textPadding_.bottom};
  if (IListItemUI* item = AsListItem(selected)) {
    item->DrawItemText(hDC, rc);
    return;
  }
  const RECT old = selected->GetPos();
  selected->SetPos(rc, false);
  selected->Paint(hDC, rc, nullptr);
  selected->SetPos(old, false);
}

}  // namespace SkinUI
