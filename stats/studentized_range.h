#pragma once

namespace kelvasta {

// The studentized range Q = R / S: R is the range of k independent standard
// normal values, S an independent scale with df·S² ~ χ²(df). df may be any
// positive number, including +infinity (S = 1, the plain normal range);
// above 1e8 it is taken as infinite.
//
// All three return NaN for k < 2, k > 200, df ≤ 0 or a NaN argument; they never throw.

// P(Q ≤ q); 0 for q ≤ 0, 1 for q = +infinity.
double StudentizedRangeCdf(double q, int k, double df);

// P(Q > q), computed directly so that small upper tails keep their relative
// precision (Tukey P values).
double StudentizedRangeUpperTail(double q, int k, double df);

// The q with P(Q ≤ q) = p, 0 < p < 1; NaN otherwise, and NaN when q lies
// beyond about 2^±60 (df far below 1). Solved to about 1e-12
// relative; the last result of each thread is remembered, since a table of
// pairs asks for the same quantile repeatedly.
double StudentizedRangeQuantile(double p, int k, double df);

}  // namespace kelvasta
