#include "stats/summary_t_test.h"

#include <cstddef>
#include <optional>

#include "stats/checked_real.h"
#include "stats/critical_values.h"
#include "stats/currency.h"
#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/utf8.h"
#include "stats/verdict.h"

namespace kelvasta {
namespace {

enum Cell : std::size_t { kX1, kS1, kN1, kX2, kS2, kN2 };

// A cell is missing when it holds no number, or for a count, not a positive
// one. A mean or standard deviation of 0 is data (a mean change from
// baseline can be 0), so zero is not taken as "missing" there; a zero
// standard error is caught by the arithmetic instead.
bool AllCellsPresent(const std::array<std::string, 6>& cellTexts) {
  for (std::size_t i = 0; i < cellTexts.size(); ++i) {
    std::string_view text = TrimBlanks(cellTexts[i]);
    if (!BeginsWithNumber(text)) {
      return false;
    }
    if ((i == kN1 || i == kN2) && !(ReadLeadingNumber(text) > 0)) {
      return false;
    }
  }
  return true;
}

// A Currency step that fails (a text that is not a number as a whole, a
// result out of range) fails the whole computation.
Currency Require(const std::optional<Currency>& value) {
  if (!value) {
    throw ArithmeticFailure{};
  }
  return *value;
}

constexpr Currency kTwo = Currency::FromRaw(2 * Currency::kScale);
constexpr Currency kOne = Currency::FromRaw(Currency::kScale);

struct TStatistic {
  CheckedReal t;
  double df;
};

// Counts and the difference of means are formed in Currency, as the cells
// hold them; the rest in double.
TStatistic PooledT(const std::array<std::string, 6>& cellTexts) {
  std::array<Currency, 6> v;
  for (std::size_t i = 0; i < v.size(); ++i) {
    v[i] = Require(Currency::FromText(cellTexts[i]));
  }
  CheckedReal n1Less1 = Require(v[kN1].Minus(kOne)).ToDouble();
  CheckedReal n2Less1 = Require(v[kN2].Minus(kOne)).ToDouble();
  Currency df = Require(Require(v[kN1].Plus(v[kN2])).Minus(kTwo));
  CheckedReal a = n1Less1 * Power(v[kS1].ToDouble(), 2);
  CheckedReal b = n2Less1 * Power(v[kS2].ToDouble(), 2) + a;
  CheckedReal pooledVariance = b / df.ToDouble();
  CheckedReal n1 = v[kN1].ToDouble();
  CheckedReal n2 = v[kN2].ToDouble();
  CheckedReal standardError = SquareRoot((1 / n2 + 1 / n1) * pooledVariance);
  CheckedReal difference = Require(v[kX1].Minus(v[kX2])).ToDouble();
  CheckedReal absoluteDifference = SquareRoot(Power(difference, 2));
  return {absoluteDifference / standardError, df.ToDouble()};
}

}  // namespace

SummaryTCaptions SummaryTTest(const std::array<std::string, 6>& cellTexts, std::string_view tTableText) {
  if (!AllCellsPresent(cellTexts)) {
    return {};
  }
  std::optional<TStatistic> statistic;
  try {
    statistic = PooledT(cellTexts);
  } catch (const ArithmeticFailure&) {
    return {};
  }
  // Fractional counts can give df below 1, which has no table row: no
  // critical values, so no verdict either.
  std::optional<TCriticalTexts> critical = LookUpTCritical(tTableText, statistic->df);
  if (!critical) {
    return {};
  }
  double t = statistic->t.value();
  Verdict verdict = JudgeThreeLevels(t, ReadLeadingNumber(critical->p05), ReadLeadingNumber(critical->p01),
                                     ReadLeadingNumber(critical->p001));
  SummaryTCaptions out{critical->p05, critical->p01, critical->p001, ""};
  out.result = "t = " + FormatFourDecimals(DoubleToText(t)) + "  " + std::string(VerdictText(verdict));
  return out;
}

}  // namespace kelvasta
