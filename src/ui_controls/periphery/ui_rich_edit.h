#pragma once
// A windowless multi-line text field ("RichEdit"): it owns no native window. The system's
// RichEdit text services, reached through the text host CTxtWinHost, draw into the skinned
// window's paint DC and receive the window's messages through this control, which sees every
// message of its window before the window manager does. Its container part holds the scroll
// bars the services drive.
#include <windows.h>
#include <richedit.h>

#include "ui_core/manager/ui_container.h"
#include "ui_core/values/ui_events.h"

namespace SkinUI {

class CTxtWinHost;

class CRichEditUI : public CContainerUI, public IMessageFilterUI {
public:
  CRichEditUI();
  ~CRichEditUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  CStringUI GetText() const override;
  void SetText(const wchar_t* text) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void DoInit() override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;
  void SetScrollPos(SIZE pos) override;
  void LineUp() override;
  void LineDown() override;
  void PageUp() override;
  void PageDown() override;
  void HomeUp() override;
  void EndDown() override;
  void LineLeft() override;
  void LineRight() override;
  void PageLeft() override;
  void PageRight() override;
  void HomeLeft() override;
  void EndRight() override;

  // Appended virtual operations.
  // A message to the text services; S_FALSE without them. The result (when given) is the
  // services' answer. Enter is typed only as the want-return flags allow, else "return" is sent.
  virtual HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const;
  virtual bool OnTxViewChanged(bool update);
  virtual void OnTxNotify(DWORD code, void* data);

  // IMessageFilterUI: the window's messages before the manager sees them.
  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  bool IsWantTab() const { return wantTab_; }
  void SetWantTab(bool want) { wantTab_ = want; }
  bool IsWantReturn() const { return wantReturn_; }
  void SetWantReturn(bool want) { wantReturn_ = want; }
  bool IsWantCtrlReturn() const { return wantCtrlReturn_; }
  void SetWantCtrlReturn(bool want) { wantCtrlReturn_ = want; }
  bool IsRich() const { return rich_; }
  void SetRich(bool rich);
  bool IsTransparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  bool IsReadOnly() const { return readOnly_; }
  int GetFont() const { return font_; }
  void SetFont(int index);
  DWORD GetTextColor() const { return textColor_; }
  void SetTextColor(DWORD argb);
  // The most characters the text services take; handed to them when the host is made.
  int GetLimitText() const { return limitText_; }
  DWORD GetEditStyle() const { return editStyle_; }
  RECT GetTextPadding() const { return textPadding_; }
  void SetTextPadding(RECT padding);

  // The text host and its services; null before DoInit and when the services could not be had.
  CTxtWinHost* GetTxtWinHost() const { return host_; }
  // Selection as character positions (end -1: to the end of the text).
  void SetSel(long start, long end);
  CHARRANGE GetSel() const;
  // Lines of the laid-out text (wrapped lines count).
  int GetLineCount() const;

  // The host shows or hides one of the bars it drives (a null bar is ignored); a change of
  // visibility lays the control out again.
  void ShowTextBar(CScrollBarUI* bar, bool show);

private:
  bool IsLayeredWindow() const;
  // One round of SetPos: the view, the host's client rectangle, the bars and the children.
  void PlaceOnce(RECT rc, bool needInvalidate);
  // The item rect less the inset and the visible bars (without text padding); the view the
  // text and its bars share.
  RECT GetViewRect() const;
  RECT WithTextPadding(RECT rc) const;
  // The height the text needs when laid out at the given width; -1 when the services cannot tell.
  LONG NaturalHeight(int width) const;
  void SendScroll(UINT message, WORD code) const;
  void PaintChildren(HDC hDC, const RECT& paint, CControlUI* stop, bool& stopped);
  void PaintCaret(HDC hDC);
  void OnCaretBlink();
  // The pointer position a mouse message speaks of, in client coordinates.
  POINT MessagePoint(UINT message, LPARAM lParam) const;
  bool AcceptsMouseMessage(UINT message, POINT pt) const;
  void PlaceImeWindow();

  CTxtWinHost* host_ = nullptr;  // owned (one reference)
  bool verticalBarFixing_ = false;
  bool wantTab_ = true;
  bool wantReturn_ = true;
  bool wantCtrlReturn_ = true;
  bool transparent_ = true;
  bool rich_ = true;
  bool readOnly_ = false;
  DWORD textColor_ = 0;
  int font_ = -1;
  int limitText_ = 0x7FFF;
  DWORD editStyle_ = ES_MULTILINE;
  bool caretPhase_ = true;
  bool initialised_ = false;
  RECT textPadding_ = {0, 0, 0, 0};
  bool laying_ = false;       // SetPos is running
  bool barsChanged_ = false;  // a bar was shown or hidden during this round of SetPos
};

}  // namespace SkinUI
