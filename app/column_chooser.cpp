#include "app/column_chooser.h"

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
    connect(tall_, &QRadioButton::toggled, this, [this] { showMode(); });
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
    if (tall_->isChecked()) {
      c.valueColumn = value_->currentIndex();
      c.groupColumn = group_->currentIndex();
      for (const QComboBox* group : groups_) c.groups.push_back(group->currentText().toStdString());
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
    value_->setCurrentIndex(preview_.columnCount > 1 ? 1 : 0);
    group_->setCurrentIndex(0);
    fillGroups();
    showMode();
  }

  void fillGroups() {
    const std::vector<std::string> found = DistinctTexts(preview_.rows, group_->currentIndex(), header_->isChecked());
    for (std::size_t i = 0; i < groups_.size(); ++i) {
      groups_[i]->clear();
      for (const std::string& text : found) groups_[i]->addItem(Text(text));
      groups_[i]->setCurrentIndex(i < found.size() ? int(i) : -1);
    }
  }

  void showMode() {
    const bool tall = tall_->isChecked();
    auto* form = static_cast<QFormLayout*>(static_cast<QVBoxLayout*>(layout())->itemAt(0)->layout());
    for (QComboBox* box : columns_) form->setRowVisible(box, !tall);
    for (QComboBox* box : groups_) form->setRowVisible(box, tall);
    form->setRowVisible(value_, tall);
    form->setRowVisible(group_, tall);
  }

  QString path_;
  SheetPreview preview_;
  QComboBox* sheet_;
  QCheckBox* header_;
  QRadioButton* wide_;
  QRadioButton* tall_;
  std::vector<QComboBox*> columns_;
  QComboBox* value_;
  QComboBox* group_;
  std::vector<QComboBox*> groups_;
  QTableWidget* table_;
};

}  // namespace

std::optional<ColumnChoice> ChooseColumns(QWidget* owner, const QString& path, int lists) {
  ColumnChooser dialog(owner, path, lists);
  if (!dialog.start() || dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.choice();
}

}  // namespace kelvasta
