#pragma once

#include "app/details/details_report.h"
#include "app/test_table.h"

#include <array>

namespace kelvasta {

// One report builder per test, indexed by TestIndex.
using ReportBuilders = std::array<ReportBuilder, kTestCount>;

// The report of a test without a builder of its own: the panel title (the
// test button's caption) and where its data come from, no figures.
DetailsBuild DefaultReport(const MainWindow& window);

// The builders the window starts with.
ReportBuilders StandardReportBuilders();

}  // namespace kelvasta
