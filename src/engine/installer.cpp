#include "engine/installer.h"

#include <cstdint>
#include <utility>

#include "engine/installer_settings.h"
#include "base/log.h"
#include "engine/protocol_reader.h"
#include "engine/string_utils.h"

namespace {

const wchar_t* TrueFalse(bool flag) { return flag ? L"true" : L"false"; }

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

void CInstaller::HoldFinal(int code, double progress, const std::wstring& text) {
  held_ = HeldReport{code, progress, text};
}

void CInstaller::Run() {
  held_ = HeldReport{};
  Report(IST_CODE_START, 0);
  Report(IST_CODE_PROGRESS, 0);

  child_ = std::make_unique<Utils::ChildProcess>();
  Utils::ProtocolRun run = Utils::RunProtocolChild(
      *child_, commandLine_, outputCodePage_,
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
    Report(held_.code, held_.progress, held_.text);
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

int CInstaller::Parse(const std::wstring& text, bool whole) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    std::wstring rest;
    std::wstring value;

    if (Utils::MatchKey(line, L"Progress", &rest)) {
      double fraction = 0;
      if (Utils::ReadFraction(rest, &fraction)) Report(IST_CODE_PROGRESS, fraction);
    } else if (Utils::MatchKey(line, L"InstPath", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value))
        Report(IST_CODE_INST_PATH, 0, value);
    } else if (Utils::MatchKey(line, L"State", &rest)) {
      std::wstring word = Utils::Trim(rest);
      if (word == L"Success") {
        HoldFinal(IST_CODE_SUCCESS, 0);
        return Utils::PROTOCOL_SUCCESS;
      }
      if (word == L"Fail") {
        HoldFinal(IST_CODE_FAIL, kStatusFailedByState, L"安装包安装失败");
        return Utils::PROTOCOL_FAILURE;
      }
    } else if (Utils::MatchKey(line, L"InstallVersion", &rest)) {
      // Recognised, and nothing to do with it.
    } else if (Utils::MatchKey(line, L"ExePath", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value)) {
        UTILS_LOG(L"ExePath: %ls", value.c_str());
        Report(IST_CODE_EXE_PATH, 0, value);
      }
    } else if (Utils::MatchKey(line, L"StartExe", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value))
        Report(IST_CODE_EXE_PATH, 0, value);
    } else if (Utils::MatchKey(line, L"UninstExePath", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value))
        Report(IST_CODE_UNINST_EXE, 0, value);
    } else if (Utils::MatchKey(line, L"UninstExe", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value))
        Report(IST_CODE_UNINST_EXE, 0, value);
    } else if (Utils::MatchKey(line, L"UninstEp", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value))
        Report(IST_CODE_UNINST_EP, 0, value);
    } else if (Utils::MatchKey(line, L"Error", &rest)) {
      // A failure is never lost to a damaged or long text: the text is only what the user sees.
      Utils::ReadTextValue(rest, whole, Utils::TextUse::Display, &value);
      HoldFinal(IST_CODE_FAIL, kStatusFailedByErrorLine, value);
      return Utils::PROTOCOL_FAILURE;
    } else if (Utils::MatchKey(line, L"TopShowDetention", &rest)) {
      Report(IST_CODE_TOP_SHOW_DELAY, static_cast<uint32_t>(Utils::ReadInt32(rest)));
    } else if (Utils::MatchKey(line, L"FinsihCloseDetention", &rest)) {
      Report(IST_CODE_FINISH_CLOSE_DELAY, static_cast<uint32_t>(Utils::ReadInt32(rest)));
    } else if (Utils::MatchKey(line, L"StartUrl", &rest)) {
      if (Utils::ReadTextValue(rest, whole, Utils::TextUse::Path, &value))
        Report(IST_CODE_START_URL, 0, value);
    } else if (Utils::MatchKey(line, L"StartupStyle", &rest)) {
      std::wstring word = Utils::Trim(rest);
      int style = STARTUP_NONE;
      if (word == L"AutoStartup") style = STARTUP_AUTO;
      if (word == L"UserStartup") style = STARTUP_USER;
      Report(IST_CODE_STARTUP_STYLE, style);
    } else if (Utils::MatchKey(line, L"Encode", &rest)) {
      std::wstring word = Utils::Trim(rest);
      UINT page = 0;
      bool valid = true;
      if (word == L"UTF8") {
        outputCodePage_ = CP_UTF8;
      } else if (word == L"ACP") {
        outputCodePage_ = 0;
      } else if (!Utils::ReadCodePageNumber(word, &page, &valid)) {
        outputCodePage_ = 0;
      } else if (valid) {
        outputCodePage_ = page;
      } else {
        // Decoding in a code page the system lacks would lose every later line, State included.
        UTILS_LOG(L"Encode ignored: %ls\r\n", word.c_str());
      }
    } else if (Utils::MatchKey(line, L"Message", &rest)) {
      Utils::ReadTextValue(rest, whole, Utils::TextUse::Display, &value);
      Report(IST_CODE_MESSAGE, 0, value);
    }
  }
  return Utils::PROTOCOL_GO_ON;
}
