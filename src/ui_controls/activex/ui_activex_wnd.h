#pragma once
// The child window ("UIActiveX", class "ActiveXWnd") that hosts an ActiveX object which does not
// activate windowless. It follows the owner control's rectangle and visibility, UI-activates the
// object when it takes the focus, keeps the wheel to itself, and draws the object (with a caret
// in layered windows, where the system shows none) when the window manager prints it.
#include <windows.h>

#include "ui_core/window/ui_window.h"

namespace SkinUI {

class CActiveXCtrl;

class CActiveXWnd final : public CWindowWnd {
public:
  CActiveXWnd() = default;

  // Creates the window as a child of parent with an empty rectangle; null on failure.
  HWND Init(CActiveXCtrl* owner, HWND parent);

protected:
  const wchar_t* GetWindowClassName() const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

private:
  bool IsLayered() const;
  void OnSetFocus();
  void OnMouseActivate();
  void OnTimer();
  void OnPrint(HDC dc);
  void DrawCaret(HDC dc);

  CActiveXCtrl* owner_ = nullptr;
  int blinkCount_ = 0;
  bool caretVisible_ = false;
};

}  // namespace SkinUI
