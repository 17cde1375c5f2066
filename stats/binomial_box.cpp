#include "stats/binomial_box.h"

#include <algorithm>
#include <cmath>

namespace kelvasta {

BinomialBox::BinomialBox(int n, double p) {
  const double q = 1 - p;
  const int mode = std::clamp(int(std::floor((n + 1) * p)), 0, n);
  // Relative to the mode, by the ratio of neighbours; a log-concave law, so
  // below `cut` each remaining term is smaller still and n of them hold less
  // than 1e-14 of the mode, itself at most the whole mass.
  const double cut = 1e-14 / (n + 1.0);
  std::vector<double> below;  // mode − 1, mode − 2, ...
  for (double term = 1, x = mode; x > 0;) {
    term *= x / (n - x + 1) * (q / p);
    --x;
    if (!(term >= cut)) break;
    below.push_back(term);
  }
  first_ = mode - int(below.size());
  pmf_.assign(below.rbegin(), below.rend());
  pmf_.push_back(1);
  for (double term = 1, x = mode; x < n;) {
    term *= (n - x) / (x + 1) * (p / q);
    ++x;
    if (!(term >= cut)) break;
    pmf_.push_back(term);
  }
  double sum = 0;
  for (const double term : pmf_) sum += term;
  for (double& term : pmf_) term /= sum;
}

}  // namespace kelvasta
