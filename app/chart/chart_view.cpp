#include "app/chart/chart_view.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QPdfWriter>
#include <QSvgGenerator>
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
constexpr double kScreenDpi = 96;

QColor Colour(int index) { return kPalette[std::size_t(index) % std::size(kPalette)]; }

// The chart's fonts follow the plot's own: on screen that is the window's
// zoom, in a saved or copied picture the program's font as it is.
QFont ChartFont(const QCustomPlot& plot, double points, bool bold = false) {
  const QFont base = QApplication::font();
  const double zoom = base.pointSizeF() > 0 && plot.font().pointSizeF() > 0
                          ? plot.font().pointSizeF() / base.pointSizeF()
                          : 1.0;
  QFont font = base;
  font.setPointSizeF(points * zoom);
  font.setBold(bold);
  return font;
}

QVector<double> Vec(const std::vector<double>& v) { return QVector<double>(v.begin(), v.end()); }

void StyleAxis(QCPAxis* axis, const QString& title) {
  axis->setLabel(title);
  axis->setLabelFont(ChartFont(*axis->parentPlot(), 9));
  axis->setTickLabelFont(ChartFont(*axis->parentPlot(), 8));
  axis->grid()->setVisible(false);
  axis->setBasePen(QPen(Qt::black, 1));
  axis->setTickPen(QPen(Qt::black, 1));
  axis->setSubTickPen(QPen(Qt::black, 1));
  axis->setTickLengthIn(0);
  axis->setTickLengthOut(4);
  axis->setSubTickLengthIn(0);
  axis->setSubTickLengthOut(2);
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
  bars->setPen(QPen(Qt::black, 1.5));
  bars->setWhiskerWidth(8);
  bars->setSymbolGap(0);
}

void AddDensity(QCPAxis* x, QCPAxis* y, const DensityGrid& grid) {
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
}

void AddSeries(QCustomPlot& plot, QCPAxisRect* rect, const ChartSeries& s, std::size_t pointsInPanel,
               std::vector<QCPBars*>& stack) {
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
      const double size = pointsInPanel > 1000 ? 3.5 : 5.5;
      graph->setScatterStyle(QCPScatterStyle(kMarkers[std::size_t(s.colour) % std::size(kMarkers)],
                                             QPen(colour, 1), QBrush(fill), size));
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
      curve->setPen(QPen(line, 1));
      curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(line, 1), QBrush(Qt::white), 4));
      curve->setData(xs, ys);
      break;
    }
    case ChartSeries::Type::Curve: {
      auto* graph = new QCPGraph(x, y);
      graph->setName(s.name);
      graph->setPen(QPen(colour, 2));
      graph->setData(Vec(s.x), Vec(s.y), true);
      break;
    }
    case ChartSeries::Type::Band: {
      auto* low = new QCPGraph(x, y);
      auto* high = new QCPGraph(x, y);
      QColor edge = colour;
      edge.setAlpha(140);
      QPen dashed(edge, 1, Qt::DashLine);
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
      constexpr double kBarSize = 24;
      QPainterPath bar;
      bar.moveTo(-3, 0);
      bar.lineTo(3, 0);
      means->setScatterStyle(QCPScatterStyle(bar, QPen(Qt::black, 2.5 * 6 / kBarSize), Qt::NoBrush, kBarSize));
      means->setData(Vec(s.x), Vec(s.y), true);
      AddWhiskers(means, x, y, s);
      break;
    }
    case ChartSeries::Type::Bars: {
      auto* bars = new QCPBars(x, y);
      bars->setName(s.name);
      bars->setWidth(0.55);
      bars->setPen(QPen(Qt::black, 1));
      bars->setBrush(QColor(0x9E, 0xCA, 0xE1));
      bars->setData(Vec(s.x), Vec(s.y), true);
      AddWhiskers(bars, x, y, s);
      break;
    }
    case ChartSeries::Type::Stacked: {
      auto* bars = new QCPBars(x, y);
      bars->setName(s.name);
      bars->setWidth(0.55);
      bars->setPen(QPen(Qt::black, 0.8));
      bars->setBrush(kGradeRamp[std::size_t(s.colour) % std::size(kGradeRamp)]);
      bars->setData(Vec(s.x), Vec(s.y), true);
      if (!stack.empty()) bars->moveAbove(stack.back());
      stack.push_back(bars);
      bars->removeFromLegend();
      break;
    }
    case ChartSeries::Type::Density:
      AddDensity(x, y, s.grid);
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
      line->setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
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

// Builds the plot's layout and plottables from the model.
void DrawChart(QCustomPlot& plot, const ChartModel& model) {
  plot.clearItems();
  plot.clearPlottables();
  plot.plotLayout()->clear();
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
    auto* rect = new QCPAxisRect(&plot, false);
    rect->addAxes(QCPAxis::atBottom | QCPAxis::atLeft);
    grid->addElement(row, 0, rect);
    ++row;
    StyleAxis(rect->axis(QCPAxis::atBottom), panel.xTitle);
    StyleAxis(rect->axis(QCPAxis::atLeft), panel.yTitle);
    QCPLegend* legend = nullptr;
    if (panel.legend) {
      // One line under the plot, the grades left to right.
      legend = new QCPLegend;
      grid->addElement(row++, 0, legend);
      legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
      legend->setMargins(QMargins(0, 0, 0, 0));
      legend->setFont(ChartFont(plot, 8));
      legend->setBorderPen(Qt::NoPen);
      legend->setIconSize(12, 10);
      legend->setLayer(QStringLiteral("legend"));
    }
    std::vector<QCPBars*> stack;
    const std::size_t points = PanelPoints(panel);
    for (const ChartSeries& s : panel.series) AddSeries(plot, rect, s, points, stack);
    if (legend != nullptr)
      for (QCPBars* bars : stack) bars->addToLegend(legend);
    FitAxes(rect, panel);
    if (!panel.note.isEmpty()) {
      if (model.kind == ChartKind::Scatter) {
        auto* note = new QCPItemText(&plot);
        note->setClipAxisRect(rect);
        note->position->setType(QCPItemPosition::ptAxisRectRatio);
        note->position->setAxisRect(rect);
        note->position->setCoords(0.03, 0.03);
        note->setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
        note->setTextAlignment(Qt::AlignLeft);
        note->setFont(ChartFont(plot, 8));
        note->setPadding(QMargins(3, 2, 3, 2));
        note->setBrush(QColor(255, 255, 255, 220));
        note->setText(panel.note);
      } else {
        auto* note = new QCPTextElement(&plot, panel.note, ChartFont(plot, 7.5));
        note->setTextColor(QColor(0x40, 0x40, 0x40));
        grid->addElement(row++, 0, note);
      }
    }
    // Titles, legend and notes take their own height, the plot the rest.
    for (int r = 0; r < grid->rowCount(); ++r) grid->setRowStretchFactor(r, grid->element(r, 0) == rect ? 1 : 0.001);
  }
}

// The logical size, in pixels at 96 dpi, of a chart `sizeCm` large.
QSize LogicalSize(QSizeF sizeCm) {
  return QSize(std::max(1, qRound(sizeCm.width() / 2.54 * kScreenDpi)),
               std::max(1, qRound(sizeCm.height() / 2.54 * kScreenDpi)));
}

void Paint(QCustomPlot& plot, QPaintDevice& device, QSize logical, double scaleX, double scaleY, bool vector) {
  QCPPainter painter(&device);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  if (vector) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
  }
  painter.scale(scaleX, scaleY);
  plot.toPainter(&painter, logical.width(), logical.height());
}

}  // namespace

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

QImage RenderChart(const ChartModel& model, QSizeF sizeCm, int dpi) {
  const QSize pixels(std::max(1, qRound(sizeCm.width() / 2.54 * dpi)),
                     std::max(1, qRound(sizeCm.height() / 2.54 * dpi)));
  const QSize logical = LogicalSize(sizeCm);
  QCustomPlot plot;
  plot.resize(logical);
  DrawChart(plot, model);
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  // Fonts are laid out at 96 dpi and the painter scales, so the resolution
  // is written only after painting.
  Paint(plot, image, logical, double(pixels.width()) / logical.width(), double(pixels.height()) / logical.height(),
        false);
  const int dotsPerMetre = qRound(dpi / 0.0254);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  return image;
}

bool SaveChart(const ChartModel& model, const QString& path, QSizeF sizeCm) {
  // A folder, named pipe or device is never written: opening a pipe for
  // writing would wait for a reader.
  const QFileInfo target(path);
  if (target.exists() && !target.isFile()) return false;
  const QString suffix = target.suffix().toLower();
  if (suffix == u"png") return RenderChart(model, sizeCm, kChartDpi).save(path, "PNG");
  const QSize logical = LogicalSize(sizeCm);
  QCustomPlot plot;
  plot.resize(logical);
  DrawChart(plot, model);
  if (suffix == u"svg") {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(logical);
    svg.setViewBox(QRect(QPoint(0, 0), logical));
    svg.setResolution(int(kScreenDpi));
    svg.setTitle(QStringLiteral("Kelvasta"));
    Paint(plot, svg, logical, 1, 1, true);
    return QFileInfo(path).size() > 0;
  }
  if (suffix == u"pdf") {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QSizeF(sizeCm.width() * 10, sizeCm.height() * 10), QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(int(kScreenDpi));
    pdf.setCreator(QStringLiteral("Kelvasta"));
    Paint(plot, pdf, logical, 1, 1, true);
    return QFileInfo(path).size() > 0;
  }
  return false;
}

}  // namespace kelvasta
