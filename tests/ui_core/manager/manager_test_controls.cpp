#include "manager_test_controls.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

namespace ManagerTest {

std::vector<std::wstring> EventLog::Summary() const {
  std::vector<std::wstring> summary;
  for (const EventRecord& r : records) summary.push_back(Ev(r.control, r.type));
  return summary;
}

int EventLog::Count(const std::wstring& control, int type) const {
  int count = 0;
  for (const EventRecord& r : records) {
    if (r.control == control && r.type == type) ++count;
  }
  return count;
}

std::wstring Ev(const std::wstring& control, int type) {
  return control + L":" + std::to_wstring(type);
}

RecordingControl::RecordingControl(const wchar_t* name, EventLog* log, UINT flags)
    : log_(log), flags_(flags) {
  SetName(name);
}

RecordingControl::~RecordingControl() {
  if (destroyed) *destroyed = true;
}

void* RecordingControl::GetInterface(const wchar_t* name) {
  if (wantTab_ && std::wcscmp(name, L"WantTab") == 0) return this;
  return CControlUI::GetInterface(name);
}

void RecordingControl::Event(SkinUI::TInputEventUI& event) {
  EventRecord record;
  record.control = GetName().GetData();
  record.type = event.type;
  record.point = event.mousePoint;
  record.keyState = event.keyState;
  record.key = event.key;
  record.wParam = event.wParam;
  record.lParam = event.lParam;
  if (event.sender != nullptr) record.sender = event.sender->GetName().GetData();
  log_->records.push_back(record);
  if (onEvent) onEvent(event);
  CControlUI::Event(event);
}

bool PixelControl::DoPaint(HDC hDC, const RECT& paint, SkinUI::CControlUI*) {
  ++paints;
  if (GetManager() != nullptr && GetManager()->IsPainting()) sawPainting = true;
  DIBSECTION dib = {};
  HGDIOBJ bitmap = ::GetCurrentObject(hDC, OBJ_BITMAP);
  if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBits == nullptr ||
      dib.dsBm.bmBitsPixel != 32) {
    return true;
  }
  RECT area = {0, 0, 0, 0};
  ::IntersectRect(&area, &GetPos(), &paint);
  RECT bounds = {0, 0, dib.dsBm.bmWidth, dib.dsBm.bmHeight};
  ::IntersectRect(&area, &area, &bounds);
  const DWORD a = argb_ >> 24;
  const DWORD premultiplied = (a << 24) | (((argb_ >> 16 & 0xFF) * a / 255) << 16) |
                              (((argb_ >> 8 & 0xFF) * a / 255) << 8) | ((argb_ & 0xFF) * a / 255);
  if (::IsRectEmpty(&area)) return true;
  // Which way the rows run is found by a probe pixel (the header's sign is not reliable across
  // systems); the probe is overwritten below.
  auto* bits = static_cast<uint8_t*>(dib.dsBm.bmBits);
  ::SetPixelV(hDC, area.left, area.top, RGB(0x12, 0x34, 0x56));
  ::GdiFlush();
  const auto* topRow =
      reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(area.top) * dib.dsBm.bmWidthBytes);
  const bool topDown = (topRow[area.left] & 0xFFFFFF) == 0x123456;
  for (int y = area.top; y < area.bottom; ++y) {
    const int row = topDown ? y : dib.dsBm.bmHeight - 1 - y;
    auto* pixel = reinterpret_cast<DWORD*>(bits + static_cast<size_t>(row) * dib.dsBm.bmWidthBytes);
    for (int x = area.left; x < area.right; ++x) pixel[x] = premultiplied;
  }
  return true;
}

namespace {

// Makes control a floating child of parent at pos (relative to the parent).
void Place(SkinUI::CControlUI* control, RECT pos, SkinUI::CContainerUI* parent) {
  wchar_t text[64];
  std::swprintf(text, 64, L"%ld,%ld,%ld,%ld", pos.left, pos.top, pos.right, pos.bottom);
  control->SetAttribute(L"pos", text);
  control->SetFloat(true);
  parent->Add(control);
}

}  // namespace

Scene::Scene(int width, int height, int x, int y, DWORD exStyle)
    : host(width, height, x, y, exStyle), root(new SkinUI::CContainerUI) {
  root->SetName(L"root");
}

RecordingControl* Scene::Add(const wchar_t* name, RECT pos, UINT flags,
                             SkinUI::CContainerUI* parent) {
  auto* control = new RecordingControl(name, &log, flags);
  Place(control, pos, parent != nullptr ? parent : root);
  return control;
}

SkinUI::CContainerUI* Scene::AddContainer(const wchar_t* name, RECT pos,
                                          SkinUI::CContainerUI* parent) {
  auto* container = new SkinUI::CContainerUI;
  container->SetName(name);
  Place(container, pos, parent != nullptr ? parent : root);
  return container;
}

bool Scene::Attach() {
  manager().AddNotifier(&notes);
  return host.Attach(root);
}

LRESULT Scene::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(hwnd(), message, wParam, lParam);
}

LPARAM Scene::ScreenParam(int x, int y) const {
  POINT pt = {x, y};
  ::ClientToScreen(host.hwnd(), &pt);
  return MAKELPARAM(pt.x, pt.y);
}

void TwoControlTest::SetUp() {
  MoveCursorAway();
  a = scene.Add(L"A", RECT{10, 10, 110, 60});
  b = scene.Add(L"B", RECT{10, 70, 110, 120});
  ASSERT_TRUE(scene.Attach());
  scene.log.Clear();
  scene.notes.Clear();
}

void MoveCursorAway() { ::SetCursorPos(1270, 1015); }

DWORD OffscreenPixel(SkinUI::CWindowManagerUI& manager, int x, int y) {
  DIBSECTION dib = {};
  HBITMAP bitmap = manager.GetOffscreenBitmap();
  if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) ||
      dib.dsBm.bmBits == nullptr || x < 0 || y < 0 || x >= dib.dsBm.bmWidth ||
      y >= dib.dsBm.bmHeight) {
    return 0;
  }
  ::GdiFlush();
  // The manager makes its off-screen bitmap top-down.
  const int row = y;
  const auto* bits = static_cast<const uint8_t*>(dib.dsBm.bmBits);
  return reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(row) * dib.dsBm.bmWidthBytes)[x];
}

HeldKeys::HeldKeys(std::initializer_list<int> keys) {
  ::GetKeyboardState(saved_);
  BYTE state[256];
  std::memcpy(state, saved_, sizeof(state));
  for (int key : keys) state[key & 0xFF] = 0x80;
  ::SetKeyboardState(state);
}

HeldKeys::~HeldKeys() { ::SetKeyboardState(saved_); }

}  // namespace ManagerTest
