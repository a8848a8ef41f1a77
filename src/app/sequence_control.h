#pragma once
// What the two frame-sequence controls share, whatever control they are built on: the frame
// series with its skin attributes and accessors, the timer started at DoInit when the skin asks
// for it, and each tick of it putting the next frame in as the background image. The button
// and the label derive from CSequenceControlUI<their base> and add only what makes them differ.
#include <windows.h>

#include "app/sequence_frames.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/values/ui_events.h"

namespace SkinUI {

// Starts the control's sequence timer with the series' frame period (nothing without a manager).
void StartSequenceTimer(CControlUI& control, const App::SequenceFrames& frames);
// One tick of the series: the next frame becomes the control's background, or the timer is
// killed when a single pass has ended.
void ShowNextSequenceFrame(CControlUI& control, App::SequenceFrames& frames);

template <class Base>
class CSequenceControlUI : public Base {
public:
  void DoInit() override {
    if (frames_.autoStart) StartSequenceTimer(*this, frames_);
  }
  void DoEvent(TInputEventUI& event) override {
    Base::DoEvent(event);
    if (event.type == kEventTimer) ShowNextSequenceFrame(*this, frames_);
  }
  void SetAttribute(const wchar_t* name, const wchar_t* value) override {
    if (!frames_.SetAttribute(name, value)) Base::SetAttribute(name, value);
  }

  virtual void SetSequenceImage(const wchar_t* imageTemplate) {
    frames_.imageTemplate = imageTemplate;
  }
  virtual const wchar_t* GetSequenceImage() const { return frames_.imageTemplate.GetData(); }
  virtual void SetSequenceCount(int count) { frames_.count = count; }
  virtual int GetSequenceCount() const { return frames_.count; }
  virtual void SetSequenceSpan(int spanMs) { frames_.spanMs = spanMs; }
  virtual int GetSequenceSpan() const { return frames_.spanMs; }

  unsigned GetFrameIndex() const { return frames_.index; }

protected:
  App::SequenceFrames frames_;
};

}  // namespace SkinUI
