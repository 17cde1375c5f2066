#include "app/names/names_dialog.h"

#include "app/zoom/font_scaling.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kelvasta {

NamesDialog::NamesDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("NamesDialog"));
  setWindowTitle(QStringLiteral("名称与单位"));
  auto* root = new QVBoxLayout(this);
  title_ = new QLabel(this);
  title_->setTextFormat(Qt::PlainText);
  root->addWidget(title_);
  form_ = new QFormLayout;
  for (const QString& key : AllNameKeys()) {
    auto* cell = new QLineEdit(this);
    cell->setObjectName(QStringLiteral("Names.") + key);
    cell->setMaxLength(int(kMaxNameLength));
    // Typed, pasted or set by the automation script alike; showNames
    // blocks the signal.
    connect(cell, &QLineEdit::textChanged, this, [this, key](const QString& text) { emit nameEdited(key, text); });
    form_->addRow(key, cell);
    cells_.insert(key, cell);
    named_.push_back(cell);
  }
  root->addLayout(form_);
  auto* note = new QLabel(
      QStringLiteral("名称用于统计详情、结果句、复制的表格、图表和工作文件，检验面板的标题不变。"
                     "留空则用括号中的默认名称；每项最长%1个字符。")
          .arg(kMaxNameLength),
      this);
  note->setWordWrap(true);
  root->addWidget(note);
  auto* buttons = new QDialogButtonBox(this);
  auto* reset = buttons->addButton(QStringLiteral("恢复默认"), QDialogButtonBox::ResetRole);
  auto* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
  reset->setObjectName(QStringLiteral("Names.reset"));
  close->setObjectName(QStringLiteral("Names.close"));
  named_.push_back(reset);
  named_.push_back(close);
  connect(reset, &QPushButton::clicked, this, &NamesDialog::resetRequested);
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  root->addWidget(buttons);
}

void NamesDialog::showNames(int test, const QString& title, const TestNames& names) {
  title_->setText(title);
  for (QLineEdit* cell : cells_) form_->setRowVisible(cell, false);
  for (const NameField& field : NameFields(test)) {
    QLineEdit* cell = cells_.value(field.key);
    form_->setRowVisible(cell, true);
    if (auto* label = qobject_cast<QLabel*>(form_->labelForField(cell))) label->setText(field.label);
    cell->setPlaceholderText(field.placeholder);
    const QString name = names(field.key, QString());
    if (CleanName(cell->text()) == name) continue;
    const QSignalBlocker blocker(cell);
    cell->setText(name);
  }
  for (auto it = cells_.begin(); it != cells_.end(); ++it) {
    if (HasNameField(test, it.key()) || it.value()->text().isEmpty()) continue;
    const QSignalBlocker blocker(it.value());
    it.value()->clear();
  }
}

void NamesDialog::setZoom(int percent) {
  if (percent <= 0 || percent == zoom_) return;
  ScaleFonts(this, double(percent) / zoom_);
  zoom_ = percent;
  adjustSize();
}

bool NamesDialog::holds(const QWidget* widget) const {
  for (const QWidget* named : named_)
    if (named == widget) return true;
  return false;
}

}  // namespace kelvasta
