#pragma once

#include <cmath>
#include <string>

namespace kelvasta::testing {

// A non-negative reference value as four-decimal text, half away from zero.
// Sets `nearTie` when the value lies so close to a half that the program's
// double arithmetic and 15-digit text could round it the other way.
inline std::string FourDecimals(long double v, bool& nearTie) {
  long double scaled = v * 10000;
  nearTie = nearTie || std::fabs(scaled - std::floor(scaled) - 0.5L) < 1e-6L;
  auto k = static_cast<long long>(std::floor(scaled + 0.5L));
  std::string fraction = std::to_string(k % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  return std::to_string(k / 10000) + "." + fraction;
}

}  // namespace kelvasta::testing
