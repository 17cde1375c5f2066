#pragma once

#include <cmath>

namespace kelvasta {

// Thrown by CheckedReal when an operation has no finite result; the caller
// catches it once and takes its failure path.
struct ArithmeticFailure {};

// A double whose every value is finite. Division by zero (0/0 included), the
// square root of a negative number and any operation whose result is not
// finite throw ArithmeticFailure, so a formula can be written as it reads
// and still end at its first bad step.
class CheckedReal {
 public:
  CheckedReal(double v) : value_(v) {  // NOLINT: implicit, so literals mix in formulas
    if (!std::isfinite(v)) {
      throw ArithmeticFailure{};
    }
  }
  double value() const { return value_; }

  friend CheckedReal operator+(CheckedReal a, CheckedReal b) { return a.value_ + b.value_; }
  friend CheckedReal operator-(CheckedReal a, CheckedReal b) { return a.value_ - b.value_; }
  friend CheckedReal operator*(CheckedReal a, CheckedReal b) { return a.value_ * b.value_; }
  friend CheckedReal operator/(CheckedReal a, CheckedReal b) {
    if (b.value_ == 0) {
      throw ArithmeticFailure{};
    }
    return a.value_ / b.value_;
  }

 private:
  double value_;
};

inline CheckedReal Abs(CheckedReal x) { return std::fabs(x.value()); }

inline CheckedReal Power(CheckedReal x, double exponent) { return std::pow(x.value(), exponent); }

inline CheckedReal SquareRoot(CheckedReal x) {
  if (x.value() < 0) {
    throw ArithmeticFailure{};
  }
  return std::sqrt(x.value());
}

}  // namespace kelvasta
