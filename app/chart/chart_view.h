#pragma once

#include "app/chart/chart_model.h"

#include <QImage>
#include <QSizeF>
#include <QWidget>

class QCustomPlot;

namespace kelvasta {

// Draws a ChartModel with QCustomPlot. The only place that knows the
// plotting library: the rest of the program speaks ChartModel, so another
// library can take its place here.
class ChartView : public QWidget {
  Q_OBJECT

 public:
  explicit ChartView(QWidget* parent = nullptr);

  // Replaces what is drawn and repaints.
  void draw(const ChartModel& model);

 signals:
  // The context menu's entries.
  void copyRequested();
  void saveRequested();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QCustomPlot* plot_ = nullptr;
};

// The default size of a saved chart, in centimetres, and its resolution.
inline constexpr double kChartWidthCm = 12;
inline constexpr double kChartHeightCm = 9;
inline constexpr int kChartDpi = 300;

// The chart drawn at `sizeCm` and `dpi`: round(cm / 2.54 · dpi) pixels a
// side, with the resolution written into the image (dots per metre), fonts
// at their point size on paper.
QImage RenderChart(const ChartModel& model, QSizeF sizeCm = {kChartWidthCm, kChartHeightCm}, int dpi = kChartDpi);

// Saves the chart at `sizeCm`: PNG at 300 dpi, SVG or PDF (vector), by the
// extension of `path` (case ignored). False when the extension is none of
// these, the path names something other than a regular file, or the file
// cannot be written.
bool SaveChart(const ChartModel& model, const QString& path, QSizeF sizeCm = {kChartWidthCm, kChartHeightCm});

}  // namespace kelvasta
