#include "child_fixture.h"

#include <shlwapi.h>

#include <chrono>

namespace ChildTests {

namespace {

const wchar_t* ScriptVariable(Role role) {
  return role == Role::Installer ? L"TESSMARK_FAKE_INSTALLER_SCRIPT"
                                 : L"TESSMARK_FAKE_UNINSTALLER_SCRIPT";
}

const wchar_t* RecordVariable(Role role) {
  return role == Role::Installer ? L"TESSMARK_FAKE_INSTALLER_RECORD"
                                 : L"TESSMARK_FAKE_UNINSTALLER_RECORD";
}

}  // namespace

void PrintTo(const Report& report, std::ostream* out) {
  *out << "{" << report.code << ", " << report.progress << ", \""
       << TestSupport::ToUtf8(report.text) << "\"}";
}

StatusCallback Recorder::Callback() {
  return [this](int code, double progress, const wchar_t* text) {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(Report{code, progress, text});
    arrived_.notify_all();
  };
}

bool Recorder::WaitForCode(int code) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return arrived_.wait_for(lock, std::chrono::minutes(1), [&] {
    for (const Report& report : reports_)
      if (report.code == code) return true;
    return false;
  });
}

std::vector<Report> Recorder::Reports() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_;
}

std::wstring FakeProgram(Role role) {
  return TestSupport::SiblingProgram(role == Role::Installer ? L"fake_installer.exe"
                                                             : L"fake_uninstaller.exe");
}

ScriptedFake::ScriptedFake(Role role, const std::string& script) : role_(role), dir_(L"fake") {
  TestSupport::WriteBytes(dir_.File(L"script.txt"), script);
  SetEnvironmentVariableW(ScriptVariable(role_), dir_.File(L"script.txt").c_str());
  SetEnvironmentVariableW(RecordVariable(role_), dir_.File(L"command-line.bin").c_str());
}

ScriptedFake::~ScriptedFake() {
  SetEnvironmentVariableW(ScriptVariable(role_), nullptr);
  SetEnvironmentVariableW(RecordVariable(role_), nullptr);
}

std::wstring ScriptedFake::RecordedCommandLine() const {
  std::string bytes;
  if (!TestSupport::ReadBytes(dir_.File(L"command-line.bin"), &bytes)) return L"<not recorded>";
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                      bytes.size() / sizeof(wchar_t));
}

bool CopyFake(Role role, const std::wstring& path) {
  wchar_t folder[MAX_PATH] = {};
  lstrcpynW(folder, path.c_str(), MAX_PATH);
  PathRemoveFileSpecW(folder);
  CreateDirectoryW(folder, nullptr);
  return CopyFileW(FakeProgram(role).c_str(), path.c_str(), FALSE) != 0;
}

}  // namespace ChildTests
