#include "stats/mean_figures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "case_table.h"
#include "stats/correlation_figures.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Each figure against its expected value (NaN: expected empty), relative
// 1e-9; figures from the studentized range ("tukey_...") 1e-6.
void ExpectFigures(const FigureList& figures, const std::vector<double>& expected) {
  ASSERT_EQ(figures.size(), expected.size());
  for (std::size_t i = 0; i < figures.size(); ++i) {
    SCOPED_TRACE(std::string(figures[i].key));
    if (std::isnan(expected[i])) {
      EXPECT_FALSE(figures[i].value.has_value());
      continue;
    }
    ASSERT_TRUE(figures[i].value.has_value());
    const double tolerance = figures[i].key.starts_with("tukey") ? 1e-6 : 1e-9;
    EXPECT_NEAR(*figures[i].value, expected[i], tolerance * std::fabs(expected[i]) + 1e-300);
  }
}

std::string Keys(const FigureList& figures) {
  std::string keys;
  for (const Figure& f : figures) {
    keys += std::string(keys.empty() ? "" : " ") + std::string(f.key);
  }
  return keys;
}

// The exact keys of the automation dump, in the pane's order.
TEST(MeanFigures, KeysInThePanesOrder) {
  EXPECT_EQ(Keys(ListFigures(TwoSampleFigures{})),
            "n1 n2 mean1 mean2 sd1 sd2 mean_difference t df p ci_low ci_high welch_t welch_df welch_p welch_ci_low "
            "welch_ci_high variance_ratio variance_ratio_p cohens_d hedges_g");
  EXPECT_EQ(Keys(ListFigures(PairedTFigures{})), "n mean_difference sd_difference t df p ci_low ci_high cohens_dz");
  std::string anova =
      "n ss_between ss_within ss_total df_between df_within ms_between ms_within f p eta_squared omega_squared "
      "welch_f welch_df1 welch_df2 welch_p bartlett_chi2 bartlett_p";
  for (const std::string pair : {"12", "13", "23"}) {
    for (const std::string stem : {"diff_", "tukey_p_", "tukey_ci_low_", "tukey_ci_high_", "lsd_p_", "bonferroni_p_"}) {
      anova += " " + stem + pair;
    }
  }
  EXPECT_EQ(Keys(ListFigures(AnovaFigures{})), anova);
  EXPECT_EQ(Keys(ListFigures(CorrelationFigures{}, SpearmanFigures{})),
            "n r r_squared t df p r_ci_low r_ci_high slope slope_se slope_ci_low slope_ci_high intercept "
            "intercept_se intercept_ci_low intercept_ci_high spearman_rho spearman_p");
}

struct MomentsCase {
  const char* name;
  std::vector<double> values;
  double n, mean, sd;  // NaN: not defined
  const char* source;
};

TEST(MeanFigures, GroupMomentsHardRows) {
  // clang-format off
  std::vector<MomentsCase> cases{
      {"large common part", {1000001, 1000002, 1000003, 1000004}, 4, 1000002.5, 1.2909944487358056,
       "exact: sd = √(5/3)"},
      {"tiny spread on 1e6", {1e6 + 1 / 1024.0, 1e6 + 2 / 1024.0, 1e6 + 3 / 1024.0}, 3, 1e6 + 2 / 1024.0, 1 / 1024.0,
       "exact: binary fractions"},
      {"one and a hair", {1, 1.00000001}, 2, 1.000000005, (1.00000001 - 1) / std::sqrt(2.0),
       "exact: sd = (b − a)/√2, the subtraction exact in doubles"},
      {"tiny values", {1e-300, 2e-300, 3e-300}, 3, 2e-300, 1e-300, "exact, scaled"},
      {"huge values", {1e308, 1e308, 1e308}, 3, 1e308, 0, "all equal"},
      {"all equal", {7.25, 7.25, 7.25, 7.25}, 4, 7.25, 0, "all equal"},
      {"missing skipped", {kNaN, 2, kNaN, 4, 6}, 3, 4, 2, "exact"},
      {"single value", {42}, 1, 42, kNaN, "n = 1: no sd"},
      {"empty", {}, 0, kNaN, kNaN, "n = 0"},
      {"infinity", {1, kInf}, 2, kNaN, kNaN, "non-finite"},
      {"spread beyond double", {1.5e308, -1.5e308}, 2, 0, kNaN, "sd = √2·1.5e308 overflows a double"},
      {"huge spread", {1e308, -1e308}, 2, 0, std::sqrt(2.0) * 1e308, "exact: sd = √2·1e308, squares in long double"},
  };
  // clang-format on
  ForEachCase(cases, [](const MomentsCase& c) {
    const GroupMoments g = ComputeGroupMoments(c.values);
    EXPECT_EQ(g.n, c.n);
    for (const auto& [actual, expected, tolerance] :
         {std::tuple{g.mean, c.mean, 1e-15}, std::tuple{g.sd, c.sd, 1e-12}}) {
      if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual));
      } else {
        EXPECT_NEAR(actual, expected, tolerance * std::fabs(expected));
      }
    }
  });
}

const std::vector<double> kSleep1{0.7, -1.6, -0.2, -1.2, -0.1, 3.4, 3.7, 0.8, 0.0, 2.0};
const std::vector<double> kSleep2{1.9, 0.8, 1.1, 0.1, -0.1, 4.4, 5.5, 1.6, 4.6, 3.4};

struct TwoSampleCase {
  const char* name;
  GroupMoments first, second;
  std::vector<double> figures;  // in ListFigures order
  TwoSampleTest sentence;
  const char* source;
};

TEST(MeanFigures, TwoSample) {
  const GroupMoments unequal1 = ComputeGroupMoments(std::vector<double>{12.1, 14.3, 11.8, 13.5, 12.9, 13.1});
  const GroupMoments unequal2 =
      ComputeGroupMoments(std::vector<double>{10.2, 18.7, 6.5, 15.1, 21.3, 4.8, 12.0, 16.4});
  // clang-format off
  std::vector<TwoSampleCase> cases{
      {"sleep data", ComputeGroupMoments(kSleep1), ComputeGroupMoments(kSleep2),
       {10, 10, 0.75, 2.33, 1.7890096577591623, 2.002248735796829, -1.58, -1.8608134674868526, 18,
        0.079186714215938175, -3.3638740322875984, 0.20387403228759893, -1.8608134674868526, 17.776473516178495,
        0.0793941401873582, -3.3654832307117104, 0.20548323071171137, 1.2525950355841002, 0.74271993172604556,
        -0.8321810813495395, -0.79701850044744638},
       TwoSampleTest::kPooled,
       "Cushny & Peebles via Student (1908); R's t.test prints Welch t = -1.8608, df = 17.776, p = 0.07939; "
       "full digits: scipy 1.10 ttest_ind_from_stats, t.ppf, f.sf"},
      {"unequal variances", unequal1, unequal2,
       {6, 8, 12.95, 13.125, 0.91596943180435897, 5.8009235717870204, -0.175, -0.072494651199620813, 12,
        0.9434025692027177, -5.4345914165010427, 5.0845914165010448, -0.083943014840146143, 7.4616001062617787,
        0.93530981596404672, -5.0434914440982341, 4.6934914440982363, 40.108121913842993, 0.00085280277681909987,
        -0.039151586370522067, -0.036652548942616402},
       TwoSampleTest::kWelch, "scipy 1.10 as above; larger variance in group 2"},
      {"typed summary", {30, 120.5, 10.2}, {25, 114.3, 12.8},
       {30, 25, 120.5, 114.3, 10.2, 12.8, 6.2, 1.9994371450031034, 53, 0.050699097108930682,
        -0.019562941525469668, 12.419562941525475, 1.9584981123072942, 45.562178154927167, 0.056309980663877712,
        -0.17385844716037901, 12.573858447160385, 1.5747789311803158, 0.24267444994478868, 0.54145013845536316,
        0.53375179525457594},
       TwoSampleTest::kPooled, "scipy 1.10 as above"},
      {"both SDs zero", {3, 5, 0}, {4, 2, 0},
       {3, 4, 5, 2, 0, 0, 3, kNaN, 5, kNaN, 3, 3, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
       TwoSampleTest::kNone, "SE 0: no t; the pooled interval is the point 3"},
      {"one SD zero", {3, 5, 0}, {4, 2, 1},
       {3, 4, 5, 2, 0, 1, 3, 3 / std::sqrt(0.35), 5, 0.0038640304535267666, 3 - 2.570581835636315 * std::sqrt(0.35),
        3 + 2.570581835636315 * std::sqrt(0.35), 6, 3, 0.00927271489228466, 3 - 3.1824463052837091 / 2,
        3 + 3.1824463052837091 / 2, kNaN, kNaN, 3 / std::sqrt(0.6), 3 / std::sqrt(0.6) * (1 - 3 / 19.0)},
       TwoSampleTest::kWelch,
       "exact: s² = 3/5, SE² = 0.35; Welch SE = 1/2, df = 3; P from scipy 1.10 t.sf, t(0.975) by brentq on t.sf; "
       "an infinite variance ratio picks Welch"},
      {"group of one", {1, 5, kNaN}, {4, 2, 1},
       {1, 4, 5, 2, kNaN, 1, 3, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
       TwoSampleTest::kNone, "n < 2: no test"},
  };
  // clang-format on
  ForEachCase(cases, [](const TwoSampleCase& c) {
    const TwoSampleFigures f = ComputeTwoSampleFigures(c.first, c.second);
    ExpectFigures(ListFigures(f), c.figures);
    EXPECT_EQ(f.sentence, c.sentence);
  });
}

struct PairedCase {
  const char* name;
  std::vector<double> first, second;
  std::vector<double> figures;
  const char* source;
};

TEST(MeanFigures, PairedT) {
  // clang-format off
  std::vector<PairedCase> cases{
      {"sleep data", kSleep1, kSleep2,
       {10, -1.58, 1.2299954832798732, -4.0621276833820366, 9, 0.0028328901973842702, -2.4598857632769828,
        -0.70011423672301742, -1.2845575625910546},
       "R's t.test(paired = TRUE) prints t = -4.0621, df = 9, p = 0.002833, CI -2.4598858 -0.7001142; "
       "full digits: scipy 1.10 ttest_rel, t(0.975) by brentq on t.sf"},
      {"incomplete pairs left out", {142, 138, kNaN, 150, 161, 155, 147, 139, 158, 3},
       {135, 136, 120, 144, 150, 148, 143, 140, 149, kNaN},
       {8, 5.625, 3.8521793460696654, 4.1301043246935043, 7, 0.0044034114598628408, 2.4044974728158994,
        8.8455025271841006, 1.4602123874993316},
       "scipy 1.10 ttest_rel on the eight complete pairs"},
      {"equal differences", {1e6 + 3, 1e6 + 5, 1e6 + 7}, {1e6 + 1, 1e6 + 3, 1e6 + 5},
       {3, 2, 0, kNaN, 2, kNaN, 2, 2, kNaN}, "SD 0: no t, the interval is the point 2"},
      {"no pairs", {kNaN}, {1}, {0, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}, "n = 0"},
  };
  // clang-format on
  ForEachCase(cases, [](const PairedCase& c) {
    ExpectFigures(ListFigures(ComputePairedTFigures(c.first, c.second)), c.figures);
  });
}

struct AnovaCase {
  const char* name;
  std::array<std::vector<double>, 3> groups;
  std::vector<double> figures;
  AnovaTest sentence;
  std::array<bool, 3> tukeySignificant;
  const char* source;
};

TEST(MeanFigures, AnalysisOfVariance) {
  // clang-format off
  std::vector<AnovaCase> cases{
      {"three groups", {{{24.5, 23.5, 26.4, 27.1, 29.9}, {28.4, 34.2, 29.5, 32.2, 30.1}, {26.1, 28.3, 24.3, 26.2, 27.8, 25.0}}},
       {16, 72.680041666666696, 58.104333333333358, 130.78437500000007, 2, 13, 36.340020833333348, 4.4695641025641049,
        8.1305514362095757, 0.0051255715294688661, 0.55572419615620483, 0.47126844426470438, 7.0772035411942831, 2,
        7.627933520898825, 0.018280342489894272, 0.99524115669560542, 0.60797557024105919,
        -4.6, 0.011386352272191425, -8.1305178513296621, -1.0694821486703403, 0.0043891674727066302, 0.01316750241811989,
        -0.0033333333333338544, 0.99999626207398828, -3.3835468286140129, 3.3768801619473452, 0.99796198986238305, 1,
        4.5966666666666676, 0.0085969292473824233, 1.2164531713859885, 7.9768801619473466, 0.003290095167969913,
        0.0098702855039097398},
       AnovaTest::kF, {true, false, true},
       "scipy 1.10: f_oneway, bartlett, tukey_hsd (P, confidence_interval), t.sf and f.sf for LSD and Welch's F"},
      {"unequal spreads", {{{10.1, 10.4, 9.8, 10.0, 10.2, 9.9}, {12.5, 8.1, 15.2, 6.9, 13.3, 11.0, 9.4}, {11.0, 10.7, 11.5, 10.2, 11.9}}},
       {18, 3.3622063492063536, 54.91390476190476, 58.276111111111113, 2, 15, 1.6811031746031768, 3.6609269841269838,
        0.45920150330560805, 0.64038068784802415, 0.057694418606551535, -0.063930206235548806, 4.8896617651094516, 2,
        7.059283281206036, 0.046494279203314282, 22.887277816139989, 1.0717432805818563e-05,
        -0.84761904761904816, 0.71092917016956292, -3.6126063867607172, 1.9173682915226209, 0.4382987480926025, 1,
        -0.99333333333333407, 0.67431439597204079, -4.002746600687459, 2.0160799340207913, 0.40473593795111373, 1,
        -0.14571428571428591, 0.99072313940039469, -3.0557794686062123, 2.7643508971776405, 0.89824562168138222, 1},
       AnovaTest::kWelchF, {false, false, false}, "scipy 1.10 as above; Bartlett P < 0.05 picks Welch's F"},
  };
  // clang-format on
  ForEachCase(cases, [](const AnovaCase& c) {
    const AnovaFigures f = ComputeAnovaFigures(
        {ComputeGroupMoments(c.groups[0]), ComputeGroupMoments(c.groups[1]), ComputeGroupMoments(c.groups[2])});
    ExpectFigures(ListFigures(f), c.figures);
    EXPECT_EQ(f.sentence, c.sentence);
    EXPECT_EQ(f.tukey_significant, c.tukeySignificant);
  });
}

// A group of one value adds nothing within groups: F, P, the sums of squares
// and the pairs stand on 4 within-groups df; Welch's F and Bartlett's test
// need two values in every group. Expected: exact fractions (SSb = 108/7,
// SSw = 4, F = 54/7), P values by mpmath 1.2.1 betainc.
TEST(MeanFigures, AnovaWithAGroupOfOneValue) {
  const AnovaFigures f = ComputeAnovaFigures({ComputeGroupMoments(std::vector<double>{5}),
                                              ComputeGroupMoments(std::vector<double>{1, 2, 3}),
                                              ComputeGroupMoments(std::vector<double>{4, 5, 6})});
  for (const auto& [figure, expected] :
       {std::pair{f.ss_between, 108.0 / 7}, std::pair{f.ss_within, 4.0}, std::pair{f.df_within, 4.0},
        std::pair{f.f, 54.0 / 7}, std::pair{f.p, 0.042387543252595156},
        std::pair{f.pairs[0].lsd_p, 0.060169846503578299}, std::pair{f.pairs[2].lsd_p, 0.021311641128756726}}) {
    ASSERT_TRUE(figure.has_value()) << expected;
    EXPECT_NEAR(*figure, expected, 1e-12 * expected);
  }
  EXPECT_TRUE(f.pairs[2].tukey_p && f.pairs[2].tukey_ci_low);
  EXPECT_FALSE(f.welch_f || f.bartlett_chi2);
  EXPECT_EQ(f.sentence, AnovaTest::kF);
}

TEST(MeanFigures, AnovaEqualValuesWithinGroups) {
  // MSw = 0: F and every P are undefined; nothing may throw or hang.
  const AnovaFigures f = ComputeAnovaFigures({{{3, 1, 0}, {3, 2, 0}, {3, 4, 0}}});
  EXPECT_EQ(f.ss_within, 0.0);
  EXPECT_FALSE(f.f || f.p || f.welch_f || f.bartlett_p || f.pairs[0].tukey_p || f.pairs[0].lsd_p);
  EXPECT_EQ(f.sentence, AnovaTest::kNone);
}

struct CorrelationCase {
  const char* name;
  std::vector<double> x, y;
  std::vector<double> figures;  // with spearman_rho, spearman_p
  const char* source;
};

FigureList AllCorrelationFigures(std::span<const double> x, std::span<const double> y) {
  const std::atomic<bool> cancel{false};
  const SpearmanResult spearman = ComputeSpearman(x, y, cancel);
  EXPECT_EQ(spearman.status, SpearmanStatus::kDone);
  return ListFigures(ComputeCorrelationFigures(x, y), spearman.figures);
}

TEST(CorrelationFigures, Tables) {
  // clang-format off
  std::vector<CorrelationCase> cases{
      {"ties in x", {1, 2, 2, 3, 4, 5, 5, 5, 6, 7}, {2.1, 3.9, 3.5, 6.0, 7.8, 9.9, 10.5, 9.1, 12.3, 13.8},
       {10, 0.99500766898178861, 0.99004026133257261, 28.199892319407095, 8, 2.7013906851546178e-09,
        0.97821883910876395, 0.9988631740314734, 2.0117647058823529, 0.071339446374335411, 1.8472556475399595,
        2.1762737642247463, -0.15705882352941281, 0.3142176669357335, -0.88164606283741964, 0.56752841577859403,
        0.98473192783466179, 2.3341863207874457e-07},
       "scipy 1.10: pearsonr (with confidence_interval), linregress, spearmanr; t(0.975) by brentq on t.sf"},
      {"negative with missing", {3.2, 1.5, kNaN, 4.8, 2.2, 5.9, 0.7, 3.3, 9}, {8.8, 9.9, 1, 6.1, 9.9, 5.0, 12.2, 7.7, kNaN},
       {7, -0.98096193990584168, 0.96228632754383214, -11.29503932602303, 5, 9.5075095970270014e-05,
        -0.99729611960516529, -0.87226348250810282, -1.32548794489093, 0.11735133509779826, -1.6271491552810007,
        -1.0238267345008594, 12.604362801377729, 0.41266500268894096, 11.543573641262725, 13.665151961492732,
        -0.99103120896511487, 1.4561252916129422e-05},
       "scipy 1.10 as above on the seven complete pairs"},
      {"exact line", {1, 2, 3, 4}, {3, 5, 7, 9},
       {4, 1, 1, kNaN, 2, kNaN, kNaN, kNaN, 2, 0, 2, 2, 1, 0, 1, 1, 1, kNaN}, "y = 2x + 1: |r| = 1, no t"},
      {"y constant", {1, 2, 3}, {4, 4, 4},
       {3, kNaN, kNaN, kNaN, 1, kNaN, kNaN, kNaN, 0, 0, 0, 0, 4, 0, 4, 4, kNaN, kNaN}, "flat line, no r"},
      {"x constant", {2, 2, 2}, {1, 2, 3},
       {3, kNaN, kNaN, kNaN, 1, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN},
       "no line of y on x; df = n − 2 = 1"},
      {"two pairs", {1, 2}, {3, 5},
       {2, 1, 1, kNaN, 0, kNaN, kNaN, kNaN, 2, kNaN, kNaN, kNaN, 1, kNaN, kNaN, kNaN, kNaN, kNaN},
       "exact: the line through both points, r = 1; what needs n − 2 > 0 is empty"},
      {"infinite value", {1, 2, kInf, 4}, {2, 1, 3, 5},
       {4, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, 0.6, 0.4},
       "non-finite sums, but ranks are defined: scipy 1.10 spearmanr gives rho 0.6, P 0.4"},
  };
  // clang-format on
  ForEachCase(cases, [](const CorrelationCase& c) { ExpectFigures(AllCorrelationFigures(c.x, c.y), c.figures); });
}

// A near-exact fit: the residual sum of squares (3.0000000701e-15 of the
// doubles; exact decimals give 3e-15 and slope SE 1.7320508076e-08) is what
// the standard errors, t and P stand on. Expected: exact fractions of the
// doubles (Python), t's P and the Fisher-z limit by mpmath 1.2.1.
TEST(CorrelationFigures, NearExactFit) {
  const CorrelationFigures f = ComputeCorrelationFigures(std::vector<double>{1, 2, 3, 4},
                                                         std::vector<double>{10, 20, 30, 40.0000001});
  for (const auto& [figure, expected] : {std::pair{f.slope_se, 1.7320508278097918e-8},
                                         std::pair{f.intercept_se, 4.7434165456845962e-8},
                                         std::pair{f.t, 577350264.17470516}, std::pair{f.p, 3.0000000521165844e-18},
                                         std::pair{f.r_ci_low, 0.99999999999999985}}) {
    ASSERT_TRUE(figure.has_value()) << expected;
    EXPECT_NEAR(*figure, expected, 1e-9 * expected);
  }
}

// Norris: certified B0, B1 with their standard deviations and R-squared,
// then "y x" rows under "Data:".
TEST(CorrelationFigures, NistNorrisCertifiedValues) {
  const char* dir = std::getenv("KELVASTA_NIST_DIR");
  std::ifstream in(dir == nullptr ? "" : std::string(dir) + "/Norris.dat");
  if (!in) {
    GTEST_SKIP() << "NIST reference data not available";
  }
  std::vector<double> x, y;
  double b0 = 0, b0Sd = 0, b1 = 0, b1Sd = 0, rSquared = 0;
  bool inData = false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string first, second, third;
    words >> first >> second >> third;
    if (inData && !second.empty()) {
      y.push_back(std::stod(first));
      x.push_back(std::stod(second));
    } else if (first == "B0") {
      b0 = std::stod(second), b0Sd = std::stod(third);
    } else if (first == "B1") {
      b1 = std::stod(second), b1Sd = std::stod(third);
    } else if (first == "R-Squared") {
      rSquared = std::stod(second);
    } else if (first == "Data:" && second == "y") {
      inData = true;
    }
  }
  ASSERT_EQ(x.size(), 36u);
  const CorrelationFigures f = ComputeCorrelationFigures(x, y);
  SCOPED_TRACE("NIST StRD Norris certified values (15 digits), checked to 1e-10");
  EXPECT_NEAR(*f.slope, b1, 1e-10 * b1);
  EXPECT_NEAR(*f.slope_se, b1Sd, 1e-10 * b1Sd);
  EXPECT_NEAR(*f.intercept, b0, 1e-10 * std::fabs(b0));
  EXPECT_NEAR(*f.intercept_se, b0Sd, 1e-10 * b0Sd);
  EXPECT_NEAR(*f.r_squared, rSquared, 1e-12);
  EXPECT_NEAR(*f.r, std::sqrt(rSquared), 1e-12);
}

TEST(CorrelationFigures, SpearmanCancelled) {
  const std::atomic<bool> cancel{true};
  const std::vector<double> x{1, 2, 3, 4}, y{2, 1, 4, 3};
  const SpearmanResult result = ComputeSpearman(x, y, cancel);
  EXPECT_EQ(result.status, SpearmanStatus::kCancelled);
  EXPECT_FALSE(result.figures.rho || result.figures.p);
}

// Mean of x and y and Σ(x−mx)², Σ(y−my)², Σ(x−mx)(y−my), the textbook way.
struct Naive {
  long double mx = 0, my = 0, xx = 0, yy = 0, xy = 0;
};

template <typename T>
Naive NaiveSums(const std::vector<T>& x, const std::vector<T>& y) {
  Naive s;
  const auto n = static_cast<long double>(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) s.mx += x[i] / n, s.my += y[i] / n;
  for (std::size_t i = 0; i < x.size(); ++i) {
    s.xx += (x[i] - s.mx) * (x[i] - s.mx), s.yy += (y[i] - s.my) * (y[i] - s.my), s.xy += (x[i] - s.mx) * (y[i] - s.my);
  }
  return s;
}

// Naive long double formulas on random data in eighths (exact in doubles),
// half of the sets shifted by 1e6; Spearman against average ranks found by
// counting (rank = values below + (values equal + 1)/2).
TEST(MeanFigures, RandomDataAgreeWithNaiveFormulas) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> eighths(-100, 100), size(3, 30);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const int n = size(random);
    std::vector<double> x, y, rx, ry;
    for (int i = 0; i < n; ++i) {
      x.push_back((round % 2) * 1e6 + eighths(random) / 8.0);
      y.push_back((round % 2) * 1e6 + 3 + eighths(random) / 20 / 8.0 + x.back() / 2);
    }
    for (int i = 0; i < n; ++i) {
      rx.push_back(0.5), ry.push_back(0.5);
      for (int j = 0; j < n; ++j) {
        rx.back() += (x[j] < x[i]) + 0.5 * (x[j] == x[i]), ry.back() += (y[j] < y[i]) + 0.5 * (y[j] == y[i]);
      }
    }
    const Naive s = NaiveSums(x, y), ranks = NaiveSums(rx, ry);
    const long double m = n, pooled = (s.xx + s.yy) / (2 * m - 2), d = s.mx - s.my;
    // The means travel as doubles, so t is known to ~1e-10 absolute near 0.
    const TwoSampleFigures two = ComputeTwoSampleFigures(ComputeGroupMoments(x), ComputeGroupMoments(y));
    EXPECT_NEAR(*two.t, d / std::sqrt(pooled * 2 / m), 1e-9 * std::max(1.0, std::fabs(*two.t)));
    EXPECT_NEAR(*two.welch_t, d / std::sqrt((s.xx + s.yy) / (m - 1) / m), 1e-9 * std::max(1.0, std::fabs(*two.t)));
    const long double pairedT = d / std::sqrt((s.xx + s.yy - 2 * s.xy) / (m - 1) / m);
    EXPECT_NEAR(*ComputePairedTFigures(x, y).t, pairedT, 1e-9 * std::fabs(pairedT));
    const CorrelationFigures c = ComputeCorrelationFigures(x, y);
    const std::atomic<bool> cancel{false};
    const SpearmanFigures rho = ComputeSpearman(x, y, cancel).figures;
    if (s.xx > 0 && s.yy > 0 && ranks.xx > 0 && ranks.yy > 0) {
      EXPECT_NEAR(*c.r, s.xy / std::sqrt(s.xx * s.yy), 1e-9);
      EXPECT_NEAR(*c.slope, s.xy / s.xx, 1e-9 * std::fabs(*c.slope) + 1e-12);
      const long double se = std::sqrt((s.yy - s.xy * s.xy / s.xx) / (m - 2) / s.xx);
      EXPECT_NEAR(*c.slope_se, se, 1e-9 * se);
      EXPECT_NEAR(*rho.rho, ranks.xy / std::sqrt(ranks.xx * ranks.yy), 1e-12);
    }
  }
}

}  // namespace
}  // namespace kelvasta
