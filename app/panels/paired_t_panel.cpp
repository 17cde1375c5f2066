// Result panel of the paired t test (Picture4(1)): number of pairs, mean and
// standard deviation of the differences, t critical values and result line.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>

namespace kelvasta {

void BuildPairedTPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using namespace panels;
  constexpr int kCaptionLeft = 120;
  constexpr int kCaptionWidth = 3000;
  constexpr int kValueLeft = 3180;
  constexpr int kValueWidth = 2000;

  // Caption index, value index and top of each summary row.
  struct Row {
    int caption;
    int value;
    int top;
    const char16_t* text;
  };
  constexpr Row kRows[3] = {
      {0, 5, 120, u"对子数(N)="},
      {1, 4, 420, u"对子差值均数(d)="},
      {2, 3, 720, u"对子差值均数标准差(Sd)="},
  };
  for (const Row& row : kRows) {
    c.Label13.add(row.caption,
                  f.label(panel, ControlName("Label13", row.caption), QString::fromUtf16(row.text),
                          kCaptionLeft, row.top, kCaptionWidth, kLabelHeight, kCaptionAlign));
    c.Label13.add(row.value, f.label(panel, ControlName("Label13", row.value), QString(),
                                     kValueLeft, row.top, kValueWidth, kLabelHeight));
  }

  constexpr int kCriticalTop = 1140;
  constexpr int kCriticalWidth = 1100;
  int symbol = kPairedTSymbols;
  c.Label6.add(symbol,
               f.symbol(panel, ControlName("Label6", symbol), TSymbol(QStringLiteral("0.05")), 120,
                        kCriticalTop, 720, kSymbolHeight));
  ++symbol;
  c.Label5.add(10, f.label(panel, ControlName("Label5", 10), QString(), 840, kCriticalTop,
                           kCriticalWidth, kSymbolHeight));
  c.Label6.add(symbol,
               f.symbol(panel, ControlName("Label6", symbol), TSymbol(QStringLiteral("0.01")), 2400,
                        kCriticalTop, 720, kSymbolHeight));
  ++symbol;
  c.Label5.add(9, f.label(panel, ControlName("Label5", 9), QString(), 3120, kCriticalTop,
                          kCriticalWidth, kSymbolHeight));
  c.Label6.add(
      symbol, f.symbol(panel, ControlName("Label6", symbol), TSymbol(QStringLiteral("0.001")), 4680,
                       kCriticalTop, 780, kSymbolHeight));
  c.Label5.add(8, f.label(panel, ControlName("Label5", 8), QString(), 5460, kCriticalTop,
                          kCriticalWidth, kSymbolHeight));

  constexpr int kResultTop = 1620;
  c.Label5.add(11, f.label(panel, ControlName("Label5", 11), QStringLiteral("结果判断："), 120,
                           kResultTop, 1300, kLabelHeight, kCaptionAlign));
  c.Label5.add(
      7, f.label(panel, ControlName("Label5", 7), QString(), 1440, kResultTop, 4200, kLabelHeight));
  c.Label107.add(0, f.label(panel, ControlName("Label107", 0), QString(), 5700, kResultTop, 1500,
                            kLabelHeight));
}

}  // namespace kelvasta
