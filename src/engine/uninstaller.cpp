#include "engine/uninstaller.h"

#include <shlwapi.h>

#include <utility>

#include "base/log.h"
#include "engine/protocol_reader.h"
#include "engine/string_utils.h"
#include "engine/system_info.h"

namespace {

const wchar_t* TrueFalse(bool flag) { return flag ? L"true" : L"false"; }

}  // namespace

CUninstaller::CUninstaller(StatusCallback callback, std::wstring program, std::wstring directory)
    : callback_(std::move(callback)), program_(std::move(program)),
      directory_(std::move(directory)) {}

CUninstaller::~CUninstaller() {
  // The worker uses every field, the child among them: it must end before any is destroyed.
  worker_.Stop();
}

std::wstring CUninstaller::BuildCommandLine(const std::wstring& program,
                                            const std::wstring& directory,
                                            bool consoleUserIsAdmin, bool runAsAdmin) {
  std::wstring command = L"\"" + program + L"\"";
  command += L" /S -adminact=";
  command += TrueFalse(consoleUserIsAdmin);
  command += L" -authorizationact=";
  command += TrueFalse(runAsAdmin);
  command += L" -console=show _?=" + directory;
  return command;
}

std::wstring CUninstaller::BuildCommandLine() const {
  std::wstring user;
  bool consoleUserIsAdmin = Utils::GetConsoleUserName(&user) && Utils::IsAdminAccount(user);
  return BuildCommandLine(program_, directory_, consoleUserIsAdmin, Utils::IsRunAsAdmin());
}

void CUninstaller::Start() {
  // The previous run's worker reads the command line: it must end before the line changes.
  const bool started = worker_.Start(
      L"UnInstaller", [this] { commandLine_ = BuildCommandLine(); }, [this] { Run(); });
  if (!started) {
    // No worker, no run: the orchestrator must still hear that the uninstaller did not run.
    UTILS_LOG(L"uninstaller thread not created: %lu\r\n", ::GetLastError());
    Report(UNIST_CODE_FAIL, kStatusNotStarted);
  }
}

void CUninstaller::Report(int code, double progress, const std::wstring& text) {
  if (callback_) callback_(code, progress, text.c_str());
}

void CUninstaller::Run() {
  if (!::PathFileExistsW(program_.c_str())) {
    Report(UNIST_CODE_FAIL, kStatusProgramMissing, L"可执行卸载文件不存在");
    return;
  }
  Report(UNIST_CODE_PROGRESS, 0);

  child_ = std::make_unique<Utils::ChildProcess>();
  // The pipe is read to its end after the uninstaller has exited: its last State line is
  // often written just before it exits.
  Utils::ProtocolRun run = Utils::RunProtocolChild(
      *child_, commandLine_, outputCodePage_,
      [this](const std::wstring& line, bool whole) { return ParseLine(line, whole); });
  child_->Close();
  child_.reset();

  if (!run.started) {
    UTILS_LOG(L"uninstaller not started: %lu\r\n", run.startError);
    Report(UNIST_CODE_FAIL, kStatusNotStarted);
    return;
  }
  if (run.result != Utils::PROTOCOL_GO_ON) return;  // its State or Error line was reported
  if (run.exitCodeKnown && run.exitCode == 0) {
    Report(UNIST_CODE_SUCCESS, 1);
    return;
  }
  // Ended without saying how it went, and its exit code says it failed: the old version may
  // still be there, so the installation must not go on as if it were gone.
  UTILS_LOG(L"uninstaller ended without a result, exit code 0x%08lX\r\n",
            run.exitCodeKnown ? run.exitCode : 0xFFFFFFFFul);
  Report(UNIST_CODE_ERROR, 0, L"安装包卸载失败");
}

int CUninstaller::ParseLine(const std::wstring& text, bool whole) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    std::wstring rest;

    if (Utils::MatchKey(line, L"Progress", &rest)) {
      double fraction = 0;
      if (Utils::ReadFraction(rest, &fraction)) Report(UNIST_CODE_PROGRESS, fraction);
    } else if (Utils::MatchKey(line, L"Error", &rest)) {
      std::wstring value;
      Utils::ReadTextValue(rest, whole, Utils::TextUse::Display, &value);
      Report(UNIST_CODE_ERROR, 0, value);
      return Utils::PROTOCOL_FAILURE;
    } else if (Utils::MatchKey(line, L"State", &rest)) {
      std::wstring word = Utils::Trim(rest);
      if (word == L"Success") {
        Report(UNIST_CODE_SUCCESS, 0);
        return Utils::PROTOCOL_SUCCESS;
      }
      if (word == L"Fail") {
        Report(UNIST_CODE_ERROR, 0, L"安装包卸载失败");
        return Utils::PROTOCOL_FAILURE;
      }
    } else if (Utils::MatchKey(line, L"Encode", &rest)) {
      std::wstring word = Utils::Trim(rest);
      if (word == L"UTF8") outputCodePage_ = CP_UTF8;
      if (word == L"ACP") outputCodePage_ = 0;
      // Any other word leaves the code page as it was.
    }
  }
  return Utils::PROTOCOL_GO_ON;
}
