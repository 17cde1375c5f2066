#pragma once

#include "app/chart/chart_model.h"
#include "app/details/latest_job_runner.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <optional>

class QComboBox;
class QLabel;

namespace kelvasta {

class ChartView;
class Desktop;
class MainWindow;

// The details pane's "图表" tab: the chart of the selected test and, for
// the mean charts, the choice of interval (ChartErrorBars). Changes only
// mark the chart out of date; it is redrawn by a timer, at most once a
// frame and never more than a third of the time, and only while shown. The
// chart of long lists is built on a worker thread from their values as they
// stood (shared with the lists, which copy before changing them) and
// drawn when it comes back, so typing never waits for it.
class ChartTab : public QWidget {
  Q_OBJECT

 public:
  ChartTab(const MainWindow& window, QWidget* parent);

  // The window's data changed.
  void requestRedraw();
  // Redraws now if a change is waiting and the tab is shown.
  void ensureCurrent();
  // Whether the drawn chart shows the window's last change.
  bool isCurrent() const { return changes_ == drawn_; }
  // The chart of the window as it stands (what the tab shows once current).
  ChartModel model() const;

  // The chart onto the clipboard as a 300 dpi image of the default size.
  void copyToClipboard() const;
  // Asks `desktop` for a path and saves there by its extension (.png, .svg,
  // .pdf); says so through the desktop when the file cannot be written.
  void saveAs(Desktop& desktop);
  // The selected test's name, and a saved chart's document title: the name
  // and today's date.
  QString testName() const;
  QString documentTitle() const;
  // Where saveAs asks: set once by the window.
  void setDesktop(Desktop* desktop) { desktop_ = desktop; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void redraw();
  // Draws `chart`, the window as it stood after `changes` changes.
  void show(const ChartModel& chart, std::uint64_t changes);
  std::optional<ErrorBarKind> chosenErrorBars() const;

  const MainWindow& window_;
  Desktop* desktop_ = nullptr;
  QLabel* caption_ = nullptr;
  QComboBox* errorBars_ = nullptr;
  ChartView* view_ = nullptr;
  QTimer timer_;
  // Changes requested, and the change the drawn chart shows: it is out of
  // date while they differ.
  std::uint64_t changes_ = 1;
  std::uint64_t drawn_ = 0;
  // Set once the user picks an interval; until then it follows the data.
  bool errorBarsChosen_ = false;
  // The newest build sent to the worker; an older one that comes back late
  // is not drawn.
  std::uint64_t generation_ = 0;
  // Last: destroyed first, waiting for a build still running.
  LatestJobRunner builds_;
};

}  // namespace kelvasta
