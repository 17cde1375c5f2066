// The chart's redraw: building its model from the lists and drawing it into
// a QImage of the pane's size (about 320 x 300 pixels at 96 dpi), at 1,000,
// 100,000 and 1,000,000 rows in each list. Above 5,000 points the scatter
// is binned, so drawing costs the same at any size and the model's passes
// over the lists dominate.
#include "app/chart/chart_model.h"
#include "app/chart/chart_view.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <random>
#include <span>
#include <vector>

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "chart_bench";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// A list of normal values in hundredths, as typed; `shift` moves its mean.
std::vector<double> List(std::size_t rows, unsigned seed, double shift) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(50 + shift, 10);
  std::vector<double> values(rows);
  for (double& v : values) v = std::round(normal(random) * 100) / 100;
  return values;
}

// The pane's chart area in centimetres at 96 dpi.
const QSizeF kPaneCm(320 / 96.0 * 2.54, 300 / 96.0 * 2.54);

template <class Build>
void Redraw(benchmark::State& state, Build build) {
  Application();
  const auto rows = std::size_t(state.range(0));
  const std::vector<double> first = List(rows, 1, 0);
  const std::vector<double> second = List(rows, 2, 3);
  for (auto _ : state) {
    const QImage image = kelvasta::RenderChart(build(first, second), kPaneCm, 96);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(2 * rows));
}

void BM_GroupMeansChart(benchmark::State& state) {
  Redraw(state, [](const std::vector<double>& a, const std::vector<double>& b) {
    const std::span<const double> groups[] = {a, b};
    return kelvasta::GroupMeansChart(groups, {QStringLiteral("第1组"), QStringLiteral("第2组")},
                                     kelvasta::ErrorBarKind::Ci95);
  });
}
void BM_PairedChart(benchmark::State& state) {
  Redraw(state, [](const std::vector<double>& a, const std::vector<double>& b) {
    return kelvasta::PairedChart(a, b, {QStringLiteral("第1组"), QStringLiteral("第2组")});
  });
}
void BM_CorrelationChart(benchmark::State& state) {
  Redraw(state, [](const std::vector<double>& a, const std::vector<double>& b) {
    return kelvasta::CorrelationChart(a, b);
  });
}

BENCHMARK(BM_GroupMeansChart)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairedChart)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationChart)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Saving a million-row scatter as a 12 x 9 cm PNG at 300 dpi.
void BM_CorrelationChartPng300(benchmark::State& state) {
  Application();
  const std::vector<double> x = List(1'000'000, 1, 0);
  const std::vector<double> y = List(1'000'000, 2, 3);
  const kelvasta::ChartModel model = kelvasta::CorrelationChart(x, y);
  for (auto _ : state) {
    const QImage image = kelvasta::RenderChart(model);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_CorrelationChartPng300)->Unit(benchmark::kMillisecond);

}  // namespace
