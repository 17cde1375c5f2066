#include "stats/wide_decimal.h"

namespace kelvasta {

Int128 DivideHalfEven(Int128 value, std::int64_t divisor) {
  Int128 quotient = value / divisor;  // truncates toward zero
  Int128 remainder = value % divisor;
  Int128 twice = remainder < 0 ? -remainder * 2 : remainder * 2;
  bool awayFromZero = twice > divisor || (twice == divisor && quotient % 2 != 0);
  if (awayFromZero) {
    quotient += value < 0 ? -1 : 1;
  }
  return quotient;
}

std::optional<Int128> RoundedProductRaw(Int128 x, Int128 y) {
  Int128 product = 0;
  if (__builtin_mul_overflow(x, y, &product)) {
    return std::nullopt;
  }
  return DivideHalfEven(product, 10000);
}

long double RawToLongDouble(Int128 raw) { return static_cast<long double>(raw) / 10000.0L; }

double QuotientToDouble(long double num, long double den) {
  double dn = static_cast<double>(num);
  double dd = static_cast<double>(den);
  if (static_cast<long double>(dn) == num && static_cast<long double>(dd) == den) {
    return dn / dd;
  }
  return static_cast<double>(num / den);
}

}  // namespace kelvasta
