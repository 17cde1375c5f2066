#include "stats/studentized_range.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include <boost/math/policies/policy.hpp>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/tools/roots.hpp>

// Method: Copenhaver & Holland (1988), "Computation of the distribution of
// the maximum studentized range statistic with application to multiple
// significance testing of simple effects", J. Statist. Comput. Simul. 30,
// 1–15. P(Q ≤ q) is the double integral over the range R of k normals and the
// scale S; like them we integrate with Gauss–Legendre rules on fixed panels.
// We take the order of integration with R outside, so that the inner factor
// in S is a regularized incomplete gamma function (exact for any df, and a
// clean step for df = ∞), and the two tails are separate integrals of
// positive terms: a small upper tail is never 1 minus something near 1.

namespace kelvasta {
namespace {

namespace policies = boost::math::policies;
using Quiet = policies::policy<policies::domain_error<policies::ignore_error>,
                               policies::pole_error<policies::ignore_error>,
                               policies::overflow_error<policies::ignore_error>,
                               policies::underflow_error<policies::ignore_error>,
                               policies::evaluation_error<policies::ignore_error>>;
using boost::math::quadrature::gauss;

constexpr double kPi = 3.14159265358979323846;
constexpr double kSqrtHalf = 0.70710678118654752440;
constexpr int kMaxMeans = 200;

// Φ(x) from erfc, which keeps the lower tail's relative precision.
double Phi(double x) { return 0.5 * std::erfc(-x * kSqrtHalf); }

// Φ(b) − Φ(a) for a ≤ b, from the tails on the side where the ends lie, so
// that two values near 1 are never subtracted.
double NormalMass(double a, double b) {
  if (a >= 0) {
    return Phi(-a) - Phi(-b);
  }
  if (b <= 0) {
    return Phi(b) - Phi(a);
  }
  return 1.0 - Phi(-b) - Phi(a);
}

double IntPower(double x, int n) {
  double result = 1;
  for (; n > 0; n >>= 1, x *= x) {
    if (n & 1) {
      result *= x;
    }
  }
  return result;
}

// Density of the range of k standard normals at w ≥ 0:
// k(k−1) ∫ φ(z) φ(z−w) [Φ(z) − Φ(z−w)]^(k−2) dz. With z = w/2 + t the two
// densities multiply to e^(−w²/4 − t²)/(2π) and the bracket is even in t, so
// only t ≥ 0 is integrated; e^(−t²) is below 1e-18 beyond t = 6.5. For
// small w the bracket's power narrows the integrand like e^(−k t²/2), so the
// panels shrink as k grows.
double RangeDensity(double w, int k) {
  const int panels = 5 * static_cast<int>(std::ceil(std::sqrt(k / 3.0)));
  const double width = 6.5 / panels;
  double sum = 0;
  for (int i = 0; i < panels; ++i) {
    sum += gauss<double, 10>::integrate(
        [w, k](double t) {
          const double bracket = k == 2 ? 1.0 : IntPower(NormalMass(t - w / 2, t + w / 2), k - 2);
          return std::exp(-t * t) * bracket;
        },
        i * width, (i + 1) * width);
  }
  return k * (k - 1) / kPi * std::exp(-w * w / 4) * sum;
}

bool ValidShape(int k, double df) { return k >= 2 && k <= kMaxMeans && df > 0; }

// Panel edges for the integral over R: a grid of step 2 over the range's
// support, edges at q ± 1, 2, 4, 8, 16 standard deviations of q·S (where the
// factor in S jumps when df is large) and geometric edges towards 0 (where
// it behaves like R^df when df is small).
struct Panels {
  std::array<double, 80> edge{};
  std::size_t count = 0;
  void add(double x, double top) {
    if (x >= 0 && x <= top && count < edge.size()) {
      edge[count++] = x;
    }
  }
};

Panels PanelsFor(double q, double df) {
  // Beyond q + 14 the range density is below e^(-49) of its value at q, and
  // beyond 54 it is below e^(-700) for any k allowed.
  const double top = std::min(q, 40.0) + 14;
  Panels p;
  for (double x = 0; x < top; x += 2) {
    p.add(x, top);
  }
  p.add(top, top);
  p.add(q, top);
  if (std::isfinite(df)) {
    const double sd = 1 / std::sqrt(2 * df);
    for (const double j : {1.0, 2.0, 4.0, 8.0, 16.0}) {
      p.add(q * (1 - j * sd), top);
      p.add(q * (1 + j * sd), top);
    }
    double shrink = 1;
    for (int j = 1; j <= 12; ++j) {
      shrink /= 4;
      p.add(q * shrink, top);
      p.add(shrink, top);
    }
  }
  std::sort(p.edge.begin(), p.edge.begin() + static_cast<std::ptrdiff_t>(p.count));
  p.count = static_cast<std::size_t>(
      std::unique(p.edge.begin(), p.edge.begin() + static_cast<std::ptrdiff_t>(p.count)) - p.edge.begin());
  return p;
}

// P(Q > q) (upper) or P(Q ≤ q) as ∫ r(R) · P(S < R/q or S ≥ R/q) dR, with
// P(S < s) = P(χ²(df) < df·s²) = gamma_p(df/2, df·s²/2). For q > 0, finite.
double RangeIntegral(double q, int k, double df, bool upper) {
  const bool infinite = std::isinf(df);
  const Panels panels = PanelsFor(q, df);
  double total = 0;
  for (std::size_t i = 0; i + 1 < panels.count; ++i) {
    total += gauss<double, 20>::integrate(
        [=](double r) {
          double scaleTail = 0;
          if (infinite) {
            scaleTail = (r > q) == upper ? 1.0 : 0.0;
          } else {
            const double x = 0.5 * df * (r / q) * (r / q);
            scaleTail = upper ? boost::math::gamma_p(df / 2, x, Quiet()) : boost::math::gamma_q(df / 2, x, Quiet());
          }
          return scaleTail > 0 ? scaleTail * RangeDensity(r, k) : 0.0;
        },
        panels.edge[i], panels.edge[i + 1]);
  }
  return std::clamp(total, 0.0, 1.0);
}

// Above this df, S is taken as exactly 1: the incomplete gamma function
// slows down (and from about 1e12 loses digits), while the effect of S on P
// is about 1e-8 relative at the 5% point and 3e-6 at P = 5e-8.
constexpr double kInfiniteDf = 1e8;

double Tail(double q, int k, double df, bool upper) {
  if (!ValidShape(k, df) || std::isnan(q)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (df > kInfiniteDf) {
    df = std::numeric_limits<double>::infinity();
  }
  if (q <= 0) {
    return upper ? 1.0 : 0.0;
  }
  if (std::isinf(q)) {
    return upper ? 0.0 : 1.0;
  }
  return RangeIntegral(q, k, df, upper);
}

}  // namespace

double StudentizedRangeCdf(double q, int k, double df) { return Tail(q, k, df, false); }

double StudentizedRangeUpperTail(double q, int k, double df) { return Tail(q, k, df, true); }

double StudentizedRangeQuantile(double p, int k, double df) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  if (!ValidShape(k, df) || !(p > 0 && p < 1)) {
    return nan;
  }
  struct Last {
    double p = 0, df = 0, q = 0;
    int k = 0;
  };
  thread_local Last last;
  if (last.k == k && last.p == p && last.df == df) {
    return last.q;
  }
  // Solve in the smaller tail, where the target keeps its precision; the
  // function below decreases in q.
  const bool upper = p >= 0.5;
  const double target = upper ? 1 - p : p;
  auto excess = [&](double q) {
    return upper ? StudentizedRangeUpperTail(q, k, df) - target : target - StudentizedRangeCdf(q, k, df);
  };
  double lo = 3.5, hi = 3.5;
  double fLo = excess(lo), fHi = fLo;
  for (int i = 0; fLo < 0 && i < 60; ++i) {
    hi = lo;
    fHi = fLo;
    lo /= 2;
    fLo = excess(lo);
  }
  for (int i = 0; fHi > 0 && i < 60; ++i) {
    lo = hi;
    fLo = fHi;
    hi *= 2;
    fHi = excess(hi);
  }
  if (!(fLo >= 0 && fHi <= 0)) {
    return nan;
  }
  if (fLo == 0 || fHi == 0) {
    return fLo == 0 ? lo : hi;
  }
  std::uintmax_t iterations = 100;
  const auto bracket = boost::math::tools::toms748_solve(excess, lo, hi, fLo, fHi,
                                                         boost::math::tools::eps_tolerance<double>(44), iterations,
                                                         Quiet());
  const double q = 0.5 * (bracket.first + bracket.second);
  last = {p, df, q, k};
  return q;
}

}  // namespace kelvasta
