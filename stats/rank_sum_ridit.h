#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace kelvasta {

// Captions of the rank-sum and Ridit panel, all texts as shown.
struct OrdinalCaptions {
  // Label18 index -> caption, in the order written (13, 11, 14, 15, 16, 17,
  // 18; then 17 -> "" when blanked). Shorter when a total cannot be formed.
  std::vector<std::pair<int, std::string>> totals;
  bool computed = false;       // false: the four result captions are emptied
  std::string rankSumZ;        // Label20(9)
  std::string rankSumVerdict;  // Label5(44)
  std::string riditU;          // Label20(10)
  std::string riditVerdict;    // Label5(43)
};

// Two groups (cells 0-3 test, 4-7 control) counted in four ordered grades,
// read leniently. Gives the totals, the tie-corrected rank-sum z of the
// smaller group (the test group on equal sizes) and the Ridit u against the
// pooled sample, each judged unrounded against 1.96 and 2.576. The later
// steps read the totals back from their captions. Any division by zero,
// negative square root or non-finite value ends the computation with
// computed = false and the totals written so far; a successful run blanks a
// zero "（++++）" total.
OrdinalCaptions RankSumRidit(const std::array<std::string, 8>& cellTexts);

}  // namespace kelvasta
