#include "stats/freeman_halton.h"

#include <gtest/gtest.h>

#include <limits>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "case_table.h"
#include "stats/fisher_exact.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

const std::atomic<bool> kRunning{false};

// Exact conditional probability of a 2 x 2 table from whole binomial
// coefficients (Pascal's triangle, exact in 64 bits up to n = 60).
struct Binomials {
  std::array<std::array<std::uint64_t, 61>, 61> c{};
  Binomials() {
    for (int n = 0; n <= 60; ++n) {
      c[n][0] = 1;
      for (int k = 1; k <= n; ++k) {
        c[n][k] = c[n - 1][k - 1] + (k <= n - 1 ? c[n - 1][k] : 0);
      }
    }
  }
  long double operator()(int n, int k) const { return static_cast<long double>(c[n][k]); }
};

struct FisherCase {
  const char* name;
  std::array<std::uint64_t, 4> cells;
  double twoSided, less, greater;
  const char* source;
};

TEST(FisherExact2x2, PublishedAndReferenceTables) {
  // clang-format off
  std::vector<FisherCase> cases{
      {"tea tasting", {3, 1, 1, 3}, 34.0 / 70, 69.0 / 70, 17.0 / 70,
       "Agresti, Categorical Data Analysis, tea-tasting table: one-sided 0.243, two-sided 0.486"},
      {"convictions", {2, 15, 10, 3}, 0.0005367241191434358, 0.00046518094336290503, 0.9999845190186861,
       "R fisher.test(Convictions, alternative = \"less\") example, 0.0004652; exact fractions in Python"},
      {"corrected example", {30, 2, 10, 5}, 0.02633238237810169, 0.9973510728373639, 0.02633238237810169,
       "exact fractions in Python"},
      {"a million each", {1000000, 999000, 998000, 1000000}, 0.13346878907935988, 0.9334112079424813,
       0.06684765714117138, "scipy 1.10 fisher_exact (no near ties)"},
      {"a million, far tail", {1000000, 2000, 999000, 1000}, 1.6475279326809387e-75, 1.0687015828901543e-75, 1,
       "exact fractions over all 3001 tables in Python (scipy 1.10's hypergeom is 4e-10 off here)"},
      {"zero margin", {0, 5, 0, 7}, 1, 1, 1, "one table with these margins"},
      {"far tail of a million", {1000000, 0, 0, 1000000}, 0, 1, 0,
       "every P of the extreme side is below the smallest double"},
  };
  // clang-format on
  ForEachCase(cases, [](const FisherCase& c) {
    std::optional<FisherExactResult> r = FisherExact2x2(c.cells[0], c.cells[1], c.cells[2], c.cells[3]);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->twoSided, c.twoSided, 1e-9 * c.twoSided);
    EXPECT_NEAR(r->less, c.less, 1e-9 * c.less);
    EXPECT_NEAR(r->greater, c.greater, 1e-9 * c.greater);
  });
  EXPECT_FALSE(FisherExact2x2(kMaxExactCount + 1, 0, 0, 1));
  EXPECT_FALSE(FisherExact2x2(kMaxExactCount / 2, kMaxExactCount / 2, 1, 0));
}

// Counts beyond 2^31 up to what a double holds exactly (NaN: not checked).
TEST(FisherExact2x2, CountsBeyondThirtyTwoBits) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  // clang-format off
  std::vector<FisherCase> cases{
      {"a billion each", {1000000000, 999999995, 1000000007, 1000000000}, 1, 0.50000000000022708,
       0.50002523132496947, "mpmath 1.2.1 at 40 digits over ±14 SD by the ratio recursion"},
      {"2^31 beside a small margin", {2147483638, 5, 5, 5}, 1.6685260536302065e-40, 1, 1.6685260536302065e-40,
       "mpmath 1.2.1 at 40 digits over all 11 tables"},
      {"2^50, the smooth law", {1125899906842624, 1125900106842624, 1125900006842624, 1125899906842624}, kNaN,
       3.9046186941105988e-6, 0.99999609538239411,
       "mpmath 1.2.1: quad of the law by loggamma at 40 digits with the Euler-Maclaurin terms (SD 1.7e7)"},
  };
  // clang-format on
  ForEachCase(cases, [](const FisherCase& c) {
    std::optional<FisherExactResult> r = FisherExact2x2(c.cells[0], c.cells[1], c.cells[2], c.cells[3]);
    ASSERT_TRUE(r);
    for (const auto& [actual, expected] :
         {std::pair{r->twoSided, c.twoSided}, std::pair{r->less, c.less}, std::pair{r->greater, c.greater}}) {
      if (!std::isnan(expected)) {
        EXPECT_NEAR(actual, expected, 1e-9 * expected);
      }
    }
  });
}

// The smooth law's integrals against the term-by-term walk where both hold
// (SD of 300 to 5000; the walk is tested against exact enumeration above).
TEST(FisherExact2x2, SmoothLawAgreesWithTheWalk) {
  const std::array<std::uint64_t, 4> tables[] = {{1000000, 999000, 998000, 1000000},
                                                  {400000, 410000, 395000, 402000},
                                                  {20000000, 19990000, 20010000, 20000000},
                                                  {5000000, 4000000, 3000000, 5000000}};
  for (const auto& t : tables) {
    SCOPED_TRACE(::testing::PrintToString(t));
    const std::optional<FisherExactResult> walk = FisherExact2x2(t[0], t[1], t[2], t[3], 1e9);
    const std::optional<FisherExactResult> smooth = FisherExact2x2(t[0], t[1], t[2], t[3], 0);
    ASSERT_TRUE(walk && smooth);
    EXPECT_NEAR(smooth->twoSided, walk->twoSided, 1e-9 * walk->twoSided);
    EXPECT_NEAR(smooth->less, walk->less, 1e-9 * walk->less);
    EXPECT_NEAR(smooth->greater, walk->greater, 1e-9 * walk->greater);
  }
}

TEST(FisherExact2x2, AgreesWithExactEnumerationOnRandomTables) {
  static const Binomials choose;
  std::mt19937 rng(20240611);
  std::uniform_int_distribution<int> cell(0, 15);
  for (int trial = 0; trial < 400; ++trial) {
    const int a = cell(rng), b = cell(rng), c = cell(rng), d = cell(rng);
    const int r1 = a + b, r2 = c + d, c1 = a + c, n = r1 + r2;
    std::vector<long double> p;
    for (int x = 0; x <= std::min(r1, c1); ++x) {
      p.push_back(c1 - x <= r2 ? choose(r1, x) * choose(r2, c1 - x) / choose(n, c1) : 0.0L);
    }
    long double two = 0, less = 0, greater = 0;
    for (int x = 0; x < static_cast<int>(p.size()); ++x) {
      two += (p[x] > 0 && p[x] <= p[a] * (1 + 1e-7L)) ? p[x] : 0;
      less += x <= a ? p[x] : 0;
      greater += x >= a ? p[x] : 0;
    }
    SCOPED_TRACE(::testing::Message() << a << ' ' << b << ' ' << c << ' ' << d);
    std::optional<FisherExactResult> r = FisherExact2x2(a, b, c, d);
    ASSERT_TRUE(r);
    EXPECT_NEAR(r->twoSided, std::min(1.0L, two), 1e-9 * two);
    EXPECT_NEAR(r->less, less, 1e-9 * less);
    EXPECT_NEAR(r->greater, greater, 1e-9 * greater);
  }
}

struct FreemanHaltonCase {
  const char* name;
  std::vector<std::uint64_t> cells;  // 3 x 4, row by row
  FreemanHaltonStatus status;
  double p;
  std::uint64_t tables;
  const char* source;
};

TEST(FreemanHaltonExact, ReferenceTables) {
  // clang-format off
  std::vector<FreemanHaltonCase> cases{
      {"sparse 3 x 4", {3, 1, 0, 2, 1, 4, 2, 0, 0, 1, 3, 4}, FreemanHaltonStatus::Done, 0.03535061429798272, 3998,
       "all 3998 tables summed in exact fractions in Python"},
      {"zero row and columns dropped", {5, 0, 3, 0, 0, 0, 0, 0, 1, 0, 6, 0}, FreemanHaltonStatus::Done,
       0.11888111888111888, 7, "the 2 x 2 table 5 3 / 1 6 by Fisher's exact test, exact fractions"},
      {"3 030 216 tables", {10, 8, 6, 4, 7, 9, 5, 3, 2, 4, 8, 9}, FreemanHaltonStatus::TooManyTables, 0,
       kFreemanHaltonMaxTables + 1, "3 030 216 tables counted by enumeration in Python"},
      {"one row left", {4, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}, FreemanHaltonStatus::Done, 1, 1,
       "the margins fix a single row"},
  };
  // clang-format on
  ForEachCase(cases, [](const FreemanHaltonCase& c) {
    FreemanHaltonResult r = FreemanHaltonExact(c.cells, 3, 4, kRunning);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.tables, c.tables);
    if (c.status == FreemanHaltonStatus::Done) {
      EXPECT_NEAR(r.p, c.p, 1e-6 * c.p);
    }
  });
}

TEST(FreemanHaltonExact, StopsWhenCancelled) {
  const std::atomic<bool> cancelled{true};
  const std::vector<std::uint64_t> cells{3, 1, 0, 2, 1, 4, 2, 0, 0, 1, 3, 4};
  EXPECT_EQ(FreemanHaltonExact(cells, 3, 4, cancelled).status, FreemanHaltonStatus::Cancelled);
}

// Every 3 x 4 table with the margins of `t`, by plain nested loops over the
// first two rows, each probability Π R! Π C! / (n! Π cell!) in long double.
void BruteForce(const std::array<int, 12>& t, long double& p, std::uint64_t& tables) {
  auto fact = [](int k) {
    long double f = 1;
    for (int i = 2; i <= k; ++i) f *= i;
    return f;
  };
  std::array<int, 3> rowTotal{};
  std::array<int, 4> columnTotal{};
  for (int k = 0; k < 12; ++k) {
    rowTotal[k / 4] += t[k];
    columnTotal[k % 4] += t[k];
  }
  long double constant = 1;
  for (int v : rowTotal) constant *= fact(v);
  for (int v : columnTotal) constant *= fact(v);
  constant /= fact(rowTotal[0] + rowTotal[1] + rowTotal[2]);
  auto prob = [&](const std::array<int, 12>& x) {
    long double q = constant;
    for (int v : x) q /= fact(v);
    return q;
  };
  const long double observed = prob(t);
  p = 0;
  tables = 0;
  std::array<int, 12> x{};
  for (x[0] = 0; x[0] <= rowTotal[0]; ++x[0])
    for (x[1] = 0; x[0] + x[1] <= rowTotal[0]; ++x[1])
      for (x[2] = 0; x[0] + x[1] + x[2] <= rowTotal[0]; ++x[2])
        for (x[4] = 0; x[4] <= rowTotal[1]; ++x[4])
          for (x[5] = 0; x[4] + x[5] <= rowTotal[1]; ++x[5])
            for (x[6] = 0; x[4] + x[5] + x[6] <= rowTotal[1]; ++x[6]) {
              x[3] = rowTotal[0] - x[0] - x[1] - x[2];
              x[7] = rowTotal[1] - x[4] - x[5] - x[6];
              bool ok = true;
              for (int j = 0; j < 4; ++j) {
                x[8 + j] = columnTotal[j] - x[j] - x[4 + j];
                ok = ok && x[8 + j] >= 0;
              }
              if (!ok) continue;
              ++tables;
              const long double q = prob(x);
              p += q <= observed * (1 + 1e-7L) ? q : 0;
            }
}

TEST(FreemanHaltonExact, AgreesWithBruteForceOnRandomTables) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> cell(0, 3);
  std::bernoulli_distribution empty(0.3);
  for (int trial = 0; trial < 300; ++trial) {
    std::array<int, 12> t{};
    std::vector<std::uint64_t> cells(12);
    for (int k = 0; k < 12; ++k) {
      t[k] = empty(rng) ? 0 : cell(rng);
      cells[k] = static_cast<std::uint64_t>(t[k]);
    }
    long double p = 0;
    std::uint64_t tables = 0;
    BruteForce(t, p, tables);
    SCOPED_TRACE(::testing::PrintToString(t));
    FreemanHaltonResult r = FreemanHaltonExact(cells, 3, 4, kRunning);
    ASSERT_EQ(r.status, FreemanHaltonStatus::Done);
    EXPECT_EQ(r.tables, tables);
    EXPECT_NEAR(r.p, std::min(1.0L, p), 1e-6 * p);
  }
}

}  // namespace
}  // namespace kelvasta
