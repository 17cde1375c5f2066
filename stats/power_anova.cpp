#include "stats/power_anova.h"

#include <cmath>

#include <boost/math/distributions/non_central_f.hpp>
#include <boost/math/special_functions/beta.hpp>

#include "stats/figure_distributions.h"
#include "stats/planning_parts.h"

namespace kelvasta {

namespace {

using figures::Finite;
using NoncentralF = boost::math::non_central_f_distribution<double, figures::QuietPolicy>;

// The F with P(F ≥ f) = α, from the inverse incomplete beta as Boost's own
// quantile takes it: x = I⁻¹ at 1 − α, f = df2·x/(df1·(1 − x)).
double CriticalF(double df1, double df2, double alpha) {
  double y = kMissing;
  const double x = boost::math::ibetac_inv(df1 / 2, df2 / 2, alpha, &y, figures::QuietPolicy());
  return df2 * x / (df1 * y);
}

// f of the first k means over sd; empty, with the problem noted, when the
// means are equal or the spread leaves the double range.
std::optional<double> EffectF(int k, const AnovaPlanningInput& in, bool sdUsable,
                              std::vector<PlanningProblem>& problems) {
  double sum = 0;
  for (int i = 0; i < k; ++i) {
    if (std::isnan(in.means[std::size_t(i)])) return std::nullopt;
    sum += in.means[std::size_t(i)];
  }
  const double mean = sum / k;
  double squares = 0;
  bool equal = true;
  for (int i = 0; i < k; ++i) {
    const double m = in.means[std::size_t(i)];
    equal = equal && m == in.means[0];
    squares += (m - mean) * (m - mean);
  }
  if (equal) {
    problems.push_back({"mean_1", PlanningIssue::kNoEffect});
    return std::nullopt;
  }
  if (!sdUsable) return std::nullopt;
  const double f = std::sqrt(squares / k) / in.sd;
  if (!std::isfinite(f) || f == 0) {
    problems.push_back({"mean_1", PlanningIssue::kNotComputable});
    return std::nullopt;
  }
  return f;
}

// Power of k groups of n at effect f.
double AnovaPower(int k, double n, double f, double alpha) {
  const double df1 = k - 1, df2 = k * (n - 1);
  return NoncentralFPower(df1, df2, k * n * f * f, CriticalF(df1, df2, alpha));
}

void FillAt(int k, double n, double f, double alpha, AnovaPlan& plan) {
  plan.df1 = k - 1;
  plan.df2 = k * (n - 1);
  plan.f_critical = Finite(CriticalF(*plan.df1, *plan.df2, alpha));
  plan.lambda = k * n * f * f;
}

}  // namespace

double NoncentralFPower(double df1, double df2, double lambda, double fCritical) {
  if (!(df1 > 0) || !(df2 > 0) || !(lambda >= 0) || !std::isfinite(lambda) || !(fCritical > 0)) return kMissing;
  return cdf(complement(NoncentralF(df1, df2, lambda), fCritical));
}

AnovaPlan PlanAnova(const PlanningGoal& goal, const AnovaPlanningInput& in) {
  AnovaPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const double groups = in.groups;
  if (!CheckValue(groups, "k", std::floor(groups) == groups && groups >= 2 && groups <= kMaxPlannedGroups,
                  plan.problems)) {
    CheckValue(in.sd, "sd", in.sd > 0, plan.problems);
    return plan;
  }
  const int k = int(groups);
  const bool sdUsable = CheckValue(in.sd, "sd", in.sd > 0, plan.problems);
  const std::optional<double> f = EffectF(k, in, sdUsable, plan.problems);
  plan.effect_f = f;
  const double alpha = goal.alpha;
  if (goal.mode == PlanningMode::kPower) {
    if (!CheckValue(in.n, "n", IsPlannedSize(in.n, 2), plan.problems)) return plan;
    plan.df1 = k - 1;
    plan.df2 = k * (in.n - 1);
    if (!goalUsable) return plan;
    plan.f_critical = Finite(CriticalF(*plan.df1, *plan.df2, alpha));
    if (!f) return plan;
    FillAt(k, in.n, *f, alpha, plan);
    plan.power = Finite(AnovaPower(k, in.n, *f, alpha));
    plan.curve = PowerCurve([k, f, alpha](double x) { return AnovaPower(k, x, *f, alpha); }, in.n, 2);
    return plan;
  }
  if (!goalUsable || !f) return plan;
  const auto power = [k, f, alpha](double n) { return AnovaPower(k, n, *f, alpha); };
  // No formula: the search starts at the least n.
  SizeSearch search;
  const SizeFound found = SmallestSizeReaching(power, goal.power, search);
  if (found.beyondLimit) plan.problems.push_back({"n", PlanningIssue::kBeyondLimit});
  if (!found.n) return plan;
  const double n = *found.n;
  plan.n_per_group = n;
  plan.n_total = k * n;
  if (const auto dropout = DropoutSizes({n}, goal.dropout, plan.problems)) {
    plan.n_per_group_dropout = (*dropout)[0];
    plan.n_total_dropout = k * (*dropout)[0];
  }
  FillAt(k, n, *f, alpha, plan);
  plan.power_achieved = Finite(power(n));
  plan.curve = PowerCurve(power, n, 2);
  return plan;
}

FigureList ListFigures(const AnovaPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower)
    return {{"power", p.power}, {"effect_f", p.effect_f}, {"lambda", p.lambda},
            {"f_critical", p.f_critical}, {"df1", p.df1}, {"df2", p.df2}};
  return {{"n_per_group", p.n_per_group},
          {"n_total", p.n_total},
          {"n_per_group_dropout", p.n_per_group_dropout},
          {"n_total_dropout", p.n_total_dropout},
          {"effect_f", p.effect_f},
          {"lambda", p.lambda},
          {"f_critical", p.f_critical},
          {"df1", p.df1},
          {"df2", p.df2},
          {"power_achieved", p.power_achieved}};
}

}  // namespace kelvasta
