#include "stats/correlation_figures.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <new>
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

// As for one column: first means m0 from plain sums, then the products of
// the distances from m0, corrected by Σ(x − m0), which is n times m0's error.
PairSums CentredPairSums(std::span<const double> x, std::span<const double> y) {
  const std::size_t size = std::min(x.size(), y.size());
  PairSums s;
  long double sumX = 0, sumY = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!std::isnan(x[i]) && !std::isnan(y[i])) {
      ++s.n;
      sumX += x[i];
      sumY += y[i];
    }
  }
  if (s.n == 0) {
    return s;
  }
  const auto n = static_cast<long double>(s.n);
  const long double cx = sumX / n, cy = sumY / n;
  long double xx = 0, yy = 0, xy = 0, ox = 0, oy = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!std::isnan(x[i]) && !std::isnan(y[i])) {
      const long double dx = x[i] - cx, dy = y[i] - cy;
      xx += dx * dx;
      yy += dy * dy;
      xy += dx * dy;
      ox += dx;
      oy += dy;
    }
  }
  s.meanX = cx + ox / n;
  s.meanY = cy + oy / n;
  s.xx = std::max(xx - ox * ox / n, 0.0L);
  s.yy = std::max(yy - oy * oy / n, 0.0L);
  s.xy = xy - ox * oy / n;
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

}  // namespace

CorrelationFigures ComputeCorrelationFigures(std::span<const double> x, std::span<const double> y) {
  const PairSums s = CentredPairSums(x, y);
  CorrelationFigures f;
  f.n = static_cast<double>(s.n);
  if (s.n < 3 || !(s.xx > 0) || !std::isfinite(static_cast<double>(s.xx)) ||
      !std::isfinite(static_cast<double>(s.yy)) || !std::isfinite(static_cast<double>(s.xy))) {
    return f;
  }
  const auto n = static_cast<long double>(s.n);
  const long double df = n - 2;
  f.df = Finite(df);
  const long double slope = s.xy / s.xx;
  const long double intercept = s.meanY - slope * s.meanX;
  // Residual sum of squares Syy − Sxy²/Sxx; in long double it keeps ~14
  // digits even when r² is 0.99999.
  const long double residual = std::max(s.yy - slope * s.xy, 0.0L);
  const long double mse = residual / df;
  const long double slopeSe = std::sqrt(mse / s.xx);
  const long double interceptSe = std::sqrt(mse * (1 / n + s.meanX * s.meanX / s.xx));
  const long double tq = figures::T975(*f.df);
  f.slope = Finite(slope);
  f.slope_se = Finite(slopeSe);
  f.slope_ci_low = Finite(slope - tq * slopeSe);
  f.slope_ci_high = Finite(slope + tq * slopeSe);
  f.intercept = Finite(intercept);
  f.intercept_se = Finite(interceptSe);
  f.intercept_ci_low = Finite(intercept - tq * interceptSe);
  f.intercept_ci_high = Finite(intercept + tq * interceptSe);
  if (!(s.yy > 0)) {
    return f;
  }
  const long double r = std::clamp(s.xy / std::sqrt(s.xx * s.yy), -1.0L, 1.0L);
  f.r = Finite(r);
  f.r_squared = Finite(s.xy / s.xx * s.xy / s.yy);
  if (residual > 0 && std::fabs(r) < 1) {
    // t = r·√(df/(1 − r²)) = slope / SE(slope), the latter without 1 − r².
    f.t = Finite(slope / slopeSe);
    f.p = figures::TwoSidedTP(f.t, *f.df);
    if (s.n >= 4) {
      // Fisher z: atanh(r) ± z(0.975)/√(n − 3), back through tanh.
      const long double z = std::atanh(r), half = figures::Z975() / std::sqrt(n - 3);
      f.r_ci_low = Finite(std::tanh(z - half));
      f.r_ci_high = Finite(std::tanh(z + half));
    }
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
