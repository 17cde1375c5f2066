// The work one keystroke in a value list causes at 1,000, 100,000 and
// 1,000,000 rows in each list: store the item, then the computation the
// title asks for. Target: at most 16 ms a keystroke at 1,000,000 rows.
// BM_TwoListsMemory reports what two lists of 1,000,000 rows cost.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <fstream>
#include <random>

#include "entry/group_summary.h"
#include "entry/value_list.h"
#include "stats/correlation.h"
#include "stats/critical_values.h"
#include "stats/number_text.h"
#include "stats/paired_t.h"

namespace {

using kelvasta::ValueList;

struct Lists {
  ValueList first, second;
};

// Values as typed: up to six digits with two decimals.
Lists Filled(std::size_t rows) {
  std::mt19937 random(42);
  std::uniform_int_distribution<int> hundredths(0, 99999999);
  Lists lists;
  for (std::size_t i = 0; i < rows; ++i) {
    lists.first.append(kelvasta::DoubleToText(hundredths(random) / 100.0));
    lists.second.append(kelvasta::DoubleToText(hundredths(random) / 100.0));
  }
  return lists;
}

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

// Registered first so that no freed memory of other runs is reused.
void BM_TwoListsMemory(benchmark::State& state) {
  constexpr std::size_t kRows = 1'000'000;
  for (auto _ : state) {
    const long before = ResidentBytes();
    Lists lists = Filled(kRows);
    const long after = ResidentBytes();
    benchmark::DoNotOptimize(lists.first.values().data());
    state.counters["MB"] = static_cast<double>(after - before) / 1e6;
    state.counters["bytes_per_item"] = static_cast<double>(after - before) / (2.0 * kRows);
  }
}
BENCHMARK(BM_TwoListsMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Alternates two texts in one row so every keystroke changes the data.
template <typename Compute>
void Keystrokes(benchmark::State& state, Compute compute) {
  const auto rows = static_cast<std::size_t>(state.range(0));
  Lists lists = Filled(rows);
  std::size_t k = 0;
  for (auto _ : state) {
    lists.first.setItem((k * 7919) % rows, k % 2 == 0 ? "12.5" : "1");
    benchmark::DoNotOptimize(compute(lists));
    ++k;
  }
}

void BM_TwoSampleKeystroke(benchmark::State& state) {
  Keystrokes(state, [](const Lists& l) { return kelvasta::SummarizeGroup(l.first); });
}

void BM_PairedKeystroke(benchmark::State& state) {
  Keystrokes(state, [](const Lists& l) {
    return kelvasta::ComputePairedT(l.first.values(), l.second.values(), kelvasta::TTableText());
  });
}

void BM_CorrelationKeystroke(benchmark::State& state) {
  Keystrokes(state, [](const Lists& l) {
    return kelvasta::ComputeCorrelation(l.first.values(), l.second.values(), kelvasta::TTableText());
  });
}

BENCHMARK(BM_TwoSampleKeystroke)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PairedKeystroke)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrelationKeystroke)->Arg(1'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
