#include "app/details/mean_reports_parts.h"

#include "app/controls.h"
#include "app/details/figure_text.h"
#include "app/main_window.h"
#include "entry/value_list.h"
#include "stats/number_reading.h"

#include <QPushButton>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <mutex>

namespace kelvasta::mean_reports {

DetailsReport BareReport(const MainWindow& window, const QString& source) {
  DetailsReport report;
  report.test = window.controls().Command1(window.CurrentTest())->text();
  report.source = source;
  return report;
}

bool CellsFromLists(const ControlArray<QLineEdit>& cells, std::span<const std::string> written) {
  for (std::size_t i = 0; i < written.size(); ++i)
    if (cells(int(i))->text().toStdString() != written[i]) return false;
  return true;
}

namespace {

double CellNumber(const QLineEdit* cell) {
  const std::string text = cell->text().toStdString();
  return BeginsWithNumber(text) ? ReadLeadingNumber(text) : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

GroupMoments TypedMoments(const ControlArray<QLineEdit>& cells, int first) {
  return {CellNumber(cells(first + 2)), CellNumber(cells(first)), CellNumber(cells(first + 1))};
}

// A keystroke changes one list: the moments of the others are kept under
// their versions, so a million-row list is not summed again for nothing.
// Jobs on the worker thread keep what they computed too.
namespace {
struct KeptEntry {
  std::uint64_t version = 0;
  GroupMoments moments;
};
std::mutex gKeptMutex;
std::array<KeptEntry, 8> gKept;
std::size_t gNextKept = 0;
}  // namespace

std::optional<GroupMoments> KeptMoments(std::uint64_t version) {
  const std::lock_guard lock(gKeptMutex);
  for (const KeptEntry& entry : gKept)
    if (entry.version == version) return entry.moments;
  return std::nullopt;
}

void KeepMoments(std::uint64_t version, const GroupMoments& moments) {
  const std::lock_guard lock(gKeptMutex);
  gKept[gNextKept++ % gKept.size()] = {version, moments};
}

GroupMoments ListMoments(const ValueList& list) { return PendingMoments(list).moments(); }

PendingMoments::PendingMoments(const ValueList& list) : version_(list.version()), kept_(KeptMoments(version_)) {
  if (!kept_) values_ = list.sharedNumbers();
}

GroupMoments PendingMoments::moments() const {
  if (kept_) return *kept_;
  const GroupMoments computed = ComputeGroupMoments(*values_);
  KeepMoments(version_, computed);
  return computed;
}

void ClearToBare(DetailsReport& report) {
  report.rows.clear();
  report.inputs.clear();
  report.captions.clear();
}

QString CaptionLabel(const QLabel* label) {
  QString text = HeadingText(label);
  if (text.endsWith(QLatin1Char('=')) || text.endsWith(QStringLiteral("："))) text.chop(1);
  return text;
}

QString IntervalClause(std::optional<double> low, std::optional<double> high) {
  const QString interval = IntervalText(low, high);
  if (interval == MissingText()) return QString();
  return QStringLiteral("（95%CI：%1）").arg(interval);
}

bool MeanNames::anyGroup() const { return std::find(named.begin(), named.end(), true) != named.end(); }

QString MeanNames::subject(const QString& unnamed) const {
  return (anyGroup() ? JoinNames(groups) : unnamed) + variable;
}

QString MeanNames::groupLabel(std::size_t g, const QString& label) const {
  return g < named.size() && named[g] ? NamedLabel(groups.value(qsizetype(g)), label) : label;
}

QString MeanNames::quantity() const {
  return WithUnit(variable.isEmpty() ? QStringLiteral("观察值") : variable, unit);
}

QString MeanNames::withVariable(const QString& heading) const {
  return anyVariable() ? heading + QStringLiteral("：") + quantity() : heading;
}

MeanNames MeanNamesOf(const TestNames& names, const QStringList& headings) {
  MeanNames shown;
  for (qsizetype g = 0; g < headings.size(); ++g) {
    const QString key = QStringLiteral("group%1").arg(g + 1);
    shown.groups.push_back(names(key, headings[g]));
    shown.named.push_back(names.has(key));
  }
  shown.variable = names(QStringLiteral("variable"), QString());
  shown.unit = names(QStringLiteral("unit"), QString());
  return shown;
}

VariableNames VariableNamesOf(const TestNames& names) {
  const auto named = [&names](const QString& key) {
    if (!names.hasAny({key, key + QStringLiteral("_unit")})) return QString();
    return WithUnit(names(key, key.toUpper()), names(key + QStringLiteral("_unit"), QString()));
  };
  return {named(QStringLiteral("x")), named(QStringLiteral("y"))};
}

std::vector<QStringList> SummaryInputs(const ControlArray<QLineEdit>& cells, const MeanNames& names) {
  const QString unit = names.unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(names.unit);
  std::vector<QStringList> inputs{
      {QStringLiteral("组别"), QStringLiteral("例数(n)"), QStringLiteral("均数") + unit, QStringLiteral("标准差") + unit}};
  for (qsizetype g = 0; g < names.groups.size(); ++g) {
    const int first = int(g) * 3;
    inputs.push_back({names.groups[g], cells(first + 2)->text(), cells(first)->text(), cells(first + 1)->text()});
  }
  return inputs;
}

}  // namespace kelvasta::mean_reports
