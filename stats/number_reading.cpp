#include "stats/number_reading.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <system_error>

namespace kelvasta {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct LeadingNumber {
  std::string text;  // sign (only "-"), digits, point, exponent: from_chars syntax
  bool negative = false;
  bool hasDigit = false;
  long long magnitudeExponent = 0;  // rough decimal exponent, to tell overflow from underflow
};

void ReadExponentPart(const std::string& s, std::size_t pos, LeadingNumber& number) {
  std::size_t end = pos + 1;
  bool negative = false;
  if (end < s.size() && (s[end] == '+' || s[end] == '-')) {
    negative = s[end] == '-';
    ++end;
  }
  if (end >= s.size() || !IsDigit(s[end])) {
    return;  // "E" without digits is not part of the number
  }
  long long exponent = 0;
  std::string digits;
  for (; end < s.size() && IsDigit(s[end]); ++end) {
    digits += s[end];
    exponent = std::min(exponent * 10 + (s[end] - '0'), 1'000'000'000LL);
  }
  number.text += std::string("e") + (negative ? "-" : "") + digits;
  number.magnitudeExponent += negative ? -exponent : exponent;
}

LeadingNumber ReadLeading(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (!IsSkipped(c)) {
      s += c;
    }
  }
  LeadingNumber number;
  std::size_t pos = 0;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) {
    number.negative = s[pos] == '-';
    ++pos;
  }
  bool seenPoint = false;
  bool seenNonZero = false;
  for (; pos < s.size(); ++pos) {
    char c = s[pos];
    if (IsDigit(c)) {
      number.hasDigit = true;
      seenNonZero = seenNonZero || c != '0';
      // Integer digits after the first non-zero raise the magnitude; leading
      // fraction zeros lower it.
      if (!seenPoint && seenNonZero) {
        ++number.magnitudeExponent;
      } else if (seenPoint && !seenNonZero) {
        --number.magnitudeExponent;
      }
    } else if (c == '.' && !seenPoint) {
      seenPoint = true;
    } else {
      break;
    }
    number.text += c;
  }
  if (number.hasDigit && pos < s.size() && (s[pos] == 'E' || s[pos] == 'e')) {
    ReadExponentPart(s, pos, number);
  }
  return number;
}

}  // namespace

double ReadLeadingNumber(std::string_view text) {
  LeadingNumber number = ReadLeading(text);
  if (!number.hasDigit) {
    return 0.0;
  }
  double value = 0.0;
  const char* first = number.text.data();
  const char* last = first + number.text.size();
  std::from_chars_result result = std::from_chars(first, last, value);
  if (result.ec == std::errc::result_out_of_range) {
    value = number.magnitudeExponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return number.negative ? -value : value;
}

bool BeginsWithNumber(std::string_view text) { return ReadLeading(text).hasDigit; }

}  // namespace kelvasta
