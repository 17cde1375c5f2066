#pragma once

#include "stats/figures.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <utility>
#include <vector>

namespace kelvasta {

class MainWindow;

// One line of the pane's table: a label and its shown text, or a small bold
// heading that groups the lines below it (its value is empty).
struct DetailsRow {
  QString label;
  QString value;
  bool heading = false;
  friend bool operator==(const DetailsRow&, const DetailsRow&) = default;
};

// The shown text of a row whose figure the worker thread is still computing.
inline const QString kPending = QStringLiteral("计算中…");

// Everything the pane shows and copies for the selected test.
struct DetailsReport {
  QString test;        // the title line
  QString source;      // "raw", "summary" or "table"
  FigureList figures;  // for the automation dump, in the pane's order
  std::vector<DetailsRow> rows;
  QString sentence;
  // The inputs as a grid for copying: the table cells or each group's summary
  // figures; the first row holds the headings.
  std::vector<QStringList> inputs;
  // The typed values themselves where the inputs are lists of pairs (paired
  // t, correlation), first row the headings; filled only for copying.
  std::vector<QStringList> data;
  // The panel's own captions for copying: label and shown text.
  std::vector<std::pair<QString, QString>> captions;
};

// The slow part of a report (sorting a million values, enumerating tables).
// It runs on a worker thread, completes `report` (a copy of the one already
// shown) and may return early once `cancel` is set, which happens as soon as
// the data change again; a cancelled job's report is dropped. A job must not
// touch the window: it captures by value what it needs.
using DetailsJob = std::function<void(DetailsReport& report, const std::atomic<bool>& cancel)>;

// What a builder gives: the report to show at once and, optionally, the job
// that completes it.
struct DetailsBuild {
  // Implicit, so that a builder without a slow part returns its report.
  DetailsBuild(DetailsReport shown, DetailsJob slowPart = {})
      : report(std::move(shown)), job(std::move(slowPart)) {}
  DetailsReport report;
  DetailsJob job;
};

// Builds the report of the window's selected test from its controls and
// storage, on the user-interface thread, after the panel wrote its captions.
using ReportBuilder = std::function<DetailsBuild(const MainWindow& window)>;

}  // namespace kelvasta
