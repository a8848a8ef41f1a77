#pragma once
// What the progress page shows for the engine's progress reports: the download fills the bar up
// to the download's share, the package's installer the rest. The installer's own fractions are
// not trusted alone: every report moves the bar on by a step, and the bar never moves backwards.
// Pure functions, so that every report sequence can be checked without a window.
#include <string>

namespace App {

// The share of the installer's fraction that each of its reports adds at least, and where that
// step stops.
constexpr double kInstallStep = 0.15;
constexpr double kInstallStepLimit = 0.95;

// The bar's percentage (0 to 100) for a download fraction and the download's share.
int DownloadPercent(double downloadFraction, double downloadScale);

// The installer's fraction after a report of `reported`: the shown fraction grows by a step (up
// to the limit), takes the report when that is larger, and never falls. Reports outside 0..1
// count as their nearest end; a report that is no number counts as none.
double AdvanceInstallFraction(double shown, double reported);

// The bar's percentage (0 to 100) for the installer's fraction and the download's share.
int InstallPercent(double installFraction, double downloadScale);

// The progress text's template: the skin's own (the label's user data) when it has one, else the
// patient wording once a run has lasted more than a minute, else the usual one.
std::wstring ProgressTemplate(const std::wstring& skinTemplate, bool stopwatchRunning,
                              double elapsedSeconds);

extern const wchar_t kProgressTemplate[];         // "正在安装中:%d%%，请稍候..."
extern const wchar_t kProgressTemplatePatient[];  // "正在安装中:%d%%，请耐心等待..."

// A number of milliseconds or a style that the installer reported in a progress value, as an
// unsigned 32-bit value; values that do not fit (negative, too large, no number) become 0.
unsigned ReportedUnsigned(double value);

}  // namespace App
