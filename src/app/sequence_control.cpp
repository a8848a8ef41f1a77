#include "app/sequence_control.h"

#include <string>

#include "ui_core/manager/ui_manager.h"

namespace SkinUI {

void StartSequenceTimer(CControlUI& control, const App::SequenceFrames& frames) {
  CWindowManagerUI* manager = control.GetManager();
  if (manager != nullptr) {
    manager->SetTimer(&control, App::kSequenceTimerId, static_cast<UINT>(frames.spanMs));
  }
}

void ShowNextSequenceFrame(CControlUI& control, App::SequenceFrames& frames) {
  std::wstring file;
  switch (frames.Next(&file)) {
    case App::SequenceFrames::Tick::Idle:
      return;
    case App::SequenceFrames::Tick::Stop:
      if (control.GetManager() != nullptr) {
        control.GetManager()->KillTimer(&control, App::kSequenceTimerId);
      }
      return;
    case App::SequenceFrames::Tick::Show:
      control.SetBkImage(file.c_str());
      control.Invalidate();
      return;
  }
}

}  // namespace SkinUI
