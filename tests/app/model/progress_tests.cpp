// What the progress page shows for the engine's reports: the download's share of the bar, the
// installer's fraction that moves on with every report and never back, and the text's template.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "app/install_progress.h"

namespace {

TEST(InstallProgress, TheDownloadFillsItsShareOfTheBar) {
  const struct {
    double fraction;
    double scale;
    int percent;
  } cases[] = {
      {0.5, 0.7, 35},  {0.0, 0.7, 0},   {1.0, 0.7, 70},   {0.999, 0.7, 69},
      {1.0, 1.0, 100}, {2.0, 1.0, 100}, {-1.0, 0.7, 0},   {0.5, 5.0, 100},
      {std::nan(""), 0.7, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(App::DownloadPercent(c.fraction, c.scale), c.percent)
        << c.fraction << " at scale " << c.scale;
  }
}

TEST(InstallProgress, EachInstallerReportMovesTheBarOnAndNeverBack) {
  // With the download's share at 0.7: the first report of 0.0 shows 74 %, the next 78 %.
  double f = App::AdvanceInstallFraction(0.0, 0.0);
  EXPECT_EQ(App::InstallPercent(f, 0.7), 74);
  f = App::AdvanceInstallFraction(f, 0.0);
  EXPECT_EQ(App::InstallPercent(f, 0.7), 78);
  // A report of the whole shows 100 %; a later smaller one still shows at least 98 %.
  f = App::AdvanceInstallFraction(f, 1.0);
  EXPECT_EQ(App::InstallPercent(f, 0.7), 100);
  f = App::AdvanceInstallFraction(f, 0.1);
  EXPECT_GE(App::InstallPercent(f, 0.7), 98);
  EXPECT_GE(f, 0.95);
}

TEST(InstallProgress, TheStepStopsShortOfTheWholeAndReportsOutsideTheRangeAreHeld) {
  double f = 0.0;
  for (int i = 0; i < 20; ++i) f = App::AdvanceInstallFraction(f, 0.0);
  EXPECT_DOUBLE_EQ(f, App::kInstallStepLimit);
  EXPECT_DOUBLE_EQ(App::AdvanceInstallFraction(0.0, 7.0), 1.0);
  EXPECT_DOUBLE_EQ(App::AdvanceInstallFraction(0.2, -3.0), 0.2 + App::kInstallStep);
  EXPECT_DOUBLE_EQ(App::AdvanceInstallFraction(0.2, std::nan("")), 0.2 + App::kInstallStep);
  EXPECT_DOUBLE_EQ(App::AdvanceInstallFraction(0.99, 0.0), 0.99);  // past the step's end: stays
}

TEST(InstallProgress, TheTextTurnsPatientAfterAMinuteUnlessTheSkinHasItsOwn) {
  EXPECT_EQ(App::ProgressTemplate(L"", false, 0.0), App::kProgressTemplate);
  EXPECT_EQ(App::ProgressTemplate(L"", true, 60.0), App::kProgressTemplate);
  EXPECT_EQ(App::ProgressTemplate(L"", true, 61.0), App::kProgressTemplatePatient);
  EXPECT_EQ(App::ProgressTemplate(L"", false, 61.0), App::kProgressTemplate);
  EXPECT_EQ(App::ProgressTemplate(L"own %d", true, 61.0), L"own %d");
}

TEST(InstallProgress, ReportedNumbersThatDoNotFitBecomeZero) {
  EXPECT_EQ(App::ReportedUnsigned(3000.0), 3000u);
  EXPECT_EQ(App::ReportedUnsigned(4294967295.0), 4294967295u);
  EXPECT_EQ(App::ReportedUnsigned(4294967296.0), 0u);
  EXPECT_EQ(App::ReportedUnsigned(-1.0), 0u);
  EXPECT_EQ(App::ReportedUnsigned(std::numeric_limits<double>::quiet_NaN()), 0u);
}

}  // namespace
