#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "stats/currency.h"

namespace kelvasta {

// The four cells of the 2 x 2 grid (a, b / c, d) and their totals, shared
// by the fourfold and the paired chi-square tests.
struct CountTotals {
  std::array<std::optional<Currency>, 4> cells;   // a, b, c, d; nullopt = not a number (counts as 0)
  std::optional<Currency> r1, r2, c1, c2, grand;  // nullopt only on overflow
  std::int64_t n = 0;                             // grand rounded half to even; 0 when grand is nullopt
  std::array<std::string, 5> captions;            // c1, c2, r1, r2, grand ("" when nullopt)
};

// Reads the cells strictly (so "" and "-" count as 0) and forms the totals;
// the grand total is r1 + r2.
CountTotals ComputeCountTotals(const std::array<std::string, 4>& cellTexts);

// The cell value with a non-number counted as 0.
Currency CellValue(const CountTotals& t, int index);

}  // namespace kelvasta
