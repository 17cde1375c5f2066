#pragma once

#include <cstdint>
#include <string>

#include "entry/value_list.h"

namespace kelvasta {

// Count, mean and sample standard deviation of one value list, as texts for
// the three summary cells of a group.
struct GroupSummary {
  std::int64_t n = 0;    // items that are numbers
  std::string meanText;  // DoubleToText of the mean; "" when n = 0
  std::string sdText;  // SD (divisor n − 1) rounded to four decimals as a Currency, ToText(); "" when n = 1, "0" when n = 0
};

// Items that are not numbers (empty, "-", "1a2") are left out of all three.
GroupSummary SummarizeGroup(const ValueList& list);

}  // namespace kelvasta
