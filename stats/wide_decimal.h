#pragma once

#include <cstdint>
#include <optional>

namespace kelvasta {

// 128-bit integer for exact products of ten-thousandth counts. __extension__
// keeps -Wpedantic quiet about the GCC/Clang built-in type.
__extension__ using Int128 = __int128;

// value / divisor rounded to the nearest integer, halves to even.
// divisor must be positive.
Int128 DivideHalfEven(Int128 value, std::int64_t divisor);

// x·y for two counts of ten-thousandths, rounded back to ten-thousandths with
// halves to even; nullopt when the 128-bit product would overflow.
std::optional<Int128> RoundedProductRaw(Int128 x, Int128 y);

// A count of ten-thousandths as a number: raw / 10000.
long double RawToLongDouble(Int128 raw);

// num / den as a double; when both are exact doubles the division is done in
// double so the result is correctly rounded rather than rounded twice.
double QuotientToDouble(long double num, long double den);

}  // namespace kelvasta
