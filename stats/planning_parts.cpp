#include "stats/planning_parts.h"

#include <algorithm>
#include <cmath>

namespace kelvasta {

std::optional<PlannedEffect> CheckEffect(double difference, double sd, std::string_view effectKey,
                                         std::string_view sdKey, std::vector<PlanningProblem>& problems) {
  const bool sdUsable = CheckValue(sd, sdKey, sd > 0, problems);
  if (std::isnan(difference)) return std::nullopt;
  if (difference == 0) {
    problems.push_back({effectKey, PlanningIssue::kNoEffect});
    return std::nullopt;
  }
  if (!sdUsable) return std::nullopt;
  const double delta = std::fabs(difference);
  const double d = delta / sd;
  if (!std::isfinite(delta) || !std::isfinite(d) || d == 0) {
    problems.push_back({effectKey, PlanningIssue::kNotComputable});
    return std::nullopt;
  }
  return PlannedEffect{delta, sd, d};
}

SizePlan PlanSize(const std::function<double(double)>& power, double formula, double least, double limit,
                  double target) {
  SizePlan plan;
  if (std::isfinite(formula) && std::ceil(formula) <= limit) plan.normal = std::ceil(formula);
  SizeSearch search;
  search.start = SearchStart(plan.normal ? *plan.normal : formula, least);
  search.limit = limit;
  const SizeFound found = SmallestSizeReaching(power, target, search);
  plan.exact = found.n;
  plan.beyondLimit = !plan.normal || found.beyondLimit;
  return plan;
}

double LargestFirstGroup(double k) {
  double n1 = std::min(kMaxPlannedSize, std::floor(kMaxPlannedSize / k));
  while (n1 > 0 && SecondGroup(n1, k) > kMaxPlannedSize) --n1;
  while (n1 < kMaxPlannedSize && SecondGroup(n1 + 1, k) <= kMaxPlannedSize) ++n1;
  return n1;
}

std::optional<std::vector<double>> DropoutSizes(const std::vector<double>& sizes, double dropout,
                                                std::vector<PlanningProblem>& problems) {
  std::vector<double> enlarged;
  for (const double n : sizes) enlarged.push_back(WithDropout(n, dropout));
  if (std::all_of(enlarged.begin(), enlarged.end(), [](double n) { return n <= kMaxPlannedSize; })) return enlarged;
  problems.push_back({"dropout", PlanningIssue::kBeyondLimit});
  return std::nullopt;
}

}  // namespace kelvasta
