#include "interchange/date_text.h"

#include <charconv>
#include <cmath>

#include "interchange/cell_text.h"

namespace kelvasta {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

struct Civil {
  std::int64_t year;
  int month;
  int day;
};

// The civil date `days` days after 1970-01-01 (proleptic Gregorian).
Civil CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t mp = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return Civil{yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Days from 1970-01-01 to 1899-12-30 and to 1904-01-01.
constexpr std::int64_t kDays18991230 = -25569;
constexpr std::int64_t kDays19040101 = -24107;
constexpr double kLastSerial1900 = 2958465;  // 9999-12-31

void AppendNumber(std::string& out, std::int64_t value, int width = 1) {
  char digits[24];
  std::to_chars_result result = std::to_chars(digits, digits + sizeof digits, value);
  for (auto length = result.ptr - digits; length < width; ++length) {
    out += '0';
  }
  out.append(digits, result.ptr);
}

void AppendTime(std::string& out, std::int64_t seconds, bool alwaysSeconds) {
  AppendNumber(out, seconds / 3600);
  out += ':';
  AppendNumber(out, seconds / 60 % 60, 2);
  if (alwaysSeconds || seconds % 60 != 0) {
    out += ':';
    AppendNumber(out, seconds % 60, 2);
  }
}

}  // namespace

DateKind DateKindOfFormatCode(std::string_view code) {
  bool date = false;
  bool time = false;
  char previous = 0;       // the last date or time code letter seen
  bool monthPending = false;  // an 'm' that is a month unless 's' follows
  for (std::size_t at = 0; at < code.size(); ++at) {
    char c = code[at];
    if (c == ';') {
      break;
    }
    if (c == '"') {
      std::size_t close = code.find('"', at + 1);
      at = close == std::string_view::npos ? code.size() : close;
      continue;
    }
    if (c == '\\' || c == '_' || c == '*') {
      ++at;  // the next character is shown as it is (or spaces or fills)
      continue;
    }
    if (c == '[') {
      std::size_t close = code.find(']', at + 1);
      std::string_view inside = code.substr(at + 1, (close == std::string_view::npos ? code.size() : close) - at - 1);
      if (!inside.empty() && inside.find_first_not_of(inside[0]) == std::string_view::npos &&
          (Lower(inside[0]) == 'h' || Lower(inside[0]) == 'm' || Lower(inside[0]) == 's')) {
        time = true;  // elapsed time
        previous = Lower(inside[0]);
      }
      at = close == std::string_view::npos ? code.size() : close;
      continue;
    }
    std::string_view rest = code.substr(at);
    auto startsWith = [&](std::string_view marker) {
      if (rest.size() < marker.size()) return false;
      for (std::size_t i = 0; i < marker.size(); ++i) {
        if (Lower(rest[i]) != marker[i]) return false;
      }
      return true;
    };
    if (startsWith("am/pm") || startsWith("a/p")) {
      time = true;
      at += startsWith("am/pm") ? 4 : 2;
      continue;
    }
    char l = Lower(c);
    if (l == 'y' || l == 'd') {
      date = true;
    } else if (l == 'h') {
      time = true;
    } else if (l == 's') {
      time = true;
      if (monthPending) {
        monthPending = false;  // "mm:ss": those were minutes
      }
    } else if (l == 'm') {
      while (at + 1 < code.size() && Lower(code[at + 1]) == 'm') ++at;
      if (previous == 'h') {
        time = true;
      } else {
        if (monthPending) date = true;
        monthPending = true;
        previous = 'm';
        continue;
      }
    } else {
      continue;
    }
    if (l != 's' && monthPending) {
      date = true;  // an earlier 'm' not followed by seconds is a month
      monthPending = false;
    }
    previous = l;
  }
  if (monthPending) {
    date = true;
  }
  if (date && time) return DateKind::DateTime;
  if (date) return DateKind::Date;
  if (time) return DateKind::Time;
  return DateKind::None;
}

DateKind DateKindOfBuiltInFormat(int id) {
  if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) ||
      (id >= 57 && id <= 58)) {
    return DateKind::Date;
  }
  if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47) || id == 55 || id == 56) {
    return DateKind::Time;
  }
  if (id == 22) {
    return DateKind::DateTime;
  }
  return DateKind::None;
}

std::optional<std::string> SerialDateText(double serial, DateKind kind, bool date1904) {
  if (kind == DateKind::None || !std::isfinite(serial) || serial < 0 ||
      serial >= (date1904 ? kLastSerial1900 - 1462 : kLastSerial1900) + 1) {
    return std::nullopt;
  }
  const auto totalSeconds = static_cast<std::int64_t>(std::llround(serial * 86400.0));
  std::int64_t day = totalSeconds / 86400;
  const std::int64_t seconds = totalSeconds % 86400;
  std::string text;
  if (kind == DateKind::Time) {
    AppendTime(text, seconds, true);
    return text;
  }
  Civil civil{};
  if (date1904) {
    civil = CivilFromDays(kDays19040101 + day);
  } else if (day == 0) {
    civil = Civil{1900, 1, 0};  // Excel shows day 0 as 1900/1/0
  } else if (day == 60) {
    civil = Civil{1900, 2, 29};  // the leap day 1900 did not have
  } else {
    civil = CivilFromDays(kDays18991230 + day + (day < 60 ? 1 : 0));
  }
  AppendNumber(text, civil.year);
  text += '/';
  AppendNumber(text, civil.month);
  text += '/';
  AppendNumber(text, civil.day);
  if (kind == DateKind::DateTime) {
    text += ' ';
    AppendTime(text, seconds, false);
  }
  return text;
}

std::optional<std::string> IsoDateText(std::string_view iso) {
  std::optional<double> serial = IsoDateToSerial(iso, false);
  if (!serial) {
    return std::nullopt;
  }
  const bool midnight = std::llround(*serial * 86400.0) % 86400 == 0;
  return SerialDateText(*serial, midnight ? DateKind::Date : DateKind::DateTime, false);
}

std::optional<std::string> IsoDurationText(std::string_view duration) {
  if (duration.substr(0, 2) != "PT") {
    return std::nullopt;
  }
  duration.remove_prefix(2);
  double seconds = 0;
  bool any = false;
  while (!duration.empty()) {
    double value = 0;
    std::from_chars_result result = std::from_chars(duration.data(), duration.data() + duration.size(), value);
    if (result.ec != std::errc() || result.ptr == duration.data() + duration.size() || value < 0) {
      return std::nullopt;
    }
    char unit = *result.ptr;
    duration.remove_prefix(static_cast<std::size_t>(result.ptr - duration.data()) + 1);
    if (unit == 'H') {
      seconds += value * 3600;
    } else if (unit == 'M') {
      seconds += value * 60;
    } else if (unit == 'S') {
      seconds += value;
    } else {
      return std::nullopt;
    }
    any = true;
  }
  if (!any || seconds >= 1e9) {
    return std::nullopt;
  }
  std::string text;
  AppendTime(text, std::llround(seconds), true);
  return text;
}

}  // namespace kelvasta
