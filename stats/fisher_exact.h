#pragma once

#include <cstdint>
#include <optional>

namespace kelvasta {

// Largest count (a table's total for Fisher's test) the exact tests take:
// every count up to it is exact in a double.
inline constexpr std::uint64_t kMaxExactCount = std::uint64_t{1} << 53;

// Relative tolerance under which a table counts as no more probable than the
// observed one, so tables tied with it up to rounding are all included.
inline constexpr double kExactTieTolerance = 1e-7;

// Standard deviation of X up to which the support is walked term by term.
inline constexpr double kWalkSpread = 20000;

struct FisherExactResult {
  double twoSided = 1;  // sum over tables with P <= P(observed)·(1 + 1e-7)
  double less = 1;      // P(X <= a)
  double greater = 1;   // P(X >= a)
};

// Fisher's exact test of the 2 x 2 table a b / c d, conditional on its
// margins; X is the top-left count. Walks the hypergeometric support outward
// from its mode by the ratio of neighbouring probabilities, in logs, so a
// million counts take about a millisecond; when the law is wider than
// kWalkSpread (counts of 10^10 and more) the sums are integrals of the
// smooth law instead (SmoothSum), which take the same time at any size. A
// zero margin leaves one table (every P is 1). Gives nullopt when the total
// exceeds kMaxExactCount.
std::optional<FisherExactResult> FisherExact2x2(std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                                std::uint64_t d, double walkSpread = kWalkSpread);

}  // namespace kelvasta
