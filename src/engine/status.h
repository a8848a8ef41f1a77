#pragma once
// The one table of status codes that the downloaders, the two child-process runners, the
// orchestrator and the main window share, and the callback that carries them.
#include <functional>

// Receives one report: a status code, a progress value (a fraction from 0 to 1 for progress
// codes, otherwise 0, 1 or the result number listed below) and a text that is never null (empty
// when there is nothing to say). The callee must not keep the text pointer beyond the call.
using StatusCallback = std::function<void(int code, double progress, const wchar_t* text)>;

enum StatusCode : int {
  // Download of the package.
  DL_CODE_START = 1001,
  DL_CODE_PROGRESS = 1002,      // fraction downloaded
  DL_CODE_SUCCESS = 1003,       // downloaded and verified: the installer runner starts next
  DL_CODE_FAIL = 1004,
  DL_CODE_RETRY = 1005,         // digest mismatch the first time: download once more
  DL_CODE_DIGEST_ERROR = 1006,  // digest missing or wrong; the text tells which

  // The package's own installer.
  IST_CODE_START = 2001,     // progress 0
  IST_CODE_PROGRESS = 2002,  // fraction reported by the installer
  IST_CODE_SUCCESS = 2003,   // progress 0 (State line) or 1 (ended with exit code 0, no State line)
  IST_CODE_FAIL = 2004,      // progress 0, 1000 or 2: see the values below

  // Values the package's installer reports about what it installed (3006 is not used).
  IST_CODE_INST_PATH = 3000,        // text: the installed folder
  IST_CODE_EXE_PATH = 3001,         // text: the program to start after installation
  IST_CODE_UNINST_EXE = 3002,       // text: the installed uninstaller
  IST_CODE_UNINST_EP = 3003,        // text: the uninstaller entry file
  IST_CODE_START_URL = 3004,        // text: a URL to open after installation
  IST_CODE_STARTUP_STYLE = 3005,    // progress: a StartupStyle value
  IST_CODE_TOP_SHOW_DELAY = 3007,   // progress: the 32-bit value as unsigned
  IST_CODE_FINISH_CLOSE_DELAY = 3008,  // progress: the 32-bit value as unsigned
  IST_CODE_MESSAGE = 3009,          // text: a message for the user

  // The older version's uninstaller (5001 is defined and never sent).
  UNIST_CODE_START = 5001,
  UNIST_CODE_PROGRESS = 5002,  // 0 when the uninstaller is launched, then its fractions
  UNIST_CODE_SUCCESS = 5003,   // progress 0 (State line) or 1 (ended with exit code 0, no State line)
  UNIST_CODE_FAIL = 5004,      // the uninstaller could not be run: progress 1 or 2, see below
  UNIST_CODE_ERROR = 5005,     // the uninstaller reported failure, progress 0
};

// Progress values that tell the failures of 2004 and 5004 apart.
constexpr double kStatusFailedByState = 0;         // 2004: State=Fail or a failing exit code
constexpr double kStatusProgramMissing = 1;        // 5004: no uninstaller at the path
constexpr double kStatusNotStarted = 2;            // 2004, 5004: the process could not be started
constexpr double kStatusFailedByErrorLine = 1000;  // 2004: the installer's Error line is the text

// How the product is to be started after installation (progress of 3005).
enum StartupStyle : int {
  STARTUP_NONE = 0,  // "NonStartup" and every unknown word
  STARTUP_AUTO = 1,  // "AutoStartup": at once
  STARTUP_USER = 2,  // "UserStartup": when the user asks on the finish page
};

// A report after which the run of the orchestrator sends nothing more: the installation
// succeeded, or a stage failed and the chain ends there (the user interface decides what follows).
constexpr bool IsFinalStatus(int code) {
  return code == IST_CODE_SUCCESS || code == IST_CODE_FAIL || code == DL_CODE_FAIL ||
         code == UNIST_CODE_FAIL || code == UNIST_CODE_ERROR;
}
