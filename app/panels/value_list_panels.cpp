// The value-list panels: two columns of raw values (Picture2) and three groups
// of raw values (Picture6), ten visible rows each, with their scroll bars.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

namespace kelvasta {

namespace {

constexpr int kVisibleRows = 10;
constexpr int kFirstRowTop = 360;
constexpr int kRowPitch = 300;
constexpr int kRowHeight = 225;
constexpr int kHeaderTop = 60;
constexpr int kRowNumberWidth = 1215;

int RowTop(int row) { return kFirstRowTop + kRowPitch * row; }

QLineEdit* EntryCell(ControlFactory& f, QWidget* parent, const char* name, int row, int left,
                     int width) {
  QLineEdit* cell = f.cell(parent, ControlName(name, row), left, RowTop(row), width, kRowHeight);
  cell->setToolTip(panels::EntryTip());
  return cell;
}

// The scroll bar moves the ten-row window along the lists one row per step;
// the maximum grows while data are entered.
QScrollBar* RowScrollBar(ControlFactory& f, QWidget* parent, const char* name) {
  QScrollBar* bar = f.scrollBar(parent, ControlName(name), 7080, 0, 255, 3315);
  bar->setRange(0, 5);
  bar->setSingleStep(1);
  bar->setPageStep(kVisibleRows);
  return bar;
}

}  // namespace

void BuildValueListPanel(QWidget* picture2, Controls& c, ControlFactory& f) {
  constexpr int kColumn1Left = 1260;
  constexpr int kColumn2Left = 4200;
  constexpr int kColumnWidth = 2835;

  c.Label2.add(0, f.label(picture2, ControlName("Label2", 0), QStringLiteral("序号"), 60,
                          kHeaderTop, 1095, kRowHeight, Qt::AlignCenter));
  c.Label2.add(1, f.label(picture2, ControlName("Label2", 1), QStringLiteral("第 1 组"),
                          kColumn1Left, kHeaderTop, kColumnWidth, kRowHeight, Qt::AlignCenter));
  c.Label2.add(2, f.label(picture2, ControlName("Label2", 2), QStringLiteral("第 2 组"),
                          kColumn2Left, kHeaderTop, kColumnWidth, kRowHeight, Qt::AlignCenter));

  for (int r = 0; r < kVisibleRows; ++r) {
    c.Label3.add(r, f.label(picture2, ControlName("Label3", r), QString::number(r + 1), 0,
                            RowTop(r), kRowNumberWidth, kRowHeight, Qt::AlignCenter));
    c.Text1.add(r, EntryCell(f, picture2, "Text1", r, kColumn1Left, kColumnWidth));
    c.Text2.add(r, EntryCell(f, picture2, "Text2", r, kColumn2Left, kColumnWidth));
  }

  c.VS1 = RowScrollBar(f, picture2, "VS1");
}

void BuildGroupListPanel(QWidget* picture6, Controls& c, ControlFactory& f) {
  constexpr int kGroup1Left = 1260;
  constexpr int kGroup2Left = 3240;
  constexpr int kGroup3Left = 5220;
  constexpr int kGroupWidth = 1875;
  constexpr int kGroup3Width = 1815;

  c.Label2.add(3, f.label(picture6, ControlName("Label2", 3), QStringLiteral("序号"), 60,
                          kHeaderTop, 1095, kRowHeight, Qt::AlignCenter));
  c.Label2.add(4, f.label(picture6, ControlName("Label2", 4), QStringLiteral("第 1 组"), 1320,
                          kHeaderTop, 1755, kRowHeight, Qt::AlignCenter));
  c.Label2.add(5, f.label(picture6, ControlName("Label2", 5), QStringLiteral("第 2 组"),
                          kGroup2Left, kHeaderTop, kGroupWidth, kRowHeight, Qt::AlignCenter));
  c.Label2.add(6, f.label(picture6, ControlName("Label2", 6), QStringLiteral("第 3 组"),
                          kGroup3Left, kHeaderTop, kGroup3Width, kRowHeight, Qt::AlignCenter));

  for (int r = 0; r < kVisibleRows; ++r) {
    c.Label30.add(r, f.label(picture6, ControlName("Label30", r), QString::number(r + 1), 0,
                             RowTop(r), kRowNumberWidth, kRowHeight, Qt::AlignCenter));
    c.Text30.add(r, EntryCell(f, picture6, "Text30", r, kGroup1Left, kGroupWidth));
    c.Text40.add(r, EntryCell(f, picture6, "Text40", r, kGroup2Left, kGroupWidth));
    c.Text50.add(r, EntryCell(f, picture6, "Text50", r, kGroup3Left, kGroup3Width));
  }

  c.VSl1 = RowScrollBar(f, picture6, "VSl1");
}

}  // namespace kelvasta
