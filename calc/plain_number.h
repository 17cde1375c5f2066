#pragma once

#include <optional>
#include <string_view>

namespace kelvasta {

// Strict reading of a whole text as one number: optional sign, digits with at
// most one "." and at least one digit, optional exponent (E or e, optional
// sign, at least one digit). Nothing else, not even blanks, so "." or "1.2.3"
// give nullopt, as does a value beyond the double range either way ("1E999",
// "1E-999"). Independent of the C locale.
std::optional<double> ReadPlainNumber(std::string_view text);

}  // namespace kelvasta
