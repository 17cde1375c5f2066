// Where the work file meets the planning window: the only two places the
// rest of the window reaches it.
#include "app/main_window.h"
#include "app/power/power_window.h"

namespace kelvasta {

// Nothing to keep until the planning window was first opened.
std::optional<PlanningState> MainWindow::planningState() const {
  if (power_ == nullptr) return std::nullopt;
  return power_->state();
}

// Work that holds a plan opens with its planning window shown, as it was
// when the plan was kept.
void MainWindow::restorePlanning(const PlanningState& state) {
  PowerWindow& window = ensurePowerWindow();
  window.restore(state);
  window.show();
  planningEdited_ = false;
}

}  // namespace kelvasta
