#pragma once

// Planning the comparison of categories: several groups' rates or
// compositions (the R x C chi-square, by the noncentral chi-square) and two
// groups' ordinal grades (the rank-sum test, by Noether's formula with the
// variance corrected for ties).

#include <array>
#include <optional>
#include <vector>

#include "stats/figures.h"
#include "stats/planning.h"

namespace kelvasta {

inline constexpr int kMaxPlannedRows = 3;
inline constexpr int kMaxPlannedCategories = 4;
inline constexpr int kPlannedGrades = 4;

// P(χ'² ≥ χ²_{1−α}) for the noncentral chi-square with df and λ; NaN when
// Boost cannot evaluate it.
double NoncentralChiSquarePower(double df, double lambda, double alpha);

struct RxcPlanningInput {
  double rows = 2;        // r: 2 or 3 groups
  double categories = 2;  // c: 2 to 4
  // The groups' shares of the total, in (0, 1], summing to 1 ± 0.001; all
  // equal (1/r) when `equalShares`.
  std::array<double, kMaxPlannedRows> shares{kMissing, kMissing, kMissing};
  bool equalShares = false;
  // p[i][j]: the expected share of category j in group i, in [0, 1], each
  // group's row summing to 1 ± 0.001.
  std::array<std::array<double, kMaxPlannedCategories>, kMaxPlannedRows> p{};
  double n = kMissing;  // mode kPower: the total N, whole, 2 to 10,000,000
};

// w = √(Σ(pᵢⱼ − sᵢp·ⱼ)²/(sᵢp·ⱼ)) over the cell shares pᵢⱼ = sᵢ·p_i_j (a
// category no group has is left out, as the table leaves out an empty
// column), df = (r − 1)(c − 1), λ = N·w², the critical χ² at 1 − α. Mode
// kSampleSize: the smallest N reaching the target (n_total), the groups'
// ⌈sᵢ·N⌉ (n_groups), ⌈N/(1 − d)⌉, and the figures at N; mode kPower: power
// and the same effect and critical figures.
struct RxcPlan {
  std::optional<double> n_total, n_total_dropout, effect_w, df, lambda, chi2_critical, power_achieved, power;
  std::array<std::optional<double>, kMaxPlannedRows> n_groups;
  int rows = 0;  // the groups planned, for the keys n_1 … n_r
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;  // power against N
};

RxcPlan PlanRxc(const PlanningGoal& goal, const RxcPlanningInput& input);

FigureList ListFigures(const RxcPlan& plan, PlanningMode mode);

struct OrdinalPlanningInput {
  // Each group's expected share of each grade, mildest first, in [0, 1],
  // each summing to 1 ± 0.001.
  std::array<double, kPlannedGrades> p1{kMissing, kMissing, kMissing, kMissing};
  std::array<double, kPlannedGrades> p2{kMissing, kMissing, kMissing, kMissing};
  double ratio = 1;                     // n2/n1 for mode kSampleSize
  double n1 = kMissing, n2 = kMissing;  // mode kPower
};

// p = P(X₁ > X₂) + ½·P(X₁ = X₂); Noether's N = (z_{1−α/s} + z_{1−β})²·(1 −
// Σp̄ⱼ³)/(12·t(1 − t)·(p − ½)²), t = 1/(1 + k), p̄ⱼ = t·p1_j + (1 − t)·p2_j;
// n1 = ⌈N·t⌉, n2 = ⌈k·n1⌉, power_achieved the formula's power at them. Mode
// kPower: power, z_β = √(12·t(1 − t)·N·(p − ½)²/(1 − Σp̄ⱼ³)) − z_{1−α/s} with
// t = n1/N.
struct OrdinalPlan {
  std::optional<double> n1, n2, n_total, n1_dropout, n2_dropout, n_total_dropout, prob_superiority, power_achieved,
      power;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;  // power against n1
};

OrdinalPlan PlanOrdinal(const PlanningGoal& goal, const OrdinalPlanningInput& input);

FigureList ListFigures(const OrdinalPlan& plan, PlanningMode mode);

}  // namespace kelvasta
