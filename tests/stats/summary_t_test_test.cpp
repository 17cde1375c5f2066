#include "stats/summary_t_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>

#include "case_table.h"
#include "four_decimals.h"
#include "stats/critical_values.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using testing::FourDecimals;

struct SummaryCase {
  const char* name;
  std::array<std::string, 6> cells;  // X1, S1, N1, X2, S2, N2
  std::array<std::string, 3> critical;
  std::string result;
  const char* source;
};

const std::array<std::string, 3> kNone{"", "", ""};
const std::array<std::string, 3> kDf2{"4.303", "9.925", "31.59"};
const std::array<std::string, 3> kDf20{"2.086", "2.845", "3.850"};

void ExpectCaptions(const SummaryCase& c) {
  SummaryTCaptions out = SummaryTTest(c.cells, TTableText());
  EXPECT_EQ((std::array<std::string, 3>{out.critical05, out.critical01, out.critical001}), c.critical);
  EXPECT_EQ(out.result, c.result);
}

TEST(SummaryTTest, ComputedSummaries) {
  // clang-format off
  std::vector<SummaryCase> cases{
      {"worked example", {"12.5", "2.1", "10", "10.2", "2.4", "12"}, kDf20, "t = 2.3665  p < 0.05",
       "worked example: Sc² 5.1525, SE 0.971918, t 2.366454, df 20"},
      {"groups swapped", {"10.2", "2.4", "12", "12.5", "2.1", "10"}, kDf20, "t = 2.3665  p < 0.05",
       "the difference is taken as an absolute value"},
      {"equal means", {"7.5", "1.5", "11", "7.5", "2.5", "11"}, kDf20, "t = 0.0000  p > 0.05",
       "D = 0"},
      {"mean of zero", {"0", "1.2", "15", "1.1", "1.4", "15"}, {"2.048", "2.763", "3.674"},
       "t = 2.3105  p < 0.05", "a zero mean is data; pooled formula gives 2.310462, df 28"},
      {"one standard deviation zero", {"10", "0", "5", "12", "2", "5"}, {"2.306", "3.355", "5.041"},
       "t = 2.2361  p > 0.05", "Sc² = 16/8, SE = sqrt(0.8), t = sqrt(5), df 8"},
      {"negative mean", {"-1.5", "0.8", "6", "0.25", "1.1", "7"}, {"2.201", "3.106", "4.437"},
       "t = 3.2257  p < 0.01", "pooled formula gives 3.225682, df 11"},
      {"blanks and exponent", {" 12.5 ", "2.1", "1E1", "10.2", "2.4", "1.2e1"}, kDf20,
       "t = 2.3665  p < 0.05", "the worked example written differently"},
      {"df 45 takes the df-40 row", {"3.225", "1.1", "20", "2.5", "1.3", "27"}, {"2.021", "2.704", "3.551"},
       "t = 2.0150  p > 0.05", "t 2.015031 lies below 2.021 (row 40) but above 2.009 (row 50)"},
      {"df 1000", {"51.5096", "8.4", "500", "50.1", "8.9", "502"}, {"1.962", "2.581", "3.300"},
       "t = 2.5780  p < 0.05", "t 2.577961, below 2.581 of the df-1000 row"},
      {"df 1001", {"51.5096", "8.4", "500", "50.1", "8.9", "503"}, {"1.960", "2.575", "3.291"},
       "t = 2.5792  p < 0.01", "t 2.579167, above 2.575 of the infinity row"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(SummaryTTest, StatisticAtACriticalValueReachesIt) {
  // With S1 = S2 = 1 and N1 = N2 = 2: Sc² = 1, SE = sqrt(1/2 + 1/2) = 1, so
  // t is exactly X1 (a double equal to the tabulated text's value); df 2.
  // clang-format off
  std::vector<SummaryCase> cases{
      {"at t0.05", {"4.303", "1", "2", "0", "1", "2"}, kDf2, "t = 4.3030  p < 0.05", "t = 4.303 = c05"},
      {"just below t0.05", {"4.3029", "1", "2", "0", "1", "2"}, kDf2, "t = 4.3029  p > 0.05", "t < c05"},
      {"at t0.01", {"9.925", "1", "2", "0", "1", "2"}, kDf2, "t = 9.9250  p < 0.01", "t = 9.925 = c01"},
      {"at t0.001", {"31.59", "1", "2", "0", "1", "2"}, kDf2, "t = 31.5900  p < 0.001", "t = 31.59 = c001"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(SummaryTTest, MissingOrDegenerateInputEmptiesEveryCaption) {
  // clang-format off
  std::vector<SummaryCase> cases{
      {"empty cell", {"12.5", "", "10", "10.2", "2.4", "12"}, kNone, "", "S1 missing"},
      {"not a number", {"12.5", "2.1", "10", "abc", "2.4", "12"}, kNone, "", "X2 missing"},
      {"blank cell", {"12.5", "2.1", "10", "10.2", "2.4", "   "}, kNone, "", "N2 missing"},
      {"count zero", {"12.5", "2.1", "0", "10.2", "2.4", "12"}, kNone, "", "a count of 0 is missing"},
      {"count negative", {"12.5", "2.1", "10", "10.2", "2.4", "-3"}, kNone, "", "a negative count is missing"},
      {"one case each", {"12.5", "2.1", "1", "10.2", "2.4", "1"}, kNone, "", "df 0: Sc² = 0/0"},
      {"both deviations zero", {"12.5", "0", "10", "10.2", "0", "12"}, kNone, "", "SE = 0"},
      {"zero deviations equal means", {"5", "0", "10", "5", "0", "12"}, kNone, "", "t = 0/0"},
      {"trailing letters", {"12ab", "2.1", "10", "10.2", "2.4", "12"}, kNone, "",
       "begins with a number but does not read as a whole"},
      {"df one half", {"12.5", "2.1", "1.25", "10.2", "2.4", "1.25"}, kNone, "", "df 0.5: no table row"},
      {"df below zero", {"12.5", "2.1", "0.75", "10.2", "2.4", "0.75"}, kNone, "", "df -0.5: no table row"},
      {"difference beyond Currency", {"900000000000000", "1", "10", "-900000000000000", "1", "10"}, kNone,
       "", "X1 - X2 leaves the Currency range"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

struct TableRow {
  double df;
  long double c05, c01, c001;
};

// The rows of the t table text, split on blanks: df (the infinity sign read
// as infinity) and the three two-sided values.
std::vector<TableRow> ReadTableRows() {
  std::vector<TableRow> rows;
  std::istringstream lines(TTableText());
  std::string line;
  for (int index = 0; std::getline(lines, line); ++index) {
    std::istringstream fields(line);
    std::string df;
    TableRow row{};
    if (index >= 4 && index <= 53 && fields >> df >> row.c05 >> row.c01 >> row.c001) {
      row.df = index == 53 ? std::numeric_limits<double>::infinity() : std::stod(df);
      rows.push_back(row);
    }
  }
  return rows;
}

// The row of the largest df not above `df`; above 1000 the infinity row.
TableRow PrintedRow(const std::vector<TableRow>& rows, double df) {
  TableRow chosen = rows.front();
  for (const TableRow& row : rows) {
    if (row.df <= df || (df > 1000 && std::isinf(row.df))) chosen = row;
  }
  return chosen;
}

std::string Decimals(int hundredths) {
  std::string digits = std::to_string(std::abs(hundredths));
  digits.insert(0, digits.size() < 3 ? 3 - digits.size() : 0, '0');
  digits.insert(digits.size() - 2, ".");
  return (hundredths < 0 ? "-" : "") + digits;
}

TEST(SummaryTTest, AgreesWithAnIndependentPooledTOnRandomSummaries) {
  const std::vector<TableRow> rows = ReadTableRows();
  ASSERT_EQ(rows.size(), 50u);
  std::mt19937 random(3);
  std::uniform_int_distribution<int> mean(-5000, 15000), deviation(1, 3000), smallCount(2, 60),
      largeCount(2, 1500);
  int compared = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    // Means and deviations in hundredths; every text is exact in Currency.
    std::array<int, 2> x{mean(random), mean(random)}, s{deviation(random), deviation(random)};
    bool large = trial % 4 == 0;
    std::array<int, 2> n{large ? largeCount(random) : smallCount(random),
                         large ? largeCount(random) : smallCount(random)};
    std::array<std::string, 6> cells{Decimals(x[0]), Decimals(s[0]), std::to_string(n[0]),
                                     Decimals(x[1]), Decimals(s[1]), std::to_string(n[1])};
    SCOPED_TRACE(cells[0] + " " + cells[1] + " " + cells[2] + " / " + cells[3] + " " + cells[4] + " " +
                 cells[5]);

    long double s1 = s[0] / 100.0L, s2 = s[1] / 100.0L;
    long double pooled = ((n[0] - 1) * s1 * s1 + (n[1] - 1) * s2 * s2) / (n[0] + n[1] - 2);
    long double t = std::fabs(x[0] - x[1]) / 100.0L / std::sqrt(pooled * (1.0L / n[0] + 1.0L / n[1]));
    TableRow row = PrintedRow(rows, n[0] + n[1] - 2);
    bool nearTie = false;
    std::string shown = FourDecimals(t, nearTie);
    for (long double c : {row.c05, row.c01, row.c001}) {
      nearTie = nearTie || std::fabs(t - c) < 1e-9L;
    }
    if (nearTie) continue;
    ++compared;

    std::string verdict = t >= row.c001  ? "p < 0.001"
                          : t >= row.c01 ? "p < 0.01"
                          : t >= row.c05 ? "p < 0.05"
                                         : "p > 0.05";
    SummaryTCaptions out = SummaryTTest(cells, TTableText());
    EXPECT_EQ(out.result, "t = " + shown + "  " + verdict);
    EXPECT_EQ(std::stold(out.critical05), row.c05);
    EXPECT_EQ(std::stold(out.critical001), row.c001);
  }
  EXPECT_GT(compared, 19000);
}

}  // namespace
}  // namespace kelvasta
