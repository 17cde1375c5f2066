#include "entry/value_text.h"

#include "stats/cell_filter.h"

#include <algorithm>

namespace kelvasta {

namespace {

constexpr std::string_view kIdeographicSpace = "\u3000";

// The ASCII character a full-width one stands for, or 0.
char NarrowOf(char32_t c, bool fullStop) {
  if (c >= U'\uFF10' && c <= U'\uFF19') return char('0' + (c - U'\uFF10'));
  if (c == U'\uFF0E') return '.';
  if (c == U'\uFF0D' || c == U'\u2212') return '-';
  if (fullStop && c == U'\u3002') return '.';
  return 0;
}

// Decodes one UTF-8 sequence of 1 to 3 bytes at `pos` (the only lengths the
// characters of interest have); anything else counts as one byte.
char32_t DecodeAt(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto b0 = static_cast<unsigned char>(text[pos]);
  if (b0 >= 0xE0 && b0 < 0xF0 && pos + 2 < text.size()) {
    length = 3;
    return char32_t(b0 & 0x0F) << 12 | char32_t(static_cast<unsigned char>(text[pos + 1]) & 0x3F) << 6 |
           char32_t(static_cast<unsigned char>(text[pos + 2]) & 0x3F);
  }
  length = 1;
  return b0;
}

std::string_view TrimAround(std::string_view text) {
  for (;;) {
    if (text.starts_with(' ') || text.starts_with('\t')) {
      text.remove_prefix(1);
    } else if (text.starts_with(kIdeographicSpace)) {
      text.remove_prefix(kIdeographicSpace.size());
    } else if (text.ends_with(' ') || text.ends_with('\t')) {
      text.remove_suffix(1);
    } else if (text.ends_with(kIdeographicSpace)) {
      text.remove_suffix(kIdeographicSpace.size());
    } else {
      return text;
    }
  }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view s) { return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit); }

std::string_view Unsigned(std::string_view s) {
  if (s.starts_with('-') || s.starts_with('+')) s.remove_prefix(1);
  return s;
}

// Sign, digits, commas and points only, with a digit and a comma.
bool IsNumberWithCommas(std::string_view s) {
  s = Unsigned(s);
  return s.find(',') != std::string_view::npos && std::any_of(s.begin(), s.end(), IsDigit) &&
         std::all_of(s.begin(), s.end(), [](char c) { return IsDigit(c) || c == ',' || c == '.'; });
}

// "1,234" or "12,345,678.5": one to three digits, not starting with 0, then
// groups of a comma and three digits, then an optional decimal part.
bool IsGrouped(std::string_view s) {
  s = Unsigned(s);
  const std::size_t point = s.find('.');
  if (point != std::string_view::npos) {
    if (!AllDigits(s.substr(point + 1))) return false;
    s = s.substr(0, point);
  }
  const std::size_t comma = s.find(',');
  if (comma == std::string_view::npos || comma == 0 || comma > 3 || s[0] == '0' || !AllDigits(s.substr(0, comma)))
    return false;
  for (std::size_t at = comma; at < s.size(); at += 4) {
    if (s[at] != ',' || at + 4 > s.size() || !AllDigits(s.substr(at + 1, 3))) return false;
  }
  return true;
}

// "12,5": digits, one comma, digits.
bool IsCommaDecimal(std::string_view s) {
  s = Unsigned(s);
  const std::size_t comma = s.find(',');
  return comma != std::string_view::npos && AllDigits(s.substr(0, comma)) && AllDigits(s.substr(comma + 1));
}

// "12.5" or ".5": a point used as the decimal mark.
bool IsPointDecimal(std::string_view s) {
  s = Unsigned(s);
  const std::size_t point = s.find('.');
  return point != std::string_view::npos && (point == 0 || AllDigits(s.substr(0, point))) &&
         AllDigits(s.substr(point + 1));
}

// Needs NormaliseCell: blanks around it, or anything beyond ASCII.
bool NeedsNormalising(std::string_view s) {
  if (s.front() == ' ' || s.front() == '\t' || s.back() == ' ' || s.back() == '\t') return true;
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The filter keeps a text ending in a digit, "-" or "." as it is.
bool FilterKeeps(std::string_view s) { return IsDigit(s.back()) || s.back() == '-' || s.back() == '.'; }

}  // namespace

std::string NormaliseWidth(std::string_view text, bool fullStop) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 1;
    const char32_t c = DecodeAt(text, pos, length);
    const char narrow = length == 3 ? NarrowOf(c, fullStop) : 0;
    if (narrow != 0) {
      out += narrow;
    } else {
      out.append(text.substr(pos, length));
    }
    pos += length;
  }
  return out;
}

std::string NormaliseCell(std::string_view text) { return NormaliseWidth(TrimAround(text), true); }

void CommaSurvey::add(std::string_view cell) {
  if (cell.find(',') == std::string_view::npos) {
    pointDecimals_ += IsPointDecimal(cell) ? 1 : 0;
    return;
  }
  if (!IsNumberWithCommas(cell)) return;
  const bool grouped = IsGrouped(cell);
  const bool decimal = IsCommaDecimal(cell);
  if (grouped && decimal) {
    ++either_;
  } else if (grouped) {
    ++groupingOnly_;
  } else if (decimal) {
    ++decimalOnly_;
  } else {
    ++neither_;
  }
}

CommaReading CommaSurvey::reading() const {
  if (commaCells() == 0) return CommaReading::None;
  if (neither_ > 0) return CommaReading::Unclear;
  if (decimalOnly_ == 0) return CommaReading::Grouping;
  if (groupingOnly_ == 0 && pointDecimals_ == 0) return CommaReading::Decimal;
  return CommaReading::Unclear;
}

void ApplyCommaReading(CommaReading reading, std::string& cell) {
  if (cell.find(',') == std::string::npos || !IsNumberWithCommas(cell)) return;
  if (reading == CommaReading::Grouping && IsGrouped(cell)) {
    std::erase(cell, ',');
  } else if (reading == CommaReading::Decimal && IsCommaDecimal(cell)) {
    std::replace(cell.begin(), cell.end(), ',', '.');
  }
}

bool CutToCellLength(std::string& text) {
  if (text.size() <= kMaxCellLength) return false;  // never more units than bytes
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if ((byte & 0xC0) == 0x80) continue;  // a continuation byte
    units += byte >= 0xF0 ? 2 : 1;        // four bytes: a surrogate pair
    if (units > kMaxCellLength) {
      text.resize(at);
      return true;
    }
  }
  return false;
}

CleanedValues CleanValues(std::span<std::vector<std::string>> columns, std::size_t firstRow) {
  const auto forEachCell = [&](auto&& visit) {
    for (std::vector<std::string>& column : columns)
      for (std::size_t row = firstRow; row < column.size(); ++row)
        if (!column[row].empty()) visit(column[row]);
  };
  bool commas = false;
  forEachCell([&](std::string& cell) {
    if (NeedsNormalising(cell)) cell = NormaliseCell(cell);
    commas = commas || cell.find(',') != std::string::npos;
  });
  CleanedValues out;
  // Most sheets hold no comma at all and need no survey.
  if (commas) {
    CommaSurvey survey;
    forEachCell([&](const std::string& cell) { survey.add(cell); });
    out.commas = survey.reading();
    out.commaCells = survey.commaCells();
  }
  forEachCell([&](std::string& cell) {
    if (out.commas == CommaReading::Grouping || out.commas == CommaReading::Decimal) ApplyCommaReading(out.commas, cell);
    if (!FilterKeeps(cell)) {
      cell = FilterFully(cell, true);
      out.emptied += cell.empty() ? 1 : 0;
    }
    out.cut += CutToCellLength(cell) ? 1 : 0;
  });
  return out;
}

}  // namespace kelvasta
