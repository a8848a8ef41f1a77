#pragma once
// A label that plays a numbered series of image files as its background, one file per frame
// (skin element "SequenceLabel"): the progress page's spinner.
#include <windows.h>

#include "app/sequence_frames.h"
#include "ui_controls/ui_label.h"

namespace SkinUI {

class CSequenceLabelUI : public CLabelUI {
public:
  CSequenceLabelUI() = default;
  ~CSequenceLabelUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void DoInit() override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintStatusImage(HDC hDC) override;

  virtual void SetSequenceImage(const wchar_t* imageTemplate);
  virtual const wchar_t* GetSequenceImage() const;
  virtual void SetSequenceCount(int count);
  virtual int GetSequenceCount() const;
  virtual void SetSequenceSpan(int spanMs);
  virtual int GetSequenceSpan() const;

  // Plays from the first frame again (timer 2100 with the frame period).
  void Start();
  unsigned GetFrameIndex() const { return frames_.index; }

private:
  App::SequenceFrames frames_;
};

}  // namespace SkinUI
