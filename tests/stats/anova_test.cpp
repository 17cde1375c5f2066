#include "stats/anova.h"

#include <gtest/gtest.h>

#include "case_table.h"
#include "stats/critical_values.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

using Cells = std::array<std::string, 9>;

// X, S, N of one group.
Cells Groups(std::array<const char*, 3> g1, std::array<const char*, 3> g2, std::array<const char*, 3> g3) {
  return {g1[0], g1[1], g1[2], g2[0], g2[1], g2[2], g3[0], g3[1], g3[2]};
}

struct AnovaCase {
  const char* name;
  Cells cells;
  std::string f05;
  std::string f01;
  std::string result;  // "" for input that leaves F undefined
  double withinSS;
  double withinDf;
  const char* source;
};

void ExpectComplete(const AnovaCase& c) {
  AnovaOutcome out = AnovaFTest(c.cells, FTableItems());
  EXPECT_TRUE(out.complete);
  EXPECT_EQ(out.f05, c.f05);
  EXPECT_EQ(out.f01, c.f01);
  EXPECT_EQ(out.result, c.result);
  EXPECT_DOUBLE_EQ(out.withinSS, c.withinSS);
  EXPECT_DOUBLE_EQ(out.withinDf, c.withinDf);
  EXPECT_EQ(out.runPairwise, !c.result.empty());
}

// Means 10, 12, 15 and SDs 2, 2.5, 3 with the given sizes.
Cells WorkedMeans(const char* n1, const char* n2, const char* n3) {
  return Groups({"10", "2", n1}, {"12", "2.5", n2}, {"15", "3", n3});
}

TEST(AnovaFTest, WorkedExampleAndTheRowOfEachDf) {
  // F from exact fractions: SSb = Σ N(X - grand mean)², SSw = Σ (N - 1)S².
  // clang-format off
  std::vector<AnovaCase> cases{
      {"worked example df 27", WorkedMeans("10", "10", "10"), "3.49", "5.85", "F = 9.8701  p < 0.01",
       173.25, 27, "worked example: SSb 126.6667, SSw 173.25; df 27 takes the df-20 row"},
      {"df 1", WorkedMeans("1", "1", "2"), "199.50", "4999.50", "F = 1.0000  p > 0.05", 9, 1,
       "exact fractions; first row"},
      {"df 10 tabulated", WorkedMeans("4", "4", "5"), "4.10", "7.56", "F = 4.2869  p < 0.05", 66.75, 10,
       "exact fractions; a tabulated df takes its own row"},
      {"df 11 between rows", WorkedMeans("4", "5", "5"), "4.10", "7.56", "F = 4.3322  p < 0.05", 73, 11,
       "exact fractions; df-10 row"},
      {"df 13 between rows", WorkedMeans("5", "5", "6"), "3.89", "6.93", "F = 5.2907  p < 0.05", 86, 13,
       "exact fractions; df-12 row"},
      {"df 119", WorkedMeans("40", "41", "41"), "3.15", "4.98", "F = 39.9135  p < 0.01", 766, 119,
       "exact fractions; df-60 row"},
      {"df 120", WorkedMeans("41", "41", "41"), "3.07", "4.79", "F = 40.4675  p < 0.01", 770, 120,
       "exact fractions; df-120 row"},
      {"df 121", WorkedMeans("42", "41", "41"), "3.00", "4.61", "F = 41.0160  p < 0.01", 774, 121,
       "exact fractions; infinity row"},
      {"fractional df 1.5", WorkedMeans("1.5", "1.5", "1.5"), "199.50", "4999.50",
       "F = 1.4805  p > 0.05", 9.625, 1.5, "exact fractions; df-1 row"},
  };
  // clang-format on
  ForEachCase(cases, ExpectComplete);
}

TEST(AnovaFTest, VerdictJudgesTheUnroundedF) {
  // Inputs found so that the double F equals the double of the critical text.
  // clang-format off
  std::vector<AnovaCase> cases{
      {"F equals F0.05", Groups({"-4.1", "4", "2"}, {"4.1", "4", "2"}, {"0", "2.5", "9"}), "4.10", "7.56",
       "F = 4.1000  p < 0.05", 82, 10, "SSb 67.24, SSw 82, F = 33.62/8.2 = 4.1"},
      {"F equals F0.01", Groups({"-3.9", "4", "2"}, {"3.9", "4", "2"}, {"0", "2", "19"}), "3.49", "5.85",
       "F = 5.8500  p < 0.01", 104, 20, "SSb 60.84, SSw 104, F = 30.42/5.2 = 5.85"},
      {"shown 4.1000 but below", Groups({"-4.09999", "4", "2"}, {"4.09999", "4", "2"}, {"0", "2.5", "9"}),
       "4.10", "7.56", "F = 4.1000  p > 0.05", 82, 10, "exact fractions: F = 4.09998"},
  };
  // clang-format on
  ForEachCase(cases, ExpectComplete);
}

TEST(AnovaFTest, ZerosAndLenientTextsAreData) {
  // clang-format off
  std::vector<AnovaCase> cases{
      {"mean 0 and SD 0", Groups({"0", "0", "10"}, {"12", "2.5", "10"}, {"15", "3", "10"}), "3.49", "5.85",
       "F = 123.9344  p < 0.01", 137.25, 27, "exact fractions"},
      {"equal means", Groups({"5", "1", "7"}, {"5", "2", "8"}, {"5", "3", "9"}), "3.49", "5.85",
       "F = 0.0000  p > 0.05", 106, 21, "SSb = 0"},
      {"negative means", Groups({"-10", "2", "10"}, {"-12", "2.5", "10"}, {"-15", "3", "10"}), "3.49",
       "5.85", "F = 9.8701  p < 0.01", 173.25, 27, "worked example mirrored"},
      {"blanks and trailing text", Groups({" 10 ", "2", "1 0"}, {"12abc", "2.5", "10"}, {"15", "3", "10。"}),
       "3.49", "5.85", "F = 9.8701  p < 0.01", 173.25, 27, "worked example read leniently"},
      {"large means", Groups({"100000001", "1", "10"}, {"100000002", "1", "10"}, {"100000003", "1", "10"}),
       "3.49", "5.85", "F = 10.0000  p < 0.01", 27, 27,
       "SSb 20, SSw 27; raw sums of squares minus C would keep no digit"},
  };
  // clang-format on
  ForEachCase(cases, ExpectComplete);
}

TEST(AnovaFTest, UndefinedFShowsNoResultAndKeepsNothing) {
  // clang-format off
  std::vector<AnovaCase> cases{
      {"all SDs 0", Groups({"10", "0", "10"}, {"12", "0", "10"}, {"15", "0", "10"}), "3.49", "5.85", "", 0, 0,
       "SSw = 0"},
      {"sizes 1 1 1", Groups({"10", "2", "1"}, {"12", "2.5", "1"}, {"15", "3", "1"}), "", "", "", 0, 0,
       "df 0: no row"},
      {"df between 0 and 1", WorkedMeans("1.2", "1.2", "1.2"), "", "", "", 0, 0, "df 0.6: no row"},
      {"negative SSw", Groups({"10", "2", "0.5"}, {"12", "2.5", "0.5"}, {"15", "0.1", "4.5"}), "19.00", "99.00",
       "", 0, 0, "sizes below 1: SSw = -5.09, df 2.5"},
      {"negative df", WorkedMeans("0.5", "0.5", "0.5"), "", "", "", 0, 0, "df -1.5: no row"},
      {"mean beyond range", Groups({"1e999", "2", "10"}, {"12", "2.5", "10"}, {"15", "3", "10"}), "3.49",
       "5.85", "", 0, 0, "infinite mean: F is NaN"},
      {"size beyond range", WorkedMeans("1e999", "10", "10"), "3.00", "4.61", "", 0, 0,
       "infinite df takes the infinity row; F is NaN"},
  };
  // clang-format on
  ForEachCase(cases, ExpectComplete);
}

TEST(AnovaFTest, MissingCellLeavesTheCriticalValues) {
  struct MissingCase {
    const char* name;
    std::size_t cell;
    const char* text;
    const char* source;
  };
  // clang-format off
  std::vector<MissingCase> cases{
      {"empty mean", 0, "", "no number"},
      {"blank SD", 4, "   ", "no number"},
      {"letters", 7, "abc", "no number"},
      {"lone point", 3, ".", "no digit"},
      {"lone minus", 6, "-", "no digit"},
      {"size 0", 2, "0", "a size must be positive"},
      {"size 0.0", 5, "0.0", "a size must be positive"},
      {"negative size", 8, "-3", "a size must be positive"},
  };
  // clang-format on
  ForEachCase(cases, [](const MissingCase& c) {
    Cells cells = WorkedMeans("10", "10", "10");
    cells[c.cell] = c.text;
    AnovaOutcome out = AnovaFTest(cells, FTableItems());
    EXPECT_FALSE(out.complete);
    EXPECT_EQ(out.f05, std::nullopt);
    EXPECT_EQ(out.f01, std::nullopt);
    EXPECT_EQ(out.result, "");
    EXPECT_FALSE(out.runPairwise);
  });
}

}  // namespace
}  // namespace kelvasta
