#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kelvasta {

struct AnovaOutcome {
  bool complete = false;           // false: a cell is missing; empty the result and pairwise lines
  std::optional<std::string> f05;  // "0.00" text of F0.05; nullopt: leave the caption as it is
  std::optional<std::string> f01;  // "0.00" text of F0.01
  std::string result;              // "F = " + four decimals + "  " + verdict, or ""
  double withinSS = 0;             // within-groups SS to keep; 0 unless runPairwise
  double withinDf = 0;             // within-groups df to keep; 0 unless runPairwise
  bool runPairwise = false;        // true: run the pairwise q test next
};

// One-way analysis of variance of three groups from the nine summary cells
// (X1, S1, N1, X2, S2, N2, X3, S3, N3) with 2 and N - 3 df. The critical
// values come from the row of `fTableItems` of the largest tabulated df not
// above N - 3 (the infinity row above 120); the verdict judges the unrounded
// F against them. A missing cell (see ReadThreeGroups) gives an incomplete
// outcome. Input that leaves F undefined (N - 3 below 1, SSw of 0 or below,
// values beyond the double range) gives a complete outcome with an empty result,
// the critical values of the row if one applies ("" otherwise), and zero
// kept values so that neither pairwise test reuses an earlier table's.
AnovaOutcome AnovaFTest(const std::array<std::string, 9>& cellTexts,
                        const std::vector<std::string>& fTableItems);

}  // namespace kelvasta
