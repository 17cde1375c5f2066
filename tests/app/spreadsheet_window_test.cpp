// Import and export of the value lists through the File menu and the tool
// strip, with the file dialogs answered by the script.
#include "tests/app/script_fixture.h"
#include "tests/interchange/workbook_fixtures.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

namespace kelvasta::testing {
namespace {

class SpreadsheetWindowTest : public ScriptTest {
 protected:
  QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
  static QJsonArray Messages(const QJsonObject& dump) { return dump.value(QStringLiteral("messages")).toArray(); }
  static QString FirstMessage(const QJsonObject& dump) {
    return Messages(dump).first().toObject().value(QStringLiteral("text")).toString();
  }
  static QStringList Items(const QJsonObject& dump, const char* list) {
    QStringList items;
    for (const auto& item : Control(dump, QLatin1String(list)).value(QStringLiteral("items")).toArray())
      items.push_back(item.toString());
    return items;
  }

  QTemporaryDir dir_;
};

const QString kTyped = QStringLiteral(
    "type Text1(0) 5\nkey Text1(0) Enter\ntype Text1(1) 7\nkey Text1(1) Enter\ntype Text1(2) 9\n"
    "type Text2(0) 6\nkey Text2(0) Enter\ntype Text2(1) 8\nkey Text2(1) Enter\ntype Text2(2) 10\n");

TEST_F(SpreadsheetWindowTest, ExportThenImportGivesTheSameListsAndResults) {
  QJsonObject dump = RunAndDump(kTyped + QStringLiteral("answer %1\nmenu 导出数据到Excel").arg(path("out")));
  ASSERT_EQ(Messages(dump).size(), 1);
  EXPECT_EQ(FirstMessage(dump), QStringLiteral("文件导出成功！"));
  EXPECT_TRUE(QFile::exists(path("out.xls")));

  SetUp();  // a fresh window
  dump = RunAndDump(QStringLiteral("answer %1\nclick Label28(0)").arg(path("out.xls")));
  EXPECT_TRUE(Messages(dump).isEmpty());
  const QStringList list1 = Items(dump, "List1");
  // Three used rows (empty cells are not written), then fourteen empty rows.
  ASSERT_EQ(list1.size(), 17);
  EXPECT_EQ(list1.mid(0, 4), (QStringList{"5", "7", "9", ""}));
  EXPECT_EQ(Items(dump, "List2").mid(0, 4), (QStringList{"6", "8", "10", ""}));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("7.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(1)")), QStringLiteral("2.0000"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text4(5)")), QStringLiteral("3"));
  EXPECT_EQ(Control(dump, QStringLiteral("VS1")).value(QStringLiteral("max")).toInt(), 7);
  EXPECT_EQ(Text(dump, QStringLiteral("Text2(1)")), QStringLiteral("8"));
}

TEST_F(SpreadsheetWindowTest, ANameEndingInXlsGetsNoSecondSuffix) {
  const QJsonObject dump = RunAndDump(kTyped + QStringLiteral("answer %1\nmenu 导出数据到Excel").arg(path("data.XLS")));
  EXPECT_EQ(FirstMessage(dump), QStringLiteral("文件导出成功！"));
  EXPECT_TRUE(QFile::exists(path("data.XLS")));
  EXPECT_FALSE(QFile::exists(path("data.XLS.xls")));
}

TEST_F(SpreadsheetWindowTest, ThreeGroupsExportThreeColumns) {
  RunAndDump(QStringLiteral("click Command1(2)\ntype Text30(0) 1\ntype Text40(0) 2\ntype Text50(0) 3\n"
                            "answer %1\nmenu 导出数据到Excel")
                 .arg(path("groups")));
  SetUp();
  const QJsonObject dump =
      RunAndDump(QStringLiteral("click Command1(2)\nanswer %1\nmenu 从Excel导入数据").arg(path("groups.xls")));
  EXPECT_EQ(Items(dump, "List5").first(), QStringLiteral("3"));
  EXPECT_EQ(Text(dump, QStringLiteral("Text41(6)")), QStringLiteral("3.0000"));
}

struct RefusedCase {
  const char* name;
  const char* file;
  QByteArray content;
  const char* message;  // start of the message text
};

// An .ods whose first sheet is empty, as LibreOffice saves a new document.
QByteArray EmptyOds() {
  const std::vector<std::byte> zip = BuildZip(
      {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
       {"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"><office:body><office:spreadsheet>"
                       "<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"1048576\">"
                       "<table:table-cell/></table:table-row></table:table></office:spreadsheet></office:body>"
                       "</office:document-content>"}});
  return QByteArray(reinterpret_cast<const char*>(zip.data()), qsizetype(zip.size()));
}

// A file that cannot be imported changes nothing and says why.
const RefusedCase kRefused[] = {
    {"wrong_extension", "data.doc", "5,6\n", "请打开Excel文件！"},
    {"missing_file", "missing.xls", {}, ""},
    {"not_a_workbook", "garbage.xlsx", "this is not a workbook", "文件“garbage.xlsx”不是Excel工作簿。可以导入的文件有："},
    {"empty_csv", "empty.csv", QByteArray(""), "文件中没有数据。"},
    {"bom_alone", "bom.csv", "\xEF\xBB\xBF", "文件中没有数据。"},
    {"ten_million_empty_lines", "lines.csv", QByteArray(10000000, '\n'), "文件中没有数据。"},
    {"empty_first_sheet", "empty.ods", EmptyOds(), "文件中没有数据。"},
    {"values_beyond_the_lists", "wide.csv", ",,,5\n", "第一个工作表的A、B两列中没有数据。"},
    {"flat_ods", "data.fods", "<?xml version=\"1.0\"?>", "这是扁平 OpenDocument 电子表格（.fods）"},
    {"not_an_ods", "text.ods", "plain text", "文件不是OpenDocument电子表格。"},
};

TEST_F(SpreadsheetWindowTest, RefusedFilesKeepTheTypedData) {
  for (const RefusedCase& c : kRefused) {
    SCOPED_TRACE(c.name);
    SetUp();
    if (!c.content.isNull()) {
      QFile file(path(c.file));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(c.content);
    }
    const QJsonObject dump = RunAndDump(kTyped + QStringLiteral("answer %1\nmenu 从Excel导入数据").arg(path(c.file)));
    ASSERT_EQ(Messages(dump).size(), 1);
    EXPECT_EQ(Messages(dump).first().toObject().value(QStringLiteral("title")).toString(), QStringLiteral("提示"));
    EXPECT_TRUE(FirstMessage(dump).startsWith(QString::fromUtf8(c.message)));
    EXPECT_FALSE(FirstMessage(dump).isEmpty());
    EXPECT_EQ(Items(dump, "List1").mid(0, 3), (QStringList{"5", "7", "9"}));
    EXPECT_EQ(Text(dump, QStringLiteral("Text1(0)")), QStringLiteral("5"));
    EXPECT_EQ(Text(dump, QStringLiteral("Text4(0)")), QStringLiteral("7.0000"));
    EXPECT_EQ(Text(dump, QStringLiteral("Label14")), QString()) << "the refused path is not kept";
    const QJsonObject undone = RunAndDump(QStringLiteral("menu 撤销"));
    EXPECT_EQ(Text(undone, QStringLiteral("Label14")), QString()) << "nor brought back by the undo";
    EXPECT_EQ(Items(undone, "List2").mid(0, 3), (QStringList{"6", "8", ""})) << "the undo takes back the last typing";
  }
}

TEST_F(SpreadsheetWindowTest, CancellingChangesNothing) {
  const QJsonObject dump = RunAndDump(kTyped + QStringLiteral("answer \nmenu 从Excel导入数据\nanswer \nmenu 导出数据到Excel"));
  EXPECT_TRUE(Messages(dump).isEmpty());
  EXPECT_EQ(Items(dump, "List1").mid(0, 3), (QStringList{"5", "7", "9"}));
  // The dialog opens on every kind the import reads; the workbook label stays one of its filters.
  const QStringList filters = desktop_->lastFilter().split(QStringLiteral(";;"));
  ASSERT_GT(filters.size(), 1);
  for (const char* pattern : {"*.xls ", "*.xlsx", "*.ods", "*.csv", "*.tsv", "*.txt"})
    EXPECT_TRUE(filters.front().contains(QLatin1String(pattern))) << pattern;
  EXPECT_TRUE(filters.contains(QStringLiteral("Microsoft Excel 工作簿(*.xls)")));
}

TEST_F(SpreadsheetWindowTest, AFolderThatCannotBeWrittenIsReported) {
  const QJsonObject dump =
      RunAndDump(kTyped + QStringLiteral("answer %1/no/such/folder/out\nmenu 导出数据到Excel").arg(dir_.path()));
  ASSERT_EQ(Messages(dump).size(), 1);
  EXPECT_TRUE(FirstMessage(dump).startsWith(QStringLiteral("文件导出失败！")));
}

}  // namespace
}  // namespace kelvasta::testing

namespace kelvasta::testing {
namespace {

TEST_F(SpreadsheetWindowTest, TextTablesImportLikeWorkbooks) {
  struct Row {
    const char* name;
    QByteArray bytes;
  };
  const std::vector<Row> rows{
      {"csv with header", QByteArrayLiteral("组1,组2\r\n5,6\r\n7,8\r\n9,10\r\n")},
      {"tsv with BOM", QByteArrayLiteral("\xEF\xBB\xBF" "组1\t组2\n5\t6\n7\t8\n9\t10\n")},
      {"semicolons", QByteArrayLiteral("组1;组2\n5;6\n7;8\n9;10\n")},
  };
  for (const Row& row : rows) {
    SetUp();
    const QString file = path(row.name[0] == 't' ? "data.tsv" : "data.csv");
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(row.bytes);
    out.close();
    const QJsonObject dump = RunAndDump(QStringLiteral("answer %1\nmenu 从Excel导入数据").arg(file));
    ASSERT_EQ(Messages(dump).size(), 1) << row.name;
    EXPECT_EQ(FirstMessage(dump), QStringLiteral("有2个单元格不是数字，未计入计算。")) << "the two titles" << row.name;
    EXPECT_EQ(Items(dump, "List1").mid(0, 4), (QStringList{"组1", "5", "7", "9"})) << row.name;
    EXPECT_EQ(Text(dump, QStringLiteral("Text4(3)")), QStringLiteral("8.0000")) << row.name;
  }
}

}  // namespace
}  // namespace kelvasta::testing
