// The details figures of the tests of means and correlation at 1,000,000
// values per list. Per keystroke (target: a few ms, well inside the 16 ms
// frame): the moments of one list, the correlation and regression figures.
// Off the interface thread (target: well within 300 ms): Spearman's rho.
// The analysis of variance's Tukey figures are timed on their own since
// they integrate the studentized range.
#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <random>
#include <vector>

#include "stats/correlation_figures.h"
#include "stats/mean_figures.h"
#include "stats/studentized_range.h"

namespace {

// Values as typed: up to six digits with two decimals, y loosely tied to x.
struct Lists {
  std::vector<double> x, y;
};

Lists Filled(std::size_t rows) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> hundredths(0, 99999999);
  Lists lists;
  lists.x.reserve(rows);
  lists.y.reserve(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    lists.x.push_back(hundredths(random) / 100.0);
    lists.y.push_back(lists.x.back() * 0.5 + hundredths(random) / 200.0);
  }
  return lists;
}

void BM_GroupMoments(benchmark::State& state) {
  const Lists lists = Filled(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::ComputeGroupMoments(lists.x));
  }
}

// Both lists' moments and all two-sample figures: one keystroke's work.
void BM_TwoSampleFigures(benchmark::State& state) {
  const Lists lists = Filled(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::ComputeTwoSampleFigures(kelvasta::ComputeGroupMoments(lists.x),
                                                               kelvasta::ComputeGroupMoments(lists.y)));
  }
}

void BM_PairedTFigures(benchmark::State& state) {
  const Lists lists = Filled(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::ComputePairedTFigures(lists.x, lists.y));
  }
}

void BM_CorrelationFigures(benchmark::State& state) {
  const Lists lists = Filled(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::ComputeCorrelationFigures(lists.x, lists.y));
  }
}

void BM_Spearman(benchmark::State& state) {
  const Lists lists = Filled(static_cast<std::size_t>(state.range(0)));
  const std::atomic<bool> cancel{false};
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::ComputeSpearman(lists.x, lists.y, cancel));
  }
}

// Summary figures in, so this is the Tukey–Kramer cost alone: three upper
// tails of the studentized range, and its 0.95 quantile when df changes.
void BM_AnovaFigures(benchmark::State& state) {
  const bool newDf = state.range(0) != 0;
  std::array<kelvasta::GroupMoments, 3> groups{{{20, 10.1, 2.2}, {25, 11.9, 2.6}, {22, 10.4, 1.9}}};
  for (auto _ : state) {
    if (newDf) {
      groups[0].n = groups[0].n == 20 ? 21 : 20;
    }
    benchmark::DoNotOptimize(kelvasta::ComputeAnovaFigures(groups));
  }
}

void BM_StudentizedRangeUpperTail(benchmark::State& state) {
  double q = 3;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::StudentizedRangeUpperTail(q, 3, 17.5));
    q = q == 3 ? 3.1 : 3;
  }
}

BENCHMARK(BM_GroupMoments)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoSampleFigures)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairedTFigures)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationFigures)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Spearman)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnovaFigures)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StudentizedRangeUpperTail)->Unit(benchmark::kMillisecond);

}  // namespace
