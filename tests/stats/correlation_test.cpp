#include "stats/correlation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "case_table.h"
#include "stats/critical_values.h"
#include "stats/number_text.h"
#include "stats/raw_value.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

const std::string kPositive(kPerfectPositive);
const std::string kNegative(kPerfectNegative);

std::vector<std::int64_t> Raw(const std::vector<std::string>& texts) {
  std::vector<std::int64_t> raw;
  for (const std::string& text : texts) {
    raw.push_back(ReadRawValue(text));
  }
  return raw;
}

// n, r, tr, critical 0.05, 0.01, 0.001, verdict, slope, intercept, equation.
using Shown = std::array<std::string, 10>;

Shown ShownOf(const CorrelationCaptions& c) {
  return {c.n,           c.r,       c.tr,    c.critical05, c.critical01,
          c.critical001, c.verdict, c.slope, c.intercept,  c.equation};
}

struct CorrelationCase {
  const char* name;
  std::vector<std::string> x, y;
  Shown shown;  // all "" when not computed
  const char* source;
};

TEST(ComputeCorrelation, Captions) {
  const std::vector<std::string> oneToFive{"1", "2", "3", "4", "5"};
  // clang-format off
  std::vector<CorrelationCase> cases{
      {"worked example", oneToFive, {"2", "4", "5", "4", "5"},
       {"5", "0.7746", "2.1213", "3.182", "5.841", "12.92", "p > 0.05", "+0.6000", "2.2000", "Y=2.2000+0.6000X"},
       "worked example: lxy 6, lxx 10, lyy 6"},
      {"incomplete pairs ignored", {"1", "2", "", "3", "4", "-", "5", "8"}, {"2", "4", "7", "5", "4", "9", "5", "1a2"},
       {"5", "0.7746", "2.1213", "3.182", "5.841", "12.92", "p > 0.05", "+0.6000", "2.2000", "Y=2.2000+0.6000X"},
       "the worked example with one-sided and non-number pairs"},
      {"exact rising line", {"1", "2", "3", "4"}, {"3", "5", "7", "9"},
       {"4", "1.0000", "", "4.303", "9.925", "31.59", kPositive, "+2.0000", "1.0000", "Y=1.0000+2.0000X"},
       "worked example: Y = 2X + 1"},
      {"exact falling line", {"1", "2", "3", "4"}, {"6", "4", "2", "0"},
       {"4", "-1.0000", "", "4.303", "9.925", "31.59", kNegative, "-2.0000", "8.0000", "Y=8.0000-2.0000X"},
       "Y = 8 - 2X"},
      {"r rounds to one", oneToFive, {"1", "2", "3.03", "4", "5"},
       {"5", "1.0000", "", "3.182", "5.841", "12.92", kPositive, "+1.0000", "0.0060", "Y=0.0060+1.0000X"},
       "exact r = 0.999964, b = 1, a = 0.006"},
      {"negative r", oneToFive, {"5", "3", "4", "1", "2"},
       {"5", "-0.8000", "2.3094", "3.182", "5.841", "12.92", "p > 0.05", "-0.8000", "5.4000", "Y=5.4000-0.8000X"},
       "exact fractions: r = b = -0.8, tr = 0.8·sqrt(3/0.36)"},
      {"p below 0.01", {"1", "2", "3", "4", "5", "6", "7"}, {"2", "1", "4", "3", "6", "5", "7"},
       {"7", "0.8929", "4.4343", "2.571", "4.032", "6.869", "p < 0.01", "+0.8929", "0.4286", "Y=0.4286+0.8929X"},
       "exact fractions: r = b = 25/28, a = 3/7"},
      {"p below 0.001", {"1", "2", "3", "4", "5", "6"}, {"1.5", "1.9", "3.2", "3.8", "5.1", "5.9"},
       {"6", "0.9926", "16.3485", "2.776", "4.604", "8.610", "p < 0.001", "+0.9200", "0.3467", "Y=0.3467+0.9200X"},
       "exact fractions: b = 0.92, a = 0.34667"},
      {"large common part in X", {"1000000.1", "1000000.2", "1000000.3", "1000000.4", "1000000.5"},
       {"2", "4", "5", "4", "5"},
       {"5", "0.7746", "2.1213", "3.182", "5.841", "12.92", "p > 0.05", "+6.0000", "-5999997.8000",
        "Y=-5999997.8000+6.0000X"},
       "the worked example with X shifted and scaled: b = 6, a = 2.2 - 6·1000000"},
      {"all Y equal", {"1", "2", "3"}, {"4", "4", "4"},
       {"3", "", "", "12.70", "63.65", "636.6", "", "+0.0000", "4.0000", "Y=4.0000+0.0000X"},
       "lyy = 0: no r; flat line at the mean of Y"},
      {"all X equal", {"2", "2", "2"}, {"1", "2", "3"}, {"3", "", "", "", "", "", "", "", "", ""},
       "lxx = 0: no r and no line of Y on X"},
      {"two pairs", {"1", "2"}, {"3", "5"}, {}, "n < 3: nothing shown"},
      {"no pairs", {"1", ""}, {"", "2"}, {}, "n = 0: nothing shown"},
  };
  // clang-format on
  ForEachCase(cases, [](const CorrelationCase& c) {
    const CorrelationCaptions out = ComputeCorrelation(Raw(c.x), Raw(c.y), TTableText());
    EXPECT_EQ(out.computed, !c.shown[0].empty());
    EXPECT_EQ(ShownOf(out), c.shown);
  });
}

struct DfCase {
  const char* name;
  int pairs;
  std::array<std::string, 3> critical;
  const char* source;
};

TEST(ComputeCorrelation, CriticalValuesOfNMinusTwo) {
  // clang-format off
  std::vector<DfCase> cases{
      {"df 45", 47, {"2.021", "2.704", "3.551"}, "t table: 45 uses the df-40 line"},
      {"df 1001", 1003, {"1.960", "2.575", "3.291"}, "t table: the infinity line"},
  };
  // clang-format on
  ForEachCase(cases, [](const DfCase& c) {
    std::vector<std::int64_t> x, y;
    for (int i = 0; i < c.pairs; ++i) {
      x.push_back(i * 10000);
      y.push_back((i % 7) * 10000);
    }
    const CorrelationCaptions out = ComputeCorrelation(x, y, TTableText());
    EXPECT_EQ(out.n, std::to_string(c.pairs));
    EXPECT_EQ((std::array<std::string, 3>{out.critical05, out.critical01, out.critical001}), c.critical);
  });
}

struct NistRegression {
  std::vector<std::string> x, y;
  std::string intercept, slope;
  double rSquared = 0;
};

// Norris: certified B0, B1 and R-Squared lines, then "y x" rows under "Data:".
NistRegression ReadNorris(const std::string& path) {
  std::ifstream in(path);
  NistRegression set;
  std::string line;
  bool inData = false;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string first, second, third;
    words >> first >> second >> third;
    if (inData && !second.empty()) {
      set.y.push_back(first);
      set.x.push_back(second);
    } else if (first == "B0") {
      set.intercept = second;
    } else if (first == "B1") {
      set.slope = second;
    } else if (first == "R-Squared") {
      set.rSquared = std::stod(second);
    } else if (first == "Data:" && second == "y") {
      inData = true;
    }
  }
  return set;
}

TEST(ComputeCorrelation, NistNorrisCertifiedValues) {
  const char* dir = std::getenv("KELVASTA_NIST_DIR");
  const std::string path = dir == nullptr ? "" : std::string(dir) + "/Norris.dat";
  if (dir == nullptr || !std::ifstream(path)) {
    GTEST_SKIP() << "NIST reference data not available";
  }
  SCOPED_TRACE("Norris [NIST StRD certified B0, B1, R-squared; r = +sqrt(R²)]");
  const NistRegression set = ReadNorris(path);
  ASSERT_EQ(set.x.size(), 36u);
  const CorrelationCaptions out = ComputeCorrelation(Raw(set.x), Raw(set.y), TTableText());
  EXPECT_EQ(out.n, "36");
  EXPECT_EQ(out.slope, "+" + FormatFourDecimals(set.slope));
  EXPECT_EQ(out.intercept, FormatFourDecimals(set.intercept));
  EXPECT_EQ(out.r, FormatFourDecimals(DoubleToText(std::sqrt(set.rSquared))));
  EXPECT_EQ(out.verdict, kPositive);
}

// v with four decimals, halves away from zero, "-" only when non-zero.
std::string Fixed4(double v) {
  const long long scaled = std::llround(v * 1e4);
  const std::string digits = std::to_string(std::llabs(scaled) + 10000);
  return (scaled < 0 ? "-" : "") + std::to_string(std::llabs(scaled) / 10000) + "." +
         digits.substr(digits.size() - 4);
}

bool NearTie(double v) {
  const double scaled = std::fabs(v) * 1e4;
  return std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-6;
}

TEST(ComputeCorrelation, RandomDataAgreeWithATwoPassPearson) {
  std::mt19937 random(7031);
  std::uniform_int_distribution<int> hundredths(-100000, 100000);
  std::uniform_int_distribution<int> size(3, 40);
  for (int round = 0; round < 300; ++round) {
    const int n = size(random);
    std::vector<std::string> xs, ys;
    std::vector<double> x, y;
    for (int i = 0; i < n; ++i) {
      x.push_back(hundredths(random) / 100.0);
      y.push_back(0.5 * x.back() + hundredths(random) / 100.0);
      xs.push_back(DoubleToText(x.back()));
      ys.push_back(DoubleToText(y.back()));
      y.back() = std::stod(ys.back());
    }
    double mx = 0, my = 0;
    for (int i = 0; i < n; ++i) {
      mx += x[i] / n;
      my += y[i] / n;
    }
    double lxx = 0, lyy = 0, lxy = 0;
    for (int i = 0; i < n; ++i) {
      lxx += (x[i] - mx) * (x[i] - mx);
      lyy += (y[i] - my) * (y[i] - my);
      lxy += (x[i] - mx) * (y[i] - my);
    }
    const double r = lxy / std::sqrt(lxx * lyy), b = lxy / lxx, a = my - b * mx;
    if (NearTie(r) || NearTie(b) || NearTie(a) || std::fabs(r) > 0.9999) {
      continue;
    }
    SCOPED_TRACE("round " + std::to_string(round) + " [two-pass Pearson r, slope, intercept in double]");
    const CorrelationCaptions out = ComputeCorrelation(Raw(xs), Raw(ys), TTableText());
    EXPECT_EQ(out.r, Fixed4(r));
    const std::string slope = Fixed4(b);
    EXPECT_EQ(out.slope, slope.starts_with("-") ? slope : "+" + slope);
    EXPECT_EQ(out.intercept, Fixed4(a));
  }
}

}  // namespace
}  // namespace kelvasta
