#pragma once

#include <functional>

namespace kelvasta {

// The law of X, the top-left count of the 2 x 2 tables with row totals r1,
// r2 and first-column total c1 (whole, n = r1 + r2 up to 2^53, so that
// every count is exact in a double).
class Hypergeometric {
 public:
  Hypergeometric(double r1, double r2, double c1);

  double lo() const { return lo_; }
  double hi() const { return hi_; }
  double mode() const { return mode_; }
  // Standard deviation of X.
  double sd() const { return sd_; }

  // log p(x + 1)/p(x).
  double LogRatioUp(double x) const;
  // log p(x) − log p(mode), in Loader's saddle-point form (the binomial
  // deviances bd0 and Stirling's remainders), so it keeps ~1e-15 absolute
  // for any margins; x may lie between whole numbers (the smooth law), and is
  // a long double so that between 2^50 and 2^53 it is not rounded to 1/8.
  double LogRelative(long double x) const;
  // The slope of LogRelative at x, to ~1/x² relatively.
  double LogSlope(long double x) const;
  // For the tables near one with top-left count a whose four cells are all
  // hundreds or more: log[p(a + u)/p(a)] + u·LogCrossRatio(a), for real u
  // that leaves every cell positive. Formed about the table's own cells
  // (Loader's deviances of each cell against its count at a), so that it
  // keeps ~1e-15 absolute however far a lies from the mode, where the
  // mode-centred LogRelative cancels large terms.
  double TiltedLogRatio(double a, long double u) const;
  // ln(a·d/(b·c)) of that table.
  long double LogCrossRatio(double a) const;
  // The first three derivatives of LogRelative at x, from the asymptotic
  // series of the digamma function and its derivatives (to ~1/x⁴ of each
  // cell's term), for cells of hundreds or more.
  struct Derivatives {
    double first, second, third;
  };
  Derivatives LogDerivatives(long double x) const;

 private:
  long double LogDensity(long double x) const;
  double r1_, r2_, c1_, lo_, hi_, mode_, sd_;
  long double modeDensity_ = 0;
};

// Σ over the whole numbers x in [from, to] of exp(logWeight(x)) for a
// weight that varies on `scale`, hundreds or more: the integral from
// from − ½ to to + ½ (Gauss-Kronrod over panels of two scales) less the
// Euler–Maclaurin term (f'(to + ½) − f'(from − ½))/24, f' = f·slope.
// Relative error below ~1e-12 then.
double SmoothSum(const std::function<double(long double)>& logWeight,
                 const std::function<double(long double)>& slope, double from, double to, double scale);

}  // namespace kelvasta
