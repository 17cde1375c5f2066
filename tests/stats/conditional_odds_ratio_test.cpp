#include "stats/conditional_odds_ratio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cmath>
#include <limits>
#include <vector>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct OddsCase {
  const char* name;
  std::array<std::uint64_t, 4> cells;
  double estimate, low, high;  // NaN: empty (infinite)
  const char* source;
};

// Expected: the noncentral hypergeometric law over the whole support in
// exact integers (Python math.comb), roots by 200 bisections of ln ψ in
// mpmath 1.2.1 at 40 digits. R's fisher.test agrees to its uniroot
// tolerance (tea tasting: 6.408309, 0.2117329 ~ 621.9337).
TEST(ConditionalOddsRatio, AgainstAnExactNoncentralLaw) {
  // clang-format off
  const std::vector<OddsCase> cases{
      {"3 7 / 8 2", {3, 7, 8, 2}, 0.12264167096396988, 0.0078734562165696961, 1.1336387977546227,
       "exact; Fisher P = 0.0698 and the interval holds 1"},
      {"tea tasting", {3, 1, 1, 3}, 6.4083196581996743, 0.21173559544657857, 626.24353058881404, "exact"},
      {"convictions", {2, 15, 10, 3}, 0.046936639049679964, 0.0033171639506573611, 0.36318960235668056,
       "exact; R's Convictions example"},
      {"a at the top", {10, 0, 3, 5}, kNaN, 1.7008447063674156, kNaN, "exact; infinite estimate"},
      {"a at the bottom", {0, 5, 4, 6}, 0, 0, 2.8794717518721363, "exact"},
      {"a thousand each", {1000, 900, 950, 1000}, 1.1695430064240331, 1.0285321174369711, 1.329996881063377,
       "exact"},
  };
  // clang-format on
  ForEachCase(cases, [](const OddsCase& c) {
    const ConditionalOddsRatio r = ConditionalOddsRatioOf(c.cells[0], c.cells[1], c.cells[2], c.cells[3]);
    for (const auto& [actual, expected] :
         {std::pair{r.estimate, c.estimate}, std::pair{r.ci_low, c.low}, std::pair{r.ci_high, c.high}}) {
      if (std::isnan(expected)) {
        EXPECT_FALSE(actual.has_value());
      } else {
        ASSERT_TRUE(actual.has_value()) << expected;
        EXPECT_NEAR(*actual, expected, 1e-10 * expected);
      }
    }
  });
  EXPECT_FALSE(ConditionalOddsRatioOf(0, 5, 0, 7).estimate);  // zero margin: one table
}

// R 4.2.2's fisher.test(matrix(c(a, b, c, d), 2, byrow = TRUE)), printed
// with %.10g. Its uniroot stops within .Machine$double.eps^0.25 (1.22e-4)
// of ψ when ψ < 1 and of 1/ψ otherwise, so the two agree to that on the
// scale min(ψ, 1/ψ) (R's tea-tasting upper limit 621.93 is 626.24).
TEST(ConditionalOddsRatio, AgreesWithRsFisherTestWithinItsTolerance) {
  // clang-format off
  const std::vector<OddsCase> cases{
      {"3 7 / 8 2", {3, 7, 8, 2}, 0.1226532959, 0.007870555069, 1.133635839, "R"},
      {"tea tasting", {3, 1, 1, 3}, 6.408308867, 0.2117329153, 621.9337505, "R"},
      {"convictions", {2, 15, 10, 3}, 0.04693660883, 0.003325764034, 0.3631822715, "R"},
      {"a at the bottom", {0, 5, 4, 6}, 0, 0, 2.879515574, "R"},
      {"one each", {1, 1, 1, 1}, 1, 0.0064129909, 155.9334818, "R"},
      {"12 5 / 7 1", {12, 5, 7, 1}, 0.3561783343, 0.006361429014, 4.244478944, "R"},
      {"a thousand each", {1000, 900, 950, 1000}, 1.169538458, 1.02853276, 1.329987325, "R"},
      {"near 1e5, P = 0.00012", {100000, 110000, 95000, 102000}, 0.9760678656, 0.9641287336, 0.9881785841, "R"},
      {"near 1e6", {1000000, 999000, 998000, 1000000}, 1.003007158, 0.9990499942, 1.006947083, "R"},
      {"strong association", {40000, 2000, 3000, 60000}, 398.9576772, 379.5887634, 437.4574256, "R"},
  };
  // clang-format on
  const auto scale = [](double psi) { return std::min(psi, 1 / psi); };
  ForEachCase(cases, [&](const OddsCase& c) {
    const ConditionalOddsRatio r = ConditionalOddsRatioOf(c.cells[0], c.cells[1], c.cells[2], c.cells[3]);
    ASSERT_TRUE(r.estimate && r.ci_low && r.ci_high);
    EXPECT_NEAR(scale(*r.estimate), scale(c.estimate), 1.3e-4);
    EXPECT_NEAR(scale(*r.ci_low), scale(c.low), 1.3e-4);
    EXPECT_NEAR(scale(*r.ci_high), scale(c.high), 1.3e-4);
  });
}

// Tables of every size a double holds, against the law term by term in
// 113-bit floating point (__float128: each ratio p(x + 1)/p(x) exact from the
// observed a outward, over ±15 to ±40 widths of the law), roots by 64 to
// 90 bisections of ln ψ: an offline program, not this code.
TEST(ConditionalOddsRatio, HostileSizesAgainstQuadPrecisionTerms) {
  // clang-format off
  const std::vector<OddsCase> cases{
      {"a near 2^31, the rest 5", {2147483638, 5, 5, 5}, 401684802.4090325708, 70378714.688836737002,
       2491418469.9623202569, "quad terms; the estimate once lost 8 digits to a + E[X - a] - a"},
      {"1e10 and 5", {10000000000, 5, 5, 10000000000}, 3618989552253212261.4, 1039873312889481984.3,
       16841698388991318052.0, "quad terms"},
      {"1e10 far from independence", {10000000000, 30000, 20000, 10000000000}, 166663333375.99951867,
       163704508451.36010457, 169682666541.56927578, "quad terms; the smooth law about the mode lost 9 digits"},
      {"1e12 far from independence", {1000000000000, 3000000, 2000000, 1000000000000}, 166666633333.41679999,
       166368665495.66115677, 166965203426.92165698, "quad terms"},
      {"1e9 near independence", {1000000000, 999999995, 1000000007, 1000000000}, 0.9999999980000000395,
       0.99987604467669493367, 1.0001239666896362413, "quad terms"},
      {"near 1e10, far from independence", {5858052884, 5926715396, 25259794188, 3483761832},
       0.13631946229439708845, 0.13631256692721436519, 0.13632635799458208545, "quad terms"},
      {"1e4 to 6e4, strong association", {40000, 2000, 3000, 60000}, 399.92400748065502342,
       377.30940234314751645, 424.06441387687964887, "quad terms (R: 398.96, 379.59 ~ 437.46)"},
      {"near 1e11, far from independence", {42571482543, 29587956084, 9819860185, 264766928054},
       38.793792761807611595, 38.792822330743221505, 38.794763219617248194, "quad terms"},
  };
  // clang-format on
  ForEachCase(cases, [](const OddsCase& c) {
    const ConditionalOddsRatio r = ConditionalOddsRatioOf(c.cells[0], c.cells[1], c.cells[2], c.cells[3]);
    ASSERT_TRUE(r.estimate && r.ci_low && r.ci_high);
    EXPECT_NEAR(*r.estimate, c.estimate, 1e-10 * c.estimate);
    EXPECT_NEAR(*r.ci_low, c.low, 1e-10 * c.low);
    EXPECT_NEAR(*r.ci_high, c.high, 1e-10 * c.high);
  });
}

// Equal cells make the law symmetric about a, so that the estimate is 1 and
// the limits are reciprocals (P_ψ(X ≥ a) = P_1/ψ(X ≤ a)), up to the largest
// total a double holds.
TEST(ConditionalOddsRatio, EqualCellsGiveReciprocalLimits) {
  constexpr std::uint64_t kOne = 1;
  for (const std::uint64_t m : {kOne * 7, kOne * 3000, kOne << 40, kOne << 51}) {
    SCOPED_TRACE(m);
    const ConditionalOddsRatio r = ConditionalOddsRatioOf(m, m, m, m);
    ASSERT_TRUE(r.estimate && r.ci_low && r.ci_high);
    EXPECT_NEAR(*r.estimate, 1, 1e-13);
    EXPECT_NEAR(*r.ci_low * *r.ci_high, 1, 1e-13);
    EXPECT_LT(*r.ci_low, 1);
  }
}

// The smooth law's integrals against the term-by-term sums where both hold:
// near the smallest tables summed as integrals, and far from independence.
TEST(ConditionalOddsRatio, SmoothLawAgreesWithTheTerms) {
  const std::array<std::uint64_t, 4> tables[] = {{400000, 410000, 395000, 402000},
                                                 {90000, 100000, 120000, 80000},
                                                 {10000, 12000, 9000, 11000},
                                                 {4000000, 20000, 30000, 5000000}};
  for (const auto& t : tables) {
    SCOPED_TRACE(::testing::PrintToString(t));
    const ConditionalOddsRatio terms = ConditionalOddsRatioOf(t[0], t[1], t[2], t[3], SIZE_MAX);
    const ConditionalOddsRatio smooth = ConditionalOddsRatioOf(t[0], t[1], t[2], t[3], 0);
    ASSERT_TRUE(terms.estimate && terms.ci_low && terms.ci_high && smooth.estimate && smooth.ci_low && smooth.ci_high);
    EXPECT_NEAR(*smooth.estimate, *terms.estimate, 1e-12 * *terms.estimate);
    EXPECT_NEAR(*smooth.ci_low, *terms.ci_low, 1e-12 * *terms.ci_low);
    EXPECT_NEAR(*smooth.ci_high, *terms.ci_high, 1e-12 * *terms.ci_high);
  }
}

}  // namespace
}  // namespace kelvasta
