// Result panel of the two-sample t test (Picture4(0)): the six summary cells
// of the two groups, the three t critical values and the result line.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>
#include <QLineEdit>

namespace kelvasta {

void BuildSummaryTPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using namespace panels;
  constexpr int kCellHeight = 270;
  constexpr int kRowTops[3] = {120, 480, 840};
  constexpr int kCaptionWidth = 1320;
  constexpr int kCellWidth = 1500;
  constexpr int kLeftCaption = 120;
  constexpr int kLeftCell = 1500;
  constexpr int kRightCaption = 3720;
  constexpr int kRightCell = 5100;

  const QString captions[6] = {
      QStringLiteral("均  数(X1)="), QStringLiteral("标准差(S1)="), QStringLiteral("例  数(N1)="),
      QStringLiteral("均  数(X2)="), QStringLiteral("标准差(S2)="), QStringLiteral("例  数(N2)="),
  };

  // Group 1 on the left (cells 0..2), group 2 on the right (cells 3..5).
  for (int i = 0; i < 6; ++i) {
    const bool right = i >= 3;
    const int top = kRowTops[i % 3];
    c.Label4.add(i, f.label(panel, ControlName("Label4", i), captions[i],
                            right ? kRightCaption : kLeftCaption, top, kCaptionWidth, kCellHeight,
                            kCaptionAlign));
    c.Text4.add(i, f.cell(panel, ControlName("Text4", i), right ? kRightCell : kLeftCell, top,
                          kCellWidth, kCellHeight));
  }

  constexpr int kCriticalTop = 1320;
  constexpr int kCriticalWidth = 1100;
  int symbol = kSummaryTSymbols;
  c.Label6.add(symbol,
               f.symbol(panel, ControlName("Label6", symbol), TSymbol(QStringLiteral("0.05")), 120,
                        kCriticalTop, 720, kSymbolHeight));
  ++symbol;
  c.Label5.add(3, f.label(panel, ControlName("Label5", 3), QString(), 840, kCriticalTop,
                          kCriticalWidth, kSymbolHeight));
  c.Label6.add(symbol,
               f.symbol(panel, ControlName("Label6", symbol), TSymbol(QStringLiteral("0.01")), 2400,
                        kCriticalTop, 720, kSymbolHeight));
  ++symbol;
  c.Label5.add(4, f.label(panel, ControlName("Label5", 4), QString(), 3120, kCriticalTop,
                          kCriticalWidth, kSymbolHeight));
  c.Label6.add(
      symbol, f.symbol(panel, ControlName("Label6", symbol), TSymbol(QStringLiteral("0.001")), 4680,
                       kCriticalTop, 780, kSymbolHeight));
  c.Label5.add(5, f.label(panel, ControlName("Label5", 5), QString(), 5460, kCriticalTop,
                          kCriticalWidth, kSymbolHeight));

  constexpr int kResultTop = 1800;
  c.Label5.add(2, f.label(panel, ControlName("Label5", 2), QStringLiteral("结果判断："), 120,
                          kResultTop, 1300, kLabelHeight, kCaptionAlign));
  c.Label5.add(
      6, f.label(panel, ControlName("Label5", 6), QString(), 1440, kResultTop, 4200, kLabelHeight));
  c.Label107.add(1, f.label(panel, ControlName("Label107", 1), QString(), 5700, kResultTop, 1500,
                            kLabelHeight));
}

}  // namespace kelvasta
