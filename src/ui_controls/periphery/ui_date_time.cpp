#include "ui_controls/periphery/ui_date_time.h"

#include <commctrl.h>

#include <cwchar>

#include "ui_controls/installer/ui_native_overlay.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

bool IsLayered(const CDateTimeUI* owner) {
  return owner != nullptr && owner->GetManager() != nullptr && owner->GetManager()->IsLayered();
}

// The picker's class comes with the common controls' date classes.
void RegisterDateClasses() {
  INITCOMMONCONTROLSEX classes = {};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_DATE_CLASSES;
  ::InitCommonControlsEx(&classes);
}

}  // namespace

// --- the picker --------------------------------------------------------------------------------

const wchar_t* CDateTimeWnd::GetWindowClassName() const { return L"DateTimeWnd"; }

const wchar_t* CDateTimeWnd::GetSuperClassName() const { return DATETIMEPICK_CLASSW; }

UINT CDateTimeWnd::GetClassStyle() const { return 0; }

RECT CDateTimeWnd::CalPos() const { return ClipToAncestorClients(*owner_, owner_->GetPos()); }

bool CDateTimeWnd::Init(CDateTimeUI* owner) {
  owner_ = owner;
  owner->updateMode_ = CDateTimeUI::kUpdateNone;
  CWindowManagerUI* manager = owner->GetManager();
  if (manager == nullptr || manager->GetPaintWindow() == nullptr) return false;
  if (hWnd_ == nullptr) {
    RegisterDateClasses();
    if (CreateInRect(manager->GetPaintWindow(), nullptr, WS_CHILD, 0, CalPos()) == nullptr) {
      return false;
    }
    created_ = true;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(owner->GetFont())), TRUE);
  }
  // An emptied field starts again from today.
  if (owner->GetText().IsEmpty()) ::GetLocalTime(&owner->date_);
  SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&owner->date_));
  ::ShowWindow(hWnd_, SW_SHOWNOACTIVATE);
  ::SetFocus(hWnd_);
  initialised_ = true;
  return true;
}

LRESULT CDateTimeWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (owner_ != nullptr && owner_->GetManager() != nullptr) {
        owner_->GetManager()->AddNativeWindow(owner_, hWnd_);
      }
      break;
    case WM_PAINT:
      if (IsLayered(owner_)) owner_->GetManager()->AddNativeWindow(owner_, hWnd_);
      break;
    case WM_KILLFOCUS:
      return OnKillFocus(wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_BACK || wParam == VK_DELETE || wParam == VK_ESCAPE) {
        return OnKeyUp(wParam, lParam);
      }
      break;
    case WM_CLOSE:
      closing_ = true;
      break;
    default:
      break;
  }
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT CDateTimeWnd::OnKillFocus(WPARAM wParam, LPARAM lParam) {
  const HWND self = hWnd_;
  const LRESULT result = CWindowWnd::HandleMessage(WM_KILLFOCUS, wParam, lParam);
  // A detached picker is being destroyed by its field already; a closing one has said its last.
  if (owner_ == nullptr || closing_) return result;
  if (owner_->updateMode_ == CDateTimeUI::kUpdateNone) {
    SYSTEMTIME picked = {};
    if (SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&picked)) == GDT_VALID) {
      owner_->date_ = picked;
    }
    owner_->updateMode_ = CDateTimeUI::kUpdateTakeDate;
    owner_->UpdateText();
  }
  // This object is gone once the call returns.
  CloseOverlayOnFocusLoss(owner_->GetManager(), self, wParam, lParam);
  return result;
}

LRESULT CDateTimeWnd::OnKeyUp(WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CWindowWnd::HandleMessage(WM_KEYUP, wParam, lParam);
  if (owner_ == nullptr) return result;
  if (wParam == VK_ESCAPE) {
    owner_->updateMode_ = CDateTimeUI::kUpdateCancel;
  } else {
    owner_->updateMode_ = CDateTimeUI::kUpdateClear;
    owner_->UpdateText();
  }
  PostMessage(WM_CLOSE);
  return result;
}

void CDateTimeWnd::OnFinalMessage(HWND window) {
  bkBrush_.reset();
  if (owner_ != nullptr) {
    if (owner_->GetManager() != nullptr) owner_->GetManager()->RemoveNativeWindow(window);
    owner_->PickerClosed(this);
    owner_ = nullptr;
  }
  if (created_) delete this;
}

// --- the field ---------------------------------------------------------------------------------

CDateTimeUI::CDateTimeUI() {
  ::GetLocalTime(&date_);
  updateMode_ = kUpdateTakeDate;
  UpdateText();
  updateMode_ = kUpdateNone;
}

CDateTimeUI::~CDateTimeUI() { DestroyOwnedOverlay(manager_, picker_); }

const wchar_t* CDateTimeUI::GetClass() const { return L"DateTime"; }

void* CDateTimeUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"DateTime")) return this;
  return CLabelUI::GetInterface(name);
}

HWND CDateTimeUI::GetNativeWindow() const {
  return picker_ != nullptr ? picker_->GetHWND() : nullptr;
}

void CDateTimeUI::SetTime(const SYSTEMTIME& date) {
  date_ = date;
  updateMode_ = kUpdateTakeDate;
  UpdateText();
  updateMode_ = kUpdateNone;
}

void CDateTimeUI::UpdateText() {
  if (updateMode_ == kUpdateClear) {
    SetText(L"");
  } else if (updateMode_ == kUpdateTakeDate) {
    wchar_t text[32] = {};
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%4d-%02d-%02d", date_.wYear,
                  date_.wMonth, date_.wDay);
    SetText(text);
  }
}

void CDateTimeUI::OpenPicker() {
  if (manager_ == nullptr) return;
  CDateTimeWnd* window = picker_;
  const bool made = window == nullptr;
  if (made) {
    window = new CDateTimeWnd();
    picker_ = window;  // set first: focusing the new window may come back here
  }
  if (!window->Init(this)) {
    if (picker_ == window) picker_ = nullptr;
    if (made && window->GetHWND() == nullptr) delete window;
  }
}

void CDateTimeUI::PickerClosed(CDateTimeWnd* window) {
  if (picker_ == window) picker_ = nullptr;
  Invalidate();
}

void CDateTimeUI::PlacePicker() {
  if (picker_ != nullptr) PlaceNativeOverlay(picker_->GetHWND(), picker_->CalPos());
}

void CDateTimeUI::SetPos(RECT rc, bool needInvalidate) {
  CLabelUI::SetPos(rc, needInvalidate);
  PlacePicker();
}

void CDateTimeUI::Move(SIZE offset, bool needInvalidate) {
  CLabelUI::Move(offset, needInvalidate);
  PlacePicker();
}

void CDateTimeUI::DoEvent(TInputEventUI& event) {
  switch (RouteOverlayFieldEvent(*this, picker_, nullptr, event)) {
    case OverlayFieldEvent::kDone:
      return;
    case OverlayFieldEvent::kPress:
      if ((IsFocused() && picker_ == nullptr) || picker_ != nullptr) OpenPicker();
      return;
    case OverlayFieldEvent::kFocus:
      if (IsEnabled() && picker_ == nullptr) OpenPicker();
      break;
    case OverlayFieldEvent::kToBase:
      break;
  }
  CLabelUI::DoEvent(event);
}

}  // namespace SkinUI
