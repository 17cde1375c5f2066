#include "stats/paired_chi_square.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct PairedCase {
  const char* name;
  std::array<std::string, 4> cells;
  std::string n;
  std::string chiSquare;
  std::string verdict;
  const char* source;
};

TEST(PairedChiSquare, WorkedExamplesAndTheDiscordantThreshold) {
  // clang-format off
  std::vector<PairedCase> cases{
      {"S 40 uncorrected", {"10", "25", "15", "30"}, "80", "2.5000", "p > 0.05",
       "worked example: (25-15)²/40"},
      {"S 42", {"", "30", "12", ""}, "42", "7.7143", "p < 0.01", "worked example: 18²/42"},
      {"S 20 corrected", {"", "15", "5", ""}, "20", "4.0500", "p < 0.05", "worked example: 9²/20"},
      {"S 16 corrected", {"", "12", "4", ""}, "16", "3.0625", "p > 0.05", "worked example: 7²/16"},
      {"equal small", {"", "5", "5", ""}, "10", "0.1000", "p > 0.05", "worked example: (0-1)²/10"},
      {"equal large", {"", "20", "20", ""}, "40", "0.0000", "p > 0.05", "worked example: 0/40"},
      {"S 39 corrected", {"", "29", "10", ""}, "39", "8.3077", "p < 0.01", "18²/39, below 40"},
      {"half counts", {"", "20.5", "19.5", ""}, "40", "0.0250", "p > 0.05", "S = 40: 1²/40"},
      {"exact tie shown", {"", "16", "16", ""}, "32", "0.0313", "p > 0.05",
       "(0-1)²/32 = 0.03125 exactly, half away from zero"},
      {"large", {"", "600000", "400000", ""}, "1000000", "40000.0000", "p < 0.01",
       "(2·10^5)²/10^6"},
  };
  // clang-format on
  ForEachCase(cases, [](const PairedCase& c) {
    PairedCaptions out = PairedChiSquare(ComputeCountTotals(c.cells));
    EXPECT_EQ(out.n, c.n);
    EXPECT_EQ(out.chiSquare, c.chiSquare);
    EXPECT_EQ(out.verdict, c.verdict);
  });
}

TEST(PairedChiSquare, NoDiscordantPairsGiveNoStatistic) {
  // The statistic cannot be computed, and there is no earlier one to show.
  PairedCaptions out = PairedChiSquare(ComputeCountTotals({"10", "", "0", "30"}));
  EXPECT_EQ(out.n, "40");
  EXPECT_EQ(out.chiSquare, "");
  EXPECT_EQ(out.verdict, "");
}

TEST(PairedChiSquare, OverflowingTotalsLeaveNEmptyButNotTheStatistic) {
  PairedCaptions out = PairedChiSquare(ComputeCountTotals({"922337203685477", "30", "12", "1"}));
  EXPECT_EQ(out.n, "");
  EXPECT_EQ(out.chiSquare, "7.7143");
}

TEST(PairedChiSquare, AgreesWithAnIndependentComputationOnRandomTables) {
  std::mt19937 random(11);
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    int range = i % 2 == 0 ? 40 : 100000;
    long long b = std::uniform_int_distribution<long long>(0, range)(random);
    long long c = std::uniform_int_distribution<long long>(0, range)(random);
    PairedCaptions out = PairedChiSquare(ComputeCountTotals({"", std::to_string(b), std::to_string(c), ""}));
    SCOPED_TRACE(std::to_string(b) + " " + std::to_string(c));
    long long s = b + c;
    if (s == 0) {
      EXPECT_EQ(out.chiSquare, "");
      continue;
    }
    long double d = s >= 40 ? b - c : std::llabs(b - c) - 1;
    long double scaled = d * d / s * 10000;  // chi-square in ten-thousandths
    long double distance = std::fabs(scaled - std::floor(scaled) - 0.5L);
    if (distance != 0 && distance < 1e-12L * (scaled + 1)) {
      continue;  // too close to a half for the 15-digit text to settle
    }
    ++compared;
    auto k = static_cast<long long>(std::floor(scaled + 0.5L));
    std::string fraction = std::to_string(k % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    EXPECT_EQ(out.chiSquare, std::to_string(k / 10000) + "." + fraction);
    EXPECT_EQ(out.verdict, k >= 66300 ? "p < 0.01" : k >= 38400 ? "p < 0.05" : "p > 0.05");
  }
  EXPECT_GT(compared, 19000);
}

}  // namespace
}  // namespace kelvasta
