#include "interchange/ooxml_text.h"

#include <cstdint>

namespace kelvasta {
namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// "_xHHHH_" at `at`.
bool EscapeLike(std::string_view text, std::size_t at) {
  if (text.size() - at < 7 || text[at + 1] != 'x' || text[at + 6] != '_') return false;
  for (std::size_t i = at + 2; i < at + 6; ++i) {
    if (!IsHexDigit(text[i])) return false;
  }
  return true;
}

void AppendEscape(std::string& out, std::uint32_t unit) {
  constexpr char kHex[] = "0123456789ABCDEF";
  out += "_x";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
  out += '_';
}

// The length of the valid UTF-8 sequence at `at` (0 if none) and its code point.
std::size_t Utf8Sequence(std::string_view text, std::size_t at, std::uint32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  if (lead < 0xC2 || lead > 0xF4 || text.size() - at < length) return 0;
  codePoint = lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  const std::uint32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

void AppendOoxmlText(std::string& out, std::string_view text) {
  std::size_t plain = 0;  // start of the bytes not yet appended
  const auto flush = [&](std::size_t at) { out.append(text.substr(plain, at - plain)); };
  for (std::size_t at = 0; at < text.size();) {
    const auto c = static_cast<unsigned char>(text[at]);
    const char* entity = c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '\r' ? "&#13;" : nullptr;
    if (entity != nullptr) {
      flush(at);
      out += entity;
      plain = ++at;
    } else if ((c < 0x20 && c != '\t' && c != '\n') || (c == '_' && EscapeLike(text, at))) {
      flush(at);
      AppendEscape(out, c);
      plain = ++at;
    } else if (c < 0x80) {
      ++at;
    } else {
      std::uint32_t codePoint = 0;
      const std::size_t length = Utf8Sequence(text, at, codePoint);
      if (length != 0 && codePoint != 0xFFFE && codePoint != 0xFFFF) {
        at += length;
        continue;
      }
      flush(at);
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        ++at;
      } else {
        AppendEscape(out, codePoint);
        at += length;
      }
      plain = at;
    }
  }
  flush(text.size());
}

bool KeepsBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  return !text.empty() && (blank(text.front()) || blank(text.back()) || text.find_first_of("\t\n") != text.npos);
}

}  // namespace kelvasta
