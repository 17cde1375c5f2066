// The count grids: the fourfold table (Picture8), the R x C table of several
// rates (Picture7) and the ordinal table by grade (Picture9). Cells are typed
// counts; the Label18 totals start at "0".

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>

#include <cmath>
#include <vector>

namespace kelvasta {

namespace {

// A heading that names several columns in one caption, the words parted by
// blanks ("（+）           （-）"). The caption stays as it is; each word is
// drawn centred over its own column, whatever the font makes of the blanks.
class ColumnsHeading final : public QLabel {
 public:
  // `centres`: the columns' middles as fractions of the heading's width, so
  // they hold at every zoom.
  ColumnsHeading(QWidget* parent, std::vector<double> centres)
      : QLabel(parent), centres_(std::move(centres)) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    const QStringList words = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() != qsizetype(centres_.size())) {
      QLabel::paintEvent(event);
      return;
    }
    QPainter painter(this);
    for (std::size_t i = 0; i < centres_.size(); ++i) {
      // As wide as the heading either side of the middle: never clipped early.
      const int centre = static_cast<int>(std::lround(centres_[i] * width()));
      const QRect area(centre - width(), 0, 2 * width(), height());
      style()->drawItemText(&painter, area, Qt::AlignCenter, palette(), isEnabled(), words[qsizetype(i)],
                            foregroundRole());
    }
  }

 private:
  std::vector<double> centres_;
};

constexpr int kPanelWidth = 7395;
constexpr int kRowHeight = panels::kGridRowHeight;

// A centred heading of the grid.
void Heading(Controls& c, ControlFactory& f, QWidget* parent, int index, const QString& caption,
             int left, int top, int width, int height = kRowHeight) {
  c.Label17.add(index, f.label(parent, ControlName("Label17", index), caption, left, top, width,
                               height, Qt::AlignCenter));
}

// A total of the grid, centred, starting at "0".
void Total(Controls& c, ControlFactory& f, QWidget* parent, int index, int left, int top,
           int width) {
  c.Label18.add(index, f.label(parent, ControlName("Label18", index), QStringLiteral("0"), left,
                               top, width, kRowHeight, Qt::AlignCenter));
}

QLabel* Title(ControlFactory& f, QWidget* parent, const QString& name, const QString& caption,
              int top) {
  return f.label(parent, name, caption, 0, top, kPanelWidth, panels::kLabelHeight, Qt::AlignCenter);
}

}  // namespace

void BuildCountTablePanel(QWidget* picture8, Controls& c, ControlFactory& f) {
  constexpr int kHeadingLeft = 600;
  constexpr int kHeadingWidth = 1560;
  constexpr int kColumn1Left = 2280;
  constexpr int kColumn2Left = 3480;
  constexpr int kTotalLeft = 4680;
  constexpr int kColumnWidth = 1080;
  constexpr int kResultWidth = kColumn2Left + kColumnWidth - kColumn1Left;
  constexpr int kHeadTop = 600;
  constexpr int kSubHeadTop = 900;
  constexpr int kHeadHeight = kSubHeadTop + kRowHeight - kHeadTop;  // both heading rows
  constexpr int kRow1Top = 1320;
  constexpr int kRow2Top = 1740;
  constexpr int kTotalsTop = 2160;

  c.Label16.add(
      0, Title(f, picture8, ControlName("Label16", 0), QStringLiteral("计数资料卡方检验"), 120));

  Heading(c, f, picture8, 0, QStringLiteral("组  别"), kHeadingLeft, kHeadTop, kHeadingWidth,
          kHeadHeight);
  Heading(c, f, picture8, 1, QStringLiteral("结     果"), kColumn1Left, kHeadTop, kResultWidth);
  Heading(c, f, picture8, 6, QStringLiteral("合计"), kTotalLeft, kHeadTop, kColumnWidth,
          kHeadHeight);
  // "（+）" and "（-）" over the two columns of counts.
  std::vector<double> columnCentres;
  for (int left : {kColumn1Left, kColumn2Left})
    columnCentres.push_back((left + kColumnWidth / 2.0 - kColumn1Left) / kResultWidth);
  QLabel* columns = f.label(new ColumnsHeading(picture8, std::move(columnCentres)), ControlName("Label17", 2),
                            QStringLiteral("（+）           （-）"), kColumn1Left, kSubHeadTop, kResultWidth,
                            kRowHeight, Qt::AlignCenter);
  columns->setTextInteractionFlags(Qt::NoTextInteraction);  // drawn by words, not selectable as a whole
  c.Label17.add(2, columns);

  Heading(c, f, picture8, 3, QStringLiteral("试验组"), kHeadingLeft, kRow1Top, kHeadingWidth);
  c.Text11.add(0, f.cell(picture8, ControlName("Text11", 0), kColumn1Left, kRow1Top, kColumnWidth,
                         kRowHeight));
  c.Text11.add(1, f.cell(picture8, ControlName("Text11", 1), kColumn2Left, kRow1Top, kColumnWidth,
                         kRowHeight));
  Total(c, f, picture8, 2, kTotalLeft, kRow1Top, kColumnWidth);

  Heading(c, f, picture8, 4, QStringLiteral("对照组"), kHeadingLeft, kRow2Top, kHeadingWidth);
  c.Text11.add(2, f.cell(picture8, ControlName("Text11", 2), kColumn1Left, kRow2Top, kColumnWidth,
                         kRowHeight));
  c.Text11.add(3, f.cell(picture8, ControlName("Text11", 3), kColumn2Left, kRow2Top, kColumnWidth,
                         kRowHeight));
  Total(c, f, picture8, 3, kTotalLeft, kRow2Top, kColumnWidth);

  Heading(c, f, picture8, 5, QStringLiteral("合  计"), kHeadingLeft, kTotalsTop, kHeadingWidth);
  Total(c, f, picture8, 0, kColumn1Left, kTotalsTop, kColumnWidth);
  Total(c, f, picture8, 1, kColumn2Left, kTotalsTop, kColumnWidth);
  Total(c, f, picture8, 4, kTotalLeft, kTotalsTop, kColumnWidth);
}

void BuildRxcTablePanel(QWidget* picture7, Controls& c, ControlFactory& f) {
  constexpr int kHeadingLeft = 240;
  constexpr int kHeadingWidth = 1000;
  constexpr int kCellWidth = 1020;
  constexpr int kTotalLeft = 5880;
  constexpr int kTotalWidth = 1080;
  constexpr int kHeaderTop = 480;
  constexpr int kTotalsTop = 2160;
  constexpr int kColumns = 4;
  constexpr int kRows = 3;
  const auto columnLeft = [](int column) { return 1320 + 1140 * column; };
  const auto rowTop = [](int row) { return 900 + 420 * row; };

  // Heading indexes of the form, by column and by row.
  constexpr int kColumnHeadings[kColumns] = {12, 7, 11, 26};
  constexpr int kRowHeadings[kRows] = {10, 9, 14};
  constexpr int kRowTotals[kRows] = {9, 10, 12};
  const QString columnCaptions[kColumns] = {QStringLiteral("C1"), QStringLiteral("C2"),
                                            QStringLiteral("C3"), QStringLiteral("C4")};
  const QString rowCaptions[kRows] = {QStringLiteral("R1"), QStringLiteral("R2"),
                                      QStringLiteral("R3")};

  c.Label9 =
      Title(f, picture7, ControlName("Label9"), QStringLiteral("多个样本率（R×C）卡方检验"), 60);

  Heading(c, f, picture7, 13, QStringLiteral("组  别"), kHeadingLeft, kHeaderTop, kHeadingWidth);
  for (int column = 0; column < kColumns; ++column) {
    Heading(c, f, picture7, kColumnHeadings[column], columnCaptions[column], columnLeft(column),
            kHeaderTop, kCellWidth);
  }
  Heading(c, f, picture7, 27, QStringLiteral("合  计"), kTotalLeft, kHeaderTop, kTotalWidth);

  for (int row = 0; row < kRows; ++row) {
    Heading(c, f, picture7, kRowHeadings[row], rowCaptions[row], kHeadingLeft, rowTop(row),
            kHeadingWidth);
    for (int column = 0; column < kColumns; ++column) {
      const int index = kColumns * row + column;
      c.Text111.add(index, f.cell(picture7, ControlName("Text111", index), columnLeft(column),
                                  rowTop(row), kCellWidth, kRowHeight));
    }
    Total(c, f, picture7, kRowTotals[row], kTotalLeft, rowTop(row), kTotalWidth);
  }

  Heading(c, f, picture7, 8, QStringLiteral("合  计"), kHeadingLeft, kTotalsTop, kHeadingWidth);
  for (int column = 0; column < kColumns; ++column) {
    Total(c, f, picture7, 5 + column, columnLeft(column), kTotalsTop, kCellWidth);
  }
  Total(c, f, picture7, 20, kTotalLeft, kTotalsTop, kTotalWidth);
  c.Label18.add(19, f.label(picture7, ControlName("Label18", 19), QString(), kTotalLeft, 2460,
                            kTotalWidth, panels::kLabelHeight, Qt::AlignCenter));
}

void BuildOrdinalTablePanel(QWidget* picture9, Controls& c, ControlFactory& f) {
  constexpr int kHeadingLeft = 120;
  constexpr int kHeadingWidth = 1100;
  constexpr int kCellWidth = 1020;
  constexpr int kTotalLeft = 5880;
  constexpr int kTotalWidth = 1080;
  constexpr int kHeaderTop = 480;
  constexpr int kTestTop = 900;
  constexpr int kControlTop = 1320;
  constexpr int kTotalsTop = 1740;
  constexpr int kGrades = 4;
  const auto gradeLeft = [](int grade) { return 1260 + 1140 * grade; };

  const QString gradeCaptions[kGrades] = {QStringLiteral("（+）"), QStringLiteral("（++）"),
                                          QStringLiteral("（+++）"), QStringLiteral("（++++）")};

  c.Label16.add(1, Title(f, picture9, ControlName("Label16", 1),
                         QStringLiteral("等级资料秩和检验及Ridit分析"), 60));

  Heading(c, f, picture9, 15, QStringLiteral("组  别"), kHeadingLeft, kHeaderTop, kHeadingWidth);
  for (int grade = 0; grade < kGrades; ++grade) {
    Heading(c, f, picture9, 16 + grade, gradeCaptions[grade], gradeLeft(grade), kHeaderTop,
            kCellWidth);
  }
  Heading(c, f, picture9, 20, QStringLiteral("合计"), kTotalLeft, kHeaderTop, kTotalWidth);

  Heading(c, f, picture9, 21, QStringLiteral("试验组"), kHeadingLeft, kTestTop, kHeadingWidth);
  for (int grade = 0; grade < kGrades; ++grade) {
    c.Text12.add(grade, f.cell(picture9, ControlName("Text12", grade), gradeLeft(grade), kTestTop,
                               kCellWidth, kRowHeight));
  }
  Total(c, f, picture9, 13, kTotalLeft, kTestTop, kTotalWidth);

  Heading(c, f, picture9, 22, QStringLiteral("对照组"), kHeadingLeft, kControlTop, kHeadingWidth);
  for (int grade = 0; grade < kGrades; ++grade) {
    const int index = kGrades + grade;
    c.Text12.add(index, f.cell(picture9, ControlName("Text12", index), gradeLeft(grade),
                               kControlTop, kCellWidth, kRowHeight));
  }
  Total(c, f, picture9, 11, kTotalLeft, kControlTop, kTotalWidth);

  Heading(c, f, picture9, 23, QStringLiteral("合  计"), kHeadingLeft, kTotalsTop, kHeadingWidth);
  for (int grade = 0; grade < kGrades; ++grade) {
    Total(c, f, picture9, 14 + grade, gradeLeft(grade), kTotalsTop, kCellWidth);
  }
  Total(c, f, picture9, 18, kTotalLeft, kTotalsTop, kTotalWidth);

  c.Label17.add(24, f.label(picture9, ControlName("Label17", 24),
                            QStringLiteral("注：等级资料如临床疗效分为无效、好转、显效；"
                                           "临床检验结果分为-、+、++、+++；"),
                            kHeadingLeft, 2340, 7200, panels::kLabelHeight));
  c.Label17.add(25, f.label(picture9, ControlName("Label17", 25),
                            QStringLiteral("疼痛等症状的严重程度分为无疼痛、轻度、中度、重度等。"),
                            kHeadingLeft, 2640, 7200, panels::kLabelHeight));
}

}  // namespace kelvasta
