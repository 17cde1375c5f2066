// The 2 x 2 grid in the window: typing runs the cell filter and the fourfold
// or paired chi-square test chosen by the title.
#include "tests/app/script_fixture.h"

namespace kelvasta::testing {
namespace {

using CountTableWindowTest = ScriptTest;

const QString kWarning = QStringLiteral("当n < 40或理论数(T)< 1时，不适合使用本法。");

QString TypeCells(const QStringList& cells) {
  QString script;
  for (int i = 0; i < cells.size(); ++i)
    if (!cells[i].isEmpty()) script += QStringLiteral("type Text11(%1) %2\n").arg(i).arg(cells[i]);
  return script;
}

struct FourfoldCase {
  const char* name;
  QStringList cells;
  QStringList totals;       // Label18(0..4)
  QStringList theoretical;  // Label20(1..4)
  QString n;
  QString chiSquare;
  QString verdict;
};

// Worked examples of the fourfold test, typed digit by digit.
const FourfoldCase kFourfold[] = {
    {"pearson_not_significant", {"20", "30", "25", "25"}, {"45", "55", "50", "50", "100"},
     {"22.5000", "27.5000", "22.5000", "27.5000"}, "100", "1.0101", "p > 0.05"},
    {"pearson_p01", {"30", "10", "15", "25"}, {"45", "35", "40", "40", "80"},
     {"22.5000", "17.5000", "22.5000", "17.5000"}, "80", "11.4286", "p < 0.01"},
    {"corrected_p05", {"30", "2", "10", "5"}, {"40", "7", "32", "15", "47"},
     {"27.2340", "4.7660", "12.7660", "2.2340"}, "47", "3.9664", "p < 0.05"},
    {"small_n_warning", {"15", "1", "5", "5"}, {"20", "6", "16", "10", "26"},
     {"12.3077", "3.6923", "7.6923", "2.3077"}, "26", "4.3997", kWarning},
    {"empty_cell_is_zero", {"12", "", "8", "20"}, {"20", "20", "12", "28", "40"},
     {"6.0000", "6.0000", "14.0000", "14.0000"}, "40", "17.1429", "p < 0.01"},
};

TEST_F(CountTableWindowTest, FourfoldWorkedExamples) {
  for (const FourfoldCase& c : kFourfold) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\n") + TypeCells(c.cells));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Text(dump, QStringLiteral("Label18(%1)").arg(i)), c.totals[i]) << i;
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(Text(dump, QStringLiteral("Label20(%1)").arg(i + 1)), c.theoretical[i]) << i;
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(5)")), c.n);
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), c.chiSquare);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), c.verdict);
  }
}

struct PairedCase {
  const char* name;
  QStringList cells;
  QString n;
  QString chiSquare;
  QString verdict;
};

// Worked examples of the paired test: only b and c enter the statistic.
const PairedCase kPaired[] = {
    {"uncorrected_at_40", {"", "25", "15", ""}, "40", "2.5000", "p > 0.05"},
    {"uncorrected_p01", {"", "30", "12", ""}, "42", "7.7143", "p < 0.01"},
    {"corrected_p05", {"", "15", "5", ""}, "20", "4.0500", "p < 0.05"},
    {"corrected_equal", {"", "5", "5", ""}, "10", "0.1000", "p > 0.05"},
    {"with_concordant_pairs", {"10", "25", "15", "30"}, "80", "2.5000", "p > 0.05"},
};

TEST_F(CountTableWindowTest, PairedWorkedExamples) {
  for (const PairedCase& c : kPaired) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(4)\n") + TypeCells(c.cells));
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(8)")), c.n);
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(7)")), c.chiSquare);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(23)")), c.verdict);
    // The fourfold captions are not the paired test's to write.
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), QString());
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), QString());
  }
  const QJsonObject totals = RunAndDump(QStringLiteral("click Command1(4)\n") + TypeCells({"10", "25", "15", "30"}));
  const QStringList expected{"25", "55", "35", "45", "80"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Text(totals, QStringLiteral("Label18(%1)").arg(i)), expected[i]);
}

struct FilterCase {
  const char* name;
  const char* typed;
  const char* cell;
};

// The filter drops a trailing character other than a digit, "-" or ".";
// a typed "。" arrives as "." (the filter itself would drop it).
const FilterCase kFilter[] = {
    {"letter", "12a", "12"},
    {"two_letters", "12ab", "12"},
    {"chinese", "12例", "12"},
    {"full_stop_typed_as_point", "3。5", "3.5"},
    {"slash", "7/", "7"},
    {"blank", "7 ", "7"},
    {"minus_and_point_stay", "-1.", "-1."},
};

TEST_F(CountTableWindowTest, TypingFiltersTheLastCharacter) {
  for (const FilterCase& c : kFilter) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump =
        RunAndDump(QStringLiteral("click Command1(3)\ntype Text11(0) %1").arg(QString::fromUtf8(c.typed)));
    EXPECT_EQ(Text(dump, QStringLiteral("Text11(0)")), QString::fromUtf8(c.cell));
  }
}

TEST_F(CountTableWindowTest, PastedTextKeepsInnerCharacters) {
  // Only the end of the text is examined: "1a2" stays and is no number, so
  // it counts as 0.
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\nset Text11(0) 1a2\nset Text11(1) 5"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text11(0)")), QStringLiteral("1a2"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(2)")), QStringLiteral("5"));
}

TEST_F(CountTableWindowTest, PastedTrailingLettersAreRemovedByNestedRuns) {
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\nset Text11(0) 40abc"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text11(0)")), QStringLiteral("40"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(4)")), QStringLiteral("40"));
}

TEST_F(CountTableWindowTest, UncomputableStatisticIsEmptiedNotKept) {
  // A table with a result, then one whose row total is 0: the old statistic
  // must not stay on display.
  QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\n") + TypeCells({"30", "10", "15", "25"}) +
                                QStringLiteral("set Text11(0) \nset Text11(1) "));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), kWarning);

  dump = RunAndDump(QStringLiteral("click Command1(4)\n") + TypeCells({"", "30", "12", ""}) +
                    QStringLiteral("set Text11(1) \nset Text11(2) "));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(7)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(23)")), QString());
}

TEST_F(CountTableWindowTest, AllCellsEmptiedShowsZeroTotals) {
  const QJsonObject dump =
      RunAndDump(QStringLiteral("click Command1(3)\ntype Text11(0) 5\nkey Text11(0) Backspace"));
  for (int i = 0; i <= 4; ++i) EXPECT_EQ(Text(dump, QStringLiteral("Label18(%1)").arg(i)), QStringLiteral("0"));
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(Text(dump, QStringLiteral("Label20(%1)").arg(i)), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(4)")), QStringLiteral("0.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(5)")), QStringLiteral("0"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), kWarning);
}

TEST_F(CountTableWindowTest, LargeTablesGetTheirStatistic) {
  // Four totals of 6000 each and more than 32767 cases.
  QJsonObject dump = RunAndDump(QStringLiteral("click Command1(3)\n") + TypeCells({"3500", "2500", "2500", "3500"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(5)")), QStringLiteral("12000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), QStringLiteral("333.3333"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), QStringLiteral("p < 0.01"));

  dump = RunAndDump(QStringLiteral("click Command1(3)\n") + TypeCells({"20000", "30000", "25000", "25000"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(5)")), QStringLiteral("100000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), QStringLiteral("1010.1010"));
}

TEST_F(CountTableWindowTest, AnotherTitleUpdatesOnlyTheTotals) {
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(5)\n") + TypeCells({"30", "10", "15", "25"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(4)")), QStringLiteral("80"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(6)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(7)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(21)")), QString());
}

}  // namespace
}  // namespace kelvasta::testing
