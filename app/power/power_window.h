#pragma once

#include "app/details/latest_job_runner.h"
#include "app/power/planning_state.h"
#include "app/power/power_design.h"

#include <QMap>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTableWidget;

namespace kelvasta {

class ChartView;
class Desktop;
class MainWindow;

// "样本量与检验效能": plans a study for one of the eight tests before its data
// exist. Its design buttons, modes, sides and input cells recompute the plan
// at every change, off the user-interface thread (the latest change only),
// and show the figures, a power curve, the notes and the protocol sentence.
// Non-modal, created once; its fonts follow the main window's zoom.
class PowerWindow : public QWidget {
  Q_OBJECT

 public:
  PowerWindow(const MainWindow& main, Desktop& desktop, QWidget* owner);
  ~PowerWindow() override;

  // Shows and activates the window on `design` (0 to 7).
  void open(int design);
  void selectDesign(int design);

  // Everything typed, every input cell's text included.
  PlanningState state() const;
  // Sets every button and input exactly as `state` holds them (cells it
  // does not name take their first text) and recomputes once.
  void restore(const PlanningState& state);

  // Makes the shown report current now, waiting for a computation still
  // running.
  void ensureCurrent();
  const PlanningReport& report() const { return report_; }
  // The notes on display: the last "用当前数据"'s, then the report's.
  QStringList notes() const;
  // The keys of the inputs on display, in order.
  QStringList shownKeys() const;

  // "用当前数据": the planning values from the matching panel's data.
  void useData();
  // "复制结果": inputs, figures, notes and sentence as HTML and as
  // tab-separated text.
  void copyToClipboard();
  bool hasCopied() const { return copied_; }
  // The power curve as a 300 dpi picture, or saved where the desktop's
  // dialog says (.png, .svg, .pdf).
  void copyChart() const;
  void saveChart();

  // The fonts at `percent` of their own size.
  void setZoom(int percent);

  // The controls the automation script reaches, named "Power.<…>".
  const std::vector<QWidget*>& namedControls() const { return named_; }

 signals:
  // The user changed the design, mode, sides or an input (restore does not
  // count).
  void edited();

 private:
  void buildButtons(QGridLayout* designs, QWidget* modes);
  void buildInputs();
  QWidget* buildResults();
  template <class Widget>
  Widget* named(Widget* widget, const QString& name);
  void setChecked(QButtonGroup* group, int id);
  void layOutInputs();
  void fitInputs();
  void fitOnScreen();
  void changed();
  void requestRecompute();
  void recomputeNow();
  void finish(std::uint64_t generation, PlanningReport report);
  void display();
  // The pilot's source while its values stand as filled in.
  QString pilotSource() const;

  const MainWindow& main_;
  Desktop& desktop_;
  std::vector<QWidget*> named_;
  int design_ = 0;
  bool findPower_ = false;
  int sides_ = 2;
  int zoom_ = 100;
  QButtonGroup* designs_ = nullptr;
  QButtonGroup* modes_ = nullptr;
  QButtonGroup* sideButtons_ = nullptr;
  QMap<QString, QLineEdit*> cells_;
  QMap<QString, QLabel*> labels_;
  QMap<QString, QLabel*> hints_;
  QGridLayout* inputsGrid_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QStringList shown_;
  QLabel* title_ = nullptr;
  QTableWidget* table_ = nullptr;
  QLabel* notes_ = nullptr;
  QLabel* sentence_ = nullptr;
  ChartView* chart_ = nullptr;
  PlanningReport report_;
  PilotValues pilot_;
  QString pilotNote_;
  bool copied_ = false;
  bool restoring_ = false;
  QTimer timer_;
  std::uint64_t generation_ = 0;
  bool awaiting_ = false;
  // Last: destroyed first, waiting for a computation still running.
  LatestJobRunner runner_;
};

}  // namespace kelvasta
