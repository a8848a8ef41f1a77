#include "engine/children/uninstaller.h"

#include <shlwapi.h>

#include <utility>

#include "base/log.h"
#include "engine/children/protocol_reader.h"
#include "base/string_utils.h"
#include "engine/system/system_info.h"

namespace {

using Utils::KeyUse;
using Utils::TrueFalse;

// The uninstaller's output lines: key, how its value is read, the code it is reported with.
const Utils::ProtocolKey kUninstallerKeys[] = {
    {L"Progress", KeyUse::kFraction, UNIST_CODE_PROGRESS, nullptr},
    {L"Error", KeyUse::kError, UNIST_CODE_ERROR, nullptr},
    {L"State", KeyUse::kState, UNIST_CODE_SUCCESS, nullptr},
    {L"Encode", KeyUse::kEncoding, 0, nullptr},
};

const Utils::ProtocolTable kUninstallerTable = {
    kUninstallerKeys, sizeof(kUninstallerKeys) / sizeof(kUninstallerKeys[0]), "CUninstaller::ParseLine",
    UNIST_CODE_ERROR, 0, L"安装包卸载失败", 0,
    false,  // only UTF8 and ACP change the code page
};

}  // namespace

CUninstaller::CUninstaller(StatusCallback callback, std::wstring program, std::wstring directory)
    : callback_(std::move(callback)), program_(std::move(program)),
      directory_(std::move(directory)),
      parser_(kUninstallerTable,
              [this](const Utils::ProtocolReport& report) { Report(report.code, report.progress, report.text); }) {}

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
      *child_, commandLine_, parser_.CodePage(),
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

int CUninstaller::ParseLine(const std::wstring& line, bool whole) {
  const int result = parser_.ParseLine(line, whole);
  // The uninstaller's State or Error line is told at once.
  if (result != Utils::PROTOCOL_GO_ON) Report(parser_.Decisive().code, parser_.Decisive().progress, parser_.Decisive().text);
  return result;
}
