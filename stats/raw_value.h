#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "stats/currency.h"
#include "stats/wide_decimal.h"

namespace kelvasta {

// The raw Currency count that marks a list item without a number: empty, or
// not a number as a whole. It takes the place of the most negative Currency
// value, which nobody types.
inline constexpr std::int64_t kMissingRaw = std::numeric_limits<std::int64_t>::min();

// The Currency count of a list item's text (Currency::FromText, so rounded to
// four decimals with halves to even), kMissingRaw when the text is not a
// number as a whole ("", "-", ".", "1a2", "1E30").
inline std::int64_t ReadRawValue(std::string_view text) {
  std::optional<Currency> value = Currency::FromText(text);
  return value ? value->raw() : kMissingRaw;
}

// An Int128 as a long double; counts that fit in 64 bits, which is nearly
// always, take the single-instruction conversion instead of a library call.
inline long double WideToLongDouble(Int128 v) {
  const auto narrow = static_cast<std::int64_t>(v);
  return narrow == v ? static_cast<long double>(narrow) : static_cast<long double>(v);
}

// Σ a·b over centred counts. Products of 64-bit factors are summed exactly
// in 128 bits, which is both exact and several times faster than a long
// double sum; a term that does not fit (factors beyond 64 bits, or a total
// beyond 2^127, i.e. spreads of about 10^12 over a million rows) goes into
// a long double part instead.
class ProductSum {
 public:
  void add(Int128 a, Int128 b) {
    const auto a64 = static_cast<std::int64_t>(a);
    const auto b64 = static_cast<std::int64_t>(b);
    Int128 next = 0;
    if (a64 == a && b64 == b && !__builtin_add_overflow(exact_, Int128{a64} * b64, &next)) {
      exact_ = next;
    } else {
      approx_ += WideToLongDouble(a) * WideToLongDouble(b);
    }
  }
  long double total() const { return static_cast<long double>(exact_) + approx_; }

 private:
  Int128 exact_ = 0;
  long double approx_ = 0;
};

// Count, exact sum and centred sum of squares of raw counts.
struct RawMoments {
  std::int64_t n = 0;
  Int128 sum = 0;           // Σ v, exact
  long double squares = 0;  // Σ (v − mean)², in ten-thousandths squared
};

// Two passes over the counts that `forEach` hands to its callback (an Int128
// each): first n and the exact sum, then the squares of the distances from
// the rounded mean c, less the correction (Σ (v − c))² / n. A large common
// part of the values (10000000.2 ± 0.1) thus cancels exactly before anything
// is squared, and equal values give exactly 0.
template <typename ForEach>
RawMoments CentredMoments(ForEach forEach) {
  RawMoments m;
  forEach([&m](Int128 v) {
    ++m.n;
    m.sum += v;
  });
  if (m.n == 0) {
    return m;
  }
  const Int128 centre = DivideHalfEven(m.sum, m.n);
  ProductSum squares;
  forEach([&](Int128 v) { squares.add(v - centre, v - centre); });
  const auto offset = static_cast<long double>(m.sum - centre * m.n);  // Σ (v − c), at most n/2
  m.squares = std::max(squares.total() - offset * offset / static_cast<long double>(m.n), 0.0L);
  return m;
}

}  // namespace kelvasta
