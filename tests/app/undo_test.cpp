// Undo and redo over the window's data: every step restores the lists, the
// cells and the results exactly as they were.
#include "tests/app/script_fixture.h"

#include "interchange/workbook.h"

#include <QTemporaryDir>

namespace kelvasta::testing {
namespace {

class UndoTest : public ScriptTest {
 protected:
  // Everything the window shows and keeps, without what follows the caret.
  QJsonObject State() {
    QJsonObject dump = RunAndDump(QString());
    dump.remove(QStringLiteral("focus"));
    return dump;
  }
};

const QString kTwoSample = QStringLiteral(
    "type Text1(0) 12\nkey Text1(0) Enter\ntype Text1(1) 15\nkey Text1(1) Enter\ntype Text1(2) 11\n"
    "type Text2(0) 9\nkey Text2(0) Enter\ntype Text2(1) 8\nkey Text2(1) Enter\ntype Text2(2) 10\n");

TEST_F(UndoTest, EveryDataActionIsOneStepBackAndForth) {
  struct Row {
    const char* name;
    QString setUp;
    QString action;
  };
  QTemporaryDir dir;
  const QString workbook = dir.filePath(QStringLiteral("w.xls"));
  ASSERT_EQ(WriteWorkbookXls(workbook.toStdString(), {{"1", "2", "3"}, {"4", "5", "6"}}), WorkbookError::None);
  const std::vector<Row> rows{
      {"test selection after typing", kTwoSample, QStringLiteral("click Command1(3)")},
      {"import over typed lists", kTwoSample, QStringLiteral("answer %1\nmenu 从Excel导入数据").arg(workbook)},
      {"grid cell", QStringLiteral("click Command1(5)\nset Text111(0) 30\nset Text111(1) 10\nset Text111(4) 20\n"),
       QStringLiteral("set Text111(5) 20")},
      {"summary cell", QStringLiteral("click Command1(2)\nset Text41(0) 10\nset Text41(1) 2\nset Text41(2) 10\n"),
       QStringLiteral("set Text41(3) 12")},
      {"typing past the tenth row grows the lists",
       QStringLiteral("type Text1(0) 1\nkey Text1(0) Enter\ntype Text1(1) 2\nkey Text1(1) Enter\ntype Text1(2) 3\n"
                      "key Text1(2) Enter\ntype Text1(3) 4\nkey Text1(3) Enter\ntype Text1(4) 5\nkey Text1(4) Enter\n"
                      "type Text1(5) 6\nkey Text1(5) Enter\ntype Text1(6) 7\nkey Text1(6) Enter\ntype Text1(7) 8\n"
                      "key Text1(7) Enter\ntype Text1(8) 9\nkey Text1(8) Enter\n"),
       QStringLiteral("type Text1(9) 10")},
  };
  for (const Row& row : rows) {
    SetUp();
    Run(row.setUp);
    const QJsonObject before = State();
    Run(row.action);
    const QJsonObject after = State();
    ASSERT_NE(before, after) << row.name;
    Run(QStringLiteral("menu 撤销"));
    EXPECT_EQ(State(), before) << row.name;
    Run(QStringLiteral("menu 重做"));
    EXPECT_EQ(State(), after) << row.name;
  }
}

TEST_F(UndoTest, KeystrokesInOneCellAreOneStepAndCtrlZWorksInACell) {
  Run(QStringLiteral("click Command1(3)\nset Text11(1) 4"));
  const QJsonObject before = State();
  const QJsonObject typed = RunAndDump(QStringLiteral("type Text11(0) 1\ntype Text11(0) 2\ntype Text11(0) .5"));
  EXPECT_EQ(Text(typed, QStringLiteral("Text11(0)")), QStringLiteral("12.5"));
  Run(QStringLiteral("key Text11(0) Ctrl+Z"));
  EXPECT_EQ(State(), before);
  EXPECT_EQ(Text(RunAndDump(QStringLiteral("key Text11(0) Ctrl+Y")), QStringLiteral("Text11(0)")),
            QStringLiteral("12.5"));
}

TEST_F(UndoTest, OnlyTheLatestHundredStepsAreKept) {
  QString script = QStringLiteral("click Command1(3)\n");
  for (int i = 1; i <= 102; ++i) script += QStringLiteral("set Text11(%1) %2\n").arg(i % 2).arg(i);
  Run(script);
  for (int i = 0; i < 102; ++i) Run(QStringLiteral("menu 撤销"));
  const QJsonObject dump = RunAndDump(QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Text11(1)")), QStringLiteral("1")) << "the first step is gone";
  EXPECT_EQ(Text(dump, QStringLiteral("Text11(0)")), QStringLiteral("2")) << "so is the second";
}

TEST_F(UndoTest, AFailedImportAndAnEmptyHistoryChangeNothing) {
  Run(kTwoSample);
  const QJsonObject before = State();
  Run(QStringLiteral("answer /nonexistent/x.xls\nmenu 从Excel导入数据\ndump"));
  Run(QStringLiteral("menu 撤销"));  // undoes the last typed value, not the failed import
  EXPECT_NE(State(), before);
  SetUp();
  const QJsonObject fresh = State();
  Run(QStringLiteral("menu 撤销\nmenu 重做"));
  EXPECT_EQ(State(), fresh);
}

}  // namespace
}  // namespace kelvasta::testing
