#include "app/chart/chart_model.h"

#include "app/details/figure_text.h"
#include "stats/correlation_figures.h"

#include <boost/math/distributions/students_t.hpp>

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kelvasta {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The normal quantile used for every 95% interval of the pane.
constexpr double kZ95 = 1.959964;
constexpr int kGridRows = 120;
constexpr int kGridColumnsPerCategory = 40;
constexpr int kGridColumns = 160;

// A pseudo-random offset in [-0.5, 0.5) for item i (SplitMix64 of i): the
// same on every redraw, so dots do not jump while the user types, and with
// no pattern that sorted values could turn into a slope.
double Jitter(std::size_t i) {
  std::uint64_t z = std::uint64_t(i) + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return double(z >> 11) * 0x1.0p-53 - 0.5;
}

double TQuantile975(double df) {
  if (!(df >= 1) || !std::isfinite(df)) return kNaN;
  return boost::math::quantile(boost::math::students_t(df), 0.975);
}

// Smallest and largest finite value of several lists; NaN both when none.
std::array<double, 2> Range(std::span<const std::span<const double>> lists) {
  double low = std::numeric_limits<double>::infinity();
  double high = -low;
  for (std::span<const double> list : lists)
    for (double v : list)
      if (std::isfinite(v)) {
        low = std::min(low, v);
        high = std::max(high, v);
      }
  if (low > high) return {kNaN, kNaN};
  if (low == high) {
    const double pad = low == 0 ? 1 : std::abs(low) * 0.05;
    return {low - pad, high + pad};
  }
  return {low, high};
}

std::size_t FiniteCount(std::span<const double> list) {
  return std::size_t(std::count_if(list.begin(), list.end(), [](double v) { return std::isfinite(v); }));
}

DensityGrid EmptyGrid(int columns, double xMin, double xMax, double yMin, double yMax) {
  DensityGrid grid;
  grid.columns = columns;
  grid.rows = kGridRows;
  grid.xMin = xMin;
  grid.xMax = xMax;
  grid.yMin = yMin;
  grid.yMax = yMax;
  grid.counts.assign(std::size_t(columns) * kGridRows, 0.0);
  return grid;
}

void Bin(DensityGrid& grid, double x, double y) {
  const double fx = (x - grid.xMin) / (grid.xMax - grid.xMin);
  const double fy = (y - grid.yMin) / (grid.yMax - grid.yMin);
  const int ix = std::clamp(int(fx * grid.columns), 0, grid.columns - 1);
  const int iy = std::clamp(int(fy * grid.rows), 0, grid.rows - 1);
  grid.counts[std::size_t(iy) * std::size_t(grid.columns) + std::size_t(ix)] += 1;
  ++grid.total;
}

// Dots of one category at x = centre, spread over ±width/2.
ChartSeries Dots(const QString& name, int colour, std::span<const double> values, double centre, double width) {
  ChartSeries dots{.type = ChartSeries::Type::Points, .name = name, .colour = colour};
  dots.x.reserve(values.size());
  dots.y.reserve(values.size());
  std::size_t k = 0;
  for (double v : values) {
    if (!std::isfinite(v)) continue;
    dots.x.push_back(centre + width * Jitter(k++));
    dots.y.push_back(v);
  }
  return dots;
}

QString MeanSeriesName(ErrorBarKind kind) {
  return kind == ErrorBarKind::Sd ? QStringLiteral("均数±标准差") : QStringLiteral("均数及95%CI");
}

void AddMean(ChartSeries& means, double x, const GroupMoments& m, ErrorBarKind kind) {
  const auto [low, high] = MeanInterval(m, kind);
  means.x.push_back(x);
  means.y.push_back(m.n >= 1 ? m.mean : kNaN);
  means.low.push_back(low);
  means.high.push_back(high);
}

QString SignedTerm(double value) {
  return (value < 0 ? QStringLiteral(" − ") : QStringLiteral(" + ")) + FigureText(std::abs(value));
}

// One bar of a rate in percent at `x`, with its Wilson interval.
void AddRateBar(ChartSeries& bars, double x, double events, double total) {
  const auto [low, high] = WilsonInterval(events, total);
  bars.x.push_back(x);
  bars.y.push_back(100 * events / total);
  bars.low.push_back(100 * low);
  bars.high.push_back(100 * high);
}

}  // namespace

std::size_t ChartSeries::count() const {
  switch (type) {
    case Type::Lines:
      return x.size() / 2;
    case Type::Density:
      return std::size_t(std::count_if(grid.counts.begin(), grid.counts.end(), [](double c) { return c > 0; }));
    case Type::Reference:
      return y.size();
    case Type::MeanBars:
    case Type::Bars:
      return std::size_t(std::count_if(y.begin(), y.end(), [](double v) { return std::isfinite(v); }));
    default:
      return x.size();
  }
}

QString ChartKindName(ChartKind kind) {
  switch (kind) {
    case ChartKind::GroupMeans: return QStringLiteral("group_means");
    case ChartKind::PairedDifferences: return QStringLiteral("paired_differences");
    case ChartKind::Scatter: return QStringLiteral("scatter");
    case ChartKind::Rates: return QStringLiteral("rates");
    case ChartKind::StackedPercent: return QStringLiteral("stacked_percent");
    case ChartKind::PowerCurve: return QStringLiteral("power_curve");
    case ChartKind::None: break;
  }
  return QStringLiteral("none");
}

QJsonObject ChartJson(const ChartModel& model) {
  QJsonArray series;
  for (const ChartPanel& panel : model.panels)
    for (const ChartSeries& s : panel.series)
      series.append(QJsonObject{{QStringLiteral("name"), s.name},
                                {QStringLiteral("points"), qint64(s.count())},
                                {QStringLiteral("binned"), s.type == ChartSeries::Type::Density}});
  const ChartPanel first = model.panels.empty() ? ChartPanel{} : model.panels.front();
  QJsonValue errorBars = QJsonValue::Null;
  if (model.errorBars)
    errorBars = *model.errorBars == ErrorBarKind::Sd ? QStringLiteral("sd") : QStringLiteral("ci95");
  return QJsonObject{{QStringLiteral("kind"), ChartKindName(model.kind)},
                     {QStringLiteral("x_title"), first.xTitle},
                     {QStringLiteral("y_title"), first.yTitle},
                     {QStringLiteral("series"), series},
                     {QStringLiteral("panels"), qint64(model.panels.size())},
                     {QStringLiteral("error_bars"), errorBars}};
}

std::array<double, 2> MeanInterval(const GroupMoments& m, ErrorBarKind kind) {
  if (!(m.n >= 2) || !std::isfinite(m.sd) || !std::isfinite(m.mean)) return {kNaN, kNaN};
  const double half = kind == ErrorBarKind::Sd ? m.sd : TQuantile975(m.n - 1) * m.sd / std::sqrt(m.n);
  return {m.mean - half, m.mean + half};
}

std::array<double, 2> WilsonInterval(double events, double total) {
  if (!(total > 0) || !std::isfinite(total) || !std::isfinite(events)) return {kNaN, kNaN};
  // (p + z²/2n ± z·√(p(1−p)/n + z²/4n²)) / (1 + z²/n)
  const double p = events / total;
  const double z2 = kZ95 * kZ95;
  const double centre = p + z2 / (2 * total);
  const double half = kZ95 * std::sqrt(std::max(0.0, p * (1 - p) / total + z2 / (4 * total * total)));
  const double scale = 1 + z2 / total;
  return {std::max(0.0, (centre - half) / scale), std::min(1.0, (centre + half) / scale)};
}

ChartModel GroupMeansChart(std::span<const std::span<const double>> groups, const QStringList& names,
                           ErrorBarKind kind) {
  ChartModel model{.kind = ChartKind::GroupMeans, .errorBars = kind};
  ChartPanel panel{.xTitle = QStringLiteral("组别"), .yTitle = QStringLiteral("观察值"), .categories = names};
  std::size_t total = 0;
  for (std::span<const double> group : groups) total += FiniteCount(group);
  constexpr double kDotsOffset = -0.12;
  constexpr double kDotsWidth = 0.3;
  constexpr double kMeanOffset = 0.22;
  if (total > kMaxDrawnPoints) {
    const auto [low, high] = Range(groups);
    const double k = double(groups.size());
    ChartSeries density{.type = ChartSeries::Type::Density, .name = QStringLiteral("数据分布（分格计数）")};
    density.grid = EmptyGrid(kGridColumnsPerCategory * int(groups.size()), 0.5, k + 0.5, low, high);
    for (std::size_t g = 0; g < groups.size(); ++g) {
      std::size_t i = 0;
      for (double v : groups[g])
        if (std::isfinite(v)) Bin(density.grid, double(g + 1) + kDotsOffset + kDotsWidth * Jitter(i++), v);
    }
    panel.series.push_back(std::move(density));
  } else {
    for (std::size_t g = 0; g < groups.size(); ++g)
      panel.series.push_back(
          Dots(names.value(qsizetype(g)), int(g), groups[g], double(g + 1) + kDotsOffset, kDotsWidth));
  }
  ChartSeries means{.type = ChartSeries::Type::MeanBars, .name = MeanSeriesName(kind)};
  for (std::size_t g = 0; g < groups.size(); ++g)
    AddMean(means, double(g + 1) + kMeanOffset, ComputeGroupMoments(groups[g]), kind);
  panel.series.push_back(std::move(means));
  panel.note = kind == ErrorBarKind::Sd ? QStringLiteral("横线：均数；误差线：±标准差")
                                        : QStringLiteral("横线：均数；误差线：95%置信区间");
  model.panels.push_back(std::move(panel));
  return model;
}

ChartModel GroupSummaryChart(std::span<const GroupMoments> groups, const QStringList& names, ErrorBarKind kind) {
  ChartModel model{.kind = ChartKind::GroupMeans, .errorBars = kind};
  ChartPanel panel{.xTitle = QStringLiteral("组别"), .yTitle = QStringLiteral("均数"), .categories = names};
  ChartSeries means{.type = ChartSeries::Type::MeanBars, .name = MeanSeriesName(kind)};
  for (std::size_t g = 0; g < groups.size(); ++g) AddMean(means, double(g + 1), groups[g], kind);
  panel.series.push_back(std::move(means));
  panel.note = kind == ErrorBarKind::Sd ? QStringLiteral("由汇总数据绘制：均数±标准差")
                                        : QStringLiteral("由汇总数据绘制：均数及95%置信区间");
  model.panels.push_back(std::move(panel));
  return model;
}

ChartModel PairedChart(std::span<const double> first, std::span<const double> second, const QStringList& names) {
  ChartModel model{.kind = ChartKind::PairedDifferences};
  const std::size_t size = std::min(first.size(), second.size());
  std::vector<double> differences;
  ChartSeries lines{.type = ChartSeries::Type::Lines, .name = QStringLiteral("各对观察值"), .colour = 0};
  for (std::size_t i = 0; i < size; ++i) {
    if (!std::isfinite(first[i]) || !std::isfinite(second[i])) continue;
    if (differences.size() < kMaxPairLines) {
      lines.x.insert(lines.x.end(), {1.0, 2.0});
      lines.y.insert(lines.y.end(), {first[i], second[i]});
    }
    differences.push_back(first[i] - second[i]);
  }
  ChartPanel pairs{.xTitle = QString(), .yTitle = QStringLiteral("观察值"), .categories = names};
  pairs.title = differences.size() > kMaxPairLines ? QStringLiteral("前%1对的配对数据").arg(kMaxPairLines)
                                                   : QStringLiteral("配对数据");
  pairs.series.push_back(std::move(lines));
  model.panels.push_back(std::move(pairs));

  ChartPanel diff{.xTitle = QString(),
                  .yTitle = QStringLiteral("差值（%1 − %2）").arg(names.value(0), names.value(1)),
                  .title = QStringLiteral("差值及其均数的95%CI"),
                  .categories = {QStringLiteral("差值")}};
  const std::span<const double> values(differences);
  if (differences.size() > kMaxDrawnPoints) {
    const std::span<const double> all[] = {values};
    const auto [low, high] = Range(all);
    ChartSeries density{.type = ChartSeries::Type::Density, .name = QStringLiteral("差值分布（分格计数）")};
    density.grid = EmptyGrid(kGridColumnsPerCategory, 0.5, 1.5, low, high);
    for (std::size_t i = 0; i < differences.size(); ++i) Bin(density.grid, 0.88 + 0.3 * Jitter(i), differences[i]);
    diff.series.push_back(std::move(density));
  } else {
    diff.series.push_back(Dots(QStringLiteral("差值"), 1, values, 0.88, 0.3));
  }
  ChartSeries mean{.type = ChartSeries::Type::MeanBars, .name = QStringLiteral("均数及95%CI")};
  AddMean(mean, 1.22, ComputeGroupMoments(values), ErrorBarKind::Ci95);
  diff.series.push_back(std::move(mean));
  diff.series.push_back(
      ChartSeries{.type = ChartSeries::Type::Reference, .name = QStringLiteral("差值为0"), .x = {}, .y = {0.0}});
  model.panels.push_back(std::move(diff));
  return model;
}

ChartModel CorrelationChart(std::span<const double> x, std::span<const double> y) {
  ChartModel model{.kind = ChartKind::Scatter};
  ChartPanel panel{.xTitle = QStringLiteral("X"), .yTitle = QStringLiteral("Y")};
  const std::size_t size = std::min(x.size(), y.size());
  std::size_t n = 0;
  long double sumX = 0;
  double xLow = std::numeric_limits<double>::infinity(), xHigh = -xLow;
  double yLow = xLow, yHigh = -xLow;
  for (std::size_t i = 0; i < size; ++i) {
    if (std::isnan(x[i]) || std::isnan(y[i])) continue;
    ++n;
    sumX += x[i];
    xLow = std::min(xLow, x[i]);
    xHigh = std::max(xHigh, x[i]);
    yLow = std::min(yLow, y[i]);
    yHigh = std::max(yHigh, y[i]);
  }
  if (n > kMaxDrawnPoints && std::isfinite(xLow) && std::isfinite(yLow)) {
    auto pad = [](double& low, double& high) {
      if (low == high) {
        low -= 1;
        high += 1;
      }
    };
    pad(xLow, xHigh);
    pad(yLow, yHigh);
    ChartSeries density{.type = ChartSeries::Type::Density, .name = QStringLiteral("观察值（分格计数）")};
    density.grid = EmptyGrid(kGridColumns, xLow, xHigh, yLow, yHigh);
    for (std::size_t i = 0; i < size; ++i)
      if (std::isfinite(x[i]) && std::isfinite(y[i])) Bin(density.grid, x[i], y[i]);
    panel.series.push_back(std::move(density));
  } else {
    ChartSeries dots{.type = ChartSeries::Type::Points, .name = QStringLiteral("观察值"), .colour = 0};
    for (std::size_t i = 0; i < size; ++i)
      if (!std::isnan(x[i]) && !std::isnan(y[i])) {
        dots.x.push_back(x[i]);
        dots.y.push_back(y[i]);
      }
    panel.series.push_back(std::move(dots));
  }
  const CorrelationFigures f = ComputeCorrelationFigures(x, y);
  ChartSeries band{.type = ChartSeries::Type::Band, .name = QStringLiteral("95%置信带"), .colour = 0};
  ChartSeries line{.type = ChartSeries::Type::Curve, .name = QStringLiteral("回归直线"), .colour = 1};
  if (f.slope && f.intercept && std::isfinite(xLow) && xLow < xHigh) {
    const double meanX = double(sumX / (long double)n);
    const double t = f.df ? TQuantile975(*f.df) : kNaN;
    constexpr int kSteps = 60;
    for (int k = 0; k <= kSteps; ++k) {
      const double at = xLow + (xHigh - xLow) * k / kSteps;
      const double fit = *f.intercept + *f.slope * at;
      line.x.push_back(at);
      line.y.push_back(fit);
      // Var(ŷ) = se(a)² − 2·x·x̄·se(b)² + x²·se(b)² = s²(1/n + (x − x̄)²/Sxx).
      if (f.intercept_se && f.slope_se && std::isfinite(t)) {
        const double sb2 = *f.slope_se * *f.slope_se;
        const double se = std::sqrt(
            std::max(0.0, *f.intercept_se * *f.intercept_se - 2 * at * meanX * sb2 + at * at * sb2));
        band.x.push_back(at);
        band.low.push_back(fit - t * se);
        band.high.push_back(fit + t * se);
      }
    }
    panel.note = QStringLiteral("Ŷ = %1%2X\nr = %3，n = %4")
                     .arg(FigureText(*f.intercept), SignedTerm(*f.slope), FigureText(f.r), QString::number(n));
  }
  panel.series.push_back(std::move(band));
  panel.series.push_back(std::move(line));
  model.panels.push_back(std::move(panel));
  return model;
}

ChartModel RatesChart(std::span<const RateGroup> groups, const QString& eventName) {
  ChartModel model{.kind = ChartKind::Rates};
  ChartPanel panel{.xTitle = QStringLiteral("组别"), .yTitle = eventName + QStringLiteral("率（%）")};
  panel.percent = true;
  ChartSeries bars{.type = ChartSeries::Type::Bars, .name = eventName + QStringLiteral("率")};
  for (const RateGroup& g : groups) {
    if (!(g.total > 0) || !std::isfinite(g.total) || !std::isfinite(g.events)) continue;
    panel.categories.push_back(g.name);
    AddRateBar(bars, double(panel.categories.size()), g.events, g.total);
  }
  panel.series.push_back(std::move(bars));
  panel.note = QStringLiteral("误差线：95%CI（Wilson法）");
  model.panels.push_back(std::move(panel));
  return model;
}

ChartModel GroupedRatesChart(const std::vector<std::vector<double>>& counts, const QStringList& rows,
                             const QStringList& columns) {
  ChartModel model{.kind = ChartKind::Rates};
  ChartPanel panel{.xTitle = QStringLiteral("组别"), .yTitle = QStringLiteral("构成比（%）")};
  panel.percent = true;
  panel.legend = true;
  const auto usable = [](double c) { return std::isfinite(c) && c > 0 ? c : 0.0; };
  std::vector<double> rowTotals(counts.size(), 0.0), columnTotals;
  for (std::size_t r = 0; r < counts.size(); ++r)
    for (std::size_t c = 0; c < counts[r].size(); ++c) {
      if (columnTotals.size() <= c) columnTotals.resize(c + 1, 0.0);
      rowTotals[r] += usable(counts[r][c]);
      columnTotals[c] += usable(counts[r][c]);
    }
  for (std::size_t r = 0; r < counts.size(); ++r)
    if (rowTotals[r] > 0) panel.categories.push_back(rows.value(qsizetype(r)));
  std::vector<std::size_t> shown;
  for (std::size_t c = 0; c < columnTotals.size(); ++c)
    if (columnTotals[c] > 0) shown.push_back(c);
  // The bars of one row share 0.8 of its slot, centred on it.
  const double width = shown.empty() ? 0.55 : 0.8 / double(shown.size());
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const std::size_t c = shown[k];
    ChartSeries bars{.type = ChartSeries::Type::Bars, .name = columns.value(qsizetype(c)), .colour = int(k)};
    bars.width = width * 0.9;
    const double offset = (double(k) - double(shown.size() - 1) / 2) * width;
    double slot = 0;
    for (std::size_t r = 0; r < counts.size(); ++r) {
      if (!(rowTotals[r] > 0)) continue;
      const double events = c < counts[r].size() ? usable(counts[r][c]) : 0.0;
      AddRateBar(bars, ++slot + offset, events, rowTotals[r]);
    }
    panel.series.push_back(std::move(bars));
  }
  panel.note = QStringLiteral("各列构成比 = 该列频数 / 行合计；误差线：95%CI（Wilson法）");
  model.panels.push_back(std::move(panel));
  return model;
}

ChartModel StackedPercentChart(const std::vector<std::vector<double>>& counts, const QStringList& groups,
                               const QStringList& grades) {
  ChartModel model{.kind = ChartKind::StackedPercent};
  ChartPanel panel{.xTitle = QStringLiteral("组别"), .yTitle = QStringLiteral("构成比（%）")};
  panel.percent = true;
  panel.legend = true;
  std::vector<double> totals;
  for (std::size_t g = 0; g < counts.size(); ++g) {
    double total = 0;
    for (double c : counts[g]) total += std::isfinite(c) && c > 0 ? c : 0;
    if (total > 0) panel.categories.push_back(groups.value(qsizetype(g)));
    totals.push_back(total);
  }
  for (qsizetype k = 0; k < grades.size(); ++k) {
    ChartSeries layer{.type = ChartSeries::Type::Stacked, .name = grades[k], .colour = int(k)};
    double x = 0;
    for (std::size_t g = 0; g < counts.size(); ++g) {
      if (!(totals[g] > 0)) continue;
      double base = 0;
      for (qsizetype j = 0; j < k; ++j) base += std::max(0.0, counts[g].at(std::size_t(j)));
      const double c = counts[g].at(std::size_t(k));
      layer.x.push_back(++x);
      layer.base.push_back(100 * base / totals[g]);
      layer.y.push_back(std::isfinite(c) && c > 0 ? 100 * c / totals[g] : 0.0);
    }
    panel.series.push_back(std::move(layer));
  }
  model.panels.push_back(std::move(panel));
  return model;
}

}  // namespace kelvasta
