#include "app/main_window.h"
#include "app/power/power_window.h"

namespace kelvasta {

PowerWindow& MainWindow::ensurePowerWindow() {
  if (power_ == nullptr) {
    power_ = new PowerWindow(*this, desktop_, this);
    connect(this, &MainWindow::zoomChanged, power_, &PowerWindow::setZoom);
  }
  return *power_;
}

void MainWindow::ShowPowerWindow() { ensurePowerWindow().open(currentTest_); }

}  // namespace kelvasta
