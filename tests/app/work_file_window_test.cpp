// The work file in the real window: saved and opened in a fresh window it
// shows every caption, list and figure as before; opening is one step of the
// history; a bad file changes nothing; the export's file types.
#include "tests/app/script_fixture.h"

#include "app/power/planning_codec.h"
#include "app/startup.h"
#include "interchange/work_file.h"
#include "interchange/workbook.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <fstream>

namespace kelvasta::testing {
namespace {

class WorkFileWindowTest : public ScriptTest {
 protected:
  // A window as a new run of the program starts it.
  void Restart() {
    window_.reset();
    desktop_ = std::make_unique<RecordingDesktop>();
    window_ = std::make_unique<MainWindow>(*desktop_);
    StartUp(*window_);
  }
  QJsonObject Controls(const QJsonObject& dump) {
    QJsonObject controls = dump.value(QStringLiteral("controls")).toObject();
    controls.remove(QStringLiteral("MainWindow"));
    return controls;
  }
  QTemporaryDir dir_;
  QString file(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
};

QString TypeRows(const char* column, std::initializer_list<const char*> values) {
  QString script;
  int row = 0;
  for (const char* value : values) {
    script += QStringLiteral("type %1(%2) %3\nkey %1(%2) Enter\n").arg(QLatin1String(column)).arg(row).arg(QLatin1String(value));
    row = std::min(row + 1, 9);
  }
  return script;
}

// One script per panel, with the states that typing alone would not give
// back: the LSD-t lines and critical values an analysis of variance keeps
// after a cell is emptied, a list scrolled past its first rows, the R x C
// warning, summary figures typed over the lists'.
TEST_F(WorkFileWindowTest, SavedWorkOpensInANewWindowExactlyAsItWas) {
  struct Row {
    const char* name;
    QString script;
  };
  const std::vector<Row> rows{
      {"two-sample t, a summary typed over the lists'",
       TypeRows("Text1", {"12", "15", "11"}) + TypeRows("Text2", {"9", "8", "10"}) + "set Text4(4) 2.5\n"},
      {"paired t, scrolled", TypeRows("Text1", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}) +
                                 "click Command1(1)\n" + TypeRows("Text1", {"1", "2", "4"}) +
                                 TypeRows("Text2", {"2", "3", "9"}) + "scroll VS1 2\n"},
      {"analysis of variance, LSD-t, then a cell emptied",
       "click Command1(2)\n" + TypeRows("Text30", {"5", "7", "8"}) + TypeRows("Text40", {"9", "10", "12"}) +
           TypeRows("Text50", {"1", "2", "4"}) + "click Command16\nset Text30(2)\n"},
      {"fourfold", "click Command1(3)\nset Text11(0) 12\nset Text11(1) 5\nset Text11(2) 3\nset Text11(3) 20\n"},
      {"paired chi-square", "click Command1(4)\nset Text11(0) 12\nset Text11(1) 5\nset Text11(2) 3\n"},
      {"R x C with its warning", "click Command1(5)\nset Text111(0) 1\nset Text111(1) 5\nset Text111(4) 2\n"},
      {"correlation", "click Command1(6)\n" + TypeRows("Text1", {"1", "2", "4"}) + TypeRows("Text2", {"2", "3", "9"})},
      {"ordinal", "click Command1(7)\nset Text12(0) 12\nset Text12(1) 5\nset Text12(4) 3\nset Text12(5) 8\n"},
      {"a plan beside the data",
       TypeRows("Text1", {"12", "15", "11"}) + TypeRows("Text2", {"9", "8", "10"}) +
           "menu 样本量与检验效能…\nclick Power.use_data\nset Power.dropout 10%\nclick Power.sides(1)\n"},
  };
  for (const Row& row : rows) {
    SetUp();
    const QString path = file("work.kelvasta");
    Run(row.script);
    const QJsonObject saved = RunAndDump(QStringLiteral("answer %1\nmenu 另存为…").arg(path));
    EXPECT_EQ(saved.value(QStringLiteral("work_file")).toString(), path) << row.name;
    EXPECT_FALSE(saved.value(QStringLiteral("modified")).toBool()) << row.name;
    Restart();
    EXPECT_EQ(RunAndDump(QStringLiteral("answer %1\nmenu 打开…").arg(path)), saved) << row.name;
  }
}

TEST_F(WorkFileWindowTest, OpeningIsOneStepOfTheHistory) {
  const QString path = file("a.kelvasta");
  Run("click Command1(3)\nset Text11(0) 7\nset Text11(1) 9\n" + QStringLiteral("answer %1\nmenu 另存为…").arg(path));
  Restart();
  Run(TypeRows("Text1", {"5", "6"}));
  const QJsonObject before = RunAndDump(QString());
  Run(QStringLiteral("answer %1\nmenu 打开…").arg(path));
  const QJsonObject undone = RunAndDump(QStringLiteral("menu 撤销"));
  EXPECT_EQ(Controls(undone), Controls(before));
  EXPECT_TRUE(undone.value(QStringLiteral("modified")).toBool()) << "the window no longer shows the file";
  const QJsonObject redone = RunAndDump(QStringLiteral("menu 重做"));
  EXPECT_EQ(Text(redone, QStringLiteral("Text11(1)")), QStringLiteral("9"));
  EXPECT_FALSE(redone.value(QStringLiteral("modified")).toBool());
}

TEST_F(WorkFileWindowTest, ModifiedFollowsTheDataAndTheCaptionShowsIt) {
  const QJsonObject start = RunAndDump(QString());
  EXPECT_EQ(start.value(QStringLiteral("work_file")), QJsonValue());
  EXPECT_FALSE(start.value(QStringLiteral("modified")).toBool());
  EXPECT_EQ(Text(start, QStringLiteral("MainWindow")), QStringLiteral("Kelvasta V10.1"));
  EXPECT_TRUE(RunAndDump(QStringLiteral("type Text1(0) 5")).value(QStringLiteral("modified")).toBool());
  const QJsonObject saved = RunAndDump(QStringLiteral("answer %1\nmenu 保存").arg(file("b")));
  EXPECT_EQ(saved.value(QStringLiteral("work_file")).toString(), file("b.kelvasta")) << "the extension is added";
  EXPECT_EQ(Text(saved, QStringLiteral("MainWindow")), QStringLiteral("Kelvasta V10.1 - b.kelvasta[*]"));
  EXPECT_TRUE(RunAndDump(QStringLiteral("type Text1(0) 1")).value(QStringLiteral("modified")).toBool());
  EXPECT_FALSE(RunAndDump(QStringLiteral("menu 撤销")).value(QStringLiteral("modified")).toBool())
      << "undo back to the saved state";
  // Saving again goes to the same file without asking.
  Run(QStringLiteral("type Text2(0) 3\nmenu 保存"));
  EXPECT_EQ(ReadWorkFile(file("b.kelvasta").toStdString()).work.lists[1][0], "3");
}

// Each row: a file that must not open, and a part of the message naming why.
// A planning edit is unsaved work: it marks the window and is kept.
TEST_F(WorkFileWindowTest, PlanningEditsAreUnsavedWork) {
  Run(QStringLiteral("menu 样本量与检验效能…"));
  EXPECT_FALSE(RunAndDump(QString()).value(QStringLiteral("modified")).toBool());
  EXPECT_TRUE(RunAndDump(QStringLiteral("set Power.sd 9")).value(QStringLiteral("modified")).toBool());
  EXPECT_FALSE(RunAndDump(QStringLiteral("answer %1\nmenu 保存").arg(file("p"))).value(QStringLiteral("modified")).toBool());
  Restart();
  const QJsonObject opened = RunAndDump(QStringLiteral("answer %1\nmenu 打开…").arg(file("p.kelvasta")));
  EXPECT_EQ(opened.value(QStringLiteral("power")).toObject().value(QStringLiteral("inputs")).toObject().value(
                QStringLiteral("sd")),
            QStringLiteral("9"));
  EXPECT_FALSE(opened.value(QStringLiteral("modified")).toBool());
}

TEST_F(WorkFileWindowTest, BadFilesSayWhyAndChangeNothing) {
  const QString good = file("good.kelvasta");
  Run("set Text4(0) 1\n" + QStringLiteral("answer %1\nmenu 另存为…").arg(good));
  QFile in(good);
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  const QByteArray text = in.readAll();
  struct Row {
    const char* name;
    QByteArray bytes;
    const char* says;
  };
  const std::vector<Row> rows{
      {"truncated", text.left(text.size() / 2), "已损坏或不完整"},
      {"newer version", QByteArray(text).replace("\"version\": 1", "\"version\": 9"), "较新版本"},
      {"wrong type", QByteArray(text).replace("\"test\": 0", "\"test\": \"0\""), "应为数字"},
      {"unknown cell", QByteArray(text).replace("\"Text4(0)\"", "\"Text99(0)\""), "Text99(0)"},
      {"a workbook", QByteArray("PK\x03\x04", 4), "不是Kelvasta工作文件"},
  };
  Run("set Text4(1) 2\n");
  const QJsonObject before = Controls(RunAndDump(QString()));
  for (const Row& row : rows) {
    const QString bad = file("bad.kelvasta");
    QFile out(bad);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(row.bytes);
    out.close();
    const QJsonObject dump = RunAndDump(QStringLiteral("answer %1\nmenu 打开…").arg(bad));
    const QJsonArray messages = dump.value(QStringLiteral("messages")).toArray();
    ASSERT_EQ(messages.size(), 1) << row.name;
    EXPECT_EQ(messages[0][QStringLiteral("title")].toString(), QStringLiteral("提示"));
    EXPECT_TRUE(messages[0][QStringLiteral("text")].toString().contains(QString::fromUtf8(row.says)))
        << row.name << ": " << messages[0][QStringLiteral("text")].toString().toStdString();
    EXPECT_EQ(Controls(dump), before) << row.name;
  }
  const QJsonObject folder = RunAndDump(QStringLiteral("answer %1\nmenu 打开…").arg(dir_.path()));
  EXPECT_EQ(folder.value(QStringLiteral("messages")).toArray().size(), 1);
  EXPECT_EQ(folder.value(QStringLiteral("work_file")).toString(), good) << "the open file stays open";
}

TEST_F(WorkFileWindowTest, SavingOverAReadOnlyFileIsRefused) {
  const QString path = file("ro.kelvasta");
  Run(QStringLiteral("set Text4(0) 1\nanswer %1\nmenu 另存为…").arg(path));
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
  const QJsonObject dump = RunAndDump(QStringLiteral("set Text4(0) 2\nmenu 保存"));
  const QJsonArray messages = dump.value(QStringLiteral("messages")).toArray();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0][QStringLiteral("text")].toString(), QStringLiteral("文件保存失败！文件是只读的，无法覆盖。"));
  EXPECT_TRUE(dump.value(QStringLiteral("modified")).toBool());
}

// The answer's extension picks the export's file type; any other name is
// the .xls choice, whose extension is added unless the name has it.
TEST_F(WorkFileWindowTest, ExportWritesTheFileTypeTheNameEndsWith) {
  Run(TypeRows("Text1", {"5", "7.5"}) + TypeRows("Text2", {"6"}));
  const std::vector<std::pair<QString, QString>> rows{
      {file("a.xlsx"), file("a.xlsx")}, {file("b.CSV"), file("b.CSV")}, {file("c"), file("c.xls")},
      {file("d.xls"), file("d.xls")}};
  for (const auto& [answer, written] : rows) {
    const QJsonObject dump = RunAndDump(QStringLiteral("answer %1\nmenu 导出数据到Excel").arg(answer));
    EXPECT_EQ(dump.value(QStringLiteral("messages")).toArray().at(0)[QStringLiteral("text")].toString(),
              QStringLiteral("文件导出成功！"));
    const ReadResult read = ReadFirstWorksheet(written.toStdString(), 2, 100);
    ASSERT_EQ(read.error, WorkbookError::None) << written.toStdString();
    EXPECT_EQ(read.sheet.columns, (std::vector<std::vector<std::string>>{{"5", "7.5"}, {"6", ""}}));
  }
}

TEST(PlanningCodec, StateSurvivesTheWorkFilesJson) {
  PlanningState state;
  state.design = 5;
  state.findPower = true;
  state.sides = 1;
  state.inputs = {{QStringLiteral("alpha"), QStringLiteral("0.05")}, {QStringLiteral("p1"), QStringLiteral("三成")}};
  const std::optional<WorkPlanning> read = ParseWorkPlanning(WorkPlanningJson(ToWorkPlanning(state)));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(FromWorkPlanning(*read), state);
  // Out of range: brought into the window's ranges rather than passed on.
  EXPECT_EQ(FromWorkPlanning(WorkPlanning{9, false, 3, {}}).design, 7);
  EXPECT_EQ(FromWorkPlanning(WorkPlanning{9, false, 3, {}}).sides, 2);
}

TEST_F(WorkFileWindowTest, ADroppedWorkFileIsOpened) {
  const QString path = file("dropped.kelvasta");
  Run(QStringLiteral("click Command1(7)\nset Text12(0) 4\nanswer %1\nmenu 另存为…").arg(path));
  Restart();
  EXPECT_EQ(Text(RunAndDump(QStringLiteral("drop %1").arg(path)), QStringLiteral("Text12(0)")), QStringLiteral("4"));
}

}  // namespace
}  // namespace kelvasta::testing
