// Imported and pasted values read as the same values typed would be, in
// every file format, with a "提示" counting what was not counted.
#include "tests/app/script_fixture.h"

#include "app/column_chooser.h"
#include "interchange/workbook.h"
#include "tests/interchange/workbook_fixtures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QJsonArray>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

namespace kelvasta::testing {
namespace {

using Cells = std::vector<std::string>;

class ImportValuesTest : public ScriptTest {
 protected:
  QString write(const char* name, const std::string& bytes) {
    const QString path = dir_.filePath(QLatin1String(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qsizetype(bytes.size()));
    return path;
  }
  QString write(const char* name, const std::vector<std::byte>& bytes) {
    return write(name, std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  static QStringList Items(const QJsonObject& dump, const char* list, qsizetype n) {
    QStringList items;
    for (const auto& item : Control(dump, QLatin1String(list)).value(QStringLiteral("items")).toArray())
      items.push_back(item.toString());
    return items.mid(0, n);
  }
  static QStringList Messages(const QJsonObject& dump) {
    QStringList texts;
    for (const auto& message : dump.value(QStringLiteral("messages")).toArray()) {
      EXPECT_EQ(message.toObject().value(QStringLiteral("title")).toString(), QStringLiteral("提示"));
      texts << message.toObject().value(QStringLiteral("text")).toString();
    }
    return texts;
  }
  QJsonObject import(const QString& path) { return RunAndDump(QStringLiteral("answer %1\nmenu 从Excel导入数据").arg(path)); }

  QTemporaryDir dir_;
};

// Column A as each program stores it: numbers as numbers, the rest as text.
std::string CsvOf(const Cells& cells) {
  std::string csv;
  for (const std::string& cell : cells) csv += cell + "\r\n";
  return csv;
}
std::vector<std::byte> XlsxOf(const Cells& cells) {
  std::string rows;
  for (std::size_t r = 0; r < cells.size(); ++r) {
    const std::string ref = "A" + std::to_string(r + 1);
    rows += "<row r=\"" + std::to_string(r + 1) + "\">" +
            (cells[r] == "1" ? "<c r=\"" + ref + "\"><v>1</v></c>"
                             : "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + cells[r] + "</t></is></c>") + "</row>";
  }
  return BuildZip(MinimalXlsx(rows));
}
std::vector<std::byte> OdsOf(const std::string& tables) {
  return BuildZip({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                   {"content.xml", "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                                   "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                                   "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
                                   "<office:spreadsheet>" + tables + "</office:spreadsheet></office:body></office:document-content>"}});
}
std::vector<std::byte> OdsOf(const Cells& cells) {
  std::string rows;
  for (const std::string& cell : cells)
    rows += "<table:table-row>" +
            (cell == "1" ? std::string("<table:table-cell office:value-type=\"float\" office:value=\"1\"/>")
                         : "<table:table-cell office:value-type=\"string\"><text:p>" + cell + "</text:p></table:table-cell>") +
            "</table:table-row>";
  return OdsOf("<table:table table:name=\"S\">" + rows + "</table:table>");
}

TEST_F(ImportValuesTest, EveryRowAndFormatReadsAsPasted) {
  // 1 on 40 rows but "3kg" on rows 2 and 32, "12.5%" on rows 10 and 11 and
  // "阴性" on row 40: typed (and pasted) these are 3, 12.5 and nothing.
  Cells cells(40, "1");
  cells[1] = cells[31] = "3kg";
  cells[9] = cells[10] = "12.5%";
  cells[39] = "阴性";
  QString block;
  for (const std::string& cell : cells) block += QString::fromStdString(cell) + QStringLiteral("\\n");
  const QJsonObject pasted = RunAndDump(QStringLiteral("clip %1\nkey Text1(0) Ctrl+V").arg(block));
  // (35·1 + 2·3 + 2·12.5) / 39 = 1.6923, n = 39.
  ASSERT_EQ(Text(pasted, QStringLiteral("Text4(0)")), QStringLiteral("1.6923"));
  ASSERT_EQ(Text(pasted, QStringLiteral("Text4(2)")), QStringLiteral("39"));
  std::vector<QString> paths{write("a.csv", CsvOf(cells)), write("a.xlsx", XlsxOf(cells)), write("a.xlsm", XlsxOf(cells)),
                             write("a.ods", OdsOf(cells))};
  paths.push_back(dir_.filePath(QStringLiteral("a.xls")));
  ASSERT_EQ(WriteWorkbookXls(paths.back().toStdString(), {cells}), WorkbookError::None);
  for (const QString& path : paths) {
    SetUp();
    const QJsonObject dump = import(path);
    EXPECT_EQ(Items(dump, "List1", 40), Items(pasted, "List1", 40)) << path.toStdString();
    for (const char* cell : {"Text4(0)", "Text4(1)", "Text4(2)"})
      EXPECT_EQ(Text(dump, QLatin1String(cell)), Text(pasted, QLatin1String(cell))) << path.toStdString() << cell;
    EXPECT_EQ(Messages(dump), QStringList{QStringLiteral("有1个单元格不是数字，未计入计算。")}) << "阴性";
  }
}

struct TwinCase {
  const char* name;
  std::string csv;
  const char* clip;
  QStringList list1, list2;
  const char* source;
};

TEST_F(ImportValuesTest, TextTablesReadAsTheSameBlockPasted) {
  const std::vector<TwinCase> cases{
      {"full-width digits", "１２,３．５\n－４,1\n", "１２\\t３．５\\n－４\\t1", {"12", "-4"}, {"3.5", "1"},
       "a Chinese input method in full-width mode"},
      {"decimal commas", "1,5;2,5\n3;4\n", "1,5\\t2,5\\n3\\t4", {"1.5", "3"}, {"2.5", "4"},
       "German Excel: semicolons separate, commas are decimal marks"},
      {"quoted thousands", "\"1,234.5\",\"2,000\"\n5,6\n", "1,234.5\\t2,000\\n5\\t6", {"1234.5", "5"},
       {"2000", "6"}, "English Excel quotes numbers with thousands separators"},
  };
  for (const TwinCase& c : cases) {
    SetUp();
    const QJsonObject dump = import(write("twin.csv", c.csv));
    EXPECT_EQ(Items(dump, "List1", 2), c.list1) << c.name;
    EXPECT_EQ(Items(dump, "List2", 2), c.list2) << c.name;
    EXPECT_TRUE(Messages(dump).isEmpty()) << c.name;
    SetUp();
    const QJsonObject pasted = RunAndDump(QStringLiteral("clip %1\nkey Text1(0) Ctrl+V").arg(QString::fromUtf8(c.clip)));
    EXPECT_EQ(Items(pasted, "List1", 2), c.list1) << c.name << " pasted";
    EXPECT_EQ(Items(pasted, "List2", 2), c.list2) << c.name << " pasted";
  }
}

struct PasteCase {
  const char* name;
  QString clip;
  QStringList list1;
  const char* message;  // start of the notice, "" for none
  const char* source;
};

TEST_F(ImportValuesTest, PastedCommasAndLongCells) {
  const std::vector<PasteCase> cases{
      {"thousands", QStringLiteral("1,000\\n2,500\\n3,750"), {"1000", "2500", "3750"}, "",
       "every comma followed by three digits: grouping, not 1.000, 2.500, 3.750"},
      {"both ways", QStringLiteral("12,5\\n3.5"), {"12,5", "3.5"}, "数据中的逗号有的像小数点",
       "a decimal comma beside a decimal point: kept as written, and said"},
      {"long cell", QString(40000, QLatin1Char('7')) + QStringLiteral("\\n1"), {QString(32767, QLatin1Char('7')), "1"},
       "有1个单元格超过32767个字符", "a data cell holds 32,767 characters"},
  };
  for (const PasteCase& c : cases) {
    SetUp();
    const QJsonObject dump = RunAndDump(QStringLiteral("clip %1\nkey Text1(0) Ctrl+V").arg(c.clip));
    EXPECT_EQ(Items(dump, "List1", c.list1.size()), c.list1) << c.name;
    const QStringList messages = Messages(dump);
    if (*c.message == 0) {
      EXPECT_TRUE(messages.isEmpty()) << c.name;
    } else {
      ASSERT_EQ(messages.size(), 1) << c.name;
      EXPECT_TRUE(messages[0].startsWith(QString::fromUtf8(c.message))) << c.name << messages[0].toStdString();
    }
  }
  SetUp();
  const QJsonObject single = RunAndDump(QStringLiteral("clip %1\nkey Text1(0) Ctrl+V").arg(QString(40000, QLatin1Char('5'))));
  EXPECT_EQ(Text(single, QStringLiteral("Text1(0)")).size(), 32767);
  EXPECT_EQ(Messages(single).size(), 1) << "a single pasted value cut by the cell";
}

struct LongCase {
  const char* name;
  const char* answer;
  QStringList list1, list2;
  const char* message;
  const char* source;
};

TEST_F(ImportValuesTest, LongFormatGroupsAndRowsLeftOut) {
  const QString path = write("long.csv", "组,值\nA,1\nA ,2\n Ａ,3\n,4\nB,x\nB,6\n");
  const std::vector<LongCase> cases{
      {"spellings and an empty choice", "groups=A,", {"1", "2", "3"}, {"", "", ""},
       "有3行未计入计算：3行的分组没有选择。", "A, A␣, ␣Ａ are one group; nothing for list 2, not the blank row"},
      {"blank chosen", "groups=A,(空白)", {"1", "2", "3"}, {"4", "", ""}, "有2行未计入计算：2行的分组没有选择。",
       "(空白) takes the row with a blank group cell"},
      {"value not a number", "groups=A,B", {"1", "2", "3"}, {"6", "", ""},
       "有2行未计入计算：1行的分组没有选择，1行的数值为空或不是数字。", "x is no number; the blank group is not chosen"},
  };
  for (const LongCase& c : cases) {
    SetUp();
    const QJsonObject dump = RunAndDump(QStringLiteral("answer %1\ncolumns sheet=1 header=yes value=B group=A %2\n"
                                                       "menu 导入数据（选择列）…").arg(path, QString::fromUtf8(c.answer)));
    EXPECT_EQ(Items(dump, "List1", 3), c.list1) << c.name;
    EXPECT_EQ(Items(dump, "List2", 3), c.list2) << c.name;
    EXPECT_EQ(Messages(dump), QStringList{QString::fromUtf8(c.message)}) << c.name;
  }
  SetUp();
  const QJsonObject second = RunAndDump(QStringLiteral("answer %1\ncolumns sheet=2 use=A,B\nmenu 导入数据（选择列）…").arg(path));
  EXPECT_EQ(Messages(second), QStringList{QStringLiteral("文本文件只有一个工作表，没有第2个工作表。")});
}

TEST_F(ImportValuesTest, TheChooserOffersTheGroupsOfTheWholeColumn) {
  // Sorted by group: B first comes on row 252, past the 200 rows previewed.
  std::string csv = "组,值\n";
  for (int row = 0; row < 300; ++row) csv += std::string(row < 250 ? "A" : "B") + "," + std::to_string(row) + "\n";
  csv += ",9\n";
  const QString path = write("sorted.csv", csv);
  QStringList offered;
  QTimer::singleShot(0, [&offered] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QCheckBox*>()->setChecked(true);  // 第一行是标题
    for (QRadioButton* button : dialog->findChildren<QRadioButton*>())
      if (button->text().startsWith(QStringLiteral("一列数值"))) button->setChecked(true);
    const QList<QComboBox*> boxes = dialog->findChildren<QComboBox*>();
    QComboBox* secondGroup = boxes.back();  // sheet, two columns, value, group, then a group per list
    for (int i = 0; i < secondGroup->count(); ++i) offered << secondGroup->itemText(i);
    offered << secondGroup->currentText();
    static_cast<QDialog*>(dialog)->reject();
  });
  EXPECT_FALSE(ChooseColumns(window_.get(), path, 2).has_value());
  EXPECT_EQ(offered, (QStringList{"（不导入）", "A", "B", "(空白)", "B"}));
}

}  // namespace
}  // namespace kelvasta::testing
