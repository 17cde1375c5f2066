#pragma once

// What the planning designs share on the window's side: reading the typed
// inputs, the notes, the texts of the sentence and the power curve's chart.

#include "app/power/power_design.h"
#include "stats/planning.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace kelvasta::planning {

// The inputs every design has, and the sample sizes typed in mode "power".
PlanningInput AlphaInput();
PlanningInput PowerInput();
PlanningInput RatioInput();
PlanningInput DropoutInput();
PlanningInput SizeInput(const QString& key, const QString& label, const QString& hint, int least);

// The keys of `inputs` that `state`'s mode shows, in order.
QStringList KeysForMode(const std::vector<PlanningInput>& inputs, const PlanningState& state);

// A typed number: blanks around, an optional trailing "%" where allowed
// (dividing by 100), then a finite decimal number; empty for anything else.
std::optional<double> ReadNumber(const QString& text, bool percent);

// Reads one design's inputs from a state and gathers the notes about them.
class InputReader {
 public:
  InputReader(const std::vector<PlanningInput>& inputs, const PlanningState& state);

  // The value of `key`, NaN when it is empty or not a number (noted once).
  double value(const QString& key);
  // The goal: the mode and sides of the state, alpha, and in mode "n" the
  // target power and the dropout rate.
  PlanningGoal goal();
  // The value as the sentence shows it: as typed when it is a plain decimal,
  // else rounded to four decimals.
  QString shown(const QString& key) const;
  // Notes for the problems the arithmetic found.
  void note(const std::vector<PlanningProblem>& problems);
  const QStringList& notes() const { return notes_; }
  const PlanningState& state() const { return state_; }

 private:
  const PlanningInput* find(const QString& key) const;
  void add(const QString& note);

  const std::vector<PlanningInput>& inputs_;
  const PlanningState& state_;
  QStringList notes_;
};

// "双侧α = 0.05", "单侧α = 0.05", or "α = 0.05" where sides do not apply.
QString AlphaClause(const InputReader& in, bool usesSides);
// "10%" for 0.1.
QString PercentText(double fraction);
// "10、12和14".
QString JoinValues(const QStringList& values);
// A whole number of cases as the sentence writes it.
QString Count(double n);

// The power curve: power against `xTitle`, the n marked: the one typed when
// the power is sought, else the one found, with the target power as a dashed
// line. No panel when the curve is empty.
ChartModel PowerCurveChart(const std::vector<PowerPoint>& curve, const QString& xTitle, bool findPower, double typed,
                           double found, double targetPower);

}  // namespace kelvasta::planning
