#include "stats/count_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const std::atomic<bool> kRunning{false};

using Expected = std::vector<std::pair<std::string, std::optional<double>>>;

std::vector<std::string> Keys(const FigureList& list) {
  std::vector<std::string> keys;
  for (const Figure& f : list) keys.emplace_back(f.key);
  return keys;
}

std::set<std::string> PresentKeys(const FigureList& list) {
  std::set<std::string> keys;
  for (const Figure& f : list) {
    if (f.value) keys.emplace(f.key);
  }
  return keys;
}

// Each expected key must be listed; a number must match to 1e-9 relative,
// an empty expectation must be empty.
void ExpectFigures(const FigureList& list, const Expected& expected) {
  for (const auto& [key, value] : expected) {
    auto it = std::find_if(list.begin(), list.end(), [&](const Figure& f) { return f.key == key; });
    ASSERT_NE(it, list.end()) << key;
    if (!value) {
      EXPECT_FALSE(it->value) << key;
    } else {
      ASSERT_TRUE(it->value) << key;
      EXPECT_NEAR(*it->value, *value, 1e-9 * std::fabs(*value) + 1e-15) << key;
    }
  }
  for (const Figure& f : list) {
    EXPECT_TRUE(!f.value || std::isfinite(*f.value)) << f.key;
  }
}

TEST(CountFigures, ListsEveryKeyInTheDetailsOrder) {
  EXPECT_EQ(Keys(ListFigures(FourfoldFigures{})),
            (std::vector<std::string>{
                "n", "min_expected", "pearson_chi2", "pearson_p", "yates_chi2", "yates_p", "fisher_p",
                "fisher_p_less", "fisher_p_greater", "conditional_odds_ratio", "conditional_odds_ratio_ci_low",
                "conditional_odds_ratio_ci_high", "odds_ratio", "odds_ratio_ci_low", "odds_ratio_ci_high",
                "relative_risk", "relative_risk_ci_low", "relative_risk_ci_high", "risk_difference",
                "risk_difference_ci_low", "risk_difference_ci_high"}));
  EXPECT_EQ(Keys(ListFigures(PairedFourfoldFigures{})),
            (std::vector<std::string>{"n", "mcnemar_chi2", "mcnemar_p", "mcnemar_cc_chi2", "mcnemar_cc_p",
                                      "mcnemar_exact_p", "mcnemar_mid_p", "discordant_ratio",
                                      "discordant_ratio_ci_low", "discordant_ratio_ci_high", "kappa",
                                      "kappa_ci_low", "kappa_ci_high"}));
  EXPECT_EQ(Keys(ListFigures(RxcFigures{})),
            (std::vector<std::string>{"n", "chi2", "df", "p", "cramers_v", "min_expected",
                                      "share_expected_below_5", "fisher_p"}));
  EXPECT_EQ(Keys(ListFigures(OrdinalFigures{})),
            (std::vector<std::string>{"n1", "n2", "u", "z", "z_corrected", "p", "prob_superiority", "ridit_1",
                                      "ridit_2", "ridit_1_ci_low", "ridit_1_ci_high", "ridit_2_ci_low",
                                      "ridit_2_ci_high"}));
}

struct FourfoldCase {
  const char* name;
  std::array<double, 4> cells;
  Expected figures;
  FourfoldRule rule;
  const char* source;
};

TEST(FourfoldCountFigures, ReferenceTables) {
  // clang-format off
  std::vector<FourfoldCase> cases{
      {"tea tasting", {3, 1, 1, 3},
       {{"n", 8}, {"min_expected", 2}, {"pearson_chi2", 2}, {"pearson_p", 0.15729920705028105},
        {"yates_chi2", 0.5}, {"yates_p", 0.47950012218695337}, {"fisher_p", 34.0 / 70},
        {"fisher_p_less", 69.0 / 70}, {"fisher_p_greater", 17.0 / 70}, {"conditional_odds_ratio", 6.4083196581996743},
        {"conditional_odds_ratio_ci_low", 0.21173559544657857}, {"conditional_odds_ratio_ci_high", 626.24353058881404},
        {"odds_ratio", 9},
        {"odds_ratio_ci_low", 0.36663693192554553}, {"odds_ratio_ci_high", 220.92700692915736},
        {"relative_risk", 3}, {"relative_risk_ci_low", 0.5012843093869408},
        {"relative_risk_ci_high", 17.953883318244678}, {"risk_difference", 0.5},
        {"risk_difference_ci_low", -0.10011395954441371}, {"risk_difference_ci_high", 1.1001139595444136}},
       FourfoldRule::FisherExact,
       "Agresti's tea tasting (Fisher 0.486 two-sided, 0.243 one-sided); scipy 1.10 chi2_contingency; "
       "Woolf and log RR intervals with scipy norm.ppf(0.975); conditional OR: exact noncentral law in Python "
       "integers, roots in mpmath (R's fisher.test: 6.408309, 0.2117329 ~ 621.9337 at its uniroot tolerance)"},
      {"pearson rule", {30, 10, 15, 25},
       {{"pearson_chi2", 11.42857142857143}, {"pearson_p", 0.0007232327164301923},
        {"yates_chi2", 9.955555555555556}, {"yates_p", 0.0016036472624141077},
        {"fisher_p", 0.001432873824122424}, {"fisher_p_greater", 0.000716436912061212},
        {"odds_ratio_ci_low", 1.9141153873071528}, {"odds_ratio_ci_high", 13.060863606122986},
        {"relative_risk_ci_low", 1.29031440085543}, {"relative_risk_ci_high", 3.1000196520694105},
        {"risk_difference_ci_low", 0.1737156588318198}, {"risk_difference_ci_high", 0.5762843411681802}},
       FourfoldRule::PearsonChiSquare, "scipy 1.10 chi2_contingency; Fisher in exact fractions; n = 80, T >= 17.5"},
      {"yates rule", {30, 2, 10, 5},
       {{"min_expected", 2.234042553191489}, {"yates_chi2", 3.9664118303571434},
        {"yates_p", 0.046416582452488274}, {"fisher_p", 0.02633238237810169}},
       FourfoldRule::YatesChiSquare, "textbook corrected form 47·(130 − 23.5)²/(32·40·7·15); scipy 1.10"},
      {"a million each", {1e6, 999000, 998000, 1e6},
       {{"pearson_chi2", 2.252064627299113}, {"pearson_p", 0.13343626499460812},
        {"fisher_p", 0.13346878907935988}, {"odds_ratio_ci_low", 0.9990815249409213},
        {"risk_difference_ci_high", 0.0017309749791174277}},
       FourfoldRule::PearsonChiSquare, "scipy 1.10 chi2_contingency and fisher_exact"},
      {"zero cell", {20, 0, 5, 3},
       {{"odds_ratio", std::nullopt}, {"odds_ratio_ci_low", std::nullopt}, {"relative_risk", 20.0 / 20 / (5.0 / 8)},
        {"fisher_p_less", 1}},
       FourfoldRule::FisherExact, "b·c = 0 leaves no odds ratio; no 0.5 added"},
  };
  // clang-format on
  ForEachCase(cases, [](const FourfoldCase& c) {
    FourfoldFigures f = FourfoldCountFigures(c.cells);
    ExpectFigures(ListFigures(f), c.figures);
    EXPECT_EQ(f.rule, c.rule);
    EXPECT_EQ(f.note, CountNote::None);
  });
}

// Input the grid accepts but the tests cannot use: which figures remain.
struct HostileCase {
  const char* name;
  std::vector<double> cells;
  std::set<std::string> present;
  CountNote note;
  const char* source;
};

const std::set<std::string> kFourfoldCheap{"n",
                                           "min_expected",
                                           "pearson_chi2",
                                           "pearson_p",
                                           "yates_chi2",
                                           "yates_p",
                                           "odds_ratio",
                                           "odds_ratio_ci_low",
                                           "odds_ratio_ci_high",
                                           "relative_risk",
                                           "relative_risk_ci_low",
                                           "relative_risk_ci_high",
                                           "risk_difference",
                                           "risk_difference_ci_low",
                                           "risk_difference_ci_high"};

TEST(FourfoldCountFigures, HostileInput) {
  // clang-format off
  std::vector<HostileCase> cases{
      {"decimals", {2.5, 10, 7.5, 20}, kFourfoldCheap, CountNote::NonWhole, "no exact test of non-whole counts"},
      {"negative", {-1, 10, 7, 20}, {"n"}, CountNote::Negative, "no figure of a negative count"},
      {"nan", {kNaN, 10, 7, 20}, {}, CountNote::NotFinite, "nothing to compute"},
      {"infinity", {kInf, 10, 7, 20}, {}, CountNote::NotFinite, "nothing to compute"},
      {"huge", {1e308, 1e308, 1, 1e308}, {"min_expected", "pearson_chi2", "pearson_p", "yates_chi2", "yates_p",
        "odds_ratio", "odds_ratio_ci_low", "relative_risk", "relative_risk_ci_low", "risk_difference",
        "risk_difference_ci_low", "risk_difference_ci_high"}, CountNote::TooLarge,
       "too large to enumerate; n and the upper ratio limits pass the largest double"},
      {"zero column", {0, 5, 0, 7}, {"n", "min_expected", "risk_difference", "risk_difference_ci_low",
                                     "risk_difference_ci_high"}, CountNote::ZeroTotal,
       "zero first column: no chi-square, no ratio"},
      {"all zero", {0, 0, 0, 0}, {"n"}, CountNote::ZeroTotal, "n = 0"},
  };
  // clang-format on
  ForEachCase(cases, [](const HostileCase& c) {
    FourfoldFigures f = FourfoldCountFigures({c.cells[0], c.cells[1], c.cells[2], c.cells[3]});
    EXPECT_EQ(PresentKeys(ListFigures(f)), c.present);
    EXPECT_EQ(f.note, c.note);
    ExpectFigures(ListFigures(f), {});
  });
  EXPECT_NEAR(*FourfoldCountFigures({1e308, 1e308, 1, 1e308}).pearson_chi2, 7.5e307, 7.5e298)
      << "n(ad − bc)²/(R1R2C1C2) = 3e308·1e616/(2e308·1e308·1e308·2e308)";
}

struct PairedCase {
  const char* name;
  std::array<double, 4> cells;
  Expected figures;
  PairedRule rule;
  const char* source;
};

TEST(PairedFourfoldCountFigures, ReferenceTables) {
  // clang-format off
  std::vector<PairedCase> cases{
      {"presidential approval", {794, 150, 86, 570},
       {{"n", 1600}, {"mcnemar_chi2", 17.35593220338983}, {"mcnemar_p", 3.099293441045215e-05},
        {"mcnemar_cc_chi2", 16.81779661016949}, {"mcnemar_cc_p", 4.114562281345944e-05},
        {"mcnemar_exact_p", 3.715936139571387e-05}, {"mcnemar_mid_p", 2.8933895176154288e-05},
        {"discordant_ratio", 150.0 / 86}, {"discordant_ratio_ci_low", 1.3292282526052641},
        {"discordant_ratio_ci_high", 2.3009790804219916}, {"kappa", 0.6995926680244399},
        {"kappa_ci_low", 0.664205173794606}, {"kappa_ci_high", 0.7349801622542738}},
       PairedRule::McNemarChiSquare,
       "Agresti, Categorical Data Analysis, approval ratings: z² = 17.36; scipy 1.10 binomtest, binom, beta.ppf, "
       "norm.ppf; kappa in exact fractions"},
      {"small discordance", {10, 2, 8, 15},
       {{"mcnemar_chi2", 3.6}, {"mcnemar_cc_chi2", 2.5}, {"mcnemar_exact_p", 0.109375},
        {"mcnemar_mid_p", 0.06542968749999996}, {"discordant_ratio", 0.25},
        {"discordant_ratio_ci_low", 0.025862744910841284}, {"discordant_ratio_ci_high", 1.2527366023301056},
        {"kappa", 0.4336569579288026}, {"kappa_ci_low", 0.13699378153053482}},
       PairedRule::ExactBinomial, "2·P(X <= 2), X ~ B(10, 1/2) = 112/1024; scipy 1.10"},
      {"no b", {20, 0, 5, 3},
       {{"mcnemar_exact_p", 0.0625}, {"mcnemar_mid_p", 0.03125}, {"discordant_ratio", 0},
        {"discordant_ratio_ci_low", 0}, {"discordant_ratio_ci_high", 1.091279105182546},
        {"kappa_ci_low", 0.0337759914593167}},
       PairedRule::ExactBinomial, "2/32 and 1/32; scipy 1.10 beta.ppf(0.975, 1, 5)"},
      {"no c", {3, 5, 0, 20},
       {{"discordant_ratio", std::nullopt}, {"discordant_ratio_ci_low", 0.9163558573154597},
        {"discordant_ratio_ci_high", std::nullopt}},
       PairedRule::ExactBinomial, "pL = 0.025^(1/5) (scipy 1.10 beta.ppf(0.025, 5, 1)), pU = 1"},
  };
  // clang-format on
  ForEachCase(cases, [](const PairedCase& c) {
    PairedFourfoldFigures f = PairedFourfoldCountFigures(c.cells);
    ExpectFigures(ListFigures(f), c.figures);
    EXPECT_EQ(f.rule, c.rule);
  });
}

const std::set<std::string> kPairedCheap{
    "n",     "mcnemar_chi2", "mcnemar_p",    "mcnemar_cc_chi2", "mcnemar_cc_p", "discordant_ratio",
    "kappa", "kappa_ci_low", "kappa_ci_high"};

TEST(PairedFourfoldCountFigures, HostileInput) {
  // clang-format off
  std::vector<HostileCase> cases{
      {"decimal b", {3, 2.5, 4, 6}, kPairedCheap, CountNote::NonWhole, "no binomial of 6.5 pairs"},
      {"decimal a only", {3.5, 2, 4, 6}, {"n", "mcnemar_chi2", "mcnemar_p", "mcnemar_cc_chi2", "mcnemar_cc_p",
        "mcnemar_exact_p", "mcnemar_mid_p", "discordant_ratio", "discordant_ratio_ci_low",
        "discordant_ratio_ci_high", "kappa", "kappa_ci_low", "kappa_ci_high"}, CountNote::None,
       "the exact figures read only b and c"},
      {"no discordant pairs", {5, 0, 0, 5}, {"n", "mcnemar_exact_p", "mcnemar_mid_p", "kappa", "kappa_ci_low",
        "kappa_ci_high"}, CountNote::None, "B(0, 1/2): P = 1; nothing to divide by"},
      {"negative", {5, -2, 3, 5}, {"n"}, CountNote::Negative, "no figure of a negative count"},
      {"nan", {5, 2, kNaN, 5}, {}, CountNote::NotFinite, "nothing to compute"},
      {"huge", {1, 1e308, 1e308, 1}, {"mcnemar_chi2", "mcnemar_p", "mcnemar_cc_chi2", "mcnemar_cc_p",
        "discordant_ratio", "kappa", "kappa_ci_low", "kappa_ci_high"}, CountNote::TooLarge,
       "too large for the binomial; n = 2e308 passes the largest double"},
  };
  // clang-format on
  ForEachCase(cases, [](const HostileCase& c) {
    PairedFourfoldFigures f = PairedFourfoldCountFigures({c.cells[0], c.cells[1], c.cells[2], c.cells[3]});
    EXPECT_EQ(PresentKeys(ListFigures(f)), c.present);
    EXPECT_EQ(f.note, c.note);
    ExpectFigures(ListFigures(f), {});
  });
}

struct RxcCase {
  const char* name;
  std::array<double, 12> cells;
  Expected figures;  // fisher_p after the exact test
  RxcRule rule;
  CountNote note;
  const char* source;
};

TEST(RxcCountFigures, ReferenceTables) {
  // clang-format off
  std::vector<RxcCase> cases{
      {"sparse 3 x 4", {3, 1, 0, 2, 1, 4, 2, 0, 0, 1, 3, 4},
       {{"n", 21}, {"chi2", 13.104166666666668}, {"df", 6}, {"p", 0.04141127420698524},
        {"cramers_v", 0.5585731538965762}, {"min_expected", 1.1428571428571428}, {"share_expected_below_5", 1},
        {"fisher_p", 0.03535061429798272}},
       RxcRule::FisherExact, CountNote::None,
       "scipy 1.10 chi2_contingency and contingency.association; Freeman-Halton in exact fractions"},
      {"empty row and columns", {5, 0, 3, 0, 0, 0, 0, 0, 1, 0, 6, 0},
       {{"n", 15}, {"chi2", 3.616071428571428}, {"df", 1}, {"p", 0.05722385087767782},
        {"cramers_v", 0.4909902530309828}, {"min_expected", 2.8}, {"fisher_p", 0.11888111888111888}},
       RxcRule::FisherExact, CountNote::None, "scipy 1.10 on the 2 x 2 table left"},
      {"many tables", {10, 8, 6, 4, 7, 9, 5, 3, 2, 4, 8, 9},
       {{"chi2", 11.660310398472891}, {"df", 6}, {"p", 0.06999031925308553}, {"cramers_v", 0.2788106932247864},
        {"min_expected", 4.906666666666666}, {"share_expected_below_5", 1.0 / 12}, {"fisher_p", std::nullopt}},
       RxcRule::ChiSquare, CountNote::TooManyTables, "scipy 1.10; 3 030 216 tables share these margins"},
      {"decimals", {1.5, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {{"fisher_p", std::nullopt}},
       RxcRule::FisherExact, CountNote::NonWhole, "no exact test of non-whole counts"},
      {"one column", {3, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0}, {{"n", 7}, {"chi2", std::nullopt}, {"fisher_p", std::nullopt}},
       RxcRule::FisherExact, CountNote::ZeroTotal, "a single column in use"},
      {"huge", {1e308, 1, 1, 1, 1, 1e308, 1, 1, 1, 1, 1, 1}, {{"df", 6}, {"fisher_p", std::nullopt}},
       RxcRule::FisherExact, CountNote::TooLarge, "too large to enumerate"},
      {"negative", {1, -1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {{"n", 10}, {"chi2", std::nullopt}},
       RxcRule::FisherExact, CountNote::Negative, "no figure of a negative count"},
      {"nan", {1, kNaN, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {{"n", std::nullopt}},
       RxcRule::FisherExact, CountNote::NotFinite, "nothing to compute"},
  };
  // clang-format on
  ForEachCase(cases, [](const RxcCase& c) {
    RxcFigures f = RxcCountFigures(c.cells);
    EXPECT_FALSE(f.fisher_p);
    SetRxcExact(f, RxcExact(c.cells, kRunning));
    ExpectFigures(ListFigures(f), c.figures);
    EXPECT_EQ(f.rule, c.rule);
    EXPECT_EQ(f.note, c.note);
  });
}

struct OrdinalCase {
  const char* name;
  std::array<double, 8> cells;
  Expected figures;
  CountNote note;
  const char* source;
};

TEST(OrdinalCountFigures, ReferenceTables) {
  // clang-format off
  std::vector<OrdinalCase> cases{
      {"group 1 milder", {40, 30, 20, 10, 20, 25, 30, 25},
       {{"n1", 100}, {"n2", 100}, {"u", 3450}, {"z", -3.7872527750454617}, {"z_corrected", -3.92457838677525},
        {"p", 8.688176635284521e-05}, {"prob_superiority", 0.345}, {"ridit_1", 0.4225}, {"ridit_2", 0.5775},
        {"ridit_1_ci_low", 0.3659196736194167}, {"ridit_1_ci_high", 0.4790803263805833},
        {"ridit_2_ci_low", 0.5209196736194167}, {"ridit_2_ci_high", 0.6340803263805833}},
       CountNote::None, "scipy 1.10 mannwhitneyu (asymptotic, no continuity correction); Ridits in exact fractions"},
      {"group 1 more severe", {0, 3, 5, 2, 4, 4, 1, 0},
       {{"u", 78.5}, {"z", 2.7352635461078822}, {"z_corrected", 2.866506470408541}, {"p", 0.004150296751778761},
        {"prob_superiority", 0.8722222222222222}, {"ridit_1", 0.6763157894736842},
        {"ridit_2_ci_high", 0.4926946551867397}},
       CountNote::None, "scipy 1.10 mannwhitneyu; Ridits in exact fractions"},
      {"one grade only", {5, 0, 0, 0, 7, 0, 0, 0},
       {{"u", 17.5}, {"z", 0}, {"z_corrected", std::nullopt}, {"p", std::nullopt}, {"ridit_1", 0.5}},
       CountNote::None, "all ties: no variance left after the correction"},
      {"empty group", {0, 0, 0, 0, 1, 2, 3, 4}, {{"n1", 0}, {"u", std::nullopt}, {"ridit_1", std::nullopt},
        {"ridit_2", 0.5}}, CountNote::ZeroTotal, "group 1 empty; group 2's mean Ridit against itself is 1/2"},
      {"huge", {1e308, 1, 1, 1, 1, 1, 1, 1e308}, {{"u", 1e308}, {"ridit_1", 0.25}, {"ridit_2", 0.75}},
       CountNote::None, "long double sums: U ≈ 1e308·0.5 + 1·(3 + 1e308/2); Ridits 1/4 and 3/4"},
      {"negative", {1, -1, 1, 1, 1, 1, 1, 1}, {{"n1", 2}, {"u", std::nullopt}}, CountNote::Negative,
       "no figure of a negative count"},
      {"infinity", {1, kInf, 1, 1, 1, 1, 1, 1}, {{"n1", std::nullopt}}, CountNote::NotFinite, "nothing to compute"},
  };
  // clang-format on
  ForEachCase(cases, [](const OrdinalCase& c) {
    OrdinalFigures f = OrdinalCountFigures(c.cells);
    ExpectFigures(ListFigures(f), c.figures);
    EXPECT_EQ(f.note, c.note);
  });
}

}  // namespace
}  // namespace kelvasta
