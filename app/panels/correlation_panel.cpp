// Result panel of the linear correlation and regression (Picture4(6)): n, r
// and its t statistic, the t critical values, the verdict and the regression
// equation, with two hidden labels holding the coefficient texts.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>

namespace kelvasta {

void BuildCorrelationPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using namespace panels;
  constexpr int kCaptionLeft = 120;
  constexpr int kCaptionWidth = 1800;
  constexpr int kValueLeft = 1980;
  constexpr int kValueWidth = 1400;

  const auto symbolAt = [&](int index, const QString& html, int left, int top, int width) {
    c.Label6.add(index, f.symbol(panel, ControlName("Label6", index), html, left, top, width,
                                 kSymbolHeight));
  };
  const auto valueAt = [&](ControlArray<QLabel>& array, const char* name, int index, int left,
                           int top, int width) {
    array.add(index,
              f.label(panel, ControlName(name, index), QString(), left, top, width, kSymbolHeight));
  };

  constexpr int kCountTop = 60;
  c.Label13.add(11, f.label(panel, ControlName("Label13", 11), QStringLiteral("例数(N)="),
                            kCaptionLeft, kCountTop, kCaptionWidth, kSymbolHeight, kCaptionAlign));
  valueAt(c.Label13, "Label13", 6, kValueLeft, kCountTop, kValueWidth);

  // r on the left, its t statistic on the right.
  constexpr int kRTop = 360;
  int symbol = kCorrelationSymbols;
  symbolAt(symbol++, PlainSymbol(QStringLiteral("r")), kCaptionLeft, kRTop, kCaptionWidth);
  valueAt(c.Label13, "Label13", 7, kValueLeft, kRTop, kValueWidth);
  symbolAt(symbol++, QStringLiteral("<i>t</i><sub>r</sub>="), 3720, kRTop, 900);
  valueAt(c.Label13, "Label13", 12, 4620, kRTop, kValueWidth);

  // Critical values at 0.05, 0.01 and 0.001, side by side.
  constexpr int kCriticalTop = 720;
  symbolAt(symbol++, TSymbol(QStringLiteral("r 0.05")), kCaptionLeft, kCriticalTop, 900);
  valueAt(c.Label5, "Label5", 13, 1020, kCriticalTop, 1100);
  symbolAt(symbol++, TSymbol(QStringLiteral("r 0.01")), 2400, kCriticalTop, 900);
  valueAt(c.Label5, "Label5", 14, 3300, kCriticalTop, 1100);
  symbolAt(symbol, TSymbol(QStringLiteral("r 0.001")), 4680, kCriticalTop, 1000);
  valueAt(c.Label5, "Label5", 15, 5680, kCriticalTop, 1100);

  constexpr int kVerdictTop = 1140;
  c.Label5.add(12, f.label(panel, ControlName("Label5", 12), QStringLiteral("结果判断："),
                           kCaptionLeft, kVerdictTop, kCaptionWidth, kLabelHeight, kCaptionAlign));
  c.Label5.add(16, f.label(panel, ControlName("Label5", 16), QString(), kValueLeft, kVerdictTop,
                           3600, kLabelHeight));
  c.Label107.add(2, f.label(panel, ControlName("Label107", 2), QString(), 5700, kVerdictTop, 1500,
                            kLabelHeight));

  constexpr int kEquationTop = 1500;
  c.Label13.add(
      13, f.label(panel, ControlName("Label13", 13), QStringLiteral("回归方程："), kCaptionLeft,
                  kEquationTop, kCaptionWidth, kLabelHeight, kCaptionAlign));
  c.Label5.add(17, f.label(panel, ControlName("Label5", 17), QString(), kValueLeft, kEquationTop,
                           5300, kLabelHeight));

  // Slope and intercept texts from which the equation is built; never shown.
  c.Label7 =
      f.label(panel, ControlName("Label7"), QString(), kCaptionLeft, 1920, 1500, kLabelHeight);
  c.Label7->setVisible(false);
  c.Label8 = f.label(panel, ControlName("Label8"), QString(), 3720, 1920, 1500, kLabelHeight);
  c.Label8->setVisible(false);
}

}  // namespace kelvasta
