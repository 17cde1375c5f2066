#include "stats/correlation_distribution.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "stats/figure_distributions.h"

namespace kelvasta {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A term this small, with all that follow it, is left out.
constexpr double kNegligible = 1e-18;
// Beyond this many standard errors of Fisher's z the tails are 0 or 1 to
// double precision, and the series would need millions of terms.
constexpr double kCertain = 40;
constexpr long kMostTerms = 20'000'000;

// Σ_j w_j · P(Beta(j + shift, b) ≥ y) over j ≥ 0, the weights negative
// binomial-like: w_{j+1}/w_j = q·(u + j)/(v + j), w_j = exp(logW(j)). It
// starts at the largest weight and walks both ways, the incomplete beta by
// its recurrence in the first parameter:
//   Q(m + 1) = Q(m) + g(m),  g(m) = x^b·y^m/(m·B(m, b)),  g(m + 1) = g(m)·y(b + m)/(m + 1),
// with x = 1 − y.
struct BetaMixture {
  double q, u, v, logScale;  // logW(j) = logScale + j·log q + lgamma(u + j) − lgamma(v + j)
  double shift, b, x, y;

  double ratio(double j) const { return q * (u + j) / (v + j); }
  double logWeight(double j) const {
    // j = 0 leaves out q^j, which is 1 even for q = 0.
    const double powers = j == 0 ? 0 : j * std::log(q);
    return logScale + powers + boost::math::lgamma(u + j, figures::QuietPolicy()) -
           boost::math::lgamma(v + j, figures::QuietPolicy());
  }

  double sum() const {
    const double mode = std::floor((q * u - v) / (1 - q)) + 1;
    const double j0 = std::max(0.0, mode);
    const double w0 = std::exp(logWeight(j0));
    const double m0 = j0 + shift;
    const double q0 = boost::math::ibetac(m0, b, y, figures::QuietPolicy());
    const double g0 = boost::math::ibeta_derivative(m0, b, y, figures::QuietPolicy()) * x * y / m0;
    if (!std::isfinite(w0) || !std::isfinite(q0) || !std::isfinite(g0)) return kNaN;
    double total = w0 * q0;
    // Upwards: the weights fall once past the mode, geometrically at the
    // rate `r` or faster, so w·r/(1 − r) bounds what is left.
    double w = w0, tail = q0, g = g0, m = m0;
    for (long step = 0; step < kMostTerms; ++step) {
      const double j = j0 + double(step);
      const double r = ratio(j);
      tail = std::min(1.0, tail + g);
      g *= y * (b + m) / (m + 1);
      m += 1;
      w *= r;
      total += w * tail;
      if (r < 1 && w * r / (1 - r) < kNegligible) break;
    }
    // Downwards to j = 0.
    w = w0, tail = q0, g = g0, m = m0;
    for (double j = j0 - 1; j >= 0; --j) {
      m -= 1;
      g *= (m + 1) / (y * (b + m));
      tail = std::max(0.0, tail - g);
      const double r = 1 / ratio(j);
      w *= r;
      total += w * tail;
      if (r < 1 && w * r / (1 - r) < kNegligible) break;
    }
    return total;
  }
};

}  // namespace

CorrelationTails SampleCorrelationTails(double n, double rho, double c) {
  if (!(n >= 3) || !std::isfinite(n) || !(std::fabs(rho) < 1) || !(c > 0 && c < 1)) return {kNaN, kNaN};
  const double z = std::atanh(std::fabs(rho)), zc = std::atanh(c), spread = 1 / std::sqrt(std::max(n - 3, 1.0));
  const bool sure = n >= 10;
  // Upper and lower tails for ρ ≥ 0; a negative ρ mirrors them.
  double either = 0, upper = 0;
  if (sure && z - zc > kCertain * spread) {
    either = upper = 1;
  } else if (!(sure && zc - z > kCertain * spread)) {
    const double q = rho * rho;
    const double a = (n - 1) / 2, b = (n - 2) / 2;
    const double y = c * c, x = (1 - c) * (1 + c);
    const double logScale = a * std::log1p(-q) - boost::math::lgamma(a, figures::QuietPolicy());
    // P(|r| ≥ c): w_j = (1 − ρ²)^a ρ^{2j} Γ(a + j)/(Γ(a) j!), r² | j ~ Beta(j + ½, b).
    either = BetaMixture{q, a, 1, logScale, 0.5, b, x, y}.sum();
    // P(r ≥ c) − P(r ≤ −c): w_j = (1 − ρ²)^a |ρ|^{2j+1} Γ(a + ½ + j)/(Γ(a) Γ(j + 3/2)), shift 1.
    double difference = 0;
    if (rho != 0)
      difference = BetaMixture{q, a + 0.5, 1.5, logScale + std::log(std::fabs(rho)), 1, b, x, y}.sum();
    either = std::clamp(either, 0.0, 1.0);
    upper = std::clamp((either + difference) / 2, 0.0, either);
  }
  if (rho < 0) upper = either - upper;
  return {either, upper};
}

}  // namespace kelvasta
