#include "stats/correlation_figures.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "stats/figure_distributions.h"

namespace kelvasta {
namespace {

using figures::Finite;

// Sums over the complete pairs, centred on the means.
struct PairSums {
  std::int64_t n = 0;
  long double meanX = 0, meanY = 0;
  long double xx = 0, yy = 0, xy = 0;  // Σ(x−mx)², Σ(y−my)², Σ(x−mx)(y−my)
};

// Pairs per block of the fast second pass (see CentredPairSums).
constexpr std::size_t kBlock = 4096;

// Squared distances whose sums stay this far inside the double range are
// summed in doubles; others in long double.
constexpr double kSmallestFastSquares = 1e-200;

// Σ dx², Σ dy², Σ dx·dy, Σ dx and Σ dy with dx = x − cx, dy = y − cy over the
// complete pairs.
struct Products {
  long double xx = 0, yy = 0, xy = 0, ox = 0, oy = 0;
};

// The fast way: in doubles within blocks of kBlock pairs (branch-free, two
// independent sets of accumulators) and in long double across blocks, ~1e-14
// relative error. Nothing when a sum leaves the double range or the squares
// are tiny.
std::optional<Products> BlockProducts(std::span<const double> x, std::span<const double> y, double cx, double cy) {
  const std::size_t size = std::min(x.size(), y.size());
  Products total;
  for (std::size_t start = 0; start < size; start += kBlock) {
    const std::size_t end = std::min(size, start + kBlock);
    std::array<double, 2> xx{}, yy{}, xy{}, ox{}, oy{};
    std::size_t i = start;
    for (; i + 2 <= end; i += 2) {
      for (std::size_t k = 0; k < 2; ++k) {
        const bool skip = std::isnan(x[i + k]) || std::isnan(y[i + k]);
        const double dx = skip ? 0.0 : x[i + k] - cx, dy = skip ? 0.0 : y[i + k] - cy;
        xx[k] += dx * dx;
        yy[k] += dy * dy;
        xy[k] += dx * dy;
        ox[k] += dx;
        oy[k] += dy;
      }
    }
    if (i < end) {
      const bool skip = std::isnan(x[i]) || std::isnan(y[i]);
      const double dx = skip ? 0.0 : x[i] - cx, dy = skip ? 0.0 : y[i] - cy;
      xx[0] += dx * dx;
      yy[0] += dy * dy;
      xy[0] += dx * dy;
      ox[0] += dx;
      oy[0] += dy;
    }
    const double blockXx = xx[0] + xx[1], blockYy = yy[0] + yy[1], blockXy = xy[0] + xy[1];
    if (!std::isfinite(blockXx) || !std::isfinite(blockYy) || !std::isfinite(blockXy)) {
      return std::nullopt;
    }
    total.xx += blockXx;
    total.yy += blockYy;
    total.xy += blockXy;
    total.ox += ox[0] + ox[1];
    total.oy += oy[0] + oy[1];
  }
  if (!(total.xx >= kSmallestFastSquares) || !(total.yy >= kSmallestFastSquares)) {
    return std::nullopt;
  }
  return total;
}

// The same wholly in long double, for the rare data beyond the fast range.
Products LongProducts(std::span<const double> x, std::span<const double> y, long double cx, long double cy) {
  const std::size_t size = std::min(x.size(), y.size());
  Products p;
  for (std::size_t i = 0; i < size; ++i) {
    if (!std::isnan(x[i]) && !std::isnan(y[i])) {
      const long double dx = x[i] - cx, dy = y[i] - cy;
      p.xx += dx * dx;
      p.yy += dy * dy;
      p.xy += dx * dy;
      p.ox += dx;
      p.oy += dy;
    }
  }
  return p;
}

// As for one column: first means m0 from plain sums (in doubles, in long
// double only when that overflows), then the products of the distances from
// m0, corrected by Σ(x − m0), which is n times m0's error.
PairSums CentredPairSums(std::span<const double> x, std::span<const double> y) {
  const std::size_t size = std::min(x.size(), y.size());
  PairSums s;
  std::array<double, 2> sumsX{}, sumsY{};
  std::array<std::int64_t, 2> counts{};
  std::size_t i = 0;
  for (; i + 2 <= size; i += 2) {
    for (std::size_t k = 0; k < 2; ++k) {
      const bool skip = std::isnan(x[i + k]) || std::isnan(y[i + k]);
      counts[k] += skip ? 0 : 1;
      sumsX[k] += skip ? 0.0 : x[i + k];
      sumsY[k] += skip ? 0.0 : y[i + k];
    }
  }
  if (i < size) {
    const bool skip = std::isnan(x[i]) || std::isnan(y[i]);
    counts[0] += skip ? 0 : 1;
    sumsX[0] += skip ? 0.0 : x[i];
    sumsY[0] += skip ? 0.0 : y[i];
  }
  s.n = counts[0] + counts[1];
  if (s.n == 0) {
    return s;
  }
  const auto n = static_cast<long double>(s.n);
  long double cx = (static_cast<long double>(sumsX[0]) + sumsX[1]) / n;
  long double cy = (static_cast<long double>(sumsY[0]) + sumsY[1]) / n;
  if (!std::isfinite(cx) || !std::isfinite(cy)) {
    long double sumX = 0, sumY = 0;
    for (std::size_t j = 0; j < size; ++j) {
      if (!std::isnan(x[j]) && !std::isnan(y[j])) {
        sumX += x[j];
        sumY += y[j];
      }
    }
    cx = sumX / n;
    cy = sumY / n;
  }
  // The fast pass centres on the means rounded to doubles; the offsets
  // repair that.
  const auto fastX = static_cast<double>(cx), fastY = static_cast<double>(cy);
  Products p;
  if (const std::optional<Products> fast = std::isfinite(fastX) && std::isfinite(fastY)
                                               ? BlockProducts(x, y, fastX, fastY)
                                               : std::nullopt) {
    p = *fast;
    cx = fastX;
    cy = fastY;
  } else {
    p = LongProducts(x, y, cx, cy);
  }
  s.meanX = cx + p.ox / n;
  s.meanY = cy + p.oy / n;
  s.xx = std::max(p.xx - p.ox * p.ox / n, 0.0L);
  s.yy = std::max(p.yy - p.oy * p.oy / n, 0.0L);
  s.xy = p.xy - p.ox * p.oy / n;
  return s;
}

// A key whose unsigned order is the order of the doubles (−0 taken as +0,
// so equal values get equal keys).
std::uint64_t OrderKey(double v) {
  const auto bits = std::bit_cast<std::uint64_t>(v + 0.0);
  constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
  return (bits & kSign) != 0 ? ~bits : bits | kSign;
}

// One pair on its way through the two sorts: sorted first by x carrying
// y's key, then by y carrying x's rank.
struct Item {
  std::uint64_t key;
  std::uint64_t other;  // y's key, then x's centred doubled rank
};

// LSD radix sort by key in 11-bit digits; a digit all items share is
// skipped. Returns false when cancelled.
bool RadixSort(std::vector<Item>& items, std::vector<Item>& scratch, const std::atomic<bool>& cancel) {
  constexpr int kBits = 11;
  constexpr int kPasses = (64 + kBits - 1) / kBits;
  constexpr std::size_t kBuckets = std::size_t{1} << kBits;
  std::vector<std::array<std::uint32_t, kBuckets>> counts(kPasses);
  for (auto& c : counts) {
    c.fill(0);
  }
  for (const Item& item : items) {
    for (int p = 0; p < kPasses; ++p) {
      ++counts[static_cast<std::size_t>(p)][(item.key >> (p * kBits)) & (kBuckets - 1)];
    }
  }
  scratch.resize(items.size());
  for (int p = 0; p < kPasses; ++p) {
    auto& c = counts[static_cast<std::size_t>(p)];
    if (std::find(c.begin(), c.end(), items.size()) != c.end()) {
      continue;
    }
    if (cancel.load(std::memory_order_relaxed)) {
      return false;
    }
    std::uint32_t start = 0;
    for (std::uint32_t& bucket : c) {
      start += std::exchange(bucket, start);
    }
    for (const Item& item : items) {
      scratch[c[(item.key >> (p * kBits)) & (kBuckets - 1)]++] = item;
    }
    items.swap(scratch);
  }
  return true;
}

// Calls visit(item, centred) along the sorted items, where centred is twice the
// item's average rank minus (n + 1): ranks i+1 ... j of a run of ties share
// (i + 1 + j)/2, so centred = i + j − n, a whole number and exact.
// The visit may change the items of the run it is given.
template <typename Visit>
void ForEachRank(std::vector<Item>& items, Visit visit) {
  const std::size_t n = items.size();
  for (std::size_t i = 0; i < n;) {
    std::size_t j = i + 1;
    while (j < n && items[j].key == items[i].key) {
      ++j;
    }
    const auto centred = static_cast<std::int64_t>(i + j) - static_cast<std::int64_t>(n);
    for (std::size_t t = i; t < j; ++t) {
      visit(items[t], centred);
    }
    i = j;
  }
}

// Σ (dy − slope·dx)² over the complete pairs, in long double: for a
// near-exact fit the residual sum of squares Syy − slope·Sxy is what is left
// after cancelling nearly all of Syy, so it is summed from the residuals.
long double ResidualSquares(std::span<const double> x, std::span<const double> y, const PairSums& s,
                            long double slope) {
  const std::size_t size = std::min(x.size(), y.size());
  long double sum = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!std::isnan(x[i]) && !std::isnan(y[i])) {
      const long double e = (y[i] - s.meanY) - slope * (x[i] - s.meanX);
      sum += e * e;
    }
  }
  return sum;
}

// Below this share of Syy the formula Syy − slope·Sxy has lost too many
// digits and the residuals are summed instead.
constexpr long double kNearFit = 1e-4L;

}  // namespace

CorrelationFigures ComputeCorrelationFigures(std::span<const double> x, std::span<const double> y) {
  const PairSums s = CentredPairSums(x, y);
  CorrelationFigures f;
  f.n = static_cast<double>(s.n);
  if (s.n < 2 || !std::isfinite(static_cast<double>(s.xx)) || !std::isfinite(static_cast<double>(s.yy)) ||
      !std::isfinite(static_cast<double>(s.xy))) {
    return f;
  }
  const auto n = static_cast<long double>(s.n);
  const long double df = n - 2;
  f.df = Finite(df);
  if (!(s.xx > 0)) {
    return f;
  }
  const long double slope = s.xy / s.xx;
  const long double intercept = s.meanY - slope * s.meanX;
  f.slope = Finite(slope);
  f.intercept = Finite(intercept);
  const bool varyingY = s.yy > 0;
  if (varyingY) {
    f.r = Finite(std::clamp(s.xy / std::sqrt(s.xx * s.yy), -1.0L, 1.0L));
    f.r_squared = Finite(s.xy / s.xx * s.xy / s.yy);
  }
  if (df <= 0) {
    return f;
  }
  long double residual = std::max(s.yy - slope * s.xy, 0.0L);
  if (residual < kNearFit * s.yy) {
    residual = ResidualSquares(x, y, s, slope);
  }
  const long double mse = residual / df;
  const long double slopeSe = std::sqrt(mse / s.xx);
  const long double interceptSe = std::sqrt(mse * (1 / n + s.meanX * s.meanX / s.xx));
  const long double tq = figures::T975(*f.df);
  f.slope_se = Finite(slopeSe);
  f.slope_ci_low = Finite(slope - tq * slopeSe);
  f.slope_ci_high = Finite(slope + tq * slopeSe);
  f.intercept_se = Finite(interceptSe);
  f.intercept_ci_low = Finite(intercept - tq * interceptSe);
  f.intercept_ci_high = Finite(intercept + tq * interceptSe);
  if (!varyingY || !(residual > 0)) {
    return f;
  }
  // t = r·√(df/(1 − r²)) = slope / SE(slope), the latter without 1 − r².
  f.t = Finite(slope / slopeSe);
  f.p = figures::TwoSidedTP(f.t, *f.df);
  if (s.n >= 4) {
    // Fisher z: atanh(r) ± z(0.975)/√(n − 3), back through tanh; atanh|r|
    // = ln(1 + |r|) − ln(1 − r²)/2 with 1 − r² = residual/Syy, which keeps
    // its digits when r is within 1e-16 of ±1.
    const long double absR = std::fabs(s.xy) / std::sqrt(s.xx * s.yy);
    const long double z = std::copysign(std::log1p(std::min(absR, 1.0L)) - std::log(residual / s.yy) / 2, s.xy);
    const long double half = figures::Z975() / std::sqrt(n - 3);
    f.r_ci_low = Finite(std::tanh(z - half));
    f.r_ci_high = Finite(std::tanh(z + half));
  }
  return f;
}

SpearmanResult ComputeSpearman(std::span<const double> x, std::span<const double> y,
                               const std::atomic<bool>& cancel) {
  const SpearmanResult cancelled{SpearmanStatus::kCancelled, {}};
  try {
    const std::size_t size = std::min(x.size(), y.size());
    std::vector<Item> items, scratch;
    items.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
      if (!std::isnan(x[i]) && !std::isnan(y[i])) {
        items.push_back({OrderKey(x[i]), OrderKey(y[i])});
      }
    }
    SpearmanResult result;
    const std::size_t n = items.size();
    if (n < 3) {
      return cancel ? cancelled : result;
    }
    // Sorted by x: x's ranks replace x's keys and y's keys become the keys.
    // Sorted by y: the products of the two ranks are summed in order, so
    // no rank ever needs to find its pair again. The doubled centred ranks
    // are whole numbers below 2^21 in size for a million pairs; their
    // products and sums are exact in long double's 64-bit mantissa.
    long double sxx = 0, syy = 0, sxy = 0;
    if (!RadixSort(items, scratch, cancel)) {
      return cancelled;
    }
    ForEachRank(items, [&sxx](Item& item, std::int64_t centred) {
      item = {item.other, static_cast<std::uint64_t>(centred)};
      sxx += static_cast<long double>(centred) * centred;
    });
    if (!RadixSort(items, scratch, cancel)) {
      return cancelled;
    }
    ForEachRank(items, [&](Item& item, std::int64_t centred) {
      const auto rankX = static_cast<std::int64_t>(item.other);
      syy += static_cast<long double>(centred) * centred;
      sxy += static_cast<long double>(centred) * rankX;
    });
    if (cancel) {
      return cancelled;
    }
    if (sxx > 0 && syy > 0) {
      const long double rho = std::clamp(sxy / std::sqrt(sxx * syy), -1.0L, 1.0L);
      result.figures.rho = Finite(rho);
      const long double df = static_cast<long double>(n) - 2;
      if (std::fabs(rho) < 1) {
        result.figures.p =
            figures::TwoSidedTP(Finite(rho * std::sqrt(df / ((1 - rho) * (1 + rho)))), static_cast<double>(df));
      }
    }
    return result;
  } catch (const std::bad_alloc&) {
    return {};
  }
}

FigureList ListFigures(const CorrelationFigures& f, const SpearmanFigures& spearman) {
  return {{"n", f.n},
          {"r", f.r},
          {"r_squared", f.r_squared},
          {"t", f.t},
          {"df", f.df},
          {"p", f.p},
          {"r_ci_low", f.r_ci_low},
          {"r_ci_high", f.r_ci_high},
          {"slope", f.slope},
          {"slope_se", f.slope_se},
          {"slope_ci_low", f.slope_ci_low},
          {"slope_ci_high", f.slope_ci_high},
          {"intercept", f.intercept},
          {"intercept_se", f.intercept_se},
          {"intercept_ci_low", f.intercept_ci_low},
          {"intercept_ci_high", f.intercept_ci_high},
          {"spearman_rho", spearman.rho},
          {"spearman_p", spearman.p}};
}

}  // namespace kelvasta
