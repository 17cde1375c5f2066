#pragma once

// Planning the two t tests: two independent means and paired means, exactly
// by the noncentral t distribution and by the normal formula beside it.

#include <optional>
#include <vector>

#include "stats/figures.h"
#include "stats/planning.h"

namespace kelvasta {

// Power of a t test with `df` degrees of freedom and noncentrality `ncp` ≥ 0
// against the critical value `tCritical` > 0: P(T' ≥ t) one-sided, plus
// P(T' ≤ −t) two-sided. NaN when Boost cannot evaluate it.
double NoncentralTPower(double df, double ncp, double tCritical, int sides);

// The t with P(T ≥ t) = α/sides, `df` degrees of freedom.
double CriticalT(double df, double alpha, int sides);

struct TwoMeansInput {
  double mean1 = kMissing, mean2 = kMissing, sd = kMissing;  // sd: the common SD, > 0
  double ratio = 1;                                          // n2/n1 for mode kSampleSize, > 0
  double n1 = kMissing, n2 = kMissing;                       // mode kPower: whole, 2 to 10,000,000
};

// Mode kSampleSize fills n1 ... n_total_dropout, power_achieved and the
// effect and critical figures at the n found; mode kPower fills power,
// power_normal and the same effect and critical figures. effect_d is
// |mean1 − mean2|/sd, ncp |mean1 − mean2|/(sd·√(1/n1 + 1/n2)).
struct TwoMeansPlan {
  std::optional<double> n1, n2, n_total, n1_normal, n2_normal, n1_dropout, n2_dropout, n_total_dropout;
  std::optional<double> effect_d, ncp, t_critical, df, power_achieved, power, power_normal;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;  // power against n1, n2 = ⌈k·n1⌉
};

TwoMeansPlan PlanTwoMeans(const PlanningGoal& goal, const TwoMeansInput& input);

// The keys of the mode, in the table's order.
FigureList ListFigures(const TwoMeansPlan& plan, PlanningMode mode);

struct PairedMeansInput {
  double mean_difference = kMissing, sd_difference = kMissing;
  double n = kMissing;  // mode kPower: pairs, whole, 2 to 10,000,000
};

// As TwoMeansPlan for n pairs: df = n − 1, ncp = |δ|·√n/sd_d, effect_dz =
// |δ|/sd_d.
struct PairedMeansPlan {
  std::optional<double> n, n_normal, n_dropout;
  std::optional<double> effect_dz, ncp, t_critical, df, power_achieved, power, power_normal;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;
};

PairedMeansPlan PlanPairedMeans(const PlanningGoal& goal, const PairedMeansInput& input);

FigureList ListFigures(const PairedMeansPlan& plan, PlanningMode mode);

}  // namespace kelvasta
