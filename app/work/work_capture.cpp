// The window's work as a WorkFile and back.
#include "app/details/details_pane.h"
#include "app/handlers/handlers.h"
#include "app/main_window.h"
#include "app/power/planning_codec.h"
#include "app/test_table.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <span>

namespace kelvasta {

namespace {

// The title follows the test; every other caption is kept as shown.
bool KeptCaption(const QLabel* label, const Controls& c) { return label != c.Label1; }
bool KeptCell(const QLineEdit* cell, const Controls& c) { return cell != c.Text5; }

std::string Std(const QString& text) { return text.toStdString(); }

// Cells a panel computes from: typed by hand unless a list summary wrote them.
bool IsDataCell(const Controls& c, const QLineEdit* cell) {
  for (const ControlArray<QLineEdit>* cells : {&c.Text4, &c.Text41, &c.Text11, &c.Text111, &c.Text12})
    for (const auto& [index, each] : *cells)
      if (each == cell) return true;
  return false;
}

}  // namespace

WorkFile MainWindow::CaptureWork() const {
  WorkFile work;
  work.test = currentTest_;
  for (std::size_t k = 0; k < 2; ++k) work.lists[k] = storage_.twoColumnLists.column(k).items();
  for (std::size_t k = 0; k < 3; ++k) work.lists[2 + k] = storage_.groupLists.column(k).items();
  const QScrollBar* bars[2] = {c_.VS1, c_.VSl1};
  for (std::size_t k = 0; k < 2; ++k) work.bars[k] = {bars[k]->value(), bars[k]->maximum()};
  for (const QWidget* widget : namedControls()) {
    if (const auto* cell = qobject_cast<const QLineEdit*>(widget); cell && KeptCell(cell, c_)) {
      if (!cell->text().isEmpty()) work.cells.emplace(Std(cell->objectName()), Std(cell->text()));
    } else if (const auto* label = qobject_cast<const QLabel*>(widget); label && KeptCaption(label, c_)) {
      if (!label->text().isEmpty()) work.captions.emplace(Std(label->objectName()), Std(label->text()));
    }
  }
  work.rxcWarning = !c_.Label22->isHidden();
  work.sortedMeans = storage_.List8;
  work.text4FromLists = storage_.Text4FromLists;
  work.text41FromLists = storage_.Text41FromLists;
  if (const QWidget* focus = focusWidget(); focus != nullptr) {
    for (const QWidget* widget : namedControls())
      if (widget == focus) work.focus = Std(focus->objectName());
  }
  if (const std::optional<PlanningState> planning = planningState()) work.planning = ToWorkPlanning(*planning);
  for (std::size_t test = 0; test < names_.size(); ++test)
    for (const auto& [key, name] : names_[test].entries()) work.names[test].emplace(Std(key), Std(name));
  return work;
}

QString MainWindow::CheckWork(const WorkFile& work) const {
  QHash<QString, const QWidget*> byName;
  for (const QWidget* widget : namedControls()) byName.insert(widget->objectName(), widget);
  for (const auto& [name, text] : work.cells) {
    const auto* cell = qobject_cast<const QLineEdit*>(byName.value(QString::fromStdString(name)));
    if (cell == nullptr || !KeptCell(cell, c_)) return QStringLiteral("未知的单元格“%1”").arg(QString::fromStdString(name));
  }
  for (const auto& [name, text] : work.captions) {
    const auto* label = qobject_cast<const QLabel*>(byName.value(QString::fromStdString(name)));
    if (label == nullptr || !KeptCaption(label, c_))
      return QStringLiteral("未知的标签“%1”").arg(QString::fromStdString(name));
  }
  if (!work.focus.empty() && !byName.contains(QString::fromStdString(work.focus)))
    return QStringLiteral("未知的控件“%1”").arg(QString::fromStdString(work.focus));
  return {};
}

// The data goes in through the panels' own handling, as typing would put it,
// so the kept figures behind the captions (the within-groups sums of
// squares, the summaries the lists wrote) follow from it. Then the captions
// are laid over as they were shown: some hold what an earlier state left
// (the critical values of an analysis of variance whose cells were emptied,
// the LSD-t lines after its button was pressed).
void MainWindow::ApplyWork(WorkFile work) {
  SelectTest(work.test);
  storage_.twoColumnLists.clearLists();
  storage_.groupLists.clearLists();
  for (std::size_t k = 0; k < 2; ++k) storage_.twoColumnLists.column(k).assign(std::move(work.lists[k]), 0);
  for (std::size_t k = 0; k < 3; ++k) storage_.groupLists.column(k).assign(std::move(work.lists[2 + k]), 0);
  QScrollBar* bars[2] = {c_.VS1, c_.VSl1};
  ListWindow* windows[2] = {&storage_.twoColumnLists, &storage_.groupLists};
  for (std::size_t k = 0; k < 2; ++k) {
    const QSignalBlocker blocker(bars[k]);
    bars[k]->setMaximum(work.bars[k].maximum);
    bars[k]->setValue(work.bars[k].value);
    windows[k]->setMaximum(work.bars[k].maximum);
    windows[k]->setTop(work.bars[k].value);
  }
  const auto textOf = [&work](const QWidget* widget) {
    const auto found = work.cells.find(Std(widget->objectName()));
    return found == work.cells.end() ? QString() : QString::fromStdString(found->second);
  };
  storage_.loading = true;
  for (const ControlArray<QLineEdit>* rows : {&c_.Text1, &c_.Text2, &c_.Text30, &c_.Text40, &c_.Text50})
    for (const auto& [r, cell] : *rows) cell->setText(textOf(cell));
  storage_.loading = false;
  if (kTests.at(std::size_t(work.test)).valueList) RecomputeValueLists(c_, storage_, work.test == kAnova);
  for (QWidget* widget : namedControls())
    if (auto* cell = qobject_cast<QLineEdit*>(widget); cell != nullptr && IsDataCell(c_, cell))
      cell->setText(textOf(cell));

  storage_.List8 = std::move(work.sortedMeans);
  storage_.Text4FromLists = std::move(work.text4FromLists);
  storage_.Text41FromLists = std::move(work.text41FromLists);
  for (QWidget* widget : namedControls()) {
    auto* label = qobject_cast<QLabel*>(widget);
    if (label == nullptr || !KeptCaption(label, c_)) continue;
    const auto found = work.captions.find(Std(label->objectName()));
    const QString caption = found == work.captions.end() ? QString() : QString::fromStdString(found->second);
    // Setting a text would drop an icon label's picture.
    if (label->text() != caption) label->setText(caption);
  }
  c_.Label22->setHidden(!work.rxcWarning);
  // Names of keys this version does not know are left out; the rest are
  // kept as the dialog keeps them (cut to their longest).
  NameBook names;
  for (std::size_t test = 0; test < names.size(); ++test)
    for (const auto& [key, name] : work.names[test])
      if (const QString field = QString::fromStdString(key); HasNameField(int(test), field))
        names[test].set(field, QString::fromStdString(name));
  setNameBook(names);
  for (QWidget* widget : namedControls())
    if (widget->objectName() == QString::fromStdString(work.focus)) widget->setFocus(Qt::OtherFocusReason);
  details_->requestRefresh();
}

bool MainWindow::holdsData() const {
  // Planning inputs typed before any data are work too.
  if (planningEdited_) return true;
  for (const TestNames& names : names_)
    if (!names.empty()) return true;
  for (std::size_t k = 0; k < 5; ++k) {
    const ValueList& list = k < 2 ? storage_.twoColumnLists.column(k) : storage_.groupLists.column(k - 2);
    for (const std::string& item : list.items())
      if (!item.empty()) return true;
  }
  const auto typed = [](const ControlArray<QLineEdit>& cells, std::span<const std::string> fromLists) {
    for (const auto& [i, cell] : cells)
      if (!cell->text().isEmpty() &&
          (fromLists.empty() || cell->text() != QString::fromStdString(fromLists[std::size_t(i)])))
        return true;
    return false;
  };
  return typed(c_.Text4, storage_.Text4FromLists) || typed(c_.Text41, storage_.Text41FromLists) ||
         typed(c_.Text11, {}) || typed(c_.Text111, {}) || typed(c_.Text12, {});
}

}  // namespace kelvasta
