// Design 2: one-way analysis of variance of k equal groups, by the noncentral F.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_anova.h"

#include <cmath>

namespace kelvasta {

namespace {

using namespace planning;

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs = [] {
    std::vector<PlanningInput> list{{QStringLiteral("k"), QStringLiteral("组数 k"), QStringLiteral("2 ~ 6"),
                                     QStringLiteral("3"), InputMode::kBoth, false,
                                     QStringLiteral("须为2至6之间的整数")}};
    for (int i = 1; i <= kMaxPlannedGroups; ++i)
      list.push_back({QStringLiteral("mean_%1").arg(i), QStringLiteral("第%1组均数 μ%1").arg(i), QStringLiteral("原单位"),
                      QString(), InputMode::kBoth, false, QString(),
                      i == 1 ? QStringLiteral("各组均数全部相等，无差异可供检出") : QString()});
    list.push_back({QStringLiteral("sd"), QStringLiteral("组内标准差 σ"), QStringLiteral("原单位，> 0"), QString(),
                    InputMode::kBoth, false, QStringLiteral("须大于0")});
    list.push_back(AlphaInput());
    list.push_back(PowerInput());
    list.push_back(DropoutInput());
    list.push_back(SizeInput(QStringLiteral("n"), QStringLiteral("每组例数 n"), QStringLiteral("例"), 2));
    return list;
  }();
  return inputs;
}

// The number of groups as typed, 3 while it is not one of 2 to 6.
int Groups(const PlanningState& state) {
  const std::optional<double> k = ReadNumber(state.inputs.value(QStringLiteral("k")), false);
  if (!k || *k != std::floor(*k) || *k < 2 || *k > kMaxPlannedGroups) return 3;
  return int(*k);
}

QStringList ShownKeys(const PlanningState& state) {
  QStringList keys = KeysForMode(Inputs(), state);
  const int k = Groups(state);
  for (int i = k + 1; i <= kMaxPlannedGroups; ++i) keys.removeOne(QStringLiteral("mean_%1").arg(i));
  return keys;
}

std::vector<DetailsRow> Rows(const AnovaPlan& p, const PlanningGoal& goal) {
  const QString perGroup = QStringLiteral("每组例数 n"), total = QStringLiteral("总例数 N");
  const std::vector<DetailsRow> effect{
      Row(QStringLiteral("效应量 f"), FigureText(p.effect_f)), Row(QStringLiteral("非中心参数 λ"), FigureText(p.lambda)),
      Row(QStringLiteral("F界值"), FigureText(p.f_critical)), Row(QStringLiteral("自由度 ν1"), DfText(p.df1)),
      Row(QStringLiteral("自由度 ν2"), DfText(p.df2))};
  std::vector<DetailsRow> rows{Heading(QStringLiteral("精确法（非中心F分布）"))};
  if (goal.mode == PlanningMode::kPower) {
    rows.push_back(Row(QStringLiteral("检验效能 1−β"), FigureText(p.power)));
  } else {
    rows.insert(rows.end(), {Row(perGroup, DfText(p.n_per_group)), Row(total, DfText(p.n_total)),
                             Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved))});
  }
  rows.insert(rows.end(), effect.begin(), effect.end());
  if (goal.mode == PlanningMode::kSampleSize && goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1").arg(PercentText(goal.dropout))),
                             Row(perGroup, DfText(p.n_per_group_dropout)), Row(total, DfText(p.n_total_dropout))});
  return rows;
}

QString Sentence(const AnovaPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source, int k,
                 double typedSize) {
  QStringList means;
  for (int i = 1; i <= k; ++i) means.push_back(in.shown(QStringLiteral("mean_%1").arg(i)));
  QString s = QStringLiteral("本研究采用单因素方差分析比较%1组均数。按%2").arg(k).arg(AlphaClause(in, false));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期各组均数分别为%1，组内标准差为%2（效应量f = %3）")
           .arg(JoinValues(means), in.shown(QStringLiteral("sd")), FigureText(p.effect_f));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (goal.mode == PlanningMode::kPower) {
    if (!p.power) return QString();
    return s + QStringLiteral("，每组%1例（共%2例）时，采用非中心F分布计算，检验效能1−β = %3。")
                   .arg(Count(typedSize), Count(k * typedSize), FigureText(p.power));
  }
  if (!p.n_per_group || !p.n_total) return QString();
  s += QStringLiteral("，采用非中心F分布计算，每组需%1例，共%2例").arg(Count(*p.n_per_group), Count(*p.n_total));
  if (goal.dropout > 0 && p.n_per_group_dropout && p.n_total_dropout)
    return s + QStringLiteral("；考虑%1的脱落率，每组需%2例，共%3例。")
                   .arg(PercentText(goal.dropout), Count(*p.n_per_group_dropout), Count(*p.n_total_dropout));
  return s + QStringLiteral("。");
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>&) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  AnovaPlanningInput values;
  values.groups = in.value(QStringLiteral("k"));
  const int k = Groups(state);
  for (int i = 0; i < k; ++i) values.means[std::size_t(i)] = in.value(QStringLiteral("mean_%1").arg(i + 1));
  values.sd = in.value(QStringLiteral("sd"));
  if (state.findPower) values.n = in.value(QStringLiteral("n"));
  const AnovaPlan plan = PlanAnova(goal, values);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = Rows(plan, goal);
  report.sentence = Sentence(plan, goal, in, source, k, values.n);
  report.chart = PowerCurveChart(plan.curve, QStringLiteral("每组例数 n"), state.findPower, values.n, plan.n_per_group.value_or(0), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign AnovaDesign() {
  return {QStringLiteral("多组均数比较（方差分析）"), false, Inputs(), ShownKeys, Compute, ThreeGroupsPilot};
}

}  // namespace kelvasta
