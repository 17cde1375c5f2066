#include "stats/fourfold.h"

#include <optional>

#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/verdict.h"
#include "stats/wide_decimal.h"

namespace kelvasta {
namespace {

// Products of totals and cells are formed exactly in 128 bits (and the
// statistic in long double), not in Currency, so that large tables such as
// four totals of 6000 keep their true n and statistic instead of failing.

// R·C/n; nullopt when a factor is unknown (an overflowed total) or n = 0.
std::optional<double> Theoretical(const std::optional<Currency>& row, const std::optional<Currency>& column,
                                  const CountTotals& t) {
  if (!row || !column || !t.grand || t.n == 0) {
    return std::nullopt;
  }
  Int128 product = *RoundedProductRaw(row->raw(), column->raw());  // fits: < 2^126
  return QuotientToDouble(RawToLongDouble(product), static_cast<long double>(t.n));
}

std::string FourDecimalText(const std::optional<double>& value) {
  return value ? FormatFourDecimals(DoubleToText(*value)) : "";
}

// Td is kept at four decimals; with n = 0 it stays at its start value 0.
std::optional<Currency> TheoreticalD(const CountTotals& t) {
  if (!t.r2 || !t.c2 || !t.grand) {
    return std::nullopt;
  }
  std::optional<double> td = Theoretical(t.r2, t.c2, t);
  return td ? Currency::FromDouble(*td).value_or(Currency{}) : Currency{};
}

// R1·C1·C2·R2 left to right, each step rounded to four decimals while the
// exact value fits in 128 bits, in long double beyond that.
long double TotalsProduct(const std::array<Currency, 4>& factors) {
  Int128 exact = factors[0].raw();
  for (std::size_t i = 1; i < factors.size(); ++i) {
    std::optional<Int128> next = RoundedProductRaw(exact, factors[i].raw());
    if (!next) {
      long double approx = RawToLongDouble(exact);
      for (; i < factors.size(); ++i) {
        approx *= factors[i].ToLongDouble();
      }
      return approx;
    }
    exact = *next;
  }
  return RawToLongDouble(exact);
}

std::optional<double> ChiSquare(const CountTotals& t, bool pearson) {
  if (!t.r1 || !t.r2 || !t.c1 || !t.c2 || !t.grand || t.n == 0) {
    return std::nullopt;
  }
  long double denominator = TotalsProduct({*t.r1, *t.c1, *t.c2, *t.r2});
  if (denominator == 0) {
    return std::nullopt;
  }
  Int128 ad = *RoundedProductRaw(CellValue(t, 0).raw(), CellValue(t, 3).raw());
  Int128 bc = *RoundedProductRaw(CellValue(t, 1).raw(), CellValue(t, 2).raw());
  Int128 x = ad - bc;
  if (!pearson) {
    // |ad - bc| - n/2, exactly in ten-thousandths; may be negative.
    x = (x < 0 ? -x : x) - static_cast<Int128>(t.n) * (Currency::kScale / 2);
  }
  long double xValue = RawToLongDouble(x);
  return QuotientToDouble(static_cast<long double>(t.n) * xValue * xValue, denominator);
}

}  // namespace

FourfoldCaptions FourfoldChiSquare(const CountTotals& t) {
  std::optional<double> ta = Theoretical(t.r1, t.c1, t);
  std::optional<double> tb = Theoretical(t.r1, t.c2, t);
  std::optional<double> tc = Theoretical(t.r2, t.c1, t);
  std::optional<Currency> td = TheoreticalD(t);

  FourfoldCaptions out;
  out.theoretical = {FourDecimalText(ta), FourDecimalText(tb), FourDecimalText(tc),
                     td ? FormatFourDecimals(td->ToText()) : ""};
  out.n = t.grand ? std::to_string(t.n) : "";

  // Unknown frequencies count as 0; Td is compared after its rounding.
  std::array<double, 4> frequencies{ta.value_or(0), tb.value_or(0), tc.value_or(0),
                                    td ? td->ToDouble() : 0.0};
  bool allAtLeast5 = true;
  bool allAtLeast1 = true;
  for (double frequency : frequencies) {
    allAtLeast5 = allAtLeast5 && frequency >= 5;
    allAtLeast1 = allAtLeast1 && frequency >= 1;
  }

  // A statistic that cannot be computed (n = 0, a zero total) has no text:
  // there is no earlier result to show in its place.
  out.chiSquare = FourDecimalText(ChiSquare(t, allAtLeast5));
  if (t.n < 40 || !allAtLeast1) {
    out.verdict = kFourfoldWarning;
  } else if (!out.chiSquare.empty()) {
    // Judge the value as shown, so a caption of 3.8400 reaches 3.84.
    double shown = ReadLeadingNumber(out.chiSquare);
    out.verdict = VerdictText(JudgeTwoLevels(shown, kChiSquare1Df05, kChiSquare1Df01));
  }
  return out;
}

}  // namespace kelvasta
