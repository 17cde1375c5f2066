#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvasta {

inline constexpr std::string_view kRxcWarning = "提示：某行列中的理论数太小，不宜应用本法！";

// Captions of the several-rates panel, all texts as shown.
struct RxcCaptions {
  std::vector<std::pair<int, std::string>> totals;  // Label18 index -> caption, in the order written
  std::array<std::string, 12> theoretical;          // Label21(0..11), the hidden store of T(k)
  std::string n;                                    // Label20(12)
  std::string chiSquare;                            // Label20(13), four decimals
  std::string critical05;                           // Label5(37)
  std::string critical01;                           // Label5(36)
  std::string verdict;                              // Label5(35)
  bool warningVisible = false;                      // Label22
};

// Pearson chi-square of the 3 x 4 grid (cells row by row, read leniently),
// over the rows and columns whose totals are positive. Totals are written as
// text and read back, so the statistic sees the shown values. Fewer than two
// rows or columns in use (df < 2) clears every total and result; too many
// small theoretical frequencies empty the results and show the warning;
// otherwise the shown four-decimal statistic is judged against the
// critical values for df.
RxcCaptions RxcChiSquare(const std::array<std::string, 12>& cellTexts);

}  // namespace kelvasta
