#include "entry/pasted_block.h"

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

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view Unsigned(std::string_view s) {
  if (s.starts_with('-') || s.starts_with('+')) s.remove_prefix(1);
  return s;
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

bool CommasAreDecimalMarks(const TextBlock& block) {
  bool seen = false;
  for (const auto& row : block) {
    for (const std::string& cell : row) {
      if (IsPointDecimal(cell)) return false;
      if (cell.find(',') == std::string::npos) continue;
      if (!IsCommaDecimal(cell)) return false;
      seen = true;
    }
  }
  return seen;
}

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

TextBlock ParsePastedBlock(std::string_view text) {
  TextBlock block;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::vector<std::string>& row = block.emplace_back();
    for (std::size_t start = 0;;) {
      const std::size_t tab = line.find('\t', start);
      row.push_back(NormaliseWidth(TrimAround(line.substr(start, tab - start)), true));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  if (CommasAreDecimalMarks(block)) {
    for (auto& row : block)
      for (std::string& cell : row) std::replace(cell.begin(), cell.end(), ',', '.');
  }
  return block;
}

}  // namespace kelvasta
