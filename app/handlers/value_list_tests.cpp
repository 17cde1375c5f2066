#include "app/controls.h"
#include "app/handlers/caption_text.h"
#include "app/handlers/handlers.h"
#include "app/handlers/value_list_binding.h"
#include "app/test_table.h"
#include "entry/group_summary.h"
#include "stats/correlation.h"
#include "stats/number_text.h"
#include "stats/paired_t.h"

#include <QScrollBar>

#include <span>

namespace kelvasta {

namespace {

// Count, mean and standard deviation of one list into three summary cells.
// Each write that changes a cell runs that cell's own change handling (the
// t test or the analysis of variance) at once. The texts written are kept in
// `written`, so that the details can tell summaries of the lists from
// figures the user typed.
void SummarizeInto(const ValueList& list, const ControlArray<QLineEdit>& cells, int firstCell,
                   std::span<std::string> written) {
  const GroupSummary summary = SummarizeGroup(list);
  QLineEdit* mean = cells(firstCell);
  QLineEdit* sd = cells(firstCell + 1);
  QLineEdit* n = cells(firstCell + 2);
  const auto at = std::size_t(firstCell);
  written[at] = FormatFourDecimals(summary.meanText);
  written[at + 1] = FormatFourDecimals(summary.sdText);
  written[at + 2] = std::to_string(summary.n);
  mean->setText(ToQString(summary.meanText));
  mean->setText(ToQString(FormatFourDecimals(CellText(mean))));
  sd->setText(ToQString(summary.sdText));
  sd->setText(ToQString(FormatFourDecimals(CellText(sd))));
  n->setText(QString::number(summary.n));
}

void ShowPairedT(const Controls& c, const Storage& s) {
  c.Label107(0)->clear();
  const PairedTCaptions out = ComputePairedT(s.List1().values(), s.List2().values(), s.Text14);
  if (!out.computed) {
    for (int i : {3, 4, 5}) c.Label13(i)->clear();
    for (int i : {7, 8, 9, 10}) c.Label5(i)->clear();
    return;
  }
  SetCaption(c.Label13(5), out.n);
  SetCaption(c.Label13(4), out.meanDifference);
  SetCaption(c.Label13(3), out.sdDifference);
  SetCaption(c.Label5(10), out.critical05);
  SetCaption(c.Label5(9), out.critical01);
  SetCaption(c.Label5(8), out.critical001);
  SetCaption(c.Label5(7), out.result);
}

void ShowCorrelation(const Controls& c, const Storage& s) {
  c.Label107(2)->clear();
  const CorrelationCaptions out = ComputeCorrelation(s.List1().values(), s.List2().values(), s.Text14);
  if (!out.computed) {
    for (int i : {6, 7, 12}) c.Label13(i)->clear();
    for (int i : {13, 14, 15, 16, 17}) c.Label5(i)->clear();
    return;
  }
  SetCaption(c.Label7, out.slope);
  SetCaption(c.Label8, out.intercept);
  SetCaption(c.Label13(6), out.n);
  SetCaption(c.Label13(7), out.r);
  SetCaption(c.Label13(12), out.tr);
  SetCaption(c.Label5(13), out.critical05);
  SetCaption(c.Label5(14), out.critical01);
  SetCaption(c.Label5(15), out.critical001);
  SetCaption(c.Label5(16), out.verdict);
  SetCaption(c.Label5(17), out.equation);
}

// The two-column lists serve three tests; the title chooses the computation.
void HandOver(const Controls& c, Storage& s, std::size_t column) {
  if (TitleIs(c.Label1, kTitlePairedT)) ShowPairedT(c, s);
  if (TitleIs(c.Label1, kTitleTwoSampleT))
    SummarizeInto(column == 0 ? s.List1() : s.List2(), c.Text4, column == 0 ? 0 : 3, s.Text4FromLists);
  if (TitleIs(c.Label1, kTitleCorrelation)) ShowCorrelation(c, s);
}

}  // namespace

void RecomputeValueLists(const Controls& c, Storage& s, bool groups) {
  if (groups) {
    for (std::size_t column = 0; column < s.groupLists.columnCount(); ++column)
      SummarizeInto(s.groupLists.column(column), c.Text41, int(column) * 3, s.Text41FromLists);
    return;
  }
  if (TitleIs(c.Label1, kTitleTwoSampleT)) {
    SummarizeInto(s.List1(), c.Text4, 0, s.Text4FromLists);
    SummarizeInto(s.List2(), c.Text4, 3, s.Text4FromLists);
  } else {
    HandOver(c, s, 0);
  }
}

std::array<ValueListBinding*, 2> WireValueLists(const Controls& c, Storage& s, QObject* context) {
  ValueListBinding::Config two;
  two.columns = {&c.Text1, &c.Text2};
  two.rowNumbers = &c.Label3;
  two.bar = c.VS1;
  two.lists = &s.twoColumnLists;
  two.upOnReleaseInFirstColumn = true;
  two.afterStore = [&c, &s](std::size_t column) { HandOver(c, s, column); };
  two.afterPaste = [&c, &s] { RecomputeValueLists(c, s, false); };
  auto* twoBinding = new ValueListBinding(std::move(two), s.loading, context);

  ValueListBinding::Config groups;
  groups.columns = {&c.Text30, &c.Text40, &c.Text50};
  groups.rowNumbers = &c.Label30;
  groups.bar = c.VSl1;
  groups.lists = &s.groupLists;
  groups.afterStore = [&c, &s](std::size_t column) {
    SummarizeInto(s.groupLists.column(column), c.Text41, int(column) * 3, s.Text41FromLists);
  };
  groups.afterPaste = [&c, &s] { RecomputeValueLists(c, s, true); };
  return {twoBinding, new ValueListBinding(std::move(groups), s.loading, context)};
}

}  // namespace kelvasta
