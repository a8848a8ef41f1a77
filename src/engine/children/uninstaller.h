#pragma once
// Runs an older version's uninstaller silently on a worker thread and turns the lines it writes
// to its standard output into status reports (5002-5005).
#include <windows.h>

#include <memory>
#include <string>

#include "engine/children/child_process.h"
#include "engine/children/protocol_reader.h"
#include "base/restartable_worker.h"
#include "engine/status.h"

class CUninstaller {
public:
  // program: the uninstaller copy to run; directory: the older version's folder, which the
  // uninstaller removes while the copy runs.
  CUninstaller(StatusCallback callback, std::wstring program, std::wstring directory);
  // Waits for a run under way to end.
  ~CUninstaller();
  CUninstaller(const CUninstaller&) = delete;
  CUninstaller& operator=(const CUninstaller&) = delete;

  // The command line with the flags of this process and its console user.
  std::wstring BuildCommandLine() const;
  // "program" /S -adminact=.. -authorizationact=.. -console=show _?=directory
  // The program is quoted (a temporary folder with a space must not start another program);
  // _?= stays unquoted and last, as the uninstaller reads the rest of the line as the folder.
  static std::wstring BuildCommandLine(const std::wstring& program, const std::wstring& directory,
                                       bool consoleUserIsAdmin, bool runAsAdmin);

  // Runs the uninstaller on a worker. A run reports 5004 alone when the program is missing or
  // cannot be started; otherwise 5002 first and exactly one of 5003 or 5005 at the end.
  void Start();

  // Handles one line of the uninstaller's output and returns a Utils::ProtocolResult; a decisive
  // line is reported at once and ends the parsing. whole is false when the line arrived cut or
  // damaged.
  int ParseLine(const std::wstring& line, bool whole = true);

  // The code page of the uninstaller's output (0 = ANSI, 65001 = UTF-8).
  UINT OutputCodePage() const { return parser_.CodePage(); }

private:
  void Run();
  void Report(int code, double progress, const std::wstring& text = std::wstring());

  StatusCallback callback_;
  std::wstring commandLine_;
  std::wstring program_;
  std::wstring directory_;
  Utils::ProtocolParser parser_;  // the output table; keeps the code page
  std::unique_ptr<Utils::ChildProcess> child_;
  Utils::RestartableWorker worker_;  // last: its runs use every other member
};
