// Design 0: two independent means, by the noncentral t and the normal formula.
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
      {QStringLiteral("mean1"), QStringLiteral("第1组均数 μ1"), QStringLiteral("原单位")},
      {QStringLiteral("mean2"), QStringLiteral("第2组均数 μ2"), QStringLiteral("原单位"), QString(), InputMode::kBoth,
       false, QString(), QStringLiteral("两组均数相等，无差异可供检出")},
      {QStringLiteral("sd"), QStringLiteral("共同标准差 σ"), QStringLiteral("原单位，> 0"), QString(), InputMode::kBoth,
       false, QStringLiteral("须大于0")},
      AlphaInput(),
      PowerInput(),
      RatioInput(),
      DropoutInput(),
      SizeInput(QStringLiteral("n1"), QStringLiteral("第1组例数 n1"), QStringLiteral("例"), 2),
      SizeInput(QStringLiteral("n2"), QStringLiteral("第2组例数 n2"), QStringLiteral("例"), 2),
  };
  return inputs;
}

// "每组需57例" or "第1组需57例、第2组需86例" (`verb` "需" or "").
QString GroupSizes(double n1, double n2, const QString& verb) {
  if (n1 == n2) return QStringLiteral("每组%1%2例").arg(verb, Count(n1));
  return QStringLiteral("第1组%1%2例、第2组%1%3例").arg(verb, Count(n1), Count(n2));
}

std::vector<DetailsRow> Rows(const TwoMeansPlan& p, const PlanningGoal& goal) {
  const QString exact = QStringLiteral("精确法（非中心t分布）");
  const QString normal = QStringLiteral("正态近似公式");
  const QString power = QStringLiteral("检验效能 1−β");
  const std::vector<DetailsRow> effect{
      Row(QStringLiteral("效应量 d"), FigureText(p.effect_d)), Row(QStringLiteral("非中心参数 δ"), FigureText(p.ncp)),
      Row(QStringLiteral("t界值"), FigureText(p.t_critical)), Row(QStringLiteral("自由度 ν"), DfText(p.df))};
  std::vector<DetailsRow> rows{Heading(exact)};
  if (goal.mode == PlanningMode::kPower) {
    rows.push_back(Row(power, FigureText(p.power)));
    rows.insert(rows.end(), effect.begin(), effect.end());
    rows.push_back(Heading(normal));
    rows.push_back(Row(power, FigureText(p.power_normal)));
    return rows;
  }
  const QString n1 = QStringLiteral("第1组例数 n1"), n2 = QStringLiteral("第2组例数 n2"), total = QStringLiteral("总例数 N");
  rows.insert(rows.end(), {Row(n1, DfText(p.n1)), Row(n2, DfText(p.n2)), Row(total, DfText(p.n_total)),
                           Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved))});
  rows.insert(rows.end(), effect.begin(), effect.end());
  rows.insert(rows.end(), {Heading(normal), Row(n1, DfText(p.n1_normal)), Row(n2, DfText(p.n2_normal))});
  if (goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1（精确法）").arg(PercentText(goal.dropout))),
                             Row(n1, DfText(p.n1_dropout)), Row(n2, DfText(p.n2_dropout)),
                             Row(total, DfText(p.n_total_dropout))});
  return rows;
}

// `typed` holds the ratio of mode "n", n1 and n2 of mode "power".
QString Sentence(const TwoMeansPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source,
                 const TwoMeansInput& typed) {
  QString s = QStringLiteral("本研究采用两独立样本t检验比较两组均数。按%1").arg(AlphaClause(in, true));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期两组均数分别为%1和%2，共同标准差为%3")
           .arg(in.shown(QStringLiteral("mean1")), in.shown(QStringLiteral("mean2")), in.shown(QStringLiteral("sd")));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (goal.mode == PlanningMode::kPower) {
    if (!p.power) return QString();
    return s + QStringLiteral("，%1时，采用非中心t分布计算，检验效能1−β = %2。")
                   .arg(GroupSizes(typed.n1, typed.n2, QString()), FigureText(p.power));
  }
  if (!p.n1 || !p.n2 || !p.n_total) return QString();
  if (typed.ratio != 1)
    s += QStringLiteral("，两组例数之比n2:n1为%1").arg(in.shown(QStringLiteral("ratio")));
  s += QStringLiteral("，采用非中心t分布计算，%1").arg(GroupSizes(*p.n1, *p.n2, QStringLiteral("需")));
  if (goal.dropout > 0 && p.n1_dropout && p.n2_dropout && p.n_total_dropout)
    return s + QStringLiteral("；考虑%1的脱落率，%2，共%3例。")
                   .arg(PercentText(goal.dropout), GroupSizes(*p.n1_dropout, *p.n2_dropout, QStringLiteral("需")),
                        Count(*p.n_total_dropout));
  return s + QStringLiteral("，共%1例。").arg(Count(*p.n_total));
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>&) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  TwoMeansInput values{in.value(QStringLiteral("mean1")), in.value(QStringLiteral("mean2")),
                       in.value(QStringLiteral("sd"))};
  if (state.findPower) {
    values.n1 = in.value(QStringLiteral("n1"));
    values.n2 = in.value(QStringLiteral("n2"));
  } else {
    values.ratio = in.value(QStringLiteral("ratio"));
  }
  const TwoMeansPlan plan = PlanTwoMeans(goal, values);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = Rows(plan, goal);
  report.sentence = Sentence(plan, goal, in, source, values);
  report.chart = PowerCurveChart(plan.curve, QStringLiteral("第1组例数 n1"), state.findPower, values.n1, plan.n1.value_or(0), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign TwoMeansDesign() {
  return {QStringLiteral("两样本均数比较"), true, Inputs(),
          [](const PlanningState& state) { return KeysForMode(Inputs(), state); }, Compute, TwoGroupsPilot};
}

}  // namespace kelvasta
