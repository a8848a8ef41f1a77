#include "activex_fixture.h"

#include "test_support.h"
#include "ui_controls/ui_controls.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_manager.h"

namespace ActiveXTest {

HostWindow::HostWindow(int width, int height)
    : host_(std::make_unique<TestSupport::TestHostWindow>(width, height)),
      root_(new SkinUI::CVerticalLayoutUI()) {
  host_->manager().AddNotifier(&recorder_);
  ::SetForegroundWindow(host_->hwnd());
  ::SetFocus(host_->hwnd());
}

HostWindow::~HostWindow() {
  Close();
  if (!attached_) delete root_;
}

void HostWindow::Attach() { attached_ = host_->Attach(root_); }

SkinUI::CControlUI* HostWindow::AttachSkin(const wchar_t* xml,
                                           SkinUI::IDialogBuilderCallback* callback) {
  SkinUI::RegisterStandardControls();
  SkinUI::CSkinBuilderUI builder;
  SkinUI::CControlUI* root =
      builder.Create(SkinUI::CStringOrIdUI(xml), nullptr, callback, &host_->manager());
  if (root == nullptr || !host_->Attach(root)) return nullptr;
  return root;
}

void HostWindow::Close() {
  if (!host_) return;
  host_->manager().RemoveNotifier(&recorder_);
  host_.reset();
}

TestControlModule::TestControlModule() : module_(::LoadLibraryW(Path().c_str())) {
  if (!module_) return;
  auto find = [this](const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(module_.get(), name));
  };
  journal_ = reinterpret_cast<ActiveXTestControl::JournalProc>(find("TestControlJournal"));
  clear_ = reinterpret_cast<ActiveXTestControl::ClearJournalProc>(find("TestControlClearJournal"));
  live_ = reinterpret_cast<ActiveXTestControl::LiveObjectsProc>(find("TestControlLiveObjects"));
  ClearJournal();
}

std::wstring TestControlModule::Path() {
  return TestSupport::SiblingProgram(L"activex_test_control.dll");
}

std::vector<std::wstring> TestControlModule::Journal() const {
  std::vector<std::wstring> lines;
  if (journal_ == nullptr) return lines;
  const int length = journal_(nullptr, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  journal_(&text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  size_t start = 0;
  for (size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::wstring> TestControlModule::Lines(const std::wstring& prefix) const {
  std::vector<std::wstring> found;
  for (const std::wstring& line : Journal()) {
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  }
  return found;
}

std::wstring TestControlModule::Line(const std::wstring& prefix) const {
  const std::vector<std::wstring> found = Lines(prefix);
  return found.empty() ? std::wstring() : found.front();
}

bool TestControlModule::Has(const std::wstring& line) const {
  for (const std::wstring& entry : Journal()) {
    if (entry == line) return true;
  }
  return false;
}

void TestControlModule::ClearJournal() const {
  if (clear_ != nullptr) clear_();
}

LONG TestControlModule::LiveObjects() const { return live_ != nullptr ? live_() : -1; }

std::wstring ClsidText(const CLSID& clsid) {
  wchar_t text[64] = {};
  ::StringFromGUID2(clsid, text, 64);
  return text;
}

Utils::ComPtr<IOleClientSite> ClientSiteOf(IOleObject* object) {
  IOleClientSite* first = nullptr;
  if (object == nullptr || FAILED(object->GetClientSite(&first)) || first == nullptr) {
    return Utils::ComPtr<IOleClientSite>();
  }
  const ULONG before = (first->AddRef(), first->Release());
  IOleClientSite* second = nullptr;
  object->GetClientSite(&second);
  const ULONG after = second != nullptr ? (second->AddRef(), second->Release()) : before;
  if (after == before) first->AddRef();  // neither call gave a reference: take one
  if (after != before && second != nullptr) second->Release();
  return Utils::ComPtr<IOleClientSite>(first);
}

bool SameObject(IUnknown* a, IUnknown* b) {
  if (a == nullptr || b == nullptr) return false;
  Utils::ComPtr<IUnknown> first;
  Utils::ComPtr<IUnknown> second;
  a->QueryInterface(IID_IUnknown, first.put_void());
  b->QueryInterface(IID_IUnknown, second.put_void());
  return first && first.get() == second.get();
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  if (window == nullptr || ::GetClassNameW(window, name, 128) == 0) return std::wstring();
  return name;
}

HWND FindChildOfClass(HWND parent, const wchar_t* className) {
  for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == className) return child;
  }
  return nullptr;
}

RECT RectInParent(HWND window) {
  RECT rc = {0, 0, 0, 0};
  ::GetWindowRect(window, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

}  // namespace ActiveXTest
