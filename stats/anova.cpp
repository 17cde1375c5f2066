#include "stats/anova.h"

#include <cmath>
#include <string_view>

#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/three_groups.h"
#include "stats/utf8.h"
#include "stats/verdict.h"

namespace kelvasta {
namespace {

constexpr std::size_t kRowOf120 = 18;
constexpr std::size_t kInfinityRow = 19;

// The item of the largest tabulated df not above `df`; above 120 the
// infinity row. nullopt below the first row (df < 1) or for a short table.
std::optional<std::size_t> FTableRow(const std::vector<std::string>& items, double df) {
  std::optional<std::size_t> row;
  for (std::size_t j = 0; j <= kRowOf120 && j < items.size(); ++j) {
    double rowDf = std::round(ReadLeadingNumber(TrimBlanks(Utf8Mid(items[j], 1, 3))));
    if (rowDf > df) {
      if (j == 0) {
        return std::nullopt;
      }
      row = j - 1;
      break;
    }
  }
  if (!row && df == 120) {
    row = kRowOf120;
  } else if (!row && df > 120) {
    row = kInfinityRow;
  }
  if (!row || *row >= items.size()) {
    return std::nullopt;
  }
  return row;
}

std::string CriticalText(std::string_view item, std::size_t start, std::size_t length) {
  return FormatDecimals(TrimBlanks(Utf8Mid(item, start, length)), 2);
}

struct SumsOfSquares {
  double between = 0;
  double within = 0;
  double df = 0;
};

// SSb from deviations about the grand mean and SSw from the standard
// deviations: the textbook route through raw sums of squares minus the
// correction term loses every digit when the means are large against their
// spread (means near 10^6 with SDs near 1).
SumsOfSquares ComputeSums(const ThreeGroups& groups) {
  double total = 0;
  double weightedMeans = 0;
  for (const GroupStatistics& g : groups) {
    total += g.count;
    weightedMeans += g.count * g.mean;
  }
  double grandMean = weightedMeans / total;
  SumsOfSquares s;
  for (const GroupStatistics& g : groups) {
    double deviation = g.mean - grandMean;
    s.between += g.count * deviation * deviation;
    s.within += (g.count - 1) * g.sd * g.sd;
  }
  s.df = total - 3;
  return s;
}

}  // namespace

AnovaOutcome AnovaFTest(const std::array<std::string, 9>& cellTexts,
                        const std::vector<std::string>& fTableItems) {
  AnovaOutcome out;
  std::optional<ThreeGroups> groups = ReadThreeGroups(cellTexts);
  if (!groups) {
    return out;
  }
  out.complete = true;
  SumsOfSquares s = ComputeSums(*groups);

  std::optional<std::size_t> row = FTableRow(fTableItems, s.df);
  out.f05 = row ? CriticalText(fTableItems[*row], 5, 5) : "";
  out.f01 = row ? CriticalText(fTableItems[*row], 11, 6) : "";

  // With df below 1 or SSw = 0 F has no value (sizes below 1 can even make
  // SSw negative); an empty result and zero kept values stop the pairwise
  // tests from judging with stale ones.
  if (!row || !(s.df >= 1) || !(s.within > 0)) {
    return out;
  }
  double f = (s.between / 2) / (s.within / s.df);
  if (!std::isfinite(f)) {
    return out;
  }
  Verdict verdict = JudgeTwoLevels(f, ReadLeadingNumber(*out.f05), ReadLeadingNumber(*out.f01));
  out.result = "F = " + FormatFourDecimals(DoubleToText(f)) + "  " + std::string(VerdictText(verdict));
  out.withinSS = s.within;
  out.withinDf = s.df;
  out.runPairwise = true;
  return out;
}

}  // namespace kelvasta
