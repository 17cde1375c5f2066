#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvasta {

// A decimal number read from text without going through binary floating
// point: value = (negative ? -1 : 1) · digits · 10^exponent.
struct DecimalDigits {
  bool negative = false;
  std::string digits;         // no leading or trailing zeros; "" for zero
  std::int64_t exponent = 0;  // saturated far beyond any double's range
};

// Reads a complete number: optional blanks around, optional sign, digits
// with at most one ".", at least one digit, optional exponent (E or e,
// optional sign, at least one digit). Anything else gives nullopt.
std::optional<DecimalDigits> ParseDecimal(std::string_view text);

}  // namespace kelvasta
