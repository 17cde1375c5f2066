#pragma once

// Pieces shared by the reports of the tests of means and correlation: where
// the figures come from (the lists or the typed summary cells), the rows, the
// sentence's clauses and the panels' captions for copying.

#include "app/control_array.h"
#include "app/details/details_report.h"
#include "app/details/report_rows.h"
#include "app/names/test_names.h"
#include "stats/mean_figures.h"

#include <QLabel>
#include <QLineEdit>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kelvasta {

class MainWindow;
class ValueList;

namespace mean_reports {

// The title line and `source`, no figures.
DetailsReport BareReport(const MainWindow& window, const QString& source);

// True when every summary cell still holds the text the lists' summaries
// wrote into it (`written`, cell by cell): the figures then come from the
// lists, else from the cells as shown.
bool CellsFromLists(const ControlArray<QLineEdit>& cells, std::span<const std::string> written);

// The moments of one group from its summary cells first (mean), first + 1
// (SD) and first + 2 (n), each read as the leading number of its text; a
// cell that does not begin with a number is NaN.
GroupMoments TypedMoments(const ControlArray<QLineEdit>& cells, int first);

// Lists longer than this have their figures computed on the worker thread,
// so that a keystroke in a million-row list is not held up by them.
inline constexpr std::size_t kWorkerRows = 200000;

// The moments of a list's items at full precision (items that are not
// numbers are left out). Computed once per version of the list and kept.
GroupMoments ListMoments(const ValueList& list);
// The kept moments of `version` of a list, if computed already; and keeping
// them, from any thread.
std::optional<GroupMoments> KeptMoments(std::uint64_t version);
void KeepMoments(std::uint64_t version, const GroupMoments& moments);

// The moments of one list for a job on the worker thread: the kept ones, or
// the values as they stand, shared, to sum there (and keep).
class PendingMoments {
 public:
  explicit PendingMoments(const ValueList& list);
  GroupMoments moments() const;

 private:
  std::uint64_t version_;
  std::optional<GroupMoments> kept_;
  std::shared_ptr<const std::vector<double>> values_;
};

// A report built in advance back to BareReport's: no rows, inputs nor
// captions (the lists held nothing to compute from).
void ClearToBare(DetailsReport& report);

// A caption's label without its blanks and a trailing "=" or "：" (see
// AddCaption).
QString CaptionLabel(const QLabel* label);

// Clauses of the sentence.
// "（95%CI：0.8354 ~ 5.5646）", empty when an end is missing.
QString IntervalClause(std::optional<double> low, std::optional<double> high);

// What the user's names give a report of means: each group's name (the
// heading without blanks when unnamed) and whether it was named, the
// variable and its unit ("" when unnamed). Copied into jobs on the worker.
struct MeanNames {
  QStringList groups;
  std::vector<bool> named;
  QString variable;
  QString unit;
  bool anyGroup() const;
  // "第1组与第2组" for groups i and j (from 0).
  QString pair(std::size_t i, std::size_t j) const { return groups.value(qsizetype(i)) + QStringLiteral("与") + groups.value(qsizetype(j)); }
  // The groups' part of the sentence: `unnamed` ("两组") while no group is
  // named, else "治疗组与对照组"; then the variable's name when given.
  QString subject(const QString& unnamed) const;
  // A row label of group g, its name in front when named.
  QString groupLabel(std::size_t g, const QString& label) const;
  // " mmHg" after a figure in the sentence, or "".
  QString unitSuffix() const { return unit.isEmpty() ? QString() : QLatin1Char(' ') + unit; }
  bool anyVariable() const { return !variable.isEmpty() || !unit.isEmpty(); }
  // "收缩压 (mmHg)", "观察值 (mmHg)" when only the unit is named.
  QString quantity() const;
  // A heading with "：收缩压 (mmHg)" after it when the variable or its unit
  // is named.
  QString withVariable(const QString& heading) const;
};
MeanNames MeanNamesOf(const TestNames& names, const QStringList& headings);

// The variables as the report names them: "" while unnamed.
struct VariableNames {
  QString x, y;  // with their units
  bool named() const { return !x.isEmpty() || !y.isEmpty(); }
  // "身高与体重之间", or "两变量之间" while unnamed.
  QString between() const {
    if (!named()) return QStringLiteral("两变量之间");
    return QStringLiteral("%1与%2之间").arg(x.isEmpty() ? QStringLiteral("X") : x, y.isEmpty() ? QStringLiteral("Y") : y);
  }
};

VariableNames VariableNamesOf(const TestNames& names);

// The summary grid for copying: "组别 | 例数(n) | 均数 | 标准差", then one row
// per group with the texts of its three cells (group g at cells 3g to 3g + 2);
// the unit, when named, follows "均数" and "标准差".
std::vector<QStringList> SummaryInputs(const ControlArray<QLineEdit>& cells, const MeanNames& names);

}  // namespace mean_reports
}  // namespace kelvasta
