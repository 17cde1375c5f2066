#include "stats/group_moments.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "stats/raw_value.h"
#include "stats/wide_decimal.h"

namespace kelvasta {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kScale = 10000;  // ten-thousandths

// Below 2^37 a double tells apart every two counts of ten-thousandths,
// x·10^4 lies within 0.4 of the count and below 2^51, where adding 1.5·2^52
// rounds it to a whole number.
constexpr double kPlainDecimals = 137438953472.0;  // 2^37
constexpr double kTwoTo53 = 9007199254740992.0;
constexpr double kCountLimit = 9.2e18;  // inside int64

// The count c of ten-thousandths nearest to x·10^4 (no check that x is the
// double of c / 10^4), and x·10^4 − c.
struct NearCount {
  std::int64_t count;
  double rest;
};

NearCount NearestCount(double x) {
  const double p = x * kScale;
  if (std::fabs(x) < kPlainDecimals) {
    // Rounded by adding and taking away 1.5·2^52: a library call per item
    // would cost more than all the rest.
    constexpr double kRounder = 6755399441055744.0;
    return {static_cast<std::int64_t>((p + kRounder) - kRounder), 0};
  }
  const double error = std::fma(x, kScale, -p);  // x·10^4 = p + error exactly
  std::int64_t c = std::llround(p);
  double rest = (p - static_cast<double>(c)) + error;
  if (rest > 0.5) {
    ++c, rest -= 1;
  } else if (rest < -0.5) {
    --c, rest += 1;
  }
  return {c, rest};
}

// The count whose nearest double is x: the value of a decimal typed with up
// to four places, recovered from the double the list read from its text.
std::optional<std::int64_t> DecimalCount(double x) {
  if (!(std::fabs(x) * kScale < kCountLimit)) {
    return std::nullopt;
  }
  const NearCount near = NearestCount(x);
  if (std::fabs(x) * kScale < kTwoTo53) {
    // The count is exact as a double, so the division rounds once.
    return static_cast<double>(near.count) / kScale == x ? std::optional(near.count) : std::nullopt;
  }
  // Beyond 2^53 the count / 10^4 must lie within half the gap to x's
  // neighbour on its side (rest = x·10^4 − count > 0: the count lies below).
  const double neighbour = std::nextafter(x, near.rest > 0 ? -HUGE_VAL : HUGE_VAL);
  return std::fabs(near.rest) <= kScale / 2 * std::fabs(neighbour - x) ? std::optional(near.count) : std::nullopt;
}

// Moments of counts of ten-thousandths: the first pass checks every item
// (`count`) and sums exactly, the second squares the distances from the
// rounded mean, reading the counts again without the check (`recount`).
template <typename Missing, typename Count, typename Recount>
std::optional<RawMoments> DecimalMoments(std::size_t size, Missing missing, Count count, Recount recount) {
  RawMoments m;
  for (std::size_t i = 0; i < size; ++i) {
    if (missing(i)) {
      continue;
    }
    const std::optional<Int128> c = count(i);
    if (!c) {
      return std::nullopt;
    }
    ++m.n;
    m.sum += *c;
  }
  if (m.n == 0) {
    return m;
  }
  const Int128 centre = DivideHalfEven(m.sum, m.n);
  ProductSum squares;
  for (std::size_t i = 0; i < size; ++i) {
    if (!missing(i)) {
      const Int128 d = recount(i) - centre;
      squares.add(d, d);
    }
  }
  const auto offset = static_cast<long double>(m.sum - centre * m.n);  // Σ (c − centre), at most n/2
  m.squares = std::max(squares.total() - offset * offset / static_cast<long double>(m.n), 0.0L);
  return m;
}

GroupMoments FromCounts(const RawMoments& m) {
  if (m.n == 0) {
    return {0, kNaN, kNaN, 0};
  }
  const std::int64_t divisor = m.n * static_cast<std::int64_t>(kScale);
  const Int128 whole = DivideHalfEven(m.sum, divisor);
  const long double fraction = static_cast<long double>(m.sum - whole * divisor) / static_cast<long double>(divisor);
  const auto wholePart = static_cast<long double>(whole);
  const auto mean = static_cast<double>(wholePart + fraction);
  const double sd = m.n > 1 ? static_cast<double>(std::sqrt(m.squares / static_cast<long double>(m.n - 1)) / kScale)
                            : kNaN;
  return {static_cast<double>(m.n), mean, sd, (wholePart - mean) + fraction};
}

// n, mean (a first mean m0 plus a small correction) and centred sum of
// squares of the items not `missing`, in floating point.
struct Centred {
  std::int64_t n = 0;
  long double m0 = 0;
  long double correction = 0;  // mean − m0
  long double squares = 0;     // Σ (v − mean)²
};

// Items per block of the fast second pass: few enough that a block's double
// sums lose at most ~1e-13 relatively, many enough that the long double
// additions across blocks cost nothing.
constexpr std::size_t kBlock = 4096;

// Deviations whose squares stay this far inside the double range are summed
// in doubles; others (beyond ~1e150 or below ~1e-100) in long double.
constexpr double kSmallestFastSquares = 1e-200;

// Σ d² and Σ d with d = v − m0 over the items not `missing`.
struct Deviations {
  long double squares = 0;
  long double offset = 0;
};

// The fast way: in doubles within blocks of kBlock items (four independent
// accumulators, branch-free) and in long double across blocks. Nothing when
// a square leaves the double range or all squares are tiny.
template <typename Missing, typename Value>
std::optional<Deviations> BlockDeviations(std::size_t size, Missing missing, Value value, double m0) {
  Deviations total;
  for (std::size_t start = 0; start < size; start += kBlock) {
    const std::size_t end = std::min(size, start + kBlock);
    std::array<double, 4> squares{}, offsets{};
    std::size_t i = start;
    for (; i + 4 <= end; i += 4) {
      for (std::size_t k = 0; k < 4; ++k) {
        const double d = missing(i + k) ? 0.0 : static_cast<double>(value(i + k)) - m0;
        squares[k] += d * d;
        offsets[k] += d;
      }
    }
    for (; i < end; ++i) {
      const double d = missing(i) ? 0.0 : static_cast<double>(value(i)) - m0;
      squares[0] += d * d;
      offsets[0] += d;
    }
    const double blockSquares = (squares[0] + squares[1]) + (squares[2] + squares[3]);
    if (!std::isfinite(blockSquares)) {
      return std::nullopt;
    }
    total.squares += blockSquares;
    total.offset += (offsets[0] + offsets[1]) + (offsets[2] + offsets[3]);
  }
  if (!(total.squares >= kSmallestFastSquares)) {
    return std::nullopt;
  }
  return total;
}

// The same wholly in long double, for the rare data beyond the fast range.
template <typename Missing, typename Value>
Deviations LongDeviations(std::size_t size, Missing missing, Value value, long double m0) {
  std::array<long double, 2> squares{}, offsets{};
  std::size_t i = 0;
  for (; i + 2 <= size; i += 2) {
    for (std::size_t k = 0; k < 2; ++k) {
      const long double d = missing(i + k) ? 0.0L : value(i + k) - m0;
      squares[k] += d * d;
      offsets[k] += d;
    }
  }
  if (i < size) {
    const long double d = missing(i) ? 0.0L : value(i) - m0;
    squares[0] += d * d;
    offsets[0] += d;
  }
  return {squares[0] + squares[1], offsets[0] + offsets[1]};
}

// First pass: n and a first mean m0, summed in doubles (in long double only
// when that overflows): any error of m0 is repaired by the second pass.
// Second pass: Σ d² and Σ d with d = v − m0; Σ d is n times m0's error, so
// the mean is m0 + Σd/n and the squares Σd² − (Σd)²/n. Both passes are
// branch-free with independent accumulators, since a million items must
// take about a millisecond.
template <typename Missing, typename Value>
Centred CentredSums(std::size_t size, Missing missing, Value value) {
  Centred c;
  std::array<double, 4> sums{};
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    for (std::size_t k = 0; k < 4; ++k) {
      const bool skip = missing(i + k);
      c.n += skip ? 0 : 1;
      sums[k] += skip ? 0.0 : static_cast<double>(value(i + k));
    }
  }
  for (; i < size; ++i) {
    const bool skip = missing(i);
    c.n += skip ? 0 : 1;
    sums[0] += skip ? 0.0 : static_cast<double>(value(i));
  }
  if (c.n == 0) {
    return c;
  }
  const auto n = static_cast<long double>(c.n);
  long double m0 = ((sums[0] + sums[1]) + (sums[2] + sums[3])) / n;
  if (!std::isfinite(m0)) {
    long double sum = 0;
    for (std::size_t j = 0; j < size; ++j) {
      sum += missing(j) ? 0.0L : value(j);
    }
    m0 = sum / n;
  }
  // The fast pass centres on m0 rounded to a double; the offset repairs that.
  const auto fastCentre = static_cast<double>(m0);
  Deviations d;
  if (const std::optional<Deviations> fast = std::isfinite(fastCentre)
                                                 ? BlockDeviations(size, missing, value, fastCentre)
                                                 : std::nullopt) {
    d = *fast;
    m0 = fastCentre;
  } else {
    d = LongDeviations(size, missing, value, m0);
  }
  c.m0 = m0;
  c.correction = d.offset / n;
  c.squares = std::max(d.squares - d.offset * d.offset / n, 0.0L);
  return c;
}

GroupMoments FromCentred(const Centred& c) {
  if (c.n == 0) {
    return {0, kNaN, kNaN, 0};
  }
  const auto mean = static_cast<double>(c.m0 + c.correction);
  if (!std::isfinite(mean)) {
    return {static_cast<double>(c.n), kNaN, kNaN, 0};
  }
  const auto sd = c.n > 1 ? static_cast<double>(std::sqrt(c.squares / static_cast<long double>(c.n - 1))) : kNaN;
  return {static_cast<double>(c.n), mean, std::isfinite(sd) ? sd : kNaN, (c.m0 - mean) + c.correction};
}

}  // namespace

GroupMoments ComputeGroupMoments(std::span<const double> values) {
  const auto missing = [values](std::size_t i) { return std::isnan(values[i]); };
  const std::optional<RawMoments> exact = DecimalMoments(
      values.size(), missing,
      [values](std::size_t i) {
        const std::optional<std::int64_t> c = DecimalCount(values[i]);
        return c ? std::optional<Int128>(*c) : std::nullopt;
      },
      [values](std::size_t i) { return Int128{NearestCount(values[i]).count}; });
  if (exact) {
    return FromCounts(*exact);
  }
  return FromCentred(CentredSums(values.size(), missing,
                                 [values](std::size_t i) { return static_cast<long double>(values[i]); }));
}

GroupMoments ComputeDifferenceMoments(std::span<const double> first, std::span<const double> second) {
  const std::size_t size = std::min(first.size(), second.size());
  const auto missing = [first, second](std::size_t i) { return std::isnan(first[i]) || std::isnan(second[i]); };
  const std::optional<RawMoments> exact = DecimalMoments(
      size, missing,
      [first, second](std::size_t i) {
        const std::optional<std::int64_t> a = DecimalCount(first[i]), b = DecimalCount(second[i]);
        return a && b ? std::optional<Int128>(Int128{*a} - *b) : std::nullopt;
      },
      [first, second](std::size_t i) {
        return Int128{NearestCount(first[i]).count} - NearestCount(second[i]).count;
      });
  if (exact) {
    return FromCounts(*exact);
  }
  // The difference of two doubles is exact or nearly so in long double.
  return FromCentred(CentredSums(size, missing, [first, second](std::size_t i) {
    return static_cast<long double>(first[i]) - second[i];
  }));
}

}  // namespace kelvasta
