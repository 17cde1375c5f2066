#include "stats/fourfold.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

const std::string kWarning(kFourfoldWarning);

struct FourfoldCase {
  const char* name;
  std::array<std::string, 4> cells;
  std::array<std::string, 4> theoretical;
  std::string n;
  std::string chiSquare;
  std::string verdict;
  const char* source;
};

void ExpectCaptions(const FourfoldCase& c) {
  FourfoldCaptions out = FourfoldChiSquare(ComputeCountTotals(c.cells));
  EXPECT_EQ(out.theoretical, c.theoretical);
  EXPECT_EQ(out.n, c.n);
  EXPECT_EQ(out.chiSquare, c.chiSquare);
  EXPECT_EQ(out.verdict, c.verdict);
}

TEST(FourfoldChiSquare, WorkedExamples) {
  // clang-format off
  std::vector<FourfoldCase> cases{
      {"pearson not significant", {"20", "30", "25", "25"},
       {"22.5000", "27.5000", "22.5000", "27.5000"}, "100", "1.0101", "p > 0.05",
       "worked example: all T >= 5, 100·250000/(50·45·55·50)"},
      {"pearson p01", {"30", "10", "15", "25"}, {"22.5000", "17.5000", "22.5000", "17.5000"},
       "80", "11.4286", "p < 0.01", "worked example"},
      {"corrected p05", {"30", "2", "10", "5"}, {"27.2340", "4.7660", "12.7660", "2.2340"}, "47",
       "3.9664", "p < 0.05", "worked example: 47·(130-23.5)²/(32·40·7·15)"},
      {"corrected small n", {"15", "1", "5", "5"}, {"12.3077", "3.6923", "7.6923", "2.3077"},
       "26", "4.3997", kWarning, "worked example: n < 40 replaces the verdict"},
      {"pearson small n", {"10", "2", "4", "8"}, {"7.0000", "5.0000", "7.0000", "5.0000"}, "24",
       "6.1714", kWarning, "worked example: T of b and d exactly 5 reach 5"},
      {"empty cell", {"12", "", "8", "20"}, {"6.0000", "6.0000", "14.0000", "14.0000"}, "40",
       "17.1429", "p < 0.01", "worked example totals; 40·240²/(12·20·20·28)"},
      {"half counts", {"2.5", "10", "7.5", "20"}, {"3.1250", "9.3750", "6.8750", "20.6250"}, "40",
       "0.0097", "p > 0.05", "exact fractions: 40·(|50-75|-20)²/(12.5·10·30·27.5)"},
      {"grand total half down", {"10.5", "10", "10", "10"}, {"10.5063", "10.2500", "10.2500", "10.0000"},
       "40", "0.0059", "p > 0.05", "n = 40.5 rounded half to even"},
      {"grand total half up", {"11.5", "10", "10", "10"}, {"11.0060", "10.2381", "10.2381", "9.5238"},
       "42", "0.0511", "p > 0.05", "n = 41.5 rounded half to even"},
      {"some T below one", {"3", "2.5", "4", "30.5"}, {"0.9625", "4.5375", "6.0375", "28.4625"},
       "40", "3.4516", kWarning, "exact fractions; T of a below 1 warns at n = 40"},
      {"corrected with verdict", {"20", "1", "20", "1"}, {"20.0000", "1.0000", "20.0000", "1.0000"},
       "42", "0.5250", "p > 0.05", "exact fractions: every T >= 1, n >= 40"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(FourfoldChiSquare, VerdictJudgesTheShownStatistic) {
  // clang-format off
  std::vector<FourfoldCase> cases{
      {"shown reaches 3.84", {"3", "9", "17", "12"}, {"5.8537", "6.1463", "14.1463", "14.8537"},
       "41", "3.8400", "p < 0.05", "exact 3.8399630…, shown as 3.8400"},
      {"shown below 3.84", {"4", "16", "23", "28"}, {"7.6056", "12.3944", "19.3944", "31.6056"},
       "71", "3.8399", "p > 0.05", "exact 3.8399154…"},
      {"exactly 3.84 corrected", {"1", "5", "59", "31"}, {"3.7500", "2.2500", "56.2500", "33.7500"},
       "96", "3.8400", "p < 0.05", "exact fractions: 96·(|31-295|-48)²/(6·60·36·90) = 3.84"},
      {"exactly 6.63", {"4", "13", "21", "13"}, {"8.3333", "8.6667", "16.6667", "17.3333"}, "51",
       "6.6300", "p < 0.01", "exact fractions: 51·(52-273)²/(17·25·26·34) = 6.63"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(FourfoldChiSquare, TdIsComparedAfterRoundingButTheOthersAreNot) {
  // Mirror-image tables: the frequency 4.99996 is Td in the first and Ta in
  // the second. Td rounds to 5.0000 and reaches 5 (Pearson); Ta does not
  // (corrected), though both are shown as 5.0000.
  // clang-format off
  std::vector<FourfoldCase> cases{
      {"Td 4.99996", {"45.0004", "44.9996", "5", "5"}, {"45.0004", "44.9996", "5.0000", "5.0000"},
       "100", "0.0000", "p > 0.05", "exact fractions: Pearson, 100·0.004²/D"},
      {"Ta 4.99996", {"5", "5", "44.9996", "45.0004"}, {"5.0000", "5.0000", "44.9996", "45.0004"},
       "100", "0.1111", "p > 0.05", "exact fractions: corrected, 100·(0.004-50)²/D"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(FourfoldChiSquare, StatisticThatCannotBeComputedHasNoText) {
  // clang-format off
  std::vector<FourfoldCase> cases{
      {"all empty", {"", "", "", ""}, {"", "", "", "0.0000"}, "0", "", kWarning,
       "n = 0: Td keeps 0, the warning for n < 40"},
      {"not numbers", {"-", "12-", ".", "1.2.3"}, {"", "", "", "0.0000"}, "0", "", kWarning,
       "non-numbers count as 0"},
      {"zero column small n", {"10", "0", "10", "0"}, {"10.0000", "0.0000", "10.0000", "0.0000"},
       "20", "", kWarning, "D = 0"},
      {"zero column large n", {"30", "", "20", ""}, {"30.0000", "0.0000", "20.0000", "0.0000"},
       "50", "", kWarning, "D = 0; T of b is 0, below 1"},
      {"overflowing total", {"900000000000000", "100000000000000", "1", "1"}, {"", "", "", ""},
       "", "", kWarning, "a + b exceeds Currency: nothing built on it has a value"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

TEST(FourfoldChiSquare, LargeTablesKeepTheirTrueSizeAndStatistic) {
  // clang-format off
  std::vector<FourfoldCase> cases{
      {"totals of 6000", {"4000", "2000", "2000", "4000"},
       {"3000.0000", "3000.0000", "3000.0000", "3000.0000"}, "12000", "1333.3333", "p < 0.01",
       "12000·(12·10^6)²/6000^4 = 4000/3"},
      {"100000 cases", {"30000", "20000", "20000", "30000"},
       {"25000.0000", "25000.0000", "25000.0000", "25000.0000"}, "100000", "4000.0000", "p < 0.01",
       "10^5·(5·10^8)²/(5·10^4)^4 = 4000"},
      {"uneven large", {"123456", "654321", "111111", "999999"},
       {"96586.4118", "681190.5882", "137980.5882", "973129.4118"}, "1888887", "14509.1299",
       "p < 0.01", "exact fractions"},
      {"beyond 128-bit totals product", {"400000000", "300000000", "350000000", "450000000"},
       {"350000000.0000", "350000000.0000", "400000000.0000", "400000000.0000"}, "1500000000",
       "26785714.2857", "p < 0.01", "exact fractions: D = 3.15·10^35"},
  };
  // clang-format on
  ForEachCase(cases, ExpectCaptions);
}

// An independent reading of the two formulas in long double on the counts
// themselves, rounded straight to four decimals.
struct Reference {
  std::array<long double, 4> t{};
  long double chi = 0;
  long long n = 0;
  bool computable = false;
};

// value / divisor rounded half to even, for positive divisors.
long long DivideHalfEven(long long value, long long divisor) {
  long long quotient = value / divisor;
  long long twice = 2 * std::llabs(value % divisor);
  if (twice > divisor || (twice == divisor && quotient % 2 != 0)) {
    quotient += value < 0 ? -1 : 1;
  }
  return quotient;
}

// Cells are given in halves, so every total and product is exact.
Reference Compute(const std::array<long long, 4>& halves) {
  Reference r;
  long long r1 = halves[0] + halves[1], r2 = halves[2] + halves[3];
  long long c1 = halves[0] + halves[2], c2 = halves[1] + halves[3];
  r.n = DivideHalfEven(r1 + r2, 2);
  if (r.n == 0) {
    return r;
  }
  long double n = static_cast<long double>(r.n);
  auto value = [](long long h) { return h / 2.0L; };
  // Td in ten-thousandths, exactly: R2·C2·10^4/n = r2·c2·2500/n in halves.
  long double td = DivideHalfEven(r2 * c2 * 2500, r.n) / 10000.0L;
  r.t = {value(r1) * value(c1) / n, value(r1) * value(c2) / n, value(r2) * value(c1) / n, td};
  bool pearson = true;
  for (long double t : r.t) {
    pearson = pearson && t >= 5;
  }
  long double diff = (value(halves[0]) * value(halves[3]) - value(halves[1]) * value(halves[2]));
  long double y = pearson ? diff : std::fabs(diff) - n / 2;
  long double d = value(r1) * value(c1) * value(c2) * value(r2);
  r.computable = d != 0;
  r.chi = r.computable ? n * y * y / d : 0;
  return r;
}

// Half away from zero at four decimals; `nearTie` when the value is so close
// to a half that the 15-digit text in between may round either way (that
// text is off by at most 5·10^-15 of the value).
std::string FourDecimals(long double v, bool& nearTie) {
  long double scaled = std::fabs(v) * 10000;
  long double distance = std::fabs(scaled - std::floor(scaled) - 0.5L);
  nearTie = nearTie || (distance != 0 && distance < 1e-12L * (scaled + 1));
  auto k = static_cast<long long>(std::floor(scaled + 0.5L));
  std::string fraction = std::to_string(k % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  return (v < 0 && k != 0 ? "-" : "") + std::to_string(k / 10000) + "." + fraction;
}

TEST(FourfoldChiSquare, AgreesWithAnIndependentComputationOnRandomTables) {
  std::mt19937 random(7);
  const std::array<int, 4> kRanges{12, 60, 400, 200000};
  int compared = 0;
  for (int i = 0; i < 20000; ++i) {
    int range = kRanges[static_cast<std::size_t>(i) % kRanges.size()];
    bool halves = i % 5 == 0;
    std::array<long long, 4> inHalves{};
    std::array<std::string, 4> texts;
    for (std::size_t j = 0; j < 4; ++j) {
      int count = std::uniform_int_distribution<int>(0, range)(random);
      inHalves[j] = halves ? count : 2LL * count;
      texts[j] = !halves ? std::to_string(count) : std::to_string(count / 2) + (count % 2 != 0 ? ".5" : "");
    }
    Reference ref = Compute(inHalves);
    FourfoldCaptions out = FourfoldChiSquare(ComputeCountTotals(texts));
    SCOPED_TRACE(texts[0] + " " + texts[1] + " " + texts[2] + " " + texts[3]);
    ASSERT_EQ(out.n, std::to_string(ref.n));
    if (ref.n == 0) {
      EXPECT_EQ(out.chiSquare, "");
      continue;
    }
    bool nearTie = false;
    std::array<std::string, 4> expected;
    for (std::size_t j = 0; j < 4; ++j) {
      expected[j] = FourDecimals(ref.t[j], nearTie);
    }
    std::string chi = ref.computable ? FourDecimals(ref.chi, nearTie) : "";
    if (nearTie) {
      continue;
    }
    ++compared;
    EXPECT_EQ(out.theoretical, expected);
    EXPECT_EQ(out.chiSquare, chi);
    bool warn = ref.n < 40;
    for (long double t : ref.t) {
      warn = warn || t < 1;
    }
    if (warn) {
      EXPECT_EQ(out.verdict, kWarning);
    } else if (!chi.empty()) {
      long double shown = std::stold(chi);
      EXPECT_EQ(out.verdict, shown >= 6.63L ? "p < 0.01" : shown >= 3.84L ? "p < 0.05" : "p > 0.05");
    }
  }
  EXPECT_GT(compared, 19000);
}

}  // namespace
}  // namespace kelvasta
