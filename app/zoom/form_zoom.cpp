// Zooming the form, and the window's size and place on the screen.
#include "app/chart/chart_tab.h"
#include "app/controls.h"
#include "app/details/details_pane.h"
#include "app/kept_settings.h"
#include "app/main_window.h"
#include "app/twips.h"
#include "app/zoom/font_scaling.h"
#include "app/zoom/zoom_steps.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvasta {

namespace {
const QString kZoomKey = QStringLiteral("window/zoom");
const QString kGeometryKey = QStringLiteral("window/geometry");
// The window frame before the window manager has drawn one: a title bar and
// thin borders.
const QSize kFrameEstimate(16, 40);
constexpr int kSlack = 2;

QSize FrameExtra(const QWidget& window) {
  const QSize drawn = window.frameGeometry().size() - window.geometry().size();
  return window.isVisible() && !drawn.isEmpty() ? drawn : kFrameEstimate;
}
}  // namespace

void MainWindow::SetZoom(int percent) {
  const int target = ValidZoom(percent);
  if (target == zoom_) return;
  const double from = zoom_ / 100.0;
  zoom_ = target;
  layOutForm(from, zoom_ / 100.0);
  fitWindow();
  keepPlacement();
  emit zoomChanged(zoom_);
}

void MainWindow::layOutForm(double from, double to) {
  for (QWidget* control : factory_.controls()) {
    const QRect twips = FormTwips(control);
    if (!twips.isNull()) control->setGeometry(TwipsRect(twips, to));
  }
  client_->setFixedSize(TwipsToPixels(formTwips_.width(), to), TwipsToPixels(formTwips_.height(), to));
  formSize_ = client_->size();
  ScaleFonts(host_, to / from);
  ScaleFonts(menuBar(), to / from);
  details_->restyleRows();
  paintToolIcons();
  placeDetailsPane();
  applyDetailsShown(detailsAction_->isChecked());
  details_->chart().requestRedraw();  // its fonts follow the zoom
}

void MainWindow::paintToolIcons() {
  const std::pair<int, const char*> icons[] = {{0, "import"}, {1, "export"}, {3, "tutorial"}, {4, "help"}};
  for (const auto& [item, icon] : icons) {
    QLabel* image = c_.Image7(item);
    image->setPixmap(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))).pixmap(image->size()));
  }
}

void MainWindow::fitWindow() {
  centralWidget()->updateGeometry();
  layout()->invalidate();
  // Two pixels to spare: under a fractional scale factor, or a window
  // manager that takes a pixel, a window of exactly the form's size would
  // come out a pixel short and scroll.
  const QSize whole = sizeHint() + QSize(kSlack, kSlack);
  setMaximumSize(whole);
  QSize size = whole;
  // Scripts see the whole form whatever the screen; a person sees what fits
  // and scrolls to the rest.
  if (!scriptMode() && screen() != nullptr)
    size = size.boundedTo(screen()->availableGeometry().size() - FrameExtra(*this));
  resize(size);
  if (!scriptMode() && isVisible() && screen() != nullptr) {
    const QRect area = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    move(std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())),
         std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
  }
}

void MainWindow::PlaceOnScreen() {
  if (scriptMode()) return;
  QSettings kept = KeptSettings();
  bool keptZoom = false;
  const int zoom = kept.value(kZoomKey).toInt(&keptZoom);
  // A zoom that is not one of the steps was not written by this program.
  if (keptZoom && zoom == ValidZoom(zoom)) {
    const QByteArray geometry = kept.value(kGeometryKey).toByteArray();
    SetZoom(zoom);
    if (restoreGeometry(geometry)) return;
  } else if (screen() != nullptr) {
    // The menu bar scales with the form, the frame does not.
    const QSize content = sizeHint();
    const QSize atHundred(content.width() * 100 / zoom_, content.height() * 100 / zoom_);
    SetZoom(FittingZoom(atHundred, FrameExtra(*this), screen()->availableGeometry().size()));
    // Rounding and the menu bar's own padding can leave the window a few
    // pixels short of the form: then the zoom below, so that the whole form
    // shows without scroll bars.
    while (zoom_ > kMinZoom && size() != maximumSize()) SetZoom(ZoomedOut(zoom_));
  }
  if (screen() == nullptr) return;
  // Centred in the area the taskbar and panels leave, its top-left corner
  // always inside it.
  const QRect area = screen()->availableGeometry();
  const QSize frame = size() + FrameExtra(*this);
  move(area.left() + std::max(0, (area.width() - frame.width()) / 2),
       area.top() + std::max(0, (area.height() - frame.height()) / 2));
  keepPlacement();
}

void MainWindow::keepPlacement() const {
  if (scriptMode()) return;
  QSettings kept = KeptSettings();
  kept.setValue(kZoomKey, zoom_);
  kept.setValue(kGeometryKey, saveGeometry());
}

}  // namespace kelvasta
