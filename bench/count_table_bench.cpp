// The work one keystroke in the 2 x 2 grid causes: totals, then the fourfold
// or the paired statistic with its captions.
#include "stats/count_table.h"
#include "stats/fourfold.h"
#include "stats/paired_chi_square.h"

#include <benchmark/benchmark.h>

namespace {

const std::array<std::string, 4> kCells{"30", "2", "10", "5"};

void BM_FourfoldKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    const kelvasta::CountTotals totals = kelvasta::ComputeCountTotals(kCells);
    benchmark::DoNotOptimize(kelvasta::FourfoldChiSquare(totals));
  }
}
BENCHMARK(BM_FourfoldKeystroke);

void BM_PairedKeystroke(benchmark::State& state) {
  for (auto _ : state) {
    const kelvasta::CountTotals totals = kelvasta::ComputeCountTotals(kCells);
    benchmark::DoNotOptimize(kelvasta::PairedChiSquare(totals));
  }
}
BENCHMARK(BM_PairedKeystroke);

}  // namespace
