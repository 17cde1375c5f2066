// The correlation and regression report: Pearson r and the line at once,
// Spearman's rank correlation from the worker thread.
#include "app/details/mean_reports.h"

#include "app/controls.h"
#include "app/details/figure_text.h"
#include "app/details/mean_reports_parts.h"
#include "app/details/panel_difference.h"
#include "app/main_window.h"
#include "stats/correlation_figures.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace kelvasta {

using namespace mean_reports;

namespace {


// "Ŷ = 1.2345 + 0.5678X", the sign of the slope written as an operator.
QString EquationText(const CorrelationFigures& f) {
  if (!f.slope || !f.intercept) return MissingText();
  const bool negative = std::signbit(*f.slope) && FigureText(std::fabs(*f.slope)) != QStringLiteral("0.0000");
  return QStringLiteral("Ŷ = %1 %2 %3X")
      .arg(FigureText(f.intercept), negative ? QStringLiteral("−") : QStringLiteral("+"),
           FigureText(std::fabs(*f.slope)));
}

QString CorrelationSentence(const CorrelationFigures& f, const VariableNames& names) {
  if (f.r && f.slope_se && !f.t)
    return QStringLiteral("%1完全直线相关（r = %2），回归方程为 %3。").arg(names.between(), FigureText(f.r), EquationText(f));
  if (!f.p || !f.r || !f.t) return QStringLiteral("至少需要3对数据，且X、Y均不全相同，才能进行相关检验。");
  const QString test = QStringLiteral("r = %1，t = %2，ν = %3，%4")
                           .arg(FigureText(f.r), FigureText(f.t), DfText(f.df), PClause(*f.p));
  if (*f.p >= 0.05) return QStringLiteral("%1线性相关无统计学意义（%2）。").arg(names.between(), test);
  return QStringLiteral("%1存在线性相关（%2），回归方程为 %3（b的95%CI：%4）。")
      .arg(names.between(), test, EquationText(f), IntervalText(f.slope_ci_low, f.slope_ci_high));
}

// Why figures are missing although pairs were typed.
QStringList CorrelationNotes(const CorrelationFigures& f, const SpearmanFigures& spearman, bool pending) {
  QStringList notes;
  if (!f.slope) {
    notes.push_back(QStringLiteral("至少需要2对数据，且X不全相同"));
  } else if (!f.slope_se) {
    notes.push_back(QStringLiteral("仅2对数据（ν = 0），不能计算标准误、t与P值"));
  } else if (f.r && !f.t) {
    notes.push_back(QStringLiteral("r = ±1（完全直线相关），t与P值不能计算"));
  }
  if (!pending && spearman.rho && std::fabs(*spearman.rho) == 1)
    notes.push_back(QStringLiteral("rs = ±1（完全等级相关），其P值不能按t近似计算"));
  return notes;
}

// Fills figures, rows and sentence; `pending` shows the Spearman rows as
// still being computed.
void FillCorrelation(DetailsReport& report, const CorrelationFigures& f, const SpearmanFigures& spearman,
                     bool pending, PanelComparison panel, const VariableNames& names) {
  // Named variables say which is regressed on which.
  const QString line = names.named() ? QStringLiteral("直线回归（Y：%1，X：%2）")
                                           .arg(names.y.isEmpty() ? QStringLiteral("Y") : names.y,
                                                names.x.isEmpty() ? QStringLiteral("X") : names.x)
                                     : QStringLiteral("直线回归");
  report.figures = ListFigures(f, spearman);
  const QString p = QStringLiteral("P值");
  const QString ci = QStringLiteral("95%置信区间");
  report.rows = {
      Row(QStringLiteral("对子数(n)"), DfText(f.n)),
      Heading(QStringLiteral("Pearson直线相关")),
      Row(QStringLiteral("r"), FigureText(f.r)),
      Row(QStringLiteral("r²"), FigureText(f.r_squared)),
      Row(QStringLiteral("t"), FigureText(f.t)),
      Row(QStringLiteral("ν"), DfText(f.df)),
      Row(p, PText(f.p)),
      Row(QStringLiteral("r的") + ci, IntervalText(f.r_ci_low, f.r_ci_high)),
      Heading(line),
      Row(QStringLiteral("回归方程"), EquationText(f)),
      Row(QStringLiteral("回归系数(b)"), FigureText(f.slope)),
      Row(QStringLiteral("b的标准误(Sb)"), FigureText(f.slope_se)),
      Row(QStringLiteral("b的") + ci, IntervalText(f.slope_ci_low, f.slope_ci_high)),
      Row(QStringLiteral("截距(a)"), FigureText(f.intercept)),
      Row(QStringLiteral("a的标准误(Sa)"), FigureText(f.intercept_se)),
      Row(QStringLiteral("a的") + ci, IntervalText(f.intercept_ci_low, f.intercept_ci_high)),
      Heading(QStringLiteral("Spearman秩相关")),
      Row(QStringLiteral("rs"), pending ? kPending : FigureText(spearman.rho)),
      Row(p, pending ? kPending : PText(spearman.p)),
  };
  for (const QString& note : CorrelationNotes(f, spearman, pending)) report.rows.push_back(Row(QStringLiteral("注"), note));
  report.sentence = CorrelationSentence(f, names);
  if (f.t) panel.pane = std::fabs(*f.t);
  panel.paneP = f.p;
  AddPanelDifference(report.rows, panel);
}

PanelComparison CorrelationPanel(const Controls& c) {
  return {QStringLiteral("tr"), c.Label13(12)->text(), c.Label5(16)->text(), {}, {},
          QStringLiteral("面板按四位小数的r计算tr"),
          QStringLiteral("面板按t界值表的界值判断（t0.05 = %1）").arg(c.Label5(13)->text())};
}



// Beyond this many rows even the Pearson figures follow on the worker
// thread, so that a keystroke in a million-row list is not held up by them.
constexpr std::size_t kLargeLists = 200000;

void AddInputsAndCaptions(DetailsReport& report, const Controls& c, const VariableNames& names) {
  report.inputs = {{QStringLiteral("项目"), QStringLiteral("内容")},
                   {QStringLiteral("X"), names.x.isEmpty() ? HeadingText(c.Label2(1)) : names.x},
                   {QStringLiteral("Y"), names.y.isEmpty() ? HeadingText(c.Label2(2)) : names.y}};
  AddCaption(report.captions, CaptionLabel(c.Label13(11)), c.Label13(6));
  AddCaption(report.captions, QStringLiteral("r"), c.Label13(7));
  AddCaption(report.captions, QStringLiteral("tr"), c.Label13(12));
  AddCaption(report.captions, QStringLiteral("r(0.05)"), c.Label5(13));
  AddCaption(report.captions, QStringLiteral("r(0.01)"), c.Label5(14));
  AddCaption(report.captions, QStringLiteral("r(0.001)"), c.Label5(15));
  AddCaption(report.captions, CaptionLabel(c.Label5(12)), c.Label5(16));
  AddCaption(report.captions, CaptionLabel(c.Label13(13)), c.Label5(17));
}

// The figures, then (from 3 pairs on) Spearman's, into `report`; false when
// cancelled.
bool CompleteCorrelation(DetailsReport& report, const std::vector<double>& x, const std::vector<double>& y,
                         const std::atomic<bool>& cancel, const PanelComparison& panel,
                         const VariableNames& names) {
  const CorrelationFigures f = ComputeCorrelationFigures(x, y);
  report.rows.clear();
  if (!f.n || *f.n == 0) return true;
  report.inputs.push_back({QStringLiteral("对子数(n)"), DfText(f.n)});
  if (*f.n < 3) {
    FillCorrelation(report, f, {}, false, panel, names);
    return true;
  }
  const SpearmanResult spearman = ComputeSpearman(x, y, cancel);
  if (spearman.status == SpearmanStatus::kCancelled) return false;
  FillCorrelation(report, f, spearman.figures, false, panel, names);
  return true;
}

}  // namespace

DetailsBuild BuildCorrelationReport(const MainWindow& window) {
  const Controls& c = window.controls();
  const Storage& s = window.storage();
  const VariableNames names = VariableNamesOf(window.names());
  if (std::max(s.List1().count(), s.List2().count()) > kLargeLists) {
    DetailsReport report = BareReport(window, QStringLiteral("raw"));
    AddInputsAndCaptions(report, c, names);
    report.rows = {Row(QStringLiteral("相关与回归"), kPending)};
    auto x = s.List1().sharedNumbers();
    auto y = s.List2().sharedNumbers();
    return DetailsBuild(std::move(report), [x, y, panel = CorrelationPanel(c), names](DetailsReport& pending,
                                                                                       const std::atomic<bool>& cancel) {
      CompleteCorrelation(pending, *x, *y, cancel, panel, names);
    });
  }
  const CorrelationFigures f = ComputeCorrelationFigures(s.List1().numbers(), s.List2().numbers());
  if (!f.n || *f.n == 0) return BareReport(window, QStringLiteral("raw"));

  DetailsReport report = BareReport(window, QStringLiteral("raw"));
  const bool ranks = *f.n >= 3;
  const PanelComparison panel = CorrelationPanel(c);
  FillCorrelation(report, f, {}, ranks, panel, names);
  AddInputsAndCaptions(report, c, names);
  report.inputs.push_back({QStringLiteral("对子数(n)"), DfText(f.n)});
  if (!ranks) return report;

  // The job holds the values as they stand: the window may change the lists
  // while it sorts (they copy their values before changing them then).
  auto x = s.List1().sharedNumbers();
  auto y = s.List2().sharedNumbers();
  DetailsJob job = [x, y, f, panel, names](DetailsReport& pending, const std::atomic<bool>& cancel) {
    const SpearmanResult spearman = ComputeSpearman(*x, *y, cancel);
    if (spearman.status == SpearmanStatus::kCancelled) return;
    FillCorrelation(pending, f, spearman.figures, false, panel, names);
  };
  return DetailsBuild(std::move(report), std::move(job));
}

}  // namespace kelvasta
