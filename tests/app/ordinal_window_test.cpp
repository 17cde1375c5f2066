// The ordinal grid in the window: rank-sum test and Ridit analysis on every
// keystroke.
#include "tests/app/script_fixture.h"

namespace kelvasta::testing {
namespace {

using OrdinalWindowTest = ScriptTest;

QString TypeGrid(const QStringList& cells) {
  QString script = QStringLiteral("click Command1(7)\n");
  for (int k = 0; k < cells.size(); ++k)
    if (!cells[k].isEmpty()) script += QStringLiteral("type Text12(%1) %2\n").arg(k).arg(cells[k]);
  return script;
}

TEST_F(OrdinalWindowTest, WorkedExample) {
  // Test group 10, 8, 5, 2 and control group 4, 6, 9, 11: zc 3.0985, u 3.0275.
  const QJsonObject dump = RunAndDump(TypeGrid({"10", "8", "5", "2", "4", "6", "9", "11"}));
  const std::pair<int, const char*> totals[] = {{13, "25"}, {11, "30"}, {14, "14"}, {15, "14"},
                                                {16, "14"}, {17, "13"}, {18, "55"}};
  for (const auto& [index, text] : totals)
    EXPECT_EQ(Text(dump, QStringLiteral("Label18(%1)").arg(index)), QString::fromLatin1(text)) << index;
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(9)")), QStringLiteral("3.0985"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(44)")), QStringLiteral("p < 0.01"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label20(10)")), QStringLiteral("3.0275"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(43)")), QStringLiteral("p < 0.01"));
}

TEST_F(OrdinalWindowTest, ThreeGradesBlankTheFourthTotal) {
  const QJsonObject dump = RunAndDump(TypeGrid({"10", "8", "5", "", "4", "6", "9", ""}));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(17)")), QString());
  EXPECT_FALSE(Text(dump, QStringLiteral("Label20(9)")).isEmpty());
}

TEST_F(OrdinalWindowTest, OneGroupKeepsTotalsAndEmptiesResults) {
  const QJsonObject dump = RunAndDump(TypeGrid({"10", "8", "5", "2x"}));
  EXPECT_EQ(Text(dump, QStringLiteral("Text12(3)")), QStringLiteral("2"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(13)")), QStringLiteral("25"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label18(11)")), QStringLiteral("0"));
  for (const char* result : {"Label20(9)", "Label5(44)", "Label20(10)", "Label5(43)"})
    EXPECT_EQ(Text(dump, QString::fromLatin1(result)), QString()) << result;
}

}  // namespace
}  // namespace kelvasta::testing
