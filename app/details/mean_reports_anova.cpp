// The one-way analysis of variance report: three group lists or the nine
// summary cells.
#include "app/details/mean_reports.h"

#include "app/controls.h"
#include "app/details/figure_text.h"
#include "app/details/mean_reports_parts.h"
#include "app/details/panel_difference.h"
#include "app/main_window.h"
#include "entry/list_window.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kelvasta {

using namespace mean_reports;

namespace {

// The pairs in the order of AnovaFigures::pairs.
constexpr std::array<std::array<int, 2>, 3> kPairs{{{1, 2}, {1, 3}, {2, 3}}};

QString PairName(std::size_t pair, const MeanNames& names) {
  return names.pair(std::size_t(kPairs[pair][0] - 1), std::size_t(kPairs[pair][1] - 1));
}

std::optional<double> Sum(std::optional<double> a, std::optional<double> b) {
  if (!a || !b) return std::nullopt;
  return *a + *b;
}

QString AnovaSentence(const AnovaFigures& f, const MeanNames& names) {
  QString test;
  std::optional<double> p;
  switch (f.sentence) {
    case AnovaTest::kNone: return QString();
    case AnovaTest::kF:
      test = QStringLiteral("F = %1，ν1 = %2，ν2 = %3，")
                 .arg(FigureText(f.f), DfText(f.df_between), DfText(f.df_within));
      p = f.p;
      break;
    case AnovaTest::kWelchF:
      test = QStringLiteral("方差不齐，Welch方差分析：F = %1，ν1 = %2，ν2 = %3，")
                 .arg(FigureText(f.welch_f), DfText(f.welch_df1), DfText(f.welch_df2));
      p = f.welch_p;
      break;
  }
  if (!p) return QString();
  QString sentence =
      QStringLiteral("%1均数%2（%3%4）。").arg(names.subject(QStringLiteral("三组")), Verdict(*p), test, PClause(*p));
  std::vector<std::size_t> significant;
  for (std::size_t i = 0; i < f.pairs.size(); ++i)
    if (f.tukey_significant[i] && f.pairs[i].tukey_p) significant.push_back(i);
  if (significant.size() == 1) {
    const std::size_t only = significant.front();
    sentence += QStringLiteral("经Tukey法两两比较，%1差异有统计学意义（%2）。")
                    .arg(PairName(only, names), PClause(*f.pairs[only].tukey_p));
  } else if (!significant.empty()) {
    QStringList pairs;
    for (std::size_t i : significant)
      pairs.push_back(PairName(i, names) + QStringLiteral("（%1）").arg(PClause(*f.pairs[i].tukey_p)));
    sentence += QStringLiteral("经Tukey法两两比较，%1差异有统计学意义。").arg(pairs.join(QStringLiteral("、")));
  }
  return sentence;
}



PanelComparison AnovaPanel(const Controls& c, bool raw) {
  return {QStringLiteral("F"), c.Label5(26)->text(), c.Label5(26)->text(), {}, {},
          raw ? QStringLiteral("面板按四位小数的均数、标准差计算") : QStringLiteral("面板按各格的数值计算"),
          QStringLiteral("面板按F界值表的界值判断（F0.05 = %1）").arg(c.Label5(29)->text())};
}

// The figures' rows, the note and the sentence of `report`.
void FillAnova(DetailsReport& report, const AnovaFigures& f, PanelComparison panel, const MeanNames& names) {
  report.figures = ListFigures(f);
  const QString p = QStringLiteral("P值");
  report.rows = {
      Row(QStringLiteral("总例数(N)"), DfText(f.n)),
      Heading(names.withVariable(QStringLiteral("方差分析表"))),
      Row(QStringLiteral("组间 SS"), FigureText(f.ss_between)),
      Row(QStringLiteral("组间 ν"), DfText(f.df_between)),
      Row(QStringLiteral("组间 MS"), FigureText(f.ms_between)),
      Row(QStringLiteral("组内 SS"), FigureText(f.ss_within)),
      Row(QStringLiteral("组内 ν"), DfText(f.df_within)),
      Row(QStringLiteral("组内 MS"), FigureText(f.ms_within)),
      Row(QStringLiteral("总 SS"), FigureText(f.ss_total)),
      Row(QStringLiteral("总 ν"), DfText(Sum(f.df_between, f.df_within))),
      Row(QStringLiteral("F"), FigureText(f.f)),
      Row(p, PText(f.p)),
      Row(QStringLiteral("η²"), FigureText(f.eta_squared)),
      Row(QStringLiteral("ω²"), FigureText(f.omega_squared)),
      Heading(QStringLiteral("Welch方差分析")),
      Row(QStringLiteral("F"), FigureText(f.welch_f)),
      Row(QStringLiteral("ν1"), DfText(f.welch_df1)),
      Row(QStringLiteral("ν2"), DfText(f.welch_df2)),
      Row(p, PText(f.welch_p)),
      Heading(QStringLiteral("Bartlett方差齐性检验")),
      Row(QStringLiteral("χ²"), FigureText(f.bartlett_chi2)),
      Row(QStringLiteral("ν"), f.bartlett_chi2 ? QStringLiteral("2") : MissingText()),
      Row(p, PText(f.bartlett_p)),
  };
  for (std::size_t i = 0; i < f.pairs.size(); ++i) {
    const AnovaPair& pair = f.pairs[i];
    report.rows.push_back(Heading(QStringLiteral("两两比较：") + PairName(i, names)));
    report.rows.push_back(Row(QStringLiteral("均数差值"), FigureText(pair.diff)));
    report.rows.push_back(Row(QStringLiteral("Tukey P值"), PText(pair.tukey_p)));
    report.rows.push_back(
        Row(QStringLiteral("Tukey 95%置信区间"), IntervalText(pair.tukey_ci_low, pair.tukey_ci_high)));
    report.rows.push_back(Row(QStringLiteral("LSD P值"), PText(pair.lsd_p)));
    report.rows.push_back(Row(QStringLiteral("Bonferroni P值"), PText(pair.bonferroni_p)));
  }
  if (!f.df_within) {
    report.rows.push_back(Row(QStringLiteral("注"), QStringLiteral("每组至少需要1例，且均数、标准差完整")));
  } else if (!f.f) {
    report.rows.push_back(Row(QStringLiteral("注"), QStringLiteral("组内自由度或组内变异为0，不能计算F")));
  } else if (!f.welch_f) {
    report.rows.push_back(
        Row(QStringLiteral("注"), QStringLiteral("有一组不足2例或标准差为0，不能作Welch方差分析和Bartlett检验")));
  }
  report.sentence = AnovaSentence(f, names);
  if (report.sentence.isEmpty()) report.sentence = QStringLiteral("不能计算F值，未作方差分析。");
  panel.pane = f.f;
  panel.paneP = f.sentence == AnovaTest::kWelchF ? f.welch_p : f.p;
  if (f.sentence == AnovaTest::kWelchF) panel.verdictReason = QStringLiteral("本栏因方差不齐采用Welch方差分析");
  AddPanelDifference(report.rows, panel);
}

// The studentized range takes tens of milliseconds a call at such degrees
// of freedom: the figures then follow on the worker thread.
constexpr double kSlowWithinDf = 10000;

}  // namespace

DetailsBuild BuildAnovaReport(const MainWindow& window) {
  const Controls& c = window.controls();
  const Storage& s = window.storage();
  const bool raw = CellsFromLists(c.Text41, s.Text41FromLists);
  const QString source = raw ? QStringLiteral("raw") : QStringLiteral("summary");
  const ListWindow& lists = s.groupLists;
  // Long lists: a changed list is summed on the worker thread.
  const bool longLists =
      raw && std::max({lists.column(0).count(), lists.column(1).count(), lists.column(2).count()}) > kWorkerRows;
  std::array<GroupMoments, 3> groups;
  if (!longLists) {
    for (std::size_t g = 0; g < groups.size(); ++g)
      groups[g] = raw ? ListMoments(lists.column(g)) : TypedMoments(c.Text41, int(g) * 3);
    if (raw && groups[0].n == 0 && groups[1].n == 0 && groups[2].n == 0) return BareReport(window, source);
  }

  DetailsReport report = BareReport(window, source);
  // The headings without blanks ("第1组") also name the unnamed pairs.
  const MeanNames names =
      MeanNamesOf(window.names(), {HeadingText(c.Label2(4)), HeadingText(c.Label2(5)), HeadingText(c.Label2(6))});
  report.inputs = SummaryInputs(c.Text41, names);
  AddCaption(report.captions, QStringLiteral("F(0.05)"), c.Label5(29));
  AddCaption(report.captions, QStringLiteral("F(0.01)"), c.Label5(28));
  AddCaption(report.captions, CaptionLabel(c.Label5(31)), c.Label5(26));
  for (const QLabel* line : {c.Label10, c.Label11, c.Label12})
    AddCaption(report.captions, QStringLiteral("两两比较"), line);

  if (longLists) {
    report.rows = {Row(QStringLiteral("方差分析"), kPending)};
    return DetailsBuild(report, [pending = std::array{PendingMoments(lists.column(0)), PendingMoments(lists.column(1)),
                                                      PendingMoments(lists.column(2))},
                                 panel = AnovaPanel(c, raw), names](DetailsReport& late, const std::atomic<bool>&) {
      const std::array<GroupMoments, 3> moments{pending[0].moments(), pending[1].moments(), pending[2].moments()};
      if (moments[0].n == 0 && moments[1].n == 0 && moments[2].n == 0)
        ClearToBare(late);
      else
        FillAnova(late, ComputeAnovaFigures(moments), panel, names);
    });
  }
  const double within = groups[0].n + groups[1].n + groups[2].n - 3;
  if (within > kSlowWithinDf) {
    report.rows = {Row(QStringLiteral("两两比较(Tukey)"), kPending)};
    return DetailsBuild(report, [groups, panel = AnovaPanel(c, raw), names](DetailsReport& pending, const std::atomic<bool>&) {
      FillAnova(pending, ComputeAnovaFigures(groups), panel, names);
    });
  }
  FillAnova(report, ComputeAnovaFigures(groups), AnovaPanel(c, raw), names);
  return report;
}

}  // namespace kelvasta
