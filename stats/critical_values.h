#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// The t table exactly as the hidden multi-line box holds it: 56 lines
// (0..55) joined by "\r\n", ending with "\r\n" so line 55 is empty. Data
// lines 4..52 (df 1..40, 50, 60, 70, 80, 90, 100, 200, 500, 1000) are 30
// characters: df left-aligned in 1-7, values at 8, 17 and 26. Line 53 is
// "∝" plus five blanks with the values one position further left.
const std::string& TTableText();

// The 20 F-table items: "ddd@F05@F01" by denominator df ("000" is infinity),
// numerator df 2; items 1 to 18 end with two tab characters.
std::vector<std::string> FTableItems();

// The 32 q-table items: for each df a 0.05 item ("005\t3.64\t…") then a 0.01
// item ("   \t5.70\t…"); the value for a means stands at 5(a-1).
std::vector<std::string> QTableItems();

// Line `line` (from 0) of a multi-line text without its "\r\n" or "\n";
// "" for a negative line or one past the end.
std::string ReadTextBoxLine(std::string_view text, int line);

struct TCriticalTexts {
  std::string p05, p01, p001;
};

// Two-sided t critical values for `df`, as the 5-character texts of the
// selected line: the line of the largest tabulated df not above `df`; df
// exactly 1000 takes the df-1000 line and above 1000 the infinity line.
// nullopt for df below 1 (no data line applies) and for NaN.
std::optional<TCriticalTexts> LookUpTCritical(std::string_view tTableText, double df);

}  // namespace kelvasta
