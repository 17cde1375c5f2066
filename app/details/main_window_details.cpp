#include "app/chart/chart_tab.h"
#include "app/desktop.h"
#include "app/details/details_pane.h"
#include "app/kept_settings.h"
#include "app/main_window.h"
#include "app/power/power_window.h"
#include "app/twips.h"

#include <QAction>
#include <QLayout>
#include <QSignalBlocker>

namespace kelvasta {

namespace {
// 4800 twips: with the form the window stays under 1000 pixels wide.
constexpr int kPaneWidth = 4800;
const QString kShownKey = QStringLiteral("details/shown");
}  // namespace

bool MainWindow::scriptMode() const { return dynamic_cast<const RecordingDesktop*>(&desktop_) != nullptr; }

void MainWindow::buildDetailsPane() {
  details_ = new DetailsPane(*this, host_);
  // As wide as the zoom makes it and as tall as the window: its table
  // scrolls, its sentence stays at the foot.
  details_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  host_->layout()->addWidget(details_);
  placeDetailsPane();
  // Connected after the panels' own handlers, so the pane follows their captions.
  details_->watch(c_);
  connect(importAction_, &QAction::triggered, details_, &DetailsPane::requestRefresh);
  details_->chart().setDesktop(&desktop_);
  // "显示图表" follows the pane's tabs, whichever way they change.
  if (auto* chartAction = findChild<QAction*>(QStringLiteral("ShowChart"))) {
    connect(details_, &DetailsPane::chartShownChanged, chartAction, [chartAction](bool shown) {
      const QSignalBlocker blocker(chartAction);
      chartAction->setChecked(shown);
    });
  }
  const bool shown = scriptMode() || KeptSettings().value(kShownKey, true).toBool();
  const QSignalBlocker blocker(detailsAction_);
  detailsAction_->setChecked(shown);
  applyDetailsShown(shown);
  details_->requestRefresh();
}

void MainWindow::placeDetailsPane() {
  details_->setFixedWidth(TwipsToPixels(kPaneWidth, zoom_ / 100.0));
}

void MainWindow::applyDetailsShown(bool shown) {
  details_->setVisible(shown);
}

void MainWindow::SetDetailsShown(bool shown) {
  if (detailsAction_->isChecked() != shown) {
    const QSignalBlocker blocker(detailsAction_);
    detailsAction_->setChecked(shown);
  }
  applyDetailsShown(shown);
  if (!scriptMode()) KeptSettings().setValue(kShownKey, shown);
  // The window grows or shrinks by the pane's width.
  fitWindow();
}

void MainWindow::CopyResults() {
  if (power_ != nullptr && power_->isActiveWindow()) {
    power_->copyToClipboard();
    return;
  }
  details_->copyToClipboard();
}

}  // namespace kelvasta
