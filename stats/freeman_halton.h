#pragma once

#include <atomic>
#include <cstdint>
#include <span>

namespace kelvasta {

// Largest number of tables with the observed margins that the exact test
// enumerates.
inline constexpr std::uint64_t kFreemanHaltonMaxTables = 1'000'000;

enum class FreemanHaltonStatus { Done, TooManyTables, Cancelled };

struct FreemanHaltonResult {
  FreemanHaltonStatus status = FreemanHaltonStatus::Done;
  double p = 1;              // meaningful only when status is Done
  std::uint64_t tables = 0;  // tables counted (kFreemanHaltonMaxTables + 1 when too many)
};

// Freeman-Halton exact test of an R x C table of whole counts given row by
// row (rows · columns == cells.size(), at most 8 rows and 8 columns; each
// count at most kMaxExactCount, else the result is TooManyTables). Rows and
// columns with a zero total are left out. Counts the tables with the
// observed margins first and stops past kFreemanHaltonMaxTables; otherwise P
// is the sum of the probabilities of all tables no more probable than the
// observed one (relative tolerance 1e-7), formed in logs. Reads `cancel`
// regularly and returns Cancelled once it is set.
FreemanHaltonResult FreemanHaltonExact(std::span<const std::uint64_t> cells, int rows, int columns,
                                       const std::atomic<bool>& cancel);

}  // namespace kelvasta
