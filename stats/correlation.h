#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvasta {

inline constexpr std::string_view kPerfectPositive = "完全正相关";
inline constexpr std::string_view kPerfectNegative = "完全负相关";

// The captions of the correlation and regression panel.
struct CorrelationCaptions {
  bool computed = false;  // false (n < 3): Label13(6), (7), (12) and Label5(13)..(17) are emptied
  std::string n;          // Label13(6)
  std::string r;          // Label13(7), four decimals
  std::string tr;         // Label13(12), four decimals
  std::string critical05, critical01, critical001;  // Label5(13), (14), (15)
  std::string verdict;    // Label5(16): verdict, kPerfectPositive or kPerfectNegative
  std::string slope;      // Label7 (hidden): "+0.6000" / "-1.2500"
  std::string intercept;  // Label8 (hidden): "2.2000"
  std::string equation;   // Label5(17): "Y=" + intercept + slope + "X"
};

// Pearson r of Y (List2, y) on X (List1, x), its t test against the t table
// at df = n − 2, and the least-squares line Y = a + bX. Inputs are raw
// counts, kMissingRaw marking an item without a number; only positions where
// both are numbers form a pair. r is rounded to four decimals before it is
// used further; an r that rounds to ±1 is reported as perfect correlation
// with no tr. All X equal: only n is shown. All Y equal (X varying): no r,
// tr or verdict, and the line is flat at the mean of Y.
CorrelationCaptions ComputeCorrelation(std::span<const std::int64_t> x, std::span<const std::int64_t> y,
                                       std::string_view tTableText);

}  // namespace kelvasta
