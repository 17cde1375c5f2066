#pragma once

// The probabilities of a binomial count over the range that holds all but a
// negligible part of its mass: what the exact power sums run over.

#include <vector>

namespace kelvasta {

class BinomialBox {
 public:
  // Binomial(n, p), n ≥ 0, p in [0, 1]. The counts left out hold less than
  // 1e-14 of the mass on each side, and the kept ones are scaled to sum to 1,
  // so a power summed over the box is within ~1e-13 of the full sum.
  BinomialBox(int n, double p);

  int first() const { return first_; }
  int last() const { return first_ + int(pmf_.size()) - 1; }
  // P(X = x) inside the box, 0 outside.
  double operator[](int x) const {
    return x < first_ || x > last() ? 0 : pmf_[static_cast<std::size_t>(x - first_)];
  }

 private:
  int first_ = 0;
  std::vector<double> pmf_;
};

}  // namespace kelvasta
