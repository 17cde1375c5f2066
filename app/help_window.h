#pragma once

#include "app/help_find.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QWidget>

#include <map>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace kelvasta {

class Desktop;

// The program's own help window: the help and the tutorial pages, built into
// the program, in a browser with contents, back and forward, and a find bar
// (Ctrl+F). Created once, non-modal. Addresses outside the pages go to the
// desktop's browser.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  enum class Page { Help, Tutorial };

  HelpWindow(Desktop& desktop, QWidget* owner);

  // Centres the window on the screen.
  void Load();
  // Shows the window on `page`, at `anchor` when one is given.
  void showPage(Page page, const QString& anchor = QString());
  // Shows the find bar and puts the focus in its text.
  void showFindBar();
  void hideFindBar();
  // Selects the next (previous) match of the find text, going round the
  // page's end; false when the page holds none.
  bool findNext();
  bool findPrevious();

  // The widgets the automation script reaches, named without the window.
  const std::vector<QWidget*>& namedControls() const { return named_; }
  // "help", "tutorial", or empty before a page was shown.
  QString page() const;
  // The fragment of the shown address, the document's title.
  QString anchor() const;
  QString title() const;
  bool findBarShown() const;
  QString findText() const;
  // What the find selected in the page (a null cursor has no selection).
  QTextCursor selection() const;

 protected:
  // Enter in the find text finds the next match (with Shift the previous
  // one); Escape closes the find bar.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildContents();
  void addPageToContents(Page page);
  void openContentsItem(QTreeWidgetItem* item);
  void followLink(const QUrl& address);
  // Searches from `from`, then once more from the page's start (or end).
  bool find(const QTextCursor& from, QTextDocument::FindFlags flags);
  void showFindResult(bool found);
  // Each page's text folded for finding, made on first use.
  const FoldedText& folded(Page page);
  template <class Widget>
  Widget* named(Widget* widget, const char* name);

  Desktop& desktop_;
  std::vector<QWidget*> named_;
  QTextBrowser* browser_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QPushButton* back_ = nullptr;
  QPushButton* forward_ = nullptr;
  QWidget* findBar_ = nullptr;
  QLineEdit* findText_ = nullptr;
  QLabel* findStatus_ = nullptr;
  std::map<int, FoldedText> folded_;
};

}  // namespace kelvasta
