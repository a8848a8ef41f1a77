#pragma once
// A label that plays a numbered series of image files as its background, one file per frame
// (skin element "SequenceLabel"): the progress page's spinner.
#include <windows.h>

#include "app/sequence_control.h"
#include "ui_controls/installer/ui_label.h"

namespace SkinUI {

class CSequenceLabelUI : public CSequenceControlUI<CLabelUI> {
public:
  CSequenceLabelUI() = default;
  ~CSequenceLabelUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void PaintStatusImage(HDC hDC) override;

  // Plays from the first frame again (timer 2100 with the frame period).
  void Start();
};

}  // namespace SkinUI
