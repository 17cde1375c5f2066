// Moving through the count grids and summary cells with the keyboard, the Tab
// order, the wheel over the value lists, and the program's help window.
#include "app/help_find.h"
#include "tests/app/script_fixture.h"

#include "app/help_window.h"

#include <QAction>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWheelEvent>

namespace kelvasta::testing {
namespace {

using KeyboardHelpTest = ScriptTest;

struct KeyCase {
  const char* name;
  int test;           // the test button chosen first
  const char* start;  // the cell that takes the key
  const char* key;
  const char* focus;  // where the focus ends
};

// Enter and Down go on in reading order, Up goes back; the ends hold.
const KeyCase kKeys[] = {
    {"fourfold_across", 3, "Text11(0)", "Enter", "Text11(1)"},
    {"fourfold_next_row", 3, "Text11(1)", "Down", "Text11(2)"},
    {"fourfold_back_a_row", 3, "Text11(2)", "Up", "Text11(1)"},
    {"fourfold_last_holds", 3, "Text11(3)", "Enter", "Text11(3)"},
    {"fourfold_first_holds", 3, "Text11(0)", "Up", "Text11(0)"},
    {"rxc_row_end", 5, "Text111(3)", "Enter", "Text111(4)"},
    {"rxc_back_over_row", 5, "Text111(8)", "Up", "Text111(7)"},
    {"rxc_last_holds", 5, "Text111(11)", "Down", "Text111(11)"},
    {"ordinal_next_group", 7, "Text12(3)", "Down", "Text12(4)"},
    {"ordinal_last_holds", 7, "Text12(7)", "Enter", "Text12(7)"},
    // Group 1 is the left column, group 2 the right: rows read across.
    {"summary_across", 0, "Text4(0)", "Enter", "Text4(3)"},
    {"summary_next_row", 0, "Text4(3)", "Down", "Text4(1)"},
    {"summary_back", 0, "Text4(1)", "Up", "Text4(3)"},
    {"summary_last_holds", 0, "Text4(5)", "Enter", "Text4(5)"},
    {"anova_across", 2, "Text41(3)", "Enter", "Text41(6)"},
    {"anova_next_row", 2, "Text41(6)", "Down", "Text41(1)"},
    {"anova_back", 2, "Text41(1)", "Up", "Text41(6)"},
    {"anova_last_holds", 2, "Text41(8)", "Down", "Text41(8)"},
};

TEST_F(KeyboardHelpTest, GridKeysMoveInReadingOrder) {
  for (const KeyCase& k : kKeys) {
    SCOPED_TRACE(k.name);
    const QString script = QStringLiteral("click Command1(%1)\nset %2 7\nkey %2 %3\ndump %2")
                               .arg(k.test)
                               .arg(QLatin1String(k.start), QLatin1String(k.key));
    const Result result = Run(script);
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QJsonObject dump = QJsonDocument::fromJson(result.out.trimmed().toUtf8()).object();
    EXPECT_EQ(dump.value(QStringLiteral("focus")).toString(), QLatin1String(k.focus));
    // The keys leave the text alone.
    EXPECT_EQ(Text(dump, QLatin1String(k.start)), QStringLiteral("7"));
  }
}

// The named stops Tab reaches from the first test button, as Qt walks them.
QStringList TabStops(const QWidget* from, int count) {
  QStringList names;
  for (const QWidget* w = from; names.size() < count; w = w->nextInFocusChain()) {
    if (w->isVisibleTo(w->window()) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) != 0)
      names.push_back(w->objectName());
    if (w->nextInFocusChain() == from) break;
  }
  return names;
}

TEST_F(KeyboardHelpTest, TabFollowsTheDrawing) {
  const QStringList buttons = {"Command1(0)", "Command1(1)", "Command1(2)", "Command1(3)",
                               "Command1(4)", "Command1(5)", "Command1(7)", "Command1(6)"};
  const struct {
    int test;
    QStringList cells;
  } kPanels[] = {
      {3, {"Text11(0)", "Text11(1)", "Text11(2)", "Text11(3)", "Text5"}},
      {2, {"Text30(0)", "Text40(0)", "Text50(0)", "Text30(1)"}},
  };
  for (const auto& panel : kPanels) {
    SCOPED_TRACE(panel.test);
    Run(QStringLiteral("click Command1(%1)").arg(panel.test));
    const QStringList stops = TabStops(window_->controls().Command1(0), int(buttons.size() + panel.cells.size()));
    EXPECT_EQ(stops.join(u' ').toStdString(), (buttons + panel.cells).join(u' ').toStdString());
  }
  // The analysis-of-variance summaries read across, then its buttons as drawn.
  Run(QStringLiteral("click Command1(2)"));
  const QStringList all = TabStops(window_->controls().Command1(0), 200);
  const qsizetype first = all.indexOf(QStringLiteral("Text41(0)"));
  ASSERT_GE(first, 0);
  EXPECT_EQ(all.mid(first, 11).join(u' ').toStdString(),
            "Text41(0) Text41(3) Text41(6) Text41(1) Text41(4) Text41(7) Text41(2) Text41(5) Text41(8) "
            "Command16 Command15");
  EXPECT_LT(first, all.indexOf(QStringLiteral("Text5")));
}

void Wheel(QWidget* target, int delta) {
  const QPointF at = QRectF(target->rect()).center();
  QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &event);
}

TEST_F(KeyboardHelpTest, WheelScrollsTheListsThreeRowsANotch) {
  const Controls& c = window_->controls();
  window_->storage().twoColumnLists.appendEmptyRows(20);
  c.VS1->setMaximum(20);
  const struct {
    QWidget* cell;
    int delta;
    int value;  // VS1 afterwards
  } kTurns[] = {
      {c.Text1(4), -120, 3}, {c.Text2(9), -240, 9}, {c.Text1(0), 120, 6},
      {c.Text2(0), 60, 6},  {c.Text2(0), 60, 3},   // two halves make a notch
      {c.Text1(0), 600, 0},                        // held at the top
  };
  for (const auto& turn : kTurns) {
    Wheel(turn.cell, turn.delta);
    EXPECT_EQ(c.VS1->value(), turn.value) << turn.delta;
  }
  Wheel(c.Text1(0), -120);
  const QJsonObject dump = RunAndDump(QString());
  EXPECT_EQ(Text(dump, QStringLiteral("Label3(0)")), QStringLiteral("4"));  // the rows followed the bar
  EXPECT_EQ(Control(dump, QStringLiteral("VS1")).value(QStringLiteral("value")).toInt(), 3);

  Run(QStringLiteral("click Command1(2)"));
  c.VSl1->setMaximum(10);
  Wheel(c.Text40(2), -120);
  EXPECT_EQ(c.VSl1->value(), 3);
}

QJsonObject HelpState(const QJsonObject& dump) { return dump.value(QStringLiteral("HelpWindow")).toObject(); }

TEST_F(KeyboardHelpTest, HelpAndTutorialOpenInTheProgram) {
  EXPECT_TRUE(RunAndDump(QString()).value(QStringLiteral("HelpWindow")).isNull());
  const struct {
    const char* script;
    const char* page;
    const char* title;
  } kOpen[] = {
      {"click Label28(4)", "help", "Kelvasta 帮助"},
      {"menu 医学统计学傻瓜教程", "tutorial", "医学统计学傻瓜教程"},
      {"click Label28(3)", "tutorial", "医学统计学傻瓜教程"},
      {"menu 帮助", "help", "Kelvasta 帮助"},
  };
  for (const auto& open : kOpen) {
    SCOPED_TRACE(open.script);
    const QJsonObject dump = RunAndDump(QString::fromUtf8(open.script));
    EXPECT_TRUE(HelpState(dump).value(QStringLiteral("visible")).toBool());
    EXPECT_EQ(HelpState(dump).value(QStringLiteral("page")).toString(), QLatin1String(open.page));
    EXPECT_EQ(HelpState(dump).value(QStringLiteral("title")).toString(), QString::fromUtf8(open.title));
    EXPECT_TRUE(dump.value(QStringLiteral("opened")).toArray().isEmpty());
  }
  EXPECT_EQ(window_->findChildren<HelpWindow*>().size(), 1);
}

TEST_F(KeyboardHelpTest, F1OpensTheTutorialPage) {
  for (QAction* entry : window_->menuEntries()) {
    if (entry->shortcut() == QKeySequence(Qt::Key_F1)) entry->trigger();
  }
  EXPECT_EQ(HelpState(RunAndDump(QString())).value(QStringLiteral("page")).toString(), QStringLiteral("tutorial"));
}

TEST_F(KeyboardHelpTest, LinksAndHistoryStayInTheHelpWindow) {
  Run(QStringLiteral("menu 医学统计学傻瓜教程"));
  auto* help = window_->findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
  ASSERT_NE(help, nullptr);
  auto* browser = help->findChild<QTextBrowser*>(QStringLiteral("Browser"));
  // A link of the tutorial into the help resolves among the built-in pages.
  emit browser->anchorClicked(QUrl(QStringLiteral("../help/index.html#anova")));
  QJsonObject state = HelpState(RunAndDump(QString()));
  EXPECT_EQ(state.value(QStringLiteral("page")).toString(), QStringLiteral("help"));
  EXPECT_EQ(state.value(QStringLiteral("anchor")).toString(), QStringLiteral("anova"));
  EXPECT_FALSE(browser->toPlainText().isEmpty());

  state = HelpState(RunAndDump(QStringLiteral("click HelpWindow.Back")));
  EXPECT_EQ(state.value(QStringLiteral("page")).toString(), QStringLiteral("tutorial"));
  state = HelpState(RunAndDump(QStringLiteral("click HelpWindow.Forward")));
  EXPECT_EQ(state.value(QStringLiteral("anchor")).toString(), QStringLiteral("anova"));

  // The contents hold both pages; a chapter opens at its heading.
  auto* contents = help->findChild<QTreeWidget*>(QStringLiteral("Contents"));
  ASSERT_EQ(contents->topLevelItemCount(), 2);
  QTreeWidgetItem* chapter = contents->topLevelItem(1)->child(0);
  emit contents->itemClicked(chapter, 0);
  state = HelpState(RunAndDump(QString()));
  EXPECT_EQ(state.value(QStringLiteral("page")).toString(), QStringLiteral("tutorial"));
  EXPECT_EQ(state.value(QStringLiteral("anchor")).toString(), QStringLiteral("why"));

  // An address outside the pages goes to the desktop's browser.
  emit browser->anchorClicked(QUrl(QStringLiteral("https://kelvasta.org/")));
  EXPECT_EQ(RunAndDump(QString()).value(QStringLiteral("opened")).toArray(),
            QJsonArray{QStringLiteral("https://kelvasta.org/")});
}

TEST_F(KeyboardHelpTest, FindMovesFromMatchToMatch) {
  Run(QStringLiteral("click Label28(4)"));
  auto* help = window_->findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
  for (QAction* action : help->actions())
    if (action->shortcut() == QKeySequence(QKeySequence::Find)) action->trigger();
  QJsonObject dump = RunAndDump(QStringLiteral("set HelpWindow.FindText 卡方"));
  QJsonObject find = HelpState(dump).value(QStringLiteral("find")).toObject();
  EXPECT_TRUE(find.value(QStringLiteral("visible")).toBool());
  EXPECT_EQ(find.value(QStringLiteral("found")).toString(), QStringLiteral("卡方"));
  const int first = find.value(QStringLiteral("position")).toInt();

  const struct {
    const char* script;
    int direction;  // of the move from the previous match
  } kMoves[] = {
      {"click HelpWindow.FindNext", 1},
      {"key HelpWindow.FindText Enter", 1},
      {"click HelpWindow.FindPrevious", -1},
  };
  int position = first;
  for (const auto& move : kMoves) {
    SCOPED_TRACE(move.script);
    find = HelpState(RunAndDump(QString::fromUtf8(move.script))).value(QStringLiteral("find")).toObject();
    EXPECT_EQ(find.value(QStringLiteral("found")).toString(), QStringLiteral("卡方"));
    const int now = find.value(QStringLiteral("position")).toInt();
    EXPECT_EQ(now > position ? 1 : -1, move.direction);
    position = now;
  }
  // Before the first match, Previous goes round to the page's last one.
  find = HelpState(RunAndDump(QStringLiteral("click HelpWindow.FindPrevious\nclick HelpWindow.FindPrevious")))
             .value(QStringLiteral("find"))
             .toObject();
  EXPECT_GT(find.value(QStringLiteral("position")).toInt(), position);

  dump = RunAndDump(QStringLiteral("set HelpWindow.FindText 没有这样的词语"));
  EXPECT_FALSE(Text(dump, QStringLiteral("HelpWindow.FindStatus")).isEmpty());
  dump = RunAndDump(QStringLiteral("key HelpWindow.FindText Escape"));
  EXPECT_FALSE(HelpState(dump).value(QStringLiteral("find")).toObject().value(QStringLiteral("visible")).toBool());
}

// Finding ignores blanks, width and case, and goes on to the other page
// when the shown one has no match; Alt+Left and Alt+Right walk the history.
TEST_F(KeyboardHelpTest, FindIgnoresBlanksAndWidthAndSearchesBothPages) {
  Run(QStringLiteral("click Label28(4)"));
  auto* help = window_->findChild<HelpWindow*>(QStringLiteral("HelpWindow"));
  help->showFindBar();
  const struct {
    const char* typed;
    const char* page;
    const char* found;  // the page's own text of the match
  } kFinds[] = {
      {"P值", "help", "P 值"},
      {"ｐ 值", "help", "P 值"},
      {"抽样误差", "tutorial", "抽样误差"},  // only the tutorial has it
      {"没有这样的词语", "tutorial", nullptr},  // in neither: said so, the page stays
  };
  for (const auto& find : kFinds) {
    SCOPED_TRACE(find.typed);
    const QJsonObject dump = RunAndDump(QStringLiteral("set HelpWindow.FindText ") + QString::fromUtf8(find.typed));
    const QJsonObject state = HelpState(dump);
    EXPECT_EQ(state.value(QStringLiteral("page")).toString(), QLatin1String(find.page));
    if (find.found != nullptr) {
      EXPECT_EQ(state.value(QStringLiteral("find")).toObject().value(QStringLiteral("found")).toString(),
                QString::fromUtf8(find.found));
    }
    EXPECT_EQ(Text(dump, QStringLiteral("HelpWindow.FindStatus")).isEmpty(), find.found != nullptr);
  }
  for (const auto& [keys, page] : {std::pair{QKeySequence::Back, "help"}, std::pair{QKeySequence::Forward, "tutorial"}}) {
    for (QAction* action : help->actions())
      if (action->shortcut() == QKeySequence(keys)) action->trigger();
    EXPECT_EQ(HelpState(RunAndDump(QString())).value(QStringLiteral("page")).toString(), QLatin1String(page));
  }
}

// Alt+E then Escape: the menu closes and the focus is back in the cell,
// not left in the menu bar where nothing shows it.
TEST_F(KeyboardHelpTest, EscapeFromAMenuGivesTheFocusBack) {
  QLineEdit* cell = window_->controls().Text1(2);
  window_->activateWindow();
  cell->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), cell);
  QTest::keyClick(window_.get(), Qt::Key_E, Qt::AltModifier);
  auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(popup, nullptr);
  QTest::keyClick(popup, Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(window_->focusWidget(), cell);
}

TEST(HelpFind, FoldedMatchesMapBackToTheText) {
  const QString text = QStringLiteral("检验 P 值，ＡＢ c\u3000d；P值");
  const FoldedText folded = FoldForFind(text);
  struct Case {
    const char* needle;
    int from;
    bool backward;
    int start, end;
  };
  const Case cases[] = {
      {"p值", 0, false, 3, 6},  {"p值", 4, false, 14, 16}, {"p值", 20, false, 3, 6},   // goes round
      {"P值", 14, true, 3, 6},  {"P值", 0, true, 14, 16},  {"abcd", 0, false, 7, 13},  // full width, blanks
      {"  ", 0, false, -1, -1},    {"x", 0, false, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.needle) + " from " + std::to_string(c.from));
    const FoundSpan span = FindFolded(folded, QString::fromUtf8(c.needle), c.from, c.backward);
    EXPECT_EQ(span.start, c.start);
    EXPECT_EQ(span.end, c.end);
  }
}

}  // namespace
}  // namespace kelvasta::testing
