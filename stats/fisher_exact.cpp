#include "stats/fisher_exact.h"

#include <algorithm>
#include <cmath>

#include "stats/hypergeometric.h"

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

// Where the weight exp(LogRelative), beyond the mode, falls kNegligible nats
// below `level` (or the end of the support), from x in `direction`, in steps
// that double from one standard deviation.
double Reach(const Hypergeometric& law, double x, double direction, double level) {
  double step = std::max(1.0, law.sd());
  for (;;) {
    const double next = std::clamp(x + direction * step, law.lo(), law.hi());
    const bool pastMode = direction * (next - law.mode()) > 0;
    if (next == x || (pastMode && law.LogRelative(next) < level - kNegligible)) return next;
    x = next;
    step *= 2;
  }
}

// The same sums as the walk, over the smooth law: each tail is the weight's
// integral from the observed table (or its mirror) outward.
FisherExactResult SmoothFisher(const Hypergeometric& law, double x0) {
  const double observed = law.LogRelative(x0);
  FisherExactResult out;
  if (observed <= -kUnderflow) {
    out.twoSided = 0;
    (x0 < law.mode() ? out.less : out.greater) = 0;
    return out;
  }
  const auto slope = [&law](long double x) { return law.LogSlope(x); };
  // Σ exp(LogRelative − ref) over [from, to].
  const auto sum = [&](double from, double to, double ref) {
    return SmoothSum([&law, ref](long double x) { return law.LogRelative(x) - ref; }, slope, from, to, law.sd());
  };
  const double mode = law.mode();
  const double total = sum(Reach(law, mode, -1, 0), Reach(law, mode, 1, 0), 0);
  const double lowRef = x0 < mode ? observed : 0, highRef = x0 > mode ? observed : 0;
  const double less = sum(Reach(law, x0, -1, lowRef), x0, lowRef);
  const double greater = sum(x0, Reach(law, x0, 1, highRef), highRef);
  const auto probability = [&](double scaled, double ref) { return std::min(1.0, std::exp(std::log(scaled) + ref - std::log(total))); };
  out.less = probability(less, lowRef);
  out.greater = probability(greater, highRef);
  if (x0 == mode) {
    return out;  // every table is at most as probable as the mode
  }
  // The first table beyond the mode, on the other side, no more probable
  // than the observed one (up to the tie tolerance): bisection, the law
  // falling away from the mode.
  const double bound = observed + std::log1p(kExactTieTolerance);
  const double direction = x0 < mode ? 1 : -1;
  double inside = mode, outside = x0 < mode ? law.hi() : law.lo();
  if (law.LogRelative(outside) > bound) {
    out.twoSided = x0 < mode ? out.less : out.greater;
    return out;
  }
  while (std::fabs(outside - inside) > 1) {
    const double middle = std::floor((inside + outside) / 2);
    (law.LogRelative(middle) <= bound ? outside : inside) = middle;
  }
  const double far = Reach(law, outside, direction, observed);
  const double mirror = direction > 0 ? sum(outside, far, observed) : sum(far, outside, observed);
  out.twoSided = probability((x0 < mode ? less : greater) + mirror, observed);
  return out;
}

}  // namespace

std::optional<FisherExactResult> FisherExact2x2(std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                                std::uint64_t d, double walkSpread) {
  if (a > kMaxExactCount || b > kMaxExactCount || c > kMaxExactCount || d > kMaxExactCount ||
      a + b + c + d > kMaxExactCount) {
    return std::nullopt;
  }
  const auto r1 = static_cast<std::int64_t>(a + b);
  const auto r2 = static_cast<std::int64_t>(c + d);
  const auto c1 = static_cast<std::int64_t>(a + c);
  const auto x0 = static_cast<std::int64_t>(a);
  const Hypergeometric law(static_cast<double>(r1), static_cast<double>(r2), static_cast<double>(c1));
  if (law.lo() == law.hi()) {
    return FisherExactResult{};
  }
  if (law.sd() > walkSpread) {
    return SmoothFisher(law, static_cast<double>(x0));
  }
  Support s{static_cast<double>(r1), static_cast<double>(r2), static_cast<double>(c1),
            static_cast<std::int64_t>(law.lo()), static_cast<std::int64_t>(law.hi()),
            static_cast<std::int64_t>(law.mode())};

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
