#include "app/main_window.h"
#include "app/work/work_recovery.h"
#include "app/power/power_window.h"

namespace kelvasta {

PowerWindow& MainWindow::ensurePowerWindow() {
  if (power_ == nullptr) {
    power_ = new PowerWindow(*this, desktop_, this);
    connect(this, &MainWindow::zoomChanged, power_, &PowerWindow::setZoom);
    // A planning edit is unsaved work like a typed value.
    connect(power_, &PowerWindow::edited, this, [this] {
      planningEdited_ = true;
      showWorkCaption();
      if (recovery_ != nullptr) recovery_->schedule();
    });
  }
  return *power_;
}

void MainWindow::ShowPowerWindow() { ensurePowerWindow().open(currentTest_); }

}  // namespace kelvasta
