#pragma once

// Pieces shared by the reports of the tests of means and correlation: where
// the figures come from (the lists or the typed summary cells), the rows, the
// sentence's clauses and the panels' captions for copying.

#include "app/control_array.h"
#include "app/details/details_report.h"
#include "app/details/report_rows.h"
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

// The summary grid for copying: "组别 | 例数(n) | 均数 | 标准差", then one row
// per group with the texts of its three cells (group g at cells 3g to 3g + 2).
std::vector<QStringList> SummaryInputs(const ControlArray<QLineEdit>& cells, const std::vector<QString>& groups);

}  // namespace mean_reports
}  // namespace kelvasta
