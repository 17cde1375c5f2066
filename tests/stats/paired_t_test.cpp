#include "stats/paired_t.h"

#include <gtest/gtest.h>

#include "case_table.h"
#include "stats/critical_values.h"
#include "stats/raw_value.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

std::vector<std::int64_t> Raw(const std::vector<std::string>& texts) {
  std::vector<std::int64_t> raw;
  for (const std::string& text : texts) {
    raw.push_back(ReadRawValue(text));
  }
  return raw;
}

struct PairedCase {
  const char* name;
  std::vector<std::string> x, y;
  // n, mean, sd, result, critical 0.05, 0.01, 0.001; all "" when not computed
  std::array<std::string, 7> shown;
  const char* source;
};

std::array<std::string, 7> Shown(const PairedTCaptions& c) {
  return {c.n, c.meanDifference, c.sdDifference, c.result, c.critical05, c.critical01, c.critical001};
}

TEST(ComputePairedT, Captions) {
  const std::string df2 = "4.303 9.925 31.59";
  // clang-format off
  std::vector<PairedCase> cases{
      {"worked example", {"1", "2", "3"}, {"2", "4", "5"},
       {"3", "1.6667", "0.5774", "t = 5.0000  p < 0.05", "4.303", "9.925", "31.59"},
       "worked example: d = -1, -2, -2, df 2"},
      {"one-sided pairs ignored", {"1", "", "2", "7", "3"}, {"2", "8", "4", "", "5"},
       {"3", "1.6667", "0.5774", "t = 5.0000  p < 0.05", "4.303", "9.925", "31.59"},
       "the worked example with rows holding one value only"},
      {"non-numbers ignored", {"1", "-", "2", "3", "4"}, {"2", "9", "4", "5", "1a2"},
       {"3", "1.6667", "0.5774", "t = 5.0000  p < 0.05", "4.303", "9.925", "31.59"},
       "pairs with \"-\" or \"1a2\" are left out, not repeated"},
      {"shorter second list", {"1", "2", "3", "9"}, {"2", "4", "5"},
       {"3", "1.6667", "0.5774", "t = 5.0000  p < 0.05", "4.303", "9.925", "31.59"},
       "a position past the end of List2 is empty"},
      {"not significant", {"1", "2", "3", "4"}, {"2", "1", "4", "2"},
       {"4", "0.2500", "1.5000", "t = 0.3333  p > 0.05", "3.182", "5.841", "12.92"},
       "d = -1, 1, -1, 2: mean 1/4, sd 3/2, t 1/3"},
      {"p below 0.01", {"3", "5", "7", "9"}, {"1", "2", "3", "5"},
       {"4", "3.2500", "0.9574", "t = 6.7890  p < 0.01", "3.182", "5.841", "12.92"},
       "exact fractions: d = 2, 3, 4, 4"},
      {"p below 0.001", {"10", "12", "14", "11"}, {"1", "2", "2", "1"},
       {"4", "10.2500", "1.2583", "t = 16.2917  p < 0.001", "3.182", "5.841", "12.92"},
       "exact fractions: d = 9, 10, 12, 10"},
      {"values rounded to four decimals", {"0.00006", "0.00014", "0.00004"}, {"0", "0", "0"},
       {"3", "0.0001", "0.0001", "t = 2.0000  p > 0.05", "4.303", "9.925", "31.59"},
       "d = 0.0001, 0.0001, 0: t = (2/3)/(1/3) = 2 (unrounded d would give 2.619)"},
      {"large common part", {"10000000.2", "10000000.1", "10000000.3"}, {"0", "0", "0"},
       {"3", "10000000.2000", "0.1000", "t = 173205084.2210  p < 0.001", "4.303", "9.925", "31.59"},
       "NumAcc4-like: mean 10000000.2, sd 0.1 exactly"},
      {"differences near each other", {"1000000.35", "1000000.15", "1000000.26", "1000000.41"},
       {"1000000.1", "1000000.1", "1000000.1", "1000000.1"},
       {"4", "0.1925", "0.1132", "t = 3.3996  p < 0.05", "3.182", "5.841", "12.92"},
       "exact fractions: d = 0.25, 0.05, 0.16, 0.31"},
      {"differences beyond 64 bits", {"900000000000000", "900000000000000", "0"},
       {"-900000000000000", "-900000000000000", "0"},
       {"3", "1200000000000000.0000", "1039230484541330.0000", "t = 2.0000  p > 0.05", "4.303", "9.925", "31.59"},
       "d = 1.8E+15, 1.8E+15, 0: sd = sqrt(1.08E+30), t = 2; counts beyond 2^63 apart"},
      {"all differences equal", {"3", "4", "5"}, {"1", "2", "3"}, {}, "Sd = 0: nothing shown"},
      {"equal fractional differences", {"0.3", "0.4", "0.5"}, {"0.2", "0.3", "0.4"}, {},
       "d = 0.1 each, exactly 0 spread"},
      {"one pair", {"1", ""}, {"2", "3"}, {}, "N = 1: nothing shown"},
      {"no pairs", {}, {}, {}, "N = 0: nothing shown"},
  };
  // clang-format on
  ForEachCase(cases, [](const PairedCase& c) {
    const PairedTCaptions out = ComputePairedT(Raw(c.x), Raw(c.y), TTableText());
    EXPECT_EQ(out.computed, !c.shown[0].empty());
    EXPECT_EQ(Shown(out), c.shown);
  });
}

struct DfCase {
  const char* name;
  int pairs;
  std::array<std::string, 3> critical;
  const char* source;
};

TEST(ComputePairedT, CriticalValuesOfNMinusOne) {
  // clang-format off
  std::vector<DfCase> cases{
      {"df 45", 46, {"2.021", "2.704", "3.551"}, "t table: 45 uses the df-40 line"},
      {"df 1000", 1001, {"1.962", "2.581", "3.300"}, "t table: the df-1000 line"},
      {"df 1001", 1002, {"1.960", "2.575", "3.291"}, "t table: the infinity line"},
  };
  // clang-format on
  ForEachCase(cases, [](const DfCase& c) {
    std::vector<std::int64_t> x, y;
    for (int i = 0; i < c.pairs; ++i) {
      x.push_back((i % 3) * 10000);
      y.push_back(0);
    }
    const PairedTCaptions out = ComputePairedT(x, y, TTableText());
    EXPECT_EQ(out.n, std::to_string(c.pairs));
    EXPECT_EQ((std::array<std::string, 3>{out.critical05, out.critical01, out.critical001}), c.critical);
  });
}

}  // namespace
}  // namespace kelvasta
