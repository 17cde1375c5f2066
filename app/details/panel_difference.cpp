#include "app/details/panel_difference.h"

#include "app/details/figure_text.h"
#include "app/details/report_rows.h"

#include <QRegularExpression>

namespace kelvasta {
namespace {

// The first number of a caption ("t = 2.3665  p < 0.05" → "2.3665").
QString FirstNumber(const QString& caption) {
  static const QRegularExpression kNumber(QStringLiteral("-?\\d+(\\.\\d+)?"));
  return kNumber.match(caption).captured();
}

// 1: the panel judges P < 0.05, 0: P > 0.05, -1: no verdict shown.
int PanelSignificance(const QString& caption) {
  if (caption.contains(QStringLiteral("p < 0.0"))) return 1;
  if (caption.contains(QStringLiteral("p > 0.05"))) return 0;
  return -1;
}

QString VerdictText(const QString& caption) {
  static const QRegularExpression kVerdict(QStringLiteral("p [<>] 0\\.0\\d+"));
  return kVerdict.match(caption).captured();
}

}  // namespace

void AddPanelDifference(std::vector<DetailsRow>& rows, const PanelComparison& c) {
  const QString shown = FirstNumber(c.panelStatistic);
  const int significance = PanelSignificance(c.panelVerdict);
  if (shown.isEmpty() || significance < 0 || !c.pane) return;
  const bool statisticDiffers = FigureText(c.pane) != FigureText(shown.toDouble());
  const bool verdictDiffers = c.paneP && (*c.paneP < 0.05) != (significance == 1);
  if (!statisticDiffers && !verdictDiffers) return;
  rows.push_back(Row(QStringLiteral("注"), QStringLiteral("面板为 %1 = %2、%3，与本栏不同：%4")
                                              .arg(c.name, FigureText(shown.toDouble()), VerdictText(c.panelVerdict),
                                                   statisticDiffers ? c.statisticReason : c.verdictReason)));
}

}  // namespace kelvasta
