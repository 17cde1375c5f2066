// Design 4: paired rates (McNemar), by the exact conditional test beside
// Connor's formula.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_rates.h"

namespace kelvasta {

namespace {

using namespace planning;

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs = [] {
    PlanningInput p10{QStringLiteral("p10"), QStringLiteral("不一致比例 p10（b/n）"),
                      QStringLiteral("表中b格的对子占全部对子的比例"), QString(), InputMode::kBoth, true,
                      QStringLiteral("须在0与1之间")};
    PlanningInput p01{QStringLiteral("p01"), QStringLiteral("不一致比例 p01（c/n）"),
                      QStringLiteral("表中c格的对子占全部对子的比例"), QString(), InputMode::kBoth, true,
                      QStringLiteral("须在0与1之间"), QStringLiteral("两种不一致对子的比例相等，无差异可供检出")};
    p01.sumNote = QStringLiteral("不一致比例p10与p01之和须不超过1");
    PlanningInput n = SizeInput(QStringLiteral("n"), QStringLiteral("对子数 n"), QStringLiteral("对"), 2);
    n.exactNote = QStringLiteral("超过1,000对时不作确切McNemar检验计算，请参考Connor公式的结果");
    return std::vector<PlanningInput>{p10, p01, AlphaInput(), PowerInput(), DropoutInput(), n};
  }();
  return inputs;
}

const QString kPairs = QStringLiteral("对子数 n"), kPower = QStringLiteral("检验效能 1−β");

std::vector<DetailsRow> Rows(const PairedRatesPlan& p, const PlanningGoal& goal) {
  const QString exact = QStringLiteral("精确法（确切McNemar检验）"), normal = QStringLiteral("Connor公式");
  const DetailsRow share = Row(QStringLiteral("不一致比例 ψ = p10 + p01"), FigureText(p.discordant_share));
  if (goal.mode == PlanningMode::kPower)
    return {Heading(exact), Row(kPower, FigureText(p.power)), share, Heading(normal), Row(kPower, FigureText(p.power_normal))};
  std::vector<DetailsRow> rows{Heading(exact), Row(kPairs, DfText(p.n)),
                               Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved)), share,
                               Heading(normal), Row(kPairs, DfText(p.n_normal))};
  if (goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1").arg(PercentText(goal.dropout))),
                             Row(QStringLiteral("精确法 对子数"), DfText(p.n_dropout)),
                             Row(QStringLiteral("Connor公式 对子数"), DfText(p.n_normal_dropout))});
  return rows;
}

QString Sentence(const PairedRatesPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source,
                 double typedPairs) {
  const bool exact = goal.mode == PlanningMode::kPower ? bool(p.power) : bool(p.n);
  QString s = QStringLiteral("本研究采用配对设计，以%1比较配对两组的阳性率。按%2")
                  .arg(exact ? QStringLiteral("McNemar检验（确切概率法）") : QStringLiteral("McNemar检验"),
                       AlphaClause(in, true));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期两种不一致对子的比例分别为%1（b格）和%2（c格）")
           .arg(in.shown(QStringLiteral("p10")), in.shown(QStringLiteral("p01")));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (goal.mode == PlanningMode::kPower) {
    const std::optional<double> power = exact ? p.power : p.power_normal;
    if (!power) return QString();
    return s + QStringLiteral("，%1对时，%2，检验效能1−β = %3。")
                   .arg(Count(typedPairs),
                        exact ? QStringLiteral("按确切McNemar检验计算") : QStringLiteral("按Connor公式计算"),
                        FigureText(power));
  }
  const std::optional<double> n = exact ? p.n : p.n_normal, dropout = exact ? p.n_dropout : p.n_normal_dropout;
  if (!n) return QString();
  s += exact ? QStringLiteral("，按确切McNemar检验计算检验效能")
             : QStringLiteral("，所需对子数超出确切概率法的计算范围，按Connor公式计算");
  s += QStringLiteral("，需%1对").arg(Count(*n));
  if (goal.dropout > 0 && dropout)
    return s + QStringLiteral("；考虑%1的脱落率，需%2对。").arg(PercentText(goal.dropout), Count(*dropout));
  return s + QStringLiteral("。");
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>& cancel) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  PairedRatesInput values{in.value(QStringLiteral("p10")), in.value(QStringLiteral("p01"))};
  if (state.findPower) values.n = in.value(QStringLiteral("n"));
  const PairedRatesPlan plan = PlanPairedRates(goal, values, &cancel);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = Rows(plan, goal);
  report.sentence = Sentence(plan, goal, in, source, values.n);
  report.chart = PowerCurveChart(plan.curve, kPairs, state.findPower, values.n, plan.n.value_or(plan.n_normal.value_or(0)), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign PairedRatesDesign() {
  return {QStringLiteral("配对率比较"), true, Inputs(),
          [](const PlanningState& state) { return KeysForMode(Inputs(), state); }, Compute, PairedTablePilot};
}

}  // namespace kelvasta
