#include "app/details/report_builders.h"

#include "app/details/count_reports.h"
#include "app/details/mean_reports.h"
#include "app/main_window.h"

#include <QPushButton>

namespace kelvasta {

DetailsBuild DefaultReport(const MainWindow& window) {
  const int test = window.CurrentTest();
  DetailsReport report;
  report.test = window.controls().Command1(test)->text();
  report.source =
      kTests.at(static_cast<std::size_t>(test)).valueList ? QStringLiteral("raw") : QStringLiteral("table");
  return report;
}

// A test's own builder takes its place below with one assignment.
ReportBuilders StandardReportBuilders() {
  ReportBuilders builders;
  builders.fill(DefaultReport);
  builders[kTwoSampleT] = BuildTwoSampleReport;
  builders[kPairedT] = BuildPairedTReport;
  builders[kAnova] = BuildAnovaReport;
  builders[kCorrelation] = BuildCorrelationReport;
  builders[kFourfold] = BuildFourfoldReport;
  builders[kPairedChiSquare] = BuildPairedFourfoldReport;
  builders[kSeveralRates] = BuildRxcReport;
  builders[kOrdinal] = BuildOrdinalReport;
  return builders;
}

}  // namespace kelvasta
