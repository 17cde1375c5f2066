#pragma once

#include "app/details/details_report.h"
#include "app/details/latest_job_runner.h"
#include "app/details/report_builders.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>

class QLabel;
class QTabWidget;
class QTableWidget;

namespace kelvasta {

class ChartTab;
struct Controls;

// The details pane beside the test panels: a title line, a table of labelled
// figures under small headings, and the sentence. It rebuilds its report
// from the window whenever the data change, once per burst of changes and
// only while it is shown; a builder's slow part runs on a worker thread and
// its result is shown only if no change came in between.
class DetailsPane : public QWidget {
  Q_OBJECT

 public:
  DetailsPane(const MainWindow& window, QWidget* parent);
  ~DetailsPane() override;

  // Replaces the builder of test `test` (0 to 7).
  void setBuilder(int test, ReportBuilder builder);
  // Refreshes on every change of the cells, scroll bars and test buttons.
  void watch(const Controls& c);

  // Asks for a refresh after the current event (many asks, one refresh).
  void requestRefresh();
  // Makes the shown report (and a shown chart) current now: runs an
  // asked-for refresh and waits
  // for a running slow part, processing events meanwhile. Works while
  // hidden too.
  void ensureCurrent();
  // The latest report (on display, or that would be while hidden; while all
  // its rows wait for the worker, the table still shows the previous ones).
  const DetailsReport& report() const { return report_; }

  // Puts the current report on the clipboard as HTML and plain text.
  void copyToClipboard();
  // The pane's fonts were scaled: the rows that set a font of their own
  // (the headings) take it from the table's new one.
  void restyleRows();
  // Whether this pane has put something on the clipboard.
  bool hasCopied() const { return copied_; }

  void setVisible(bool visible) override;

  // The "图表" tab beside the figures.
  ChartTab& chart() { return *chart_; }
  const ChartTab& chart() const { return *chart_; }
  // Brings the chart's tab (true) or the figures' tab (false) to the front.
  void setChartShown(bool shown);
  bool chartShown() const;

 protected:
  // The labels' column keeps its share of the new width.
  void resizeEvent(QResizeEvent* event) override;

 signals:
  // A report was put on display.
  void reportShown();
  // The chart's tab came to the front (true) or left it (false).
  void chartShownChanged(bool shown);

 private:
  void refreshNow();
  void display(DetailsReport report);
  void showRows(const DetailsReport& report);
  void fitLabelColumn();
  static bool AllPending(const std::vector<DetailsRow>& rows);
  void finishJob(std::uint64_t generation, DetailsReport report);

  const MainWindow& window_;
  ReportBuilders builders_;
  QTimer refreshTimer_;
  // Each refresh takes a new generation; a slow part's result is shown only
  // if its generation is still the newest.
  std::uint64_t generation_ = 0;
  bool awaitingJob_ = false;
  // Data changed while hidden.
  bool stale_ = true;
  bool copied_ = false;
  DetailsReport report_;
  // The rows the table shows: report_'s, or those before it while all of
  // report_'s wait for the worker.
  std::vector<DetailsRow> shownRows_;
  QLabel* title_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* sentence_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  ChartTab* chart_ = nullptr;
  // Last, so that it stops its thread before anything the thread posts to.
  LatestJobRunner runner_;
};

}  // namespace kelvasta
