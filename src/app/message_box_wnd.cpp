#include "app/message_box_wnd.h"

#include "base/log.h"

namespace App {

SKINUI_BEGIN_NOTIFY_MAP(CMessageBoxWnd, SkinUI::CSkinFrame)
  SKINUI_ON_NOTIFY(CMessageBoxWnd, L"click", L"", OnClick)
SKINUI_END_NOTIFY_MAP(CMessageBoxWnd, SkinUI::CSkinFrame)

namespace {

constexpr LONG kFrameStyleKeep = static_cast<LONG>(0xFF3EFFFF);  // without WS_CAPTION, WS_MAXIMIZEBOX
constexpr LONG kFrameStyleAdd = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kCreateStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;

}  // namespace

void ApplyInstallerFrameStyle(HWND window) {
  const LONG style = ::GetWindowLongW(window, GWL_STYLE);
  ::SetWindowLongW(window, GWL_STYLE, (style & kFrameStyleKeep) | kFrameStyleAdd);
  const LONG exStyle = ::GetWindowLongW(window, GWL_EXSTYLE);
  ::SetWindowLongW(window, GWL_EXSTYLE, exStyle & ~WS_EX_TOPMOST);
}

CMessageBoxWnd::CMessageBoxWnd(const SkinUI::TSkinInfoUI& info) : SkinUI::CSkinFrame(info) {}

int CMessageBoxWnd::Show(HWND parent, const SkinUI::TSkinInfoUI& info, const wchar_t* text,
                         const wchar_t* caption) {
  // What the user was asked, for whoever follows the log.
  UTILS_LOG(L"box %ls: %ls\r\n", info.skinFile.GetData(), text != nullptr ? text : L"");
  CMessageBoxWnd box(info);
  if (box.Create(parent, L"消息框", kCreateStyle, 0) == nullptr) return kBoxCancel;
  if (text != nullptr && box.textLabel_ != nullptr) box.textLabel_->SetText(text);
  if (caption != nullptr && box.captionLabel_ != nullptr) box.captionLabel_->SetText(caption);
  box.CenterWindow();
  box.ShowModal();
  return box.result_;
}

void CMessageBoxWnd::Notify(SkinUI::TNotifyMsgUI& msg) { SkinUI::CSkinFrame::Notify(msg); }

LRESULT CMessageBoxWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return SkinUI::CSkinFrame::HandleMessage(message, wParam, lParam);
}

void CMessageBoxWnd::InitWindow() {
  SkinUI::CSkinFrame::InitWindow();
  ApplyInstallerFrameStyle(GetHWND());
  okButton_ = manager_.FindControl(L"okBtn");
  cancelButton_ = manager_.FindControl(L"cancelBtn");
  textLabel_ = manager_.FindControl(L"textLbl");
  captionLabel_ = manager_.FindControl(L"captionLbl");
}

void CMessageBoxWnd::OnClick(SkinUI::TNotifyMsgUI& msg) {
  if (msg.sender != nullptr && msg.sender == okButton_) {
    Close(1);
    result_ = kBoxOk;
  } else if (msg.sender != nullptr && msg.sender == cancelButton_) {
    Close(1);
    result_ = kBoxCancel;
  } else {
    SkinUI::CSkinFrame::OnClick(msg);
    result_ = kBoxOther;
  }
}

}  // namespace App
