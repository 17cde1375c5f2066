#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace kelvasta {

// What the planning window holds as typed: its design, mode, sides and every
// input cell's text. The work file keeps it; the window restores it exactly.
struct PlanningState {
  int design = 0;          // 0 to 7, as the test buttons
  bool findPower = false;  // false: find the sample size; true: find the power
  int sides = 2;           // 1 or 2
  QMap<QString, QString> inputs;  // input key (as in Power.<key>) -> text
  // Set while inputs still hold what "用当前数据" filled: the keys it filled
  // and how the sentence names their source.
  QStringList pilotKeys;
  QString pilotSource;

  friend bool operator==(const PlanningState&, const PlanningState&) = default;
};

}  // namespace kelvasta
