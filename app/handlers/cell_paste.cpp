#include "app/handlers/cell_paste.h"

#include "app/handlers/value_list_binding.h"
#include "app/import_notes.h"
#include "app/main_window.h"
#include "app/undo/window_history.h"
#include "entry/pasted_block.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTextDocumentFragment>

#include <map>
#include <set>

namespace kelvasta {

namespace {

// The cells of one grid by their place on screen: rows by top edge, columns
// by left edge, so a block lands as the user sees the grid.
class Grid {
 public:
  explicit Grid(const ControlArray<QLineEdit>& cells) {
    std::set<int> tops, lefts;
    for (const auto& [i, cell] : cells) {
      tops.insert(cell->y());
      lefts.insert(cell->x());
    }
    for (const auto& [i, cell] : cells) {
      const int row = int(std::distance(tops.begin(), tops.find(cell->y())));
      const int column = int(std::distance(lefts.begin(), lefts.find(cell->x())));
      at_[{row, column}] = cell;
      place_[cell] = {row, column};
    }
  }
  bool contains(const QLineEdit* cell) const { return place_.count(cell) != 0; }
  // Writes the block from `cell` on; values beyond the grid are left out.
  void fill(const QLineEdit* cell, const TextBlock& block) const {
    const auto [row, column] = place_.at(cell);
    for (std::size_t i = 0; i < block.size(); ++i) {
      for (std::size_t j = 0; j < block[i].size(); ++j) {
        const auto target = at_.find({row + int(i), column + int(j)});
        if (target != at_.end()) target->second->setText(QString::fromStdString(block[i][j]));
      }
    }
  }

 private:
  std::map<std::pair<int, int>, QLineEdit*> at_;
  std::map<const QLineEdit*, std::pair<int, int>> place_;
};

// What the clipboard holds as text: its plain text, or the text of its HTML
// when a program gave only that.
QString ClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr) return {};
  if (data->hasText()) return data->text();
  if (data->hasHtml()) return QTextDocumentFragment::fromHtml(data->html()).toPlainText();
  return {};
}

bool HasFullWidth(const QString& text) {
  for (QChar ch : text)
    if ((ch >= QChar(0xFF10) && ch <= QChar(0xFF19)) || ch == QChar(0xFF0E) || ch == QChar(0xFF0D) ||
        ch == QChar(0x2212) || ch == QChar(0x3002))
      return true;
  return false;
}

QString Narrow(const QString& text) {
  return QString::fromStdString(NormaliseWidth(text.toStdString(), true));
}

class CellPaste : public QObject {
 public:
  CellPaste(MainWindow& window, const std::array<ValueListBinding*, 2>& lists)
      : QObject(&window), window_(window), lists_(lists) {
    const Controls& c = window.controls();
    for (const ControlArray<QLineEdit>* cells : {&c.Text4, &c.Text41, &c.Text11, &c.Text111, &c.Text12})
      grids_.emplace_back(*cells);
    for (const ControlArray<QLineEdit>* cells : {&c.Text1, &c.Text2, &c.Text30, &c.Text40, &c.Text50, &c.Text4,
                                                 &c.Text41, &c.Text11, &c.Text111, &c.Text12}) {
      for (const auto& [i, cell] : *cells) {
        cell->installEventFilter(this);
        cell->setContextMenuPolicy(Qt::DefaultContextMenu);
      }
    }
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A cell being destroyed is no longer a QLineEdit when its last events come.
    auto* cell = qobject_cast<QLineEdit*>(watched);
    if (cell == nullptr) return false;
    switch (event->type()) {
      case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
          paste(cell);
          return true;
        }
        if (!HasFullWidth(key->text())) return false;
        const QString narrow = Narrow(key->text());
        QKeyEvent ascii(QEvent::KeyPress, narrow.size() == 1 ? int(narrow.at(0).unicode()) : int(Qt::Key_unknown),
                        key->modifiers(), narrow);
        QApplication::sendEvent(cell, &ascii);
        return true;
      }
      case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (!HasFullWidth(input->commitString())) return false;
        QInputMethodEvent ascii(input->preeditString(), input->attributes());
        ascii.setCommitString(Narrow(input->commitString()), input->replacementStart(),
                              input->replacementLength());
        QApplication::sendEvent(cell, &ascii);
        return true;
      }
      case QEvent::ContextMenu:
        showMenu(cell, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
      default:
        return false;
    }
  }

 private:
  // Pastes, then says how commas were read or what was cut, if anything.
  void paste(QLineEdit* cell) {
    PasteNotes notes;
    const TextBlock block = ParsePastedBlock(ClipboardText().toStdString(), &notes);
    if (block.empty()) return;
    if (block.size() == 1 && block[0].size() == 1) {
      const QString value = QString::fromStdString(block[0][0]);
      const qsizetype room = cell->maxLength() - (cell->text().size() - cell->selectedText().size());
      if (value.size() > room) notes.cut = 1;
      cell->insert(value);
    } else {
      pasteBlock(cell, block);
    }
    const QString notice = DescribeValueNotes({.commas = notes.commas, .commaCells = notes.commaCells, .cut = notes.cut});
    if (!notice.isEmpty()) window_.ShowNotice(notice);
  }

  void pasteBlock(QLineEdit* cell, const TextBlock& block) {
    for (ValueListBinding* lists : lists_) {
      int row = 0;
      std::size_t column = 0;
      if (!lists->locate(cell, row, column)) continue;
      window_.history().runStep([&] { lists->pasteBlock(row, column, block); }, false);
      return;
    }
    for (const Grid& grid : grids_) {
      if (!grid.contains(cell)) continue;
      window_.history().runStep([&] { grid.fill(cell, block); }, false);
      return;
    }
  }

  // The cell's own menu, with paste, undo and redo working on the window.
  void showMenu(QLineEdit* cell, const QPoint& where) {
    QMenu* menu = cell->createStandardContextMenu();
    for (QAction* action : menu->actions()) {
      const QString name = action->objectName();
      if (name == u"edit-paste") {
        action->disconnect();
        action->setEnabled(!cell->isReadOnly() && !ClipboardText().isEmpty());
        connect(action, &QAction::triggered, this, [this, cell] { paste(cell); });
      } else if (name == u"edit-undo" || name == u"edit-redo") {
        const bool undo = name == u"edit-undo";
        action->disconnect();
        action->setEnabled(undo ? window_.history().canUndo() : window_.history().canRedo());
        connect(action, &QAction::triggered, this,
                [this, undo] { undo ? window_.history().undo() : window_.history().redo(); });
      }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(where);
  }

  MainWindow& window_;
  std::array<ValueListBinding*, 2> lists_;
  std::vector<Grid> grids_;
};

}  // namespace

void InstallCellPaste(MainWindow& window, const std::array<ValueListBinding*, 2>& lists) {
  new CellPaste(window, lists);
}

}  // namespace kelvasta
