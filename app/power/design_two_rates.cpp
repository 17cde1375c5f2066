// Design 3: two rates (the fourfold table), by Fisher's exact test beside
// Fleiss's formulas with and without the continuity correction.
#include "app/details/figure_text.h"
#include "app/details/report_rows.h"
#include "app/power/designs.h"
#include "app/power/pilot_data.h"
#include "app/power/planning_text.h"
#include "stats/power_rates.h"

namespace kelvasta {

namespace {

using namespace planning;

PlanningInput RateInput(const QString& key, const QString& label, const QString& noEffect) {
  return {key, label, QStringLiteral("0 ~ 1，如 0.6 或 60%"), QString(), InputMode::kBoth, true,
          QStringLiteral("须在0与1之间"), noEffect};
}

const std::vector<PlanningInput>& Inputs() {
  static const std::vector<PlanningInput> inputs = [] {
    PlanningInput n1 = SizeInput(QStringLiteral("n1"), QStringLiteral("第1组例数 n1"), QStringLiteral("例"), 2);
    n1.exactNote = QStringLiteral("每组超过1,000例时不作Fisher确切概率法计算，请参考公式法的结果");
    return std::vector<PlanningInput>{
        RateInput(QStringLiteral("p1"), QStringLiteral("第1组率 π1"), QString()),
        RateInput(QStringLiteral("p2"), QStringLiteral("第2组率 π2"), QStringLiteral("两组率相等，无差异可供检出")),
        AlphaInput(),
        PowerInput(),
        RatioInput(),
        DropoutInput(),
        n1,
        SizeInput(QStringLiteral("n2"), QStringLiteral("第2组例数 n2"), QStringLiteral("例"), 2),
    };
  }();
  return inputs;
}

const QString kN1 = QStringLiteral("第1组例数 n1"), kN2 = QStringLiteral("第2组例数 n2"), kTotal = QStringLiteral("总例数 N");
const QString kPower = QStringLiteral("检验效能 1−β");
const QString kExact = QStringLiteral("精确法（Fisher确切概率法）");
const QString kNormal = QStringLiteral("正态近似公式（Fleiss）");
const QString kCorrected = QStringLiteral("连续性校正公式（Fleiss）");

// "每组需102例" or "第1组需102例、第2组需204例" (`verb` "需" or "").
QString GroupSizes(double n1, double n2, const QString& verb) {
  if (n1 == n2) return QStringLiteral("每组%1%2例").arg(verb, Count(n1));
  return QStringLiteral("第1组%1%2例、第2组%1%3例").arg(verb, Count(n1), Count(n2));
}

std::vector<DetailsRow> Rows(const TwoRatesPlan& p, const PlanningGoal& goal) {
  const std::vector<DetailsRow> effect{Heading(QStringLiteral("效应量")),
                                       Row(QStringLiteral("率差 π1−π2"), FigureText(p.risk_difference)),
                                       Row(QStringLiteral("比值比(OR)"), FigureText(p.odds_ratio))};
  std::vector<DetailsRow> rows{Heading(kExact)};
  if (goal.mode == PlanningMode::kPower) {
    rows.insert(rows.end(), {Row(kPower, FigureText(p.power)), Heading(kNormal), Row(kPower, FigureText(p.power_normal))});
    rows.insert(rows.end(), effect.begin(), effect.end());
    return rows;
  }
  rows.insert(rows.end(), {Row(kN1, DfText(p.n1)), Row(kN2, DfText(p.n2)), Row(kTotal, DfText(p.n_total)),
                           Row(QStringLiteral("实际检验效能 1−β"), FigureText(p.power_achieved))});
  rows.insert(rows.end(), {Heading(kNormal), Row(kN1, DfText(p.n1_normal)), Row(kN2, DfText(p.n2_normal)),
                           Heading(kCorrected), Row(kN1, DfText(p.n1_cc)), Row(kN2, DfText(p.n2_cc))});
  if (goal.dropout > 0)
    rows.insert(rows.end(), {Heading(QStringLiteral("考虑脱落率%1").arg(PercentText(goal.dropout))),
                             Row(QStringLiteral("精确法 n1"), DfText(p.n1_dropout)),
                             Row(QStringLiteral("精确法 n2"), DfText(p.n2_dropout)),
                             Row(QStringLiteral("精确法 总例数 N"), DfText(p.n_total_dropout)),
                             Row(QStringLiteral("正态近似公式 n1"), DfText(p.n1_normal_dropout)),
                             Row(QStringLiteral("正态近似公式 n2"), DfText(p.n2_normal_dropout)),
                             Row(QStringLiteral("连续性校正公式 n1"), DfText(p.n1_cc_dropout)),
                             Row(QStringLiteral("连续性校正公式 n2"), DfText(p.n2_cc_dropout))});
  rows.insert(rows.end(), effect.begin(), effect.end());
  return rows;
}

// The sizes and the method the sentence gives: Fisher's, or beyond its reach
// the continuity-corrected formula, which stands closest to it.
struct Stated {
  std::optional<double> n1, n2, n1Dropout, n2Dropout;
  bool exact = true;
};

Stated StatedSizes(const TwoRatesPlan& p) {
  if (p.n1) return {p.n1, p.n2, p.n1_dropout, p.n2_dropout, true};
  return {p.n1_cc, p.n2_cc, p.n1_cc_dropout, p.n2_cc_dropout, false};
}

QString Sentence(const TwoRatesPlan& p, const PlanningGoal& goal, const InputReader& in, const QString& source,
                 const TwoRatesInput& typed) {
  const bool exact = goal.mode == PlanningMode::kPower ? bool(p.power) : bool(p.n1);
  QString s = exact ? QStringLiteral("本研究采用Fisher确切概率法比较两组率。")
                    : QStringLiteral("本研究采用四格表χ²检验比较两组率。");
  s += QStringLiteral("按%1").arg(AlphaClause(in, true));
  if (goal.mode == PlanningMode::kSampleSize) s += QStringLiteral("、检验效能1−β = %1").arg(in.shown(QStringLiteral("power")));
  s += QStringLiteral("，预期两组率分别为%1和%2").arg(in.shown(QStringLiteral("p1")), in.shown(QStringLiteral("p2")));
  if (!source.isEmpty()) s += QStringLiteral("（%1）").arg(source);
  if (goal.mode == PlanningMode::kPower) {
    const std::optional<double> power = exact ? p.power : p.power_normal;
    if (!power) return QString();
    return s + QStringLiteral("，%1时，%2，检验效能1−β = %3。")
                   .arg(GroupSizes(typed.n1, typed.n2, QString()),
                        exact ? QStringLiteral("按Fisher确切概率法精确计算") : QStringLiteral("按Fleiss正态近似公式计算"),
                        FigureText(power));
  }
  const Stated n = StatedSizes(p);
  if (!n.n1 || !n.n2) return QString();
  if (typed.ratio != 1) s += QStringLiteral("，两组例数之比n2:n1为%1").arg(in.shown(QStringLiteral("ratio")));
  s += n.exact ? QStringLiteral("，按Fisher确切概率法精确计算检验效能")
               : QStringLiteral("，所需例数超出确切概率法的计算范围，按Fleiss连续性校正公式计算");
  s += QStringLiteral("，%1").arg(GroupSizes(*n.n1, *n.n2, QStringLiteral("需")));
  if (goal.dropout > 0 && n.n1Dropout && n.n2Dropout)
    return s + QStringLiteral("；考虑%1的脱落率，%2，共%3例。")
                   .arg(PercentText(goal.dropout), GroupSizes(*n.n1Dropout, *n.n2Dropout, QStringLiteral("需")),
                        Count(*n.n1Dropout + *n.n2Dropout));
  return s + QStringLiteral("，共%1例。").arg(Count(*n.n1 + *n.n2));
}

PlanningReport Compute(const PlanningState& state, const QString& source, const std::atomic<bool>& cancel) {
  InputReader in(Inputs(), state);
  const PlanningGoal goal = in.goal();
  TwoRatesInput values{in.value(QStringLiteral("p1")), in.value(QStringLiteral("p2"))};
  if (state.findPower) {
    values.n1 = in.value(QStringLiteral("n1"));
    values.n2 = in.value(QStringLiteral("n2"));
  } else {
    values.ratio = in.value(QStringLiteral("ratio"));
  }
  const TwoRatesPlan plan = PlanTwoRates(goal, values, &cancel);
  in.note(plan.problems);
  PlanningReport report;
  report.figures = ListFigures(plan, goal.mode);
  report.rows = Rows(plan, goal);
  report.sentence = Sentence(plan, goal, in, source, values);
  // Beyond Fisher's reach the curve is Fleiss's, marked at its own n1.
  report.chart = PowerCurveChart(plan.curve, kN1, state.findPower, values.n1, plan.n1.value_or(plan.n1_normal.value_or(0)), goal.power);
  report.notes = in.notes();
  return report;
}

}  // namespace

PowerDesign TwoRatesDesign() {
  return {QStringLiteral("两样本率比较"), true, Inputs(),
          [](const PlanningState& state) { return KeysForMode(Inputs(), state); }, Compute, FourfoldPilot};
}

}  // namespace kelvasta
