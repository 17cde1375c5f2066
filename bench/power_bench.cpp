// How long each planning design takes to answer: the window's computation of
// a report (the exact search, the formula, the curve, the rows and the
// sentence) for a typical plan and for the slowest kinds of input. The
// target is 50 ms a design, and under a second for the exact searches of
// rates (Fisher's and McNemar's, scanned one n at a time up to 1,000); one
// exact power at a given size is timed alone as well.
#include "app/power/power_design.h"
#include "stats/exact_rate_power.h"

#include <benchmark/benchmark.h>

#include <atomic>

namespace kelvasta {
namespace {

struct Plan {
  const char* name;
  int design;
  bool findPower;
  QMap<QString, QString> inputs;
};

PlanningState State(const Plan& plan) {
  PlanningState state;
  state.design = plan.design;
  state.findPower = plan.findPower;
  state.inputs = {{QStringLiteral("alpha"), QStringLiteral("0.05")},
                  {QStringLiteral("power"), QStringLiteral("0.80")},
                  {QStringLiteral("ratio"), QStringLiteral("1")},
                  {QStringLiteral("dropout"), QStringLiteral("0.1")}};
  for (auto it = plan.inputs.begin(); it != plan.inputs.end(); ++it) state.inputs[it.key()] = it.value();
  return state;
}

const Plan kPlans[] = {
    {"TwoMeans", 0, false, {{"mean1", "120"}, {"mean2", "112"}, {"sd", "15"}}},
    // About 9.8 million per group: the search's longest walk inside the limit.
    {"TwoMeansNearTheLimit", 0, false, {{"mean1", "0.00127"}, {"mean2", "0"}, {"sd", "1"}, {"ratio", "1"}}},
    {"TwoMeansBeyondTheLimit", 0, false, {{"mean1", "0.0001"}, {"mean2", "0"}, {"sd", "1"}}},
    {"TwoMeansPowerOfTenMillion", 0, true, {{"mean1", "0.5"}, {"mean2", "0"}, {"sd", "1"}, {"n1", "10000000"}, {"n2", "10000000"}}},
    {"PairedMeans", 1, false, {{"mean_difference", "5"}, {"sd_difference", "10"}}},
    {"PairedNearTheLimit", 1, false, {{"mean_difference", "0.0009"}, {"sd_difference", "1"}}},
    {"Anova", 2, false, {{"k", "6"}, {"mean_1", "10"}, {"mean_2", "12"}, {"mean_3", "14"}, {"mean_4", "11"}, {"mean_5", "13"}, {"mean_6", "15"}, {"sd", "5"}}},
    {"AnovaNearTheLimit", 2, false, {{"k", "3"}, {"mean_1", "0"}, {"mean_2", "0.00125"}, {"mean_3", "0"}, {"sd", "1"}}},
    {"AnovaPowerOfTenMillion", 2, true, {{"k", "6"}, {"mean_1", "0"}, {"mean_2", "1"}, {"mean_3", "2"}, {"mean_4", "3"}, {"mean_5", "4"}, {"mean_6", "5"}, {"sd", "1"}, {"n", "10000000"}}},
    {"Correlation", 6, false, {{"rho", "0.3"}}},
    {"CorrelationStrong", 6, false, {{"rho", "0.95"}}},
    {"CorrelationNearTheLimit", 6, false, {{"rho", "0.00089"}}},
    {"CorrelationPowerOfTenMillion", 6, true, {{"rho", "0.9"}, {"n", "10000000"}}},
    {"TwoRates", 3, false, {{"p1", "0.6"}, {"p2", "0.4"}}},
    // Fisher's n1 = 466 from Fleiss's 435: a scan from 217.
    {"TwoRatesRare", 3, false, {{"p1", "0.10"}, {"p2", "0.05"}}},
    // Fisher's n1 = 996: the longest scan that still finds one.
    {"TwoRatesNearAThousand", 3, false, {{"p1", "0.5"}, {"p2", "0.4365"}}},
    // Fleiss's 984, Fisher's beyond 1,000: scanned from 492 to 1,000 in vain.
    {"TwoRatesBeyondExact", 3, false, {{"p1", "0.5"}, {"p2", "0.437"}}},
    {"TwoRatesPowerAtAThousand", 3, true, {{"p1", "0.10"}, {"p2", "0.05"}, {"n1", "1000"}, {"n2", "1000"}}},
    {"PairedRates", 4, false, {{"p10", "0.05"}, {"p01", "0.45"}}},
    // McNemar's n = 977 from Connor's 933.
    {"PairedRatesNearAThousand", 4, false, {{"p10", "0.1"}, {"p01", "0.063"}}},
    // Connor's 1,055, the exact one beyond 1,000: scanned from 527 in vain.
    {"PairedRatesBeyondExact", 4, false, {{"p10", "0.1"}, {"p01", "0.065"}}},
    {"PairedRatesPowerAtAThousand", 4, true, {{"p10", "0.1"}, {"p01", "0.063"}, {"n", "1000"}}},
    {"Rxc", 5, false, {{"r", "3"}, {"c", "4"}, {"p_1_1", "0.1"}, {"p_1_2", "0.2"}, {"p_1_3", "0.3"}, {"p_1_4", "0.4"},
                       {"p_2_1", "0.2"}, {"p_2_2", "0.2"}, {"p_2_3", "0.3"}, {"p_2_4", "0.3"}, {"p_3_1", "0.25"},
                       {"p_3_2", "0.25"}, {"p_3_3", "0.25"}, {"p_3_4", "0.25"}}},
    {"Ordinal", 7, false, {{"p1_1", "0.1"}, {"p1_2", "0.2"}, {"p1_3", "0.3"}, {"p1_4", "0.4"}, {"p2_1", "0.2"},
                           {"p2_2", "0.3"}, {"p2_3", "0.3"}, {"p2_4", "0.2"}}},
};

void BM_Design(benchmark::State& state, const Plan* plan) {
  const PlanningState planned = State(*plan);
  const PowerDesign& design = PowerDesigns().at(std::size_t(plan->design));
  const std::atomic<bool> cancel{false};
  for (auto _ : state) benchmark::DoNotOptimize(design.compute(planned, QString(), cancel));
}

// One exact power of Fisher's test, n1 = n2 = range(0), 0.10 against 0.05.
void BM_FisherPower(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(FisherExactPower(n, n, 0.10, 0.05, 0.05, 2));
}
BENCHMARK(BM_FisherPower)->Arg(100)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// The McNemar tables of rejection up to range(0) pairs, and one power there.
void BM_McNemarPower(benchmark::State& state) {
  const int n = int(state.range(0));
  for (auto _ : state) {
    const McNemarExactPower power(0.1, 0.063, 0.05, 2, n);
    benchmark::DoNotOptimize(power(n));
  }
}
BENCHMARK(BM_McNemarPower)->Arg(100)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
  for (const Plan& plan : kPlans)
    benchmark::RegisterBenchmark(plan.name, BM_Design, &plan)->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
}  // namespace kelvasta
