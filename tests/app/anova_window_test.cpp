// The analysis of variance in the window: the nine summary cells, the
// pairwise buttons and the three-group value lists.
#include "tests/app/script_fixture.h"

#include <QJsonArray>

namespace kelvasta::testing {
namespace {

using AnovaWindowTest = ScriptTest;

QString SetSummaries(const QStringList& cells) {
  QString script = QStringLiteral("click Command1(2)\n");
  for (int k = 0; k < cells.size(); ++k) script += QStringLiteral("set Text41(%1) %2\n").arg(k).arg(cells[k]);
  return script;
}

// Means 10, 12, 15, SDs 2, 2.5, 3, ten cases each: SSw 173.25, df 27.
const QStringList kExample{"10", "2", "10", "12", "2.5", "10", "15", "3", "10"};

TEST_F(AnovaWindowTest, WorkedExampleWithPairwiseQ) {
  const QJsonObject dump = RunAndDump(SetSummaries(kExample));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(29)")), QStringLiteral("3.49"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(28)")), QStringLiteral("5.85"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(26)")), QStringLiteral("F = 9.8701  p < 0.01"));
  // MSe 6.4167, SE of a pair sqrt(MSe/2 · 2/10) = 0.80104; df 27 uses the df-20 rows.
  EXPECT_EQ(Text(dump, QStringLiteral("Label10")), QStringLiteral("第1组与第2组比较：q = 2.4968  p > 0.05"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label11")), QStringLiteral("第1组与第3组比较：q = 6.2419  p < 0.01"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label12")), QStringLiteral("第2组与第3组比较：q = 3.7451  p < 0.05"));
}

TEST_F(AnovaWindowTest, ButtonsSwitchBetweenTheTwoComparisons) {
  QJsonObject dump = RunAndDump(SetSummaries(kExample) + QStringLiteral("click Command16"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label10")), QStringLiteral("第1组与第2组比较：LSD-t=1.7655 p=0.0888"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label11")), QStringLiteral("第1组与第3组比较：LSD-t=4.4137 p=0.0001"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label12")), QStringLiteral("第2组与第3组比较：LSD-t=2.6482 p=0.0133"));
  dump = RunAndDump(QStringLiteral("click Command15"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label10")), QStringLiteral("第1组与第2组比较：q = 2.4968  p > 0.05"));
}

TEST_F(AnovaWindowTest, AnEmptiedCellEmptiesResultsButKeepsCriticalValues) {
  const QJsonObject dump = RunAndDump(SetSummaries(kExample) + QStringLiteral("set Text41(4) \n"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(29)")), QStringLiteral("3.49"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(26)")), QString());
  for (const char* line : {"Label10", "Label11", "Label12"}) EXPECT_EQ(Text(dump, QLatin1String(line)), QString());
}

TEST_F(AnovaWindowTest, ZeroStandardDeviationIsData) {
  const QJsonObject dump = RunAndDump(SetSummaries({"10", "0", "10", "12", "2.5", "10", "15", "3", "10"}));
  EXPECT_FALSE(Text(dump, QStringLiteral("Label5(26)")).isEmpty());
  EXPECT_FALSE(Text(dump, QStringLiteral("Label10")).isEmpty());
}

TEST_F(AnovaWindowTest, DegenerateTablesShowNothingAndKeepNoValues) {
  // One case in each group: df 0. The pairwise buttons must not compute
  // from the table before.
  const QJsonObject dump = RunAndDump(SetSummaries(kExample) +
                                      QStringLiteral("set Text41(2) 1\nset Text41(5) 1\nset Text41(8) 1\n"
                                                     "click Command16"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(26)")), QString());
  for (const char* line : {"Label10", "Label11", "Label12"}) EXPECT_EQ(Text(dump, QLatin1String(line)), QString());
}

TEST_F(AnovaWindowTest, GroupListsFeedTheirOwnSummaryCells) {
  const QJsonObject dump = RunAndDump(QStringLiteral(
      "click Command1(2)\ntype Text40(0) 4\nkey Text40(0) Enter\ntype Text40(1) 6\nkey Text40(1) Enter\n"
      "type Text40(2) 8\n"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text41(3)")), QStringLiteral("6.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text41(4)")), QStringLiteral("2.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text41(5)")), QStringLiteral("3"));
  for (int k : {0, 1, 2, 6, 7, 8}) EXPECT_EQ(Text(dump, QStringLiteral("Text41(%1)").arg(k)), QString()) << k;
}

TEST_F(AnovaWindowTest, GroupListsGrowAndMoveUpOnThePress) {
  QJsonObject dump = RunAndDump(QStringLiteral("click Command1(2)\nscroll VSl1 5\ntype Text50(9) 3"));
  EXPECT_EQ(Control(dump, QStringLiteral("VSl1")).value(QStringLiteral("max")).toInt(), 9);
  EXPECT_EQ(Control(dump, QStringLiteral("List3")).value(QStringLiteral("items")).toArray().size(), 19);
  dump = RunAndDump(QStringLiteral("key Text30(0) Up"));
  EXPECT_EQ(Control(dump, QStringLiteral("VSl1")).value(QStringLiteral("value")).toInt(), 4);
}

}  // namespace
}  // namespace kelvasta::testing
