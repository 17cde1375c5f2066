#include "app/chart/chart_view.h"

#include "app/chart/chart_drawing.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace kelvasta {

namespace {

// Okabe and Ito's colours, told apart by colour-blind readers; each comes
// with its own marker so that a greyscale print keeps the groups apart.
const QColor kPalette[] = {QColor(0x00, 0x72, 0xB2), QColor(0xD5, 0x5E, 0x00), QColor(0x00, 0x9E, 0x73),
                           QColor(0xCC, 0x79, 0xA7), QColor(0xE6, 0x9F, 0x00), QColor(0x56, 0xB4, 0xE9)};
const QCPScatterStyle::ScatterShape kMarkers[] = {QCPScatterStyle::ssCircle, QCPScatterStyle::ssSquare,
                                                  QCPScatterStyle::ssTriangle, QCPScatterStyle::ssDiamond,
                                                  QCPScatterStyle::ssCross, QCPScatterStyle::ssPlus};
// Grades from the mildest up: one hue, light to dark, so that the order
// survives greyscale.
const QColor kGradeRamp[] = {QColor(0xDE, 0xEB, 0xF7), QColor(0x9E, 0xCA, 0xE1), QColor(0x42, 0x92, 0xC6),
                             QColor(0x08, 0x45, 0x94)};

QColor Colour(int index) { return kPalette[std::size_t(index) % std::size(kPalette)]; }

// The chart follows the plot's own font: on screen that is the window's
// zoom, in a saved or copied picture the program's font as it is. Fonts,
// pens and markers all scale by it.
double Zoom(const QCustomPlot& plot) {
  const QFont base = QApplication::font();
  return base.pointSizeF() > 0 && plot.font().pointSizeF() > 0 ? plot.font().pointSizeF() / base.pointSizeF() : 1.0;
}

QFont ChartFont(const QCustomPlot& plot, double points, bool bold = false) {
  QFont font = QApplication::font();
  // The family the font resolves to, named as such: a vector file then
  // asks for the face it was drawn with, not the first of the wished-for.
  font.setFamilies({QFontInfo(font).family()});
  font.setPointSizeF(points * Zoom(plot));
  font.setBold(bold);
  return font;
}

QPen ChartPen(const QCustomPlot& plot, const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
  return QPen(colour, width * Zoom(plot), style);
}

QVector<double> Vec(const std::vector<double>& v) { return QVector<double>(v.begin(), v.end()); }

void StyleAxis(QCPAxis* axis, const QString& title) {
  const QCustomPlot& plot = *axis->parentPlot();
  const double zoom = Zoom(plot);
  axis->setLabel(title);
  axis->setLabelFont(ChartFont(plot, 9));
  axis->setTickLabelFont(ChartFont(plot, 8));
  axis->grid()->setVisible(false);
  axis->setBasePen(ChartPen(plot, Qt::black, 1));
  axis->setTickPen(ChartPen(plot, Qt::black, 1));
  axis->setSubTickPen(ChartPen(plot, Qt::black, 1));
  axis->setTickLengthIn(0);
  axis->setTickLengthOut(qRound(4 * zoom));
  axis->setSubTickLengthIn(0);
  axis->setSubTickLengthOut(qRound(2 * zoom));
}

// Whiskers low..high around y, attached to `data`.
void AddWhiskers(QCPAbstractPlottable* data, QCPAxis* x, QCPAxis* y, const ChartSeries& s) {
  auto* bars = new QCPErrorBars(x, y);
  bars->removeFromLegend();
  bars->setDataPlottable(data);
  QVector<double> minus, plus;
  for (std::size_t i = 0; i < s.y.size(); ++i) {
    const double low = i < s.low.size() ? s.low[i] : NAN;
    const double high = i < s.high.size() ? s.high[i] : NAN;
    minus.push_back(std::isfinite(low) ? s.y[i] - low : 0);
    plus.push_back(std::isfinite(high) ? high - s.y[i] : 0);
  }
  bars->setData(minus, plus);
  bars->setPen(ChartPen(*x->parentPlot(), Qt::black, 1.5));
  bars->setWhiskerWidth(8 * Zoom(*x->parentPlot()));
  bars->setSymbolGap(0);
}

// The density image and, right of the plot, its colour scale with counts.
void AddDensity(QCPAxis* x, QCPAxis* y, const DensityGrid& grid, QCPLayoutGrid* beside) {
  auto* map = new QCPColorMap(x, y);
  map->removeFromLegend();
  const double dx = (grid.xMax - grid.xMin) / grid.columns;
  const double dy = (grid.yMax - grid.yMin) / grid.rows;
  map->data()->setSize(grid.columns, grid.rows);
  map->data()->setRange(QCPRange(grid.xMin + dx / 2, grid.xMax - dx / 2),
                        QCPRange(grid.yMin + dy / 2, grid.yMax - dy / 2));
  double top = 1;
  for (int iy = 0; iy < grid.rows; ++iy)
    for (int ix = 0; ix < grid.columns; ++ix) {
      const double count = grid.counts[std::size_t(iy) * std::size_t(grid.columns) + std::size_t(ix)];
      top = std::max(top, count);
      map->data()->setCell(ix, iy, count > 0 ? count : NAN);
    }
  QCPColorGradient gradient;
  gradient.clearColorStops();
  gradient.setColorStopAt(0, QColor(0xC6, 0xDB, 0xEF));
  gradient.setColorStopAt(1, QColor(0x08, 0x30, 0x6B));
  gradient.setNanHandling(QCPColorGradient::nhTransparent);
  map->setGradient(gradient);
  map->setDataScaleType(QCPAxis::stLogarithmic);
  map->setDataRange(QCPRange(1, std::max(2.0, top)));
  map->setInterpolate(false);
  if (beside == nullptr) return;
  QCustomPlot& plot = *x->parentPlot();
  auto* scale = new QCPColorScale(&plot);
  beside->addElement(0, beside->columnCount(), scale);
  scale->setType(QCPAxis::atRight);
  scale->setDataScaleType(QCPAxis::stLogarithmic);
  scale->setGradient(gradient);
  scale->setDataRange(map->dataRange());
  scale->setBarWidth(qRound(8 * Zoom(plot)));
  StyleAxis(scale->axis(), QStringLiteral("计数"));
  map->setColorScale(scale);
  map->setDataRange(QCPRange(1, std::max(2.0, top)));
  // Whole counts at 1, 2, 5, 10, 20, 50, ... up to the largest.
  QSharedPointer<QCPAxisTickerText> ticks(new QCPAxisTickerText);
  for (double decade = 1; decade <= top; decade *= 10)
    for (double step : {1.0, 2.0, 5.0})
      if (step * decade <= top) ticks->addTick(step * decade, QString::number(qint64(step * decade)));
  scale->axis()->setTicker(ticks);
  scale->axis()->setSubTicks(false);
  // The scale as tall as the plot it reads.
  auto* margins = new QCPMarginGroup(&plot);
  x->axisRect()->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
  scale->setMarginGroup(QCP::msBottom | QCP::msTop, margins);
}

// Draws one series into `rect`; bars that the legend names go to `legend`.
void AddSeries(QCustomPlot& plot, QCPAxisRect* rect, const ChartSeries& s, std::size_t pointsInPanel,
               std::vector<QCPBars*>& stack, std::vector<QCPAbstractPlottable*>& legend, QCPLayoutGrid* beside) {
  QCPAxis* x = rect->axis(QCPAxis::atBottom);
  QCPAxis* y = rect->axis(QCPAxis::atLeft);
  const QColor colour = Colour(s.colour);
  switch (s.type) {
    case ChartSeries::Type::Points: {
      auto* graph = new QCPGraph(x, y);
      graph->setName(s.name);
      graph->setLineStyle(QCPGraph::lsNone);
      QColor fill = colour;
      fill.setAlpha(pointsInPanel > 500 ? 60 : 110);
      const double size = (pointsInPanel > 1000 ? 3.5 : 5.5) * Zoom(plot);
      graph->setScatterStyle(QCPScatterStyle(kMarkers[std::size_t(s.colour) % std::size(kMarkers)],
                                             ChartPen(plot, colour, 1), QBrush(fill), size));
      graph->setData(Vec(s.x), Vec(s.y), true);
      break;
    }
    case ChartSeries::Type::Lines: {
      // Segments of one curve, broken by NaN between pairs.
      QVector<double> xs, ys;
      for (std::size_t i = 0; i + 1 < s.x.size(); i += 2) {
        xs << s.x[i] << s.x[i + 1] << NAN;
        ys << s.y[i] << s.y[i + 1] << NAN;
      }
      auto* curve = new QCPCurve(x, y);
      curve->setName(s.name);
      QColor line(0x40, 0x40, 0x40);
      line.setAlpha(s.x.size() > 60 ? 90 : 170);
      curve->setPen(ChartPen(plot, line, 1));
      curve->setScatterStyle(
          QCPScatterStyle(QCPScatterStyle::ssCircle, ChartPen(plot, line, 1), QBrush(Qt::white), 4 * Zoom(plot)));
      curve->setData(xs, ys);
      break;
    }
    case ChartSeries::Type::Curve: {
      auto* graph = new QCPGraph(x, y);
      graph->setName(s.name);
      graph->setPen(ChartPen(plot, colour, 2));
      graph->setData(Vec(s.x), Vec(s.y), true);
      break;
    }
    case ChartSeries::Type::Band: {
      auto* low = new QCPGraph(x, y);
      auto* high = new QCPGraph(x, y);
      QColor edge = colour;
      edge.setAlpha(140);
      const QPen dashed = ChartPen(plot, edge, 1, Qt::DashLine);
      low->setPen(dashed);
      high->setPen(dashed);
      low->setData(Vec(s.x), Vec(s.low), true);
      high->setData(Vec(s.x), Vec(s.high), true);
      QColor fill = colour;
      fill.setAlpha(45);
      high->setBrush(QBrush(fill));
      high->setChannelFillGraph(low);
      high->setName(s.name);
      low->removeFromLegend();
      break;
    }
    case ChartSeries::Type::MeanBars: {
      auto* means = new QCPGraph(x, y);
      means->setName(s.name);
      means->setLineStyle(QCPGraph::lsNone);
      // A custom marker is drawn in a 6-unit box scaled to its size, pen
      // and all: a 24-pixel bar 2.5 pixels thick.
      const double kBarSize = 24 * Zoom(plot);
      QPainterPath bar;
      bar.moveTo(-3, 0);
      bar.lineTo(3, 0);
      means->setScatterStyle(QCPScatterStyle(bar, QPen(Qt::black, 2.5 * 6 / 24), Qt::NoBrush, kBarSize));
      means->setData(Vec(s.x), Vec(s.y), true);
      AddWhiskers(means, x, y, s);
      break;
    }
    case ChartSeries::Type::Bars: {
      auto* bars = new QCPBars(x, y);
      bars->setName(s.name);
      bars->setWidth(s.width);
      bars->setPen(ChartPen(plot, Qt::black, 1));
      // One series: a quiet blue; several: each its own colour.
      bars->setBrush(s.colour == 0 ? QColor(0x9E, 0xCA, 0xE1) : Colour(s.colour).lighter(135));
      bars->setData(Vec(s.x), Vec(s.y), true);
      AddWhiskers(bars, x, y, s);
      legend.push_back(bars);
      break;
    }
    case ChartSeries::Type::Stacked: {
      auto* bars = new QCPBars(x, y);
      bars->setName(s.name);
      bars->setWidth(s.width);
      bars->setPen(ChartPen(plot, Qt::black, 0.8));
      bars->setBrush(kGradeRamp[std::size_t(s.colour) % std::size(kGradeRamp)]);
      bars->setData(Vec(s.x), Vec(s.y), true);
      if (!stack.empty()) bars->moveAbove(stack.back());
      stack.push_back(bars);
      legend.push_back(bars);
      break;
    }
    case ChartSeries::Type::Density:
      AddDensity(x, y, s.grid, beside);
      break;
    case ChartSeries::Type::Reference: {
      auto* line = new QCPItemStraightLine(&plot);
      line->setClipAxisRect(rect);
      for (QCPItemPosition* end : {line->point1, line->point2}) {
        end->setAxes(x, y);
        end->setAxisRect(rect);
      }
      line->point1->setCoords(0, s.y.at(0));
      line->point2->setCoords(1, s.y.at(0));
      line->setPen(ChartPen(plot, QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
      break;
    }
  }
}

// Value range of the panel with a margin; bars start at zero.
void FitAxes(QCPAxisRect* rect, const ChartPanel& panel) {
  QCPAxis* x = rect->axis(QCPAxis::atBottom);
  QCPAxis* y = rect->axis(QCPAxis::atLeft);
  if (!panel.categories.isEmpty()) {
    QSharedPointer<QCPAxisTickerText> ticker(new QCPAxisTickerText);
    for (qsizetype i = 0; i < panel.categories.size(); ++i) ticker->addTick(double(i + 1), panel.categories[i]);
    x->setTicker(ticker);
    x->setRange(0.4, double(panel.categories.size()) + 0.6);
    x->setSubTicks(false);
  } else {
    bool found = false;
    QCPRange range;
    for (QCPAbstractPlottable* p : rect->plottables()) {
      bool ok = false;
      const QCPRange r = p->getKeyRange(ok);
      if (!ok) continue;
      range = found ? QCPRange(std::min(range.lower, r.lower), std::max(range.upper, r.upper)) : r;
      found = true;
    }
    if (found) {
      const double pad = std::max(range.size() * 0.05, 1e-9);
      x->setRange(range.lower - pad, range.upper + pad);
    }
  }
  if (panel.percent) {
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(20);
    y->setTicker(ticker);
    y->setRange(0, 104);
    return;
  }
  bool found = false;
  QCPRange range;
  for (QCPAbstractPlottable* p : rect->plottables()) {
    bool ok = false;
    const QCPRange r = p->getValueRange(ok);
    if (!ok) continue;
    range = found ? QCPRange(std::min(range.lower, r.lower), std::max(range.upper, r.upper)) : r;
    found = true;
  }
  for (QCPAbstractItem* item : rect->items())
    if (auto* line = qobject_cast<QCPItemStraightLine*>(item)) {
      const double at = line->point1->coords().y();
      range = found ? QCPRange(std::min(range.lower, at), std::max(range.upper, at)) : QCPRange(at, at);
      found = true;
    }
  if (!found) return;
  if (range.size() <= 0) range = QCPRange(range.lower - 1, range.upper + 1);
  const double pad = range.size() * 0.06;
  y->setRange(range.lower - pad, range.upper + pad);
}

std::size_t PanelPoints(const ChartPanel& panel) {
  std::size_t points = 0;
  for (const ChartSeries& s : panel.series)
    if (s.type == ChartSeries::Type::Points) points += s.x.size();
  return points;
}

bool Empty(const ChartModel& model) {
  for (const ChartPanel& panel : model.panels)
    for (const ChartSeries& s : panel.series)
      if (s.type != ChartSeries::Type::Reference && s.count() > 0) return false;
  return true;
}

// One line of swatches under the plot, centred, each swatch as tall as its
// label's line so that label and swatch share a centre.
void AddLegend(QCustomPlot& plot, QCPLayoutGrid& grid, int row, const std::vector<QCPAbstractPlottable*>& named) {
  auto* line = new QCPLayoutGrid;
  grid.addElement(row, 0, line);
  auto* legend = new QCPLegend;
  line->addElement(0, 0, new QCPLayoutElement(&plot));
  line->addElement(0, 1, legend);
  line->addElement(0, 2, new QCPLayoutElement(&plot));
  line->setColumnStretchFactors({1, 0.001, 1});
  legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
  legend->setMargins(QMargins(0, 0, 0, 0));
  const QFont font = ChartFont(plot, 8);
  legend->setFont(font);
  legend->setBorderPen(Qt::NoPen);
  const int height = QFontMetrics(font).height();
  legend->setIconSize(qRound(height * 1.2), height);
  legend->setIconTextPadding(qRound(4 * Zoom(plot)));
  legend->setColumnSpacing(qRound(10 * Zoom(plot)));
  legend->setLayer(QStringLiteral("legend"));
  for (QCPAbstractPlottable* plottable : named) plottable->addToLegend(legend);
}

}  // namespace

// Builds the plot's layout and plottables from the model.
void DrawChart(QCustomPlot& plot, const ChartModel& model) {
  plot.clearItems();
  plot.clearPlottables();
  plot.plotLayout()->clear();
  // Every font of the picture names the face it is drawn with.
  QFont font = plot.font();
  font.setFamilies({QFontInfo(font).family()});
  plot.setFont(font);
  plot.setBackground(Qt::white);
  plot.setAntialiasedElements(QCP::aeAll);
  if (model.panels.empty() || Empty(model)) {
    auto* text = new QCPTextElement(&plot, model.message.isEmpty() ? QStringLiteral("输入数据后在此显示图表")
                                                                    : model.message,
                                    ChartFont(plot, 9));
    text->setTextColor(QColor(0x70, 0x70, 0x70));
    plot.plotLayout()->addElement(0, 0, text);
    return;
  }
  for (std::size_t p = 0; p < model.panels.size(); ++p) {
    const ChartPanel& panel = model.panels[p];
    auto* grid = new QCPLayoutGrid;
    plot.plotLayout()->addElement(0, int(p), grid);
    grid->setRowSpacing(2);
    int row = 0;
    if (!panel.title.isEmpty()) grid->addElement(row++, 0, new QCPTextElement(&plot, panel.title, ChartFont(plot, 9, true)));
    // The plot, and beside it a colour scale where there is a density image.
    auto* plotRow = new QCPLayoutGrid;
    plotRow->setColumnSpacing(qRound(4 * Zoom(plot)));
    grid->addElement(row++, 0, plotRow);
    auto* rect = new QCPAxisRect(&plot, false);
    rect->addAxes(QCPAxis::atBottom | QCPAxis::atLeft);
    plotRow->addElement(0, 0, rect);
    StyleAxis(rect->axis(QCPAxis::atBottom), panel.xTitle);
    StyleAxis(rect->axis(QCPAxis::atLeft), panel.yTitle);
    std::vector<QCPBars*> stack;
    std::vector<QCPAbstractPlottable*> named;
    const std::size_t points = PanelPoints(panel);
    for (const ChartSeries& s : panel.series) AddSeries(plot, rect, s, points, stack, named, plotRow);
    for (int column = 1; column < plotRow->columnCount(); ++column) plotRow->setColumnStretchFactor(column, 0.001);
    if (panel.legend) AddLegend(plot, *grid, row++, named);
    FitAxes(rect, panel);
    // Notes (the equation and r among them) go under the plot, where they
    // cover no data.
    if (!panel.note.isEmpty()) {
      auto* note = new QCPTextElement(&plot, panel.note, ChartFont(plot, 7.5));
      note->setTextColor(QColor(0x40, 0x40, 0x40));
      grid->addElement(row++, 0, note);
    }
    // Titles, legend and notes take their own height, the plot the rest.
    for (int r = 0; r < grid->rowCount(); ++r)
      grid->setRowStretchFactor(r, grid->element(r, 0) == plotRow ? 1 : 0.001);
  }
}

ChartView::ChartView(QWidget* parent) : QWidget(parent), plot_(new QCustomPlot(this)) {
  setObjectName(QStringLiteral("Chart"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(plot_);
  plot_->setContextMenuPolicy(Qt::NoContextMenu);
  draw(ChartModel{});
}

void ChartView::draw(const ChartModel& model) {
  DrawChart(*plot_, model);
  plot_->replot();
}

void ChartView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("复制图表"), this, &ChartView::copyRequested);
  menu.addAction(QStringLiteral("保存图表…"), this, &ChartView::saveRequested);
  menu.exec(event->globalPos());
}

}  // namespace kelvasta
