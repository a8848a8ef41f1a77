#pragma once
// The one way the engine's reports reach the main window: each report is copied into a heap
// record and posted to the window as message 2024; from then on the record is the window's.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace App {

// WM_USER + 1000: lParam is a StatusMessage* that the receiver frees.
constexpr UINT kMsgStatus = WM_USER + 1000;

struct StatusMessage {
  int code = 0;
  double progress = 0;
  std::wstring text;
};

// Posts a copy of the report to `window`. When there is no window or the post fails (the window
// is gone), the record is freed here: nobody else will ever see it. Any thread may call it.
bool PostStatusMessage(HWND window, int code, double progress, const wchar_t* text);

// Takes a posted record back (null stays null).
inline std::unique_ptr<StatusMessage> TakeStatusMessage(LPARAM lParam) {
  return std::unique_ptr<StatusMessage>(reinterpret_cast<StatusMessage*>(lParam));
}

// Frees the records still queued for a window that is going away, so that none leaks when the
// system drops the window's messages.
void DiscardQueuedStatusMessages(HWND window);

}  // namespace App
