// Design 5: several rates or compositions (the R x C table), by the
// noncentral chi-square with the effect size w of the expected shares.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_categories.h"

#include <cmath>

namespace kelvasta {

namespace {

using namespace planning;

QString CellKey(int i, int j) { return QStringLiteral("p_%1_%2").arg(i).arg(j); }
QString ShareKey(int i) { return QStringLiteral("share_%1").arg(i); }

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs = [] {
    std::vector<PlanningInput> list{
        {QStringLiteral("r"), QStringLiteral("组数 r"), QStringLiteral("2 或 3"), QStringLiteral("3"), InputMode::kBoth,
         false, QStringLiteral("须为2或3")},
        {QStringLiteral("c"), QStringLiteral("类别数 c"), QStringLiteral("2 ~ 4（两类即为率）"), QStringLiteral("2"),
         InputMode::kBoth, false, QStringLiteral("须为2至4之间的整数")}};
    for (int i = 1; i <= kMaxPlannedRows; ++i) {
      PlanningInput share{ShareKey(i), QStringLiteral("第%1组所占比例").arg(i),
                          QStringLiteral("占总例数的比例；全部留空为各组相等"), QString(), InputMode::kBoth, true,
                          QStringLiteral("须大于0且不超过1")};
      if (i == 1) share.sumNote = QStringLiteral("各组所占比例之和须为1（允许误差±0.001）");
      list.push_back(share);
    }
    for (int i = 1; i <= kMaxPlannedRows; ++i)
      for (int j = 1; j <= kMaxPlannedCategories; ++j) {
        PlanningInput cell{CellKey(i, j), QStringLiteral("第%1组第%2类构成比").arg(i).arg(j),
                           QStringLiteral("0 ~ 1；每组各类之和为1"), QString(), InputMode::kBoth, true,
                           QStringLiteral("须在0与1之间")};
        if (j == 1) cell.sumNote = QStringLiteral("第%1组各类构成比之和须为1（允许误差±0.001）").arg(i);
        if (i == 1 && j == 1) cell.noEffectNote = QStringLiteral("各组的构成比全部相同，无差异可供检出");
        list.push_back(cell);
      }
    list.push_back(AlphaInput());
    list.push_back(PowerInput());
    list.push_back(DropoutInput());
    list.push_back(SizeInput(QStringLiteral("n"), QStringLiteral("总例数 N"), QStringLiteral("例"), 2));
    return list;
  }();
  return inputs;
}

// r and c as typed, the defaults while they are not usable.
int Typed(const PlanningState& state, const QString& key, int least, int most, int fallback) {
  const std::optional<double> v = ReadNumber(state.inputs.value(key), false);
  if (!v || *v != std::floor(*v) || *v < least || *v > most) return fallback;
  return int(*v);
}
int Rows(const PlanningState& state) { return Typed(state, QStringLiteral("r"), 2, kMaxPlannedRows, 3); }
int Columns(const PlanningState& state) { return Typed(state, QStringLiteral("c"), 2, kMaxPlannedCategories, 2); }

QStringList ShownKeys(const PlanningState& state) {
  QStringList keys = KeysForMode(Inputs(), state);
  const int r = Rows(state), c = Columns(state);
  for (int i = 1; i <= kMaxPlannedRows; ++i) {
    if (i > r) keys.removeOne(ShareKey(i));
    for (int j = 1; j <= kMaxPlannedCategories; ++j)
      if (i > r || j > c) keys.removeOne(CellKey(i, j));
  }
  return keys;
}

bool SharesBlank(const PlanningState& state, int r) {
  for (int i = 1; i <= r; ++i)
    if (!state.inputs.value(ShareKey(i)).trimmed().isEmpty()) return false;
  return true;
}

std::vector<DetailsRow> TableRows(const RxcPlan& p, const PlanningGoal& goal) {
  const QString total = QStringLiteral("总例数 N");
  std::vector<DetailsRow> rows{Heading(QStringLiteral("非中心χ²分布"))};
  if (goal.mode == PlanningMode::kPower) {
    rows.push_back(Row(QStringLiteral("检验效能 1−β"), FigureText(p.power)));
  } else {
    rows.push_back(Row(total, DfText(p.n_total)));
    for (int i = 0; i < p.rows; ++i)
      rows.push_back(Row(QStringLiteral("第%1组例数 n%1").arg(i + 1), DfText(p.n_groups[std::size_t(i)])));
    rows.push_back(Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved)));
  }
  rows.insert(rows.end(), {Row(QStringLiteral("效应量 w"), FigureText(p.effect_w)),
                           Row(QStringLiteral("非中心参数 λ"), FigureText(p.lambda)),
                           Row(QStringLiteral("χ²界值"), FigureText(p.chi2_critical)),
                           Row(QStringLiteral("自由度 ν"), DfText(p.df))});
  if (goal.mode == PlanningMode::kSampleSize && goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1").arg(PercentText(goal.dropout))),
                             Row(total, DfText(p.n_total_dropout))});
  return rows;
}

// "第1组0.2、0.8，第2组0.3、0.7".
QString Compositions(const InputReader& in, int r, int c) {
  QStringList groups;
  for (int i = 1; i <= r; ++i) {
    QStringList shares;
    for (int j = 1; j <= c; ++j) shares.push_back(in.shown(CellKey(i, j)));
    groups.push_back(QStringLiteral("第%1组%2").arg(i).arg(shares.join(QStringLiteral("、"))));
  }
  return groups.join(QStringLiteral("，"));
}

QString Sentence(const RxcPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source, bool equal,
                 double typedTotal) {
  const int r = p.rows, c = Columns(in.state());
  QString s = QStringLiteral("本研究采用R×C表χ²检验比较%1组的构成（率）。按%2").arg(r).arg(AlphaClause(in, false));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期各组各类的构成比分别为%1").arg(Compositions(in, r, c));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (equal) {
    s += QStringLiteral("，各组例数相等");
  } else {
    QStringList shares;
    for (int i = 1; i <= r; ++i) shares.push_back(in.shown(ShareKey(i)));
    s += QStringLiteral("，各组所占比例分别为%1").arg(JoinValues(shares));
  }
  s += QStringLiteral("（效应量w = %1，ν = %2）").arg(FigureText(p.effect_w), DfText(p.df));
  if (goal.mode == PlanningMode::kPower) {
    if (!p.power) return QString();
    return s + QStringLiteral("，共%1例时，采用非中心χ²分布计算，检验效能1−β = %2。")
                   .arg(Count(typedTotal), FigureText(p.power));
  }
  if (!p.n_total) return QString();
  QStringList groups;
  double sum = 0;
  for (int i = 0; i < r; ++i) {
    groups.push_back(QStringLiteral("第%1组%2例").arg(i + 1).arg(Count(p.n_groups[std::size_t(i)].value_or(0))));
    sum += p.n_groups[std::size_t(i)].value_or(0);
  }
  s += QStringLiteral("，采用非中心χ²分布计算，共需%1例（%2").arg(Count(*p.n_total), groups.join(QStringLiteral("、")));
  // Each group rounded up may add a case or two to the total.
  if (sum != *p.n_total) s += QStringLiteral("，各组向上取整后合计%1例").arg(Count(sum));
  s += QStringLiteral("）");
  if (goal.dropout > 0 && p.n_total_dropout)
    return s + QStringLiteral("；考虑%1的脱落率，共需%2例。").arg(PercentText(goal.dropout), Count(*p.n_total_dropout));
  return s + QStringLiteral("。");
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>&) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  RxcPlanningInput values;
  values.rows = in.value(QStringLiteral("r"));
  values.categories = in.value(QStringLiteral("c"));
  const int r = Rows(state), c = Columns(state);
  values.equalShares = SharesBlank(state, r);
  for (int i = 0; i < r; ++i) {
    if (!values.equalShares) values.shares[std::size_t(i)] = in.value(ShareKey(i + 1));
    for (int j = 0; j < c; ++j) values.p[std::size_t(i)][std::size_t(j)] = in.value(CellKey(i + 1, j + 1));
  }
  if (state.findPower) values.n = in.value(QStringLiteral("n"));
  const RxcPlan plan = PlanRxc(goal, values);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = TableRows(plan, goal);
  report.sentence = plan.rows > 0 ? Sentence(plan, goal, in, source, values.equalShares, values.n) : QString();
  report.chart = PowerCurveChart(plan.curve, QStringLiteral("总例数 N"), state.findPower, values.n, plan.n_total.value_or(0), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign RxcDesign() {
  return {QStringLiteral("多个率（R×C）比较"), false, Inputs(), ShownKeys, Compute, RxcTablePilot};
}

}  // namespace kelvasta
