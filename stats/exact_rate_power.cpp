#include "stats/exact_rate_power.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <boost/math/distributions/binomial.hpp>

#include "stats/binomial_box.h"
#include "stats/figure_distributions.h"
#include "stats/fisher_exact.h"

namespace kelvasta {

namespace {

using Binomial = boost::math::binomial_distribution<double, figures::QuietPolicy>;

// A total of events below this probability is skipped; there are at most a
// few thousand totals.
constexpr double kNegligibleTotal = 1e-16;

// The law of x1 given t events among n1 + n2 (the hypergeometric), relative
// to its mode, over the x where it is not below `cut` times the mode: terms
// beyond hold less than (hi − lo + 1)·cut of it.
struct Conditional {
  int first = 0;  // x of f[0]
  int lo = 0, hi = 0;  // the whole support
  std::vector<double> f;
  std::vector<double> below;
  double total = 0;

  void fill(int n1, int n2, int t, double cutFactor) {
    lo = std::max(0, t - n2);
    hi = std::min(t, n1);
    const double a = n1, b = n2, s = t;
    const int mode = std::clamp(int(std::floor((s + 1) * (a + 1) / (a + b + 2))), lo, hi);
    const double cut = cutFactor / (hi - lo + 1);
    below.clear();
    // f(x − 1)/f(x) = x(n2 − t + x)/((n1 − x + 1)(t − x + 1)).
    double term = 1;
    for (double x = mode; x > lo;) {
      term *= x * (b - s + x) / ((a - x + 1) * (s - x + 1));
      --x;
      if (!(term >= cut)) break;
      below.push_back(term);
    }
    first = mode - int(below.size());
    f.assign(below.rbegin(), below.rend());
    f.push_back(1);
    // f(x + 1)/f(x) = (n1 − x)(t − x)/((x + 1)(n2 − t + x + 1)).
    term = 1;
    for (double x = mode; x < hi;) {
      term *= (a - x) * (s - x) / ((x + 1) * (b - s + x + 1));
      ++x;
      if (!(term >= cut)) break;
      f.push_back(term);
    }
    total = 0;
    for (const double v : f) total += v;
  }
};

// The tables of one total that the test does not reject, [from, to] in x1.
struct Accepted {
  int from, to;
};

// Two-sided: tables are rejected from the ends inward, always the less
// probable end first, while the P of the next one (its own probability, the
// ones already rejected and those still ahead within the tie tolerance of
// it) stays at most α; P only grows along this order, so the first one over
// α ends the walk.
Accepted TwoSided(const Conditional& law, double alpha) {
  const std::vector<double>& f = law.f;
  const double limit = alpha * law.total;
  int i = 0, j = int(f.size()) - 1;
  double rejected = 0;
  while (i <= j) {
    const bool left = f[std::size_t(i)] <= f[std::size_t(j)];
    const double next = f[std::size_t(left ? i : j)];
    const double bound = next * (1 + kExactTieTolerance);
    double p = rejected + next;
    int a = left ? i + 1 : i, b = left ? j : j - 1;
    while (a <= b && f[std::size_t(a)] <= bound) p += f[std::size_t(a++)];
    while (b >= a && f[std::size_t(b)] <= bound) p += f[std::size_t(b--)];
    if (p > limit) break;
    rejected += next;
    (left ? i : j) += left ? 1 : -1;
  }
  return {law.first + i, law.first + j};
}

// One-sided: the upper tail P(X ≥ x) ≤ α, or the lower one P(X ≤ x) ≤ α.
Accepted OneSided(const Conditional& law, double alpha, bool upper) {
  const std::vector<double>& f = law.f;
  const double limit = alpha * law.total;
  double rejected = 0;
  if (upper) {
    int j = int(f.size()) - 1;
    while (j >= 0 && rejected + f[std::size_t(j)] <= limit) rejected += f[std::size_t(j--)];
    return {law.lo, law.first + j};
  }
  int i = 0;
  while (i < int(f.size()) && rejected + f[std::size_t(i)] <= limit) rejected += f[std::size_t(i++)];
  return {law.first + i, law.hi};
}

}  // namespace

double FisherExactPower(int n1, int n2, double p1, double p2, double alpha, int sides) {
  if (n1 < 1 || n2 < 1 || !(alpha > 0 && alpha < 1)) return std::numeric_limits<double>::quiet_NaN();
  const BinomialBox one(n1, p1), two(n2, p2);
  Conditional law;
  // Together the conditional terms left out hold under 1e-17·α: a P moves by
  // less than that, far below the tie tolerance.
  const double cutFactor = alpha * 1e-17;
  double power = 0;
  for (int t = one.first() + two.first(); t <= one.last() + two.last(); ++t) {
    // The x1 where both binomials have mass.
    const int from = std::max(one.first(), t - two.last()), to = std::min(one.last(), t - two.first());
    // Totals this improbable (together under 1e-12) need no test.
    double mass = 0;
    for (int x = from; x <= to; ++x) mass += one[x] * two[t - x];
    if (mass < kNegligibleTotal) continue;
    law.fill(n1, n2, t, cutFactor);
    const Accepted kept = sides == 2 ? TwoSided(law, alpha) : OneSided(law, alpha, p1 > p2);
    for (int x = from; x <= std::min(to, kept.from - 1); ++x) power += one[x] * two[t - x];
    for (int x = std::max(from, kept.to + 1); x <= to; ++x) power += one[x] * two[t - x];
  }
  return std::min(1.0, power);
}

McNemarExactPower::McNemarExactPower(double p10, double p01, double alpha, int sides, int largest)
    : psi_(p10 + p01) {
  const double share = p10 / psi_;  // of the first kind among the discordant
  rejected_.assign(std::size_t(std::max(0, largest) + 1), 0);
  // c: the largest k whose P (2·P(X ≤ k) two-sided, P(X ≤ k) one-sided) is
  // at most α; it never falls as m grows, so each m starts from the last.
  const double scale = sides == 2 ? 2 : 1;
  int c = -1;
  for (int m = 1; m <= largest; ++m) {
    const Binomial half(m, 0.5);
    while (c + 1 < m && scale * cdf(half, c + 1) <= alpha) ++c;
    if (c < 0) continue;
    const Binomial b(m, share);
    // Upper: b ≥ m − c; lower: b ≤ c.
    const double upper = cdf(complement(b, m - c - 1));
    const double lower = cdf(b, c);
    rejected_[std::size_t(m)] = sides == 2 ? upper + lower : p10 > p01 ? upper : lower;
  }
}

double McNemarExactPower::operator()(int n) const {
  if (n < 0 || n >= int(rejected_.size())) return std::numeric_limits<double>::quiet_NaN();
  const BinomialBox discordant(n, psi_);
  double power = 0;
  for (int m = discordant.first(); m <= discordant.last(); ++m) power += discordant[m] * rejected_[std::size_t(m)];
  return std::min(1.0, power);
}

}  // namespace kelvasta
