#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvasta {

// The captions of the paired t panel.
struct PairedTCaptions {
  bool computed = false;       // false: Label13(3), (4), (5) and Label5(7), (8), (9), (10) are emptied
  std::string n;               // Label13(5): number of complete pairs
  std::string meanDifference;  // Label13(4): |mean difference|, four decimals
  std::string sdDifference;    // Label13(3): SD of the differences, four decimals
  std::string result;          // Label5(7): "t = " + t with four decimals + "  " + verdict
  std::string critical05, critical01, critical001;  // Label5(10), (9), (8)
};

// Paired t test over the raw counts of List1 (x) and List2 (y), kMissingRaw
// marking an item without a number; a position past the end of y counts as
// without. Only positions where both are numbers form a pair. Results are
// shown when there are at least two pairs and the differences vary; the
// critical values are those of df = N − 1 in `tTableText`.
PairedTCaptions ComputePairedT(std::span<const std::int64_t> x, std::span<const std::int64_t> y,
                               std::string_view tTableText);

}  // namespace kelvasta
