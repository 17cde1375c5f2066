#include "stats/conditional_odds_ratio.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/tools/roots.hpp>

#include "stats/fisher_exact.h"
#include "stats/hypergeometric.h"

namespace kelvasta {
namespace {

// The noncentral law at θ = ln ψ: its mean and the logs of P(X ≥ a), P(X ≤ a).
struct Noncentral {
  double mean, logUpper, logLower;
};

// The noncentral law of X − a as weighted points u: exp(logWeight + φu),
// φ = θ − tilt, summed over them is its total, over the points of `lower`
// and `middle` P(X ≤ a), over `middle` and `upper` P(X ≥ a). The weights
// carry the tilt, a θ near the answers, so that they stay small numbers
// whatever the odds ratio. Both ways of building the law give fixed points,
// so that each θ of the root searches costs one exp per point and no
// evaluation of the central law.
class PointLaw {
 public:
  // Term by term: the whole numbers from..to, each with its weight.
  static PointLaw Terms(const Hypergeometric& law, double from, double to, double a, double tilt) {
    PointLaw out;
    out.tilt_ = tilt;
    double logWeight = 0;
    for (double x = from; x <= to; ++x) {
      (x < a ? out.lower_ : x == a ? out.middle_ : out.upper_).push_back({x - a, logWeight});
      logWeight += law.LogRatioUp(x) + tilt;
    }
    return out;
  }

  // Integrals of the smooth law (lnΓ of real arguments) from from − ½ to
  // to + ½ by Gauss–Legendre panels `width` wide, split at a ± ½. Their
  // midpoint sums over the whole numbers equal the integrals up to terms of
  // order exp(−2π²width²) (the law being about `width` wide), and a tail's
  // sum is its integral with the Euler–Maclaurin terms of the split point.
  // Every cell must stay well above zero over the window.
  static PointLaw Smooth(const Hypergeometric& law, double from, double to, double a, double width) {
    PointLaw out;
    out.smooth_ = true;
    out.tilt_ = static_cast<double>(law.LogCrossRatio(a));
    const auto panels = [&](std::vector<Point>& points, double left, double right, double step) {
      for (double start = left; start < right; start += step) {
        const double end = std::min(right, start + step), half = (end - start) / 2;
        for (std::size_t k = 0; k < Rule::abscissa().size(); ++k) {
          for (const double side : {-1.0, 1.0}) {
            const double u = start + half * (1 + side * Rule::abscissa()[k]);
            points.push_back({u, law.TiltedLogRatio(a, u) + std::log(half * Rule::weights()[k])});
          }
        }
      }
    };
    panels(out.lower_, from - a - 0.5, -0.5, width);
    panels(out.middle_, -0.5, 0.5, 1);
    panels(out.upper_, 0.5, to - a + 0.5, width);
    out.below_ = out.EdgeAt(law, a, -0.5);
    out.above_ = out.EdgeAt(law, a, 0.5);
    return out;
  }

  Noncentral At(double theta) const {
    const double phi = theta - tilt_;
    const Partial lower = Sum(lower_, phi), middle = Sum(middle_, phi), upper = Sum(upper_, phi);
    const double top = std::max({lower.top, middle.top, upper.top});
    const auto scaled = [top](const Partial& p, double value) { return value * std::exp(p.top - top); };
    const double total = scaled(lower, lower.sum) + scaled(middle, middle.sum) + scaled(upper, upper.sum);
    const double moment = scaled(lower, lower.moment) + scaled(middle, middle.moment) + scaled(upper, upper.moment);
    // Each tail scaled by its own largest point: one far beyond the peak
    // may be below the smallest double relative to the total.
    const auto logTail = [&](const Partial& outer, const Edge& edge, double side) {
      const double ref = std::max(outer.top, middle.top);
      double tail = outer.sum * std::exp(outer.top - ref) + middle.sum * std::exp(middle.top - ref);
      if (smooth_) tail += Correction(edge, phi, side, ref);
      // A law so far off that its tail is not smooth on the counts' scale
      // only steers the search: its tail is then negligible.
      return tail > 0 ? std::log(tail) + ref - top - std::log(total) : -kFarTail;
    };
    return {moment / total, logTail(upper, below_, 1), logTail(lower, above_, -1)};
  }

 private:
  using Rule = boost::math::quadrature::gauss<double, 16>;
  static constexpr double kFarTail = 1e6;

  struct Point {
    double u, logWeight;
  };
  struct Partial {
    double top = -HUGE_VAL, sum = 0, moment = 0;
  };
  // The tilted log density and its first three derivatives where a tail
  // starts, half a count from a: its Euler–Maclaurin terms.
  struct Edge {
    double logDensity = 0, slope = 0, curvature = 0, third = 0;
  };

  Edge EdgeAt(const Hypergeometric& law, double a, double u) const {
    const Hypergeometric::Derivatives d = law.LogDerivatives(static_cast<long double>(a) + u);
    return {law.TiltedLogRatio(a, u), d.first + tilt_, d.second, d.third};
  }

  // Σ over the tail's whole numbers less its integral, relative to exp(ref):
  // f'/24 − 7f'''/5760 at a − ½ for the upper tail (side 1), the negatives
  // at a + ½ for the lower one, f = exp(tilted log density + φu).
  static double Correction(const Edge& edge, double phi, double side, double ref) {
    const double g1 = edge.slope + phi;
    const double g3 = edge.third + 3 * g1 * edge.curvature + g1 * g1 * g1;
    const double f = std::exp(edge.logDensity - phi * side / 2 - ref);
    return side * f * (g1 / 24 - 7 * g3 / 5760);
  }

  static Partial Sum(const std::vector<Point>& points, double phi) {
    Partial p;
    for (const Point& point : points) p.top = std::max(p.top, point.logWeight + phi * point.u);
    for (const Point& point : points) {
      const double w = std::exp(point.logWeight + phi * point.u - p.top);
      p.sum += w;
      p.moment += w * point.u;
    }
    return p;
  }

  std::vector<Point> lower_, middle_, upper_;
  Edge below_, above_;
  double tilt_ = 0;
  bool smooth_ = false;
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

// `width`: the first half-width of the brackets in θ, a few of the answers'
// widths, so that the search starts where the laws are near the window's
// middle.
ConditionalOddsRatio Solve(const PointLaw& law, double lo, double hi, double a, double theta0, double width) {
  const double kLogAlpha = std::log(0.025);
  ConditionalOddsRatio out;
  if (a == lo) {
    out.estimate = 0;
    out.ci_low = 0;
  } else {
    out.estimate = Psi(SolveTheta([&](double t) { return law.At(t).mean; }, 0, theta0, width));
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
  // Integrals: panels of one width (a whole number, so that the window's
  // ends fall between counts), over 24 widths each side, past which the
  // laws near the answers have fallen by e^-250; the cells then stay far
  // from zero (a cell of m counts has a width below √m).
  const double width = std::ceil(spread);
  const double near = x - 24 * width, far = x + 24 * width;
  if (to - from < static_cast<double>(directTerms) || near - 2 * width < law.lo() || far + 2 * width > law.hi()) {
    return Solve(PointLaw::Terms(law, from, to, x, theta0), law.lo(), law.hi(), x, theta0, 1);
  }
  return Solve(PointLaw::Smooth(law, near, far, x, width), law.lo(), law.hi(), x, theta0, 4 / spread);
}

}  // namespace kelvasta
