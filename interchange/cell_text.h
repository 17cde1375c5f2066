#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// The number a text stands for when a writer stores it as a number: a plain
// decimal Currency accepts ("12.5", " 7 ", "-3e2"), or the general text of a
// double beyond Currency's range ("1E+15"); nullopt for any other text.
std::optional<double> WrittenNumber(const std::string& text);

// The rows a writer writes: up to the last non-empty text of any column
// (the empty items that pad the lists after it write nothing).
std::size_t WrittenRows(const std::vector<std::vector<std::string>>& columns);

// The text a numeric cell shows: DoubleToText (up to 15 significant digits).
std::string NumberCellText(double value);

// The same for a number stored as decimal text, as in an .xlsx cell. A text
// that is not a finite number comes back unchanged.
std::string NumberCellText(std::string_view stored);

// True when `stored` is already the text DoubleToText gives for its value:
// optional "-", no superfluous zeros, at most 15 significant digits and a
// decimal exponent e with -5 < e < 15 ("12.5", "-0.001", "3"; not "12.50",
// "1e3", "0.00001", "-0").
bool IsGeneralNumberText(std::string_view stored);

std::string_view BooleanCellText(bool value);

// Excel's text for a BIFF error code (0x07 is "#DIV/0!"); an unknown code
// reads as "#N/A".
std::string_view ErrorCellText(std::uint8_t code);

// Appends a code point as UTF-8; surrogates and values past U+10FFFF become
// U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 to UTF-8 and back; a lone surrogate or an invalid UTF-8 sequence
// becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view units);
std::u16string Utf8ToUtf16(std::string_view text);

// Replaces the OOXML escapes "_xHHHH_" (one UTF-16 code unit each, surrogate
// pairs joined) of a cell or shared string by the characters they stand for.
void DecodeOoxmlEscapes(std::string& text);

// The serial day number of an ISO 8601 date or date-time ("2024-01-01",
// "2024-01-01T12:00:00") in the workbook's 1900 or 1904 date system, the way
// Excel stores dates; nullopt for any other text.
std::optional<double> IsoDateToSerial(std::string_view text, bool date1904);

}  // namespace kelvasta
