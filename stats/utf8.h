#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvasta {

// Number of code points (bytes that do not continue a UTF-8 sequence).
std::size_t Utf8Length(std::string_view s);

// `count` characters from the 1-based character position `start1`, clamped
// to the text: a start below 1 counts as 1, one past the end gives "".
std::string Utf8Mid(std::string_view s, std::size_t start1, std::size_t count);

// The text without spaces at either end (tabs and other blanks are kept).
std::string_view TrimBlanks(std::string_view s);

// The bytes of the last code point; empty for an empty text.
std::string_view Utf8LastCharacter(std::string_view s);

}  // namespace kelvasta
