#pragma once
// Small controls and callbacks that the base-control, container and scroll-bar tests share.
#include <windows.h>

#include <string>
#include <vector>

#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"

namespace ControlTest {

// Sets *flag when the control is destroyed, so that a test sees when a container deleted it.
class DestroyProbe : public SkinUI::CControlUI {
public:
  explicit DestroyProbe(bool* destroyed, const wchar_t* name = L"") : destroyed_(destroyed) {
    SetName(name);
  }
  ~DestroyProbe() override {
    if (destroyed_ != nullptr) *destroyed_ = true;
  }

private:
  bool* destroyed_;
};

// A child that a list would select: it answers "IListItem".
class ListItemProbe : public SkinUI::CControlUI {
public:
  void* GetInterface(const wchar_t* name) override {
    if (name != nullptr && std::wstring(name) == L"IListItem") return this;
    return CControlUI::GetInterface(name);
  }
};

// Records the events that reach DoEvent (the ones a child passes up to its parent).
class EventRecorder : public SkinUI::CContainerUI {
public:
  void DoEvent(SkinUI::TInputEventUI& event) override {
    types.push_back(event.type);
    CContainerUI::DoEvent(event);
  }
  std::vector<int> types;
};

// The FindControl callback that accepts every control it is offered.
inline SkinUI::CControlUI* CALLBACK AcceptAny(SkinUI::CControlUI* control, LPVOID) {
  return control;
}

// The FindControl callback that accepts only controls whose update is pending.
inline SkinUI::CControlUI* CALLBACK AcceptUpdateNeeded(SkinUI::CControlUI* control, LPVOID) {
  return control->IsUpdateNeeded() ? control : nullptr;
}

// The control under a point as the window finds it (visible, hit test, top first).
inline SkinUI::CControlUI* HitTest(SkinUI::CControlUI* root, int x, int y,
                                   UINT extraFlags = 0) {
  POINT pt = {x, y};
  return root->FindControl(&AcceptAny, &pt,
                           SkinUI::kFindVisible | SkinUI::kFindHitTest | SkinUI::kFindTopFirst |
                               extraFlags);
}

inline SkinUI::TInputEventUI MakeEvent(int type, POINT pt = {0, 0}, WPARAM wParam = 0,
                                       WORD key = 0) {
  SkinUI::TInputEventUI event;
  event.type = type;
  event.mousePoint = pt;
  event.wParam = wParam;
  event.key = key;
  event.timestamp = ::GetTickCount();
  return event;
}

inline bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string RectText(const RECT& rc) {
  return "(" + std::to_string(rc.left) + "," + std::to_string(rc.top) + "," +
         std::to_string(rc.right) + "," + std::to_string(rc.bottom) + ")";
}

}  // namespace ControlTest
