#include "stats/fisher_exact.h"

#include <algorithm>
#include <cmath>

namespace kelvasta {
namespace {

// Terms this far (in nats) below both the mode and the observed table add
// less than 1e-26 of any sum the test forms; below kUnderflow relative to
// the mode every P that could involve them is under the smallest double.
constexpr double kNegligible = 60;
constexpr double kUnderflow = 800;

// Hypergeometric law of X with row totals r1, r2 and first column total c1:
// the log of p(x+1)/p(x).
struct Support {
  double r1, r2, c1;
  std::int64_t lo, hi, mode;

  double LogRatioUp(std::int64_t x) const {
    const double xd = static_cast<double>(x);
    return std::log(((r1 - xd) * (c1 - xd)) / ((xd + 1) * (r2 - c1 + xd + 1)));
  }
};

// Sums of exp(log term - scale), kept apart per purpose so that tiny tails
// never share a scale with the mode.
struct Sums {
  double total = 0;     // scale: mode
  double twoSided = 0;  // scale: observed
  double less = 0;      // scale: observed when a < mode, else mode
  double greater = 0;   // scale: observed when a > mode, else mode
};

}  // namespace

std::optional<FisherExactResult> FisherExact2x2(std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                                std::uint64_t d) {
  if (a > kMaxExactCount || b > kMaxExactCount || c > kMaxExactCount || d > kMaxExactCount) {
    return std::nullopt;
  }
  const auto r1 = static_cast<std::int64_t>(a + b);
  const auto r2 = static_cast<std::int64_t>(c + d);
  const auto c1 = static_cast<std::int64_t>(a + c);
  const std::int64_t n = r1 + r2;
  const auto x0 = static_cast<std::int64_t>(a);
  Support s{static_cast<double>(r1), static_cast<double>(r2),
            static_cast<double>(c1), std::max<std::int64_t>(0, c1 - r2),
            std::min(r1, c1),        0};
  // Mode of the hypergeometric law: floor((r1 + 1)(c1 + 1)/(n + 2)); the
  // product stays below 2^63 under kMaxExactCount.
  s.mode = std::clamp((r1 + 1) * (c1 + 1) / (n + 2), s.lo, s.hi);
  if (s.lo == s.hi) {
    return FisherExactResult{};
  }

  // Log probability of the observed table relative to the mode.
  double observed = 0;
  for (std::int64_t x = s.mode; x < x0 && observed > -kUnderflow; ++x) {
    observed += s.LogRatioUp(x);
  }
  for (std::int64_t x = s.mode; x > x0 && observed > -kUnderflow; --x) {
    observed -= s.LogRatioUp(x - 1);
  }
  if (observed <= -kUnderflow) {
    // Every table at least as extreme is below the smallest double.
    FisherExactResult far;
    far.twoSided = 0;
    (x0 < s.mode ? far.less : far.greater) = 0;
    return far;
  }

  const double floor = std::min(observed, 0.0) - kNegligible;
  const double tieBound = observed + std::log1p(kExactTieTolerance);
  Sums sum;
  auto add = [&](std::int64_t x, double logTerm) {
    sum.total += std::exp(logTerm);
    if (logTerm <= tieBound) {
      sum.twoSided += std::exp(logTerm - observed);
    }
    if (x <= x0) {
      sum.less += std::exp(x0 < s.mode ? logTerm - observed : logTerm);
    }
    if (x >= x0) {
      sum.greater += std::exp(x0 > s.mode ? logTerm - observed : logTerm);
    }
  };
  // The law is log-concave: terms only fall on each side of the mode.
  add(s.mode, 0);
  double logTerm = 0;
  for (std::int64_t x = s.mode; x < s.hi && logTerm > floor; ++x) {
    logTerm += s.LogRatioUp(x);
    add(x + 1, logTerm);
  }
  logTerm = 0;
  for (std::int64_t x = s.mode; x > s.lo && logTerm > floor; --x) {
    logTerm -= s.LogRatioUp(x - 1);
    add(x - 1, logTerm);
  }

  const double logTotal = std::log(sum.total);
  auto probability = [&](double scaledSum, bool scaledByObserved) {
    const double logP = std::log(scaledSum) + (scaledByObserved ? observed : 0) - logTotal;
    return std::min(1.0, std::exp(logP));
  };
  FisherExactResult out;
  out.twoSided = probability(sum.twoSided, true);
  out.less = probability(sum.less, x0 < s.mode);
  out.greater = probability(sum.greater, x0 > s.mode);
  return out;
}

}  // namespace kelvasta
