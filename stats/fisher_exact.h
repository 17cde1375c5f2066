#pragma once

#include <cstdint>
#include <optional>

namespace kelvasta {

// Largest cell count the exact tests take; beyond it a walk over the
// support could no longer finish in milliseconds.
inline constexpr std::uint64_t kMaxExactCount = 1'000'000'000;

// Relative tolerance under which a table counts as no more probable than the
// observed one, so tables tied with it up to rounding are all included.
inline constexpr double kExactTieTolerance = 1e-7;

struct FisherExactResult {
  double twoSided = 1;  // sum over tables with P <= P(observed)·(1 + 1e-7)
  double less = 1;      // P(X <= a)
  double greater = 1;   // P(X >= a)
};

// Fisher's exact test of the 2 x 2 table a b / c d, conditional on its
// margins; X is the top-left count. Walks the hypergeometric support outward
// from its mode by the ratio of neighbouring probabilities, in logs, so a
// million counts take about a millisecond. A zero margin leaves one table
// (every P is 1). Gives nullopt when a count exceeds kMaxExactCount.
std::optional<FisherExactResult> FisherExact2x2(std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                                std::uint64_t d);

}  // namespace kelvasta
