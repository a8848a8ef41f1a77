#include "app_ui_support.h"

#include <map>
#include <vector>

#include "app/sequence_controls.h"
#include "engine/system/process_lookup.h"
#include "engine/system/registry.h"
#include "ui_controls/ui_controls.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_window_impl.h"

namespace AppTest {
namespace {

std::vector<uint8_t>& EmbeddedArchive() {
  static std::vector<uint8_t> bytes;
  return bytes;
}

class InstallerControls : public SkinUI::IDialogBuilderCallback {
public:
  SkinUI::CControlUI* CreateControl(const wchar_t* name) override {
    return App::CreateInstallerControl(name);
  }
};

void SaveValue(const wchar_t* name, std::optional<std::wstring>* value) {
  std::wstring text;
  DWORD type = 0;
  if (Utils::RegReadString(name, &type, &text)) *value = text;
}

void RestoreValue(const wchar_t* name, const std::optional<std::wstring>& value) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, name);
  if (value) Utils::RegWriteString(name, *value);
}

std::map<UINT_PTR, LoopAction*>& Actions() {
  static std::map<UINT_PTR, LoopAction*> actions;
  return actions;
}

}  // namespace

bool UseEmbeddedSkin() {
  std::vector<uint8_t>& bytes = EmbeddedArchive();
  if (!bytes.empty()) return true;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(147), L"ZIPRES");
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const DWORD size = SizeofResource(module, resource);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return false;
  SkinUI::RegisterStandardControls();
  bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
  SkinUI::CWindowManagerUI::SetInstance(module);
  SkinUI::CWindowManagerUI::SetResourceArchive7z(true);
  SkinUI::CWindowManagerUI::SetResourceZipMemory(bytes.data(), bytes.size());
  return SkinUI::CWindowManagerUI::GetResourceZipHandle() != nullptr;
}

std::string ReadSkinItem(const std::wstring& name) {
  if (!UseEmbeddedSkin()) return std::string();
  std::vector<uint8_t> bytes;
  if (SkinUI::SkinArchiveReadItem(SkinUI::CWindowManagerUI::GetResourceZipHandle(), name.c_str(),
                                  64 * 1024 * 1024, &bytes) != SkinUI::SkinItemRead::Ok) {
    return std::string();
  }
  return std::string(bytes.begin(), bytes.end());
}

SkinTree::SkinTree(const wchar_t* layout, int width, int height) : host_(width, height) {
  if (!UseEmbeddedSkin()) return;
  static InstallerControls controls;
  SkinUI::CSkinBuilderUI builder;
  root_ = builder.Create(SkinUI::CStringOrIdUI(layout), nullptr, &controls, &host_.manager());
  if (root_ != nullptr) host_.Attach(root_);
}

LoopAction::LoopAction(std::function<bool()> step, UINT periodMs, DWORD limitMs)
    : step_(std::move(step)), start_(GetTickCount()), limit_(limitMs) {
  timer_ = SetTimer(nullptr, 0, periodMs, &LoopAction::OnTimer);
  Actions()[timer_] = this;
}

LoopAction::~LoopAction() {
  KillTimer(nullptr, timer_);
  Actions().erase(timer_);
}

void CALLBACK LoopAction::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Actions().find(id);
  if (it == Actions().end()) return;
  LoopAction* action = it->second;
  if (action->done_) return;
  if (GetTickCount() - action->start_ > action->limit_ || action->step_()) {
    action->done_ = true;
    KillTimer(nullptr, id);
  }
}

namespace {

struct OwnWindowSearch {
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<OwnWindowSearch*>(param);
  wchar_t cls[128] = L"";
  GetClassNameW(window, cls, 128);
  if (IsWindowVisible(window) && wcscmp(cls, search->windowClass) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

EarlierInstallationScope::EarlierInstallationScope(const std::wstring& folder,
                                                   const std::wstring& entry) {
  SaveValue(L"InstallPath", &folder_);
  SaveValue(L"UnInstallEp", &entry_);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, L"InstallPath");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, Utils::kProductRegistryKey, L"UnInstallEp");
  if (!folder.empty()) Utils::RegWriteString(L"InstallPath", folder);
  if (!entry.empty()) Utils::RegWriteString(L"UnInstallEp", entry);
}

EarlierInstallationScope::~EarlierInstallationScope() {
  RestoreValue(L"InstallPath", folder_);
  RestoreValue(L"UnInstallEp", entry_);
}

void StopProcessesNamed(const wchar_t* exeName) {
  for (int i = 0; i < 20; ++i) {
    const DWORD pid = FindProcessIdByName(exeName);
    if (pid == 0) return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }
}

HWND FindOwnWindow(const wchar_t* windowClass) {
  OwnWindowSearch search = {windowClass, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void ClickControl(HWND window, SkinUI::CControlUI* control) {
  if (control == nullptr) return;
  const RECT rc = control->GetPos();
  const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
  PostMessageW(window, WM_MOUSEMOVE, 0, at);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(window, WM_LBUTTONUP, 0, at);
}

SkinUI::CControlUI* FindControlIn(HWND window, const wchar_t* name) {
  auto* object = reinterpret_cast<SkinUI::CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  auto* frame = dynamic_cast<SkinUI::WindowImplBase*>(object);
  return frame != nullptr ? frame->GetManager().FindControl(name) : nullptr;
}

}  // namespace AppTest
