#include "ui_controls/installer/ui_edit.h"

#include <string>

#include "ui_controls/installer/ui_control_images.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_controls/installer/ui_native_overlay.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// The window manager hands the notifications of native child windows back to them as the
// original message plus this offset.
constexpr UINT kReflectedCommand = kReflectedMessageOffset + WM_COMMAND;
constexpr UINT kReflectedColorEdit = kReflectedMessageOffset + WM_CTLCOLOREDIT;
constexpr UINT kReflectedColorStatic = kReflectedMessageOffset + WM_CTLCOLORSTATIC;
// The caret a layered window has to draw itself (the system does not show it there).
constexpr UINT_PTR kCaretTimerId = 20;

int TextHeightOf(CWindowManagerUI* manager, int font) {
  if (manager == nullptr) return 0;
  const TFontEntryUI* entry = manager->GetFontInfo(font);
  return entry != nullptr ? entry->metrics.tmHeight : 0;
}

}  // namespace

// --- the native window -------------------------------------------------------------------------

const wchar_t* CEditWnd::GetWindowClassName() const { return L"EditWnd"; }

const wchar_t* CEditWnd::GetSuperClassName() const { return L"Edit"; }

bool CEditWnd::IsLayered() const {
  return owner_ != nullptr && owner_->GetManager() != nullptr && owner_->GetManager()->IsLayered();
}

RECT CEditWnd::CalPos() const {
  RECT rc = owner_->GetPos();
  const RECT padding = owner_->GetTextPadding();
  rc.left += padding.left;
  rc.top += padding.top;
  rc.right -= padding.right;
  rc.bottom -= padding.bottom;
  const int textHeight = TextHeightOf(owner_->GetManager(), owner_->GetFont());
  if (textHeight < rc.bottom - rc.top) {
    rc.top += (rc.bottom - rc.top - textHeight) / 2;
    rc.bottom = rc.top + textHeight;
  }
  return ClipToAncestorClients(*owner_, rc);
}

bool CEditWnd::Init(CEditUI* owner) {
  owner_ = owner;
  CWindowManagerUI* manager = owner->GetManager();
  if (manager == nullptr || manager->GetPaintWindow() == nullptr) return false;
  const RECT rc = CalPos();
  DWORD style = WS_CHILD | ES_AUTOHSCROLL | owner->GetWindowStyles();
  const UINT textStyle = owner->GetTextStyle();
  if (textStyle & DT_CENTER) {
    style |= ES_CENTER;
  } else if (textStyle & DT_RIGHT) {
    style |= ES_RIGHT;
  } else {
    style |= ES_LEFT;
  }
  if (owner->IsPasswordMode()) style |= ES_PASSWORD;
  if (CreateInRect(manager->GetPaintWindow(), nullptr, style, 0, rc) == nullptr) return false;
  created_ = true;

  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(owner->GetFont())), TRUE);
  SendMessage(EM_LIMITTEXT, owner->GetMaxChar());
  if (owner->IsPasswordMode()) SendMessage(EM_SETPASSWORDCHAR, owner->GetPasswordChar());
  ::SetWindowTextW(hWnd_, owner->GetText().GetData());
  SendMessage(EM_SETMODIFY, FALSE);
  SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(0, 0));
  ::EnableWindow(hWnd_, owner->IsEnabled() ? TRUE : FALSE);
  SendMessage(EM_SETREADONLY, owner->IsReadOnly() ? TRUE : FALSE);
  ::ShowWindow(hWnd_, SW_SHOWNOACTIVATE);
  ::SetFocus(hWnd_);
  const int length = ::GetWindowTextLengthW(hWnd_);
  if (owner->IsAutoSelAll()) {
    SendMessage(EM_SETSEL, 0, length == 0 ? 1 : length);
  } else {
    SendMessage(EM_SETSEL, length, length);
  }
  initialised_ = true;
  return true;
}

LRESULT CEditWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (owner_ != nullptr && owner_->GetManager() != nullptr) {
        owner_->GetManager()->AddNativeWindow(owner_, hWnd_);
        if (IsLayered()) ::SetTimer(hWnd_, kCaretTimerId, ::GetCaretBlinkTime(), nullptr);
      }
      break;
    case WM_KILLFOCUS:
      return OnKillFocus(wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && owner_ != nullptr) {
        NotifyOwner(L"return");
        return 0;
      }
      break;
    case WM_PAINT:
      if (IsLayered()) owner_->GetManager()->AddNativeWindow(owner_, hWnd_);
      break;
    case WM_PRINT:
      if (IsLayered()) {
        const LRESULT result = CWindowWnd::HandleMessage(message, wParam, lParam);
        if (owner_->IsEnabled() && drawCaret_) {
          POINT caret = {0, 0};
          ::GetCaretPos(&caret);
          RECT client = {0, 0, 0, 0};
          ::GetClientRect(hWnd_, &client);
          CRenderUI::DrawLine(reinterpret_cast<HDC>(wParam),
                              RECT{caret.x, caret.y, caret.x, caret.y + client.bottom}, 1,
                              0xFF000000);
        }
        return result;
      }
      break;
    case WM_TIMER:
      if (wParam == kCaretTimerId) {
        drawCaret_ = !drawCaret_;
        ::InvalidateRect(hWnd_, nullptr, FALSE);
        return 0;
      }
      break;
    case kReflectedCommand:
      if (HIWORD(wParam) == EN_CHANGE) {
        OnTextChanged();
      } else if (HIWORD(wParam) == EN_UPDATE) {
        ::InvalidateRect(hWnd_, nullptr, FALSE);
      }
      return 0;
    case kReflectedColorEdit:
    case kReflectedColorStatic:
      return OnControlColor(reinterpret_cast<HDC>(wParam));
    default:
      break;
  }
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT CEditWnd::OnKillFocus(WPARAM wParam, LPARAM lParam) {
  const HWND self = hWnd_;
  const LRESULT result = CWindowWnd::HandleMessage(WM_KILLFOCUS, wParam, lParam);
  // A detached window is being destroyed by its field already.
  if (owner_ == nullptr) return result;
  // This object is gone once the call returns.
  CloseOverlayOnFocusLoss(owner_->GetManager(), self, wParam, lParam);
  return result;
}

void CEditWnd::OnTextChanged() {
  if (!initialised_ || owner_ == nullptr) return;
  const int length = ::GetWindowTextLengthW(hWnd_);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int copied = ::GetWindowTextW(hWnd_, &text[0], length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  owner_->TakeNativeText(text.c_str());
  if (!NotifyOwner(L"textchanged")) return;
  if (owner_ != nullptr && IsLayered()) owner_->Invalidate();
}

bool CEditWnd::NotifyOwner(const wchar_t* type) {
  CWindowManagerUI* manager = owner_ != nullptr ? owner_->GetManager() : nullptr;
  if (manager == nullptr) return true;
  // A handler that moves the focus, hides or removes the field closes this window, and the
  // window's final message deletes this object: nothing of it may be read after that. A handler
  // may also change the text, which reports again from inside this call.
  bool closed = false;
  bool* outer = closedFlag_;
  closedFlag_ = &closed;
  manager->SendNotify(owner_, type);
  if (closed) {
    if (outer != nullptr) *outer = true;
    return false;
  }
  closedFlag_ = outer;
  return true;
}

LRESULT CEditWnd::OnControlColor(HDC dc) {
  if (owner_ == nullptr || owner_->GetManager() == nullptr) return 0;
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager->IsLayered() && !manager->IsPainting()) manager->AddNativeWindow(owner_, hWnd_);
  const DWORD bkColor = owner_->GetNativeEditBkColor();
  if (bkColor == 0xFFFFFFFF) return 0;  // the system's own colours
  ::SetBkMode(dc, TRANSPARENT);
  DWORD textColor = owner_->GetTextColor();
  if (textColor == 0) textColor = manager->GetDefaultFontColor();
  ::SetTextColor(dc, ArgbToColorRef(textColor));
  if ((bkColor >> 24) < 0xFF) {
    // A translucent background: the skin under the field with the colour laid over it.
    const RECT rc = manager->GetNativeWindowRect(hWnd_);
    Utils::UniqueBitmap snapshot(CRenderUI::GenerateBitmap(manager, rc, nullptr, bkColor));
    bkBrush_.reset(snapshot ? ::CreatePatternBrush(snapshot.get()) : nullptr);
  } else if (!bkBrush_) {
    bkBrush_.reset(::CreateSolidBrush(ArgbToColorRef(bkColor)));
  }
  return reinterpret_cast<LRESULT>(bkBrush_.get());
}

void CEditWnd::OnFinalMessage(HWND window) {
  if (owner_ != nullptr) {
    owner_->Invalidate();
    if (owner_->GetManager() != nullptr) owner_->GetManager()->RemoveNativeWindow(window);
    owner_->NativeWindowClosed(this);
    owner_ = nullptr;
  }
  bkBrush_.reset();
  if (closedFlag_ != nullptr) *closedFlag_ = true;
  if (created_) delete this;
}

// --- the field ---------------------------------------------------------------------------------

CEditUI::CEditUI() {
  textPadding_ = RECT{4, 3, 4, 3};
  bkColor_ = 0xFFFFFFFF;
}

CEditUI::~CEditUI() { DestroyOwnedOverlay(manager_, nativeWnd_); }

const wchar_t* CEditUI::GetClass() const { return L"Edit"; }

void* CEditUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Edit")) return this;
  return CLabelUI::GetInterface(name);
}

UINT CEditUI::GetControlFlags() const {
  return IsEnabled() ? (kControlFlagTabStop | kControlFlagSetCursor) : 0;
}

HWND CEditUI::GetNativeWindow() const {
  return nativeWnd_ != nullptr ? nativeWnd_->GetHWND() : nullptr;
}

void CEditUI::OpenNativeWindow() {
  if (nativeWnd_ != nullptr || manager_ == nullptr) return;
  auto* window = new CEditWnd();
  nativeWnd_ = window;  // set first: focusing the new window may come back here
  if (!window->Init(this)) {
    if (nativeWnd_ == window) nativeWnd_ = nullptr;
    if (window->GetHWND() == nullptr) delete window;
  }
}

void CEditUI::NativeWindowClosed(CEditWnd* window) {
  if (nativeWnd_ == window) nativeWnd_ = nullptr;
}

void CEditUI::TakeNativeText(const wchar_t* text) {
  text_ = text;
  sizeDirty_ = true;
}

void CEditUI::PlaceNativeWindow() {
  if (nativeWnd_ != nullptr) PlaceNativeOverlay(nativeWnd_->GetHWND(), nativeWnd_->CalPos());
}

void CEditUI::SetText(const wchar_t* text) {
  CLabelUI::SetText(text);
  if (nativeWnd_ != nullptr) ::SetWindowTextW(nativeWnd_->GetHWND(), text_.GetData());
  Invalidate();
}

void CEditUI::SetPos(RECT rc, bool needInvalidate) {
  CLabelUI::SetPos(rc, needInvalidate);
  PlaceNativeWindow();
}

void CEditUI::Move(SIZE offset, bool needInvalidate) {
  CLabelUI::Move(offset, needInvalidate);
  PlaceNativeWindow();
}

void CEditUI::SetVisible(bool visible) {
  CLabelUI::SetVisible(visible);
  if (!IsVisible() && nativeWnd_ != nullptr && manager_ != nullptr) manager_->SetFocus(nullptr);
}

void CEditUI::SetInheritedVisible(bool visible) {
  // Recorded like every control's, so that a field on a hidden page counts as hidden.
  CLabelUI::SetInheritedVisible(visible);
  if (!IsVisible() && nativeWnd_ != nullptr && manager_ != nullptr) manager_->SetFocus(nullptr);
}

void CEditUI::SetEnabled(bool enabled) {
  CLabelUI::SetEnabled(enabled);
  if (!IsEnabled()) state_ = 0;
}

void CEditUI::SetMaxChar(UINT maxChar) {
  maxChar_ = maxChar;
  if (nativeWnd_ != nullptr) ::SendMessageW(nativeWnd_->GetHWND(), EM_LIMITTEXT, maxChar_, 0);
}

void CEditUI::SetReadOnly(bool readOnly) {
  if (readOnly_ == readOnly) return;
  readOnly_ = readOnly;
  if (nativeWnd_ != nullptr) {
    ::SendMessageW(nativeWnd_->GetHWND(), EM_SETREADONLY, readOnly_ ? TRUE : FALSE, 0);
  }
  Invalidate();
}

void CEditUI::SetPasswordMode(bool passwordMode) {
  if (passwordMode_ == passwordMode) return;
  passwordMode_ = passwordMode;
  Invalidate();
}

void CEditUI::SetPasswordChar(wchar_t ch) {
  if (ch == L'\0' || passwordChar_ == ch) return;
  passwordChar_ = ch;
  if (nativeWnd_ != nullptr && passwordMode_) {
    ::SendMessageW(nativeWnd_->GetHWND(), EM_SETPASSWORDCHAR, passwordChar_, 0);
  }
  Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
  if (numberOnly) {
    editStyle_ |= ES_NUMBER;
  } else {
    editStyle_ &= ~static_cast<UINT>(ES_NUMBER);
  }
}

void CEditUI::SetTipValue(const wchar_t* text) {
  tipValue_ = text;
  Invalidate();
}

void CEditUI::SetTipValueColor(DWORD argb) {
  tipValueColor_ = argb;
  Invalidate();
}

void CEditUI::SetNormalImage(const wchar_t* description) { SetControlImage(*this, normalImage_, description); }
void CEditUI::SetHotImage(const wchar_t* description) { SetControlImage(*this, hotImage_, description); }
void CEditUI::SetFocusedImage(const wchar_t* description) {
  SetControlImage(*this, focusedImage_, description);
}
void CEditUI::SetDisabledImage(const wchar_t* description) {
  SetControlImage(*this, disabledImage_, description);
}

void CEditUI::SetSel(int start, int end) {
  if (nativeWnd_ != nullptr) ::SendMessageW(nativeWnd_->GetHWND(), EM_SETSEL, start, end);
}

void CEditUI::DoEvent(TInputEventUI& event) {
  const OverlayFieldEvent route = RouteOverlayFieldEvent(*this, nativeWnd_, &state_, event);
  if (route == OverlayFieldEvent::kDone) return;
  if (route == OverlayFieldEvent::kPress) {
    if (IsFocused() && nativeWnd_ == nullptr) {
      OpenNativeWindow();
    } else if (nativeWnd_ != nullptr && !autoSelAll_) {
      // The click goes on to the open window, at the same place within the text.
      const HWND native = nativeWnd_->GetHWND();
      ::SendMessageW(native, EM_SETSEL, 0, 0);
      const POINT pt = {event.mousePoint.x - itemRect_.left - textPadding_.left,
                        event.mousePoint.y - itemRect_.top - textPadding_.top};
      ::SendMessageW(native, WM_LBUTTONDOWN, event.wParam, MAKELPARAM(pt.x, pt.y));
    }
    return;
  }
  if (route == OverlayFieldEvent::kFocus && IsEnabled()) {
    if (nativeWnd_ != nullptr) return;
    OpenNativeWindow();
    Invalidate();
  }
  CLabelUI::DoEvent(event);
}

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"readonly")) {
    SetReadOnly(ParseAttributeBool(value));
  } else if (NameIs(name, L"numberonly")) {
    SetNumberOnly(ParseAttributeBool(value));
  } else if (NameIs(name, L"password")) {
    SetPasswordMode(ParseAttributeBool(value));
  } else if (NameIs(name, L"autoselall")) {
    SetAutoSelAll(ParseAttributeBool(value));
  } else if (NameIs(name, L"maxchar")) {
    // A negative limit is no limit the skin can mean: the default stays.
    const int maxChar = ParseAttributeInt(value);
    if (maxChar >= 0) SetMaxChar(static_cast<UINT>(maxChar));
  } else if (NameIs(name, L"normalimage")) {
    SetNormalImage(value);
  } else if (NameIs(name, L"hotimage")) {
    SetHotImage(value);
  } else if (NameIs(name, L"focusedimage")) {
    SetFocusedImage(value);
  } else if (NameIs(name, L"disabledimage")) {
    SetDisabledImage(value);
  } else if (NameIs(name, L"nativebkcolor")) {
    SetNativeEditBkColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"tipvalue")) {
    SetTipValue(value);
  } else if (NameIs(name, L"tipvaluecolor")) {
    SetTipValueColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"nativetextcolor")) {
    // Accepted for older skins; the native text takes the field's "textcolor".
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

SIZE CEditUI::EstimateSize(SIZE available) {
  if (fixedSize_.cy == 0 && manager_ != nullptr) {
    return SIZE{fixedSize_.cx, TextHeightOf(manager_, font_) + 8};
  }
  return CControlUI::EstimateSize(available);
}

void CEditUI::PaintStatusImage(HDC hDC) {
  state_ = WithFocusAndDisabledBits(*this, state_);
  TImageDescUI* stateImage = nullptr;
  if (state_ & kStateDisabled) {
    stateImage = &disabledImage_;
  } else if (state_ & kStateFocused) {
    stateImage = &focusedImage_;
  } else if (state_ & kStateHot) {
    stateImage = &hotImage_;
  }
  if (stateImage != nullptr && DrawImage(hDC, *stateImage)) return;
  DrawImage(hDC, normalImage_);
}

void CEditUI::PaintText(HDC hDC) {
  ResolveDefaultTextColors();
  const bool showsTip = text_.IsEmpty() || (!tipValue_.IsEmpty() && text_ == tipValue_.GetData());
  CStringUI shown;
  if (text_.IsEmpty()) {
    shown = tipValue_;
  } else if (passwordMode_) {
    // The text itself is never drawn, only one password character per character of it.
    for (int i = 0; i < text_.GetLength(); ++i) shown += passwordChar_;
  } else {
    shown = text_;
  }
  if (shown.IsEmpty()) return;
  DWORD color = textColor_;
  if (!IsEnabled()) {
    color = disabledTextColor_;
  } else if (showsTip && tipValueColor_ != 0) {
    color = tipValueColor_;
  }
  RECT rc = GetTextRect();
  CRenderUI::DrawText(hDC, manager_, rc, shown.GetData(), GetAdjustedColor(color), font_,
                      textStyle_ | DT_SINGLELINE);
}

}  // namespace SkinUI
