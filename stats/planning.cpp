#include "stats/planning.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "stats/figure_distributions.h"

namespace kelvasta {

namespace {

using StandardNormal = boost::math::normal_distribution<double, figures::QuietPolicy>;

bool Found(const std::function<double(double)>& power, double n, double target) {
  const double p = power(n);
  return !std::isnan(p) && p >= target;
}

SizeFound Monotone(const std::function<double(double)>& power, double target, const SizeSearch& s) {
  if (Found(power, s.start, target)) return {s.start, false};
  // `failing` never reaches the target, `reaching` does: doubling steps up
  // from the start, then halving the last gap.
  double failing = s.start;
  double step = 1;
  double reaching = 0;
  for (;;) {
    const double next = std::min(failing + step, s.limit);
    if (Found(power, next, target)) {
      reaching = next;
      break;
    }
    if (next >= s.limit) return {std::nullopt, true};
    failing = next;
    step *= 2;
  }
  while (reaching - failing > 1) {
    const double middle = failing + std::floor((reaching - failing) / 2);
    (Found(power, middle, target) ? reaching : failing) = middle;
  }
  return {reaching, false};
}

SizeFound Linear(const std::function<double(double)>& power, double target, const SizeSearch& s) {
  for (double n = s.start; n <= s.limit; ++n) {
    if (s.cancel != nullptr && s.cancel->load()) return {};
    if (Found(power, n, target)) return {n, false};
  }
  return {std::nullopt, true};
}

}  // namespace

bool CheckValue(double value, std::string_view key, bool valid, std::vector<PlanningProblem>& problems) {
  if (std::isnan(value)) return false;
  if (!valid) problems.push_back({key, PlanningIssue::kOutOfRange});
  return valid;
}

bool CheckGoal(const PlanningGoal& goal, std::vector<PlanningProblem>& problems) {
  const double a = goal.alpha;
  bool usable = CheckValue(a, "alpha", a > 0 && a <= 0.5, problems);
  usable = usable && (goal.sides == 1 || goal.sides == 2);
  if (goal.mode == PlanningMode::kPower) return usable;
  const double p = goal.power;
  // The target is checked against alpha only when alpha itself is usable.
  const bool powerUsable = CheckValue(p, "power", p > 0 && p < 1 && (!usable || p > a), problems);
  const double d = goal.dropout;
  const bool dropoutUsable = CheckValue(d, "dropout", d >= 0 && d < 1, problems);
  return usable && powerUsable && dropoutUsable;
}

double CriticalZ(const PlanningGoal& goal) {
  return quantile(complement(StandardNormal(), goal.alpha / goal.sides));
}

double PowerZ(double power) { return quantile(StandardNormal(), power); }

double NormalCdf(double z) { return cdf(StandardNormal(), z); }

std::optional<double> RoundedUp(double n) {
  if (!std::isfinite(n) || n > kMaxPlannedSize) return std::nullopt;
  return std::ceil(n);
}

double SecondGroup(double n1, double ratio) { return std::ceil(ratio * n1); }

double WithDropout(double n, double dropout) { return std::ceil(n / (1 - dropout)); }

bool IsPlannedSize(double n, double least) {
  return std::isfinite(n) && std::floor(n) == n && n >= least && n <= kMaxPlannedSize;
}

double SearchStart(double nFormula, double least) {
  if (!std::isfinite(nFormula)) return least;
  return std::max(least, std::floor(nFormula / 2));
}

SizeFound SmallestSizeReaching(const std::function<double(double)>& power, double target, const SizeSearch& search) {
  if (search.start > search.limit) return {std::nullopt, true};
  return search.monotone ? Monotone(power, target, search) : Linear(power, target, search);
}

std::vector<PowerPoint> PowerCurve(const std::function<double(double)>& power, double n, double least) {
  constexpr int kSteps = 40;
  const double low = std::max(least, std::floor(n / 2));
  const double high = std::max(low + 1, 2 * n);
  std::set<double> at{n};
  for (int i = 0; i <= kSteps; ++i) at.insert(std::round(low + (high - low) * i / kSteps));
  std::vector<PowerPoint> curve;
  curve.reserve(at.size());
  for (const double x : at) {
    const double p = power(x);
    if (std::isfinite(p)) curve.push_back({x, p});
  }
  return curve;
}

}  // namespace kelvasta
