#include "stats/paired_chi_square.h"

#include <optional>

#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/verdict.h"
#include "stats/wide_decimal.h"

namespace kelvasta {
namespace {

constexpr Currency kUncorrectedFrom = Currency::FromRaw(40 * Currency::kScale);

std::optional<double> McNemar(Currency b, Currency c) {
  std::optional<Currency> discordant = b.Plus(c);
  if (!discordant || discordant->raw() == 0) {
    return std::nullopt;
  }
  // b - c exactly, in ten-thousandths.
  Int128 difference = static_cast<Int128>(b.raw()) - c.raw();
  if (*discordant < kUncorrectedFrom) {
    difference = (difference < 0 ? -difference : difference) - Currency::kScale;
  }
  long double x = RawToLongDouble(difference);
  return QuotientToDouble(x * x, discordant->ToLongDouble());
}

}  // namespace

PairedCaptions PairedChiSquare(const CountTotals& t) {
  PairedCaptions out;
  out.n = t.grand ? std::to_string(t.n) : "";
  // Without discordant pairs there is no statistic, and no earlier one to show.
  std::optional<double> chi = McNemar(CellValue(t, 1), CellValue(t, 2));
  if (!chi) {
    return out;
  }
  out.chiSquare = FormatFourDecimals(DoubleToText(*chi));
  if (out.chiSquare.empty()) {
    return out;
  }
  double shown = ReadLeadingNumber(out.chiSquare);
  out.verdict = VerdictText(JudgeTwoLevels(shown, kChiSquare1Df05, kChiSquare1Df01));
  return out;
}

}  // namespace kelvasta
