#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvasta {

// Fixed-point decimal: a signed 64-bit count of ten-thousandths, so the range
// is -922,337,203,685,477.5808 to 922,337,203,685,477.5807. Sums are exact,
// products are rounded to four decimals with halves to even, and every
// operation that would leave the range gives nullopt.
class Currency {
 public:
  static constexpr std::int64_t kScale = 10000;

  constexpr Currency() = default;
  static constexpr Currency FromRaw(std::int64_t tenThousandths) {
    Currency c;
    c.raw_ = tenThousandths;
    return c;
  }
  constexpr std::int64_t raw() const { return raw_; }

  // Strict reading: optional blanks around, optional sign, digits with at
  // most one ".", at least one digit, optional exponent (E or e, optional
  // sign, digits). Nothing else. The exact decimal value is rounded to four
  // decimals with halves to even; out of range or malformed gives nullopt.
  static std::optional<Currency> FromText(std::string_view text);

  // The double rounded to four decimals with halves to even, taking the
  // double as the shortest decimal that reads back to it (so 2.00005 is a
  // tie); nullopt for NaN, infinities and out of range.
  static std::optional<Currency> FromDouble(double v);

  std::optional<Currency> Plus(Currency other) const;
  std::optional<Currency> Minus(Currency other) const;
  std::optional<Currency> Times(Currency other) const;

  // Nearest whole number, halves to even (12.5 -> 12, 13.5 -> 14). Always
  // has a value; optional so callers treat it like the other conversions.
  std::optional<std::int64_t> RoundToInteger() const;

  double ToDouble() const;
  long double ToLongDouble() const;

  // Plain decimal without trailing zeros or exponent: "12.5", "0.5", "-0.25", "0".
  std::string ToText() const;

  friend constexpr bool operator==(const Currency&, const Currency&) = default;
  friend constexpr auto operator<=>(const Currency&, const Currency&) = default;

 private:
  std::int64_t raw_ = 0;
};

}  // namespace kelvasta
