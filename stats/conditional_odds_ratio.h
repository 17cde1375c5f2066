#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelvasta {

// The odds ratio of a 2 x 2 table conditional on its margins, as R's
// fisher.test reports it: the conditional maximum-likelihood estimate (the
// ψ at which the noncentral hypergeometric mean of the top-left count is the
// observed a) and its exact interval, the ψ at which P(X ≥ a) and P(X ≤ a)
// are 0.025 each (so it excludes 1 exactly when a one-sided Fisher P is below
// 0.025). Roots are found to full double precision (R's uniroot stops at
// ~1e-4). a at the bottom of the support gives estimate and lower limit 0,
// at the top an infinite estimate and upper limit (empty here).
struct ConditionalOddsRatio {
  std::optional<double> estimate, ci_low, ci_high;
};

// Tables whose relevant support is wider than this (every cell then above
// about 10,000) are summed as integrals of the smooth law instead of term by
// term: a few hundred points whatever the counts, so any table takes a few
// milliseconds at most.
inline constexpr std::size_t kDirectTerms = 8000;

// Whole counts with a total up to 2^53; a zero margin or a larger total
// leaves every figure empty. `directTerms` lets tests compare both ways.
ConditionalOddsRatio ConditionalOddsRatioOf(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d,
                                            std::size_t directTerms = kDirectTerms);

}  // namespace kelvasta
