#include "stats/rxc_chi_square.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "case_table.h"
#include "four_decimals.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using testing::FourDecimals;
using Totals = std::vector<std::pair<int, std::string>>;

// Up to three rows of up to four cell texts; the rest of the grid is empty.
std::array<std::string, 12> Grid(const std::vector<std::vector<std::string>>& rows) {
  std::array<std::string, 12> cells;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = 0; j < rows[i].size(); ++j) {
      cells[4 * i + j] = rows[i][j];
    }
  }
  return cells;
}

// Column totals C1..C4, row totals R1..R3, then the grand total.
Totals Written(const std::array<const char*, 8>& texts) {
  const std::array<int, 8> labels{5, 6, 7, 8, 9, 10, 12, 20};
  Totals totals;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    totals.emplace_back(labels[i], texts[i]);
  }
  return totals;
}

Totals WrittenThenCleared(const std::array<const char*, 8>& texts) {
  Totals totals = Written(texts);
  for (int label : {5, 6, 7, 8, 9, 10, 12, 19, 20}) {
    totals.emplace_back(label, "");
  }
  return totals;
}

struct RxcCase {
  const char* name;
  std::array<std::string, 12> cells;
  Totals totals;
  std::string n, chiSquare, critical05, critical01, verdict;
  bool warning;
  const char* source;
};

void ExpectCaptions(const RxcCase& c) {
  RxcCaptions out = RxcChiSquare(c.cells);
  EXPECT_EQ(out.totals, c.totals);
  EXPECT_EQ(out.n, c.n);
  EXPECT_EQ(out.chiSquare, c.chiSquare);
  EXPECT_EQ(out.critical05, c.critical05);
  EXPECT_EQ(out.critical01, c.critical01);
  EXPECT_EQ(out.verdict, c.verdict);
  EXPECT_EQ(out.warningVisible, c.warning);
}

TEST(RxcChiSquare, WorkedExamples) {
  // clang-format off
  std::vector<RxcCase> cases{
      {"three rows two columns", Grid({{"30", "10"}, {"20", "20"}, {"10", "30"}}),
       Written({"60", "60", "0", "0", "40", "40", "40", "120"}), "120", "20.0000", "5.99", "9.21",
       "p < 0.01", false, "worked example: every T = 20, df 2"},
      {"two rows three columns", Grid({{"25", "15", "10"}, {"15", "20", "15"}}),
       Written({"40", "35", "25", "0", "50", "50", "0", "100"}), "100", "4.2143", "5.99", "9.21",
       "p > 0.05", false, "worked example: 4.2142857 by exact fractions"},
      {"two rows four columns", Grid({{"20", "15", "10", "5"}, {"10", "15", "20", "25"}}),
       Written({"30", "30", "30", "30", "50", "70", "0", "120"}), "120", "17.1429", "7.81", "11.34",
       "p < 0.01", false, "worked example: df 3"},
      {"all twelve cells", Grid({{"40", "30", "20", "10"}, {"30", "30", "20", "20"}, {"20", "25", "30", "25"}}),
       Written({"90", "85", "70", "55", "100", "100", "100", "300"}), "300", "16.4757", "12.59", "16.81",
       "p < 0.05", false, "worked example: df 6, 16.4756812 by exact fractions"},
      {"two small frequencies", Grid({{"12", "8"}, {"6", "14"}, {"3", "2"}}),
       Written({"21", "24", "0", "0", "20", "20", "5", "45"}), "", "", "", "", "", true,
       "worked example: T 2.3333 and 2.6667 in the third row, df 2"},
      {"two by two", Grid({{"30", "10"}, {"20", "20"}}),
       WrittenThenCleared({"50", "30", "0", "0", "40", "40", "0", "80"}), "", "", "", "", "", false,
       "worked example: df 1 clears the panel"},
      {"single number", Grid({{"", "", "7"}}),
       WrittenThenCleared({"0", "0", "7", "0", "7", "0", "0", "7"}), "", "", "", "", "", false,
       "worked example: one row, one column, df 0"},
      {"empty grid", Grid({}), WrittenThenCleared({"0", "0", "0", "0", "0", "0", "0", "0"}), "", "", "", "",
       "", false, "no row or column in use: (-1)(-1) = 1 < 2"},
      {"trailing minus and odd texts", Grid({{"12-", "8abc"}, {"6", "1E1"}, {"11.5.2", "3"}}),
       Written({"29.5", "21", "0", "0", "20", "16", "14.5", "50.5"}), "50.5", "5.5081", "5.99", "9.21",
       "p > 0.05", false, "leading numbers 12, 8, 6, 10, 11.5, 3; exact fractions give 5.5081135"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(RxcChiSquare, SmallFrequencyRule) {
  // clang-format off
  std::vector<RxcCase> cases{
      {"one small cell of six", Grid({{"20", "20", "2"}, {"20", "20", "8"}}),
       Written({"40", "40", "10", "0", "42", "48", "0", "90"}), "90", "3.2143", "5.99", "9.21", "p > 0.05",
       false, "T of cell 2 is 4.6667, the only one below 5; exact fractions"},
      {"frequency below one", Grid({{"30", "30", "1"}, {"30", "30", "0"}}),
       Written({"60", "60", "1", "0", "61", "60", "0", "121"}), "", "", "", "", "", true,
       "T of cell 2 is 61/121 = 0.504"},
      {"two small cells of twelve", Grid({{"40", "30", "20", "2"}, {"30", "30", "20", "2"}, {"60", "60", "60", "8"}}),
       Written({"130", "120", "100", "12", "92", "82", "188", "362"}), "362", "6.4694", "12.59", "16.81",
       "p > 0.05", false, "T 3.0497 and 2.7182, two of twelve are allowed; exact fractions"},
      {"three small cells of twelve", Grid({{"40", "30", "20", "3"}, {"30", "30", "20", "3"}, {"20", "25", "30", "3"}}),
       Written({"90", "85", "70", "9", "93", "83", "78", "254"}), "", "", "", "", "", true,
       "T 3.2953, 2.9409, 2.7638 in column 4"},
      {"three by three", Grid({{"12", "10", "8"}, {"9", "11", "14"}, {"5", "9", "12"}}),
       Written({"26", "30", "34", "0", "30", "34", "26", "90"}), "90", "3.7802", "9.49", "13.28", "p > 0.05",
       false, "df 4; exact fractions give 3.7802256"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(RxcChiSquare, TheoreticalFrequenciesAreStoredForEveryCell) {
  RxcCaptions out = RxcChiSquare(Grid({{"25", "15", "10"}, {"15", "20", "15"}}));
  std::array<std::string, 12> expected{"20",   "17.5", "12.5", "0", "20", "17.5",
                                       "12.5", "0",    "0",    "0", "0",  "0"};
  EXPECT_EQ(out.theoretical, expected) << "R·C/N of the worked example; empty row and column give 0";

  out = RxcChiSquare(Grid({{"12", "10", "8"}, {"9", "11", "14"}, {"5", "9", "12"}}));
  EXPECT_EQ(out.theoretical[0], "8.66666666666667") << "26·30/90 in 15 digits";
}

TEST(RxcChiSquare, ZeroGrandTotalLeavesTheStoreEmpty) {
  // Rows 10, 10, -20 and columns 5, 5, 10, -20: N = 0 while every product
  // R·C is non-zero, so no frequency and no term exists; df = (3-1)(2-1).
  RxcCaptions out = RxcChiSquare(Grid({{"5", "5", "", ""}, {"", "", "10", ""}, {"", "", "", "-20"}}));
  EXPECT_EQ(out.totals, Written({"5", "5", "10", "-20", "10", "10", "-20", "0"}));
  EXPECT_EQ(out.theoretical, (std::array<std::string, 12>{}));
  EXPECT_EQ(out.chiSquare, "0.0000");
  EXPECT_EQ(out.n, "0");
  EXPECT_EQ(out.verdict, "p > 0.05");
  EXPECT_FALSE(out.warningVisible);
}

TEST(RxcChiSquare, TotalsBeyondDoubleComputeNothing) {
  const std::string digits400(400, '9');
  const std::vector<std::pair<const char*, std::array<std::string, 12>>> grids{
      {"two cells of 1e308 in a column", Grid({{"1e308", "10"}, {"1e308", "20"}, {"5", "30"}})},
      {"a number of 400 digits", Grid({{digits400, "10"}, {"20", "20"}, {"5", "30"}})},
  };
  for (const auto& [name, cells] : grids) {
    RxcCaptions out = RxcChiSquare(cells);
    EXPECT_EQ(out.chiSquare, "") << name;
    EXPECT_EQ(out.critical05, "") << name;
    EXPECT_EQ(out.critical01, "") << name;
    EXPECT_EQ(out.verdict, "") << name;
    EXPECT_EQ(out.n, "") << name;
    EXPECT_FALSE(out.warningVisible) << name;
  }
}

TEST(RxcChiSquare, VerdictJudgesTheShownStatistic) {
  // 2 x 3 tables whose statistic rounds onto or just below 5.99 at four
  // decimals; found by search, checked with exact fractions.
  struct Row {
    const char* name;
    std::array<std::string, 12> cells;
    std::string chiSquare, verdict;
    const char* source;
  };
  // clang-format off
  std::vector<Row> rows{
      {"shown reaches 5.99", Grid({{"19", "23", "31"}, {"38", "19", "28"}}), "5.9900", "p < 0.05",
       "exact 5.9899878, below 5.99 but shown as 5.9900"},
      {"shown below 5.99", Grid({{"8", "10", "24"}, {"19", "18", "18"}}), "5.9897", "p > 0.05",
       "exact 5.9896539"},
  };
  // clang-format on
  ForEachCase(rows, [](const Row& r) {
    RxcCaptions out = RxcChiSquare(r.cells);
    EXPECT_EQ(out.chiSquare, r.chiSquare);
    EXPECT_EQ(out.verdict, r.verdict);
  });
}

// Pearson's chi-square straight from the counts in long double, with the
// totals in integers, so it shares no arithmetic with the panel's steps.
struct Reference {
  bool cleared = false;
  bool tooSmall = false;
  int df = 0;
  long double chi = 0;
  long long n = 0;
};

Reference Compute(const std::array<std::array<int, 4>, 3>& x) {
  std::array<long long, 4> col{};
  std::array<long long, 3> row{};
  Reference r;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      row[i] += x[i][j];
      col[j] += x[i][j];
      r.n += x[i][j];
    }
  }
  int usedRows = 0, usedColumns = 0;
  for (long long v : row) usedRows += v > 0;
  for (long long v : col) usedColumns += v > 0;
  r.df = (usedRows - 1) * (usedColumns - 1);
  r.cleared = r.df < 2;
  int small = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 4; ++j) {
      long long product = row[i] * col[j];
      if (product == 0) continue;
      // 0 < T < 1 and 1 <= T < 5, decided exactly on R·C against N.
      r.tooSmall = r.tooSmall || product < r.n;
      small += product >= r.n && product < 5 * r.n;
      long double expected = static_cast<long double>(product) / r.n;
      long double d = x[i][j] - expected;
      r.chi += d * d / expected;
    }
  }
  r.tooSmall = r.tooSmall || small > (r.df < 6 ? 1 : 2);
  return r;
}

TEST(RxcChiSquare, AgreesWithAnIndependentComputationOnRandomTables) {
  // Textbook upper points of chi-square, indexed by df.
  const std::map<int, std::pair<long double, long double>> kCritical{
      {2, {5.99L, 9.21L}}, {3, {7.81L, 11.34L}}, {4, {9.49L, 13.28L}}, {6, {12.59L, 16.81L}}};
  std::mt19937 random(11);
  int computed = 0, warned = 0, cleared = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    std::size_t rows = std::uniform_int_distribution<std::size_t>(2, 3)(random);
    std::size_t columns = std::uniform_int_distribution<std::size_t>(2, 4)(random);
    std::array<std::array<int, 4>, 3> x{};
    std::array<std::string, 12> cells;
    std::string trace;
    for (std::size_t i = 0; i < rows; ++i) {
      for (std::size_t j = 0; j < columns; ++j) {
        x[i][j] = std::uniform_int_distribution<int>(0, 60)(random);
        cells[4 * i + j] = std::to_string(x[i][j]);
        trace += cells[4 * i + j] + (j + 1 < columns ? "," : "/");
      }
    }
    SCOPED_TRACE(trace);
    Reference ref = Compute(x);
    RxcCaptions out = RxcChiSquare(cells);
    if (ref.cleared) {
      ++cleared;
      EXPECT_EQ(out.totals.size(), 17u);
      EXPECT_EQ(out.chiSquare, "");
      EXPECT_FALSE(out.warningVisible);
      continue;
    }
    ASSERT_EQ(out.totals.size(), 8u);
    EXPECT_EQ(out.totals.back().second, std::to_string(ref.n));
    if (ref.tooSmall) {
      ++warned;
      EXPECT_TRUE(out.warningVisible);
      EXPECT_EQ(out.chiSquare + out.n + out.verdict + out.critical05 + out.critical01, "");
      continue;
    }
    bool nearTie = false;
    std::string chi = FourDecimals(ref.chi, nearTie);
    if (nearTie) continue;
    ++computed;
    auto [c05, c01] = kCritical.at(ref.df);
    long double shown = std::stold(chi);
    EXPECT_FALSE(out.warningVisible);
    EXPECT_EQ(out.n, std::to_string(ref.n));
    EXPECT_EQ(out.chiSquare, chi);
    EXPECT_EQ(out.verdict, shown >= c01 ? "p < 0.01" : shown >= c05 ? "p < 0.05" : "p > 0.05");
    EXPECT_EQ(std::stold(out.critical05), c05);
  }
  // Every branch is exercised many times.
  EXPECT_GT(computed, 5000);
  EXPECT_GT(warned, 500);
  EXPECT_GT(cleared, 100);
}

}  // namespace
}  // namespace kelvasta
