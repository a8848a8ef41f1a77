#pragma once
// What the window manager's tests share: controls that record the input events they receive,
// a control that writes its colour straight into the DIB it is painted into, and a scene of a real
// host window with a container of floating controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_test_support.h"

namespace ManagerTest {

struct EventRecord {
  std::wstring control;  // the control that received the event
  int type = 0;
  POINT point = {0, 0};
  WORD keyState = 0;
  WORD key = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::wstring sender;  // the event's sender, empty for none
};

// Every event that the recording controls of a test receive, in the order they received them.
class EventLog {
public:
  std::vector<EventRecord> records;
  void Clear() { records.clear(); }
  // "A:11" per event: control name and event type.
  std::vector<std::wstring> Summary() const;
  int Count(const std::wstring& control, int type) const;
};

class RecordingControl : public SkinUI::CControlUI {
public:
  RecordingControl(const wchar_t* name, EventLog* log, UINT flags = 0);
  ~RecordingControl() override;

  UINT GetControlFlags() const override { return flags_; }
  void* GetInterface(const wchar_t* name) override;
  void Event(SkinUI::TInputEventUI& event) override;

  void SetWantTab(bool wantTab) { wantTab_ = wantTab; }
  std::shared_ptr<bool> destroyed;  // set when the control is destroyed
  // Runs after an event was recorded (tests use it to act from inside a handler).
  std::function<void(SkinUI::TInputEventUI&)> onEvent;

private:
  EventLog* log_;
  UINT flags_;
  bool wantTab_ = false;
};

// Writes one ARGB colour, premultiplied, into the 32-bit DIB selected in the DC it is painted
// into: exactly the pixels of its item rect that lie in the paint rect. No drawing code between
// the control and the bitmap, so the manager's layered path can be checked pixel by pixel.
class PixelControl : public SkinUI::CControlUI {
public:
  explicit PixelControl(DWORD argb) : argb_(argb) {}
  bool DoPaint(HDC hDC, const RECT& paint, SkinUI::CControlUI* stop) override;
  int paints = 0;
  bool sawPainting = false;  // the manager reported IsPainting while this control painted

private:
  DWORD argb_;
};

// A real host window whose manager owns a container of floating controls.
class Scene {
public:
  explicit Scene(int width = 400, int height = 300, int x = 100, int y = 100, DWORD exStyle = 0);

  // A floating recording control at pos (client coordinates) inside parent (default: the root).
  RecordingControl* Add(const wchar_t* name, RECT pos, UINT flags = 0,
                        SkinUI::CContainerUI* parent = nullptr);
  // A floating container at pos inside parent.
  SkinUI::CContainerUI* AddContainer(const wchar_t* name, RECT pos,
                                     SkinUI::CContainerUI* parent = nullptr);
  // Attaches the root, adds the notification recorder and paints once.
  bool Attach();

  HWND hwnd() const { return host.hwnd(); }
  SkinUI::CWindowManagerUI& manager() { return host.manager(); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // lParam of a message that carries screen coordinates, for a client point.
  LPARAM ScreenParam(int x, int y) const;

  // The log and the recorder outlive the window and its manager, whose controls use them.
  EventLog log;
  TestSupport::NotifyRecorder notes;
  TestSupport::TestHostWindow host;
  SkinUI::CContainerUI* root;  // owned by the manager once attached
};

// Two floating recording controls in a fresh window: A at (10,10)-(110,60) and B at
// (10,70)-(110,120), attached and painted, with the logs cleared.
class TwoControlTest : public ::testing::Test {
protected:
  void SetUp() override;

  Scene scene;
  RecordingControl* a = nullptr;
  RecordingControl* b = nullptr;
};

// Puts the real pointer far from every test window, so that no real mouse message interferes.
void MoveCursorAway();

// The pixel of the manager's off-screen DIB as 0xAARRGGBB; 0 without a DIB.
DWORD OffscreenPixel(SkinUI::CWindowManagerUI& manager, int x, int y);

// Keys held down in this thread's keyboard state (what GetKeyState reads) for the scope.
class HeldKeys {
public:
  explicit HeldKeys(std::initializer_list<int> keys);
  ~HeldKeys();
  HeldKeys(const HeldKeys&) = delete;
  HeldKeys& operator=(const HeldKeys&) = delete;

private:
  BYTE saved_[256];
};

// "A:11" for a control name and an event type.
std::wstring Ev(const std::wstring& control, int type);

}  // namespace ManagerTest
