#include "app/desktop.h"

#include "app/column_chooser.h"
#include "app/file_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace kelvasta {

void SystemDesktop::showMessage(QWidget* owner, const QString& title, const QString& text) {
  QMessageBox::information(owner, title, text, QMessageBox::Ok);
}

void SystemDesktop::openUrl(const QString& address) {
  QDesktopServices::openUrl(QUrl(address));
}

QString SystemDesktop::askOpenFile(QWidget* owner, const QString& title, const QString& filter) {
  QFileDialog dialog(owner, title, QString(), filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

QString SystemDesktop::askSaveFile(QWidget* owner, const QString& title, const QString& filter,
                                   QString* chosenFilter) {
  QFileDialog dialog(owner, title, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted) return {};
  if (chosenFilter != nullptr) *chosenFilter = dialog.selectedNameFilter();
  return dialog.selectedFiles().value(0);
}

Desktop::SaveChoice SystemDesktop::askSaveChanges(QWidget* owner) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Kelvasta V10.1"),
                  QStringLiteral("是否保存对当前数据的修改？"), QMessageBox::NoButton, owner);
  QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("不保存"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
  box.setDefaultButton(save);
  box.setEscapeButton(cancel);
  box.exec();
  if (box.clickedButton() == save) return SaveChoice::Save;
  if (box.clickedButton() == discard) return SaveChoice::Discard;
  return SaveChoice::Cancel;
}

bool SystemDesktop::askYesNo(QWidget* owner, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, owner);
  QPushButton* yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == yes;
}

void RecordingDesktop::showMessage(QWidget*, const QString& title, const QString& text) {
  messages_.push_back({title, text});
}

void RecordingDesktop::openUrl(const QString& address) { opened_.push_back(address); }

QString RecordingDesktop::askOpenFile(QWidget*, const QString&, const QString& filter) {
  lastFilter_ = filter;
  return nextAnswer();
}

QString RecordingDesktop::askSaveFile(QWidget*, const QString&, const QString& filter, QString* chosenFilter) {
  const QString answer = nextAnswer();
  if (chosenFilter == nullptr) return answer;
  chosenFilter->clear();
  // "标签(*.a *.b);;..." : the first entry one of whose patterns fits.
  for (const QString& entry : filter.split(QStringLiteral(";;"))) {
    const qsizetype open = entry.lastIndexOf(QLatin1Char('('));
    const QString patterns = entry.mid(open + 1).chopped(entry.endsWith(QLatin1Char(')')) ? 1 : 0);
    for (const QString& pattern : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      if (pattern.startsWith(QStringLiteral("*.")) && answer.endsWith(pattern.mid(1), Qt::CaseInsensitive)) {
        *chosenFilter = entry;
        return answer;
      }
    }
  }
  return answer;
}

std::optional<ColumnChoice> SystemDesktop::askColumns(QWidget* owner, const QString& path, int lists) {
  return ChooseColumns(owner, path, lists);
}

std::optional<ColumnChoice> RecordingDesktop::askColumns(QWidget*, const QString&, int) {
  if (columns_.empty()) return std::nullopt;
  ColumnChoice choice = std::move(columns_.front());
  columns_.pop_front();
  return choice;
}

std::optional<ChartSaveChoice> SystemDesktop::askChartFile(QWidget* owner, const QString& suggestedName) {
  return AskChartFile(owner, suggestedName);
}

std::optional<ChartSaveChoice> RecordingDesktop::askChartFile(QWidget*, const QString&) {
  const QString path = nextAnswer();
  if (path.isEmpty()) return std::nullopt;
  return ChartSaveChoice{path, {}};
}

QString RecordingDesktop::nextAnswer() {
  if (answers_.empty()) return QString();
  QString answer = answers_.front();
  answers_.pop_front();
  return answer;
}

}  // namespace kelvasta
