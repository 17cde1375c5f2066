// What the window shows after long texts, imports, test switches and
// keyboard use: never a result computed from data that is gone.
#include "tests/app/script_fixture.h"

#include "interchange/workbook.h"

#include <QJsonArray>
#include <QTemporaryDir>

namespace kelvasta::testing {
namespace {

class WindowStateTest : public ScriptTest {
 protected:
  // An .xls whose columns hold the given texts.
  QString workbook(const char* name, const std::vector<std::vector<std::string>>& columns) {
    const QString path = dir_.filePath(QLatin1String(name));
    EXPECT_EQ(WriteWorkbookXls(path.toStdString(), columns), WorkbookError::None);
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(WindowStateTest, LongTextsSettleInOneStepInEveryFilteredCell) {
  const QString letters(100000, QLatin1Char('a'));
  const QString chinese(8000, QChar(0x4f0d));
  struct Row {
    const char* cell;
    const char* before;  // test selection first
    QString text;
    const char* settled;
  };
  const std::vector<Row> rows{
      {"Text1(0)", "Command1(0)", QStringLiteral("12") + letters, "12"},
      {"Text1(0)", "Command1(0)", QStringLiteral("3。5") + chinese, "3.5"},
      {"Text11(0)", "Command1(3)", QStringLiteral("7") + letters, "7"},
      {"Text111(0)", "Command1(5)", QStringLiteral("8") + chinese, "8"},
      {"Text12(0)", "Command1(7)", QStringLiteral("9") + letters, "9"},
      {"Text30(0)", "Command1(2)", letters, ""},
  };
  for (const Row& row : rows) {
    const QJsonObject dump =
        RunAndDump(QStringLiteral("click %1\nset %2 %3").arg(QLatin1String(row.before), QLatin1String(row.cell), row.text));
    EXPECT_EQ(Text(dump, QLatin1String(row.cell)), QString::fromUtf8(row.settled)) << row.cell;
  }
}

TEST_F(WindowStateTest, ImportRenumbersRowsAndSummarisesEveryColumn) {
  const QString onlyA = workbook("a.xls", {{"1", "2", "3"}, {}});
  // Column 2 held 101 and 102 in rows the import replaces without changing
  // the visible cells' text (they were scrolled away).
  const QJsonObject dump = RunAndDump(QStringLiteral(
      "type Text2(0) 101\nkey Text2(0) Enter\ntype Text2(1) 102\nkey Text2(1) Enter\nscroll VS1 2\n"
      "answer %1\nmenu 从Excel导入数据").arg(onlyA));
  EXPECT_EQ(Text(dump, QStringLiteral("Label3(0)")), QStringLiteral("1"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label3(9)")), QStringLiteral("10"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("2.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(3)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(5)")), QStringLiteral("0"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(6)")), QString());
}

TEST_F(WindowStateTest, ImportedValueBeyondTheVisibleRowsIsSummarised) {
  std::vector<std::string> late(30);
  late.back() = "42";
  const QString path = workbook("late.xls", {{"1", "2"}, late});
  const QJsonObject dump =
      RunAndDump(QStringLiteral("click Command1(2)\nanswer %1\nmenu 从Excel导入数据").arg(path));
  EXPECT_EQ(Text(dump, QStringLiteral("Text41(3)")), QStringLiteral("42.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text41(5)")), QStringLiteral("1"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label30(0)")), QStringLiteral("1"));
}

TEST_F(WindowStateTest, ReselectingATestLeavesNoEarlierResult) {
  const QJsonObject dump = RunAndDump(QStringLiteral(
      "click Command1(2)\nset Text41(0) 10\nset Text41(1) 2\nset Text41(2) 10\nset Text41(3) 12\n"
      "set Text41(4) 2.5\nset Text41(5) 10\nset Text41(6) 15\nset Text41(7) 3\nset Text41(8) 10\n"
      "click Command1(0)\nclick Command1(2)"));
  for (int label : {26, 28, 29, 30})
    EXPECT_EQ(Text(dump, QStringLiteral("Label5(%1)").arg(label)), QString()) << label;
}

TEST_F(WindowStateTest, OneValueHasNoStandardDeviationYet) {
  QJsonObject dump = RunAndDump(QStringLiteral("type Text1(0) 5\ntype Text2(0) 7\nkey Text2(0) Enter\ntype Text2(1) 9"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(1)")), QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(2)")), QStringLiteral("1"));
  EXPECT_EQ(Text(dump, QStringLiteral("Label5(6)")), QString()) << "no verdict after the first value of a group";
  dump = RunAndDump(QStringLiteral("key Text1(0) Enter\ntype Text1(1) 5"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(1)")), QStringLiteral("0.0000")) << "two equal values: SD 0 is data";
}

TEST_F(WindowStateTest, KeyboardDrivesTheCalculator) {
  struct Row {
    const char* keys;
    const char* display;
  };
  const std::vector<Row> rows{
      {"type Text5 12+3=", "15"},
      {"type Text5 12*3\nkey Text5 Enter", "36"},
      {"type Text5 9/4=", "2.25"},
      {"type Text5 123\nkey Text5 Backspace\ntype Text5 -2=", "10"},
      {"type Text5 12+3\nkey Text5 Escape", "0"},
      {"type Text5 7+5\nkey Text5 Delete\ntype Text5 4=", "4"},
      {"type Text5 ab", "0"},
  };
  for (const Row& row : rows) {
    SetUp();
    const QJsonObject dump = RunAndDump(QLatin1String(row.keys));
    EXPECT_EQ(Text(dump, QStringLiteral("Text5")), QLatin1String(row.display)) << row.keys;
  }
}

}  // namespace
}  // namespace kelvasta::testing
