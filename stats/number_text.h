#pragma once

#include <string>
#include <string_view>

namespace kelvasta {

// The general text of a double: at most 15 significant digits, no trailing
// zeros, no separators. Plain form when the decimal exponent e of the value
// rounded to 15 digits satisfies -5 < e < 15, otherwise mantissa, "E", sign
// and at least two exponent digits ("1.5E-05", "1E+15"). Zero of either sign
// is "0". NaN and infinities give "" (a failed quantity has no text).
std::string DoubleToText(double v);

// The "0.00…" number pattern with `places` decimals. A complete number
// (blanks around, optional sign, digits, optional ".", optional exponent) is
// rounded half away from zero on its decimal digits, never through binary
// floating point, and written with at least one integer digit and a "-" only
// when the rounded value is non-zero. Any other text comes back unchanged,
// as does a number far beyond the double range, which has no such form.
std::string FormatDecimals(std::string_view text, int places);

// Repairs a leading "." (".5" -> "0.5") or, when the text begins with "-.",
// every "-." ("-.25" -> "-0.25"), then FormatDecimals(…, 4).
std::string FormatFourDecimals(std::string_view text);

}  // namespace kelvasta
