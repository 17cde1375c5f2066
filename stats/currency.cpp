#include "stats/currency.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "stats/decimal_text.h"
#include "stats/wide_decimal.h"

namespace kelvasta {
namespace {

constexpr Int128 kMaxRaw = std::numeric_limits<std::int64_t>::max();
constexpr Int128 kMinRaw = std::numeric_limits<std::int64_t>::min();

std::optional<Currency> FromWide(Int128 raw) {
  if (raw > kMaxRaw || raw < kMinRaw) {
    return std::nullopt;
  }
  return Currency::FromRaw(static_cast<std::int64_t>(raw));
}

// |digits · 10^shift| rounded to an integer with halves to even; nullopt
// once it exceeds `limit`. digits has no leading or trailing zeros.
std::optional<Int128> ScaledMagnitude(const std::string& digits, std::int64_t shift, Int128 limit) {
  auto size = static_cast<std::int64_t>(digits.size());
  std::int64_t kept = size + shift;  // digits left of the rounding place
  if (digits.empty() || kept < 0) {
    return 0;  // zero, or below a tenth of the last place
  }
  if (kept > 19) {
    return std::nullopt;  // at least 10^19 ten-thousandths
  }
  Int128 value = 0;
  for (std::int64_t i = 0; i < kept; ++i) {
    value = value * 10 + (i < size ? digits[static_cast<std::size_t>(i)] - '0' : 0);
  }
  if (kept < size) {
    int dropped = digits[static_cast<std::size_t>(kept)] - '0';
    bool moreBelow = kept + 1 < size;  // no trailing zeros: any further digit is non-zero
    if (dropped > 5 || (dropped == 5 && (moreBelow || value % 2 != 0))) {
      ++value;
    }
  }
  if (value > limit) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<Currency> Currency::FromText(std::string_view text) {
  std::optional<DecimalDigits> parsed = ParseDecimal(text);
  if (!parsed) {
    return std::nullopt;
  }
  Int128 limit = parsed->negative ? -kMinRaw : kMaxRaw;
  // Scale to ten-thousandths: four more decimal places.
  std::optional<Int128> magnitude = ScaledMagnitude(parsed->digits, parsed->exponent + 4, limit);
  if (!magnitude) {
    return std::nullopt;
  }
  return FromWide(parsed->negative ? -*magnitude : *magnitude);
}

std::optional<Currency> Currency::FromDouble(double v) {
  if (!std::isfinite(v)) {
    return std::nullopt;
  }
  // Round the decimal the double stands for (its shortest round-trip text),
  // so a computed 48.39375 is the tie it is meant to be and goes to 48.3938
  // rather than being decided by the binary representation just below it.
  char buffer[40];
  std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return FromText(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::optional<Currency> Currency::Plus(Currency other) const {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(raw_, other.raw_, &sum)) {
    return std::nullopt;
  }
  return FromRaw(sum);
}

std::optional<Currency> Currency::Minus(Currency other) const {
  std::int64_t difference = 0;
  if (__builtin_sub_overflow(raw_, other.raw_, &difference)) {
    return std::nullopt;
  }
  return FromRaw(difference);
}

std::optional<Currency> Currency::Times(Currency other) const {
  // |raw| <= 2^63, so the exact product fits in 127 bits.
  std::optional<Int128> product = RoundedProductRaw(raw_, other.raw_);
  return product ? FromWide(*product) : std::nullopt;
}

std::optional<std::int64_t> Currency::RoundToInteger() const {
  return static_cast<std::int64_t>(DivideHalfEven(raw_, kScale));
}

double Currency::ToDouble() const {
  // Exact below 2^53 ten-thousandths, so one correctly rounded division.
  return static_cast<double>(raw_) / static_cast<double>(kScale);
}

long double Currency::ToLongDouble() const {
  return static_cast<long double>(raw_) / static_cast<long double>(kScale);
}

std::string Currency::ToText() const {
  bool negative = raw_ < 0;
  // Unsigned magnitude so the most negative value needs no special case.
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(raw_) : static_cast<std::uint64_t>(raw_);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / kScale);
  std::uint64_t fraction = magnitude % kScale;
  if (fraction != 0) {
    std::string decimals = std::to_string(fraction);
    decimals.insert(0, 4 - decimals.size(), '0');
    decimals.erase(decimals.find_last_not_of('0') + 1);
    text += "." + decimals;
  }
  return text;
}

}  // namespace kelvasta
