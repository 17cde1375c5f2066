#include "stats/power_t_tests.h"

#include <cmath>
#include <string_view>

#include <boost/math/distributions/non_central_t.hpp>

#include "stats/figure_distributions.h"
#include "stats/planning_parts.h"

namespace kelvasta {

namespace {

using figures::Finite;
using NoncentralT = boost::math::non_central_t_distribution<double, figures::QuietPolicy>;
using StudentT = boost::math::students_t_distribution<double, figures::QuietPolicy>;

void SampleSizeTwoMeans(const PlanningGoal& goal, const PlannedEffect& e, double k, TwoMeansPlan& plan) {
  const auto exactPower = [&goal, &e, k](double n1) {
    const double n2 = SecondGroup(n1, k);
    const double df = n1 + n2 - 2;
    return NoncentralTPower(df, e.d / std::sqrt(1 / n1 + 1 / n2), CriticalT(df, goal.alpha, goal.sides), goal.sides);
  };
  const double z = CriticalZ(goal) + PowerZ(goal.power);
  // n1 = (z_{1−α/s} + z_{1−β})²·sd²·(1 + 1/k)/δ², through d where sd² or δ²
  // leave the double range.
  double formula = z * z * e.sd * e.sd * (1 + 1 / k) / (e.delta * e.delta);
  if (!std::isfinite(formula)) formula = z * z * (1 + 1 / k) / (e.d * e.d);
  const SizePlan size = PlanSize(exactPower, formula, 2, LargestFirstGroup(k), goal.power);
  if (size.normal) {
    plan.n1_normal = size.normal;
    plan.n2_normal = SecondGroup(*size.normal, k);
  }
  if (size.beyondLimit) plan.problems.push_back({"n1", PlanningIssue::kBeyondLimit});
  if (!size.exact) return;
  const double n1 = *size.exact, n2 = SecondGroup(n1, k);
  plan.n1 = n1;
  plan.n2 = n2;
  plan.n_total = n1 + n2;
  const auto dropout = DropoutSizes({n1, n2}, goal.dropout, plan.problems);
  if (dropout) {
    plan.n1_dropout = (*dropout)[0];
    plan.n2_dropout = (*dropout)[1];
    plan.n_total_dropout = (*dropout)[0] + (*dropout)[1];
  }
  plan.df = n1 + n2 - 2;
  plan.ncp = e.d / std::sqrt(1 / n1 + 1 / n2);
  plan.t_critical = Finite(CriticalT(*plan.df, goal.alpha, goal.sides));
  plan.power_achieved = Finite(exactPower(n1));
  plan.curve = PowerCurve(exactPower, n1, 2);
}

void SampleSizePaired(const PlanningGoal& goal, const PlannedEffect& e, PairedMeansPlan& plan) {
  const auto exactPower = [&goal, &e](double n) {
    return NoncentralTPower(n - 1, e.d * std::sqrt(n), CriticalT(n - 1, goal.alpha, goal.sides), goal.sides);
  };
  const double z = CriticalZ(goal) + PowerZ(goal.power);
  // n = (z_{1−α/s} + z_{1−β})²·sd_d²/δ².
  double formula = z * z * e.sd * e.sd / (e.delta * e.delta);
  if (!std::isfinite(formula)) formula = z * z / (e.d * e.d);
  const SizePlan size = PlanSize(exactPower, formula, 2, kMaxPlannedSize, goal.power);
  plan.n_normal = size.normal;
  if (size.beyondLimit) plan.problems.push_back({"n", PlanningIssue::kBeyondLimit});
  if (!size.exact) return;
  const double n = *size.exact;
  plan.n = n;
  if (const auto dropout = DropoutSizes({n}, goal.dropout, plan.problems)) plan.n_dropout = (*dropout)[0];
  plan.df = n - 1;
  plan.ncp = e.d * std::sqrt(n);
  plan.t_critical = Finite(CriticalT(n - 1, goal.alpha, goal.sides));
  plan.power_achieved = Finite(exactPower(n));
  plan.curve = PowerCurve(exactPower, n, 2);
}

}  // namespace

double NoncentralTPower(double df, double ncp, double tCritical, int sides) {
  if (!(df > 0) || !(ncp >= 0) || !std::isfinite(ncp) || !(tCritical > 0)) return kMissing;
  const NoncentralT dist(df, ncp);
  double power = cdf(complement(dist, tCritical));
  if (sides == 2) power += cdf(dist, -tCritical);
  return power;
}

double CriticalT(double df, double alpha, int sides) {
  if (!(df > 0)) return kMissing;
  return quantile(complement(StudentT(df), alpha / sides));
}

TwoMeansPlan PlanTwoMeans(const PlanningGoal& goal, const TwoMeansInput& in) {
  TwoMeansPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const auto effect = CheckEffect(in.mean1 - in.mean2, in.sd, "mean2", "sd", plan.problems);
  if (effect) plan.effect_d = effect->d;
  if (goal.mode == PlanningMode::kSampleSize) {
    const bool ratioUsable = CheckValue(in.ratio, "ratio", in.ratio > 0 && in.ratio <= kMaxPlannedSize, plan.problems);
    if (goalUsable && effect && ratioUsable) SampleSizeTwoMeans(goal, *effect, in.ratio, plan);
    return plan;
  }
  const bool n1Usable = CheckValue(in.n1, "n1", IsPlannedSize(in.n1, 2), plan.problems);
  const bool n2Usable = CheckValue(in.n2, "n2", IsPlannedSize(in.n2, 2), plan.problems);
  if (!n1Usable || !n2Usable) return plan;
  const double n1 = in.n1, n2 = in.n2;
  plan.df = n1 + n2 - 2;
  if (!goalUsable) return plan;
  plan.t_critical = Finite(CriticalT(*plan.df, goal.alpha, goal.sides));
  if (!effect) return plan;
  const double spread = std::sqrt(1 / n1 + 1 / n2);
  plan.ncp = effect->d / spread;
  plan.power = Finite(NoncentralTPower(*plan.df, *plan.ncp, *plan.t_critical, goal.sides));
  // z_β = δ/(sd·√(1/n1 + 1/n2)) − z_{1−α/s}.
  plan.power_normal = Finite(NormalCdf(*plan.ncp - CriticalZ(goal)));
  const double k = n2 / n1;
  plan.curve = PowerCurve(
      [&goal, &effect, k](double x) {
        const double y = SecondGroup(x, k);
        return NoncentralTPower(x + y - 2, effect->d / std::sqrt(1 / x + 1 / y), CriticalT(x + y - 2, goal.alpha, goal.sides),
                                goal.sides);
      },
      n1, 2);
  return plan;
}

PairedMeansPlan PlanPairedMeans(const PlanningGoal& goal, const PairedMeansInput& in) {
  PairedMeansPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const auto effect = CheckEffect(in.mean_difference, in.sd_difference, "mean_difference", "sd_difference", plan.problems);
  if (effect) plan.effect_dz = effect->d;
  if (goal.mode == PlanningMode::kSampleSize) {
    if (goalUsable && effect) SampleSizePaired(goal, *effect, plan);
    return plan;
  }
  if (!CheckValue(in.n, "n", IsPlannedSize(in.n, 2), plan.problems)) return plan;
  const double n = in.n;
  plan.df = n - 1;
  if (!goalUsable) return plan;
  plan.t_critical = Finite(CriticalT(n - 1, goal.alpha, goal.sides));
  if (!effect) return plan;
  plan.ncp = effect->d * std::sqrt(n);
  plan.power = Finite(NoncentralTPower(n - 1, *plan.ncp, *plan.t_critical, goal.sides));
  // z_β = |δ|·√n/sd_d − z_{1−α/s}.
  plan.power_normal = Finite(NormalCdf(*plan.ncp - CriticalZ(goal)));
  plan.curve = PowerCurve(
      [&goal, &effect](double x) {
        return NoncentralTPower(x - 1, effect->d * std::sqrt(x), CriticalT(x - 1, goal.alpha, goal.sides), goal.sides);
      },
      n, 2);
  return plan;
}

FigureList ListFigures(const TwoMeansPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower)
    return {{"power", p.power},   {"power_normal", p.power_normal}, {"effect_d", p.effect_d},
            {"ncp", p.ncp},       {"t_critical", p.t_critical},     {"df", p.df}};
  return {{"n1", p.n1},
          {"n2", p.n2},
          {"n_total", p.n_total},
          {"n1_normal", p.n1_normal},
          {"n2_normal", p.n2_normal},
          {"n1_dropout", p.n1_dropout},
          {"n2_dropout", p.n2_dropout},
          {"n_total_dropout", p.n_total_dropout},
          {"effect_d", p.effect_d},
          {"ncp", p.ncp},
          {"t_critical", p.t_critical},
          {"df", p.df},
          {"power_achieved", p.power_achieved}};
}

FigureList ListFigures(const PairedMeansPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower)
    return {{"power", p.power}, {"power_normal", p.power_normal}, {"effect_dz", p.effect_dz},
            {"ncp", p.ncp},     {"t_critical", p.t_critical},     {"df", p.df}};
  return {{"n", p.n},     {"n_normal", p.n_normal},     {"n_dropout", p.n_dropout}, {"effect_dz", p.effect_dz},
          {"ncp", p.ncp}, {"t_critical", p.t_critical}, {"df", p.df},               {"power_achieved", p.power_achieved}};
}

}  // namespace kelvasta
