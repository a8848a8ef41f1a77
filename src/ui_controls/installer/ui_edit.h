#pragma once
// A single-line text field ("Edit") drawn like a label, with a native Windows EDIT control,
// CEditWnd, laid over its padded rectangle only while the user types: the native window opens
// when the field gets the focus (or is clicked while focused) and closes itself when it loses
// the focus, leaving its text in the field. While the field is empty it shows its tip text.
#include <windows.h>

#include "base/unique_resource.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/window/ui_window.h"

namespace SkinUI {

class CEditUI;

// The native edit window of an open CEditUI. It lives from Init to its final message and then
// deletes itself; the field forgets it at that moment.
class CEditWnd : public CWindowWnd {
public:
  CEditWnd() = default;

  // Creates the window over the owner's padded rectangle, with the owner's text, font, limits
  // and styles, and focuses it. False when no window could be made: the caller then still owns
  // this object.
  bool Init(CEditUI* owner);
  // The owner's item rect less its text padding, centred vertically on one line of its font,
  // clipped by every ancestor; empty when an ancestor is hidden or clips it away.
  RECT CalPos() const;
  // The owner is going away: the window no longer reports to it.
  void DetachOwner() { owner_ = nullptr; }

protected:
  const wchar_t* GetWindowClassName() const override;
  const wchar_t* GetSuperClassName() const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

private:
  LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
  void OnTextChanged();
  // Sends a synchronous notification from the owner. False when a handler closed the window:
  // this object is deleted then.
  bool NotifyOwner(const wchar_t* type);
  LRESULT OnControlColor(HDC dc);
  bool IsLayered() const;

  CEditUI* owner_ = nullptr;
  Utils::UniqueBrush bkBrush_;
  bool initialised_ = false;
  bool drawCaret_ = false;
  bool created_ = false;  // a window exists (or existed): its final message deletes the object
  bool* closedFlag_ = nullptr;  // set by the final message while a notification runs
};

class CEditUI : public CLabelUI {
public:
  CEditUI();
  ~CEditUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  HWND GetNativeWindow() const override;
  void SetText(const wchar_t* text) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void SetVisible(bool visible = true) override;
  void SetInheritedVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;

  UINT GetMaxChar() const { return maxChar_; }
  void SetMaxChar(UINT maxChar);
  bool IsReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  bool IsPasswordMode() const { return passwordMode_; }
  void SetPasswordMode(bool passwordMode);
  wchar_t GetPasswordChar() const { return passwordChar_; }
  void SetPasswordChar(wchar_t ch);
  bool IsAutoSelAll() const { return autoSelAll_; }
  void SetAutoSelAll(bool autoSelAll) { autoSelAll_ = autoSelAll; }
  bool IsNumberOnly() const { return (editStyle_ & ES_NUMBER) != 0; }
  void SetNumberOnly(bool numberOnly);
  // Extra styles of the native window (ES_NUMBER), used when it next opens.
  UINT GetWindowStyles() const { return editStyle_; }
  // 0xFFFFFFFF: the native window paints its own background.
  DWORD GetNativeEditBkColor() const { return nativeBkColor_; }
  void SetNativeEditBkColor(DWORD argb) { nativeBkColor_ = argb; }
  // Shown (in the tip colour) while the text is empty; never the field's text itself.
  const CStringUI& GetTipValue() const { return tipValue_; }
  void SetTipValue(const wchar_t* text);
  DWORD GetTipValueColor() const { return tipValueColor_; }
  void SetTipValueColor(DWORD argb);

  void SetNormalImage(const wchar_t* description);
  void SetHotImage(const wchar_t* description);
  void SetFocusedImage(const wchar_t* description);
  void SetDisabledImage(const wchar_t* description);

  // Selection in the open native window (nothing when it is closed).
  void SetSel(int start, int end);
  void SetSelAll() { SetSel(0, -1); }

private:
  friend class CEditWnd;

  void OpenNativeWindow();
  // Places the open native window over the padded rectangle, or hides it when that is empty.
  void PlaceNativeWindow();
  // What the user typed, taken without echoing it back to the native window.
  void TakeNativeText(const wchar_t* text);
  void NativeWindowClosed(CEditWnd* window);

  CEditWnd* nativeWnd_ = nullptr;  // owned by the window itself
  UINT maxChar_ = 255;
  bool readOnly_ = false;
  bool passwordMode_ = false;
  bool autoSelAll_ = false;
  wchar_t passwordChar_ = L'*';
  UINT state_ = 0;
  DWORD nativeBkColor_ = 0xFFFFFFFF;
  UINT editStyle_ = 0;
  TImageDescUI normalImage_;
  TImageDescUI hotImage_;
  TImageDescUI focusedImage_;
  TImageDescUI disabledImage_;
  CStringUI tipValue_;
  DWORD tipValueColor_ = 0;
};

}  // namespace SkinUI
