#pragma once
// Runs the downloaded package's own installer silently on a worker thread and turns the lines it
// writes to its standard output into status reports (2001-2004, 3000-3009).
#include <windows.h>

#include <memory>
#include <string>

#include "engine/children/child_process.h"
#include "engine/children/protocol_reader.h"
#include "base/restartable_worker.h"
#include "engine/status.h"

class CInstaller {
public:
  // packageCommand is the package path in double quotes, as it starts the command line.
  CInstaller(StatusCallback callback, std::wstring packageCommand, std::wstring installDirectory,
             bool ssc, bool dsc, bool admin);
  // Waits for a run under way to end.
  ~CInstaller();
  CInstaller(const CInstaller&) = delete;
  CInstaller& operator=(const CInstaller&) = delete;

  // Options the orchestrator refreshes before each start.
  void SetInstallDirectory(const std::wstring& directory) { installDirectory_ = directory; }
  void SetSsc(bool ssc) { ssc_ = ssc; }
  void SetDsc(bool dsc) { dsc_ = dsc; }
  void SetAdmin(bool admin) { admin_ = admin; }
  void SetAuthorization(bool authorization) { authorization_ = authorization; }
  void SetLanguage(const std::wstring& languageCode) { language_ = languageCode; }

  // The package command, " /S -console=show -version=1.0.0", the four flags, then when set the
  // language, InstCmd, and the install directory as -instdir (quoted) and /D= (unquoted, last).
  std::wstring BuildCommandLine() const;

  // Waits for the previous run to end, then runs the installer on a new worker. Each run
  // reports 2001 and 2002 first and ends with exactly one of 2003 or 2004 (2004 alone, on the
  // calling thread, when no worker can be made).
  void Start();

  // Handles one line of the installer's output and returns a Utils::ProtocolResult; the run
  // stops parsing at the first decisive line, whose report (2003 or 2004) it sends once the
  // installer process has ended. whole is false when the line arrived cut or held bytes that are
  // not valid in the output code page: then no path is taken from it.
  int Parse(const std::wstring& line, bool whole = true);

  // The code page the installer's output is read in (0 = ANSI, 65001 = UTF-8); an Encode line
  // changes it, and it carries over to the next run.
  UINT OutputCodePage() const { return parser_.CodePage(); }

private:
  void Run();
  void Report(int code, double progress, const std::wstring& text = std::wstring());

  StatusCallback callback_;
  std::wstring packageCommand_;
  std::wstring installDirectory_;
  std::wstring commandLine_;
  bool ssc_;
  bool dsc_;
  Utils::ProtocolParser parser_;  // the output table; keeps the code page between runs
  std::unique_ptr<Utils::ChildProcess> child_;
  bool admin_;
  bool authorization_ = true;
  std::wstring language_;
  Utils::RestartableWorker worker_;  // last: its runs use every other member
};
