// Design 7: two groups' ordinal grades (the rank-sum test), by Noether's
// formula with the variance corrected for ties.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_categories.h"

namespace kelvasta {

namespace {

using namespace planning;

// As the grid heads its grades, mildest first.
const QString kGrades[kPlannedGrades] = {QStringLiteral("（+）"), QStringLiteral("（++）"), QStringLiteral("（+++）"),
                                         QStringLiteral("（++++）")};

QString GradeKey(int group, int grade) { return QStringLiteral("p%1_%2").arg(group).arg(grade); }

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs = [] {
    std::vector<PlanningInput> list;
    for (int g = 1; g <= 2; ++g)
      for (int j = 1; j <= kPlannedGrades; ++j) {
        PlanningInput grade{GradeKey(g, j), QStringLiteral("第%1组%2构成比").arg(g).arg(kGrades[j - 1]),
                            QStringLiteral("0 ~ 1；每组四个等级之和为1"), QString(), InputMode::kBoth, true,
                            QStringLiteral("须在0与1之间")};
        if (j == 1) grade.sumNote = QStringLiteral("第%1组各等级构成比之和须为1（允许误差±0.001）").arg(g);
        if (g == 2 && j == 1) grade.noEffectNote = QStringLiteral("两组的优势概率p为0.5，无差异可供检出");
        list.push_back(grade);
      }
    list.insert(list.end(), {AlphaInput(), PowerInput(), RatioInput(), DropoutInput(),
                             SizeInput(QStringLiteral("n1"), QStringLiteral("第1组例数 n1"), QStringLiteral("例"), 2),
                             SizeInput(QStringLiteral("n2"), QStringLiteral("第2组例数 n2"), QStringLiteral("例"), 2)});
    return list;
  }();
  return inputs;
}

// "每组需20例" or "第1组需20例、第2组需40例" (`verb` "需" or "").
QString GroupSizes(double n1, double n2, const QString& verb) {
  if (n1 == n2) return QStringLiteral("每组%1%2例").arg(verb, Count(n1));
  return QStringLiteral("第1组%1%2例、第2组%1%3例").arg(verb, Count(n1), Count(n2));
}

std::vector<DetailsRow> TableRows(const OrdinalPlan& p, const PlanningGoal& goal) {
  const QString n1 = QStringLiteral("第1组例数 n1"), n2 = QStringLiteral("第2组例数 n2"), total = QStringLiteral("总例数 N");
  const DetailsRow superiority =
      Row(QStringLiteral("优势概率 p = P(X₁>X₂) + ½P(X₁=X₂)"), FigureText(p.prob_superiority));
  std::vector<DetailsRow> rows{Heading(QStringLiteral("Noether公式（结校正）"))};
  if (goal.mode == PlanningMode::kPower) {
    rows.insert(rows.end(), {Row(QStringLiteral("检验效能 1−β"), FigureText(p.power)), superiority});
    return rows;
  }
  rows.insert(rows.end(), {Row(n1, DfText(p.n1)), Row(n2, DfText(p.n2)), Row(total, DfText(p.n_total)),
                           Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved)), superiority});
  if (goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1").arg(PercentText(goal.dropout))),
                             Row(n1, DfText(p.n1_dropout)), Row(n2, DfText(p.n2_dropout)),
                             Row(total, DfText(p.n_total_dropout))});
  return rows;
}

QString Grades(const InputReader& in, int group) {
  QStringList shares;
  for (int j = 1; j <= kPlannedGrades; ++j) shares.push_back(in.shown(GradeKey(group, j)));
  return JoinValues(shares);
}

QString Sentence(const OrdinalPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source,
                 const OrdinalPlanningInput& typed) {
  QString s = QStringLiteral("本研究采用Wilcoxon秩和检验比较两组等级资料。按%1").arg(AlphaClause(in, true));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期%1至%2各等级的构成比第1组为%3，第2组为%4")
           .arg(kGrades[0], kGrades[kPlannedGrades - 1], Grades(in, 1), Grades(in, 2));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  s += QStringLiteral("（第1组等级高于第2组的优势概率p = %1）").arg(FigureText(p.prob_superiority));
  if (goal.mode == PlanningMode::kPower) {
    if (!p.power) return QString();
    return s + QStringLiteral("，%1时，采用经结校正的Noether公式计算，检验效能1−β = %2。")
                   .arg(GroupSizes(typed.n1, typed.n2, QString()), FigureText(p.power));
  }
  if (!p.n1 || !p.n2 || !p.n_total) return QString();
  if (typed.ratio != 1) s += QStringLiteral("，两组例数之比n2:n1为%1").arg(in.shown(QStringLiteral("ratio")));
  s += QStringLiteral("，采用经结校正的Noether公式计算，%1").arg(GroupSizes(*p.n1, *p.n2, QStringLiteral("需")));
  if (goal.dropout > 0 && p.n1_dropout && p.n2_dropout && p.n_total_dropout)
    return s + QStringLiteral("；考虑%1的脱落率，%2，共%3例。")
                   .arg(PercentText(goal.dropout), GroupSizes(*p.n1_dropout, *p.n2_dropout, QStringLiteral("需")),
                        Count(*p.n_total_dropout));
  return s + QStringLiteral("，共%1例。").arg(Count(*p.n_total));
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>&) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  OrdinalPlanningInput values;
  for (int j = 0; j < kPlannedGrades; ++j) {
    values.p1[std::size_t(j)] = in.value(GradeKey(1, j + 1));
    values.p2[std::size_t(j)] = in.value(GradeKey(2, j + 1));
  }
  if (state.findPower) {
    values.n1 = in.value(QStringLiteral("n1"));
    values.n2 = in.value(QStringLiteral("n2"));
  } else {
    values.ratio = in.value(QStringLiteral("ratio"));
  }
  const OrdinalPlan plan = PlanOrdinal(goal, values);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = TableRows(plan, goal);
  report.sentence = plan.prob_superiority ? Sentence(plan, goal, in, source, values) : QString();
  report.chart = PowerCurveChart(plan.curve, QStringLiteral("第1组例数 n1"), state.findPower, values.n1, plan.n1.value_or(0), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign OrdinalDesign() {
  return {QStringLiteral("等级资料比较（秩和检验）"), true, Inputs(),
          [](const PlanningState& state) { return KeysForMode(Inputs(), state); }, Compute, OrdinalTablePilot};
}

}  // namespace kelvasta
