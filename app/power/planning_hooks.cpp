// Where the work file meets the planning window: the only two places the
// rest of the window reaches it.
#include "app/main_window.h"

namespace kelvasta {

std::optional<PlanningState> MainWindow::planningState() const { return std::nullopt; }

void MainWindow::restorePlanning(const PlanningState&) {}

}  // namespace kelvasta
