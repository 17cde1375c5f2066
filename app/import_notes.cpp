#include "app/import_notes.h"

#include "stats/raw_value.h"

#include <QFileInfo>
#include <QStringList>

namespace kelvasta {

namespace {

QString Suffix(const QString& path) { return QFileInfo(path).suffix().toLower(); }

bool IsTextTable(const QString& path) {
  const QString suffix = Suffix(path);
  return suffix == u"csv" || suffix == u"tsv" || suffix == u"txt";
}

}  // namespace

QString RefusalForName(const QString& path) {
  const QString suffix = Suffix(path);
  // Excel's macro and template workbooks are the same files inside.
  for (const char* readable : {"xls", "xlsx", "xlsm", "xltx", "xltm", "xlt", "ods", "csv", "tsv", "txt"})
    if (suffix == QLatin1String(readable)) return {};
  if (suffix == u"fods")
    return QStringLiteral("这是扁平 OpenDocument 电子表格（.fods），无法导入；请在电子表格程序中另存为 .ods 或 .xlsx 后再导入。");
  if (suffix == u"xlsb")
    return QStringLiteral("这是 Excel 二进制工作簿（.xlsb），无法导入；请在 Excel 中另存为 .xlsx 后再导入。");
  if (suffix == u"numbers")
    return QStringLiteral("这是 Numbers 表格（.numbers），无法导入；请在 Numbers 中导出为 .xlsx 或 .csv 后再导入。");
  if (suffix == u"et" || suffix == u"ett")
    return QStringLiteral("这是 WPS 表格文件（.%1），无法导入；请在 WPS 中另存为 .xlsx 后再导入。").arg(suffix);
  return QStringLiteral("请打开Excel文件！");
}

QString ReadErrorText(WorkbookError error, const QString& path) {
  if (error == WorkbookError::NotAWorkbook) {
    if (Suffix(path) == u"ods") return QStringLiteral("文件不是OpenDocument电子表格。");
    if (IsTextTable(path)) return QStringLiteral("文件不是可识别的文本表格。");
    // The file by name, and what the import reads instead.
    return QStringLiteral("文件“%1”不是Excel工作簿。可以导入的文件有：Excel 工作簿（.xls、.xlsx）、"
                          "OpenDocument 电子表格（.ods）和文本表格（.csv、.tsv、.txt）。")
        .arg(QFileInfo(path).fileName());
  }
  const std::string_view text = DescribeWorkbookError(error);
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString MissingSheetText(const QString& path, int sheet) {
  if (IsTextTable(path)) return QStringLiteral("文本文件只有一个工作表，没有第%1个工作表。").arg(sheet + 1);
  return QStringLiteral("工作簿中没有第%1个工作表。").arg(sheet + 1);
}

QString EmptyColumnsText(std::size_t columns, bool chosen, bool longFormat) {
  if (longFormat) return QStringLiteral("所选的分组中没有数据。");
  if (chosen) return QStringLiteral("所选的列中没有数据。");
  return columns == 3 ? QStringLiteral("第一个工作表的A、B、C三列中没有数据。")
                      : QStringLiteral("第一个工作表的A、B两列中没有数据。");
}

QString DescribeValueNotes(const ValueNotes& notes) {
  QStringList lines;
  if (notes.left != nullptr) {
    const LeftOutRows& left = *notes.left;
    QStringList parts;
    if (left.groupNotChosen > 0) parts << QStringLiteral("%1行的分组没有选择").arg(left.groupNotChosen);
    if (left.notANumber > 0) parts << QStringLiteral("%1行的数值为空或不是数字").arg(left.notANumber);
    if (!parts.isEmpty())
      lines << QStringLiteral("有%1行未计入计算：%2。")
                   .arg(left.groupNotChosen + left.notANumber)
                   .arg(parts.join(QStringLiteral("，")));
  } else if (notes.notNumbers > 0) {
    lines << QStringLiteral("有%1个单元格不是数字，未计入计算。").arg(notes.notNumbers);
  }
  if (notes.commas == CommaReading::Unclear)
    lines << QStringLiteral("数据中的逗号有的像小数点、有的像千位分隔符，无法确定含义：含逗号的%1个数值按原样保留，未作为数字读取。")
                 .arg(notes.commaCells);
  if (notes.cut > 0)
    lines << QStringLiteral("有%1个单元格超过%2个字符，只保留了前%2个字符。").arg(notes.cut).arg(kMaxCellLength);
  return lines.join(QLatin1Char('\n'));
}

std::size_t CountNotNumbers(const ListWindow& lists) {
  std::size_t count = 0;
  for (std::size_t c = 0; c < lists.columnCount(); ++c) {
    const ValueList& list = lists.column(c);
    const std::vector<std::int64_t>& values = list.values();
    for (std::size_t k = 0; k < values.size(); ++k)
      count += values[k] == kMissingRaw && !list.item(k).empty() ? 1 : 0;
  }
  return count;
}

}  // namespace kelvasta
