#include "stats/verdict.h"

#include <gtest/gtest.h>

#include <limits>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct JudgeCase {
  const char* name;
  double x;
  const char* text;
  const char* source;
};

TEST(JudgeTwoLevels, ReachingACriticalValueCounts) {
  std::vector<JudgeCase> cases{
      {"equal to 0.05 value", 3.84, "p < 0.05", "equal counts as reached"},
      {"just below 0.05 value", 3.8399, "p > 0.05", "below the 0.05 value"},
      {"between", 5.0, "p < 0.05", "between the two values"},
      {"equal to 0.01 value", 6.63, "p < 0.01", "equal counts as reached"},
      {"just below 0.01 value", 6.6299, "p < 0.05", "below the 0.01 value"},
      {"far above", 100.0, "p < 0.01", "above the 0.01 value"},
      {"zero", 0.0, "p > 0.05", "an empty caption reads 0"},
      {"nan", std::numeric_limits<double>::quiet_NaN(), "p > 0.05", "NaN reaches nothing"},
  };
  ForEachCase(cases, [](const JudgeCase& c) {
    EXPECT_EQ(VerdictText(JudgeTwoLevels(c.x, kChiSquare1Df05, kChiSquare1Df01)), c.text);
  });
}

TEST(JudgeThreeLevels, ReachingACriticalValueCounts) {
  // Two-sided t critical values for df 10 from the t table: 2.228, 3.169, 4.587.
  std::vector<JudgeCase> cases{
      {"below", 2.2279, "p > 0.05", "below 2.228"},
      {"at 0.05", 2.228, "p < 0.05", "equal counts as reached"},
      {"at 0.01", 3.169, "p < 0.01", "equal counts as reached"},
      {"at 0.001", 4.587, "p < 0.001", "equal counts as reached"},
      {"above", 50.0, "p < 0.001", "above every value"},
      {"nan", std::numeric_limits<double>::quiet_NaN(), "p > 0.05", "NaN reaches nothing"},
  };
  ForEachCase(cases, [](const JudgeCase& c) {
    EXPECT_EQ(VerdictText(JudgeThreeLevels(c.x, 2.228, 3.169, 4.587)), c.text);
  });
}

}  // namespace
}  // namespace kelvasta
