#include "app/power/planning_text.h"

#include "app/details/figure_text.h"
#include "app/details/report_rows.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace kelvasta::planning {

PlanningInput AlphaInput() {
  return {QStringLiteral("alpha"), QStringLiteral("检验水准 α"), QStringLiteral("0 < α ≤ 0.5"), QStringLiteral("0.05"),
          InputMode::kBoth, true, QStringLiteral("须大于0且不超过0.5")};
}

PlanningInput PowerInput() {
  return {QStringLiteral("power"), QStringLiteral("检验效能 1−β"), QStringLiteral("如 0.80 或 80%"),
          QStringLiteral("0.80"), InputMode::kSampleSize, true, QStringLiteral("须大于α且小于1")};
}

PlanningInput RatioInput() {
  return {QStringLiteral("ratio"), QStringLiteral("例数比 n2/n1"), QStringLiteral("第2组与第1组例数之比"),
          QStringLiteral("1"), InputMode::kSampleSize, false, QStringLiteral("须大于0")};
}

PlanningInput DropoutInput() {
  return {QStringLiteral("dropout"), QStringLiteral("脱落率"), QStringLiteral("如 0.1 或 10%"), QStringLiteral("0"),
          InputMode::kSampleSize, true, QStringLiteral("须不小于0且小于1")};
}

PlanningInput SizeInput(const QString& key, const QString& label, const QString& hint, int least) {
  return {key, label, hint, QString(), InputMode::kPower, false,
          QStringLiteral("须为%1至10,000,000之间的整数").arg(least)};
}

QStringList KeysForMode(const std::vector<PlanningInput>& inputs, const PlanningState& state) {
  QStringList keys;
  const InputMode hidden = state.findPower ? InputMode::kSampleSize : InputMode::kPower;
  for (const PlanningInput& input : inputs)
    if (input.mode != hidden) keys.push_back(input.key);
  return keys;
}

std::optional<double> ReadNumber(const QString& text, bool percent) {
  QString number = text.trimmed();
  double scale = 1;
  if (percent && number.endsWith(QLatin1Char('%'))) {
    number.chop(1);
    number = number.trimmed();
    scale = 100;
  }
  bool ok = false;
  const double value = QLocale::c().toDouble(number, &ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value / scale;
}

InputReader::InputReader(const std::vector<PlanningInput>& inputs, const PlanningState& state)
    : inputs_(inputs), state_(state) {}

const PlanningInput* InputReader::find(const QString& key) const {
  for (const PlanningInput& input : inputs_)
    if (input.key == key) return &input;
  return nullptr;
}

void InputReader::add(const QString& note) {
  if (!notes_.contains(note)) notes_.push_back(note);
}

double InputReader::value(const QString& key) {
  const PlanningInput* input = find(key);
  const QString text = state_.inputs.value(key).trimmed();
  if (input == nullptr) return kMissing;
  if (text.isEmpty()) {
    add(QStringLiteral("请输入%1").arg(input->label));
    return kMissing;
  }
  const std::optional<double> number = ReadNumber(text, input->percent);
  if (!number) {
    add(QStringLiteral("%1不是有效的数值").arg(input->label));
    return kMissing;
  }
  return *number;
}

PlanningGoal InputReader::goal() {
  PlanningGoal goal;
  goal.mode = state_.findPower ? PlanningMode::kPower : PlanningMode::kSampleSize;
  goal.sides = state_.sides == 1 ? 1 : 2;
  goal.alpha = value(QStringLiteral("alpha"));
  if (!state_.findPower) {
    goal.power = value(QStringLiteral("power"));
    goal.dropout = value(QStringLiteral("dropout"));
  }
  return goal;
}

QString InputReader::shown(const QString& key) const {
  static const QRegularExpression kPlain(QStringLiteral("^[+-]?[0-9]{1,15}(\\.[0-9]{1,6})?%?$"));
  const QString text = state_.inputs.value(key).trimmed();
  const PlanningInput* input = find(key);
  // A percentage shows as the fraction it reads as.
  if (kPlain.match(text).hasMatch() && !text.endsWith(QLatin1Char('%'))) return text;
  const std::optional<double> number = ReadNumber(text, input != nullptr && input->percent);
  if (!number) return MissingText();
  // Four decimals, without the trailing zeros.
  QString rounded = FigureText(*number);
  if (rounded.contains(QLatin1Char('.'))) {
    while (rounded.endsWith(QLatin1Char('0'))) rounded.chop(1);
    if (rounded.endsWith(QLatin1Char('.'))) rounded.chop(1);
  }
  return rounded;
}

void InputReader::note(const std::vector<PlanningProblem>& problems) {
  for (const PlanningProblem& problem : problems) {
    const PlanningInput* input = find(QString::fromUtf8(problem.key.data(), qsizetype(problem.key.size())));
    switch (problem.issue) {
      case PlanningIssue::kOutOfRange:
        if (input != nullptr) add(input->label + input->rangeNote);
        break;
      case PlanningIssue::kNoEffect:
        if (input != nullptr) add(input->noEffectNote);
        break;
      case PlanningIssue::kNotComputable:
        add(QStringLiteral("效应量超出可计算的范围"));
        break;
      case PlanningIssue::kBeyondLimit:
        add(QStringLiteral("所需样本量超过 10,000,000"));
        break;
      case PlanningIssue::kShareSum:
        if (input != nullptr) add(input->sumNote);
        break;
      case PlanningIssue::kBeyondExact:
        if (input != nullptr) add(input->exactNote);
        break;
    }
  }
}

QString AlphaClause(const InputReader& in, bool usesSides) {
  const QString sides = !usesSides ? QString() : in.state().sides == 1 ? QStringLiteral("单侧") : QStringLiteral("双侧");
  return QStringLiteral("%1α = %2").arg(sides, in.shown(QStringLiteral("alpha")));
}

QString PercentText(double fraction) {
  return QLocale::c().toString(fraction * 100, 'g', 6) + QLatin1Char('%');
}

QString JoinValues(const QStringList& values) {
  if (values.size() < 2) return values.join(QString());
  return values.mid(0, values.size() - 1).join(QStringLiteral("、")) + QStringLiteral("和") + values.back();
}

QString Count(double n) { return QLocale::c().toString(n, 'f', 0); }

ChartModel PowerCurveChart(const std::vector<PowerPoint>& curve, const QString& xTitle, bool findPower, double typed,
                           double found, double targetPower) {
  const double chosen = findPower ? typed : found;
  const std::optional<double> target = findPower ? std::nullopt : std::optional<double>(targetPower);
  ChartModel model{.kind = ChartKind::PowerCurve};
  if (curve.empty()) {
    model.message = QStringLiteral("输入设计参数后在此显示检验效能曲线");
    return model;
  }
  ChartPanel panel{.xTitle = xTitle, .yTitle = QStringLiteral("检验效能 1−β")};
  ChartSeries line{.type = ChartSeries::Type::Curve, .name = QStringLiteral("检验效能")};
  double chosenPower = 0;
  for (const PowerPoint& point : curve) {
    line.x.push_back(point.n);
    line.y.push_back(point.power);
    if (point.n == chosen) chosenPower = point.power;
  }
  panel.series.push_back(std::move(line));
  if (target)
    panel.series.push_back({.type = ChartSeries::Type::Reference, .name = QStringLiteral("目标检验效能"), .y = {*target}});
  panel.series.push_back(
      {.type = ChartSeries::Type::Points, .name = QStringLiteral("所选样本量"), .colour = 1, .x = {chosen}, .y = {chosenPower}});
  panel.note = QStringLiteral("n = %1 时 1−β = %2").arg(Count(chosen), FigureText(chosenPower));
  model.panels.push_back(std::move(panel));
  return model;
}

}  // namespace kelvasta::planning
