#pragma once

// Steps the planning designs share: the effect's checks, the formula's n
// beside the exact search, and the dropout sizes.

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "stats/planning.h"

namespace kelvasta {

// A planned difference and its SD, both usable: d = |δ|/sd is finite and > 0.
struct PlannedEffect {
  double delta = 0;  // |δ|
  double sd = 0;
  double d = 0;
};

// The effect of `difference` (NaN when an input is missing) over `sd`:
// kOutOfRange on `sdKey` for an SD ≤ 0, kNoEffect on `effectKey` for a zero
// difference, kNotComputable there when d leaves the double range.
std::optional<PlannedEffect> CheckEffect(double difference, double sd, std::string_view effectKey,
                                         std::string_view sdKey, std::vector<PlanningProblem>& problems);

// The formula's n and the exact one of a design.
struct SizePlan {
  std::optional<double> normal;  // ⌈formula⌉, empty beyond `limit`
  std::optional<double> exact;   // the smallest n ≥ max(least, ⌊normal/2⌋) reaching the target
  bool beyondLimit = false;      // either is empty for want of a size within `limit`
};

// The formula's n rounded up and the exact search from half of it (a
// monotone power); `limit` bounds both.
SizePlan PlanSize(const std::function<double(double)>& power, double formula, double least, double limit,
                  double target);

// The largest n1 whose group and second group ⌈k·n1⌉ both stay within
// kMaxPlannedSize.
double LargestFirstGroup(double k);

// Each size enlarged for the dropout rate; empty, with kBeyondLimit, when
// one leaves kMaxPlannedSize.
std::optional<std::vector<double>> DropoutSizes(const std::vector<double>& sizes, double dropout,
                                                std::vector<PlanningProblem>& problems);

}  // namespace kelvasta
