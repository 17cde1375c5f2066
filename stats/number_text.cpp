#include "stats/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "stats/decimal_text.h"

namespace kelvasta {
namespace {

// The largest decimal exponent a finite double can reach.
constexpr std::int64_t kMaxDoubleExponent = 308;

std::string ExponentForm(const std::string& digits, int exponent) {
  std::string text(1, digits[0]);
  if (digits.size() > 1) {
    text += "." + digits.substr(1);
  }
  std::string magnitude = std::to_string(std::abs(exponent));
  if (magnitude.size() < 2) {
    magnitude.insert(0, "0");
  }
  return text + "E" + (exponent < 0 ? "-" : "+") + magnitude;
}

std::string PlainForm(const std::string& digits, int exponent) {
  if (exponent < 0) {
    return "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  }
  auto integerDigits = static_cast<std::size_t>(exponent) + 1;
  if (digits.size() <= integerDigits) {
    return digits + std::string(integerDigits - digits.size(), '0');
  }
  return digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(0, "1");
}

// |value| · 10^places rounded half away from zero, as a digit string.
std::string ScaledRounded(const DecimalDigits& d, int places) {
  std::int64_t shift = d.exponent + places;
  if (shift >= 0) {
    return d.digits + std::string(static_cast<std::size_t>(shift), '0');
  }
  std::int64_t kept = static_cast<std::int64_t>(d.digits.size()) + shift;
  if (kept < 0) {
    return "0";
  }
  std::string rounded = kept == 0 ? "0" : d.digits.substr(0, static_cast<std::size_t>(kept));
  if (d.digits[static_cast<std::size_t>(kept)] >= '5') {
    Increment(rounded);
  }
  return rounded;
}

}  // namespace

std::string DoubleToText(double v) {
  if (!std::isfinite(v)) {
    return "";
  }
  if (v == 0.0) {
    return "0";
  }
  // Scientific with 14 decimals is the value rounded to 15 significant
  // digits, correctly and independently of the C locale.
  char buffer[40];
  std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(v), std::chars_format::scientific, 14);
  std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
  std::size_t e = text.find('e');
  std::string digits = std::string(1, text[0]) + std::string(text.substr(2, e - 2));
  digits.erase(digits.find_last_not_of('0') + 1);
  int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
  std::string body =
      exponent > -5 && exponent < 15 ? PlainForm(digits, exponent) : ExponentForm(digits, exponent);
  return v < 0 ? "-" + body : body;
}

std::string FormatDecimals(std::string_view text, int places) {
  std::optional<DecimalDigits> parsed = ParseDecimal(text);
  if (!parsed) {
    return std::string(text);
  }
  if (!parsed->digits.empty() &&
      parsed->exponent + static_cast<std::int64_t>(parsed->digits.size()) > kMaxDoubleExponent + 1) {
    return std::string(text);
  }
  places = std::max(places, 0);
  std::string scaled = ScaledRounded(*parsed, places);
  auto width = static_cast<std::size_t>(places) + 1;
  if (scaled.size() < width) {
    scaled.insert(0, width - scaled.size(), '0');
  }
  bool isZero = scaled.find_first_not_of('0') == std::string::npos;
  std::size_t point = scaled.size() - static_cast<std::size_t>(places);
  std::string formatted = scaled.substr(0, point);
  if (places > 0) {
    formatted += "." + scaled.substr(point);
  }
  return parsed->negative && !isZero ? "-" + formatted : formatted;
}

std::string FormatFourDecimals(std::string_view text) {
  std::string repaired(text);
  if (repaired.starts_with(".")) {
    repaired.insert(0, "0");
  } else if (repaired.starts_with("-.")) {
    for (std::size_t at = repaired.find("-."); at != std::string::npos; at = repaired.find("-.", at + 3)) {
      repaired.replace(at, 2, "-0.");
    }
  }
  return FormatDecimals(repaired, 4);
}

}  // namespace kelvasta
