#include "stats/pairwise_q.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

#include "stats/number_reading.h"
#include "stats/number_text.h"
#include "stats/utf8.h"
#include "stats/verdict.h"

namespace kelvasta {
namespace {

constexpr std::size_t kLastScannedItem = 29;
constexpr std::size_t kRowsOf120 = 28;
constexpr std::size_t kInfinityRows = 30;

// Index of the 0.05 item of the df pair to use (the 0.01 item follows): the
// largest tabulated df not above `df`, the last pair above 120. The 0.01
// items start with blanks and read as 0, so only 0.05 items stop the scan.
std::optional<std::size_t> QTableRow(const std::vector<std::string>& items, double df) {
  std::optional<std::size_t> row;
  for (std::size_t k = 0; k <= kLastScannedItem && k < items.size(); ++k) {
    if (ReadLeadingNumber(TrimBlanks(Utf8Mid(items[k], 1, 3))) > df) {
      if (k < 2) {
        return std::nullopt;
      }
      row = k - 2;
      break;
    }
  }
  if (!row && df == 120) {
    row = kRowsOf120;
  } else if (!row && df > 120) {
    row = kInfinityRows;
  }
  if (!row || *row + 1 >= items.size()) {
    return std::nullopt;
  }
  return row;
}

// The value for a span of 2 stands at characters 5-8, for 3 at 10-13.
std::string CriticalText(std::string_view item, int span) {
  return FormatDecimals(TrimBlanks(Utf8Mid(item, span == 2 ? 5 : 10, 4)), 2);
}

std::vector<std::string> SortedMeanTexts(const ThreeGroups& groups) {
  std::array<double, 3> means{groups[0].mean, groups[1].mean, groups[2].mean};
  // Numeric order: the texts of negative means do not sort as numbers.
  std::sort(means.begin(), means.end());
  std::vector<std::string> texts;
  for (double mean : means) {
    texts.push_back(MeanPatternText(mean));
  }
  return texts;
}

struct QRows {
  std::string_view p05;
  std::string_view p01;
};

// One result line; nullopt when q has no value (a standard error that is not
// positive, means beyond the double range).
std::optional<std::string> PairLine(const GroupPair& pair, const ThreeGroups& groups, double mse,
                                    const std::string& middleMean, QRows rows) {
  const GroupStatistics& gi = groups[pair.first];
  const GroupStatistics& gj = groups[pair.second];
  double se = std::sqrt((mse / 2) * (1 / gi.count + 1 / gj.count));
  if (!(se > 0)) {
    return std::nullopt;
  }
  double q = std::fabs(gi.mean - gj.mean) / se;
  if (!std::isfinite(q) || !std::isfinite(se)) {
    return std::nullopt;
  }
  // Judged as shown: a q that rounds to the critical value has reached it.
  std::string qText = FormatFourDecimals(DoubleToText(q));
  int span = MeanPatternText(gi.mean) == middleMean || MeanPatternText(gj.mean) == middleMean ? 2 : 3;
  double q05 = ReadLeadingNumber(CriticalText(rows.p05, span));
  double q01 = ReadLeadingNumber(CriticalText(rows.p01, span));
  Verdict verdict = JudgeTwoLevels(ReadLeadingNumber(qText), q05, q01);
  return std::string(pair.prefix) + "q = " + qText + "  " + std::string(VerdictText(verdict));
}

}  // namespace

std::string MeanPatternText(double mean) {
  std::string text = FormatDecimals(DoubleToText(mean), 4);
  std::size_t digitsStart = !text.empty() && text[0] == '-' ? 1 : 0;
  std::size_t point = text.find('.');
  if (point == std::string::npos || point - digitsStart >= 9) {
    return text;
  }
  text.insert(digitsStart, 9 - (point - digitsStart), '0');
  return text;
}

PairwiseOutcome RunPairwiseQ(const std::array<std::string, 9>& cellTexts, double withinSS, double withinDf,
                             const std::vector<std::string>& qTableItems) {
  PairwiseOutcome out;
  std::optional<ThreeGroups> groups = ReadThreeGroups(cellTexts);
  if (!groups) {
    return out;
  }
  out.sortedMeans = SortedMeanTexts(*groups);
  if (!(withinDf >= kPairwiseMinimumDf)) {
    out.action = PairwiseOutcome::Action::KeepLines;
    return out;
  }
  std::optional<std::size_t> row = QTableRow(qTableItems, withinDf);
  if (!row) {
    return out;
  }
  double mse = withinSS / withinDf;
  QRows rows{qTableItems[*row], qTableItems[*row + 1]};
  for (std::size_t p = 0; p < kGroupPairs.size(); ++p) {
    std::optional<std::string> line = PairLine(kGroupPairs[p], *groups, mse, out.sortedMeans[1], rows);
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
