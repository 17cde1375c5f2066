#include "stats/pairwise_q.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

#include "case_table.h"
#include "stats/critical_values.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using Action = PairwiseOutcome::Action;
using Cells = std::array<std::string, 9>;
using Lines = std::array<std::string, 3>;

// Means and sizes of the three groups; every SD is 1 (the test ignores it).
Cells MeansAndSizes(std::array<std::string, 3> means, std::array<std::string, 3> sizes) {
  return {means[0], "1", sizes[0], means[1], "1", sizes[1], means[2], "1", sizes[2]};
}

struct QCase {
  const char* name;
  Cells cells;
  double withinSS;
  double withinDf;
  Lines lines;
  const char* source;
};

void ExpectWritten(const QCase& c) {
  PairwiseOutcome out = RunPairwiseQ(c.cells, c.withinSS, c.withinDf, QTableItems());
  EXPECT_EQ(out.action, Action::Write);
  EXPECT_EQ(out.lines, c.lines);
}

const char* const k12 = "第1组与第2组比较：q = ";
const char* const k13 = "第1组与第3组比较：q = ";
const char* const k23 = "第2组与第3组比较：q = ";

Lines QLines(const char* q12, const char* q13, const char* q23) {
  return {std::string(k12) + q12, std::string(k13) + q13, std::string(k23) + q23};
}

TEST(RunPairwiseQ, WorkedExampleSpansAndRoundedQ) {
  Cells worked{"10", "2", "5", "12", "2.5", "5", "15", "3", "5"};
  // clang-format off
  std::vector<QCase> cases{
      {"worked example", worked, 48, 12,
       QLines("2.2361  p > 0.05", "5.5902  p < 0.01", "3.3541  p < 0.05"),
       "worked example: MSe 4, SE √0.8; a = 2, 3, 2 against 3.08/4.32 and 3.77/5.05"},
      {"equal means all span 2", MeansAndSizes({"5", "5", "7"}, {"10", "10", "10"}), 48, 12,
       QLines("0.0000  p > 0.05", "3.1623  p < 0.05", "3.1623  p < 0.05"),
       "2/√0.4; with a = 3 (3.77) the last two would be p > 0.05"},
      {"rounds up to q05", MeansAndSizes({"10", "12.7548", "20"}, {"5", "5", "5"}), 48, 12,
       QLines("3.0800  p < 0.05", "11.1803  p < 0.01", "8.1004  p < 0.01"),
       "2.7548/√0.8 = 3.07996, shown 3.0800, reaches 3.08"},
      {"negative means in numeric order", MeansAndSizes({"-4", "-2", "0"}, {"10", "10", "10"}), 48, 12,
       QLines("3.1623  p < 0.05", "6.3246  p < 0.01", "3.1623  p < 0.05"),
       "middle -2: pair 2-3 spans 2; in text order -4 would be the middle and pair 2-3 p > 0.05"},
      {"SD 0 is data", {"10", "0", "5", "12", "0", "5", "15", "0", "5"}, 48, 12,
       QLines("2.2361  p > 0.05", "5.5902  p < 0.01", "3.3541  p < 0.05"), "worked example, SDs 0"},
  };
  // clang-format on
  ForEachCase(cases, ExpectWritten);
}

// Means 0, m, 10 with sizes 2 and withinSS = 2·df give MSe 2 and SE 1, so
// q of groups 1 and 2 is m itself and the pair spans 2 means.
QCase RowCase(const char* name, const char* m, double df, const char* q12, const char* q23,
              const char* source) {
  return {name, MeansAndSizes({"0", m, "10"}, {"2", "2", "2"}), 2 * df,
          df,   QLines(q12, "10.0000  p < 0.01", q23),          source};
}

TEST(RunPairwiseQ, RowOfEachDf) {
  // clang-format off
  std::vector<QCase> cases{
      RowCase("df 5 at q05", "3.64", 5, "3.6400  p < 0.05", "6.3600  p < 0.01", "df-5 row 3.64/5.70"),
      RowCase("df 5.5", "5.70", 5.5, "5.7000  p < 0.01", "4.3000  p < 0.05", "df-5 row 3.64/5.70"),
      RowCase("df 11", "3.14", 11, "3.1400  p > 0.05", "6.8600  p < 0.01", "df-10 row 3.15/4.48"),
      RowCase("df 59", "2.84", 59, "2.8400  p > 0.05", "7.1600  p < 0.01", "df-40 row 2.86/3.82"),
      RowCase("df 60", "2.84", 60, "2.8400  p < 0.05", "7.1600  p < 0.01", "df-60 row 2.83/3.76"),
      RowCase("df 120 below q05", "2.78", 120, "2.7800  p > 0.05", "7.2200  p < 0.01", "df-120 row 2.80"),
      RowCase("df 120 below q01", "3.67", 120, "3.6700  p < 0.05", "6.3300  p < 0.01", "df-120 row 3.70"),
      RowCase("df 121", "2.78", 121, "2.7800  p < 0.05", "7.2200  p < 0.01", "last row 2.77/3.64"),
      RowCase("df 121 q01", "3.67", 121, "3.6700  p < 0.01", "6.3300  p < 0.01", "last row 3.64"),
      RowCase("df 1000", "2.78", 1000, "2.7800  p < 0.05", "7.2200  p < 0.01", "last row 2.77"),
  };
  // clang-format on
  ForEachCase(cases, ExpectWritten);
}

TEST(RunPairwiseQ, SmallDfKeepsTheLines) {
  // clang-format off
  std::vector<QCase> cases{
      {"df 4", MeansAndSizes({"10", "12", "15"}, {"5", "5", "5"}), 48, 4, {}, "below the first row"},
      {"df 4.99", MeansAndSizes({"10", "12", "15"}, {"5", "5", "5"}), 48, 4.99, {}, "below the first row"},
      {"after undefined F", MeansAndSizes({"10", "12", "15"}, {"1", "1", "1"}), 0, 0, {},
       "kept values zeroed by the analysis of variance"},
  };
  // clang-format on
  ForEachCase(cases, [](const QCase& c) {
    PairwiseOutcome out = RunPairwiseQ(c.cells, c.withinSS, c.withinDf, QTableItems());
    EXPECT_EQ(out.action, Action::KeepLines);
    EXPECT_EQ(out.sortedMeans,
              (std::vector<std::string>{"000000010.0000", "000000012.0000", "000000015.0000"}));
  });
}

TEST(RunPairwiseQ, MissingCellOrNoStandardErrorBlanks) {
  Cells worked = MeansAndSizes({"10", "12", "15"}, {"5", "5", "5"});
  auto with = [&](std::size_t cell, const char* text) {
    Cells cells = worked;
    cells[cell] = text;
    return cells;
  };
  // clang-format off
  std::vector<QCase> cases{
      {"empty mean", with(3, ""), 48, 12, {}, "no number"},
      {"SD not a number", with(1, "x"), 48, 12, {}, "no number"},
      {"size 0", with(8, "0"), 48, 12, {}, "a size must be positive"},
      {"negative size", with(5, "-5"), 48, 12, {}, "a size must be positive"},
      {"SSw 0", worked, 0, 12, {}, "MSe 0: SE 0"},
      {"negative SSw", worked, -48, 12, {}, "SE is the root of a negative number"},
      {"infinite mean", with(0, "1e999"), 48, 12, {}, "q has no value"},
  };
  // clang-format on
  ForEachCase(cases, [](const QCase& c) {
    PairwiseOutcome out = RunPairwiseQ(c.cells, c.withinSS, c.withinDf, QTableItems());
    EXPECT_EQ(out.action, Action::Blank);
    EXPECT_EQ(out.lines, Lines{});
  });
}

TEST(MeanPatternText, NineIntegerDigitsAndFourDecimals) {
  struct PatternCase {
    const char* name;
    double mean;
    const char* text;
    const char* source;
  };
  // clang-format off
  std::vector<PatternCase> cases{
      {"whole", 10, "000000010.0000", "pattern 000000000.0000"},
      {"zero", 0, "000000000.0000", "pattern"},
      {"half up", 0.00005, "000000000.0001", "halves away from zero on the text's digits"},
      {"negative", -2.5, "-000000002.5000", "digits of |mean| behind a minus"},
      {"negative rounding to zero", -0.00001, "000000000.0000", "no minus on a zero"},
      {"nine digits", 123456789.12345, "123456789.1235", "fills the pattern"},
      {"ten digits", 1234567890.5, "1234567890.5000", "more digits than the pattern"},
  };
  // clang-format on
  ForEachCase(cases, [](const PatternCase& c) { EXPECT_EQ(MeanPatternText(c.mean), c.text); });
}

// The q table as printed: df, then q for a = 2 and 3 at 0.05 and at 0.01,
// in hundredths; the last row holds the values for infinite df.
struct PrintedRow {
  double df;
  int q05a2, q05a3, q01a2, q01a3;
};
constexpr std::array<PrintedRow, 16> kPrinted{{
    {5, 364, 460, 570, 698},
    {6, 346, 434, 524, 633},
    {7, 334, 416, 495, 592},
    {8, 326, 404, 475, 564},
    {9, 320, 395, 460, 543},
    {10, 315, 388, 448, 527},
    {12, 308, 377, 432, 505},
    {14, 303, 370, 421, 489},
    {16, 300, 365, 413, 479},
    {18, 297, 361, 407, 470},
    {20, 295, 358, 402, 464},
    {30, 289, 349, 389, 445},
    {40, 286, 344, 382, 437},
    {60, 283, 340, 376, 428},
    {120, 280, 336, 370, 420},
    {std::numeric_limits<double>::infinity(), 277, 331, 364, 412},
}};

const PrintedRow& PrintedRowFor(double df) {
  if (df > 120) {
    return kPrinted.back();
  }
  auto above = std::find_if(kPrinted.begin(), kPrinted.end(), [&](const PrintedRow& r) { return r.df > df; });
  return *(above - 1);
}

TEST(RunPairwiseQ, AgreesWithAnIndependentComputationOnRandomData) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> hundredths(-20000, 20000);
  std::uniform_int_distribution<int> fewValues(0, 3);
  std::uniform_int_distribution<int> size(2, 60);
  std::uniform_real_distribution<double> df(5, 200);
  std::uniform_real_distribution<double> mse(0.01, 400);
  int compared = 0;
  for (int i = 0; i < 3000; ++i) {
    // Every third draw takes means from a few values, to get ties.
    std::array<int, 3> m{};
    std::array<int, 3> n{};
    for (std::size_t g = 0; g < 3; ++g) {
      m[g] = i % 3 == 0 ? 100 * fewValues(random) : hundredths(random);
      n[g] = size(random);
    }
    double withinDf = i % 2 == 0 ? std::floor(df(random)) : df(random);
    double withinSS = mse(random) * withinDf;
    Cells cells;
    for (std::size_t g = 0; g < 3; ++g) {
      cells[3 * g] = std::to_string(m[g] / 100.0);
      cells[3 * g + 1] = "1";
      cells[3 * g + 2] = std::to_string(n[g]);
    }
    PairwiseOutcome out = RunPairwiseQ(cells, withinSS, withinDf, QTableItems());
    ASSERT_EQ(out.action, Action::Write);
    std::array<int, 3> sorted = m;
    std::sort(sorted.begin(), sorted.end());
    const PrintedRow& row = PrintedRowFor(withinDf);
    const std::array<std::array<std::size_t, 2>, 3> pairs{{{0, 1}, {0, 2}, {1, 2}}};
    for (std::size_t p = 0; p < 3; ++p) {
      std::size_t a = pairs[p][0], b = pairs[p][1];
      long double msErr = static_cast<long double>(withinSS) / withinDf;
      long double q = std::fabs(m[a] - m[b]) / 100.0L / std::sqrt(msErr / 2 * (1.0L / n[a] + 1.0L / n[b]));
      long double scaled = q * 10000;
      if (std::fabs(scaled - std::floor(scaled) - 0.5L) < 1e-6L) {
        continue;  // too close to a rounding half to call
      }
      auto shown = static_cast<long long>(std::floor(scaled + 0.5L));  // q in ten-thousandths
      bool spansTwo = m[a] == sorted[1] || m[b] == sorted[1];
      long long c05 = 100LL * (spansTwo ? row.q05a2 : row.q05a3);
      long long c01 = 100LL * (spansTwo ? row.q01a2 : row.q01a3);
      const char* verdict = shown >= c01 ? "  p < 0.01" : shown >= c05 ? "  p < 0.05" : "  p > 0.05";
      std::string decimals = std::to_string(shown % 10000);
      std::string expected =
          std::to_string(shown / 10000) + "." + std::string(4 - decimals.size(), '0') + decimals + verdict;
      EXPECT_EQ(out.lines[p], std::string(kGroupPairs[p].prefix) + "q = " + expected)
          << cells[0] << " " << cells[3] << " " << cells[6] << " df " << withinDf;
      ++compared;
    }
  }
  EXPECT_GT(compared, 8900);
}

}  // namespace
}  // namespace kelvasta
