#pragma once

// "用当前数据": the planning values a pilot study typed into a panel gives,
// figured as the details pane figures them (the lists at full precision, or
// the summary cells as shown).

#include "app/power/power_design.h"

namespace kelvasta {

class MainWindow;

// The two groups' means and their pooled SD (test 0).
PilotValues TwoGroupsPilot(const MainWindow& window);
// The mean and SD of the paired differences, first − second (test 1).
PilotValues PairedPilot(const MainWindow& window);
// Three groups: k = 3, their means and the within-groups SD √MSw (test 2).
PilotValues ThreeGroupsPilot(const MainWindow& window);
// Pearson's r of the two columns (test 6).
PilotValues CorrelationPilot(const MainWindow& window);

// A value as the cell takes it: the shortest text that reads back to it.
QString PilotText(double value);

}  // namespace kelvasta
