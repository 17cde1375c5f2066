// Design 1: paired means, by the noncentral t and the normal formula.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_t_tests.h"

namespace kelvasta {

namespace {

using namespace planning;

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs{
      {QStringLiteral("mean_difference"), QStringLiteral("差值均数 μd"), QStringLiteral("原单位（第1列 − 第2列）"),
       QString(), InputMode::kBoth, false, QString(), QStringLiteral("差值均数为0，无差异可供检出")},
      {QStringLiteral("sd_difference"), QStringLiteral("差值标准差 σd"), QStringLiteral("原单位，> 0"), QString(),
       InputMode::kBoth, false, QStringLiteral("须大于0")},
      AlphaInput(),
      PowerInput(),
      DropoutInput(),
      SizeInput(QStringLiteral("n"), QStringLiteral("对子数 n"), QStringLiteral("对"), 2),
  };
  return inputs;
}

std::vector<DetailsRow> Rows(const PairedMeansPlan& p, const PlanningGoal& goal) {
  const QString power = QStringLiteral("检验效能 1−β"), pairs = QStringLiteral("对子数 n");
  const std::vector<DetailsRow> effect{
      Row(QStringLiteral("效应量 dz"), FigureText(p.effect_dz)), Row(QStringLiteral("非中心参数 δ"), FigureText(p.ncp)),
      Row(QStringLiteral("t界值"), FigureText(p.t_critical)), Row(QStringLiteral("自由度 ν"), DfText(p.df))};
  std::vector<DetailsRow> rows{Heading(QStringLiteral("精确法（非中心t分布）"))};
  if (goal.mode == PlanningMode::kPower) {
    rows.push_back(Row(power, FigureText(p.power)));
    rows.insert(rows.end(), effect.begin(), effect.end());
    rows.insert(rows.end(), {Heading(QStringLiteral("正态近似公式")), Row(power, FigureText(p.power_normal))});
    return rows;
  }
  rows.insert(rows.end(), {Row(pairs, DfText(p.n)), Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved))});
  rows.insert(rows.end(), effect.begin(), effect.end());
  rows.insert(rows.end(), {Heading(QStringLiteral("正态近似公式")), Row(pairs, DfText(p.n_normal))});
  if (goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1（精确法）").arg(PercentText(goal.dropout))),
                             Row(pairs, DfText(p.n_dropout))});
  return rows;
}

QString Sentence(const PairedMeansPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source,
                 double typedPairs) {
  QString s = QStringLiteral("本研究采用配对t检验比较配对差值。按%1").arg(AlphaClause(in, true));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期差值均数为%1，差值标准差为%2")
           .arg(in.shown(QStringLiteral("mean_difference")), in.shown(QStringLiteral("sd_difference")));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (goal.mode == PlanningMode::kPower) {
    if (!p.power) return QString();
    return s + QStringLiteral("，%1对时，采用非中心t分布计算，检验效能1−β = %2。").arg(Count(typedPairs), FigureText(p.power));
  }
  if (!p.n) return QString();
  s += QStringLiteral("，采用非中心t分布计算，需%1对").arg(Count(*p.n));
  if (goal.dropout > 0 && p.n_dropout)
    return s + QStringLiteral("；考虑%1的脱落率，需%2对。").arg(PercentText(goal.dropout), Count(*p.n_dropout));
  return s + QStringLiteral("。");
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>&) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  PairedMeansInput values{in.value(QStringLiteral("mean_difference")), in.value(QStringLiteral("sd_difference"))};
  if (state.findPower) values.n = in.value(QStringLiteral("n"));
  const PairedMeansPlan plan = PlanPairedMeans(goal, values);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = Rows(plan, goal);
  report.sentence = Sentence(plan, goal, in, source, values.n);
  report.chart = PowerCurveChart(plan.curve, QStringLiteral("对子数 n"), state.findPower, values.n, plan.n.value_or(0), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign PairedMeansDesign() {
  return {QStringLiteral("配对均数比较"), true, Inputs(),
          [](const PlanningState& state) { return KeysForMode(Inputs(), state); }, Compute, PairedPilot};
}

}  // namespace kelvasta
