#include "app/help_window.h"

#include "app/desktop.h"
#include "app/help_find.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QBoxLayout>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include <climits>

namespace kelvasta {

namespace {

// The pages are built into the program (qrc:/docs/...), so links between
// them resolve there whether or not the installed copies exist.
QUrl PageUrl(HelpWindow::Page page) {
  return QUrl(page == HelpWindow::Page::Help ? QStringLiteral("qrc:/docs/help/index.html")
                                             : QStringLiteral("qrc:/docs/tutorial/index.html"));
}

QUrl WithoutFragment(QUrl address) {
  address.setFragment(QString());
  return address;
}

constexpr int kAddressRole = Qt::UserRole;
constexpr int kBlockRole = Qt::UserRole + 1;  // a heading without an anchor of its own

}  // namespace

template <class Widget>
Widget* HelpWindow::named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  named_.push_back(widget);
  return widget;
}

HelpWindow::HelpWindow(Desktop& desktop, QWidget* owner) : QWidget(owner, Qt::Window), desktop_(desktop) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("帮助"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/help.svg")));
  resize(960, 680);

  back_ = named(new QPushButton(QStringLiteral("后退"), this), "Back");
  forward_ = named(new QPushButton(QStringLiteral("前进"), this), "Forward");
  back_->setEnabled(false);
  forward_->setEnabled(false);
  auto* navigation = new QHBoxLayout;
  navigation->addWidget(back_);
  navigation->addWidget(forward_);
  navigation->addStretch();

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  contents_ = named(new QTreeWidget(splitter), "Contents");
  contents_->setHeaderHidden(true);
  browser_ = named(new QTextBrowser(splitter), "Browser");
  browser_->setOpenLinks(false);
  // The pages' text is 16 px; headings are sized from the browser's font,
  // so it is the same, and they stand larger than the text.
  QFont pageFont = browser_->font();
  pageFont.setPixelSize(16);
  browser_->setFont(pageFont);
  splitter->addWidget(contents_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({240, 720});

  findBar_ = named(new QWidget(this), "FindBar");
  findText_ = named(new QLineEdit(findBar_), "FindText");
  auto* previous = named(new QPushButton(QStringLiteral("上一个"), findBar_), "FindPrevious");
  auto* next = named(new QPushButton(QStringLiteral("下一个"), findBar_), "FindNext");
  findStatus_ = named(new QLabel(findBar_), "FindStatus");
  auto* close = named(new QPushButton(QStringLiteral("关闭"), findBar_), "FindClose");
  auto* findRow = new QHBoxLayout(findBar_);
  findRow->setContentsMargins(0, 0, 0, 0);
  findRow->addWidget(new QLabel(QStringLiteral("查找："), findBar_));
  findRow->addWidget(findText_, 1);
  findRow->addWidget(previous);
  findRow->addWidget(next);
  findRow->addWidget(findStatus_, 1);
  findRow->addWidget(close);
  findBar_->hide();
  findText_->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(navigation);
  layout->addWidget(splitter, 1);
  layout->addWidget(findBar_);

  const auto shortcut = [this](const char* name, const QKeySequence& keys, auto slot) {
    auto* action = new QAction(this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(keys);
    addAction(action);
    connect(action, &QAction::triggered, this, slot);
  };
  shortcut("Find", QKeySequence::Find, [this] { showFindBar(); });
  shortcut("BackAction", QKeySequence::Back, [this] { browser_->backward(); });
  shortcut("ForwardAction", QKeySequence::Forward, [this] { browser_->forward(); });
  shortcut("FindNextAction", QKeySequence::FindNext, [this] { findNext(); });
  shortcut("FindPreviousAction", QKeySequence::FindPrevious, [this] { findPrevious(); });

  connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
  connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    setWindowTitle(browser_->documentTitle());
    // The contents follow the page: the heading shown, else the page itself.
    for (QTreeWidgetItemIterator it(contents_); *it != nullptr; ++it) {
      if ((*it)->data(0, kAddressRole).toUrl() == browser_->source() && (*it)->data(0, kBlockRole).toInt() < 0) {
        contents_->setCurrentItem(*it);
        return;
      }
    }
  });
  connect(contents_, &QTreeWidget::itemClicked, this, &HelpWindow::openContentsItem);
  connect(contents_, &QTreeWidget::itemActivated, this, &HelpWindow::openContentsItem);
  connect(findText_, &QLineEdit::textChanged, this, [this] {
    // Typing extends the match in place rather than jumping past it.
    QTextCursor from = browser_->textCursor();
    from.setPosition(from.selectionStart());
    find(from, {});
  });
  connect(next, &QPushButton::clicked, this, &HelpWindow::findNext);
  connect(previous, &QPushButton::clicked, this, &HelpWindow::findPrevious);
  connect(close, &QPushButton::clicked, this, &HelpWindow::hideFindBar);

  buildContents();
}

void HelpWindow::Load() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.left() + (area.width() - frameGeometry().width()) / 2,
         area.top() + (area.height() - frameGeometry().height()) / 2);
  }
}

void HelpWindow::buildContents() {
  addPageToContents(Page::Help);
  addPageToContents(Page::Tutorial);
}

// One entry for the page, under it its chapters (h2) and their sections (h3).
void HelpWindow::addPageToContents(Page page) {
  const QUrl address = PageUrl(page);
  QFile file(QLatin1Char(':') + address.path());
  if (!file.open(QIODevice::ReadOnly)) return;
  QTextDocument document;
  document.setHtml(QString::fromUtf8(file.readAll()));

  auto* pageItem = new QTreeWidgetItem(contents_, {document.metaInformation(QTextDocument::DocumentTitle)});
  pageItem->setData(0, kAddressRole, address);
  pageItem->setData(0, kBlockRole, -1);
  QTreeWidgetItem* chapter = nullptr;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    const int level = block.blockFormat().headingLevel();
    if (level != 2 && level != 3) continue;
    QString anchor;
    for (auto fragment = block.begin(); !fragment.atEnd() && anchor.isEmpty(); ++fragment) {
      const QStringList names = fragment.fragment().charFormat().anchorNames();
      if (!names.isEmpty()) anchor = names.front();
    }
    QTreeWidgetItem* parent = level == 3 && chapter != nullptr ? chapter : pageItem;
    auto* item = new QTreeWidgetItem(parent, {block.text().trimmed()});
    QUrl target = address;
    if (!anchor.isEmpty()) target.setFragment(anchor);
    item->setData(0, kAddressRole, target);
    item->setData(0, kBlockRole, anchor.isEmpty() ? block.blockNumber() : -1);
    if (level == 2) chapter = item;
  }
  pageItem->setExpanded(true);
}

void HelpWindow::openContentsItem(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  const QUrl target = item->data(0, kAddressRole).toUrl();
  const int blockNumber = item->data(0, kBlockRole).toInt();
  if (blockNumber < 0) {
    browser_->setSource(target);
    return;
  }
  if (WithoutFragment(browser_->source()) != target) browser_->setSource(target);
  const QTextBlock block = browser_->document()->findBlockByNumber(blockNumber);
  if (!block.isValid()) return;
  browser_->setTextCursor(QTextCursor(block));
  browser_->verticalScrollBar()->setValue(
      int(browser_->document()->documentLayout()->blockBoundingRect(block).top()));
}

void HelpWindow::followLink(const QUrl& address) {
  const QUrl target = browser_->source().resolved(address);
  if (target.scheme() == QLatin1String("qrc")) {
    browser_->setSource(target);
  } else {
    desktop_.openUrl(target.toString());
  }
}

void HelpWindow::showPage(Page page, const QString& anchor) {
  QUrl target = PageUrl(page);
  if (!anchor.isEmpty()) target.setFragment(anchor);
  // Coming back to the page shown keeps the place the reader left.
  if (WithoutFragment(browser_->source()) != PageUrl(page) || !anchor.isEmpty()) browser_->setSource(target);
  show();
  // Without a screen there is no stacking order to change. Once more after
  // the event that opened it: a click or a closing menu hands the focus
  // back to the main window, which some window managers then raise.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
    raise();
    QTimer::singleShot(0, this, [this] {
      raise();
      activateWindow();
    });
  }
  activateWindow();
}

void HelpWindow::showFindBar() {
  findBar_->show();
  findText_->setFocus(Qt::ShortcutFocusReason);
  findText_->selectAll();
}

void HelpWindow::hideFindBar() {
  findBar_->hide();
  browser_->setFocus(Qt::OtherFocusReason);
}

bool HelpWindow::findNext() { return find(browser_->textCursor(), {}); }

bool HelpWindow::findPrevious() { return find(browser_->textCursor(), QTextDocument::FindBackward); }

const FoldedText& HelpWindow::folded(Page page) {
  auto it = folded_.find(int(page));
  if (it != folded_.end()) return it->second;
  // The page as the browser lays it out, character for character, so that
  // positions found are cursor positions.
  QFile file(QLatin1Char(':') + PageUrl(page).path());
  QTextDocument document;
  if (file.open(QIODevice::ReadOnly)) document.setHtml(QString::fromUtf8(file.readAll()));
  QString text;
  text.reserve(document.characterCount());
  for (int i = 0; i + 1 < document.characterCount(); ++i) text.append(document.characterAt(i));
  return folded_.emplace(int(page), FoldForFind(text)).first->second;
}

bool HelpWindow::find(const QTextCursor& from, QTextDocument::FindFlags flags) {
  const QString text = findText_->text();
  if (FoldForFind(text).text.isEmpty()) {
    QTextCursor cursor = browser_->textCursor();
    cursor.clearSelection();
    browser_->setTextCursor(cursor);
    findStatus_->clear();
    return false;
  }
  const bool backward = flags.testFlag(QTextDocument::FindBackward);
  const Page shown = page() == u"tutorial" ? Page::Tutorial : Page::Help;
  FoundSpan span = FindFolded(folded(shown), text, backward ? from.selectionStart() : from.selectionEnd(), backward);
  if (span.start < 0) {
    // Not on this page: the other one, from its start (or its end).
    const Page other = shown == Page::Help ? Page::Tutorial : Page::Help;
    span = FindFolded(folded(other), text, backward ? INT_MAX : 0, backward);
    if (span.start >= 0) browser_->setSource(PageUrl(other));
  }
  showFindResult(span.start >= 0);
  if (span.start < 0) return false;
  QTextCursor found(browser_->document());
  found.setPosition(span.start);
  found.setPosition(span.end, QTextCursor::KeepAnchor);
  browser_->setTextCursor(found);
  browser_->ensureCursorVisible();
  return true;
}

void HelpWindow::showFindResult(bool found) {
  if (found) {
    findStatus_->clear();
  } else {
    findStatus_->setText(QStringLiteral("找不到“%1”").arg(findText_->text()));
  }
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != findText_ || event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (key->modifiers().testFlag(Qt::ShiftModifier)) {
        findPrevious();
      } else {
        findNext();
      }
      return true;
    case Qt::Key_Escape:
      hideFindBar();
      return true;
    default:
      return false;
  }
}

QString HelpWindow::page() const {
  const QString path = browser_->source().path();
  if (path.endsWith(QLatin1String("/help/index.html"))) return QStringLiteral("help");
  if (path.endsWith(QLatin1String("/tutorial/index.html"))) return QStringLiteral("tutorial");
  return QString();
}

QString HelpWindow::anchor() const { return browser_->source().fragment(); }

QString HelpWindow::title() const { return browser_->documentTitle(); }

bool HelpWindow::findBarShown() const { return !findBar_->isHidden(); }

QString HelpWindow::findText() const { return findText_->text(); }

QTextCursor HelpWindow::selection() const { return browser_->textCursor(); }

}  // namespace kelvasta
