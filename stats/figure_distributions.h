#pragma once

// Probabilities for the details figures from Boost.Math with a policy that
// never throws: a domain, pole or overflow error gives NaN or infinity,
// which the figure structs turn into empty values.

#include <cmath>
#include <limits>
#include <optional>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/policies/policy.hpp>

namespace kelvasta::figures {

namespace policies = boost::math::policies;
using QuietPolicy = policies::policy<policies::domain_error<policies::ignore_error>,
                                     policies::pole_error<policies::ignore_error>,
                                     policies::overflow_error<policies::ignore_error>,
                                     policies::underflow_error<policies::ignore_error>,
                                     policies::evaluation_error<policies::ignore_error>>;

// A value when it is a finite number, empty otherwise.
inline std::optional<double> Finite(long double v) {
  const auto d = static_cast<double>(v);
  return std::isfinite(d) ? std::optional<double>(d) : std::nullopt;
}

inline bool PositiveFinite(double v) { return std::isfinite(v) && v > 0; }

// Two-sided P of a t statistic: 2·P(T > |t|), from the complement.
inline std::optional<double> TwoSidedTP(std::optional<double> t, double df) {
  if (!t || !PositiveFinite(df)) {
    return std::nullopt;
  }
  const boost::math::students_t_distribution<double, QuietPolicy> dist(df);
  return Finite(2 * cdf(complement(dist, std::fabs(*t))));
}

// The t with P(T ≤ t) = 0.975: the half-width factor of a 95% interval.
inline double T975(double df) {
  if (!PositiveFinite(df)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  const boost::math::students_t_distribution<double, QuietPolicy> dist(df);
  return quantile(complement(dist, 0.025));
}

inline double Z975() {
  static const double z = quantile(complement(boost::math::normal_distribution<double, QuietPolicy>(), 0.025));
  return z;
}

// P(F(df1, df2) ≥ f).
inline std::optional<double> UpperF(std::optional<double> f, double df1, double df2) {
  if (!f || !PositiveFinite(df1) || !PositiveFinite(df2) || *f < 0) {
    return std::nullopt;
  }
  const boost::math::fisher_f_distribution<double, QuietPolicy> dist(df1, df2);
  return Finite(cdf(complement(dist, *f)));
}

// P(χ²(df) ≥ x).
inline std::optional<double> UpperChiSquare(std::optional<double> x, double df) {
  if (!x || !PositiveFinite(df) || *x < 0) {
    return std::nullopt;
  }
  const boost::math::chi_squared_distribution<double, QuietPolicy> dist(df);
  return Finite(cdf(complement(dist, *x)));
}

}  // namespace kelvasta::figures
