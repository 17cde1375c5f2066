// Blocks pasted from a spreadsheet, full-width typing, dropped files and the
// recent-files entries, all driven through the automation script.
#include "tests/app/script_fixture.h"

#include "interchange/workbook.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

namespace kelvasta::testing {
namespace {

class PasteTest : public ScriptTest {
 protected:
  QJsonObject Captions(const QString& script, const QStringList& names) {
    const QJsonObject dump = RunAndDump(script);
    QJsonObject shown;
    for (const QString& name : names) shown[name] = Control(dump, name);
    return shown;
  }
};

TEST_F(PasteTest, PastedListsEqualTypedLists) {
  const QStringList names{QStringLiteral("List1"),    QStringLiteral("List2"),    QStringLiteral("Text4(0)"),
                          QStringLiteral("Text4(1)"), QStringLiteral("Text4(3)"), QStringLiteral("Label5(6)")};
  const QJsonObject typed = Captions(QStringLiteral(
      "type Text1(0) 12.5\nkey Text1(0) Enter\ntype Text1(1) 15\nkey Text1(1) Enter\ntype Text1(2) 11\n"
      "type Text2(0) 9\nkey Text2(0) Enter\ntype Text2(1) 8\nkey Text2(1) Enter\ntype Text2(2) 10\n"), names);
  struct Row {
    const char* name;
    const char* clip;
  };
  const std::vector<Row> rows{
      {"LibreOffice block", "12.5\\t9\\n15\\t8\\n11\\t10"},
      {"Excel block with CR LF", "12.5\\t9\\r\\n15\\t8\\r\\n11\\t10\\r\\n"},
      {"decimal commas", "12,5\\t9\\n15\\t8\\n11\\t10\\n"},
      {"full-width digits", "１２．５\\t９\\n１５\\t８\\n１１\\t１０\\n"},
  };
  for (const Row& row : rows) {
    SetUp();
    const QJsonObject pasted =
        Captions(QStringLiteral("clip %1\nkey Text1(0) Ctrl+V").arg(QString::fromUtf8(row.clip)), names);
    EXPECT_EQ(pasted, typed) << row.name;
  }
}

TEST_F(PasteTest, LargePastedListsGetTheirDetailsFromTheWorkerThread) {
  // Above 200,000 rows the correlation figures are computed off the keystroke;
  // dump waits for them.
  QString block;
  for (int i = 0; i < 250000; ++i) block += QStringLiteral("%1\\t%2\\n").arg(i % 100).arg(i * 7 % 100);
  const QJsonObject dump = RunAndDump(QStringLiteral("click Command1(6)\nclip %1\nkey Text1(0) Ctrl+V").arg(block));
  const QJsonObject figures = dump.value(QStringLiteral("details")).toObject().value(QStringLiteral("figures")).toObject();
  EXPECT_EQ(figures.value(QStringLiteral("n")).toDouble(), 250000);
  EXPECT_NEAR(figures.value(QStringLiteral("r")).toDouble(), 0.1347134713471347, 1e-12) << "same as the panel's r";
  EXPECT_EQ(Text(dump, QStringLiteral("Label13(7)")), QStringLiteral("0.1347"));
}

TEST_F(PasteTest, GridBlocksStayInsideTheGrid) {
  const QJsonObject dump = RunAndDump(QStringLiteral(
      "click Command1(5)\nclip 1\\t2\\t3\\n4\\t5\\t6\\n7\\t8\\t9\nkey Text111(6) Ctrl+V"));
  // Row 1 column 2 onward: two columns and two rows fit in the 3 x 4 grid.
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(6)")), QStringLiteral("1"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(7)")), QStringLiteral("2"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(10)")), QStringLiteral("4"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(11)")), QStringLiteral("5"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text111(0)")), QString());
}

TEST_F(PasteTest, FullWidthTypingArrivesAsAscii) {
  const QJsonObject dump = RunAndDump(QStringLiteral(
      "click Command1(3)\ntype Text11(0) ３。５\ntype Text11(1) －１２\nclick Command1(0)\ntype Text4(0) １２．５"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("12.5"));
  const QJsonObject grid = RunAndDump(QStringLiteral("click Command1(3)\ntype Text11(0) ３。５"));
  EXPECT_EQ(Text(grid, QStringLiteral("Text11(0)")), QStringLiteral("3.5")) << "not 35";
}

TEST_F(PasteTest, DroppedFilesImportAndAreOfferedAgain) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("drop.xls"));
  ASSERT_EQ(WriteWorkbookXls(path.toStdString(), {{"1", "2", "3"}, {"4", "5", "6"}}), WorkbookError::None);
  QJsonObject dump = RunAndDump(QStringLiteral("drop %1").arg(path));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("2.0000"));
  dump = RunAndDump(QStringLiteral("click Command1(3)\ndrop %1").arg(path));
  EXPECT_EQ(Text(dump, QStringLiteral("Text11(0)")), QString()) << "no import while the test has no lists";
  dump = RunAndDump(QStringLiteral("click Command1(1)\nmenu 1 %1").arg(path));
  EXPECT_EQ(Control(dump, QStringLiteral("List2")).value(QStringLiteral("items")).toArray().first().toString(),
            QStringLiteral("4"))
      << "imported again from the File menu";
}

TEST_F(PasteTest, ChosenColumnsAndOneRowPerPatient) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("patients.csv"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("性别,血压,年龄\n男,120,50\n女,110,40\n男,130,60\n女,115,45\n");
  file.close();
  struct Row {
    const char* name;
    const char* answer;
    QStringList list1, list2;
  };
  const std::vector<Row> rows{
      {"long format", "sheet=1 header=yes value=B group=A groups=女,男", {"110", "115"}, {"120", "130"}},
      {"columns", "sheet=1 header=yes use=C,B", {"50", "40", "60", "45"}, {"120", "110", "130", "115"}},
  };
  for (const Row& row : rows) {
    SetUp();
    const QJsonObject dump = RunAndDump(
        QStringLiteral("answer %1\ncolumns %2\nmenu 导入数据（选择列）…").arg(path, QString::fromUtf8(row.answer)));
    const auto items = [&dump](const char* list, qsizetype n) {
      QStringList texts;
      for (const auto& item : Control(dump, QLatin1String(list)).value(QStringLiteral("items")).toArray())
        texts.push_back(item.toString());
      return texts.mid(0, n);
    };
    EXPECT_EQ(items("List1", row.list1.size()), row.list1) << row.name;
    EXPECT_EQ(items("List2", row.list2.size()), row.list2) << row.name;
  }
  const QJsonObject cancelled = RunAndDump(QStringLiteral("answer %1\nmenu 导入数据（选择列）…").arg(path));
  EXPECT_EQ(Text(cancelled, QStringLiteral("Text4(0)")), QStringLiteral("48.7500")) << "no answer cancels: the lists stay";
}

}  // namespace
}  // namespace kelvasta::testing
