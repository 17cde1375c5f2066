#include "stats/correlation.h"

#include <algorithm>
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

// Counts and centred sums over the complete pairs, in ten-thousandths.
struct PairMoments {
  std::int64_t n = 0;
  Int128 sumX = 0, sumY = 0;
  long double xx = 0, yy = 0, xy = 0;  // Σ(x−mx)², Σ(y−my)², Σ(x−mx)(y−my)
};

template <typename Visit>
void ForEachPair(std::span<const std::int64_t> x, std::span<const std::int64_t> y, Visit visit) {
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    if (x[i] != kMissingRaw && y[i] != kMissingRaw) {
      visit(Int128{x[i]}, Int128{y[i]});
    }
  }
}

// Exact sums first, then the products of the distances from the rounded
// means, corrected by the exact offsets of those centres (as
// CentredMoments does for one column): Sxx − Sx²/n in doubles loses every
// digit once the values share a large common part.
PairMoments CentredPairMoments(std::span<const std::int64_t> x, std::span<const std::int64_t> y) {
  PairMoments m;
  ForEachPair(x, y, [&m](Int128 a, Int128 b) {
    ++m.n;
    m.sumX += a;
    m.sumY += b;
  });
  if (m.n == 0) {
    return m;
  }
  const Int128 cx = DivideHalfEven(m.sumX, m.n);
  const Int128 cy = DivideHalfEven(m.sumY, m.n);
  ProductSum xx, yy, xy;
  ForEachPair(x, y, [&](Int128 a, Int128 b) {
    xx.add(a - cx, a - cx);
    yy.add(b - cy, b - cy);
    xy.add(a - cx, b - cy);
  });
  const auto n = static_cast<long double>(m.n);
  const auto lox = static_cast<long double>(m.sumX - cx * m.n);  // Σ (x − cx)
  const auto loy = static_cast<long double>(m.sumY - cy * m.n);
  m.xx = std::max(xx.total() - lox * lox / n, 0.0L);
  m.yy = std::max(yy.total() - loy * loy / n, 0.0L);
  m.xy = xy.total() - lox * loy / n;
  return m;
}

std::string FourDecimals(long double value) {
  return FormatFourDecimals(DoubleToText(static_cast<double>(value)));
}

// Label7: the slope with four decimals and always a sign.
std::string SlopeText(long double b) {
  std::string text = FourDecimals(b);
  return text.starts_with("-") ? text : "+" + text;
}

// Label8: a = Sy/n − (Sx·b)/n, kept at four decimals as a Currency (0 when
// it leaves the Currency range).
std::string InterceptText(const PairMoments& m, long double b) {
  const auto scaledN = static_cast<long double>(m.n) * Currency::kScale;
  const long double a =
      static_cast<long double>(m.sumY) / scaledN - static_cast<long double>(m.sumX) * b / scaledN;
  const Currency rounded = Currency::FromDouble(static_cast<double>(a)).value_or(Currency{});
  return FormatFourDecimals(rounded.ToText());
}

// r and its test; r is used at the four decimals it is shown with.
void JudgeR(const PairMoments& m, const TCriticalTexts& critical, CorrelationCaptions& c) {
  const long double exact = m.xy / std::sqrt(m.xx * m.yy);
  c.r = FormatDecimals(DoubleToText(static_cast<double>(exact)), 4);
  const double r = ReadLeadingNumber(c.r);
  if (std::fabs(r) == 1.0) {
    c.verdict = r > 0 ? kPerfectPositive : kPerfectNegative;
    return;
  }
  const double tr = std::sqrt(r * r) / std::sqrt((1 - r * r) / static_cast<double>(m.n - 2));
  c.tr = FourDecimals(tr);
  c.verdict =
      VerdictText(JudgeThreeLevels(tr, ReadLeadingNumber(critical.p05), ReadLeadingNumber(critical.p01),
                                   ReadLeadingNumber(critical.p001)));
}

}  // namespace

CorrelationCaptions ComputeCorrelation(std::span<const std::int64_t> x, std::span<const std::int64_t> y,
                                       std::string_view tTableText) {
  // A pair with an item that is not a number is left out entirely.
  const PairMoments m = CentredPairMoments(x, y);
  CorrelationCaptions c;
  if (m.n < 3) {
    return c;
  }
  c.computed = true;
  c.n = std::to_string(m.n);
  if (m.xx == 0) {
    return c;  // all X equal: neither r nor a line of Y on X exists
  }
  const TCriticalTexts critical =
      LookUpTCritical(tTableText, static_cast<double>(m.n - 2)).value_or(TCriticalTexts{});
  c.critical05 = critical.p05;
  c.critical01 = critical.p01;
  c.critical001 = critical.p001;
  const long double b = m.xy / m.xx;
  c.slope = SlopeText(b);
  c.intercept = InterceptText(m, b);
  c.equation = "Y=" + c.intercept + c.slope + "X";
  if (m.yy != 0) {
    JudgeR(m, critical, c);  // all Y equal leaves r undefined
  }
  return c;
}

}  // namespace kelvasta
