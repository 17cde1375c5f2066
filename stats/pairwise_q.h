#pragma once

#include <array>
#include <string>
#include <vector>

#include "stats/three_groups.h"

namespace kelvasta {

// Pairwise studentized range (q) comparison of the three group means after
// the analysis of variance, with MSe = withinSS / withinDf. Each line is the
// pair's prefix, "q = ", q to four decimals and "  p < 0.05", "  p < 0.01"
// or "  p > 0.05", judged by the shown q against the q-table values for a
// span of 2 means (the pair holds the middle mean) or 3. A missing cell (see
// ReadThreeGroups) or a standard error that is not positive gives Blank;
// withinDf below 5 (the first tabulated df) gives KeepLines. sortedMeans is
// filled once the cells are complete.
PairwiseOutcome RunPairwiseQ(const std::array<std::string, 9>& cellTexts, double withinSS, double withinDf,
                             const std::vector<std::string>& qTableItems);

// A mean in the "000000000.0000" pattern: four decimals, nine integer digits
// with leading zeros, "-" in front of the digits of a negative value.
std::string MeanPatternText(double mean);

}  // namespace kelvasta
