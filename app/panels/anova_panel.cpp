// Result panel of the one-way analysis of variance (Picture4(2)): the nine
// summary cells of the three groups, the F critical values, the result line,
// the three pairwise comparison lines and the two pairwise-test buttons.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kelvasta {

void BuildAnovaPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using namespace panels;
  constexpr int kRowTops[3] = {60, 360, 660};
  constexpr int kCellHeight = 255;
  constexpr int kCellWidth = 1080;

  // One column per group: caption left and width, cell left. Captions and
  // cells run mean, standard deviation, count from top to bottom.
  struct Column {
    int captionLeft;
    int captionWidth;
    int cellLeft;
  };
  constexpr Column kColumns[3] = {{60, 1140, 1200}, {2340, 480, 2820}, {3960, 480, 4440}};
  const QString captions[9] = {
      QStringLiteral("均  数  X1="), QStringLiteral("标准差  S1="), QStringLiteral("例  数  N1="),
      QStringLiteral("X2="),         QStringLiteral("S2="),         QStringLiteral("N2="),
      QStringLiteral("X3="),         QStringLiteral("S3="),         QStringLiteral("N3="),
  };
  for (int i = 0; i < 9; ++i) {
    const Column& column = kColumns[i / 3];
    const int top = kRowTops[i % 3];
    const int captionIndex = 10 + i;
    c.Label4.add(captionIndex,
                 f.label(panel, ControlName("Label4", captionIndex), captions[i],
                         column.captionLeft, top, column.captionWidth, kCellHeight, kCaptionAlign));
    c.Text41.add(
        i, f.cell(panel, ControlName("Text41", i), column.cellLeft, top, kCellWidth, kCellHeight));
  }

  constexpr int kSymbolLeft = 5640;
  constexpr int kSymbolWidth = 720;
  constexpr int kCriticalLeft = 6360;
  constexpr int kCriticalWidth = 960;
  int symbol = kAnovaSymbols;
  c.Label6.add(symbol,
               f.symbol(panel, ControlName("Label6", symbol), FSymbol(QStringLiteral("0.05")),
                        kSymbolLeft, kRowTops[0], kSymbolWidth, kSymbolHeight));
  ++symbol;
  c.Label5.add(29, f.label(panel, ControlName("Label5", 29), QString(), kCriticalLeft, kRowTops[0],
                           kCriticalWidth, kSymbolHeight));
  c.Label6.add(symbol,
               f.symbol(panel, ControlName("Label6", symbol), FSymbol(QStringLiteral("0.01")),
                        kSymbolLeft, kRowTops[1], kSymbolWidth, kSymbolHeight));
  c.Label5.add(28, f.label(panel, ControlName("Label5", 28), QString(), kCriticalLeft, kRowTops[1],
                           kCriticalWidth, kSymbolHeight));
  c.Label5.add(27, f.label(panel, ControlName("Label5", 27), QString(), kSymbolLeft, kRowTops[2],
                           kSymbolWidth + kCriticalWidth, kCellHeight));

  constexpr int kResultTop = 1000;
  c.Label5.add(31, f.label(panel, ControlName("Label5", 31), QStringLiteral("结果判断："), 60,
                           kResultTop, 1140, kLabelHeight, kCaptionAlign));
  c.Label5.add(26, f.label(panel, ControlName("Label5", 26), QString(), 1200, kResultTop, 4200,
                           kLabelHeight));

  // Pairwise lines: groups 1 and 2, 1 and 3, 2 and 3, one under another.
  constexpr int kPairLeft = 60;
  constexpr int kPairWidth = 5400;
  c.Label10 =
      f.label(panel, ControlName("Label10"), QString(), kPairLeft, 1320, kPairWidth, kLabelHeight);
  c.Label11 =
      f.label(panel, ControlName("Label11"), QString(), kPairLeft, 1560, kPairWidth, kLabelHeight);
  c.Label12 =
      f.label(panel, ControlName("Label12"), QString(), kPairLeft, 1800, kPairWidth, kLabelHeight);
  c.Label5.add(
      30, f.label(panel, ControlName("Label5", 30), QString(), 5500, 1320, 1800, kLabelHeight));

  constexpr int kButtonTop = 2070;
  constexpr int kButtonWidth = 2100;
  constexpr int kButtonHeight = 345;
  c.Command16 = f.button(panel, ControlName("Command16"), QStringLiteral("两两比较LSD-t检验"), 1200,
                         kButtonTop, kButtonWidth, kButtonHeight);
  c.Command15 = f.button(panel, ControlName("Command15"), QStringLiteral("两两比较q检验"), 3600,
                         kButtonTop, kButtonWidth, kButtonHeight);
}

}  // namespace kelvasta
