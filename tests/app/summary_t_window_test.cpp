// The t test from summary statistics in the window.
#include "tests/app/script_fixture.h"

namespace kelvasta::testing {
namespace {

using SummaryTWindowTest = ScriptTest;

QString TypeCells(const QStringList& cells) {
  QString script;
  for (int k = 0; k < cells.size(); ++k)
    if (!cells[k].isEmpty()) script += QStringLiteral("type Text4(%1) %2\n").arg(k).arg(cells[k]);
  return script;
}

struct SummaryCase {
  const char* name;
  QStringList cells;
  QString c05, c01, c001, result;
};

const SummaryCase kCases[] = {
    // Sc² = 5.1525, SE 0.971918, t 2.366454, df 20.
    {"worked_example", {"12.5", "2.1", "10", "10.2", "2.4", "12"}, "2.086", "2.845", "3.850", "t = 2.3665  p < 0.05"},
    {"full_stop_typed", {"12。5", "2.1", "10", "10.2", "2.4", "12"}, "2.086", "2.845", "3.850",
     "t = 2.3665  p < 0.05"},
    {"equal_means", {"5", "1", "10", "5", "1", "10"}, "2.101", "2.878", "3.922", "t = 0.0000  p > 0.05"},
    // A mean change of 0 is data, not a missing cell.
    {"zero_mean_is_data", {"0", "1", "10", "1", "1", "10"}, "2.101", "2.878", "3.922", "t = 2.2361  p < 0.05"},
    {"missing_count", {"12.5", "2.1", "", "10.2", "2.4", "12"}, "", "", "", ""},
    {"count_of_zero", {"12.5", "2.1", "0", "10.2", "2.4", "12"}, "", "", "", ""},
    {"one_case_each", {"12.5", "2.1", "1", "10.2", "2.4", "1"}, "", "", "", ""},
};

TEST_F(SummaryTWindowTest, TypedSummaries) {
  for (const SummaryCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(0)\n") + TypeCells(c.cells));
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(3)")), c.c05);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(4)")), c.c01);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(5)")), c.c001);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(6)")), c.result);
  }
}

TEST_F(SummaryTWindowTest, FullStopBecomesAPointInTheCell) {
  const QJsonObject dump = RunAndDump(QStringLiteral("type Text4(0) 3。5"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("3.5"));
}

TEST_F(SummaryTWindowTest, SwitchingTestsEmptiesTheResults) {
  const QJsonObject dump = RunAndDump(TypeCells({"12.5", "2.1", "10", "10.2", "2.4", "12"}) +
                                      QStringLiteral("click Command1(6)\nclick Command1(0)"));
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Text(dump, QStringLiteral("Text4(%1)").arg(k)), QString());
  for (int k = 3; k <= 6; ++k) EXPECT_EQ(Text(dump, QStringLiteral("Label5(%1)").arg(k)), QString());
}

}  // namespace
}  // namespace kelvasta::testing
