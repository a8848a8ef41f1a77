#include "ui_controls/periphery/ui_text_host.h"

#include <cstring>
#include <new>

#include "ui_controls/periphery/ui_rich_edit.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_core/values/ui_clamp.h"

namespace SkinUI {
namespace {

// MinGW's import libraries define neither id, and Windows has changed the text services' id
// between library versions: the id the loaded library exports comes first, these after it.
constexpr IID kIidTextServices = {
    0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
// The host answers the documented id and the one the system libraries export.
constexpr IID kIidTextHost = {
    0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
constexpr IID kIidTextHostExported = {
    0x13E670F4, 0x1A5A, 0x11CF, {0xAB, 0xEB, 0x00, 0xAA, 0x00, 0xB6, 0x5E, 0xA1}};

// What a HIMETRIC extent and the character heights are measured in.
constexpr int kHimetricPerInch = 2540;
constexpr int kTwipsPerInch = 1440;
constexpr LONG kDefaultTabStop = 720;  // twips: half an inch

int g_liveHosts = 0;

// The text services' library stays loaded for the process: hosts come and go, and a text
// services object may outlive its last host by a few calls.
HMODULE TextServicesLibrary() {
  static HMODULE library = ::LoadLibraryW(L"msftedit.dll");
  return library;
}

bool IsId(REFIID iid, const IID& expected) { return ::IsEqualGUID(iid, expected) != FALSE; }

// An id the loaded library exports as data, or null.
const IID* ExportedId(const char* name) {
  HMODULE library = TextServicesLibrary();
  if (library == nullptr) return nullptr;
  return reinterpret_cast<const IID*>(::GetProcAddress(library, name));
}

int DevicePixelsPerInch(HDC dc, int index) {
  const int value = dc != nullptr ? ::GetDeviceCaps(dc, index) : 0;
  return value > 0 ? value : 96;
}

}  // namespace

int CTxtWinHost::LiveCount() { return g_liveHosts; }

CTxtWinHost* CTxtWinHost::Create(CRichEditUI* owner, DWORD style, const wchar_t* text) {
  auto* host = new (std::nothrow) CTxtWinHost(owner);
  if (host == nullptr) return nullptr;
  if (!host->Init(style, text)) {
    host->Release();
    return nullptr;
  }
  return host;
}

CTxtWinHost::CTxtWinHost(CRichEditUI* owner) : owner_(owner) {
  std::memset(&charFormat_, 0, sizeof(charFormat_));
  std::memset(&paraFormat_, 0, sizeof(paraFormat_));
  ++g_liveHosts;
}

CTxtWinHost::~CTxtWinHost() {
  if (services_ != nullptr) {
    services_->OnTxInPlaceDeactivate();
    ITextServices* services = services_;
    services_ = nullptr;
    services->Release();
  }
  --g_liveHosts;
}

bool CTxtWinHost::Init(DWORD style, const wchar_t* text) {
  if (!SetFont(nullptr)) return false;

  paraFormat_.cbSize = sizeof(paraFormat_);
  paraFormat_.dwMask = PFM_ALL;
  paraFormat_.wAlignment = PFA_LEFT;
  paraFormat_.cTabCount = 1;
  paraFormat_.rgxTabs[0] = kDefaultTabStop;

  if (owner_->IsRich()) bits_ |= kBitRich;
  // The services read the back style when they are made; a later change alone leaves them
  // painting the background of a transparent control.
  if (owner_->IsTransparent()) bits_ |= kBitTransparent;
  maxLength_ = static_cast<DWORD>(owner_->GetLimitText());
  style_ = style;
  if ((style_ & (ES_AUTOHSCROLL | WS_HSCROLL)) == 0) bits_ |= kBitWordWrap;
  // Without a character of its own a password field would show its text: the services take
  // the host's character, so there always is one.
  passwordChar_ = L'*';

  if (style_ & ES_CENTER) {
    paraFormat_.wAlignment = PFA_CENTER;
  } else if (style_ & ES_RIGHT) {
    paraFormat_.wAlignment = PFA_RIGHT;
  }
  bits_ |= kBitInPlaceActive;

  if (!CreateServices()) return false;
  if (text != nullptr && *text != L'\0' && FAILED(services_->TxSetText(text))) return false;
  return true;
}

bool CTxtWinHost::CreateServices() {
  HMODULE library = TextServicesLibrary();
  if (library == nullptr) return false;
  auto create =
      reinterpret_cast<PCreateTextServices>(::GetProcAddress(library, "CreateTextServices"));
  if (create == nullptr) return false;
  IUnknown* unknown = nullptr;
  if (FAILED(create(nullptr, this, &unknown)) || unknown == nullptr) return false;
  void* services = nullptr;
  const IID* exported = ExportedId("IID_ITextServices");
  HRESULT result = E_NOINTERFACE;
  if (exported != nullptr) result = unknown->QueryInterface(*exported, &services);
  if (FAILED(result) || services == nullptr) {
    services = nullptr;
    result = unknown->QueryInterface(kIidTextServices, &services);
  }
  unknown->Release();
  if (FAILED(result) || services == nullptr) return false;
  services_ = static_cast<ITextServices*>(services);
  return true;
}

// --- IUnknown ----------------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE CTxtWinHost::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  const IID* exported = ExportedId("IID_ITextHost");
  if (IsId(iid, IID_IUnknown) || IsId(iid, kIidTextHost) || IsId(iid, kIidTextHostExported) ||
      (exported != nullptr && IsId(iid, *exported))) {
    AddRef();
    *object = static_cast<ITextHost*>(this);
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CTxtWinHost::AddRef() { return ++refCount_; }

ULONG STDMETHODCALLTYPE CTxtWinHost::Release() {
  const ULONG count = --refCount_;
  if (count == 0) delete this;
  return count;
}

// --- the control's settings --------------------------------------------------------------------

bool CTxtWinHost::Activate() {
  bits_ |= kBitInPlaceActive;
  if (services_ != nullptr && FAILED(services_->OnTxInPlaceActivate(nullptr))) {
    bits_ &= ~kBitInPlaceActive;
    return false;
  }
  return true;
}

void CTxtWinHost::SetRich(bool rich) {
  if (rich) {
    bits_ |= kBitRich;
  } else {
    bits_ &= ~kBitRich;
  }
  if (services_ != nullptr) services_->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetTransparent(bool transparent) {
  if (transparent) {
    bits_ |= kBitTransparent;
  } else {
    bits_ &= ~kBitTransparent;
  }
  if (services_ != nullptr) services_->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
}

bool CTxtWinHost::SetFont(HFONT font) {
  CWindowManagerUI* manager = owner_->GetManager();
  if (font == nullptr && manager != nullptr) font = manager->GetFont(owner_->GetFont());
  LOGFONTW look = {};
  if (font == nullptr || ::GetObjectW(font, sizeof(look), &look) == 0) return false;
  const DWORD color = charFormat_.crTextColor;
  std::memset(&charFormat_, 0, sizeof(charFormat_));
  charFormat_.cbSize = sizeof(charFormat_);
  charFormat_.dwMask = CFM_SIZE | CFM_OFFSET | CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD |
                       CFM_ITALIC | CFM_UNDERLINE;
  const HDC dc = manager != nullptr ? manager->GetPaintDC() : nullptr;
  charFormat_.yHeight =
      static_cast<LONG>(static_cast<long long>(look.lfHeight) * -kTwipsPerInch /
                        DevicePixelsPerInch(dc, LOGPIXELSY));
  charFormat_.yOffset = 0;
  charFormat_.crTextColor = color;
  if (look.lfWeight >= FW_BOLD) charFormat_.dwEffects |= CFE_BOLD;
  if (look.lfItalic) charFormat_.dwEffects |= CFE_ITALIC;
  if (look.lfUnderline) charFormat_.dwEffects |= CFE_UNDERLINE;
  charFormat_.bCharSet = look.lfCharSet;
  charFormat_.bPitchAndFamily = look.lfPitchAndFamily;
  static_assert(sizeof(charFormat_.szFaceName) == sizeof(look.lfFaceName), "face name sizes");
  std::memcpy(charFormat_.szFaceName, look.lfFaceName, sizeof(look.lfFaceName));
  charFormat_.szFaceName[LF_FACESIZE - 1] = L'\0';
  SetColor(owner_->GetTextColor());
  return true;
}

void CTxtWinHost::SetColor(DWORD argb) {
  charFormat_.crTextColor = RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

void CTxtWinHost::SetCharFormatChanged() {
  if (services_ != nullptr) {
    services_->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
  }
}

void CTxtWinHost::SetClientRect(const RECT* rc) {
  clientRect_ = *rc;
  CWindowManagerUI* manager = owner_->GetManager();
  const HDC dc = manager != nullptr ? manager->GetPaintDC() : nullptr;
  extent_.cx = ::MulDiv(SubClamped(clientRect_.right, clientRect_.left), kHimetricPerInch,
                        DevicePixelsPerInch(dc, LOGPIXELSX));
  extent_.cy = ::MulDiv(SubClamped(clientRect_.bottom, clientRect_.top), kHimetricPerInch,
                        DevicePixelsPerInch(dc, LOGPIXELSY));
  if (services_ != nullptr) {
    services_->OnTxPropertyBitsChange(TXTBIT_VIEWINSETCHANGE, TXTBIT_VIEWINSETCHANGE);
  }
}

// --- ITextHost: drawing and scroll bars ----------------------------------------------------------

HDC CTxtWinHost::TxGetDC() {
  CWindowManagerUI* manager = owner_->GetManager();
  return manager != nullptr ? manager->GetPaintDC() : nullptr;
}

INT CTxtWinHost::TxReleaseDC(HDC /*hdc*/) { return 1; }

WINBOOL CTxtWinHost::TxShowScrollBar(INT bar, WINBOOL show) {
  const bool vertical = bar == SB_VERT || bar == SB_BOTH;
  const bool horizontal = bar == SB_HORZ || bar == SB_BOTH;
  if (vertical) owner_->ShowTextBar(owner_->GetVerticalScrollBar(), show != FALSE);
  if (horizontal) owner_->ShowTextBar(owner_->GetHorizontalScrollBar(), show != FALSE);
  return TRUE;
}

WINBOOL CTxtWinHost::TxEnableScrollBar(INT bars, INT arrows) {
  const bool shown = arrows != ESB_DISABLE_BOTH;
  if (bars == SB_VERT) {
    owner_->EnableScrollBar(true, owner_->GetHorizontalScrollBar() != nullptr);
    owner_->ShowTextBar(owner_->GetVerticalScrollBar(), shown);
  } else if (bars == SB_HORZ) {
    owner_->EnableScrollBar(owner_->GetVerticalScrollBar() != nullptr, true);
    owner_->ShowTextBar(owner_->GetHorizontalScrollBar(), shown);
  } else if (bars == SB_BOTH) {
    owner_->EnableScrollBar(true, true);
    owner_->ShowTextBar(owner_->GetVerticalScrollBar(), shown);
    owner_->ShowTextBar(owner_->GetHorizontalScrollBar(), shown);
  }
  return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL /*redraw*/) {
  CScrollBarUI* scrollBar = nullptr;
  long long view = 0;
  if (bar == SB_VERT) {
    scrollBar = owner_->GetVerticalScrollBar();
    view = static_cast<long long>(clientRect_.bottom) - clientRect_.top;
  } else if (bar == SB_HORZ) {
    scrollBar = owner_->GetHorizontalScrollBar();
    view = static_cast<long long>(clientRect_.right) - clientRect_.left;
  }
  if (scrollBar == nullptr) return TRUE;
  const long long range = static_cast<long long>(maxPos) - minPos - view;
  if (range > 0) {
    scrollBar->SetScrollRange(range > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(range));
    owner_->ShowTextBar(scrollBar, true);
  } else {
    owner_->ShowTextBar(scrollBar, false);
  }
  return TRUE;
}

WINBOOL CTxtWinHost::TxSetScrollPos(INT bar, INT pos, WINBOOL /*redraw*/) {
  CScrollBarUI* scrollBar = bar == SB_VERT   ? owner_->GetVerticalScrollBar()
                            : bar == SB_HORZ ? owner_->GetHorizontalScrollBar()
                                             : nullptr;
  if (scrollBar != nullptr) scrollBar->SetScrollPos(pos);
  return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT rc, WINBOOL /*mode*/) {
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr) return;
  manager->Invalidate(rc != nullptr ? *rc : clientRect_);
}

void CTxtWinHost::TxViewChange(WINBOOL update) {
  if (owner_->OnTxViewChanged(update != FALSE)) owner_->Invalidate();
}

// --- ITextHost: caret, timers, capture, focus, cursor --------------------------------------------

WINBOOL CTxtWinHost::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
  caretWidth_ = width;
  caretHeight_ = height;
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr) return FALSE;
  return ::CreateCaret(manager->GetPaintWindow(), bitmap, width, height);
}

WINBOOL CTxtWinHost::TxShowCaret(WINBOOL show) {
  if (show) {
    bits_ |= kBitShowCaret;
  } else {
    bits_ &= ~kBitShowCaret;
  }
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr) return FALSE;
  return show ? ::ShowCaret(manager->GetPaintWindow()) : ::HideCaret(manager->GetPaintWindow());
}

void CTxtWinHost::RepaintCaretRect(int x, int y, int width, int height) {
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr) return;
  // One pixel more each way: a caret of width 0 or 1 still covers its column.
  manager->Invalidate(RECT{x - 1, y - 1, x + width + 1, y + height + 1});
}

WINBOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) {
  CWindowManagerUI* manager = owner_->GetManager();
  const bool layered = manager != nullptr && manager->IsLayered();
  if (layered || (bits_ & kBitFreshCaret) != 0) {
    RepaintCaretRect(caretPos_.x, caretPos_.y, previousCaretWidth_, previousCaretHeight_);
    bits_ &= ~kBitFreshCaret;
  }
  if (layered) RepaintCaretRect(x, y, caretWidth_, caretHeight_);
  previousCaretWidth_ = caretWidth_;
  previousCaretHeight_ = caretHeight_;
  caretPos_ = POINT{x, y};
  return ::SetCaretPos(x, y);
}

WINBOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeout) {
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr) return FALSE;
  bits_ |= kBitTimer;
  // The services set a timer again while it runs; the manager refuses a running one.
  manager->KillTimer(owner_, id);
  return manager->SetTimer(owner_, id, timeout) ? TRUE : FALSE;
}

void CTxtWinHost::TxKillTimer(UINT id) {
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager != nullptr) manager->KillTimer(owner_, id);
  bits_ &= ~kBitTimer;
}

void CTxtWinHost::TxScrollWindowEx(INT /*dx*/, INT /*dy*/, LPCRECT /*scroll*/, LPCRECT /*clip*/,
                                   HRGN /*updateRegion*/, LPRECT /*update*/, UINT /*flags*/) {}

void CTxtWinHost::TxSetCapture(WINBOOL capture) {
  CWindowManagerUI* manager = owner_->GetManager();
  if (manager == nullptr) return;
  if (capture) {
    manager->SetCapture();
    bits_ |= kBitCaptured;
  } else {
    manager->ReleaseCapture();
    bits_ &= ~kBitCaptured;
  }
}

void CTxtWinHost::TxSetFocus() { owner_->SetFocus(); }

void CTxtWinHost::TxSetCursor(HCURSOR cursor, WINBOOL /*text*/) { ::SetCursor(cursor); }

WINBOOL CTxtWinHost::TxScreenToClient(LPPOINT pt) {
  CWindowManagerUI* manager = owner_->GetManager();
  return manager != nullptr ? ::ScreenToClient(manager->GetPaintWindow(), pt) : FALSE;
}

WINBOOL CTxtWinHost::TxClientToScreen(LPPOINT pt) {
  CWindowManagerUI* manager = owner_->GetManager();
  return manager != nullptr ? ::ClientToScreen(manager->GetPaintWindow(), pt) : FALSE;
}

HRESULT CTxtWinHost::TxActivate(LONG* /*oldState*/) { return S_OK; }

HRESULT CTxtWinHost::TxDeactivate(LONG /*newState*/) { return S_OK; }

// --- ITextHost: what the services ask about the text -------------------------------------------

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rc) {
  *rc = clientRect_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT rc) {
  *rc = RECT{0, 0, 0, 0};
  return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
  *format = reinterpret_cast<const CHARFORMATW*>(&charFormat_);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
  *format = reinterpret_cast<const PARAFORMAT*>(&paraFormat_);
  return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) { return ::GetSysColor(index); }

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
  *style = (bits_ & kBitTransparent) != 0 ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length) {
  *length = maxLength_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* scrollBars) {
  *scrollBars =
      style_ & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* ch) {
  *ch = passwordChar_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* cp) {
  *cp = acceleratorPos_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL extent) {
  *extent = extent_;
  return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW* /*format*/) { return S_OK; }

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT* /*format*/) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
  DWORD result = 0;
  if (bits_ & kBitRich) result |= TXTBIT_RICHTEXT;
  if (style_ & ES_MULTILINE) result |= TXTBIT_MULTILINE;
  if (style_ & ES_READONLY) result |= TXTBIT_READONLY;
  if (style_ & ES_PASSWORD) result |= TXTBIT_USEPASSWORD;
  if ((style_ & ES_NOHIDESEL) == 0) result |= TXTBIT_HIDESELECTION;
  if (bits_ & kBitAutoWordSel) result |= TXTBIT_AUTOWORDSEL;
  if (bits_ & kBitWordWrap) result |= TXTBIT_WORDWRAP;
  if (bits_ & kBitAllowBeep) result |= TXTBIT_ALLOWBEEP;
  if (bits_ & kBitSaveSelection) result |= TXTBIT_SAVESELECTION;
  *bits = result & mask;
  return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD code, void* data) {
  if (code == EN_REQUESTRESIZE) {
    const auto* request = static_cast<const REQRESIZE*>(data);
    if (request == nullptr) return S_OK;
    const RECT rc = {clientRect_.left, clientRect_.top,
                     AddClamped(clientRect_.left, request->rc.right),
                     AddClamped(clientRect_.top, request->rc.bottom)};
    SetClientRect(&rc);
    return S_OK;
  }
  owner_->OnTxNotify(code, data);
  return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }

void CTxtWinHost::TxImmReleaseContext(HIMC /*context*/) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
  *width = selectionBarWidth_;
  return S_OK;
}

}  // namespace SkinUI
