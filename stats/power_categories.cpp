#include "stats/power_categories.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include <boost/math/distributions/non_central_chi_squared.hpp>

#include "stats/figure_distributions.h"
#include "stats/planning_parts.h"

namespace kelvasta {

namespace {

using figures::Finite;
using NoncentralChiSquare = boost::math::non_central_chi_squared_distribution<double, figures::QuietPolicy>;
using ChiSquare = boost::math::chi_squared_distribution<double, figures::QuietPolicy>;

// How far a share row may miss 1.
constexpr double kShareTolerance = 0.001;

constexpr std::string_view kShareKeys[kMaxPlannedRows] = {"share_1", "share_2", "share_3"};
constexpr std::string_view kGroupKeys[kMaxPlannedRows] = {"n_1", "n_2", "n_3"};
constexpr std::string_view kCellKeys[kMaxPlannedRows][kMaxPlannedCategories] = {
    {"p_1_1", "p_1_2", "p_1_3", "p_1_4"}, {"p_2_1", "p_2_2", "p_2_3", "p_2_4"}, {"p_3_1", "p_3_2", "p_3_3", "p_3_4"}};
constexpr std::string_view kGradeKeys[2][kPlannedGrades] = {{"p1_1", "p1_2", "p1_3", "p1_4"},
                                                            {"p2_1", "p2_2", "p2_3", "p2_4"}};

double CriticalChiSquare(double df, double alpha) { return quantile(complement(ChiSquare(df), alpha)); }

// Checks a row of shares: each in [least, 1] (least excluded when `positive`),
// then their sum within kShareTolerance of 1, noted on `sumKey`. True when usable.
template <std::size_t N>
bool CheckShares(const double* values, const std::string_view (&keys)[N], int count, bool positive,
                 std::string_view sumKey, std::vector<PlanningProblem>& problems) {
  bool usable = true;
  double sum = 0;
  for (int j = 0; j < count; ++j) {
    const double v = values[j];
    usable = CheckValue(v, keys[j], (positive ? v > 0 : v >= 0) && v <= 1, problems) && usable;
    sum += v;
  }
  if (usable && std::fabs(sum - 1) > kShareTolerance) {
    problems.push_back({sumKey, PlanningIssue::kShareSum});
    return false;
  }
  return usable;
}

// The effect size w and the degrees of freedom of the categories present.
struct RxcEffect {
  double w = 0, df = 0;
};

RxcEffect EffectW(const RxcPlanningInput& in, int r, int c) {
  double squares = 0;
  int present = 0;
  for (int j = 0; j < c; ++j) {
    double column = 0;  // p·ⱼ
    for (int i = 0; i < r; ++i) column += in.shares[std::size_t(i)] * in.p[std::size_t(i)][std::size_t(j)];
    if (!(column > 0)) continue;
    ++present;
    // (sᵢpᵢⱼ − sᵢp·ⱼ)²/(sᵢp·ⱼ) = sᵢ(pᵢⱼ − p·ⱼ)²/p·ⱼ.
    for (int i = 0; i < r; ++i) {
      const double gap = in.p[std::size_t(i)][std::size_t(j)] - column;
      squares += in.shares[std::size_t(i)] * gap * gap / column;
    }
  }
  return {std::sqrt(squares), double((r - 1) * (present - 1))};
}

// The largest N whose groups ⌈sᵢ·N⌉ all stay within kMaxPlannedSize.
double LargestTotal(const RxcPlanningInput& in, int r) {
  const double largest = *std::max_element(in.shares.begin(), in.shares.begin() + r);
  double n = std::floor(kMaxPlannedSize / largest);
  while (n > 2 && std::ceil(largest * n) > kMaxPlannedSize) --n;
  return n;
}

}  // namespace

double NoncentralChiSquarePower(double df, double lambda, double alpha) {
  if (!(df > 0) || !(lambda >= 0) || !std::isfinite(lambda)) return kMissing;
  return cdf(complement(NoncentralChiSquare(df, lambda), CriticalChiSquare(df, alpha)));
}

RxcPlan PlanRxc(const PlanningGoal& goal, const RxcPlanningInput& given) {
  RxcPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  RxcPlanningInput in = given;
  const bool rUsable = CheckValue(in.rows, "r", in.rows == 2 || in.rows == 3, plan.problems);
  const bool cUsable = CheckValue(in.categories, "c", in.categories == std::floor(in.categories) &&
                                                         in.categories >= 2 && in.categories <= kMaxPlannedCategories,
                                  plan.problems);
  if (!rUsable || !cUsable) return plan;
  const int r = int(in.rows), c = int(in.categories);
  plan.rows = r;
  if (in.equalShares) std::fill(in.shares.begin(), in.shares.begin() + r, 1.0 / r);
  bool usable = CheckShares(in.shares.data(), kShareKeys, r, true, "share_1", plan.problems);
  for (int i = 0; i < r; ++i)
    usable = CheckShares(in.p[std::size_t(i)].data(), kCellKeys[i], c, false, kCellKeys[i][0], plan.problems) && usable;
  if (!usable) return plan;
  const RxcEffect effect = EffectW(in, r, c);
  if (!(effect.w > 0) || effect.df < 1) {
    plan.problems.push_back({"p_1_1", PlanningIssue::kNoEffect});
    return plan;
  }
  plan.effect_w = effect.w;
  plan.df = effect.df;
  const double w2 = effect.w * effect.w;
  if (!goalUsable) return plan;
  plan.chi2_critical = Finite(CriticalChiSquare(effect.df, goal.alpha));
  const auto power = [&](double n) { return NoncentralChiSquarePower(effect.df, n * w2, goal.alpha); };
  if (goal.mode == PlanningMode::kPower) {
    if (!CheckValue(in.n, "n", IsPlannedSize(in.n, 2), plan.problems)) return plan;
    plan.lambda = in.n * w2;
    plan.power = Finite(power(in.n));
    plan.curve = PowerCurve(power, in.n, 2);
    return plan;
  }
  SizeSearch search;
  search.limit = LargestTotal(in, r);
  const SizeFound found = SmallestSizeReaching(power, goal.power, search);
  if (!found.n) {
    plan.problems.push_back({"n", PlanningIssue::kBeyondLimit});
    return plan;
  }
  const double n = *found.n;
  plan.n_total = n;
  for (int i = 0; i < r; ++i) plan.n_groups[std::size_t(i)] = std::ceil(in.shares[std::size_t(i)] * n);
  if (const auto enlarged = DropoutSizes({n}, goal.dropout, plan.problems)) plan.n_total_dropout = (*enlarged)[0];
  plan.lambda = n * w2;
  plan.power_achieved = Finite(power(n));
  plan.curve = PowerCurve(power, n, 2);
  return plan;
}

FigureList ListFigures(const RxcPlan& p, PlanningMode mode) {
  const FigureList effect{{"effect_w", p.effect_w}, {"df", p.df}, {"lambda", p.lambda}, {"chi2_critical", p.chi2_critical}};
  FigureList list;
  if (mode == PlanningMode::kPower) {
    list.push_back({"power", p.power});
    list.insert(list.end(), effect.begin(), effect.end());
    return list;
  }
  list.push_back({"n_total", p.n_total});
  for (int i = 0; i < p.rows; ++i) list.push_back({kGroupKeys[i], p.n_groups[std::size_t(i)]});
  list.push_back({"n_total_dropout", p.n_total_dropout});
  list.insert(list.end(), effect.begin(), effect.end());
  list.push_back({"power_achieved", p.power_achieved});
  return list;
}

namespace {

// p = Σⱼ p1_j·(Σ_{i<j} p2_i + ½·p2_j): grades ranked as listed.
double Superiority(const OrdinalPlanningInput& in) {
  double p = 0, milder = 0;
  for (std::size_t j = 0; j < kPlannedGrades; ++j) {
    p += in.p1[j] * (milder + in.p2[j] / 2);
    milder += in.p2[j];
  }
  return p;
}

// Noether's power at n1, n2 with the tie-corrected null variance.
double NoetherPower(const PlanningGoal& goal, const OrdinalPlanningInput& in, double p, double n1, double n2) {
  const double n = n1 + n2, t = n1 / n;
  double cubes = 0;
  for (std::size_t j = 0; j < kPlannedGrades; ++j) {
    const double pooled = t * in.p1[j] + (1 - t) * in.p2[j];
    cubes += pooled * pooled * pooled;
  }
  const double gap = p - 0.5;
  return NormalCdf(std::sqrt(12 * t * (1 - t) * n * gap * gap / (1 - cubes)) - CriticalZ(goal));
}

}  // namespace

OrdinalPlan PlanOrdinal(const PlanningGoal& goal, const OrdinalPlanningInput& in) {
  OrdinalPlan plan;
  const bool goalUsable = CheckGoal(goal, plan.problems);
  const bool one = CheckShares(in.p1.data(), kGradeKeys[0], kPlannedGrades, false, "p1_1", plan.problems);
  const bool two = CheckShares(in.p2.data(), kGradeKeys[1], kPlannedGrades, false, "p2_1", plan.problems);
  if (!one || !two) return plan;
  const double p = Superiority(in);
  plan.prob_superiority = p;
  if (std::fabs(p - 0.5) < 1e-12) {
    plan.problems.push_back({"p2_1", PlanningIssue::kNoEffect});
    return plan;
  }
  const bool ratioUsable = goal.mode == PlanningMode::kPower ||
                           CheckValue(in.ratio, "ratio", in.ratio > 0 && in.ratio <= kMaxPlannedSize, plan.problems);
  if (!goalUsable || !ratioUsable) return plan;
  const auto powerAt = [&](double n1, double n2) { return NoetherPower(goal, in, p, n1, n2); };
  if (goal.mode == PlanningMode::kPower) {
    const bool n1Usable = CheckValue(in.n1, "n1", IsPlannedSize(in.n1, 2), plan.problems);
    const bool n2Usable = CheckValue(in.n2, "n2", IsPlannedSize(in.n2, 2), plan.problems);
    if (!n1Usable || !n2Usable) return plan;
    plan.power = Finite(powerAt(in.n1, in.n2));
    const double k = in.n2 / in.n1;
    plan.curve = PowerCurve([&](double x) { return powerAt(x, SecondGroup(x, k)); }, in.n1, 2);
    return plan;
  }
  const double k = in.ratio;
  const double t = 1 / (1 + k);
  double cubes = 0;
  for (std::size_t j = 0; j < kPlannedGrades; ++j) {
    const double pooled = t * in.p1[j] + (1 - t) * in.p2[j];
    cubes += pooled * pooled * pooled;
  }
  const double z = CriticalZ(goal) + PowerZ(goal.power), gap = p - 0.5;
  const double total = z * z * (1 - cubes) / (12 * t * (1 - t) * gap * gap);
  const std::optional<double> n1 = RoundedUp(total * t);
  if (!n1 || *n1 > LargestFirstGroup(k)) {
    plan.problems.push_back({"n1", PlanningIssue::kBeyondLimit});
    return plan;
  }
  const double n2 = SecondGroup(*n1, k);
  plan.n1 = n1;
  plan.n2 = n2;
  plan.n_total = *n1 + n2;
  if (const auto enlarged = DropoutSizes({*n1, n2}, goal.dropout, plan.problems)) {
    plan.n1_dropout = (*enlarged)[0];
    plan.n2_dropout = (*enlarged)[1];
    plan.n_total_dropout = (*enlarged)[0] + (*enlarged)[1];
  }
  plan.power_achieved = Finite(powerAt(*n1, n2));
  plan.curve = PowerCurve([&](double x) { return powerAt(x, SecondGroup(x, k)); }, *n1, 2);
  return plan;
}

FigureList ListFigures(const OrdinalPlan& p, PlanningMode mode) {
  if (mode == PlanningMode::kPower) return {{"power", p.power}, {"prob_superiority", p.prob_superiority}};
  return {{"n1", p.n1},
          {"n2", p.n2},
          {"n_total", p.n_total},
          {"n1_dropout", p.n1_dropout},
          {"n2_dropout", p.n2_dropout},
          {"n_total_dropout", p.n_total_dropout},
          {"prob_superiority", p.prob_superiority},
          {"power_achieved", p.power_achieved}};
}

}  // namespace kelvasta
