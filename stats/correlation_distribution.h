#pragma once

// The exact distribution of Pearson's r of n pairs drawn from a bivariate
// normal population with correlation ρ, by Fisher's series: r² given j is
// Beta(j + ½, (n − 2)/2) with negative binomial weights in ρ², and the odd
// terms of the density's series in ρ·r give the difference of the two tails.

namespace kelvasta {

struct CorrelationTails {
  double either = 0;  // P(|r| ≥ c)
  double upper = 0;   // P(r ≥ c)
};

// The tails beyond c of r for sample size n ≥ 3 (any real n) and |ρ| < 1,
// 0 < c < 1, each to about 1e-15 absolute. NaN for arguments outside these
// ranges.
CorrelationTails SampleCorrelationTails(double n, double rho, double c);

}  // namespace kelvasta
