#include "stats/rank_sum_ridit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "case_table.h"
#include "four_decimals.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;
using testing::FourDecimals;
using Totals = std::vector<std::pair<int, std::string>>;

// Test-group total, control-group total, the four grade totals, grand total.
Totals Written(const std::array<const char*, 7>& texts) {
  const std::array<int, 7> labels{13, 11, 14, 15, 16, 17, 18};
  Totals totals;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    totals.emplace_back(labels[i], texts[i]);
  }
  return totals;
}

Totals WrittenThenFourthBlanked(const std::array<const char*, 7>& texts) {
  Totals totals = Written(texts);
  totals.emplace_back(17, "");
  return totals;
}

struct OrdinalCase {
  const char* name;
  std::array<std::string, 8> cells;
  Totals totals;
  bool computed;
  std::string rankSumZ, rankSumVerdict, riditU, riditVerdict;
  const char* source;
};

void ExpectCaptions(const OrdinalCase& c) {
  OrdinalCaptions out = RankSumRidit(c.cells);
  EXPECT_EQ(out.totals, c.totals);
  EXPECT_EQ(out.computed, c.computed);
  EXPECT_EQ(out.rankSumZ, c.rankSumZ);
  EXPECT_EQ(out.rankSumVerdict, c.rankSumVerdict);
  EXPECT_EQ(out.riditU, c.riditU);
  EXPECT_EQ(out.riditVerdict, c.riditVerdict);
}

TEST(RankSumRidit, ComputedTables) {
  // clang-format off
  std::vector<OrdinalCase> cases{
      {"worked example", {"10", "8", "5", "2", "4", "6", "9", "11"},
       Written({"25", "30", "14", "14", "14", "13", "55"}), true, "3.0985", "p < 0.01", "3.0275", "p < 0.01",
       "worked example: zc 3.098485, u 3.027450"},
      {"groups swapped", {"4", "6", "9", "11", "10", "8", "5", "2"},
       Written({"30", "25", "14", "14", "14", "13", "55"}), true, "3.0985", "p < 0.01", "3.0275", "p < 0.01",
       "both statistics are symmetric in the two groups"},
      {"equal group sizes", {"1", "2", "3", "4", "4", "3", "2", "1"},
       Written({"10", "10", "5", "5", "5", "5", "20"}), true, "1.9494", "p > 0.05", "1.9365", "p > 0.05",
       "test group's rank sum 130; independent formula gives zc 1.949359, u 1.936492"},
      {"three grades", {"12", "9", "4", "", "5", "8", "10", ""},
       WrittenThenFourthBlanked({"25", "23", "17", "17", "14", "0", "48"}), true, "2.2902", "p < 0.05",
       "2.1790", "p < 0.05", "independent formula: zc 2.290239, u 2.178976; zero fourth total blanked"},
      {"not significant", {"3", "5", "2", "1", "2", "3", "4", "3"},
       Written({"11", "12", "5", "8", "6", "4", "23"}), true, "1.3428", "p > 0.05", "1.3203", "p > 0.05",
       "independent formula: zc 1.342833, u 1.320259"},
      {"fractional counts", {"2.5", "4", "1.5", "1x", "1", "2.5", "3-", "4.5"},
       Written({"9", "11", "3.5", "6.5", "4.5", "5.5", "20"}), true, "1.8115", "p > 0.05", "1.7905",
       "p > 0.05", "leading numbers; independent formula: zc 1.811525, u 1.790548"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(RankSumRidit, FailuresEmptyTheResultsAndKeepTheTotals) {
  // clang-format off
  std::vector<OrdinalCase> cases{
      {"all empty", {"", "", "", "", "", "", "", ""}, Written({"0", "0", "0", "0", "0", "0", "0"}), false,
       "", "", "", "", "N = 0: 0/0 in the tie correction; the fourth total is not blanked"},
      {"only the test group", {"10", "8", "5", "2", "", "", "", ""},
       Written({"25", "0", "10", "8", "5", "2", "25"}), false, "", "", "", "",
       "n1 = 0: the standard deviation of the rank sum is 0"},
      {"only the control group", {"", "", "", "", "4", "6", "9", "11"},
       Written({"0", "30", "4", "6", "9", "11", "30"}), false, "", "", "", "", "n1 = 0"},
      {"one grade", {"5", "", "", "", "7", "", "", ""}, Written({"5", "7", "12", "0", "0", "0", "12"}), false,
       "", "", "", "", "every case tied: C = 0"},
      {"single case", {"", "1", "", "", "", "", "", ""}, Written({"1", "0", "0", "1", "0", "0", "1"}), false,
       "", "", "", "", "N = 1: N³ - N = 0"},
      {"negative counts", {"3", "", "", "", "-1", "", "", "1"}, Written({"3", "0", "2", "0", "0", "1", "3"}),
       false, "", "", "", "", "the control group sums to 0: n1 = 0"},
      {"infinite control cell", {"1", "2", "3", "4", "1E400", "", "", ""}, Totals{{13, "10"}}, false, "", "",
       "", "", "the control total has no finite value: only the test total is written"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

// The Mann-Whitney z with tie correction from the expanded observations,
// ranked one by one, and the Ridit u with each observation scored by the
// pooled share below its grade plus half its own grade.
struct Reference {
  bool computable = false;
  long double z = 0;
  long double u = 0;
};

Reference Compute(const std::array<int, 4>& test, const std::array<int, 4>& control) {
  Reference r;
  long long n1 = 0, n2 = 0, n = 0, ties = 0;
  std::array<long double, 4> midRank{}, ridit{};
  for (std::size_t j = 0; j < 4; ++j) {
    long long t = test[j] + control[j];
    long double positions = 0;
    for (long long k = 1; k <= t; ++k) positions += static_cast<long double>(n + k);
    midRank[j] = t > 0 ? positions / t : 0;
    ridit[j] = n + t / 2.0L;  // divided by N below
    n += t;
    n1 += test[j];
    n2 += control[j];
    ties += t * t * t - t;
  }
  long long tieFree = n * n * n - n;
  if (n1 == 0 || n2 == 0 || tieFree == ties) {
    return r;
  }
  r.computable = true;
  long double w = 0, ridit1 = 0, ridit2 = 0;
  for (std::size_t j = 0; j < 4; ++j) {
    w += (n2 < n1 ? control[j] : test[j]) * midRank[j];
    ridit1 += test[j] * ridit[j] / n;
    ridit2 += control[j] * ridit[j] / n;
  }
  long double small = static_cast<long double>(std::min(n1, n2));
  long double correction = 1 - static_cast<long double>(ties) / tieFree;
  r.z = std::fabs(w - small * (n + 1) / 2) / std::sqrt(n1 * n2 * (n + 1) / 12.0L * correction);
  r.u = std::fabs(ridit1 / n1 - ridit2 / n2) / std::sqrt((1.0L / n1 + 1.0L / n2) / 12);
  return r;
}

std::string NormalVerdict(long double x, bool& nearTie) {
  nearTie = nearTie || std::fabs(x - 1.96L) < 1e-9L || std::fabs(x - 2.576L) < 1e-9L;
  return x >= 2.576L ? "p < 0.01" : x >= 1.96L ? "p < 0.05" : "p > 0.05";
}

TEST(RankSumRidit, AgreesWithAnIndependentComputationOnRandomTables) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> count(0, 30);
  std::bernoulli_distribution sometimes(0.2);
  int computed = 0, failed = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    std::array<int, 4> test{}, control{};
    std::array<std::string, 8> cells;
    bool emptyTest = sometimes(random) && sometimes(random);
    bool emptyControl = sometimes(random) && sometimes(random);
    for (std::size_t j = 0; j < 4; ++j) {
      test[j] = emptyTest || sometimes(random) ? 0 : count(random);
      control[j] = emptyControl || sometimes(random) ? 0 : count(random);
      cells[j] = test[j] == 0 && sometimes(random) ? "" : std::to_string(test[j]);
      cells[j + 4] = control[j] == 0 && sometimes(random) ? "" : std::to_string(control[j]);
    }
    SCOPED_TRACE(cells[0] + "," + cells[1] + "," + cells[2] + "," + cells[3] + "/" + cells[4] + "," +
                 cells[5] + "," + cells[6] + "," + cells[7]);
    Reference ref = Compute(test, control);
    OrdinalCaptions out = RankSumRidit(cells);
    ASSERT_EQ(out.computed, ref.computable);
    bool blankedFourth = ref.computable && test[3] + control[3] == 0;
    ASSERT_EQ(out.totals.size(), blankedFourth ? 8u : 7u);
    EXPECT_EQ(out.totals[6].second, std::to_string(std::accumulate(test.begin(), test.end(), 0) +
                                                   std::accumulate(control.begin(), control.end(), 0)));
    if (!ref.computable) {
      ++failed;
      EXPECT_EQ(out.rankSumZ + out.rankSumVerdict + out.riditU + out.riditVerdict, "");
      continue;
    }
    bool nearTie = false;
    std::string z = FourDecimals(ref.z, nearTie), u = FourDecimals(ref.u, nearTie);
    std::string zVerdict = NormalVerdict(ref.z, nearTie), uVerdict = NormalVerdict(ref.u, nearTie);
    if (nearTie) continue;
    ++computed;
    EXPECT_EQ(out.rankSumZ, z);
    EXPECT_EQ(out.rankSumVerdict, zVerdict);
    EXPECT_EQ(out.riditU, u);
    EXPECT_EQ(out.riditVerdict, uVerdict);
  }
  EXPECT_GT(computed, 15000);
  EXPECT_GT(failed, 300);
}

}  // namespace
}  // namespace kelvasta
