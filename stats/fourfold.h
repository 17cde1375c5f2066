#pragma once

#include <array>
#include <string>
#include <string_view>

#include "stats/count_table.h"

namespace kelvasta {

inline constexpr std::string_view kFourfoldWarning = "当n < 40或理论数(T)< 1时，不适合使用本法。";

// Captions of the fourfold result area, all texts as shown.
struct FourfoldCaptions {
  std::array<std::string, 4> theoretical;  // T of a, b, c, d (four decimals)
  std::string n;
  std::string chiSquare;  // four decimals; "" when it cannot be computed
  std::string verdict;    // verdict text, the warning, or ""
};

// Chi-square test of a 2 x 2 table: Pearson form when every theoretical
// frequency reaches 5, otherwise the continuity-corrected form; the verdict
// judges the shown four-decimal statistic against 3.84 and 6.63 and gives
// way to kFourfoldWarning when n < 40 or some theoretical frequency is
// below 1.
FourfoldCaptions FourfoldChiSquare(const CountTotals& t);

}  // namespace kelvasta
