#include "stats/decimal_text.h"

#include <algorithm>

#include "stats/utf8.h"

namespace kelvasta {
namespace {

constexpr std::int64_t kExponentCap = 1'000'000'000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "[Ee][+-]digits" at `pos`; false when malformed.
bool ReadExponent(std::string_view s, std::size_t& pos, std::int64_t& exponent) {
  ++pos;  // the E
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    negative = s[pos] == '-';
    ++pos;
  }
  if (pos >= s.size() || !IsDigit(s[pos])) {
    return false;
  }
  for (; pos < s.size() && IsDigit(s[pos]); ++pos) {
    exponent = std::min(exponent * 10 + (s[pos] - '0'), kExponentCap);
  }
  if (negative) {
    exponent = -exponent;
  }
  return true;
}

void Normalize(DecimalDigits& d) {
  std::size_t first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  d.digits.erase(0, first);
  std::size_t last = d.digits.find_last_not_of('0');
  d.exponent += static_cast<std::int64_t>(d.digits.size() - last - 1);
  d.digits.erase(last + 1);
}

}  // namespace

std::optional<DecimalDigits> ParseDecimal(std::string_view text) {
  std::string_view s = TrimBlanks(text);
  DecimalDigits result;
  std::size_t pos = 0;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    result.negative = s[pos] == '-';
    ++pos;
  }
  bool seenPoint = false;
  std::int64_t fractionDigits = 0;
  for (; pos < s.size(); ++pos) {
    if (IsDigit(s[pos])) {
      result.digits += s[pos];
      fractionDigits += seenPoint ? 1 : 0;
    } else if (s[pos] == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
  }
  if (result.digits.empty()) {
    return std::nullopt;
  }
  std::int64_t exponent = 0;
  if (pos < s.size() && (s[pos] == 'E' || s[pos] == 'e') && !ReadExponent(s, pos, exponent)) {
    return std::nullopt;
  }
  if (pos != s.size()) {
    return std::nullopt;
  }
  result.exponent = exponent - fractionDigits;
  Normalize(result);
  if (result.digits.empty()) {
    result.negative = false;
  }
  return result;
}

}  // namespace kelvasta
