#include "interchange/cell_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "stats/currency.h"
#include "stats/number_text.h"
#include "stats/utf8.h"

namespace kelvasta {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The UTF-16 code unit of an escape "_xHHHH_" at text[at], or -1.
int EscapeAt(const std::string& text, std::size_t at) {
  if (at + 7 > text.size() || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
    return -1;
  }
  int unit = 0;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    int digit = HexValue(text[i]);
    if (digit < 0) {
      return -1;
    }
    unit = unit * 16 + digit;
  }
  return unit;
}

// Days from 1970-01-01 to a civil date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

bool ReadFixedDigits(std::string_view text, std::size_t& at, std::size_t count, unsigned& value) {
  if (at + count > text.size()) {
    return false;
  }
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    char c = text[at + i];
    if (!IsDigit(c)) {
      return false;
    }
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  at += count;
  return true;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
  if (at < text.size() && text[at] == c) {
    ++at;
    return true;
  }
  return false;
}

}  // namespace

std::string NumberCellText(double value) { return DoubleToText(value); }

bool IsGeneralNumberText(std::string_view s) {
  if (s == "0") {
    return true;
  }
  std::size_t at = 0;
  if (at < s.size() && s[at] == '-') {
    ++at;
  }
  std::size_t intStart = at;
  while (at < s.size() && IsDigit(s[at])) {
    ++at;
  }
  std::size_t intDigits = at - intStart;
  if (intDigits == 0 || (intDigits > 1 && s[intStart] == '0')) {
    return false;
  }
  bool zeroInteger = s[intStart] == '0';
  std::size_t fracDigits = 0;
  std::size_t leadingFracZeros = 0;
  if (at < s.size()) {
    if (s[at] != '.') {
      return false;
    }
    ++at;
    std::size_t fracStart = at;
    while (at < s.size() && IsDigit(s[at])) {
      ++at;
    }
    fracDigits = at - fracStart;
    if (at != s.size() || fracDigits == 0 || s[at - 1] == '0') {
      return false;
    }
    while (leadingFracZeros < fracDigits && s[fracStart + leadingFracZeros] == '0') {
      ++leadingFracZeros;
    }
  }
  if (zeroInteger) {
    // 0.000ddd: the decimal exponent is -(leading zeros + 1), plain down to -4.
    return fracDigits > 0 && leadingFracZeros <= 3 && fracDigits - leadingFracZeros <= 15;
  }
  return intDigits + fracDigits <= 15;
}

namespace {

// A plain decimal ("107.10", "-007.5") written without its superfluous zeros
// and sign, when that is a general number text: it then names the same
// value with at most 15 significant digits, which is what DoubleToText gives
// back for the double nearest to it, without the cost of formatting one.
bool CanonicalDecimal(std::string_view s, std::string& out) {
  std::size_t at = 0;
  const bool negative = !s.empty() && s[0] == '-';
  at += negative ? 1 : 0;
  std::size_t intStart = at;
  while (at < s.size() && IsDigit(s[at])) ++at;
  std::string_view integer = s.substr(intStart, at - intStart);
  std::string_view fraction;
  if (at < s.size() && s[at] == '.') {
    std::size_t fracStart = ++at;
    while (at < s.size() && IsDigit(s[at])) ++at;
    fraction = s.substr(fracStart, at - fracStart);
    if (fraction.empty()) return false;
  }
  if (integer.empty() || at != s.size()) return false;
  integer.remove_prefix(std::min(integer.find_first_not_of('0'), integer.size()));
  fraction = fraction.substr(0, fraction.find_last_not_of('0') + 1);
  if (integer.empty() && fraction.empty()) {
    out = "0";
    return true;
  }
  out.clear();
  if (negative) out += '-';
  if (integer.empty()) {
    out += '0';
  } else {
    out += integer;
  }
  if (!fraction.empty()) {
    out += '.';
    out += fraction;
  }
  return IsGeneralNumberText(out);
}

}  // namespace

std::string NumberCellText(std::string_view stored) {
  if (IsGeneralNumberText(stored)) {
    return std::string(stored);
  }
  if (std::string canonical; CanonicalDecimal(stored, canonical)) {
    return canonical;
  }
  std::string_view trimmed = stored;
  while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t' ||
                              trimmed.front() == '\n' || trimmed.front() == '\r')) {
    trimmed.remove_prefix(1);
  }
  while (!trimmed.empty() && (trimmed.back() == ' ' || trimmed.back() == '\t' ||
                              trimmed.back() == '\n' || trimmed.back() == '\r')) {
    trimmed.remove_suffix(1);
  }
  if (!trimmed.empty() && trimmed.front() == '+') {
    trimmed.remove_prefix(1);
  }
  double value = 0;
  const char* end = trimmed.data() + trimmed.size();
  std::from_chars_result result = std::from_chars(trimmed.data(), end, value);
  if (trimmed.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
    return std::string(stored);
  }
  return DoubleToText(value);
}

std::string_view BooleanCellText(bool value) { return value ? "TRUE" : "FALSE"; }

std::string_view ErrorCellText(std::uint8_t code) {
  switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    default: return "#N/A";
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
    c = 0xFFFD;
  }
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Utf16ToUtf8(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    char32_t c = length == 4 ? lead & 0x07u : length == 3 ? lead & 0x0Fu : length == 2 ? lead & 0x1Fu : lead;
    bool valid = length != 0 && at + length <= text.size();
    for (std::size_t i = 1; valid && i < length; ++i) {
      auto next = static_cast<unsigned char>(text[at + i]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3Fu);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    valid = valid && !(length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) &&
            !(length == 4 && (c < 0x10000 || c > 0x10FFFF));
    if (!valid) {
      out += u'\uFFFD';
      ++at;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    at += length;
  }
  return out;
}

void DecodeOoxmlEscapes(std::string& text) {
  std::size_t at = text.find("_x");
  if (at == std::string::npos) {
    return;
  }
  std::string out(text, 0, at);
  while (at < text.size()) {
    int unit = EscapeAt(text, at);
    if (unit < 0) {
      out += text[at++];
      continue;
    }
    at += 7;
    char32_t c = static_cast<char32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      int low = EscapeAt(text, at);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + static_cast<char32_t>(low - 0xDC00);
        at += 7;
      }
    }
    AppendUtf8(out, c);
  }
  text = std::move(out);
}

std::optional<double> IsoDateToSerial(std::string_view text, bool date1904) {
  std::size_t at = 0;
  unsigned year = 0, month = 0, day = 0;
  if (!ReadFixedDigits(text, at, 4, year) || !Expect(text, at, '-') ||
      !ReadFixedDigits(text, at, 2, month) || !Expect(text, at, '-') ||
      !ReadFixedDigits(text, at, 2, day)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > 31) {
    return std::nullopt;
  }
  double seconds = 0;
  if (Expect(text, at, 'T')) {
    unsigned hour = 0, minute = 0, second = 0;
    if (!ReadFixedDigits(text, at, 2, hour) || !Expect(text, at, ':') ||
        !ReadFixedDigits(text, at, 2, minute)) {
      return std::nullopt;
    }
    if (Expect(text, at, ':') && !ReadFixedDigits(text, at, 2, second)) {
      return std::nullopt;
    }
    double fraction = 0;
    if (Expect(text, at, '.')) {
      double scale = 0.1;
      std::size_t start = at;
      while (at < text.size() && IsDigit(text[at])) {
        fraction += scale * (text[at] - '0');
        scale /= 10;
        ++at;
      }
      if (at == start) {
        return std::nullopt;
      }
    }
    if (hour > 24 || minute > 59 || second > 60) {
      return std::nullopt;
    }
    seconds = hour * 3600.0 + minute * 60.0 + second + fraction;
    Expect(text, at, 'Z');
  }
  if (at != text.size()) {
    return std::nullopt;
  }
  std::int64_t days = DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day));
  double serial = 0;
  if (date1904) {
    serial = static_cast<double>(days - DaysFromCivil(1904, 1, 1));
  } else {
    // Day 1 is 1900-01-01 and Excel counts a 29 February 1900 that never
    // was, so from March 1900 on the serial is the day count from 1899-12-30.
    serial = static_cast<double>(days - DaysFromCivil(1899, 12, 30));
    if (days < DaysFromCivil(1900, 3, 1)) {
      serial -= 1;
    }
  }
  return serial + seconds / 86400.0;
}

std::optional<double> WrittenNumber(const std::string& text) {
  std::optional<Currency> currency = Currency::FromText(text);
  std::string_view digits = currency ? TrimBlanks(text) : std::string_view(text);
  if (currency && !digits.empty() && digits.front() == '+') {
    digits.remove_prefix(1);
  }
  double value = 0;
  const char* end = digits.data() + digits.size();
  std::from_chars_result result = std::from_chars(digits.data(), end, value);
  bool parsed = !digits.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(value);
  if (currency) {
    return parsed ? value : currency->ToDouble();  // 1e-400 underflows to Currency's 0
  }
  if (parsed && DoubleToText(value) == text) {
    return value;
  }
  return std::nullopt;
}

std::size_t WrittenRows(const std::vector<std::vector<std::string>>& columns) {
  std::size_t rows = 0;
  for (const std::vector<std::string>& column : columns) {
    std::size_t last = column.size();
    while (last > rows && column[last - 1].empty()) --last;
    rows = std::max(rows, last);
  }
  return rows;
}

}  // namespace kelvasta
