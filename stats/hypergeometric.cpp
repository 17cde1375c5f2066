#include "stats/hypergeometric.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <boost/math/quadrature/gauss_kronrod.hpp>

namespace kelvasta {
namespace {

constexpr long double kLogTwoPi = 1.8378770664093454835606594728112353L;

// lnΓ(x + 1) − (x + ½)ln x + x − ½ln 2π: Stirling's series from 15 on.
long double StirlingRemainder(long double x) {
  if (x <= 15) {
    return std::lgamma(x + 1) - (x + 0.5L) * std::log(x) + x - kLogTwoPi / 2;
  }
  const long double x2 = 1 / (x * x);
  return (1.0L / 12 - x2 * (1.0L / 360 - x2 * (1.0L / 1260 - x2 * (1.0L / 1680 - x2 / 1188)))) / x;
}

// x·ln(x/m) + m − x without the cancellation near x = m (Loader 2000).
long double Deviance(long double x, long double m) {
  if (std::fabs(x - m) < 0.1L * (x + m)) {
    const long double v = (x - m) / (x + m);
    long double s = (x - m) * v, term = 2 * x * v;
    for (int j = 1; j < 1000; ++j) {
      term *= v * v;
      const long double next = s + term / (2 * j + 1);
      if (next == s) return s;
      s = next;
    }
    return s;
  }
  return x * std::log(x / m) + m - x;
}

// log of the binomial probability of x successes in n trials at p (q = 1 − p).
long double LogBinomial(long double x, long double n, long double p, long double q) {
  if (x == 0) return n == 0 ? 0 : -Deviance(n, n * q) - n * p;
  if (x == n) return -Deviance(n, n * p) - n * q;
  const long double lc = StirlingRemainder(n) - StirlingRemainder(x) - StirlingRemainder(n - x) -
                         Deviance(x, n * p) - Deviance(n - x, n * q);
  return lc - (kLogTwoPi + std::log(x) + std::log1p(-x / n)) / 2;
}

}  // namespace

Hypergeometric::Hypergeometric(double r1, double r2, double c1)
    : r1_(r1), r2_(r2), c1_(c1), lo_(std::max(0.0, c1 - r2)), hi_(std::min(r1, c1)) {
  const long double n = static_cast<long double>(r1) + r2;
  // floor((r1 + 1)(c1 + 1)/(n + 2)), then moved to where the ratios turn.
  mode_ = std::clamp(static_cast<double>(std::floor((r1 + 1.0L) * (c1 + 1.0L) / (n + 2))), lo_, hi_);
  while (mode_ < hi_ && LogRatioUp(mode_) > 0) ++mode_;
  while (mode_ > lo_ && LogRatioUp(mode_ - 1) < 0) --mode_;
  const long double c2 = n - c1;
  sd_ = n > 1 ? static_cast<double>(std::sqrt(r1 * (r2 * (c1 * (c2 / (n * n * (n - 1))))))) : 0;
  modeDensity_ = LogDensity(mode_);
}

double Hypergeometric::LogRatioUp(double x) const {
  return std::log(((r1_ - x) * (c1_ - x)) / ((x + 1) * (r2_ - c1_ + x + 1)));
}

long double Hypergeometric::LogDensity(long double x) const {
  const long double n = static_cast<long double>(r1_) + r2_;
  const long double p = c1_ / n, q = (n - c1_) / n;
  return LogBinomial(x, r1_, p, q) + LogBinomial(c1_ - x, r2_, p, q) -
         LogBinomial(c1_, n, p, q);
}

double Hypergeometric::LogRelative(long double x) const { return static_cast<double>(LogDensity(x) - modeDensity_); }

double Hypergeometric::LogSlope(long double x) const {
  // ψ(y + 1) ≈ ln(y + ½) for each of the four cells.
  return static_cast<double>(std::log(((r1_ - x + 0.5L) * (c1_ - x + 0.5L)) / ((x + 0.5L) * (r2_ - c1_ + x + 0.5L))));
}

double Hypergeometric::TiltedLogRatio(double a, long double u) const {
  // With the cell y at a moving by δ (±u) to z = y + δ:
  // lnΓ(z + 1) − lnΓ(y + 1) = δ ln y + D(z, y) + ½ ln(z/y) + R(z) − R(y);
  // the δ ln y terms of the four cells add up to −u·LogCrossRatio(a).
  const long double cells[] = {a, r1_ - a, c1_ - a, r2_ - c1_ + a};
  const long double signs[] = {1, -1, -1, 1};
  long double sum = 0;
  for (int i = 0; i < 4; ++i) {
    const long double y = cells[i], delta = signs[i] * u, z = y + delta;
    sum += Deviance(z, y) + std::log1p(delta / y) / 2 + StirlingRemainder(z) - StirlingRemainder(y);
  }
  return static_cast<double>(-sum);
}

long double Hypergeometric::LogCrossRatio(double a) const {
  const long double b = r1_ - a, c = c1_ - a, d = r2_ - c1_ + a;
  return std::log(static_cast<long double>(a)) + std::log(d) - std::log(b) - std::log(c);
}

Hypergeometric::Derivatives Hypergeometric::LogDerivatives(long double x) const {
  // LogRelative is −lnΓ(y + 1) summed over the cells y = x, r1 − x, c1 − x,
  // r2 − c1 + x; with h = y + ½: ψ(y + 1) ≈ ln h + 1/(24h²) − 7/(960h⁴),
  // ψ'(y + 1) ≈ 1/h − 1/(12h³), ψ''(y + 1) ≈ −1/h² + 1/(4h⁴).
  const long double rising[] = {r1_ - x + 0.5L, c1_ - x + 0.5L}, falling[] = {x + 0.5L, r2_ - c1_ + x + 0.5L};
  long double first = std::log((rising[0] * rising[1]) / (falling[0] * falling[1])), second = 0, third = 0;
  const auto add = [&](long double h, long double sign) {
    const long double h2 = h * h;
    first += sign * (1 / (24 * h2) - 7 / (960 * h2 * h2));
    second -= 1 / h - 1 / (12 * h2 * h);
    third += sign * (-1 / h2 + 1 / (4 * h2 * h2));
  };
  for (const long double h : rising) add(h, 1);
  for (const long double h : falling) add(h, -1);
  return {static_cast<double>(first), static_cast<double>(second), static_cast<double>(third)};
}

// Bounds the work of a range far wider than the weight (a law far from the
// one asked about); such a sum only steers a search.
constexpr double kMaxPanels = 256;

double SmoothSum(const std::function<double(long double)>& logWeight,
                 const std::function<double(long double)>& slope, double from, double to, double scale) {
  if (to < from) return 0;
  // Integrated over the offset u from `from`, each point being from + u in
  // long double.
  const long double origin = from;
  const double length = to - from + 1;
  const auto weight = [&](long double t) { return std::exp(logWeight(t)); };
  const auto atOffset = [&](double u) { return weight(origin + u); };
  // Panels of two scales each, so that no panel can miss the peak and its
  // error estimate mislead the adaptive rule.
  const double panels = std::min(kMaxPanels, std::ceil(length / std::max(1.0, 2 * scale)));
  double integral = 0, error = 0;
  for (double k = 0; k < panels; ++k) {
    const double left = -0.5 + k * length / panels, right = -0.5 + (k + 1) * length / panels;
    integral += boost::math::quadrature::gauss_kronrod<double, 31>::integrate(atOffset, left, right, 4, 1e-13, &error);
  }
  const long double a = origin - 0.5L, b = origin + (length - 0.5);
  return integral - (weight(b) * slope(b) - weight(a) * slope(a)) / 24;
}

}  // namespace kelvasta
