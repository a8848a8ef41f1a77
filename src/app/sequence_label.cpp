#include "app/sequence_label.h"

#include <cwchar>

#include "ui_core/ui_manager.h"

namespace SkinUI {

CSequenceLabelUI::~CSequenceLabelUI() {
  if (manager_ != nullptr) manager_->KillTimer(this, App::kSequenceTimerId);
}

const wchar_t* CSequenceLabelUI::GetClass() const { return L"SequenceLabel"; }

void* CSequenceLabelUI::GetInterface(const wchar_t* name) {
  if (name != nullptr && std::wcscmp(name, L"SequenceLabel") == 0) return this;
  return CLabelUI::GetInterface(name);
}

void CSequenceLabelUI::DoInit() {
  if (frames_.autoStart && manager_ != nullptr) {
    manager_->SetTimer(this, App::kSequenceTimerId, static_cast<UINT>(frames_.spanMs));
  }
}

void CSequenceLabelUI::Start() {
  frames_.index = 0;
  if (manager_ != nullptr) {
    manager_->SetTimer(this, App::kSequenceTimerId, static_cast<UINT>(frames_.spanMs));
  }
}

void CSequenceLabelUI::DoEvent(TInputEventUI& event) {
  CLabelUI::DoEvent(event);
  if (event.type != kEventTimer) return;
  std::wstring file;
  switch (frames_.Next(&file)) {
    case App::SequenceFrames::Tick::Idle:
      return;
    case App::SequenceFrames::Tick::Stop:
      if (manager_ != nullptr) manager_->KillTimer(this, App::kSequenceTimerId);
      return;
    case App::SequenceFrames::Tick::Show:
      SetBkImage(file.c_str());
      Invalidate();
      return;
  }
}

void CSequenceLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (!frames_.SetAttribute(name, value)) CLabelUI::SetAttribute(name, value);
}

void CSequenceLabelUI::PaintStatusImage(HDC) {}

void CSequenceLabelUI::SetSequenceImage(const wchar_t* imageTemplate) {
  frames_.imageTemplate = imageTemplate;
}
const wchar_t* CSequenceLabelUI::GetSequenceImage() const {
  return frames_.imageTemplate.GetData();
}
void CSequenceLabelUI::SetSequenceCount(int count) { frames_.count = count; }
int CSequenceLabelUI::GetSequenceCount() const { return frames_.count; }
void CSequenceLabelUI::SetSequenceSpan(int spanMs) { frames_.spanMs = spanMs; }
int CSequenceLabelUI::GetSequenceSpan() const { return frames_.spanMs; }

}  // namespace SkinUI
