// The names of groups, rows, columns, grades and variables: kept per test,
// edited in "名称与单位", part of the history and of the work file.
#include "app/details/details_pane.h"
#include "app/main_window.h"
#include "app/names/names_dialog.h"
#include "app/test_table.h"
#include "app/undo/window_history.h"
#include "interchange/column_choice.h"

#include <QGuiApplication>
#include <QPushButton>

namespace kelvasta {

void MainWindow::buildNamesDialog() {
  namesDialog_ = new NamesDialog(this);
  connect(namesDialog_, &NamesDialog::nameEdited, this, &MainWindow::SetName);
  connect(namesDialog_, &NamesDialog::resetRequested, this, [this] {
    if (names().empty()) return;
    NameBook names = names_;
    names.at(std::size_t(currentTest_)) = TestNames();
    setNameBook(names);
    history_->noteChange();
  });
  connect(this, &MainWindow::zoomChanged, namesDialog_, &NamesDialog::setZoom);
  showNames();
}

void MainWindow::ShowNamesDialog() {
  showNames();
  namesDialog_->show();
  // Without a screen there is no stacking order to change.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) namesDialog_->raise();
  namesDialog_->activateWindow();
}

void MainWindow::SetName(const QString& key, const QString& text) {
  if (!HasNameField(currentTest_, key)) {
    // Only the selected test's cells are shown; another's stays empty.
    showNames();
    return;
  }
  if (!names_.at(std::size_t(currentTest_)).set(key, text)) return;
  showNames();
  history_->noteChange();
}

void MainWindow::setNameBook(const NameBook& names) {
  names_ = names;
  showNames();
}

void MainWindow::showNames() {
  if (namesDialog_ == nullptr) return;
  namesDialog_->showNames(currentTest_, c_.Command1(currentTest_)->text(), names());
  if (details_ != nullptr) details_->requestRefresh();
}

// A list without a title keeps the name it had.
void MainWindow::nameLists(const HeaderNames& names) {
  static const QStringList kGroups{QStringLiteral("group1"), QStringLiteral("group2"), QStringLiteral("group3")};
  static const QStringList kVariables{QStringLiteral("x"), QStringLiteral("y")};
  const QStringList& keys = currentTest_ == kCorrelation ? kVariables : kGroups;
  TestNames& kept = names_.at(std::size_t(currentTest_));
  const auto offer = [&kept](const QString& key, const std::optional<std::string>& name) {
    if (name && !CleanName(QString::fromStdString(*name)).isEmpty()) kept.set(key, QString::fromStdString(*name));
  };
  for (std::size_t i = 0; i < names.lists.size() && i < std::size_t(keys.size()); ++i)
    offer(keys[qsizetype(i)], names.lists[i]);
  if (currentTest_ != kCorrelation) offer(QStringLiteral("variable"), names.values);
  showNames();
}

}  // namespace kelvasta
