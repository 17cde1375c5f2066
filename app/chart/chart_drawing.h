#pragma once

#include "app/chart/chart_model.h"

#include <QSize>
#include <QSizeF>

class QCustomPlot;
class QPaintDevice;

namespace kelvasta {

// Shared by the chart on screen and the chart in files: the plot built from
// the model, and painting it onto any device.
void DrawChart(QCustomPlot& plot, const ChartModel& model);

// The logical size, in pixels at 96 dpi, of a chart `sizeCm` large.
QSize LogicalSize(QSizeF sizeCm);
inline constexpr double kScreenDpi = 96;

// Paints the plot laid out at `logical` onto `device`, scaled; `vector`
// keeps shapes as paths (SVG, PDF).
void Paint(QCustomPlot& plot, QPaintDevice& device, QSize logical, double scaleX, double scaleY, bool vector);

}  // namespace kelvasta
