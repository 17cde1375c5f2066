#pragma once

// Planning a one-way analysis of variance of k equal groups by the
// noncentral F distribution (sides do not apply).

#include <array>
#include <optional>
#include <vector>

#include "stats/figures.h"
#include "stats/planning.h"

namespace kelvasta {

inline constexpr int kMaxPlannedGroups = 6;

// P(F' ≥ fCritical) for the noncentral F with df1, df2 and noncentrality λ;
// NaN when Boost cannot evaluate it.
double NoncentralFPower(double df1, double df2, double lambda, double fCritical);

struct AnovaPlanningInput {
  double groups = 3;  // k: whole, 2 to 6
  std::array<double, kMaxPlannedGroups> means{kMissing, kMissing, kMissing, kMissing, kMissing, kMissing};
  double sd = kMissing;  // the common SD within groups, > 0
  double n = kMissing;   // mode kPower: per group, whole, 2 to 10,000,000
};

// f = √(Σ(μᵢ − μ̄)²/k)/sd, λ = k·n·f², df1 = k − 1, df2 = k(n − 1), the
// critical F at 1 − α. Mode kSampleSize: the n per group found and the
// figures at it; mode kPower: power and the same effect and critical figures.
struct AnovaPlan {
  std::optional<double> n_per_group, n_total, n_per_group_dropout, n_total_dropout;
  std::optional<double> effect_f, lambda, f_critical, df1, df2, power_achieved, power;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;  // power against n per group
};

AnovaPlan PlanAnova(const PlanningGoal& goal, const AnovaPlanningInput& input);

FigureList ListFigures(const AnovaPlan& plan, PlanningMode mode);

}  // namespace kelvasta
