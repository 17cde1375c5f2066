// Design 6: the test of a correlation, by the exact distribution of r and
// Fisher's z.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_correlation.h"

namespace kelvasta {

namespace {

using namespace planning;

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs{
      {QStringLiteral("rho"), QStringLiteral("总体相关系数 ρ"), QStringLiteral("备择假设下，0 < |ρ| < 1"), QString(),
       InputMode::kBoth, false, QStringLiteral("须大于−1且小于1"),
       QStringLiteral("总体相关系数ρ为0，无相关可供检出")},
      AlphaInput(),
      PowerInput(),
      DropoutInput(),
      SizeInput(QStringLiteral("n"), QStringLiteral("样本量 n"), QStringLiteral("对"), 4),
  };
  return inputs;
}

std::vector<DetailsRow> Rows(const CorrelationPlan& p, const PlanningGoal& goal) {
  const QString power = QStringLiteral("检验效能 1−β"), size = QStringLiteral("样本量 n");
  const QString exact = QStringLiteral("精确法（r的精确分布）"), normal = QStringLiteral("Fisher z变换公式");
  const DetailsRow critical = Row(QStringLiteral("r界值"), FigureText(p.r_critical));
  if (goal.mode == PlanningMode::kPower)
    return {Heading(exact), Row(power, FigureText(p.power)), critical, Heading(normal),
            Row(power, FigureText(p.power_normal))};
  std::vector<DetailsRow> rows{Heading(exact), Row(size, DfText(p.n)),
                               Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved)), critical,
                               Heading(normal), Row(size, DfText(p.n_normal))};
  if (goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1（精确法）").arg(PercentText(goal.dropout))),
                             Row(size, DfText(p.n_dropout))});
  return rows;
}

QString Sentence(const CorrelationPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source,
                 double typedSize) {
  QString s = QStringLiteral("本研究采用Pearson直线相关分析检验两变量间的相关性（H0：ρ = 0）。按%1").arg(AlphaClause(in, true));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期总体相关系数ρ = %1").arg(in.shown(QStringLiteral("rho")));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (goal.mode == PlanningMode::kPower) {
    if (!p.power) return QString();
    return s + QStringLiteral("，%1例时，采用样本相关系数的精确分布计算，检验效能1−β = %2。")
                   .arg(Count(typedSize), FigureText(p.power));
  }
  if (!p.n) return QString();
  s += QStringLiteral("，采用样本相关系数的精确分布计算，需%1例").arg(Count(*p.n));
  if (goal.dropout > 0 && p.n_dropout)
    return s + QStringLiteral("；考虑%1的脱落率，需%2例。").arg(PercentText(goal.dropout), Count(*p.n_dropout));
  return s + QStringLiteral("。");
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>&) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  CorrelationPlanningInput values{in.value(QStringLiteral("rho"))};
  if (state.findPower) values.n = in.value(QStringLiteral("n"));
  const CorrelationPlan plan = PlanCorrelation(goal, values);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = Rows(plan, goal);
  report.sentence = Sentence(plan, goal, in, source, values.n);
  report.chart = PowerCurveChart(plan.curve, QStringLiteral("样本量 n"), state.findPower, values.n, plan.n.value_or(0), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign CorrelationDesign() {
  return {QStringLiteral("直线相关"), true, Inputs(),
          [](const PlanningState& state) { return KeysForMode(Inputs(), state); }, Compute, CorrelationPilot};
}

}  // namespace kelvasta
