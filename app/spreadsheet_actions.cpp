#include "app/desktop.h"
#include "app/handlers/handlers.h"
#include "app/import_notes.h"
#include "app/main_window.h"
#include "app/test_table.h"
#include "app/undo/window_history.h"
#include "interchange/column_choice.h"
#include "interchange/workbook.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>
#include <span>

namespace kelvasta {

namespace {

// The first filter shows every kind the import reads; the workbook one the
// import has always offered follows it.
const QString kFileTypes = QStringLiteral(
    "所有可导入的文件(*.xls *.xlsx *.xlsm *.xlt *.xltx *.xltm *.ods *.csv *.tsv *.txt);;"
    "Microsoft Excel 工作簿(*.xls);;Excel 工作簿(*.xlsx *.xlsm *.xlt *.xltx *.xltm);;"
    "OpenDocument 电子表格(*.ods);;文本文件(*.csv *.tsv *.txt);;所有文件(*)");
const QString kXlsxType = QStringLiteral("Excel 工作簿(*.xlsx)");
const QString kCsvType = QStringLiteral("CSV UTF-8(*.csv)");
const QString kXlsType = QStringLiteral("Microsoft Excel 工作簿(*.xls)");
const QString kNotice = QStringLiteral("提示");
// The largest worksheet a workbook can hold; the lists take it whole.
constexpr std::int64_t kMaxImportRows = 1048576;
// Empty rows added behind the imported ones, so typing can go on below them.
constexpr std::size_t kTrailingEmptyRows = 14;

// The hourglass for the length of one operation.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { restore(); }
  void restore() {
    if (active_) QApplication::restoreOverrideCursor();
    active_ = false;
  }

 private:
  bool active_ = true;
};

QString WithXlsExtension(const QString& path) {
  return path.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".xls");
}

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

}  // namespace

void MainWindow::ImportFromSpreadsheet() {
  const QString path = desktop_.askOpenFile(this, QStringLiteral("打开"), kFileTypes);
  if (!path.isEmpty()) ImportFile(path);
}

void MainWindow::ShowNotice(const QString& text) { desktop_.showMessage(this, kNotice, text); }

void MainWindow::ImportFile(const QString& path) {
  if (!importAction_->isEnabled()) return;
  ImportOutcome outcome;
  history_->runStep([this, &path, &outcome] { outcome = importWorkbook(path); }, true);
  if (outcome.imported) rememberImport(path);
  if (!outcome.notice.isEmpty()) ShowNotice(outcome.notice);
}

// The workbook is read whole before anything changes: a wrong, unreadable or
// empty file leaves the window as it was and says why.
MainWindow::ImportOutcome MainWindow::importWorkbook(const QString& path) {
  if (QString refusal = RefusalForName(path); !refusal.isEmpty()) return {false, refusal};
  BusyPointer busy;
  const ListWindow& lists = currentTest_ == kAnova ? storage_.groupLists : storage_.twoColumnLists;
  ReadResult read = ReadFirstWorksheet(path.toStdString(), int(lists.columnCount()), kMaxImportRows);
  if (read.error != WorkbookError::None) return {false, ReadErrorText(read.error, path)};
  const CleanedValues cleaned = CleanValues(read.sheet.columns, 0);
  return finishImport(path, std::move(read.sheet), cleaned, nullptr, false);
}

void MainWindow::ImportChosenColumns() {
  const QString path = desktop_.askOpenFile(this, QStringLiteral("打开"), kFileTypes);
  if (path.isEmpty() || !importAction_->isEnabled()) return;
  if (const QString refusal = RefusalForName(path); !refusal.isEmpty()) return ShowNotice(refusal);
  const PreviewResult preview = PreviewWorkbook(path.toStdString(), 0, 1);
  if (preview.error != WorkbookError::None) return ShowNotice(ReadErrorText(preview.error, path));
  const auto lists = (currentTest_ == kAnova ? storage_.groupLists : storage_.twoColumnLists).columnCount();
  const std::optional<ColumnChoice> choice = desktop_.askColumns(this, path, int(lists));
  if (!choice) return;
  if (choice->sheet >= int(preview.preview.sheetNames.size())) return ShowNotice(MissingSheetText(path, choice->sheet));
  ImportOutcome outcome;
  history_->runStep([&] { outcome = importChosen(path, *choice); }, true);
  if (outcome.imported) rememberImport(path);
  if (!outcome.notice.isEmpty()) ShowNotice(outcome.notice);
}

// The long format reads its values before they are sorted into groups, so
// that a value that is no number counts as a row left out.
MainWindow::ImportOutcome MainWindow::importChosen(const QString& path, const ColumnChoice& choice) {
  BusyPointer busy;
  const auto lists = (currentTest_ == kAnova ? storage_.groupLists : storage_.twoColumnLists).columnCount();
  const std::vector<int> columns = ColumnsToRead(choice);
  ReadResult read = ReadWorksheetColumns(path.toStdString(), choice.sheet, columns, kMaxImportRows);
  if (read.error != WorkbookError::None) return {false, ReadErrorText(read.error, path)};
  if (read.sheet.lastUsedRow == 0) return {false, kNoDataText};
  const std::size_t titleRows = choice.header ? 1 : 0;
  const HeaderNames names = OfferedNames(read.sheet, choice, lists);
  if (choice.valueColumn < 0) {
    SheetColumns arranged = ArrangeColumns(std::move(read.sheet), choice, lists);
    const CleanedValues cleaned = CleanValues(arranged.columns, 0);
    ImportOutcome outcome = finishImport(path, std::move(arranged), cleaned, nullptr, true);
    if (outcome.imported) nameLists(names);
    return outcome;
  }
  const CleanedValues cleaned = CleanValues(std::span(read.sheet.columns).first(1), titleRows);
  LeftOutRows left;
  SheetColumns arranged = ArrangeColumns(std::move(read.sheet), choice, lists, &left);
  ImportOutcome outcome = finishImport(path, std::move(arranged), cleaned, &left, true);
  if (outcome.imported) nameLists(names);
  return outcome;
}

MainWindow::ImportOutcome MainWindow::finishImport(const QString& path, SheetColumns sheet,
                                                   const CleanedValues& cleaned, const LeftOutRows* left,
                                                   bool chosen) {
  if (sheet.lastUsedRow == 0 && !chosen) return {false, kNoDataText};
  const bool anything = std::any_of(sheet.columns.begin(), sheet.columns.end(), [](const auto& column) {
    return std::any_of(column.begin(), column.end(), [](const std::string& text) { return !text.empty(); });
  });
  // Cells that were only text still replace the lists, and are told of.
  if (!anything && (left != nullptr || cleaned.emptied == 0))
    return {false, EmptyColumnsText(sheet.columns.size(), chosen, left != nullptr)};
  loadImported(std::move(sheet));
  c_.Label14->setText(path);
  ValueNotes notes{.notNumbers = cleaned.emptied, .left = left, .commas = cleaned.commas,
                   .commaCells = cleaned.commaCells, .cut = cleaned.cut};
  if (left == nullptr)
    notes.notNumbers += CountNotNumbers(currentTest_ == kAnova ? storage_.groupLists : storage_.twoColumnLists);
  return {true, DescribeValueNotes(notes)};
}

// Replaces the lists of the selected test with the columns read, computes
// the panel and shows the first rows.
void MainWindow::loadImported(SheetColumns sheet) {
  const bool groups = currentTest_ == kAnova;
  ListWindow& lists = groups ? storage_.groupLists : storage_.twoColumnLists;
  for (int r = 0; r < ListWindow::kRows; ++r) {
    c_.Text2(r)->clear();
    c_.Text1(r)->clear();
  }
  storage_.twoColumnLists.clearLists();
  storage_.groupLists.clearLists();
  const auto rows = static_cast<std::size_t>(sheet.lastUsedRow) + kTrailingEmptyRows;
  for (std::size_t col = 0; col < lists.columnCount(); ++col) {
    std::vector<std::string>& texts = sheet.columns.at(col);
    const std::size_t emptyAfter = rows - texts.size();
    lists.column(col).assign(std::move(texts), emptyAfter);
  }

  // Rows are written with the view at the top, so that row r stores item r.
  QScrollBar* bar = groups ? c_.VSl1 : c_.VS1;
  {
    const QSignalBlocker blocker(bar);
    bar->setValue(0);
  }
  lists.setTop(0);
  for (int r = 0; r < ListWindow::kRows; ++r) {
    if (groups) {
      c_.Text30(r)->setText(QString::fromStdString(lists.column(0).item(std::size_t(r))));
      c_.Text40(r)->setText(QString::fromStdString(lists.column(1).item(std::size_t(r))));
      c_.Text50(r)->setText(QString::fromStdString(lists.column(2).item(std::size_t(r))));
    } else {
      c_.Text2(r)->setText(QString::fromStdString(lists.column(1).item(std::size_t(r))));
      c_.Text1(r)->setText(QString::fromStdString(lists.column(0).item(std::size_t(r))));
    }
  }
  bar->setMaximum(int(rows) - ListWindow::kRows);
  bar->setValue(0);
  // The bar was already at 0, so nothing renumbered the rows; and a column
  // whose visible cells kept their text was never summarised.
  const ControlArray<QLabel>& rowNumbers = groups ? c_.Label30 : c_.Label3;
  for (int r = 0; r < ListWindow::kRows; ++r) rowNumbers(r)->setText(QString::number(r + 1));
  RecomputeValueLists(c_, storage_, groups);
}

// The file is written under a temporary name and renamed into place, so the
// confirmation only follows a workbook that really is on disk. The chosen
// file type decides the format; an .xlsx or .csv name gets its extension
// when it lacks it, the .xls choice keeps the rule it always had.
void MainWindow::ExportToSpreadsheet() {
  QString type;
  const QString chosen = desktop_.askSaveFile(this, QStringLiteral("另存为"),
                                              QStringList{kXlsxType, kCsvType, kXlsType}.join(QStringLiteral(";;")),
                                              &type);
  if (chosen.isEmpty()) return;
  c_.Label14->setText(chosen);
  BusyPointer busy;
  const ListWindow& lists = currentTest_ == kAnova ? storage_.groupLists : storage_.twoColumnLists;
  std::vector<std::vector<std::string>> columns;
  for (std::size_t col = 0; col < lists.columnCount(); ++col) columns.push_back(lists.column(col).items());
  const QString path = c_.Label14->text();
  const auto withExtension = [&path](const char* extension) {
    return (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive) ? path : path + QLatin1String(extension))
        .toStdString();
  };
  WorkbookError error = WorkbookError::None;
  if (type == kXlsxType) {
    error = WriteWorkbookXlsx(withExtension(".xlsx"), columns);
  } else if (type == kCsvType) {
    error = WriteWorkbookCsv(withExtension(".csv"), columns);
  } else {
    error = WriteWorkbookXls(WithXlsExtension(path).toStdString(), columns);
  }
  busy.restore();
  if (error == WorkbookError::None) {
    desktop_.showMessage(this, kNotice, QStringLiteral("文件导出成功！"));
  } else {
    desktop_.showMessage(this, kNotice,
                         QStringLiteral("文件导出失败！") + FromUtf8(DescribeWorkbookError(error)));
  }
}

}  // namespace kelvasta
