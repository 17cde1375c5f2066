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

// The observed rates a/(a + b) and c/(c + d) of the fourfold table (test 3).
PilotValues FourfoldPilot(const MainWindow& window);
// The discordant shares b/n and c/n of the paired table (test 4).
PilotValues PairedTablePilot(const MainWindow& window);
// The R x C table's rows and columns with cases: r, c, each row's share of
// the total and each row's composition (test 5).
PilotValues RxcTablePilot(const MainWindow& window);
// Each group's shares of the four grades (test 7).
PilotValues OrdinalTablePilot(const MainWindow& window);

// A value as the cell takes it: the shortest text that reads back to it.
QString PilotText(double value);
// Nothing to take from test `test`'s panel: not on screen (or empty), or
// `shown` but its data do not give the planning values.
PilotValues NoPilot(int test, bool shown);
// "取自预试验数据：第1组20例、第2组18例".
QString SizesSource(const QStringList& sizes);

}  // namespace kelvasta
