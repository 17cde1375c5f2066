#pragma once

#include <string>

#include "stats/count_table.h"

namespace kelvasta {

struct PairedCaptions {
  std::string n;
  std::string chiSquare;  // four decimals; "" when b + c is 0
  std::string verdict;    // "" when there is no statistic
};

// McNemar's chi-square from the discordant cells b and c: with S = b + c,
// (b - c)²/S when S >= 40, else (|b - c| - 1)²/S. The verdict judges the
// shown four-decimal statistic against 3.84 and 6.63.
PairedCaptions PairedChiSquare(const CountTotals& t);

}  // namespace kelvasta
