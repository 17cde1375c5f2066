#pragma once

#include "app/chart/chart_model.h"

#include <QImage>
#include <QSizeF>
#include <QString>
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
// What a saved chart may be: 2 to 100 cm a side, 72 to 1200 dpi.
inline constexpr double kChartMinCm = 2;
inline constexpr double kChartMaxCm = 100;
inline constexpr int kChartMinDpi = 72;
inline constexpr int kChartMaxDpi = 1200;
inline constexpr double kChartMaxPixels = 1e8;

// The chart drawn at `sizeCm` and `dpi`: round(cm / 2.54 · dpi) pixels a
// side, with the resolution written into the image (dots per metre), fonts
// at their point size on paper.
QImage RenderChart(const ChartModel& model, QSizeF sizeCm = {kChartWidthCm, kChartHeightCm}, int dpi = kChartDpi);

// How a chart is written: its size on paper, the resolution of a PNG and
// the document title of an SVG or PDF.
struct ChartFileOptions {
  QSizeF sizeCm{kChartWidthCm, kChartHeightCm};
  int dpi = kChartDpi;
  QString title{};
};

// Saves the chart: PNG at the options' dpi, SVG or PDF (vector, exactly
// the size asked, the title in the document), by the extension of `path`
// (case ignored). False when the extension is none of these, the size or
// dpi is out of range, the path names something other than a regular file,
// or the file cannot be written.
bool SaveChart(const ChartModel& model, const QString& path, const ChartFileOptions& options = {});

// The SVG text as QSvgGenerator wrote it, with the page size given exactly
// in millimetres and a generic family after every named font.
QByteArray TidySvg(QByteArray svg, QSizeF sizeCm);

}  // namespace kelvasta
