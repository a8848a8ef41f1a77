#pragma once
// The frame series that both sequence controls play: a file-name template with one number in
// it, stepped forwards, backwards or there and back, once or in a loop, one frame per tick of
// the control's timer 2100.
#include <windows.h>

#include <string>

#include "ui_core/values/ui_string.h"

namespace App {

// The control timer that drives a sequence.
constexpr UINT kSequenceTimerId = 2100;

// The file of one frame: the template with its number put in. Templates come from the skin, so
// they are never handed to printf: one integer conversion ("%d", "%i" or "%u" with the flags
// '0' and '-', a width and a precision, each at most 2 digits, as in "%.3d") and "%%" mean
// something; every other character is copied. The result holds at most 259 characters.
std::wstring FormatFrameName(const wchar_t* templateText, unsigned frame);

struct SequenceFrames {
  SkinUI::CStringUI imageTemplate;
  bool autoStart = false;
  bool loop = true;
  bool forward = true;
  bool roundTrip = false;
  unsigned index = 0;  // the frame shown at the next tick
  int count = 0;
  int spanMs = 30;

  enum class Tick { Show, Stop, Idle };
  // One timer tick: Idle without a template; Stop when a single pass has ended (the caller kills
  // the timer); otherwise Show with the file of this tick's frame in `file`.
  Tick Next(std::wstring* file);

  // The shared skin attributes ("sequencebkimage" exactly, the others in any letter case). False
  // for any other name.
  bool SetAttribute(const wchar_t* name, const wchar_t* value);
};

}  // namespace App
