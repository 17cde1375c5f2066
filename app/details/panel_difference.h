#pragma once

// The note that tells why the pane's statistic or verdict differs from the
// panel's: the panel works from its four-decimal summaries, tables of
// critical values and its own corrections, the pane from exact figures.

#include "app/details/details_report.h"

#include <QString>

#include <optional>
#include <vector>

namespace kelvasta {

struct PanelComparison {
  QString name;                   // the statistic's symbol as the note names it: "t", "tr", "F", "χ²", "z"
  QString panelStatistic;         // the panel's caption holding it ("t = 2.3665  p < 0.05" or "2.3665")
  QString panelVerdict;           // the caption holding the verdict (may be the same caption)
  std::optional<double> pane;     // the pane's value of the same statistic, signed as the panel shows it
  std::optional<double> paneP;    // the P the pane's sentence reports
  QString statisticReason;        // why the statistics may differ
  QString verdictReason;          // why the verdicts may differ when the statistics agree
};

// Appends the row "注" "面板为 tr = 2.0000、p < 0.05（按四位小数的r计算）…"
// when the panel shows a different statistic (to four decimals) or comes
// to the other side of 0.05; nothing when they agree or the panel shows
// no statistic or no verdict (a warning, a perfect correlation).
void AddPanelDifference(std::vector<DetailsRow>& rows, const PanelComparison& c);

}  // namespace kelvasta
