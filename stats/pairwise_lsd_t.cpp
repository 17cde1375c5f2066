#include "stats/pairwise_lsd_t.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "stats/number_reading.h"
#include "stats/number_text.h"

namespace kelvasta {
namespace {

// One result line; nullopt when t has no value (a standard error that is
// not positive, means beyond the double range).
std::optional<std::string> PairLine(const GroupPair& pair, const ThreeGroups& groups, double mse, double df) {
  const GroupStatistics& gi = groups[pair.first];
  const GroupStatistics& gj = groups[pair.second];
  double se = std::sqrt(mse * (1 / gi.count + 1 / gj.count));
  if (!(se > 0)) {
    return std::nullopt;
  }
  double t = std::fabs(gi.mean - gj.mean) / se;
  if (!std::isfinite(t) || !std::isfinite(se)) {
    return std::nullopt;
  }
  std::string tText = FormatFourDecimals(DoubleToText(t));
  // p of the t as shown. A p that cannot be computed has no text: "0.0000"
  // in its place would read as highly significant.
  double p = TwoTailedTProbability(ReadLeadingNumber(tText), df);
  std::string pText = std::isnan(p) ? "" : FormatDecimals(DoubleToText(p), 4);
  return std::string(pair.prefix) + "LSD-t=" + tText + " p=" + pText;
}

}  // namespace

double TwoTailedTProbability(double t, double df) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  if (std::isnan(t) || !(df > 0)) {
    return kNaN;
  }
  try {
    boost::math::students_t_distribution<double> dist(df);
    // p = 2 * P(T > |t|), from the complement to keep precision for large t.
    return 2 * boost::math::cdf(boost::math::complement(dist, std::fabs(t)));
  } catch (const std::exception&) {
    return kNaN;
  }
}

PairwiseOutcome RunPairwiseLsdT(const std::array<std::string, 9>& cellTexts, double withinSS,
                                double withinDf) {
  PairwiseOutcome out;
  std::optional<ThreeGroups> groups = ReadThreeGroups(cellTexts);
  if (!groups) {
    return out;
  }
  if (!(withinDf >= kPairwiseMinimumDf)) {
    out.action = PairwiseOutcome::Action::KeepLines;
    return out;
  }
  double mse = withinSS / withinDf;
  for (std::size_t p = 0; p < kGroupPairs.size(); ++p) {
    std::optional<std::string> line = PairLine(kGroupPairs[p], *groups, mse, withinDf);
    if (!line) {
      out.lines = {};
      return out;
    }
    out.lines[p] = *line;
  }
  out.action = PairwiseOutcome::Action::Write;
  return out;
}

}  // namespace kelvasta
