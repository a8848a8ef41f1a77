#include "app/sequence_label.h"

#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

CSequenceLabelUI::~CSequenceLabelUI() {
  if (manager_ != nullptr) manager_->KillTimer(this, App::kSequenceTimerId);
}

const wchar_t* CSequenceLabelUI::GetClass() const { return L"SequenceLabel"; }

void* CSequenceLabelUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"SequenceLabel")) return this;
  return CLabelUI::GetInterface(name);
}

void CSequenceLabelUI::Start() {
  frames_.index = 0;
  StartSequenceTimer(*this, frames_);
}

void CSequenceLabelUI::PaintStatusImage(HDC) {}

}  // namespace SkinUI
