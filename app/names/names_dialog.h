#pragma once

#include "app/names/test_names.h"

#include <QDialog>
#include <QMap>

#include <vector>

class QFormLayout;
class QLabel;
class QLineEdit;

namespace kelvasta {

// "名称与单位": the names of the selected test's groups, rows, columns,
// grades and variables, one line each (`Names.<key>`), applied as they are
// typed. Non-modal and created with the window, so that the automation
// script reaches its cells while it is hidden; it shows the fields of one
// test at a time, an empty cell standing for the default caption.
class NamesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit NamesDialog(QWidget* owner);

  // Shows the fields of test `test` (0 to 7) with `names` in them, without
  // reporting them as edits. A cell being typed in keeps its text while it
  // still means the same name (a trailing blank, say).
  void showNames(int test, const QString& title, const TestNames& names);
  // The fonts at `percent` of their own size.
  void setZoom(int percent);
  // The controls the automation script reaches, named "Names.<…>".
  const std::vector<QWidget*>& namedControls() const { return named_; }
  bool holds(const QWidget* widget) const;

 signals:
  // The user typed `text` into the cell of `key`.
  void nameEdited(const QString& key, const QString& text);
  // "恢复默认": every name of the shown test back to its default.
  void resetRequested();

 private:
  QFormLayout* form_ = nullptr;
  QLabel* title_ = nullptr;
  QMap<QString, QLineEdit*> cells_;
  std::vector<QWidget*> named_;
  int zoom_ = 100;
};

}  // namespace kelvasta
