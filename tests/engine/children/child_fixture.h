#pragma once
// What the child-process tests share: the reports a runner made, and scripts for the fake
// installer and uninstaller (tools/fake_child), which read them from the environment.
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "engine/status.h"
#include "test_support.h"

namespace ChildTests {

struct Report {
  int code;
  double progress;
  std::wstring text;
  bool operator==(const Report& other) const {
    return code == other.code && progress == other.progress && text == other.text;
  }
};
void PrintTo(const Report& report, std::ostream* out);

// Collects the reports of a runner; the worker reports, the test reads after the run.
class Recorder {
public:
  StatusCallback Callback();
  std::vector<Report> Reports() const;
  // Waits until a report with the code has come; false when none came within a minute (a
  // safety net against a hanging run, not a measure of speed).
  bool WaitForCode(int code) const;

private:
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<Report> reports_;
};

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

  // The command line the fake was last started with, exactly as it received it.
  std::wstring RecordedCommandLine() const;
  const TestSupport::ScratchDir& Dir() const { return dir_; }

private:
  Role role_;
  TestSupport::ScratchDir dir_;
};

// Copies the fake of the role to the path (whose folder is made when missing).
bool CopyFake(Role role, const std::wstring& path);

}  // namespace ChildTests
