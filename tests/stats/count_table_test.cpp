#include "stats/count_table.h"

#include <gtest/gtest.h>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct TotalsCase {
  const char* name;
  std::array<std::string, 4> cells;
  std::array<std::string, 5> captions;  // c1, c2, r1, r2, grand
  std::int64_t n;
  const char* source;
};

TEST(ComputeCountTotals, TotalsAsShownAndTheWholeNumberN) {
  // clang-format off
  std::vector<TotalsCase> cases{
      {"paired example", {"10", "25", "15", "30"}, {"25", "55", "35", "45", "80"}, 80,
       "worked example of the paired test"},
      {"empty cell", {"12", "", "8", "20"}, {"20", "20", "12", "28", "40"}, 40,
       "worked example: an empty cell is 0"},
      {"half counts", {"2.5", "10", "7.5", "20"}, {"10", "30", "12.5", "27.5", "40"}, 40,
       "decimals shown without trailing zeros"},
      {"grand half to even down", {"10.5", "10", "10", "10"}, {"20.5", "20", "20.5", "20", "40.5"},
       40, "40.5 rounds to 40"},
      {"grand half to even up", {"11.5", "10", "10", "10"}, {"21.5", "20", "21.5", "20", "41.5"},
       42, "41.5 rounds to 42"},
      {"not numbers", {"-", "12-", "abc", ""}, {"0", "0", "0", "0", "0"}, 0, "each counts as 0"},
      {"negative", {"-5", "3", "", ""}, {"-5", "3", "-2", "0", "-2"}, -2, "sums as typed"},
      {"rounded cell", {"1.00005", "0", "0", "0"}, {"1", "0", "1", "0", "1"}, 1,
       "1.0000|5 ties to even"},
      {"beyond 16 bits", {"30000", "20000", "20000", "30000"},
       {"50000", "50000", "50000", "50000", "100000"}, 100000, "n is not limited to 16 bits"},
      {"overflowing row", {"900000000000000", "100000000000000", "1", "1"},
       {"900000000000001", "100000000000001", "", "2", ""}, 0, "a + b exceeds the Currency range"},
  };
  // clang-format on
  ForEachCase(cases, [](const TotalsCase& c) {
    CountTotals t = ComputeCountTotals(c.cells);
    EXPECT_EQ(t.captions, c.captions);
    EXPECT_EQ(t.n, c.n);
  });
}

TEST(ComputeCountTotals, NonNumbersAreMarkedButCountAsZero) {
  CountTotals t = ComputeCountTotals({"7", "", "x", "2.5"});
  EXPECT_EQ(t.cells[0], Currency::FromRaw(70000));
  EXPECT_FALSE(t.cells[1]);
  EXPECT_FALSE(t.cells[2]);
  EXPECT_EQ(CellValue(t, 2), Currency{});
  EXPECT_EQ(t.grand, Currency::FromRaw(95000));
}

}  // namespace
}  // namespace kelvasta
