#include "app/click_label.h"
#include "app/main_window.h"
#include "app/test_table.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace kelvasta {

namespace {

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct FourfoldHeadings {
  const char* corner;
  const char* results;
  const char* row1;
  const char* row2;
  const char* title;
};
constexpr FourfoldHeadings kFourfoldHeadings{"组  别", "结     果", "试验组", "对照组", "计数资料卡方检验"};
constexpr FourfoldHeadings kPairedHeadings{"治疗后", "  治疗前  ", "（+）", "（-）", "配对资料卡方检验"};

void EmptyCells(const ControlArray<QLineEdit>& cells) {
  for (const auto& [index, cell] : cells) cell->clear();
}

void EmptyCaptions(const ControlArray<QLabel>& labels, std::initializer_list<int> indexes) {
  for (int index : indexes) labels(index)->clear();
}

}  // namespace

// Each step may raise change handlers of the cells it empties, nested; the
// order of the steps decides what those handlers see and what is cleared
// after them.
void MainWindow::SelectTest(int index) {
  const TestEntry& test = kTests.at(static_cast<std::size_t>(index));
  // 1.
  currentTest_ = index;
  // 2.
  for (const auto& [i, button] : c_.Command1) {
    QFont font = button->font();
    font.setBold(false);
    button->setFont(font);
  }
  QFont bold = c_.Command1(index)->font();
  bold.setBold(true);
  c_.Command1(index)->setFont(bold);
  // 3.
  QString title = c_.Command1(index)->text();
  if (test.valueList) title += FromView(kEntryHint);
  c_.Label1->setText(title);
  // 4. to 6. The value lists start again with fifteen empty items. Moving
  // the bars refreshes rows from the lists, which are empty at that moment.
  storage_.twoColumnLists.clearLists();
  storage_.groupLists.clearLists();
  c_.VSl1->setMaximum(5);
  c_.VS1->setMaximum(5);
  c_.VS1->setValue(0);
  c_.VSl1->setValue(0);
  storage_.twoColumnLists.appendEmptyRows(kInitialListItems);
  storage_.groupLists.appendEmptyRows(kInitialListItems);
  // 7.
  for (int r = 0; r < 10; ++r) {
    c_.Text1(r)->clear();
    c_.Text2(r)->clear();
    c_.Text30(r)->clear();
    c_.Text40(r)->clear();
    c_.Text50(r)->clear();
    c_.Label3(r)->setText(QString::number(r + 1));
    c_.Label30(r)->setText(QString::number(r + 1));
  }
  // 8.
  setSpreadsheetItemsEnabled(test.valueList);
  // 9. to 13.
  EmptyCells(c_.Text4);
  EmptyCells(c_.Text11);
  for (const auto& [i, label] : c_.Label18) label->clear();
  for (int i = 1; i <= 6; ++i) c_.Label20(i)->clear();
  for (const auto& [i, label] : c_.Label107) label->clear();
  // 14.
  for (const auto& [i, panel] : c_.Picture4) panel->hide();
  c_.Picture4(index)->show();
  // 15.
  EmptyCells(c_.Text41);
  EmptyCells(c_.Text12);
  EmptyCells(c_.Text111);
  // 16.
  EmptyCaptions(c_.Label5, {3, 4, 5, 8, 9, 10, 7, 13, 14, 15, 16, 17, 21, 23, 27});
  EmptyCaptions(c_.Label13, {3, 4, 5, 6, 7, 12});
  EmptyCaptions(c_.Label20, {7, 8});
  // The emptied summary cells leave the analysis of variance incomplete,
  // which keeps its critical values; an earlier table's must not stay.
  EmptyCaptions(c_.Label5, {28, 29});
  // 17.
  c_.Label22->hide();
  // 18.
  c_.Picture2->setVisible(test.upper == UpperPanel::ValueList);
  c_.Picture6->setVisible(test.upper == UpperPanel::GroupList);
  c_.Picture7->setVisible(test.upper == UpperPanel::RxcTable);
  c_.Picture8->setVisible(test.upper == UpperPanel::CountTable);
  c_.Picture9->setVisible(test.upper == UpperPanel::OrdinalTable);
  // 19.
  if (index == kFourfold || index == kPairedChiSquare) {
    const FourfoldHeadings& h = index == kFourfold ? kFourfoldHeadings : kPairedHeadings;
    c_.Label17(0)->setText(QString::fromUtf8(h.corner));
    c_.Label17(1)->setText(QString::fromUtf8(h.results));
    c_.Label17(3)->setText(QString::fromUtf8(h.row1));
    c_.Label17(4)->setText(QString::fromUtf8(h.row2));
    c_.Label16(0)->setText(QString::fromUtf8(h.title));
  }
  // 20.
  QLineEdit* first = nullptr;
  switch (test.firstCell) {
    case FirstCell::Text1: first = c_.Text1(0); break;
    case FirstCell::Text30: first = c_.Text30(0); break;
    case FirstCell::Text11: first = c_.Text11(0); break;
    case FirstCell::Text111: first = c_.Text111(0); break;
    case FirstCell::Text12: first = c_.Text12(0); break;
  }
  first->setFocus(Qt::OtherFocusReason);
  // The names of the test now shown, kept from when it was last used.
  showNames();
}

void MainWindow::setSpreadsheetItemsEnabled(bool enabled) {
  for (int i : {0, 1}) {
    c_.Label15(i)->setEnabled(enabled);
    c_.Label28(i)->setEnabled(enabled);
  }
  importAction_->setEnabled(enabled);
  exportAction_->setEnabled(enabled);
  columnsAction_->setEnabled(enabled);
  for (QAction* recent : recentActions_) recent->setEnabled(enabled);
}

}  // namespace kelvasta
