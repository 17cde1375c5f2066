// The two-sample and the paired t reports: both read the two-column lists.
#include "app/details/mean_reports.h"

#include "app/controls.h"
#include "app/details/figure_text.h"
#include "app/details/mean_reports_parts.h"
#include "app/details/panel_difference.h"
#include "app/main_window.h"
#include "entry/value_list.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace kelvasta {

using namespace mean_reports;

namespace {

const QString kCi = QStringLiteral("95%置信区间");
const QString kP = QStringLiteral("P值");

QString TwoSampleSentence(const TwoSampleFigures& f, const MeanNames& names) {
  QString test;
  std::optional<double> p, low, high;
  switch (f.sentence) {
    case TwoSampleTest::kNone: return QString();
    case TwoSampleTest::kPooled:
      test = QStringLiteral("t = %1，ν = %2，").arg(FigureText(f.t), DfText(f.df));
      p = f.p;
      low = f.ci_low;
      high = f.ci_high;
      break;
    case TwoSampleTest::kWelch:
      test = QStringLiteral("Welch校正t检验：t' = %1，ν' = %2，").arg(FigureText(f.welch_t), DfText(f.welch_df));
      p = f.welch_p;
      low = f.welch_ci_low;
      high = f.welch_ci_high;
      break;
  }
  if (!p) return QString();
  return QStringLiteral("%1均数%2（%3%4），均数差值为 %5%6%7。")
      .arg(names.subject(QStringLiteral("两组")), Verdict(*p), test, PClause(*p), FigureText(f.mean_difference),
           names.unitSuffix(), IntervalClause(low, high));
}

QString PairedSentence(const PairedTFigures& f, const MeanNames& names) {
  if (!f.p || !f.t) return QString();
  return QStringLiteral("%1%2（配对t检验：t = %3，ν = %4，%5），差值均数为 %6%7%8。")
      .arg(names.subject(QStringLiteral("治疗前后")), Verdict(*f.p), FigureText(f.t), DfText(f.df), PClause(*f.p),
           FigureText(f.mean_difference), names.unitSuffix(), IntervalClause(f.ci_low, f.ci_high));
}

// The panel's result line and t(0.05), read on the user-interface thread
// for a report that may be completed on the worker.
PanelComparison TwoSamplePanel(const Controls& c, bool raw) {
  return {QStringLiteral("t"), c.Label5(6)->text(), c.Label5(6)->text(), {}, {},
          raw ? QStringLiteral("面板按四位小数的均数、标准差计算") : QStringLiteral("面板按四位小数读取各格"),
          QStringLiteral("面板按t界值表的界值判断（t0.05 = %1）").arg(c.Label5(3)->text())};
}

// The figures, rows and sentence of the two-sample t test.
void FillTwoSample(DetailsReport& report, const TwoSampleFigures& f, PanelComparison panel, const MeanNames& names) {
  report.figures = ListFigures(f);
  report.rows = {
      Heading(names.withVariable(QStringLiteral("各组"))),
      Row(names.groupLabel(0, QStringLiteral("例数(n1)")), DfText(f.n1)),
      Row(names.groupLabel(0, QStringLiteral("均数(X̄1)")), FigureText(f.mean1)),
      Row(names.groupLabel(0, QStringLiteral("标准差(S1)")), FigureText(f.sd1)),
      Row(names.groupLabel(1, QStringLiteral("例数(n2)")), DfText(f.n2)),
      Row(names.groupLabel(1, QStringLiteral("均数(X̄2)")), FigureText(f.mean2)),
      Row(names.groupLabel(1, QStringLiteral("标准差(S2)")), FigureText(f.sd2)),
      Heading(QStringLiteral("方差齐性检验(F检验)")),
      Row(QStringLiteral("F"), FigureText(f.variance_ratio)),
      Row(kP, PText(f.variance_ratio_p)),
      Heading(QStringLiteral("两样本t检验")),
      Row(QStringLiteral("t"), FigureText(f.t)),
      Row(QStringLiteral("ν"), DfText(f.df)),
      Row(kP, PText(f.p)),
      Row(QStringLiteral("均数差值"), FigureText(f.mean_difference)),
      Row(kCi, IntervalText(f.ci_low, f.ci_high)),
      Heading(QStringLiteral("Welch校正t检验")),
      Row(QStringLiteral("t'"), FigureText(f.welch_t)),
      Row(QStringLiteral("ν'"), DfText(f.welch_df)),
      Row(kP, PText(f.welch_p)),
      Row(kCi, IntervalText(f.welch_ci_low, f.welch_ci_high)),
      Heading(QStringLiteral("效应量")),
      Row(QStringLiteral("Cohen's d"), FigureText(f.cohens_d)),
      Row(QStringLiteral("Hedges' g"), FigureText(f.hedges_g)),
  };
  if (!f.df) report.rows.push_back(Row(QStringLiteral("注"), QStringLiteral("每组至少需要2例，且均数、标准差完整")));
  report.sentence = TwoSampleSentence(f, names);
  if (f.df && report.sentence.isEmpty()) report.sentence = QStringLiteral("两组标准差均为0，不能计算t值。");
  if (!f.df) report.sentence = QStringLiteral("每组至少需要2例，且均数、标准差完整，不能进行t检验。");
  // The panel's pooled t is |t|.
  if (f.t) panel.pane = std::fabs(*f.t);
  panel.paneP = f.sentence == TwoSampleTest::kWelch ? f.welch_p : f.p;
  if (f.sentence == TwoSampleTest::kWelch) panel.verdictReason = QStringLiteral("本栏因方差不齐采用Welch校正t检验");
  AddPanelDifference(report.rows, panel);
}

PanelComparison PairedPanel(const Controls& c) {
  return {QStringLiteral("t"), c.Label5(7)->text(), c.Label5(7)->text(), {}, {},
          QStringLiteral("面板按四位小数的数值计算"),
          QStringLiteral("面板按t界值表的界值判断（t0.05 = %1）").arg(c.Label5(10)->text())};
}

// The figures, rows, sentence and pair count of the paired t test; false
// (and nothing filled) when there is no pair.
bool FillPaired(DetailsReport& report, const PairedTFigures& f, PanelComparison panel, const MeanNames& names) {
  if (!f.n || *f.n == 0) return false;
  report.figures = ListFigures(f);
  // Named measurements say which way the differences go.
  const QString direction =
      names.anyGroup() ? QStringLiteral("（%1 − %2）").arg(names.groups.value(0), names.groups.value(1)) : QString();
  report.rows = {
      Row(QStringLiteral("对子数(n)"), DfText(f.n)),
      Row(QStringLiteral("差值均数(d̄)") + direction, FigureText(f.mean_difference)),
      Row(QStringLiteral("差值标准差(Sd)"), FigureText(f.sd_difference)),
      Heading(QStringLiteral("配对t检验")),
      Row(QStringLiteral("t"), FigureText(f.t)),
      Row(QStringLiteral("ν"), DfText(f.df)),
      Row(kP, PText(f.p)),
      Row(kCi, IntervalText(f.ci_low, f.ci_high)),
      Heading(QStringLiteral("效应量")),
      Row(QStringLiteral("Cohen's dz"), FigureText(f.cohens_dz)),
  };
  if (names.anyVariable())
    report.rows.insert(report.rows.begin(), Heading(names.withVariable(QStringLiteral("配对数据"))));
  report.sentence = PairedSentence(f, names);
  if (report.sentence.isEmpty())
    report.sentence = f.df ? QStringLiteral("差值的标准差为0，不能计算t值。")
                           : QStringLiteral("至少需要2对数据，不能进行配对t检验。");
  if (f.t) panel.pane = std::fabs(*f.t);
  panel.paneP = f.p;
  AddPanelDifference(report.rows, panel);
  report.inputs.push_back({QStringLiteral("对子数(n)"), DfText(f.n)});
  return true;
}

// The t panels' critical values and verdict: t(0.05), t(0.01), t(0.001).
void AddTCaptions(DetailsReport& report, const Controls& c, int p05, int p01, int p001, int verdictCaption,
                  int verdict) {
  AddCaption(report.captions, QStringLiteral("t(0.05)"), c.Label5(p05));
  AddCaption(report.captions, QStringLiteral("t(0.01)"), c.Label5(p01));
  AddCaption(report.captions, QStringLiteral("t(0.001)"), c.Label5(p001));
  AddCaption(report.captions, CaptionLabel(c.Label5(verdictCaption)), c.Label5(verdict));
}

}  // namespace

DetailsBuild BuildTwoSampleReport(const MainWindow& window) {
  const Controls& c = window.controls();
  const Storage& s = window.storage();
  const bool raw = CellsFromLists(c.Text4, s.Text4FromLists);
  DetailsReport report = BareReport(window, raw ? QStringLiteral("raw") : QStringLiteral("summary"));
  const MeanNames names = MeanNamesOf(window.names(), {HeadingText(c.Label2(1)), HeadingText(c.Label2(2))});
  report.inputs = SummaryInputs(c.Text4, names);
  AddTCaptions(report, c, 3, 4, 5, 2, 6);
  if (!raw) {
    FillTwoSample(report, ComputeTwoSampleFigures(TypedMoments(c.Text4, 0), TypedMoments(c.Text4, 3)),
                  TwoSamplePanel(c, false), names);
    return report;
  }
  const ValueList& list1 = s.List1();
  const ValueList& list2 = s.List2();
  if (std::max(list1.count(), list2.count()) <= kWorkerRows) {
    const GroupMoments first = ListMoments(list1), second = ListMoments(list2);
    if (first.n == 0 && second.n == 0) return BareReport(window, report.source);
    FillTwoSample(report, ComputeTwoSampleFigures(first, second), TwoSamplePanel(c, true), names);
    return report;
  }
  // A long list is summed on the worker thread, from its values as they
  // stand: the window may change the list meanwhile. A list whose moments
  // are kept is not sent.
  report.rows = {Row(QStringLiteral("两样本t检验"), kPending)};
  return DetailsBuild(std::move(report), [one = PendingMoments(list1), two = PendingMoments(list2),
                                          panel = TwoSamplePanel(c, true), names](DetailsReport& pending,
                                                                                    const std::atomic<bool>&) {
    const GroupMoments first = one.moments(), second = two.moments();
    if (first.n > 0 || second.n > 0)
      FillTwoSample(pending, ComputeTwoSampleFigures(first, second), panel, names);
    else
      ClearToBare(pending);  // nothing but blanks, as for short lists
  });
}

DetailsBuild BuildPairedTReport(const MainWindow& window) {
  const Controls& c = window.controls();
  const Storage& s = window.storage();
  DetailsReport report = BareReport(window, QStringLiteral("raw"));
  const MeanNames names = MeanNamesOf(window.names(), {HeadingText(c.Label2(1)), HeadingText(c.Label2(2))});
  report.inputs = {{QStringLiteral("项目"), QStringLiteral("内容")},
                   {QStringLiteral("第1列"), names.groups.value(0)},
                   {QStringLiteral("第2列"), names.groups.value(1)}};
  if (names.anyVariable()) report.inputs.push_back({QStringLiteral("观察指标"), names.quantity()});
  for (const auto& [caption, value] : {std::pair{0, 5}, std::pair{1, 4}, std::pair{2, 3}})
    AddCaption(report.captions, CaptionLabel(c.Label13(caption)), c.Label13(value));
  AddTCaptions(report, c, 10, 9, 8, 11, 7);
  if (std::max(s.List1().count(), s.List2().count()) <= kWorkerRows) {
    if (!FillPaired(report, ComputePairedTFigures(s.List1().numbers(), s.List2().numbers()), PairedPanel(c), names))
      return BareReport(window, report.source);
    return report;
  }
  // Long lists: the pairs are summed on the worker thread.
  report.rows = {Row(QStringLiteral("配对t检验"), kPending)};
  return DetailsBuild(std::move(report), [x = s.List1().sharedNumbers(), y = s.List2().sharedNumbers(),
                                          panel = PairedPanel(c), names](DetailsReport& pending,
                                                                         const std::atomic<bool>&) {
    if (!FillPaired(pending, ComputePairedTFigures(*x, *y), panel, names)) ClearToBare(pending);
  });
}

}  // namespace kelvasta
