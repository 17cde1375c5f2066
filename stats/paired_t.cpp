#include "stats/paired_t.h"

#include <cmath>
#include <optional>

#include "stats/critical_values.h"
#include "stats/currency.h"
#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/raw_value.h"
#include "stats/verdict.h"

namespace kelvasta {
namespace {

std::string FourDecimals(long double value) {
  return FormatFourDecimals(DoubleToText(static_cast<double>(value)));
}

}  // namespace

PairedTCaptions ComputePairedT(std::span<const std::int64_t> x, std::span<const std::int64_t> y,
                               std::string_view tTableText) {
  // A pair with an item that is not a number is left out, rather than
  // counted with the previous pair's difference. Differences are exact
  // (Int128), and their SD comes from a centred second pass.
  const RawMoments m = CentredMoments([x, y](auto&& visit) {
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
      if (x[i] != kMissingRaw && y[i] != kMissingRaw) {
        visit(Int128{x[i]} - Int128{y[i]});
      }
    }
  });
  PairedTCaptions captions;
  if (m.n < 2 || m.squares == 0) {
    return captions;
  }
  const auto n = static_cast<long double>(m.n);
  const long double mean = std::fabs(static_cast<long double>(m.sum) / (n * Currency::kScale));
  const long double sd = std::sqrt(m.squares / (n - 1)) / Currency::kScale;
  const long double t = mean / (sd / std::sqrt(n));
  const TCriticalTexts critical =
      LookUpTCritical(tTableText, static_cast<double>(m.n - 1)).value_or(TCriticalTexts{});
  const Verdict verdict = JudgeThreeLevels(static_cast<double>(t), ReadLeadingNumber(critical.p05),
                                           ReadLeadingNumber(critical.p01), ReadLeadingNumber(critical.p001));
  captions.computed = true;
  captions.n = std::to_string(m.n);
  captions.meanDifference = FourDecimals(mean);
  captions.sdDifference = FourDecimals(sd);
  captions.result = "t = " + FourDecimals(t) + "  " + std::string(VerdictText(verdict));
  captions.critical05 = critical.p05;
  captions.critical01 = critical.p01;
  captions.critical001 = critical.p001;
  return captions;
}

}  // namespace kelvasta
