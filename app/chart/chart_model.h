#pragma once

#include "stats/mean_figures.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace kelvasta {

// What a chart shows, independent of the library that draws it: panels of
// series in data coordinates, with axis titles and category labels. Built by
// the pure functions below from the window's numbers; ChartView draws it.

enum class ChartKind { None, GroupMeans, PairedDifferences, Scatter, Rates, StackedPercent, PowerCurve };

// Which interval the mean charts draw around each mean.
enum class ErrorBarKind { Sd, Ci95 };

// A 2-D histogram standing in for a scatter too large to draw point by
// point: counts[iy * columns + ix] over [xMin, xMax] x [yMin, yMax].
struct DensityGrid {
  int columns = 0;
  int rows = 0;
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  std::vector<double> counts{};
  std::size_t total = 0;  // points binned
};

struct ChartSeries {
  enum class Type {
    Points,     // markers at (x, y)
    Lines,      // segments (x[2k], y[2k]) - (x[2k+1], y[2k+1])
    Curve,      // one polyline through (x, y) in order of x
    Band,       // filled area between low and high over x
    MeanBars,   // a mean marker at (x, y) with whiskers low..high
    Bars,       // bars from 0 to y at x, with whiskers low..high when given
    Stacked,    // bars from base to base + y at x
    Density,    // the grid
    Reference,  // a dashed horizontal line at y[0]
  };
  Type type = Type::Points;
  QString name{};
  int colour = 0;  // index into the palette
  std::vector<double> x{}, y{}, low{}, high{}, base{};
  double width = 0.55;  // of a bar, in x units
  DensityGrid grid{};
  // What the dump counts: points, segments, bars or non-empty bins.
  std::size_t count() const;
};

struct ChartPanel {
  QString xTitle{}, yTitle{};
  QString title{};                // a small heading above the panel
  QStringList categories{};       // text ticks at x = 1, 2, ...; empty: numeric x axis
  std::vector<ChartSeries> series{};
  QString note{};                 // a corner or foot text (equation, r, the interval used)
  bool percent = false;           // y runs 0 to 100
  bool legend = false;
};

struct ChartModel {
  ChartKind kind = ChartKind::None;
  // The interval drawn around the means, for the mean charts.
  std::optional<ErrorBarKind> errorBars{};
  std::vector<ChartPanel> panels{};
  QString message{};  // shown instead of panels when there is nothing to draw
};

// The kind's name in the automation dump: "none", "group_means",
// "paired_differences", "scatter", "rates", "stacked_percent", "power_curve".
QString ChartKindName(ChartKind kind);

// The automation dump's `chart`: kind, the first panel's x_title and
// y_title, every panel's series as {name, points (ChartSeries::count),
// binned}, panels (their number) and error_bars ("sd", "ci95" or null).
QJsonObject ChartJson(const ChartModel& model);

// Above this many points a panel's scatter is binned into a DensityGrid.
inline constexpr std::size_t kMaxDrawnPoints = 5000;
// Pairs drawn as before-after lines at most.
inline constexpr std::size_t kMaxPairLines = 200;

// Interval of a mean from a group's moments: mean ± t(0.975, n - 1)·sd/√n
// for Ci95, mean ± sd for Sd; NaN ends when n < 2.
std::array<double, 2> MeanInterval(const GroupMoments& m, ErrorBarKind kind);

// Wilson score interval of `events` out of `total` at 95% (z = 1.959964),
// as proportions; NaN ends when total <= 0.
std::array<double, 2> WilsonInterval(double events, double total);

// Raw groups: each group's values (NaN skipped) as jittered dots, binned
// when there are more than kMaxDrawnPoints in all, and each mean with the
// chosen interval beside them.
ChartModel GroupMeansChart(std::span<const std::span<const double>> groups, const QStringList& names,
                           ErrorBarKind kind);
// Typed summary figures: each mean with ± SD (or its 95% CI) only.
ChartModel GroupSummaryChart(std::span<const GroupMoments> groups, const QStringList& names, ErrorBarKind kind);

// Paired values (complete pairs only): the first kMaxPairLines pairs as
// before-after lines, and the differences first − second with their mean
// and 95% CI and a zero line.
ChartModel PairedChart(std::span<const double> first, std::span<const double> second, const QStringList& names);

// Scatter of y on x (complete pairs) with the least-squares line, its 95%
// confidence band for the mean of y, and the equation and r in the note.
ChartModel CorrelationChart(std::span<const double> x, std::span<const double> y);

// One rate per group: events / (events + others) in percent with the Wilson
// 95% interval; groups with a zero or non-finite total are left out.
struct RateGroup {
  QString name;
  double events = 0;
  double total = 0;
};
ChartModel RatesChart(std::span<const RateGroup> groups, const QString& eventName);

// The share of every column within each row of a table, as grouped bars
// in percent with Wilson 95% intervals: one series per column with counts,
// one category per row with counts; counts[r][c].
ChartModel GroupedRatesChart(const std::vector<std::vector<double>>& counts, const QStringList& rows,
                             const QStringList& columns);

// Stacked percentages of the grades within each group; counts[g][k] is the
// count of grade k in group g.
ChartModel StackedPercentChart(const std::vector<std::vector<double>>& counts, const QStringList& groups,
                               const QStringList& grades);

}  // namespace kelvasta
