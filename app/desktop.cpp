#include "app/desktop.h"

#include "app/column_chooser.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace kelvasta {

void SystemDesktop::showMessage(QWidget* owner, const QString& title, const QString& text) {
  QMessageBox::information(owner, title, text, QMessageBox::Ok);
}

void SystemDesktop::openUrl(const QString& address) {
  QDesktopServices::openUrl(QUrl(address));
}

QString SystemDesktop::askOpenFile(QWidget* owner, const QString& title, const QString& filter) {
  return QFileDialog::getOpenFileName(owner, title, QString(), filter);
}

QString SystemDesktop::askSaveFile(QWidget* owner, const QString& title, const QString& filter) {
  return QFileDialog::getSaveFileName(owner, title, QString(), filter);
}

void RecordingDesktop::showMessage(QWidget*, const QString& title, const QString& text) {
  messages_.push_back({title, text});
}

void RecordingDesktop::openUrl(const QString& address) { opened_.push_back(address); }

QString RecordingDesktop::askOpenFile(QWidget*, const QString&, const QString&) {
  return nextAnswer();
}

QString RecordingDesktop::askSaveFile(QWidget*, const QString&, const QString&) {
  return nextAnswer();
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
