#pragma once

// Planning the test of a correlation (H0: ρ = 0) exactly by the distribution
// of r under a bivariate normal population, and by Fisher's z beside it.

#include <optional>
#include <vector>

#include "stats/figures.h"
#include "stats/planning.h"

namespace kelvasta {

// r_c = t_c/√(n − 2 + t_c²), t_c the t quantile at 1 − α/sides with n − 2
// degrees of freedom.
double CriticalR(double n, double alpha, int sides);

// P(|r| ≥ r_c) two-sided, the tail of ρ's sign one-sided, for n ≥ 4 pairs.
double CorrelationPower(double n, double rho, double alpha, int sides);

struct CorrelationPlanningInput {
  double rho = kMissing;  // under the alternative: 0 < |ρ| < 1
  double n = kMissing;    // mode kPower: whole, 4 to 10,000,000
};

// Mode kSampleSize: n (exact), n_normal (Fisher's z: ((z_{1−α/s} +
// z_{1−β})/atanh|ρ|)² + 3, rounded up), n_dropout, r_critical and
// power_achieved at n; mode kPower: power, power_normal (Φ(atanh|ρ|·√(n − 3)
// − z_{1−α/s})) and r_critical.
struct CorrelationPlan {
  std::optional<double> n, n_normal, n_dropout, r_critical, power_achieved, power, power_normal;
  std::vector<PlanningProblem> problems;
  std::vector<PowerPoint> curve;
};

CorrelationPlan PlanCorrelation(const PlanningGoal& goal, const CorrelationPlanningInput& input);

FigureList ListFigures(const CorrelationPlan& plan, PlanningMode mode);

}  // namespace kelvasta
