#include "calc/plain_number.h"

#include <charconv>
#include <cstddef>
#include <system_error>

namespace kelvasta {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SkipOne(std::string_view text, std::size_t& pos, std::string_view choices) {
  if (pos < text.size() && choices.find(text[pos]) != std::string_view::npos) {
    ++pos;
    return true;
  }
  return false;
}

// Moves pos past a run of digits and gives their count.
std::size_t SkipDigits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos - start;
}

bool IsPlainNumber(std::string_view text) {
  std::size_t pos = 0;
  SkipOne(text, pos, "+-");
  std::size_t digits = SkipDigits(text, pos);
  if (SkipOne(text, pos, ".")) digits += SkipDigits(text, pos);
  if (digits == 0) return false;
  if (SkipOne(text, pos, "Ee")) {
    SkipOne(text, pos, "+-");
    if (SkipDigits(text, pos) == 0) return false;
  }
  return pos == text.size();
}

}  // namespace

std::optional<double> ReadPlainNumber(std::string_view text) {
  // The grammar is checked first because from_chars also takes "inf", "nan"
  // and a bare prefix; it does not take a leading "+".
  if (!IsPlainNumber(text)) return std::nullopt;
  if (text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || stop != end) return std::nullopt;
  return value;
}

}  // namespace kelvasta
