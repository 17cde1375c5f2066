#include "stats/power_correlation.h"

#include <cmath>

#include "stats/correlation_distribution.h"
#include "stats/figure_distributions.h"
#include "stats/planning_parts.h"
#include "stats/power_t_tests.h"

namespace kelvasta {

namespace {

using figures::Finite;

constexpr double kLeastPairs = 4;

}  // namespace

double CriticalR(double n, double alpha, int sides) {
  const double t = CriticalT(n - 2, alpha, sides);
  return t / std::sqrt(n - 2 + t * t);
}

double CorrelationPower(double n, double rho, double alpha, int sides) {
  const CorrelationTails tails = SampleCorrelationTails(n, std::fabs(rho), CriticalR(n, alpha, sides));
  return sides == 2 ? tails.either : tails.upper;
}

CorrelationPlan PlanCorrelation(const PlanningGoal& goal, const CorrelationPlanningInput& in) {
  CorrelationPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const double rho = in.rho;
  bool rhoUsable = CheckValue(rho, "rho", std::fabs(rho) < 1, plan.problems);
  if (rhoUsable && rho == 0) {
    plan.problems.push_back({"rho", PlanningIssue::kNoEffect});
    rhoUsable = false;
  }
  const auto power = [&goal, rho](double n) { return CorrelationPower(n, rho, goal.alpha, goal.sides); };
  const double z = std::atanh(std::fabs(rho));
  if (goal.mode == PlanningMode::kPower) {
    if (!CheckValue(in.n, "n", IsPlannedSize(in.n, kLeastPairs), plan.problems) || !goalUsable) return plan;
    plan.r_critical = Finite(CriticalR(in.n, goal.alpha, goal.sides));
    if (!rhoUsable) return plan;
    plan.power = Finite(power(in.n));
    plan.power_normal = Finite(NormalCdf(z * std::sqrt(in.n - 3) - CriticalZ(goal)));
    plan.curve = PowerCurve(power, in.n, kLeastPairs);
    return plan;
  }
  if (!goalUsable || !rhoUsable) return plan;
  const double zSum = CriticalZ(goal) + PowerZ(goal.power);
  const double formula = (zSum / z) * (zSum / z) + 3;
  const SizePlan size = PlanSize(power, formula, kLeastPairs, kMaxPlannedSize, goal.power);
  plan.n_normal = size.normal;
  if (size.beyondLimit) plan.problems.push_back({"n", PlanningIssue::kBeyondLimit});
  if (!size.exact) return plan;
  const double n = *size.exact;
  plan.n = n;
  if (const auto dropout = DropoutSizes({n}, goal.dropout, plan.problems)) plan.n_dropout = (*dropout)[0];
  plan.r_critical = Finite(CriticalR(n, goal.alpha, goal.sides));
  plan.power_achieved = Finite(power(n));
  plan.curve = PowerCurve(power, n, kLeastPairs);
  return plan;
}

FigureList ListFigures(const CorrelationPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower)
    return {{"power", p.power}, {"power_normal", p.power_normal}, {"r_critical", p.r_critical}};
  return {{"n", p.n},
          {"n_normal", p.n_normal},
          {"n_dropout", p.n_dropout},
          {"r_critical", p.r_critical},
          {"power_achieved", p.power_achieved}};
}

}  // namespace kelvasta
