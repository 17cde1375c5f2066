// How long each planning design takes to answer: the window's computation of
// a report (the exact search, the formula, the curve, the rows and the
// sentence) for a typical plan and for the slowest kinds of input. The
// target is 50 ms a design.
#include "app/power/power_design.h"

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
};

void BM_Design(benchmark::State& state, const Plan* plan) {
  const PlanningState planned = State(*plan);
  const PowerDesign& design = PowerDesigns().at(std::size_t(plan->design));
  const std::atomic<bool> cancel{false};
  for (auto _ : state) benchmark::DoNotOptimize(design.compute(planned, QString(), cancel));
}

const bool kRegistered = [] {
  for (const Plan& plan : kPlans)
    benchmark::RegisterBenchmark(plan.name, BM_Design, &plan)->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
}  // namespace kelvasta
