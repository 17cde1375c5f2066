#pragma once

#include "app/control_array.h"
#include "calc/calculator.h"
#include "entry/list_window.h"
#include "entry/value_list.h"

#include <array>
#include <string>
#include <vector>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QWidget;

namespace kelvasta {

class ClickLabel;

// Typed pointers to every named control of the main window, found once when
// the form is built. Names and indexes are the form's own.
struct Controls {
  // Shell
  QFrame* Frame1 = nullptr;     // tool strip
  QFrame* Frame2 = nullptr;     // test buttons
  QFrame* Frame3 = nullptr;     // title line
  QGroupBox* Frame4 = nullptr;  // calculator
  ControlArray<QPushButton> Command1;
  QLabel* Label1 = nullptr;
  ControlArray<QWidget> Picture14;
  ControlArray<QLabel> Image7;
  ControlArray<QLabel> Label15;
  ControlArray<ClickLabel> Label28;

  // Upper panels
  QWidget* Picture2 = nullptr;
  QWidget* Picture6 = nullptr;
  QWidget* Picture7 = nullptr;
  QWidget* Picture8 = nullptr;
  QWidget* Picture9 = nullptr;
  ControlArray<QWidget> Picture4;

  // Two-column value lists
  ControlArray<QLineEdit> Text1;
  ControlArray<QLineEdit> Text2;
  ControlArray<QLabel> Label3;
  QScrollBar* VS1 = nullptr;
  // Three-group value lists
  ControlArray<QLineEdit> Text30;
  ControlArray<QLineEdit> Text40;
  ControlArray<QLineEdit> Text50;
  ControlArray<QLabel> Label30;
  QScrollBar* VSl1 = nullptr;
  ControlArray<QLabel> Label2;

  // Count grids
  ControlArray<QLineEdit> Text11;
  ControlArray<QLineEdit> Text111;
  ControlArray<QLineEdit> Text12;
  ControlArray<QLabel> Label16;
  ControlArray<QLabel> Label17;
  ControlArray<QLabel> Label18;
  QLabel* Label9 = nullptr;

  // Result panels
  ControlArray<QLineEdit> Text4;
  ControlArray<QLineEdit> Text41;
  ControlArray<QLabel> Label4;    // captions of the summary cells
  ControlArray<QLabel> Label5;
  ControlArray<QLabel> Label6;    // statistic symbols with their subscripts
  ControlArray<QLabel> Label13;
  ControlArray<QLabel> Label19;
  ControlArray<QLabel> Label20;
  ControlArray<QLabel> Label21;   // hidden store of theoretical frequencies
  ControlArray<QLabel> Label23;   // section headings of the ordinal results
  ControlArray<QLabel> Label107;
  QLabel* Label7 = nullptr;       // hidden slope text
  QLabel* Label8 = nullptr;       // hidden intercept text
  QLabel* Label10 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label12 = nullptr;
  QLabel* Label22 = nullptr;
  QPushButton* Command15 = nullptr;
  QPushButton* Command16 = nullptr;

  // Calculator
  QLineEdit* Text5 = nullptr;
  ControlArray<QPushButton> Command2;
  QPushButton* Command4 = nullptr;
  QPushButton* Command5 = nullptr;
  QPushButton* Command6 = nullptr;
  QPushButton* Command7 = nullptr;
  QPushButton* Command8 = nullptr;
  QPushButton* Command21 = nullptr;
  QPushButton* Command22 = nullptr;

  // Holder of the last workbook path
  QLabel* Label14 = nullptr;
};

// The storage lists, tables and kept values of the window, never shown.
struct Storage {
  ListWindow twoColumnLists{2};  // List1, List2 behind Picture2 and VS1
  ListWindow groupLists{3};      // List3, List4, List5 behind Picture6 and VSl1
  // Set while rows are refilled from the lists: the cells then neither store
  // nor compute.
  bool loading = false;
  std::vector<std::string> List6;  // F table items
  std::vector<std::string> List7;  // q table items
  std::vector<std::string> List8;  // sorted mean texts of the pairwise q test
  std::string Text14;              // the t table text
  // Left by the last complete analysis of variance for the pairwise tests.
  double WithinGroupsSS = 0;
  double WithinGroupsDf = 0;
  Calculator calculator;
  // The summary texts the lists' summaries last wrote into Text4 and Text41;
  // cells that still hold them show the lists, not figures typed by hand.
  std::array<std::string, 6> Text4FromLists;
  std::array<std::string, 9> Text41FromLists;

  ValueList& List1() { return twoColumnLists.column(0); }
  ValueList& List2() { return twoColumnLists.column(1); }
  ValueList& List3() { return groupLists.column(0); }
  ValueList& List4() { return groupLists.column(1); }
  ValueList& List5() { return groupLists.column(2); }
  const ValueList& List1() const { return twoColumnLists.column(0); }
  const ValueList& List2() const { return twoColumnLists.column(1); }
  const ValueList& List3() const { return groupLists.column(0); }
  const ValueList& List4() const { return groupLists.column(1); }
  const ValueList& List5() const { return groupLists.column(2); }
};

}  // namespace kelvasta
