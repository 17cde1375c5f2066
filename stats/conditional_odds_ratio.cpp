#include "stats/conditional_odds_ratio.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <boost/math/tools/roots.hpp>

#include "stats/fisher_exact.h"
#include "stats/hypergeometric.h"

namespace kelvasta {
namespace {

// The noncentral law at θ = ln ψ: its mean and the logs of P(X ≥ a), P(X ≤ a).
struct Noncentral {
  double mean, logUpper, logLower;
};

// Sums term by term over the whole numbers of a window around a, the
// central weights walked once.
class DirectLaw {
 public:
  DirectLaw(const Hypergeometric& law, double from, double to, double a) : from_(from), a_(a) {
    logWeights_.reserve(static_cast<std::size_t>(to - from) + 1);
    double logWeight = 0;
    for (double x = from; x <= to; ++x) {
      logWeights_.push_back(logWeight);
      logWeight += law.LogRatioUp(x);
    }
  }

  Noncentral At(double theta) const {
    const auto term = [&](std::size_t i) { return logWeights_[i] + theta * (from_ + double(i) - a_); };
    const auto split = static_cast<std::size_t>(a_ - from_);  // index of a
    double top = -HUGE_VAL, topUpper = -HUGE_VAL, topLower = -HUGE_VAL;
    for (std::size_t i = 0; i < logWeights_.size(); ++i) {
      const double t = term(i);
      top = std::max(top, t);
      if (i >= split) topUpper = std::max(topUpper, t);
      if (i <= split) topLower = std::max(topLower, t);
    }
    double total = 0, moment = 0, upper = 0, lower = 0;
    for (std::size_t i = 0; i < logWeights_.size(); ++i) {
      const double t = term(i), w = std::exp(t - top);
      total += w;
      moment += w * (double(i) - double(split));
      if (i >= split) upper += std::exp(t - topUpper);
      if (i <= split) lower += std::exp(t - topLower);
    }
    return {a_ + moment / total, std::log(upper) + topUpper - top - std::log(total),
            std::log(lower) + topLower - top - std::log(total)};
  }

 private:
  std::vector<double> logWeights_;
  double from_, a_;
};

constexpr double kNegligible = 60;

// The same sums as integrals of the smooth law (see SmoothSum), for tables
// so large that every noncentral law near the answers is hundreds wide.
class SmoothLaw {
 public:
  // `scale`: about the width of the noncentral laws near the answers.
  SmoothLaw(const Hypergeometric& law, double a, double scale) : law_(law), a_(a), scale_(scale) {}

  Noncentral At(double theta) const {
    const auto logWeight = [&](long double x) { return static_cast<double>(law_.LogRelative(x) + theta * (x - a_)); };
    const auto slope = [&](long double x) { return law_.LogSlope(x) + theta; };
    const double peak = Peak(slope);
    const double top = logWeight(peak);
    const double from = Reach(logWeight, peak, -1, top), to = Reach(logWeight, peak, 1, top);
    const auto sum = [&](double x1, double x2, double ref, bool moment) {
      return SmoothSum([&](long double x) { return logWeight(x) - ref + (moment ? static_cast<double>(std::log(x)) : 0); },
                       [&](long double x) { return slope(x) + (moment ? static_cast<double>(1 / x) : 0); }, x1, x2,
                       scale_);
    };
    const double total = sum(from, to, top, false);
    // Each tail scaled by its own largest term: one beyond the peak may be
    // far below the smallest double relative to the total.
    const double upperRef = a_ > peak ? logWeight(a_) : top, lowerRef = a_ < peak ? logWeight(a_) : top;
    const double upper = sum(a_, a_ > peak ? Reach(logWeight, a_, 1, upperRef) : to, upperRef, false);
    const double lower = sum(a_ < peak ? Reach(logWeight, a_, -1, lowerRef) : from, a_, lowerRef, false);
    return {sum(from, to, top, true) / total, std::log(upper) + upperRef - top - std::log(total),
            std::log(lower) + lowerRef - top - std::log(total)};
  }

 private:
  // Where the slope (falling in x) crosses 0, by bisection over the support.
  template <typename Slope>
  double Peak(Slope slope) const {
    double low = law_.lo(), high = law_.hi();
    if (slope(low) <= 0) return low;
    if (slope(high) >= 0) return high;
    for (int i = 0; i < 200 && high - low > 0.5; ++i) {
      const double middle = (low + high) / 2;
      (slope(middle) > 0 ? low : high) = middle;
    }
    return std::round((low + high) / 2);
  }

  template <typename LogWeight>
  double Reach(LogWeight logWeight, double x, double direction, double level) const {
    // No further than 64 scales: the laws near the answers are about one
    // scale wide, and a weight that has not fallen by then is a law far
    // from them, whose sums only steer the search for a root.
    const double start = x;
    double step = std::max(1.0, scale_);
    for (;;) {
      const double next = std::clamp(x + direction * step, law_.lo(), law_.hi());
      if (next == x || !(logWeight(next) >= level - kNegligible) || std::fabs(next - start) >= 64 * scale_) return next;
      x = next;
      step *= 2;
    }
  }

  const Hypergeometric& law_;
  double a_, scale_;
};

// The θ at which f(θ) − target changes sign, f increasing in θ; brackets
// grow from θ0 ± width outward. Empty when no root lies within the double
// range of ψ.
template <typename F>
std::optional<double> SolveTheta(F f, double target, double theta0, double width) {
  constexpr double kWidest = 700;  // e^700 is near the largest double
  const auto g = [&](double theta) { return f(theta) - target; };
  double low = theta0 - width, high = theta0 + width, step = width;
  while (low > -kWidest && g(low) > 0) low = std::max(-kWidest, low - (step *= 2));
  step = width;
  while (high < kWidest && g(high) < 0) high = std::min(kWidest, high + (step *= 2));
  const double gLow = g(low), gHigh = g(high);
  if (!(gLow <= 0 && gHigh >= 0)) return std::nullopt;
  if (gLow == 0) return low;
  if (gHigh == 0) return high;
  std::uintmax_t iterations = 200;
  const auto [a, b] = boost::math::tools::toms748_solve(g, low, high, gLow, gHigh,
                                                        boost::math::tools::eps_tolerance<double>(52), iterations);
  return (a + b) / 2;
}

std::optional<double> Psi(std::optional<double> theta) {
  if (!theta) return std::nullopt;
  const double psi = std::exp(*theta);
  return std::isfinite(psi) ? std::optional(psi) : std::nullopt;
}

// `width`: the first half-width of the brackets in θ. The smooth law holds
// only near the answers, so its search starts within a few of their widths.
template <typename Law>
ConditionalOddsRatio Solve(const Law& law, double a, double lo, double hi, double theta0, double width) {
  const double kLogAlpha = std::log(0.025);
  ConditionalOddsRatio out;
  if (a == lo) {
    out.estimate = 0;
    out.ci_low = 0;
  } else {
    out.estimate = Psi(SolveTheta([&](double t) { return law.At(t).mean; }, a, theta0, width));
    out.ci_low = Psi(SolveTheta([&](double t) { return law.At(t).logUpper; }, kLogAlpha, theta0, width));
  }
  if (a != hi) {
    out.ci_high = Psi(SolveTheta([&](double t) { return -law.At(t).logLower; }, -kLogAlpha, theta0, width));
  } else {
    out.estimate.reset();  // infinite
  }
  return out;
}

}  // namespace

ConditionalOddsRatio ConditionalOddsRatioOf(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d,
                                            std::size_t directTerms) {
  if (a > kMaxExactCount || b > kMaxExactCount || c > kMaxExactCount || d > kMaxExactCount ||
      a + b + c + d > kMaxExactCount) {
    return {};
  }
  const auto r1 = static_cast<double>(a + b), r2 = static_cast<double>(c + d), c1 = static_cast<double>(a + c);
  const Hypergeometric law(r1, r2, c1);
  if (law.lo() == law.hi()) return {};
  const double x = static_cast<double>(a);
  const auto cell = [](std::uint64_t v) { return static_cast<double>(v) + 0.5; };
  const double theta0 = std::log(cell(a) * cell(d) / (cell(b) * cell(c)));
  // The noncentral laws near the answers are about this wide (the inverse
  // information at the estimate), so 40 of them around a hold them all.
  const double spread = 1 / std::sqrt(1 / cell(a) + 1 / cell(b) + 1 / cell(c) + 1 / cell(d)) + 1;
  const double from = std::max(law.lo(), std::floor(x - 40 * spread));
  const double to = std::min(law.hi(), std::ceil(x + 40 * spread));
  if (to - from < static_cast<double>(directTerms)) {
    return Solve(DirectLaw(law, from, to, x), x, law.lo(), law.hi(), theta0, 1);
  }
  return Solve(SmoothLaw(law, x, spread), x, law.lo(), law.hi(), theta0, 4 / spread);
}

}  // namespace kelvasta
