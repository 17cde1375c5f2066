#include "stats/utf8.h"

namespace kelvasta {
namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Byte offset of the character with 0-based index `index`, or s.size().
std::size_t ByteOffset(std::string_view s, std::size_t index) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!IsContinuation(s[i])) {
      if (seen == index) {
        return i;
      }
      ++seen;
    }
  }
  return s.size();
}

}  // namespace

std::size_t Utf8Length(std::string_view s) {
  std::size_t length = 0;
  for (char c : s) {
    length += IsContinuation(c) ? 0 : 1;
  }
  return length;
}

std::string Utf8Mid(std::string_view s, std::size_t start1, std::size_t count) {
  std::size_t first = start1 == 0 ? 0 : start1 - 1;
  std::size_t begin = ByteOffset(s, first);
  std::string_view rest = s.substr(begin);
  return std::string(rest.substr(0, ByteOffset(rest, count)));
}

std::string_view TrimBlanks(std::string_view s) {
  std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string_view Utf8LastCharacter(std::string_view s) {
  if (s.empty()) {
    return {};
  }
  std::size_t start = s.size() - 1;
  // A code point has at most three continuation bytes.
  while (start > 0 && s.size() - start < 4 && IsContinuation(s[start])) {
    --start;
  }
  return s.substr(start);
}

}  // namespace kelvasta
