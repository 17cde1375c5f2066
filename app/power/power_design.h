#pragma once

// One design of the planning window: its inputs, the computation of its
// report and where "用当前数据" takes its planning values from. The window
// knows designs only through this; adding a design is adding one unit that
// gives a PowerDesign and naming it in PowerDesigns().

#include "app/chart/chart_model.h"
#include "app/details/details_report.h"
#include "app/power/planning_state.h"
#include "stats/figures.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <functional>
#include <vector>

namespace kelvasta {

class MainWindow;

// Which mode shows an input.
enum class InputMode { kBoth, kSampleSize, kPower };

// One input cell, Power.<key>.
struct PlanningInput {
  QString key;
  QString label;             // "检验水准 α"
  QString hint;              // the unit or range beside the cell
  QString initial{};         // the text it starts with
  InputMode mode = InputMode::kBoth;
  bool percent = false;      // "10%" reads as 0.1
  QString rangeNote{};       // after the label, for a value out of range: "须大于0"
  QString noEffectNote{};    // the whole note for a value that plans no effect
  QString sumNote{};         // the whole note for a row of shares it heads that does not sum to 1
  QString exactNote{};       // the whole note for a size beyond the exact method's reach
};

// What the window shows and copies for a state.
struct PlanningReport {
  FigureList figures;            // the dump's figures, in the table's order
  std::vector<DetailsRow> rows;  // label | shown text, under headings
  QStringList notes;             // what is wrong with the inputs, each once
  QString sentence;              // the protocol paragraph
  ChartModel chart;              // the power curve
};

// Planning values taken from a panel's data.
struct PilotValues {
  QMap<QString, QString> texts;  // input key -> text
  QString source;                // how the sentence names them, e.g. "取自预试验数据（…）"
  QString note;                  // why there are none
};

struct PowerDesign {
  QString name;  // the design button's caption
  bool usesSides = true;
  std::vector<PlanningInput> inputs;  // every input it may show, in order
  // The keys shown for `state`, in order (by mode, and by the number of groups).
  std::function<QStringList(const PlanningState& state)> shownKeys;
  // The report of `state`, where `source` names the pilot data the planning
  // values came from (empty when typed). Runs on a worker thread: it reads
  // only its arguments and may stop early once `cancel` is set.
  std::function<PlanningReport(const PlanningState& state, const QString& source, const std::atomic<bool>& cancel)>
      compute;
  // The planning values from the matching test's panel.
  std::function<PilotValues(const MainWindow& window)> pilot;
};

// Designs 0 to 7, as the test buttons.
const std::array<PowerDesign, 8>& PowerDesigns();

}  // namespace kelvasta
