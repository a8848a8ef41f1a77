#include "engine/children/installer.h"

#include <cstdint>
#include <utility>

#include "engine/system/installer_settings.h"
#include "base/log.h"
#include "engine/children/protocol_reader.h"
#include "base/string_utils.h"

namespace {

using Utils::KeyUse;
using Utils::TrueFalse;

// The installer's output lines: key, how its value is read, the code it is reported with.
const Utils::ProtocolKey kInstallerKeys[] = {
    {L"Progress", KeyUse::kFraction, IST_CODE_PROGRESS, nullptr},
    {L"InstPath", KeyUse::kPath, IST_CODE_INST_PATH, nullptr},
    {L"State", KeyUse::kState, IST_CODE_SUCCESS, nullptr},
    {L"InstallVersion", KeyUse::kRecognised, 0, nullptr},
    {L"ExePath", KeyUse::kPath, IST_CODE_EXE_PATH, L"ExePath: %ls"},
    {L"StartExe", KeyUse::kPath, IST_CODE_EXE_PATH, nullptr},
    {L"UninstExePath", KeyUse::kPath, IST_CODE_UNINST_EXE, nullptr},
    {L"UninstExe", KeyUse::kPath, IST_CODE_UNINST_EXE, nullptr},
    {L"UninstEp", KeyUse::kPath, IST_CODE_UNINST_EP, nullptr},
    {L"Error", KeyUse::kError, IST_CODE_FAIL, nullptr},
    {L"TopShowDetention", KeyUse::kNumber, IST_CODE_TOP_SHOW_DELAY, nullptr},
    {L"FinsihCloseDetention", KeyUse::kNumber, IST_CODE_FINISH_CLOSE_DELAY, nullptr},
    {L"StartUrl", KeyUse::kPath, IST_CODE_START_URL, nullptr},
    {L"StartupStyle", KeyUse::kStartupStyle, IST_CODE_STARTUP_STYLE, nullptr},
    {L"Encode", KeyUse::kEncoding, 0, nullptr},
    {L"Message", KeyUse::kDisplayText, IST_CODE_MESSAGE, nullptr},
};

const Utils::ProtocolTable kInstallerTable = {
    kInstallerKeys, sizeof(kInstallerKeys) / sizeof(kInstallerKeys[0]), "CInstaller::Parse",
    IST_CODE_FAIL, kStatusFailedByState, L"安装包安装失败", kStatusFailedByErrorLine,
    true,  // Encode=<number> names a code page
};

// A value in double quotes as the C runtime splits a command line: backslashes right before the
// closing quote are doubled, so a folder such as "D:\" does not swallow the quote and every
// argument after it.
std::wstring Quoted(const std::wstring& value) {
  size_t trailing = 0;
  while (trailing < value.size() && value[value.size() - 1 - trailing] == L'\\') ++trailing;
  return L"\"" + value + std::wstring(trailing, L'\\') + L"\"";
}

}  // namespace

CInstaller::CInstaller(StatusCallback callback, std::wstring packageCommand,
                       std::wstring installDirectory, bool ssc, bool dsc, bool admin)
    : callback_(std::move(callback)),
      packageCommand_(std::move(packageCommand)),
      installDirectory_(std::move(installDirectory)),
      ssc_(ssc),
      dsc_(dsc),
      parser_(kInstallerTable,
              [this](const Utils::ProtocolReport& report) { Report(report.code, report.progress, report.text); }),
      admin_(admin) {}

CInstaller::~CInstaller() {
  // The worker uses every field, the child among them: it must end before any is destroyed.
  worker_.Stop();
}

std::wstring CInstaller::BuildCommandLine() const {
  std::wstring command = packageCommand_;
  command += L" /S -console=show -version=1.0.0";
  command += L" -adminact=";
  command += TrueFalse(admin_);
  command += L" -authorizationact=";
  command += TrueFalse(authorization_);
  command += L" -dsc=";
  command += TrueFalse(dsc_);
  command += L" -ssc=";
  command += TrueFalse(ssc_);
  if (!language_.empty()) command += L" -inslang=" + Quoted(language_);
  const std::wstring& instCmd = InstallerSettings::Instance().InstCmd;
  if (!instCmd.empty()) command += L" " + instCmd;
  if (!installDirectory_.empty()) {
    command += L" -instdir=" + Quoted(installDirectory_);
    // The installer takes everything after /D= as the folder, spaces included, so it comes last.
    command += L" /D=" + installDirectory_;
  }
  return command;
}

void CInstaller::Start() {
  // The previous run's worker reads the command line: it must end before the line changes.
  const bool started = worker_.Start(
      L"ABDEF", [this] { commandLine_ = BuildCommandLine(); }, [this] { Run(); });
  if (!started) {
    // No worker, no run: the orchestrator must still hear that the installation did not happen.
    UTILS_LOG(L"installer thread not created: %lu\r\n", ::GetLastError());
    Report(IST_CODE_FAIL, kStatusNotStarted);
  }
}

void CInstaller::Report(int code, double progress, const std::wstring& text) {
  if (callback_) callback_(code, progress, text.c_str());
}

void CInstaller::Run() {
  parser_.ClearDecisive();
  Report(IST_CODE_START, 0);
  Report(IST_CODE_PROGRESS, 0);

  child_ = std::make_unique<Utils::ChildProcess>();
  Utils::ProtocolRun run = Utils::RunProtocolChild(
      *child_, commandLine_, parser_.CodePage(),
      [this](const std::wstring& line, bool whole) { return Parse(line, whole); });
  child_->Close();
  child_.reset();

  if (!run.started) {
    UTILS_LOG(L"installer not started: %lu\r\n", run.startError);
    Report(IST_CODE_FAIL, kStatusNotStarted);
    return;
  }
  if (run.result != Utils::PROTOCOL_GO_ON) {
    // Its State or Error line, told only now that the installer has ended: the orchestrator
    // deletes the package on this report, and Windows refuses to delete a running program.
    Report(parser_.Decisive().code, parser_.Decisive().progress, parser_.Decisive().text);
    return;
  }
  if (run.exitCodeKnown && run.exitCode == 0) {
    Report(IST_CODE_SUCCESS, 1);
    return;
  }
  // Ended without saying how it went, and its exit code says it failed (a crash, say).
  UTILS_LOG(L"installer ended without a result, exit code 0x%08lX\r\n",
            run.exitCodeKnown ? run.exitCode : 0xFFFFFFFFul);
  Report(IST_CODE_FAIL, kStatusFailedByState, L"安装包安装失败");
}

int CInstaller::Parse(const std::wstring& line, bool whole) { return parser_.ParseLine(line, whole); }
