#include "ui_controls/periphery/ui_rich_edit.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <string>

#include "ui_controls/installer/ui_control_state.h"
#include "ui_controls/installer/ui_text_attributes.h"
#include "ui_controls/periphery/ui_text_host.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_clamp.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// The caret a layered window has to draw itself (the system does not show it there).
constexpr UINT kCaretTimerId = 20;
// Unicode (UTF-16) as the code page of the text messages.
constexpr UINT kCodePageUtf16 = 1200;
// A bar shown or hidden while the control lays itself out changes the view: a few rounds settle
// any real text, more would be a loop.
constexpr int kMaxLayoutRounds = 3;
// "align" reads its words as a label does, into the edit style's alignment bits.
constexpr TAlignWordsUI kEditAlignWords = {L"left", L"center", L"right", ES_CENTER, ES_RIGHT};

bool IsButtonMessage(UINT message) { return message >= WM_LBUTTONDOWN && message <= WM_RBUTTONUP; }

bool IsFocusingClick(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDOWN;
}

// Events the message filter has already given the text services.
bool IsFilteredEvent(const TInputEventUI& event) {
  switch (event.type) {
    case kEventKeyDown:
    case kEventKeyUp:
    case kEventChar:
    case kEventSysKey:
    case kEventMouseMove:
    case kEventButtonDown:
    case kEventButtonUp:
    case kEventDblClick:
      return true;
    case kEventScrollWheel:
      return (event.keyState & kKeyStateControl) != 0;
    default:
      return false;
  }
}

// rc less the insets (from skin attributes: any size). An inset larger than the rectangle leaves
// it empty at its top-left, never turned inside out.
RECT Inset(RECT rc, const RECT& by) {
  rc.left = AddClamped(rc.left, by.left);
  rc.top = AddClamped(rc.top, by.top);
  rc.right = std::max(SubClamped(rc.right, by.right), static_cast<int>(rc.left));
  rc.bottom = std::max(SubClamped(rc.bottom, by.bottom), static_cast<int>(rc.top));
  return rc;
}

int Width(const RECT& rc) { return SubClamped(rc.right, rc.left); }
int Height(const RECT& rc) { return SubClamped(rc.bottom, rc.top); }

bool Meets(const RECT& a, const RECT& b) {
  RECT unused;
  return ::IntersectRect(&unused, &a, &b) != FALSE;
}

}  // namespace

CRichEditUI::CRichEditUI() = default;

CRichEditUI::~CRichEditUI() {
  if (host_ != nullptr) {
    CTxtWinHost* host = host_;
    host_ = nullptr;
    host->Release();
  }
  if (manager_ != nullptr) manager_->RemoveMessageFilter(this);
}

const wchar_t* CRichEditUI::GetClass() const { return L"RichEdit"; }

void* CRichEditUI::GetInterface(const wchar_t* name) {
  if (name != nullptr) {
    if (NameIs(name, L"RichEdit")) return this;
    // The window manager's TAB handling asks this: a control that answers takes the key.
    if (NameIs(name, L"WantTab")) return wantTab_ ? this : nullptr;
  }
  return CContainerUI::GetInterface(name);
}

UINT CRichEditUI::GetControlFlags() const {
  return IsEnabled() ? (kControlFlagTabStop | kControlFlagSetCursor) : 0;
}

bool CRichEditUI::IsLayeredWindow() const { return manager_ != nullptr && manager_->IsLayered(); }

// --- the text services ---------------------------------------------------------------------------

HRESULT CRichEditUI::TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT* result) const {
  if (host_ == nullptr || host_->GetTextServices() == nullptr) return S_FALSE;
  const bool enter = (message == WM_KEYDOWN && wParam == VK_RETURN) ||
                     (message == WM_CHAR && (wParam == L'\r' || wParam == L'\n'));
  if (enter) {
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    if (!wantReturn_ || (ctrl && !wantCtrlReturn_)) {
      // The character that follows the key is swallowed with it: Enter never reaches the text.
      if (message == WM_KEYDOWN && manager_ != nullptr) {
        manager_->SendNotify(const_cast<CRichEditUI*>(this), L"return");
      }
      return S_OK;
    }
  }
  LRESULT ignored = 0;
  return host_->GetTextServices()->TxSendMessage(message, wParam, lParam,
                                                 result != nullptr ? result : &ignored);
}

bool CRichEditUI::OnTxViewChanged(bool /*update*/) { return true; }

void CRichEditUI::OnTxNotify(DWORD code, void* data) {
  switch (code) {
    case EN_CHANGE:
      if (manager_ != nullptr) manager_->SendNotify(this, L"textchanged");
      return;
    case EN_MSGFILTER:
    case EN_SELCHANGE:
    case EN_DROPFILES:
    case EN_PROTECTED:
    case EN_STOPNOUNDO:
    case EN_SAVECLIPBOARD:
    case EN_OLEOPFAILED:
    case EN_OBJECTPOSITIONS:
    case EN_LINK:
    case EN_DRAGDROPDONE: {
      if (data == nullptr || manager_ == nullptr) return;
      const HWND window = manager_->GetPaintWindow();
      auto* header = static_cast<NMHDR*>(data);
      header->hwndFrom = window;
      header->idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrW(window, GWLP_ID));
      header->code = code;
      ::SendMessageW(window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
      return;
    }
    default:
      return;
  }
}

CStringUI CRichEditUI::GetText() const {
  GETTEXTLENGTHEX lengthQuery = {GTL_DEFAULT, kCodePageUtf16};
  LRESULT length = 0;
  TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0, &length);
  // The services never hold more than their limit; an answer past any limit is no length.
  if (length <= 0 || length > 0x3FFFFFFF) return CStringUI();
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  GETTEXTEX textQuery = {};
  textQuery.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  textQuery.flags = GT_DEFAULT;
  textQuery.codepage = kCodePageUtf16;
  TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&textQuery),
                reinterpret_cast<LPARAM>(&buffer[0]), nullptr);
  return CStringUI(buffer.c_str());
}

void CRichEditUI::SetText(const wchar_t* text) {
  text_ = text;
  if (host_ == nullptr) return;
  SetSel(0, -1);
  TxSendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text != nullptr ? text : L""),
                nullptr);
}

void CRichEditUI::SetSel(long start, long end) {
  CHARRANGE range = {start, end};
  TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
}

CHARRANGE CRichEditUI::GetSel() const {
  CHARRANGE range = {0, 0};
  TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
  return range;
}

int CRichEditUI::GetLineCount() const {
  LRESULT lines = 0;
  TxSendMessage(EM_GETLINECOUNT, 0, 0, &lines);
  return static_cast<int>(lines);
}

// --- settings --------------------------------------------------------------------------------

void CRichEditUI::SetRich(bool rich) {
  rich_ = rich;
  if (host_ != nullptr) host_->SetRich(rich);
}

void CRichEditUI::SetTransparent(bool transparent) {
  transparent_ = transparent;
  if (host_ != nullptr) host_->SetTransparent(transparent);
}

void CRichEditUI::SetFont(int index) {
  font_ = index;
  if (host_ == nullptr) return;
  host_->SetFont(nullptr);
  host_->SetCharFormatChanged();
}

void CRichEditUI::SetTextColor(DWORD argb) {
  textColor_ = argb;
  if (host_ == nullptr) return;
  host_->SetColor(argb);
  host_->SetCharFormatChanged();
}

void CRichEditUI::SetTextPadding(RECT padding) {
  // Negative widths count as 0: the text never spills over the control.
  textPadding_ = RECT{std::max(padding.left, 0L), std::max(padding.top, 0L),
                      std::max(padding.right, 0L), std::max(padding.bottom, 0L)};
  Invalidate();
}

void CRichEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  const bool isTrue = ParseAttributeBool(value);
  if (NameIs(name, L"vscrollbar")) {
    if (isTrue) editStyle_ |= WS_VSCROLL | ES_DISABLENOSCROLL;
    CContainerUI::SetAttribute(name, value);
  } else if (NameIs(name, L"autovscroll")) {
    if (isTrue) editStyle_ |= ES_AUTOVSCROLL;
    CContainerUI::SetAttribute(name, value);
  } else if (NameIs(name, L"hscrollbar")) {
    if (isTrue) editStyle_ |= WS_HSCROLL | ES_DISABLENOSCROLL;
    CContainerUI::SetAttribute(name, value);
  } else if (NameIs(name, L"autohscroll")) {
    if (isTrue) editStyle_ |= ES_AUTOHSCROLL;
  } else if (NameIs(name, L"wanttab")) {
    wantTab_ = isTrue;
  } else if (NameIs(name, L"wantreturn")) {
    wantReturn_ = isTrue;
  } else if (NameIs(name, L"wantctrlreturn")) {
    wantCtrlReturn_ = isTrue;
  } else if (NameIs(name, L"transparent")) {
    SetTransparent(isTrue);
  } else if (NameIs(name, L"rich")) {
    SetRich(isTrue);
  } else if (NameIs(name, L"multiline")) {
    if (NameIs(value, L"false")) editStyle_ &= ~static_cast<DWORD>(ES_MULTILINE);
  } else if (NameIs(name, L"readonly")) {
    if (isTrue) {
      editStyle_ |= ES_READONLY;
      readOnly_ = true;
    }
  } else if (NameIs(name, L"password")) {
    if (isTrue) editStyle_ |= ES_PASSWORD;
  } else if (NameIs(name, L"align")) {
    editStyle_ = ApplyAlignWords(editStyle_, value, kEditAlignWords);
  } else if (NameIs(name, L"font")) {
    SetFont(ParseAttributeInt(value));
  } else if (NameIs(name, L"textcolor")) {
    SetTextColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"textpadding")) {
    SetTextPadding(ParseAttributeRect(value));
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

// --- life cycle --------------------------------------------------------------------------------

void CRichEditUI::DoInit() {
  if (initialised_ || manager_ == nullptr) return;
  host_ = CTxtWinHost::Create(this, editStyle_, text_.GetData());
  if (host_ != nullptr) {
    if (transparent_) host_->SetTransparent(true);
    TxSendMessage(EM_SETLANGOPTIONS, 0, 0, nullptr);
    // Windowless services report nothing until asked: "textchanged" needs the change events.
    TxSendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE | ENM_SELCHANGE, nullptr);
    host_->Activate();
    manager_->AddMessageFilter(this);
    if (IsLayeredWindow()) manager_->SetTimer(this, kCaretTimerId, ::GetCaretBlinkTime());
  }
  initialised_ = true;
}

// --- placement ---------------------------------------------------------------------------------

RECT CRichEditUI::WithTextPadding(RECT rc) const { return Inset(rc, textPadding_); }

RECT CRichEditUI::GetViewRect() const {
  RECT bars = {0, 0, 0, 0};
  if (verticalScrollBar_ != nullptr && verticalScrollBar_->IsVisible()) {
    bars.right = verticalScrollBar_->GetFixedWidth();
  }
  if (horizontalScrollBar_ != nullptr && horizontalScrollBar_->IsVisible()) {
    bars.bottom = horizontalScrollBar_->GetFixedHeight();
  }
  return Inset(Inset(itemRect_, inset_), bars);
}

LONG CRichEditUI::NaturalHeight(int width) const {
  if (host_ == nullptr || host_->GetTextServices() == nullptr || manager_ == nullptr) return -1;
  const SIZEL extent = {-1, -1};
  LONG naturalWidth = width;
  LONG naturalHeight = 0;
  const HRESULT result = host_->GetTextServices()->TxGetNaturalSize(
      DVASPECT_CONTENT, manager_->GetPaintDC(), nullptr, nullptr, TXTNS_FITTOCONTENT, &extent,
      &naturalWidth, &naturalHeight);
  return SUCCEEDED(result) ? naturalHeight : -1;
}

void CRichEditUI::ShowTextBar(CScrollBarUI* bar, bool show) {
  if (bar == nullptr || bar->IsVisible() == show) return;
  bar->SetVisible(show);
  if (laying_) {
    barsChanged_ = true;
  } else {
    NeedUpdate();
  }
}

void CRichEditUI::SetPos(RECT rc, bool needInvalidate) {
  for (int round = 0; round < kMaxLayoutRounds; ++round) {
    barsChanged_ = false;
    laying_ = true;
    PlaceOnce(rc, needInvalidate);
    laying_ = false;
    if (!barsChanged_) break;
  }
}

void CRichEditUI::PlaceOnce(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  RECT work = Inset(itemRect_, inset_);
  RECT view = work;
  CScrollBarUI* vertical = verticalScrollBar_;
  CScrollBarUI* horizontal = horizontalScrollBar_;
  const bool verticalShown = vertical != nullptr && vertical->IsVisible();
  if (verticalShown) {
    const int position = vertical->GetScrollPos();
    work.top = SubClamped(work.top, position);
    work.bottom = AddClamped(SubClamped(work.bottom, position), vertical->GetScrollRange());
    work.right = SubClamped(work.right, vertical->GetFixedWidth());
    view.right = SubClamped(view.right, vertical->GetFixedWidth());
  }
  if (horizontal != nullptr && horizontal->IsVisible()) {
    const int position = horizontal->GetScrollPos();
    work.left = SubClamped(work.left, position);
    work.right = AddClamped(SubClamped(work.right, position), horizontal->GetScrollRange());
    work.bottom = SubClamped(work.bottom, horizontal->GetFixedHeight());
    view.bottom = SubClamped(view.bottom, horizontal->GetFixedHeight());
  }
  view = Inset(view, RECT{0, 0, 0, 0});  // bars wider than the control leave an empty view

  if (host_ != nullptr) {
    const RECT client = WithTextPadding(view);
    host_->SetClientRect(&client);
    if (verticalShown && (!vertical->IsVisible() || verticalBarFixing_)) {
      // The services hid the bar of a text that still outgrows the view: the control keeps it.
      const RECT padded = WithTextPadding(work);
      const LONG height = NaturalHeight(AddClamped(Width(padded), vertical->GetFixedWidth()));
      if (height > Height(padded)) {
        vertical->SetVisible(true);
        vertical->SetScrollPos(0);
        verticalBarFixing_ = true;
      } else if (verticalBarFixing_) {
        vertical->SetVisible(false);
        verticalBarFixing_ = false;
      }
    }
  }

  if (vertical != nullptr && vertical->IsVisible()) {
    vertical->SetPos(
        RECT{view.right, view.top, AddClamped(view.right, vertical->GetFixedWidth()), view.bottom},
        false);
  }
  if (horizontal != nullptr && horizontal->IsVisible()) {
    horizontal->SetPos(
        RECT{view.left, view.bottom, view.right, AddClamped(view.bottom, horizontal->GetFixedHeight())},
        false);
  }

  for (int i = 0; i < items_.GetSize(); ++i) {
    CControlUI* child = GetItemAt(i);
    if (!child->IsVisible()) continue;
    if (child->IsFloat()) {
      SetFloatPos(i);
      continue;
    }
    int width = std::max(Width(work), child->GetMinWidth());
    width = std::min(width, child->GetMaxWidth());
    int height = std::max(Height(work), child->GetMinHeight());
    height = std::min(height, child->GetMaxHeight());
    child->SetPos(
        RECT{work.left, work.top, AddClamped(work.left, width), AddClamped(work.top, height)},
        false);
  }
}

void CRichEditUI::Move(SIZE offset, bool needInvalidate) {
  CContainerUI::Move(offset, needInvalidate);
  if (host_ == nullptr) return;
  // The text padding too: the text keeps its place inside the control while it moves.
  const RECT client = WithTextPadding(GetViewRect());
  host_->SetClientRect(&client);
}

SIZE CRichEditUI::EstimateSize(SIZE available) { return CControlUI::EstimateSize(available); }

// --- scrolling -----------------------------------------------------------------------------------

void CRichEditUI::SendScroll(UINT message, WORD code) const {
  TxSendMessage(message, code, 0, nullptr);
}

void CRichEditUI::LineUp() { SendScroll(WM_VSCROLL, SB_LINEUP); }

void CRichEditUI::LineDown() {
  CScrollBarUI* bar = verticalScrollBar_;
  const bool plainWithBar = !rich_ && bar != nullptr && bar->IsVisible();
  const int before = plainWithBar ? bar->GetScrollPos() : 0;
  SendScroll(WM_VSCROLL, SB_LINEDOWN);
  // Plain text stops a line short of its end: the last step goes the rest of the way.
  if (plainWithBar && bar->GetScrollPos() <= before) bar->SetScrollPos(bar->GetScrollRange());
}

void CRichEditUI::PageUp() { SendScroll(WM_VSCROLL, SB_PAGEUP); }
void CRichEditUI::PageDown() { SendScroll(WM_VSCROLL, SB_PAGEDOWN); }
void CRichEditUI::HomeUp() { SendScroll(WM_VSCROLL, SB_TOP); }
void CRichEditUI::EndDown() { SendScroll(WM_VSCROLL, SB_BOTTOM); }
void CRichEditUI::LineLeft() { SendScroll(WM_HSCROLL, SB_LINELEFT); }
void CRichEditUI::LineRight() { SendScroll(WM_HSCROLL, SB_LINERIGHT); }
void CRichEditUI::PageLeft() { SendScroll(WM_HSCROLL, SB_PAGELEFT); }
void CRichEditUI::PageRight() { SendScroll(WM_HSCROLL, SB_PAGERIGHT); }
void CRichEditUI::HomeLeft() { SendScroll(WM_HSCROLL, SB_LEFT); }
void CRichEditUI::EndRight() { SendScroll(WM_HSCROLL, SB_RIGHT); }

void CRichEditUI::SetScrollPos(SIZE pos) {
  CScrollBarUI* vertical = verticalScrollBar_;
  CScrollBarUI* horizontal = horizontalScrollBar_;
  int dx = 0;
  int dy = 0;
  if (vertical != nullptr && vertical->IsVisible()) {
    const int old = vertical->GetScrollPos();
    vertical->SetScrollPos(pos.cy);
    dy = vertical->GetScrollPos() - old;
  }
  if (horizontal != nullptr && horizontal->IsVisible()) {
    const int old = horizontal->GetScrollPos();
    horizontal->SetScrollPos(pos.cx);
    dx = horizontal->GetScrollPos() - old;
  }
  if (dy != 0) {
    const int wanted = vertical->GetScrollPos();
    TxSendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, wanted), 0, nullptr);
    // Plain text stops a line short of its end: keep the bar where it was sent.
    if (!rich_ && vertical->IsVisible() && dy > 0 && vertical->GetScrollPos() <= wanted) {
      vertical->SetScrollPos(wanted);
    }
  }
  if (dx != 0) {
    TxSendMessage(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, horizontal->GetScrollPos()), 0,
                  nullptr);
  }
}

// --- events ------------------------------------------------------------------------------------

void CRichEditUI::DoEvent(TInputEventUI& event) {
  bool toBase = false;
  if (RouteMouseToParent(*this, event, &toBase)) {
    if (toBase) CControlUI::DoEvent(event);
    return;
  }
  switch (event.type) {
    case kEventSetCursor:
      if (IsEnabled() && host_ != nullptr && host_->GetTextServices() != nullptr &&
          manager_ != nullptr) {
        const RECT& client = host_->GetClientRect();
        if (::PtInRect(&client, event.mousePoint)) {
          host_->GetTextServices()->OnTxSetCursor(
              DVASPECT_CONTENT, -1, nullptr, nullptr, manager_->GetPaintDC(), nullptr,
              host_->IsInPlaceActive() ? nullptr : &client, event.mousePoint.x,
              event.mousePoint.y);
          return;
        }
      }
      break;
    case kEventWindowSize:
      if (host_ != nullptr) host_->NeedFreshCaret();
      break;
    case kEventSetFocus:
    case kEventKillFocus: {
      const bool gaining = event.type == kEventSetFocus;
      if (host_ != nullptr && host_->GetTextServices() != nullptr) {
        host_->Activate();
        LRESULT ignored = 0;
        host_->GetTextServices()->TxSendMessage(gaining ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0,
                                                &ignored);
      }
      focused_ = gaining;
      Invalidate();
      return;
    }
    case kEventTimer:
      if (event.wParam == kCaretTimerId) {
        OnCaretBlink();
      } else if (host_ != nullptr && host_->GetTextServices() != nullptr) {
        LRESULT ignored = 0;
        host_->GetTextServices()->TxSendMessage(WM_TIMER, event.wParam, event.lParam, &ignored);
      }
      return;
    default:
      break;
  }
  if (IsFilteredEvent(event)) return;
  CContainerUI::DoEvent(event);
}

void CRichEditUI::OnCaretBlink() {
  if (host_ == nullptr || !IsLayeredWindow() || !focused_ ||
      ::GetFocus() != manager_->GetPaintWindow()) {
    return;
  }
  caretPhase_ = !caretPhase_;
  const POINT pos = host_->GetCaretPos();
  RECT caret = {pos.x, pos.y, pos.x + std::max(host_->GetCaretWidth(), 1),
                pos.y + host_->GetCaretHeight()};
  if (!::IntersectRect(&caret, &caret, &itemRect_)) return;
  if (!ClipToAncestors(caret)) return;
  manager_->Invalidate(caret);
}

POINT CRichEditUI::MessagePoint(UINT message, LPARAM lParam) const {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (message == WM_SETCURSOR) {
    ::GetCursorPos(&pt);
    ::ScreenToClient(manager_->GetPaintWindow(), &pt);
  } else if (message == WM_MOUSEWHEEL || message == WM_CONTEXTMENU) {
    ::ScreenToClient(manager_->GetPaintWindow(), &pt);
  }
  return pt;
}

bool CRichEditUI::AcceptsMouseMessage(UINT message, POINT pt) const {
  // While the services hold the capture (a selection being dragged) they get every move.
  if (host_ != nullptr && host_->IsCaptured()) return true;
  if (IsButtonMessage(message) && manager_->FindControl(pt) != this) return false;
  if (host_ == nullptr) return false;
  const RECT& client = host_->GetClientRect();
  return ::PtInRect(&client, pt) && !manager_->IsCaptured();
}

LRESULT CRichEditUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (manager_ == nullptr || !IsVisible() || !IsEnabled()) return 0;
  const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
  if (mouse && !IsMouseEnabled()) return 0;
  if (message == WM_MOUSEWHEEL && (LOWORD(wParam) & MK_CONTROL) == 0) return 0;
  const bool key = message >= WM_KEYFIRST && message <= WM_KEYLAST;

  bool leaveUnhandled = false;
  if (mouse || message == WM_SETCURSOR) {
    if (!AcceptsMouseMessage(message, MessagePoint(message, lParam))) return 0;
    if (message == WM_SETCURSOR) {
      leaveUnhandled = true;
    } else if (IsFocusingClick(message)) {
      if (!manager_->IsNoActivate()) ::SetFocus(manager_->GetPaintWindow());
      SetFocus();
    }
  } else if (key || message == WM_IME_CHAR) {
    if (!IsFocused()) return 0;
  } else if (message == WM_IME_STARTCOMPOSITION) {
    if (IsFocused()) PlaceImeWindow();
    return 0;
  } else if (message == WM_CONTEXTMENU) {
    if (manager_->FindControl(MessagePoint(message, lParam)) != this) return 0;
  } else if (message == WM_HELP) {
    leaveUnhandled = true;
  } else {
    return 0;
  }

  LRESULT result = 0;
  const HRESULT sent = TxSendMessage(message, wParam, lParam, &result);
  if (!leaveUnhandled &&
      (sent == S_OK || key || message == WM_IME_CHAR ||
       (mouse && host_ != nullptr && host_->IsCaptured()))) {
    handled = true;
  }
  return result;
}

void CRichEditUI::PlaceImeWindow() {
  if (host_ == nullptr) return;
  const HWND window = manager_->GetPaintWindow();
  HIMC context = ::ImmGetContext(window);
  if (context == nullptr) return;
  const POINT caret = host_->GetCaretPos();
  COMPOSITIONFORM form = {};
  form.dwStyle = CFS_FORCE_POSITION;
  form.ptCurrentPos = POINT{caret.x + host_->GetCaretWidth(), caret.y};
  ::ImmSetCompositionWindow(context, &form);
  LOGFONTW look = {};
  HFONT font = manager_->GetFont(font_);
  if (font != nullptr && ::GetObjectW(font, sizeof(look), &look) != 0) {
    ::ImmSetCompositionFontW(context, &look);
  }
  ::ImmReleaseContext(window, context);
}

// --- painting ------------------------------------------------------------------------------------

void CRichEditUI::PaintStatusImage(HDC /*hDC*/) {}

void CRichEditUI::PaintText(HDC /*hDC*/) {}

bool CRichEditUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) {
  RECT area;
  if (!::IntersectRect(&area, &paint, &itemRect_)) return true;
  CRenderClipUI clip;
  CRenderUI::GenerateClip(hDC, area, clip);
  CControlUI::DoPaint(hDC, area, stop);

  if (host_ != nullptr && host_->GetTextServices() != nullptr) {
    const RECT& client = host_->GetClientRect();
    const RECTL bounds = {client.left, client.top, client.right, client.bottom};
    RECT update = area;
    host_->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hDC, nullptr, &bounds,
                                     nullptr, &update, nullptr, 0, TXTVIEW_ACTIVE);
    if (verticalBarFixing_ && verticalScrollBar_ != nullptr) {
      const LONG height =
          NaturalHeight(AddClamped(Width(client), verticalScrollBar_->GetFixedWidth()));
      // The text fits again: the next layout lets the bar go.
      if (height >= 0 && Height(client) >= height) NeedUpdate();
    }
  }

  bool stopped = false;
  PaintChildren(hDC, area, stop, stopped);
  if (stopped) return false;
  PaintCaret(hDC);

  for (CScrollBarUI* bar : {verticalScrollBar_, horizontalScrollBar_}) {
    if (bar == nullptr) continue;
    if (static_cast<CControlUI*>(bar) == stop) return false;
    if (bar->IsVisible() && Meets(area, bar->GetPos()) && !bar->Paint(hDC, area, stop)) {
      return false;
    }
  }
  return true;
}

void CRichEditUI::PaintChildren(HDC hDC, const RECT& paint, CControlUI* stop, bool& stopped) {
  if (items_.IsEmpty()) return;
  RECT view = GetViewRect();
  if (!::IntersectRect(&view, &view, &paint)) return;
  CRenderClipUI clip;
  CRenderUI::GenerateClip(hDC, view, clip);
  for (int i = 0; i < items_.GetSize(); ++i) {
    CControlUI* child = GetItemAt(i);
    if (child == stop) {
      stopped = true;
      return;
    }
    if (!child->IsVisible() || !Meets(paint, child->GetPos())) continue;
    if (!child->Paint(hDC, paint, stop)) {
      stopped = true;
      return;
    }
  }
}

void CRichEditUI::PaintCaret(HDC hDC) {
  if (host_ == nullptr || !IsLayeredWindow() || !host_->IsShowCaret() || !focused_ ||
      !caretPhase_) {
    return;
  }
  const POINT pos = host_->GetCaretPos();
  if (!::PtInRect(&itemRect_, pos)) return;
  CRenderUI::DrawLine(hDC, RECT{pos.x, pos.y, pos.x, pos.y + host_->GetCaretHeight()},
                      std::max(host_->GetCaretWidth(), 1), 0xFF000000);
}

}  // namespace SkinUI
