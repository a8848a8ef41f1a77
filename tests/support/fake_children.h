#pragma once
// The scripted fake children (tools/fake_child): the package installer's and the old version's
// uninstaller's stand-ins, which read a script from the environment and record the command line
// they were started with. The one place where a test sets that environment up.
#include <string>

#include "test_support.h"

namespace FakeChildren {

enum class Role { Installer, Uninstaller };

// The built fake program of the role, next to the test executable.
std::wstring FakeProgram(Role role);

// Hands the fake of one role a script and a file to record its command line in, through the
// environment that every child started meanwhile inherits; both are taken away on destruction.
class ScriptedFake {
public:
  ScriptedFake(Role role, const std::string& script);
  ~ScriptedFake();
  ScriptedFake(const ScriptedFake&) = delete;
  ScriptedFake& operator=(const ScriptedFake&) = delete;

  // A new script for the children started from now on.
  void SetScript(const std::string& script);
  // The command line the fake was last started with, exactly as it received it.
  std::wstring RecordedCommandLine() const;
  const TestSupport::ScratchDir& Dir() const { return dir_; }

private:
  Role role_;
  TestSupport::ScratchDir dir_;
};

// Copies the fake of the role to the path (whose folder is made when missing).
bool CopyFake(Role role, const std::wstring& path);

}  // namespace FakeChildren
