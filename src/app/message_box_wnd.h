#pragma once
// Every question and notice of the installer: a small skinned modal window built from one of the
// box layouts, shown on the caller's stack, with an optional text and caption put in.
#include <windows.h>

#include "ui_core/manager/ui_control.h"
#include "ui_core/window/ui_window_impl.h"

namespace App {

// How a box ended.
constexpr int kBoxOk = 0;      // "okBtn"
constexpr int kBoxCancel = 1;  // "cancelBtn", or closed without a click (Alt+F4)
constexpr int kBoxOther = 2;   // any other control's click ended it (its "closebtn")

class CMessageBoxWnd : public SkinUI::CSkinFrame {
public:
  // Builds the box from `info`, puts `text` into "textLbl" and `caption` into "captionLbl" (each
  // only when given), runs it modally over `parent` and returns kBoxOk, kBoxCancel or kBoxOther.
  static int Show(HWND parent, const SkinUI::TSkinInfoUI& info, const wchar_t* text,
                  const wchar_t* caption);

  explicit CMessageBoxWnd(const SkinUI::TSkinInfoUI& info);
  ~CMessageBoxWnd() override = default;

  void Notify(SkinUI::TNotifyMsgUI& msg) override;

  SKINUI_DECLARE_NOTIFY_MAP()

protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void InitWindow() override;
  void OnClick(SkinUI::TNotifyMsgUI& msg) override;

private:
  int result_ = kBoxCancel;
  SkinUI::CControlUI* okButton_ = nullptr;
  SkinUI::CControlUI* cancelButton_ = nullptr;
  SkinUI::CControlUI* textLabel_ = nullptr;
  SkinUI::CControlUI* captionLabel_ = nullptr;
};

// The frame style of the installer's windows: no caption bar or maximise box (the skin draws
// its own), children and siblings clipped; never topmost.
void ApplyInstallerFrameStyle(HWND window);

}  // namespace App
