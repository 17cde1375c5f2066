#include "app/column_chooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kelvasta {

namespace {

constexpr int kPreviewRows = 200;
// The groups the chooser offers at most; a column with more is noted.
constexpr std::size_t kMaxGroups = 1000;
constexpr std::int64_t kMaxRows = 1048576;

// What a group entry takes: nothing, the blank group cells, or its text.
enum GroupEntry { kNoGroup, kBlankGroup, kTextGroup };

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

class ColumnChooser : public QDialog {
 public:
  ColumnChooser(QWidget* owner, const QString& path, int lists) : QDialog(owner), path_(path) {
    setObjectName(QStringLiteral("ColumnChooser"));
    setWindowTitle(QStringLiteral("导入数据（选择列）"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    sheet_ = new QComboBox(this);
    top->addRow(QStringLiteral("工作表："), sheet_);
    header_ = new QCheckBox(QStringLiteral("第一行是标题"), this);
    top->addRow(header_);
    headerNames_ = new QCheckBox(QStringLiteral("标题用作名称（名称与单位）"), this);
    headerNames_->setObjectName(QStringLiteral("ColumnChooser.names"));
    headerNames_->setChecked(true);
    top->addRow(headerNames_);
    wide_ = new QRadioButton(QStringLiteral("每组数据在单独一列"), this);
    tall_ = new QRadioButton(QStringLiteral("一列数值、一列分组（每行一例）"), this);
    wide_->setChecked(true);
    top->addRow(wide_);
    top->addRow(tall_);
    for (int i = 0; i < lists; ++i) {
      auto* column = new QComboBox(this);
      columns_.push_back(column);
      top->addRow(QStringLiteral("第%1组数据列：").arg(i + 1), column);
    }
    value_ = new QComboBox(this);
    group_ = new QComboBox(this);
    top->addRow(QStringLiteral("数值列："), value_);
    top->addRow(QStringLiteral("分组列："), group_);
    for (int i = 0; i < lists; ++i) {
      auto* group = new QComboBox(this);
      groups_.push_back(group);
      top->addRow(QStringLiteral("第%1组取分组：").arg(i + 1), group);
    }
    groupNote_ = new QLabel(QStringLiteral("该列的分组超过%1个，只列出了最先出现的%1个。").arg(kMaxGroups), this);
    top->addRow(groupNote_);
    layout->addLayout(top);
    table_ = new QTableWidget(this);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(table_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("导入"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 560);

    connect(sheet_, &QComboBox::currentIndexChanged, this, [this] { load(); });
    connect(header_, &QCheckBox::toggled, this, [this] { fillChoices(); });
    connect(tall_, &QRadioButton::toggled, this, [this] { fillGroups(); });
    connect(group_, &QComboBox::currentIndexChanged, this, [this] { fillGroups(); });
  }

  // False when the file cannot be previewed.
  bool start() {
    const PreviewResult first = PreviewWorkbook(path_.toStdString(), 0, kPreviewRows);
    if (first.error != WorkbookError::None) return false;
    const QSignalBlocker blocker(sheet_);
    for (const std::string& name : first.preview.sheetNames) sheet_->addItem(Text(name));
    show(first.preview);
    return true;
  }

  ColumnChoice choice() const {
    ColumnChoice c;
    c.sheet = sheet_->currentIndex();
    c.header = header_->isChecked();
    c.headerNames = headerNames_->isChecked();
    if (tall_->isChecked()) {
      c.valueColumn = value_->currentIndex();
      c.groupColumn = group_->currentIndex();
      for (const QComboBox* group : groups_) {
        const int entry = group->currentData().toInt();
        if (entry == kTextGroup) {
          c.groups.push_back(group->currentText().toStdString());
        } else {
          c.groups.push_back(entry == kBlankGroup ? std::optional<std::string>("") : std::nullopt);
        }
      }
    } else {
      for (const QComboBox* column : columns_) c.columns.push_back(column->currentIndex() - 1);
    }
    return c;
  }

 private:
  void load() {
    const PreviewResult read = PreviewWorkbook(path_.toStdString(), sheet_->currentIndex(), kPreviewRows);
    show(read.error == WorkbookError::None ? read.preview : SheetPreview{});
  }

  void show(const SheetPreview& preview) {
    preview_ = preview;
    defaults_ = SuggestColumns(preview.rows, preview.columnCount);
    {
      const QSignalBlocker blocker(header_);
      header_->setChecked(defaults_.header);
    }
    table_->clear();
    table_->setRowCount(int(preview.rows.size()));
    table_->setColumnCount(preview.columnCount);
    QStringList names;
    for (int c = 0; c < preview.columnCount; ++c) names << Text(ColumnName(c));
    table_->setHorizontalHeaderLabels(names);
    for (int r = 0; r < int(preview.rows.size()); ++r)
      for (int c = 0; c < preview.columnCount; ++c)
        table_->setItem(r, c, new QTableWidgetItem(Text(preview.rows[std::size_t(r)][std::size_t(c)])));
    fillChoices();
  }

  // Column names, with the title of each column when the first row has them.
  void fillChoices() {
    // Titles to name the lists with come only with the title row.
    headerNames_->setEnabled(header_->isChecked());
    QStringList names;
    for (int c = 0; c < preview_.columnCount; ++c) {
      QString name = Text(ColumnName(c));
      if (header_->isChecked() && !preview_.rows.empty()) name += QStringLiteral("  ") + Text(preview_.rows[0][std::size_t(c)]);
      names << name;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const QSignalBlocker blocker(columns_[i]);
      columns_[i]->clear();
      columns_[i]->addItem(QStringLiteral("（不导入）"));
      columns_[i]->addItems(names);
      columns_[i]->setCurrentIndex(int(i) < preview_.columnCount ? int(i) + 1 : 0);
    }
    for (QComboBox* box : {value_, group_}) {
      const QSignalBlocker blocker(box);
      box->clear();
      box->addItems(names);
    }
    value_->setCurrentIndex(defaults_.valueColumn >= 0 ? defaults_.valueColumn : (preview_.columnCount > 1 ? 1 : 0));
    group_->setCurrentIndex(defaults_.groupColumn >= 0 ? defaults_.groupColumn : 0);
    fillGroups();
    showMode();
  }

  // The groups of the whole group column, not only of the preview's rows;
  // read only once the long format is chosen.
  void fillGroups() {
    if (!tall_->isChecked()) return showMode();
    const int column = group_->currentIndex();
    if (column != groupColumn_ || sheet_->currentIndex() != groupSheet_) {
      groupColumn_ = column;
      groupSheet_ = sheet_->currentIndex();
      groupCells_.clear();
      const int chosen[] = {column};
      QApplication::setOverrideCursor(Qt::WaitCursor);
      ReadResult read = ReadWorksheetColumns(path_.toStdString(), groupSheet_, chosen, kMaxRows);
      QApplication::restoreOverrideCursor();
      if (read.error == WorkbookError::None && !read.sheet.columns.empty()) groupCells_ = std::move(read.sheet.columns[0]);
    }
    const ColumnGroups found = ListGroups(groupCells_, header_->isChecked(), kMaxGroups);
    for (std::size_t i = 0; i < groups_.size(); ++i) {
      QComboBox* box = groups_[i];
      box->clear();
      box->addItem(QStringLiteral("（不导入）"), kNoGroup);
      for (const std::string& text : found.names) box->addItem(Text(text), kTextGroup);
      if (found.blanks) box->addItem(QString::fromUtf8(kBlankGroupName.data(), qsizetype(kBlankGroupName.size())), kBlankGroup);
      box->setCurrentIndex(i < found.names.size() ? int(i) + 1 : 0);
    }
    groupsMore_ = found.more;
    showMode();
  }

  void showMode() {
    const bool tall = tall_->isChecked();
    auto* form = static_cast<QFormLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout());
    for (QComboBox* box : columns_) form->setRowVisible(box, !tall);
    for (QComboBox* box : groups_) form->setRowVisible(box, tall);
    form->setRowVisible(value_, tall);
    form->setRowVisible(group_, tall);
    form->setRowVisible(groupNote_, tall && groupsMore_);
  }

  QString path_;
  SheetPreview preview_;
  ColumnDefaults defaults_;
  QComboBox* sheet_;
  QCheckBox* header_;
  QCheckBox* headerNames_;
  QRadioButton* wide_;
  QRadioButton* tall_;
  std::vector<QComboBox*> columns_;
  QComboBox* value_;
  QComboBox* group_;
  std::vector<QComboBox*> groups_;
  QLabel* groupNote_;
  bool groupsMore_ = false;
  // The group column last read whole, and where from.
  std::vector<std::string> groupCells_;
  int groupColumn_ = -1;
  int groupSheet_ = -1;
  QTableWidget* table_;
};

}  // namespace

std::optional<ColumnChoice> ChooseColumns(QWidget* owner, const QString& path, int lists) {
  ColumnChooser dialog(owner, path, lists);
  if (!dialog.start() || dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.choice();
}

}  // namespace kelvasta
