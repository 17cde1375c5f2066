// The R x C and the ordinal reports: both read their grid leniently.
#include "app/details/count_reports.h"

#include "app/controls.h"
#include "app/details/count_reports_parts.h"
#include "app/details/figure_text.h"
#include "app/details/panel_difference.h"
#include "app/main_window.h"

#include <cmath>

namespace kelvasta {

using namespace count_reports;

namespace {

constexpr int kRxcRows = 3;
constexpr int kRxcColumns = 4;
// Heading and total labels of the R x C grid, by row and by column.
constexpr std::array<int, kRxcRows> kRxcRowHeadings{10, 9, 14};
constexpr std::array<int, kRxcColumns> kRxcColumnHeadings{12, 7, 11, 26};
constexpr std::array<int, kRxcRows> kRxcRowTotals{9, 10, 12};
constexpr std::array<int, kRxcColumns> kRxcColumnTotals{5, 6, 7, 8};
constexpr int kRxcGrandTotal = 20;


const QString kRxcZeroTotal = QStringLiteral("合计大于0的行或列不足2个，不能计算");

// `pending`: the exact test still runs, and the sentence waits for it.
// `subject` names the rows compared ("各组率" while unnamed).
QString RxcSentence(const RxcFigures& f, bool pending, const QString& subject) {
  std::optional<double> p;
  QString test, lead;
  const bool noExact = !pending && !f.fisher_p &&
                       (f.note == CountNote::NonWhole || f.note == CountNote::TooLarge ||
                        f.note == CountNote::TooManyTables);
  if (f.rule == RxcRule::ChiSquare || noExact) {
    p = f.p;
    test = QStringLiteral("χ² = %1，ν = %2，").arg(FigureText(f.chi2), DfText(f.df));
    if (f.rule != RxcRule::ChiSquare) lead = NoteText(f.note, kRxcZeroTotal) + QStringLiteral("，改用χ²检验：");
  } else {
    p = f.fisher_p;
    test = QStringLiteral("Fisher确切概率法，");
  }
  if (!p) return pending || f.note == CountNote::Cancelled ? QString() : WhyNoTest(f.note, kRxcZeroTotal);
  return QStringLiteral("%1%2%3（%4%5）%6。")
      .arg(lead, subject, Verdict(*p), test, PClause(*p),
           EstimateClause(QStringLiteral("Cramér's V"), f.cramers_v, {}, {}));
}

// The figures, rows and sentence of `f`; `pending` while the exact test runs.
void FillRxc(DetailsReport& report, const RxcFigures& f, bool pending, PanelComparison panel,
             const QString& subject) {
  report.figures = ListFigures(f);
  report.rows = {
      Row(QStringLiteral("总例数(n)"), DfText(f.n)),
      Heading(QStringLiteral("Pearson χ²检验")),
      Row(QStringLiteral("χ²"), FigureText(f.chi2)),
      Row(QStringLiteral("ν"), DfText(f.df)),
      Row(QStringLiteral("P值"), PText(f.p)),
      Row(QStringLiteral("Cramér's V"), FigureText(f.cramers_v)),
      Heading(QStringLiteral("理论数")),
      Row(QStringLiteral("最小理论数(T)"), FigureText(f.min_expected)),
      Row(QStringLiteral("理论数<5的格子比例"), FigureText(f.share_expected_below_5)),
      Heading(QStringLiteral("Fisher确切概率法(Freeman-Halton)")),
      Row(QStringLiteral("P值"), pending ? kPending : PText(f.fisher_p)),
  };
  report.sentence = RxcSentence(f, pending, subject);
  panel.pane = f.chi2;
  panel.paneP = f.rule == RxcRule::ChiSquare ? f.p : f.fisher_p;
  if (!pending) AddPanelDifference(report.rows, panel);
  AddNote(report.rows, f.note, kRxcZeroTotal);
}

// "各组率" while no row is named, else the rows that hold counts: "A、B与C率".
QString RxcSubject(const TestNames& names, const QStringList& rows, const std::array<double, 12>& cells) {
  if (!names.hasAny({QStringLiteral("row1"), QStringLiteral("row2"), QStringLiteral("row3")}))
    return QStringLiteral("各组率");
  QStringList used;
  for (int row = 0; row < kRxcRows; ++row) {
    double total = 0;
    for (int column = 0; column < kRxcColumns; ++column) {
      const double count = cells[std::size_t(kRxcColumns * row + column)];
      if (std::isfinite(count) && count > 0) total += count;
    }
    if (total > 0) used.push_back(rows.value(row));
  }
  return JoinNames(used) + QStringLiteral("率");
}

const QString kOrdinalZeroTotal = QStringLiteral("某组合计为0，不能作两组比较");

QString OrdinalSentence(const OrdinalFigures& f, const QString& groups) {
  if (!f.p && f.note == CountNote::None) return QStringLiteral("全部观察值在同一等级，不能进行秩和检验。");
  if (!f.p) return WhyNoTest(f.note, kOrdinalZeroTotal);
  return QStringLiteral("%1等级分布%2（Wilcoxon秩和检验，z = %3，%4）%5。")
      .arg(groups, Verdict(*f.p), FigureText(f.z_corrected), PClause(*f.p),
           EstimateClause(QStringLiteral("优势概率"), f.prob_superiority, {}, {}));
}

}  // namespace

DetailsBuild BuildRxcReport(const MainWindow& window) {
  const Controls& c = window.controls();
  if (AllBlank(c.Text111, kRxcRows * kRxcColumns)) return TableReport(window);
  const std::array<double, 12> cells = LenientCounts<12>(c.Text111);
  const RxcFigures f = RxcCountFigures(cells);

  const TestNames& names = window.names();
  QStringList rows, columns;
  for (int row = 0; row < kRxcRows; ++row)
    rows.push_back(names(QStringLiteral("row%1").arg(row + 1), HeadingText(c.Label17(kRxcRowHeadings[std::size_t(row)]))));
  for (int column = 0; column < kRxcColumns; ++column)
    columns.push_back(names(QStringLiteral("column%1").arg(column + 1),
                            HeadingText(c.Label17(kRxcColumnHeadings[std::size_t(column)]))));
  const QString subject = RxcSubject(names, rows, cells);

  DetailsReport report = TableReport(window);
  const PanelComparison panel{QStringLiteral("χ²"), c.Label20(13)->text(), c.Label5(35)->text(), {}, {},
                              QStringLiteral("面板按各格的数值计算"),
                              QStringLiteral("面板以χ²界值表的两位小数界值判断（χ²(0.05) = %1）").arg(c.Label5(37)->text())};
  FillRxc(report, f, f.exactPossible, panel, subject);

  report.inputs.push_back(QStringList{HeadingText(c.Label17(13))} + columns);
  for (int row = 0; row < kRxcRows; ++row) {
    QStringList line{rows[row]};
    for (int column = 0; column < kRxcColumns; ++column) line.push_back(c.Text111(kRxcColumns * row + column)->text());
    report.inputs.push_back(line);
  }
  const QString sum = QStringLiteral("合计");
  for (std::size_t row = 0; row < kRxcRows; ++row)
    AddCaption(report.captions, names.label(QStringLiteral("row%1").arg(row + 1), rows[qsizetype(row)], sum),
               c.Label18(kRxcRowTotals[row]));
  for (std::size_t column = 0; column < kRxcColumns; ++column)
    AddCaption(report.captions,
               names.label(QStringLiteral("column%1").arg(column + 1), columns[qsizetype(column)], sum),
               c.Label18(kRxcColumnTotals[column]));
  AddCaption(report.captions, HeadingText(c.Label17(27)), c.Label18(kRxcGrandTotal));
  AddCaption(report.captions, CaptionLabel(c.Label19(10)), c.Label20(12));
  AddCaption(report.captions, QStringLiteral("χ²"), c.Label20(13));
  AddCaption(report.captions, QStringLiteral("χ²(0.05)"), c.Label5(37));
  AddCaption(report.captions, QStringLiteral("χ²(0.01)"), c.Label5(36));
  AddCaption(report.captions, CaptionLabel(c.Label5(39)), c.Label5(35));
  if (!c.Label22->isHidden()) AddCaption(report.captions, QStringLiteral("提示"), c.Label22);

  if (!f.exactPossible) return report;
  // Captured by value: the job runs on the worker thread.
  DetailsJob job = [cells, f, panel, subject](DetailsReport& pending, const std::atomic<bool>& cancel) {
    const FreemanHaltonResult exact = RxcExact(cells, cancel);
    if (cancel.load()) return;
    RxcFigures done = f;
    SetRxcExact(done, exact);
    FillRxc(pending, done, false, panel, subject);
  };
  return DetailsBuild(std::move(report), std::move(job));
}

DetailsBuild BuildOrdinalReport(const MainWindow& window) {
  const Controls& c = window.controls();
  if (AllBlank(c.Text12, 8)) return TableReport(window);
  const OrdinalFigures f = OrdinalCountFigures(LenientCounts<8>(c.Text12));
  const TestNames& names = window.names();
  const QString group1 = names(QStringLiteral("group1"), HeadingText(c.Label17(21)));
  const QString group2 = names(QStringLiteral("group2"), HeadingText(c.Label17(22)));
  QStringList grades;
  for (int grade = 0; grade < 4; ++grade)
    grades.push_back(names(QStringLiteral("grade%1").arg(grade + 1), HeadingText(c.Label17(16 + grade))));

  DetailsReport report = TableReport(window);
  report.figures = ListFigures(f);
  const auto ci = QStringLiteral("95%置信区间");
  report.rows = {
      Row(names.label(QStringLiteral("group1"), group1, QStringLiteral("例数(n₁)")), CountText(f.n1)),
      Row(names.label(QStringLiteral("group2"), group2, QStringLiteral("例数(n₂)")), CountText(f.n2)),
      Heading(QStringLiteral("Wilcoxon秩和检验(Mann-Whitney U)")),
      Row(QStringLiteral("U"), CountText(f.u)),
      Row(QStringLiteral("z"), FigureText(f.z)),
      Row(QStringLiteral("校正z"), FigureText(f.z_corrected)),
      Row(QStringLiteral("P值"), PText(f.p)),
      Row(QStringLiteral("优势概率"), FigureText(f.prob_superiority)),
      Heading(QStringLiteral("Ridit分析")),
      Row(names.label(QStringLiteral("group1"), group1, QStringLiteral("平均Ridit")), FigureText(f.ridit_1)),
      Row(names.label(QStringLiteral("group1"), group1, ci), IntervalText(f.ridit_1_ci_low, f.ridit_1_ci_high)),
      Row(names.label(QStringLiteral("group2"), group2, QStringLiteral("平均Ridit")), FigureText(f.ridit_2)),
      Row(names.label(QStringLiteral("group2"), group2, ci), IntervalText(f.ridit_2_ci_low, f.ridit_2_ci_high)),
  };
  const bool named = names.hasAny({QStringLiteral("group1"), QStringLiteral("group2")});
  report.sentence = OrdinalSentence(f, named ? JoinNames({group1, group2}) : QStringLiteral("两组"));
  AddPanelDifference(report.rows, {QStringLiteral("z"), c.Label20(9)->text(), c.Label5(44)->text(),
                                   f.z_corrected ? std::optional(std::fabs(*f.z_corrected)) : std::nullopt, f.p,
                                   QStringLiteral("面板按较小一组的秩和计算"),
                                   QStringLiteral("面板以界值1.96判断，z(0.05)确切为1.95996")});
  AddNote(report.rows, f.note, kOrdinalZeroTotal);

  report.inputs.push_back(QStringList{HeadingText(c.Label17(15))} + grades);
  for (int group = 0; group < 2; ++group) {
    QStringList line{group == 0 ? group1 : group2};
    for (int grade = 0; grade < 4; ++grade) line.push_back(c.Text12(4 * group + grade)->text());
    report.inputs.push_back(line);
  }
  const QString sum = QStringLiteral("合计");
  AddCaption(report.captions, names.label(QStringLiteral("group1"), group1, sum), c.Label18(13));
  AddCaption(report.captions, names.label(QStringLiteral("group2"), group2, sum), c.Label18(11));
  for (int grade = 0; grade < 4; ++grade)
    AddCaption(report.captions, names.label(QStringLiteral("grade%1").arg(grade + 1), grades[grade], sum), c.Label18(14 + grade));
  AddCaption(report.captions, HeadingText(c.Label17(20)), c.Label18(18));
  for (const auto& [heading, statistic, verdictCaption, verdict] :
       {std::array{0, 9, 40, 44}, std::array{1, 10, 41, 43}}) {
    const QString section = HeadingText(c.Label23(heading));
    AddCaption(report.captions, section + QStringLiteral(" z"), c.Label20(statistic));
    AddCaption(report.captions, section + CaptionLabel(c.Label5(verdictCaption)), c.Label5(verdict));
  }
  return report;
}

}  // namespace kelvasta
