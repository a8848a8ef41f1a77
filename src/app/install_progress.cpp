#include "app/install_progress.h"

#include <cmath>

namespace App {

const wchar_t kProgressTemplate[] = L"正在安装中:%d%%，请稍候...";
const wchar_t kProgressTemplatePatient[] = L"正在安装中:%d%%，请耐心等待...";

namespace {

constexpr double kPatientAfterSeconds = 60.0;

// A percentage from a fraction of the whole bar, cut to an integer; a command line may set the
// download's share to anything, so the result is held to the bar.
int PercentOf(double fraction) {
  const double percent = fraction * 100.0;
  if (!(percent > 0.0)) return 0;  // also no number
  if (percent >= 100.0) return 100;
  return static_cast<int>(percent);
}

}  // namespace

int DownloadPercent(double downloadFraction, double downloadScale) {
  return PercentOf(downloadFraction * downloadScale);
}

double AdvanceInstallFraction(double shown, double reported) {
  double next = shown + kInstallStep;
  if (next > kInstallStepLimit) next = kInstallStepLimit;
  if (next < shown) next = shown;  // past the step's limit already: stay
  if (!std::isnan(reported)) {
    const double clamped = reported < 0.0 ? 0.0 : (reported > 1.0 ? 1.0 : reported);
    if (clamped > next) next = clamped;
  }
  return next;
}

int InstallPercent(double installFraction, double downloadScale) {
  return PercentOf((1.0 - downloadScale) * installFraction + downloadScale);
}

std::wstring ProgressTemplate(const std::wstring& skinTemplate, bool stopwatchRunning,
                              double elapsedSeconds) {
  if (!skinTemplate.empty()) return skinTemplate;
  if (stopwatchRunning && elapsedSeconds > kPatientAfterSeconds) return kProgressTemplatePatient;
  return kProgressTemplate;
}

unsigned ReportedUnsigned(double value) {
  if (!(value >= 0.0) || value > 4294967295.0) return 0;
  return static_cast<unsigned>(value);
}

}  // namespace App
