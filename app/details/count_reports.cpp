// The fourfold and the paired fourfold reports: both read the 2 x 2 grid.
#include "app/details/count_reports.h"

#include "app/controls.h"
#include "app/details/count_reports_parts.h"
#include "app/details/figure_text.h"
#include "app/details/panel_difference.h"
#include "app/details/report_builders.h"
#include "app/main_window.h"

#include <QRegularExpression>

namespace kelvasta {

using namespace count_reports;

namespace {

const QString kOneDf = QStringLiteral("1");

// The grid's headings as the panel shows them: the corner, the two result
// columns (the "results" heading with each sub-heading) and the two rows.
struct GridHeadings {
  QString corner, column1, column2, row1, row2, total;
};

// With the user's names: the fourfold table's rows ("row1", "row2") and
// result columns ("column1", "column2", each replacing "结果（+）"); the
// paired table's ratings ("rating1" over the columns, "rating2" beside the
// rows) and the grades both share ("grade1", "grade2").
GridHeadings CountGridHeadings(const Controls& c, const TestNames& names, bool paired) {
  GridHeadings h;
  h.corner = HeadingText(c.Label17(0));
  const QString results = HeadingText(c.Label17(1));
  static const QRegularExpression kBlanks(QStringLiteral("\\s+"));
  const QStringList sub = c.Label17(2)->text().split(kBlanks, Qt::SkipEmptyParts);
  h.column1 = results + sub.value(0);
  h.column2 = results + sub.value(1);
  h.row1 = HeadingText(c.Label17(3));
  h.row2 = HeadingText(c.Label17(4));
  h.total = HeadingText(c.Label17(5));
  if (!paired) {
    h.row1 = names(QStringLiteral("row1"), h.row1);
    h.row2 = names(QStringLiteral("row2"), h.row2);
    h.column1 = names(QStringLiteral("column1"), h.column1);
    h.column2 = names(QStringLiteral("column2"), h.column2);
    return h;
  }
  const QString grade1 = names(QStringLiteral("grade1"), sub.value(0));
  const QString grade2 = names(QStringLiteral("grade2"), sub.value(1));
  const QString rating1 = names(QStringLiteral("rating1"), results);
  h.corner = names(QStringLiteral("rating2"), h.corner);
  h.column1 = NamedLabel(rating1, grade1);
  h.column2 = NamedLabel(rating1, grade2);
  h.row1 = names(QStringLiteral("grade1"), h.row1);
  h.row2 = names(QStringLiteral("grade2"), h.row2);
  return h;
}

// The grid as typed, and its totals as the first captions. In the paired
// table the row headings are grades of the corner heading ("治疗后（+）").
void AddCountGrid(DetailsReport& report, const Controls& c, const TestNames& names, bool paired) {
  const GridHeadings h = CountGridHeadings(c, names, paired);
  report.inputs = {{h.corner, h.column1, h.column2},
                   {h.row1, c.Text11(0)->text(), c.Text11(1)->text()},
                   {h.row2, c.Text11(2)->text(), c.Text11(3)->text()}};
  const QString row1 = paired ? NamedLabel(h.corner, h.row1) : h.row1;
  const QString row2 = paired ? NamedLabel(h.corner, h.row2) : h.row2;
  // The unnamed headings end in CJK text or a bracket: no blank comes in.
  const QString sum = QStringLiteral("合计");
  AddCaption(report.captions, NamedLabel(row1, sum), c.Label18(2));
  AddCaption(report.captions, NamedLabel(row2, sum), c.Label18(3));
  AddCaption(report.captions, NamedLabel(h.column1, sum), c.Label18(0));
  AddCaption(report.captions, NamedLabel(h.column2, sum), c.Label18(1));
  AddCaption(report.captions, h.total, c.Label18(4));
}

// The critical values and the verdict, shared by both panels' layouts.
void AddChiSquareCaptions(DetailsReport& report, const Controls& c, int statistic, int p05, int p01,
                          int verdictCaption, int verdict) {
  AddCaption(report.captions, QStringLiteral("χ²"), c.Label20(statistic));
  AddCaption(report.captions, QStringLiteral("χ²(0.05)"), c.Label5(p05));
  AddCaption(report.captions, QStringLiteral("χ²(0.01)"), c.Label5(p01));
  AddCaption(report.captions, CaptionLabel(c.Label5(verdictCaption)), c.Label5(verdict));
}

const QString kFourfoldZeroTotal = QStringLiteral("某行或某列合计为0，不能计算χ²及确切概率");
const QString kPairedZeroTotal = QStringLiteral("某行或某列合计为0，不能计算确切概率");

// Why the chosen exact test gave way to a chi-square, as the sentence's
// opening clause: "存在非整数频数，不能计算确切概率，改用校正χ²检验：".
QString FallbackClause(CountNote note, const QString& test) {
  return NoteText(note, QString()) + QStringLiteral("，改用%1：").arg(test);
}

// The sentence's subject: "两组率" while unnamed, else "治疗组与对照组有效率".
QString FourfoldSubject(const TestNames& names, const GridHeadings& h) {
  const QString groups = names.hasAny({QStringLiteral("row1"), QStringLiteral("row2")}) ? JoinNames({h.row1, h.row2})
                                                                                        : QStringLiteral("两组");
  return groups + names(QStringLiteral("column1"), QString()) + QStringLiteral("率");
}

// "治疗前后阳性率" while unnamed, else "甲法与乙法阳性率".
QString PairedSubject(const TestNames& names) {
  const QString rating1 = QStringLiteral("rating1"), rating2 = QStringLiteral("rating2");
  const QString ratings = names.hasAny({rating1, rating2})
                              ? JoinNames({names(rating1, QStringLiteral("治疗前")), names(rating2, QStringLiteral("治疗后"))})
                              : QStringLiteral("治疗前后");
  return ratings + names(QStringLiteral("grade1"), QStringLiteral("阳性")) + QStringLiteral("率");
}

QString FourfoldSentence(const FourfoldFigures& f, const QString& subject) {
  FourfoldRule rule = f.rule;
  QString lead;
  if (rule == FourfoldRule::FisherExact && !f.fisher_p && f.pearson_p &&
      (f.note == CountNote::NonWhole || f.note == CountNote::TooLarge)) {
    // No exact P for these counts: the chi-square the panel would use.
    rule = f.min_expected && *f.min_expected >= 5 ? FourfoldRule::PearsonChiSquare : FourfoldRule::YatesChiSquare;
    lead = FallbackClause(f.note, rule == FourfoldRule::PearsonChiSquare ? QStringLiteral("χ²检验")
                                                                         : QStringLiteral("校正χ²检验"));
  }
  std::optional<double> p;
  QString test;
  QString estimate =
      EstimateClause(QStringLiteral("OR"), f.odds_ratio, f.odds_ratio_ci_low, f.odds_ratio_ci_high);
  switch (rule) {
    case FourfoldRule::PearsonChiSquare:
      p = f.pearson_p;
      test = QStringLiteral("χ² = %1，ν = 1，").arg(FigureText(f.pearson_chi2));
      break;
    case FourfoldRule::YatesChiSquare:
      p = f.yates_p;
      test = QStringLiteral("校正χ² = %1，ν = 1，").arg(FigureText(f.yates_chi2));
      break;
    case FourfoldRule::FisherExact:
      p = f.fisher_p;
      test = QStringLiteral("Fisher确切概率法，");
      // Beside Fisher's P the interval consistent with it.
      estimate = EstimateClause(QStringLiteral("条件最大似然OR"), f.conditional_odds_ratio,
                                f.conditional_odds_ratio_ci_low, f.conditional_odds_ratio_ci_high);
      break;
  }
  if (!p) return WhyNoTest(f.note, kFourfoldZeroTotal);
  return QStringLiteral("%1%2%3（%4%5）%6。").arg(lead, subject, Verdict(*p), test, PClause(*p), estimate);
}

QString PairedSentence(const PairedFourfoldFigures& f, const QString& subject) {
  std::optional<double> p;
  QString test, lead;
  if (f.rule == PairedRule::ExactBinomial && f.mcnemar_exact_p) {
    p = f.mcnemar_exact_p;
    test = QStringLiteral("McNemar确切概率法，");
  } else if (f.rule == PairedRule::ExactBinomial) {
    // No exact P for these counts: the corrected chi-square, as the panel
    // uses below 40 discordant pairs.
    p = f.mcnemar_cc_p;
    lead = FallbackClause(f.note, QStringLiteral("校正McNemar检验"));
    test = QStringLiteral("校正χ² = %1，ν = 1，").arg(FigureText(f.mcnemar_cc_chi2));
  } else {
    p = f.mcnemar_p;
    test = QStringLiteral("McNemar检验，χ² = %1，ν = 1，").arg(FigureText(f.mcnemar_chi2));
  }
  if (!p) {
    if (f.note == CountNote::None) return QStringLiteral("没有不一致的对子（b + c = 0），不能进行McNemar检验。");
    return WhyNoTest(f.note, kPairedZeroTotal);
  }
  // The discordant ratio measures the difference tested; kappa stands in
  // when the ratio has no value (no pair changed the other way).
  QString estimate = EstimateClause(QStringLiteral("不一致对比值"), f.discordant_ratio, f.discordant_ratio_ci_low,
                                    f.discordant_ratio_ci_high);
  if (estimate.isEmpty())
    estimate = EstimateClause(QStringLiteral("Kappa"), f.kappa, f.kappa_ci_low, f.kappa_ci_high);
  return QStringLiteral("%1%2%3（%4%5）%6。").arg(lead, subject, Verdict(*p), test, PClause(*p), estimate);
}

}  // namespace

DetailsBuild BuildFourfoldReport(const MainWindow& window) {
  const Controls& c = window.controls();
  if (AllBlank(c.Text11, 4)) return TableReport(window);
  const FourfoldFigures f = FourfoldCountFigures(StrictCounts(c.Text11));

  DetailsReport report = TableReport(window);
  report.figures = ListFigures(f);
  const auto ci = QStringLiteral("95%置信区间");
  report.rows = {
      Row(QStringLiteral("总例数(n)"), DfText(f.n)),
      Row(QStringLiteral("最小理论数(T)"), FigureText(f.min_expected)),
      Heading(QStringLiteral("Pearson χ²检验")),
      Row(QStringLiteral("χ²"), FigureText(f.pearson_chi2)),
      Row(QStringLiteral("ν"), f.pearson_chi2 ? kOneDf : MissingText()),
      Row(QStringLiteral("P值"), PText(f.pearson_p)),
      Heading(QStringLiteral("校正χ²检验(Yates)")),
      Row(QStringLiteral("χ²"), FigureText(f.yates_chi2)),
      Row(QStringLiteral("ν"), f.yates_chi2 ? kOneDf : MissingText()),
      Row(QStringLiteral("P值"), PText(f.yates_p)),
      Heading(QStringLiteral("Fisher确切概率法")),
      Row(QStringLiteral("双侧P值"), PText(f.fisher_p)),
      Row(QStringLiteral("单侧P值(左)"), PText(f.fisher_p_less)),
      Row(QStringLiteral("单侧P值(右)"), PText(f.fisher_p_greater)),
      Heading(QStringLiteral("效应量")),
      Row(QStringLiteral("比值比(OR)"), FigureText(f.odds_ratio)),
      Row(QStringLiteral("OR的") + ci, IntervalText(f.odds_ratio_ci_low, f.odds_ratio_ci_high)),
      Row(QStringLiteral("条件最大似然OR"), FigureText(f.conditional_odds_ratio)),
      Row(QStringLiteral("条件OR的确切") + ci,
          IntervalText(f.conditional_odds_ratio_ci_low, f.conditional_odds_ratio_ci_high)),
      Row(QStringLiteral("相对危险度(RR)"), FigureText(f.relative_risk)),
      Row(QStringLiteral("RR的") + ci, IntervalText(f.relative_risk_ci_low, f.relative_risk_ci_high)),
      Row(QStringLiteral("率差(RD)"), FigureText(f.risk_difference)),
      Row(QStringLiteral("率差的") + ci, IntervalText(f.risk_difference_ci_low, f.risk_difference_ci_high)),
  };
  report.sentence = FourfoldSentence(f, FourfoldSubject(window.names(), CountGridHeadings(c, window.names(), false)));
  // The panel's formula: Pearson when every expected count reaches 5.
  const bool panelPearson = f.min_expected && *f.min_expected >= 5;
  const std::optional<double> sentenceP = f.rule == FourfoldRule::PearsonChiSquare ? f.pearson_p
                                          : f.rule == FourfoldRule::YatesChiSquare ? f.yates_p
                                                                                   : f.fisher_p;
  AddPanelDifference(report.rows, {QStringLiteral("χ²"), c.Label20(6)->text(), c.Label5(21)->text(),
                                   panelPearson ? f.pearson_chi2 : f.yates_chi2, sentenceP,
                                   QStringLiteral("面板按取整的例数n计算"),
                                   QStringLiteral("面板以界值3.84判断，χ²(0.05)确切为3.8415")});
  AddNote(report.rows, f.note, kFourfoldZeroTotal);

  AddCountGrid(report, c, window.names(), false);
  for (int k = 1; k <= 4; ++k) AddCaption(report.captions, CaptionLabel(c.Label19(k)), c.Label20(k));
  AddCaption(report.captions, CaptionLabel(c.Label19(6)), c.Label20(5));
  AddChiSquareCaptions(report, c, 6, 20, 19, 22, 21);
  return report;
}

DetailsBuild BuildPairedFourfoldReport(const MainWindow& window) {
  const Controls& c = window.controls();
  if (AllBlank(c.Text11, 4)) return TableReport(window);
  const std::array<double, 4> cells = StrictCounts(c.Text11);
  const PairedFourfoldFigures f = PairedFourfoldCountFigures(cells);

  DetailsReport report = TableReport(window);
  report.figures = ListFigures(f);
  const auto ci = QStringLiteral("95%置信区间");
  report.rows = {
      Row(QStringLiteral("总对子数(n)"), DfText(f.n)),
      Heading(QStringLiteral("McNemar检验")),
  };
  // First the chi-square the panel shows: corrected below 40 discordant pairs.
  const std::vector<DetailsRow> plain{Row(QStringLiteral("χ²"), FigureText(f.mcnemar_chi2)),
                                      Row(QStringLiteral("ν"), f.mcnemar_chi2 ? kOneDf : MissingText()),
                                      Row(QStringLiteral("P值"), PText(f.mcnemar_p))};
  const std::vector<DetailsRow> corrected{Row(QStringLiteral("校正χ²"), FigureText(f.mcnemar_cc_chi2)),
                                          Row(QStringLiteral("校正P值"), PText(f.mcnemar_cc_p))};
  const bool panelCorrects = !(cells[1] + cells[2] >= 40);
  for (const auto* part : panelCorrects ? std::array{&corrected, &plain} : std::array{&plain, &corrected})
    report.rows.insert(report.rows.end(), part->begin(), part->end());
  const std::vector<DetailsRow> rest{
      Heading(QStringLiteral("确切概率法(二项分布)")),
      Row(QStringLiteral("双侧P值"), PText(f.mcnemar_exact_p)),
      Row(QStringLiteral("mid-P值"), PText(f.mcnemar_mid_p)),
      Heading(QStringLiteral("效应量")),
      Row(QStringLiteral("不一致对比值(b/c)"), FigureText(f.discordant_ratio)),
      Row(QStringLiteral("b/c的") + ci, IntervalText(f.discordant_ratio_ci_low, f.discordant_ratio_ci_high)),
      Heading(QStringLiteral("Kappa一致性")),
      Row(QStringLiteral("κ"), FigureText(f.kappa)),
      Row(QStringLiteral("κ的") + ci, IntervalText(f.kappa_ci_low, f.kappa_ci_high)),
  };
  report.rows.insert(report.rows.end(), rest.begin(), rest.end());
  report.sentence = PairedSentence(f, PairedSubject(window.names()));
  const std::optional<double> sentenceP =
      f.rule == PairedRule::McNemarChiSquare ? f.mcnemar_p : f.mcnemar_exact_p ? f.mcnemar_exact_p : f.mcnemar_cc_p;
  AddPanelDifference(report.rows,
                     {QStringLiteral("χ²"), c.Label20(7)->text(), c.Label5(23)->text(),
                      panelCorrects ? f.mcnemar_cc_chi2 : f.mcnemar_chi2, sentenceP,
                      QStringLiteral("面板的校正式在|b − c| < 1时仍减去1"),
                      panelCorrects ? QStringLiteral("面板采用校正χ²近似，本栏为二项分布确切概率")
                                    : QStringLiteral("面板以界值3.84判断，χ²(0.05)确切为3.8415")});
  AddNote(report.rows, f.note, kPairedZeroTotal);

  AddCountGrid(report, c, window.names(), true);
  AddCaption(report.captions, CaptionLabel(c.Label19(0)), c.Label20(8));
  AddChiSquareCaptions(report, c, 7, 24, 25, 18, 23);
  return report;
}

}  // namespace kelvasta
