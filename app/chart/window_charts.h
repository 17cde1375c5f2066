#pragma once

#include "app/chart/chart_model.h"

#include <cstddef>
#include <functional>

namespace kelvasta {

class MainWindow;

// The chart of the window's selected test, read from its lists, summary
// cells and grids as the panels show them: raw values as dots with each
// mean and the chosen interval when the summary cells still hold what the
// lists wrote, the typed summary figures otherwise. Without a chosen
// interval the raw values get the 95% CI of each mean and the summary
// figures ± SD.
ChartModel ChartForWindow(const MainWindow& window, std::optional<ErrorBarKind> errorBars);

// The same chart in two steps: what it needs is read from the window now
// (the lists' values shared as they stand), and `make` builds it later on any thread. `values` is
// how many list items it holds, to tell a build worth moving off the
// user-interface thread.
struct ChartBuild {
  std::function<ChartModel()> make;
  std::size_t values = 0;
};
ChartBuild ChartBuildForWindow(const MainWindow& window, std::optional<ErrorBarKind> errorBars);

}  // namespace kelvasta
