#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelvasta {

// Captions of the two-sample t test panel, all texts as shown.
struct SummaryTCaptions {
  std::string critical05;   // Label5(3)
  std::string critical01;   // Label5(4)
  std::string critical001;  // Label5(5)
  std::string result;       // Label5(6): "t = " + four decimals + "  " + verdict, or ""
};

// Pooled-variance Student t test from X1, S1, N1, X2, S2, N2 (in that cell
// order), with df = N1 + N2 - 2 looked up in `tTableText`. Every caption is
// "" when a cell is missing (no leading number, or a count of 0 or less),
// when a cell does not read as a whole number text, when the arithmetic
// fails (a zero standard error included) or when df is below the table.
// The verdict judges the unrounded t against the three critical values.
SummaryTCaptions SummaryTTest(const std::array<std::string, 6>& cellTexts, std::string_view tTableText);

}  // namespace kelvasta
