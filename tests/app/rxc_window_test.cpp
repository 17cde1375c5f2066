// The several-rates grid in the window: every keystroke recomputes totals,
// statistic, critical values and verdict, or clears or warns.
#include "tests/app/script_fixture.h"

namespace kelvasta::testing {
namespace {

using RxcWindowTest = ScriptTest;

// Types the counts of `rows` (cells left to right, top to bottom; "" skips).
QString TypeGrid(const std::vector<QStringList>& rows) {
  QString script = QStringLiteral("click Command1(5)\n");
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int col = 0; col < rows[r].size(); ++col)
      if (!rows[r][col].isEmpty())
        script += QStringLiteral("type Text111(%1) %2\n").arg(int(r) * 4 + col).arg(rows[r][col]);
  return script;
}

struct RxcCase {
  const char* name;
  std::vector<QStringList> rows;
  QString n, chiSquare, c05, c01, verdict;
  bool warning;
};

// Worked examples of the several-rates test.
const RxcCase kCases[] = {
    {"three_by_two", {{"30", "10"}, {"20", "20"}, {"10", "30"}}, "120", "20.0000", "5.99", "9.21", "p < 0.01", false},
    {"two_by_three", {{"25", "15", "10"}, {"15", "20", "15"}}, "100", "4.2143", "5.99", "9.21", "p > 0.05", false},
    {"two_by_four", {{"20", "15", "10", "5"}, {"10", "15", "20", "25"}}, "120", "17.1429", "7.81", "11.34",
     "p < 0.01", false},
    {"three_by_four",
     {{"40", "30", "20", "10"}, {"30", "30", "20", "20"}, {"20", "25", "30", "25"}},
     "300", "16.4757", "12.59", "16.81", "p < 0.05", false},
    {"small_frequencies", {{"12", "8"}, {"6", "14"}, {"3", "2"}}, "", "", "", "", "", true},
};

TEST_F(RxcWindowTest, WorkedExamplesTypedDigitByDigit) {
  for (const RxcCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const QJsonObject dump = RunAndDump(TypeGrid(c.rows));
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(12)")), c.n);
    EXPECT_EQ(Text(dump, QStringLiteral("Label20(13)")), c.chiSquare);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(37)")), c.c05);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(36)")), c.c01);
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(35)")), c.verdict);
    EXPECT_EQ(Control(dump, QStringLiteral("Label22")).value(QStringLiteral("visible")).toBool(), c.warning);
  }
}

TEST_F(RxcWindowTest, TotalsOfTheFirstExample) {
  const QJsonObject dump = RunAndDump(TypeGrid({{"30", "10"}, {"20", "20"}, {"10", "30"}}));
  const std::pair<int, const char*> totals[] = {{5, "60"}, {6, "60"}, {7, "0"},  {8, "0"},
                                                {9, "40"}, {10, "40"}, {12, "40"}, {20, "120"}};
  for (const auto& [index, text] : totals)
    EXPECT_EQ(Text(dump, QStringLiteral("Label18(%1)").arg(index)), QString::fromLatin1(text)) << index;
}

TEST_F(RxcWindowTest, TooFewRowsOrColumnsClearTheTotals) {
  // One number, then a 2 x 2 table: df below 2 clears even the totals.
  for (const QString& script : {TypeGrid({{"7"}}), TypeGrid({{"30", "10"}, {"20", "20"}})}) {
    const QJsonObject dump = RunAndDump(script);
    for (int index : {5, 6, 7, 8, 9, 10, 12, 19, 20})
      EXPECT_EQ(Text(dump, QStringLiteral("Label18(%1)").arg(index)), QString()) << index;
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(37)")), QString());
    EXPECT_FALSE(Control(dump, QStringLiteral("Label22")).value(QStringLiteral("visible")).toBool());
  }
}

TEST_F(RxcWindowTest, WarningKeepsTotalsAndGoesWithTheNextTest) {
  QJsonObject dump = RunAndDump(TypeGrid({{"12", "8"}, {"6", "14"}, {"3", "2"}}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(20)")), QStringLiteral("45"));
  EXPECT_TRUE(Control(dump, QStringLiteral("Label22")).value(QStringLiteral("visible")).toBool());
  dump = RunAndDump(QStringLiteral("click Command1(5)"));
  EXPECT_FALSE(Control(dump, QStringLiteral("Label22")).value(QStringLiteral("visible")).toBool());
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(20)")), QString());
}

TEST_F(RxcWindowTest, FilterAndLenientCells) {
  const QJsonObject dump =
      RunAndDump(TypeGrid({{"30a", "10"}, {"20", "20"}, {"10", "30"}}) + QStringLiteral("set Text111(1) 10-\n"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(0)")), QStringLiteral("30"));
  // "10-" keeps its minus (an allowed last character) and counts as 10.
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(1)")), QStringLiteral("10-"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(13)")), QStringLiteral("20.0000"));
}

}  // namespace
}  // namespace kelvasta::testing
