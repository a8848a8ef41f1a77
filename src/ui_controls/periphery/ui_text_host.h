#pragma once
// The text host of a windowless rich edit: the system's RichEdit text services (from
// msftedit.dll, loaded at run time) draw into the skinned window's paint DC and call this host
// back for everything a window of their own would give them (DC, caret, scroll bars, timers,
// capture, default formats). The host owns the services; the control owns the host.
#include <windows.h>
#include <ole2.h>  // the COM types the text services' header needs (WIN32_LEAN_AND_MEAN drops them)

#include <richedit.h>
#include <textserv.h>

namespace SkinUI {

class CRichEditUI;

class CTxtWinHost final : public ITextHost {
public:
  // Creates the host and its text services for the control with the given edit style (ES_ and
  // WS_ bits) and initial text. Null when the services cannot be had (no msftedit.dll, no entry,
  // the services refuse the host or the text): the control then works without a host.
  static CTxtWinHost* Create(CRichEditUI* owner, DWORD style, const wchar_t* text);

  // Hosts alive in the process (created and not yet deleted by their last Release).
  static int LiveCount();

  CTxtWinHost(const CTxtWinHost&) = delete;
  CTxtWinHost& operator=(const CTxtWinHost&) = delete;

  ITextServices* GetTextServices() const { return services_; }

  // The rectangle the services lay the text out in (window client coordinates); the extent
  // follows in HIMETRIC and the services hear of the change.
  void SetClientRect(const RECT* rc);
  const RECT& GetClientRect() const { return clientRect_; }

  bool IsInPlaceActive() const { return (bits_ & kBitInPlaceActive) != 0; }
  bool IsCaptured() const { return (bits_ & kBitCaptured) != 0; }
  bool IsShowCaret() const { return (bits_ & kBitShowCaret) != 0; }
  // The caret as the services last placed and sized it.
  POINT GetCaretPos() const { return caretPos_; }
  int GetCaretWidth() const { return caretWidth_; }
  int GetCaretHeight() const { return caretHeight_; }
  // Set on a window-size event: the next caret move repaints where the caret was.
  void NeedFreshCaret() { bits_ |= kBitFreshCaret; }

  // In-place activation with no rectangle; false (and the bit cleared) when the services refuse.
  bool Activate();
  void SetRich(bool rich);
  void SetTransparent(bool transparent);
  // Loads the font (or the control's font when null) and the control's text colour into the
  // default character format; false when the font cannot be read.
  bool SetFont(HFONT font);
  void SetColor(DWORD argb);
  void SetCharFormatChanged();
  DWORD GetPasswordChar() const { return passwordChar_; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ITextHost
  HDC TxGetDC() override;
  INT TxReleaseDC(HDC hdc) override;
  WINBOOL TxShowScrollBar(INT bar, WINBOOL show) override;
  WINBOOL TxEnableScrollBar(INT bars, INT arrows) override;
  WINBOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, WINBOOL redraw) override;
  WINBOOL TxSetScrollPos(INT bar, INT pos, WINBOOL redraw) override;
  void TxInvalidateRect(LPCRECT rc, WINBOOL mode) override;
  void TxViewChange(WINBOOL update) override;
  WINBOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
  WINBOOL TxShowCaret(WINBOOL show) override;
  WINBOOL TxSetCaretPos(INT x, INT y) override;
  WINBOOL TxSetTimer(UINT id, UINT timeout) override;
  void TxKillTimer(UINT id) override;
  void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN updateRegion,
                        LPRECT update, UINT flags) override;
  void TxSetCapture(WINBOOL capture) override;
  void TxSetFocus() override;
  void TxSetCursor(HCURSOR cursor, WINBOOL text) override;
  WINBOOL TxScreenToClient(LPPOINT pt) override;
  WINBOOL TxClientToScreen(LPPOINT pt) override;
  HRESULT TxActivate(LONG* oldState) override;
  HRESULT TxDeactivate(LONG newState) override;
  HRESULT TxGetClientRect(LPRECT rc) override;
  HRESULT TxGetViewInset(LPRECT rc) override;
  HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
  COLORREF TxGetSysColor(int index) override;
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
  HRESULT TxGetMaxLength(DWORD* length) override;
  HRESULT TxGetScrollBars(DWORD* scrollBars) override;
  HRESULT TxGetPasswordChar(TCHAR* ch) override;
  HRESULT TxGetAcceleratorPos(LONG* cp) override;
  HRESULT TxGetExtent(LPSIZEL extent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
  HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
  HRESULT TxNotify(DWORD code, void* data) override;
  HIMC TxImmGetContext() override;
  void TxImmReleaseContext(HIMC context) override;
  HRESULT TxGetSelectionBarWidth(LONG* width) override;

  // Property bits of the host.
  static constexpr DWORD kBitAutoWordSel = 0x01;
  static constexpr DWORD kBitWordWrap = 0x02;
  static constexpr DWORD kBitAllowBeep = 0x04;
  static constexpr DWORD kBitRich = 0x08;
  static constexpr DWORD kBitSaveSelection = 0x10;
  static constexpr DWORD kBitInPlaceActive = 0x20;
  static constexpr DWORD kBitTransparent = 0x40;
  static constexpr DWORD kBitTimer = 0x80;
  static constexpr DWORD kBitCaptured = 0x100;
  static constexpr DWORD kBitShowCaret = 0x200;
  static constexpr DWORD kBitFreshCaret = 0x400;

private:
  explicit CTxtWinHost(CRichEditUI* owner);
  ~CTxtWinHost();

  bool Init(DWORD style, const wchar_t* text);
  bool CreateServices();
  void RepaintCaretRect(int x, int y, int width, int height);

  CRichEditUI* owner_;  // not counted: the control owns the host
  ULONG refCount_ = 1;
  ITextServices* services_ = nullptr;  // owned (one reference)
  DWORD style_ = ES_MULTILINE;
  DWORD bits_ = 0;
  int caretWidth_ = 0;
  int caretHeight_ = 0;
  int previousCaretWidth_ = 0;
  int previousCaretHeight_ = 0;
  POINT caretPos_ = {0, 0};
  LONG selectionBarWidth_ = 0;
  DWORD maxLength_ = 0x7FFF;
  RECT clientRect_ = {0, 0, 0, 0};
  SIZEL extent_ = {0, 0};
  CHARFORMAT2W charFormat_;
  PARAFORMAT2 paraFormat_;
  LONG acceleratorPos_ = -1;
  wchar_t passwordChar_ = 0;
};

}  // namespace SkinUI
