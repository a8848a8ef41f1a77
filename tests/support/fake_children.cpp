#include "fake_children.h"

#include <windows.h>
#include <shlwapi.h>

namespace FakeChildren {
namespace {

const wchar_t* ScriptVariable(Role role) {
  return role == Role::Installer ? L"TESSMARK_FAKE_INSTALLER_SCRIPT" : L"TESSMARK_FAKE_UNINSTALLER_SCRIPT";
}

const wchar_t* RecordVariable(Role role) {
  return role == Role::Installer ? L"TESSMARK_FAKE_INSTALLER_RECORD" : L"TESSMARK_FAKE_UNINSTALLER_RECORD";
}

}  // namespace

std::wstring FakeProgram(Role role) {
  return TestSupport::SiblingProgram(role == Role::Installer ? L"fake_installer.exe" : L"fake_uninstaller.exe");
}

ScriptedFake::ScriptedFake(Role role, const std::string& script) : role_(role), dir_(L"fake") {
  SetScript(script);
  SetEnvironmentVariableW(ScriptVariable(role_), dir_.File(L"script.txt").c_str());
  SetEnvironmentVariableW(RecordVariable(role_), dir_.File(L"command-line.bin").c_str());
}

ScriptedFake::~ScriptedFake() {
  SetEnvironmentVariableW(ScriptVariable(role_), nullptr);
  SetEnvironmentVariableW(RecordVariable(role_), nullptr);
}

void ScriptedFake::SetScript(const std::string& script) { TestSupport::WriteBytes(dir_.File(L"script.txt"), script); }

std::wstring ScriptedFake::RecordedCommandLine() const {
  std::string bytes;
  if (!TestSupport::ReadBytes(dir_.File(L"command-line.bin"), &bytes)) return L"<not recorded>";
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

bool CopyFake(Role role, const std::wstring& path) {
  wchar_t folder[MAX_PATH] = {};
  lstrcpynW(folder, path.c_str(), MAX_PATH);
  PathRemoveFileSpecW(folder);
  CreateDirectoryW(folder, nullptr);
  return CopyFileW(FakeProgram(role).c_str(), path.c_str(), FALSE) != 0;
}

}  // namespace FakeChildren
