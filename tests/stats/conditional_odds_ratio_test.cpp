#include "stats/conditional_odds_ratio.h"

#include <gtest/gtest.h>

#include <array>
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

// The smooth law's integrals against the term-by-term sums where both hold.
TEST(ConditionalOddsRatio, SmoothLawAgreesWithTheTerms) {
  const std::array<std::uint64_t, 4> tables[] = {{400000, 410000, 395000, 402000}, {90000, 100000, 120000, 80000}};
  for (const auto& t : tables) {
    SCOPED_TRACE(::testing::PrintToString(t));
    const ConditionalOddsRatio terms = ConditionalOddsRatioOf(t[0], t[1], t[2], t[3]);
    const ConditionalOddsRatio smooth = ConditionalOddsRatioOf(t[0], t[1], t[2], t[3], 0);
    ASSERT_TRUE(terms.estimate && terms.ci_low && terms.ci_high && smooth.estimate && smooth.ci_low && smooth.ci_high);
    EXPECT_NEAR(*smooth.estimate, *terms.estimate, 1e-10);
    EXPECT_NEAR(*smooth.ci_low, *terms.ci_low, 1e-10);
    EXPECT_NEAR(*smooth.ci_high, *terms.ci_high, 1e-10);
  }
}

}  // namespace
}  // namespace kelvasta
