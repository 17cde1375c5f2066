#pragma once

#include <array>
#include <string>

#include "stats/three_groups.h"

namespace kelvasta {

// Pairwise least-significant-difference t comparison of the three group
// means, t = |mean i - mean j| / sqrt(MSe (1/ni + 1/nj)) with MSe = withinSS
// / withinDf. Each line is the pair's prefix, "LSD-t=", t to four decimals,
// " p=" and the two-sided p of the shown t with withinDf df to four decimals
// ("" when p cannot be computed). A missing cell (see ReadThreeGroups) or a
// standard error that is not positive gives Blank; withinDf below 5 gives
// KeepLines. sortedMeans stays empty.
PairwiseOutcome RunPairwiseLsdT(const std::array<std::string, 9>& cellTexts, double withinSS,
                                double withinDf);

// P(|T| > t) for Student's T with `df` degrees of freedom (df may be
// fractional or infinite); NaN when it cannot be computed (df not above 0,
// t NaN).
double TwoTailedTProbability(double t, double df);

}  // namespace kelvasta
