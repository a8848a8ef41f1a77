#include "app/status_message.h"

#include <new>

namespace App {

bool PostStatusMessage(HWND window, int code, double progress, const wchar_t* text) {
  if (window == nullptr) return false;
  std::unique_ptr<StatusMessage> record(new (std::nothrow) StatusMessage);
  if (!record) return false;
  record->code = code;
  record->progress = progress;
  if (text != nullptr) record->text = text;
  if (!::PostMessageW(window, kMsgStatus, 0, reinterpret_cast<LPARAM>(record.get()))) {
    return false;  // the record is freed by its owner here
  }
  record.release();  // the window owns it now
  return true;
}

void DiscardQueuedStatusMessages(HWND window) {
  MSG msg;
  while (::PeekMessageW(&msg, window, kMsgStatus, kMsgStatus, PM_REMOVE)) {
    TakeStatusMessage(msg.lParam);
  }
}

}  // namespace App
