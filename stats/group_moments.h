#pragma once

#include <span>

namespace kelvasta {

// Count, mean and standard deviation of one group. n need not be whole when
// the user typed it; sd is NaN when it is not defined (n < 2). `excess` is
// what the mean holds beyond the double `mean` (mean + excess is the mean
// to about 1e-19 of the spread), so that the difference of two means of
// data with a large common part (1000000000001 … against 1000000000002 …)
// keeps every digit; 0 for typed summary figures.
struct GroupMoments {
  double n = 0;
  double mean = 0;
  double sd = 0;
  long double excess = 0;
};

// The moments of raw values; NaN items are missing and skipped. Values
// typed with up to four decimals (each the double nearest to a count of
// ten-thousandths, as the lists read them) are summed exactly as those
// counts, so a common offset of 1e12 costs no digit; other data go through
// two passes in floating point (a first mean, then the centred squares with
// the exact correction for that mean's error), ~1e-12 relative.
// n = 0 gives mean and sd NaN; n = 1 gives sd NaN; infinities give NaN.
GroupMoments ComputeGroupMoments(std::span<const double> values);

// The moments of first[i] − second[i] over the positions where both are
// numbers, the same ways.
GroupMoments ComputeDifferenceMoments(std::span<const double> first, std::span<const double> second);

// a's mean − b's mean with both excesses: the common part cancels exactly.
inline long double MeanDifference(const GroupMoments& a, const GroupMoments& b) {
  return (static_cast<long double>(a.mean) - b.mean) + (a.excess - b.excess);
}

}  // namespace kelvasta
