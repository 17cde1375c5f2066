#pragma once

#include <string_view>

namespace kelvasta {

// The lenient reading used for every read-back of a cell, caption or table
// text. Blanks, tabs, CR and LF anywhere in the text are skipped; then an
// optional sign, digits, at most one "." and an optional exponent (E or e,
// optional sign, digits; an E without digits ends the number before it) are
// read from the start, stopping at the first character that cannot continue
// the number. Gives the correctly rounded double of what was read, 0 when the
// text does not begin with a number, ±inf (or 0) when the exponent takes the
// value beyond the double range. Independent of the C locale. Never fails.
double ReadLeadingNumber(std::string_view text);

// True when the lenient reading found at least one digit.
bool BeginsWithNumber(std::string_view text);

}  // namespace kelvasta
