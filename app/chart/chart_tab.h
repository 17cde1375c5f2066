#pragma once

#include "app/chart/chart_model.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

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
// frame and never more than a third of the time, and only while shown.
class ChartTab : public QWidget {
  Q_OBJECT

 public:
  ChartTab(const MainWindow& window, QWidget* parent);

  // The window's data changed.
  void requestRedraw();
  // Redraws now if a change is waiting and the tab is shown.
  void ensureCurrent();
  // The chart of the window as it stands (what the tab shows once current).
  ChartModel model() const;

  // The chart onto the clipboard as a 300 dpi image of the default size.
  void copyToClipboard() const;
  // Asks `desktop` for a path and saves there by its extension (.png, .svg,
  // .pdf); says so through the desktop when the file cannot be written.
  void saveAs(Desktop& desktop);
  // Where saveAs asks: set once by the window.
  void setDesktop(Desktop* desktop) { desktop_ = desktop; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void redraw();
  std::optional<ErrorBarKind> chosenErrorBars() const;

  const MainWindow& window_;
  Desktop* desktop_ = nullptr;
  QLabel* caption_ = nullptr;
  QComboBox* errorBars_ = nullptr;
  ChartView* view_ = nullptr;
  QTimer timer_;
  bool dirty_ = true;
  // Set once the user picks an interval; until then it follows the data.
  bool errorBarsChosen_ = false;
};

}  // namespace kelvasta
