#pragma once

#include "app/chart/chart_model.h"

namespace kelvasta {

class MainWindow;

// The chart of the window's selected test, read from its lists, summary
// cells and grids as the panels show them: raw values as dots with each
// mean and the chosen interval when the summary cells still hold what the
// lists wrote, the typed summary figures otherwise. Without a chosen
// interval the raw values get the 95% CI of each mean and the summary
// figures ± SD.
ChartModel ChartForWindow(const MainWindow& window, std::optional<ErrorBarKind> errorBars);

}  // namespace kelvasta
