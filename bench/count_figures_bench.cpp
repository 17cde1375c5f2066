// The exact tests of the details pane at their largest: Fisher's test of a
// 2 x 2 table with counts near a million and the conditional odds ratio at
// every size a double holds (run on every keystroke; target a few
// milliseconds, never above 50), and the Freeman-Halton test of a 3 x 4
// table with 906 576 tables of its margins (run off the user-interface
// thread).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "stats/conditional_odds_ratio.h"
#include "stats/count_figures.h"
#include "stats/fisher_exact.h"
#include "stats/freeman_halton.h"

namespace {

void BM_FisherMillionCounts(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::FisherExact2x2(1000000, 999000, 998000, 1000000));
  }
}
BENCHMARK(BM_FisherMillionCounts)->Unit(benchmark::kMillisecond);

// The observed table sits at the end of a support of a million tables.
void BM_FisherMillionFarTail(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::FisherExact2x2(1000000, 1000, 2000, 1000000));
  }
}
BENCHMARK(BM_FisherMillionFarTail)->Unit(benchmark::kMillisecond);

// Term by term at its widest (just under kDirectTerms points), then over
// the smooth law: counts of 10^10 to 10^11 far from independence, and the
// largest total a double holds exactly.
void BM_ConditionalOddsRatio(benchmark::State& state) {
  static constexpr std::uint64_t kTables[][4] = {
      {3, 7, 8, 2},
      {9465, 16803698994036, 2166211925319, 35219010},
      {1000000, 999000, 998000, 1000000},
      {5858052884, 5926715396, 25259794188, 3483761832},
      {42571482543, 29587956084, 9819860185, 264766928054},
      {2251799813685248, 2251799813685248, 2251799813685248, 2251799813685248},
  };
  const auto& t = kTables[state.range(0)];
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::ConditionalOddsRatioOf(t[0], t[1], t[2], t[3]));
  }
}
BENCHMARK(BM_ConditionalOddsRatio)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_FourfoldFiguresKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::FourfoldCountFigures({1e6, 999000, 998000, 1e6}));
  }
}
BENCHMARK(BM_FourfoldFiguresKeystroke)->Unit(benchmark::kMillisecond);

void BM_RxcFiguresKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::RxcCountFigures({8, 4, 4, 4, 4, 8, 4, 4, 4, 4, 8, 4}));
  }
}
BENCHMARK(BM_RxcFiguresKeystroke)->Unit(benchmark::kMicrosecond);

void BM_FreemanHalton906576Tables(benchmark::State& state) {
  const std::atomic<bool> running{false};
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::RxcExact({8, 4, 4, 4, 4, 8, 4, 4, 4, 4, 8, 4}, running));
  }
}
BENCHMARK(BM_FreemanHalton906576Tables)->Unit(benchmark::kMillisecond);

// Counting stops just past a million tables.
void BM_FreemanHaltonTooMany(benchmark::State& state) {
  const std::atomic<bool> running{false};
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::RxcExact({100, 80, 60, 40, 70, 90, 50, 30, 20, 40, 80, 90}, running));
  }
}
BENCHMARK(BM_FreemanHaltonTooMany)->Unit(benchmark::kMillisecond);

void BM_PairedAndOrdinalKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvasta::PairedFourfoldCountFigures({794, 150, 86, 570}));
    benchmark::DoNotOptimize(kelvasta::OrdinalCountFigures({40, 30, 20, 10, 20, 25, 30, 25}));
  }
}
BENCHMARK(BM_PairedAndOrdinalKeystroke)->Unit(benchmark::kMicrosecond);

}  // namespace
