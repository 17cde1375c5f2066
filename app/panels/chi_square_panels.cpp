// Result panels of the chi-square tests: the fourfold table (Picture4(3)), the
// paired table (Picture4(4)) and the R x C table of several rates
// (Picture4(5)).

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>

namespace kelvasta {

namespace {

using panels::kCaptionAlign;
using panels::kLabelHeight;
using panels::kSymbolHeight;

// Left column shared by the three panels: captions end at 1920, values start
// at 1980.
constexpr int kCaptionLeft = 120;
constexpr int kCaptionWidth = 1800;
constexpr int kValueLeft = 1980;
constexpr int kValueWidth = 1400;

// The right half of a critical-value row.
constexpr int kRightSymbolLeft = 3720;
constexpr int kRightSymbolWidth = 900;
constexpr int kRightValueLeft = 4620;
constexpr int kCriticalWidth = 1000;

// Verdict line: the fixed caption, then the verdict or warning.
constexpr int kVerdictWidth = 5200;

QLabel* Caption(ControlFactory& f, QWidget* panel, const char* name, int index,
                const QString& caption, int top) {
  return f.label(panel, ControlName(name, index), caption, kCaptionLeft, top, kCaptionWidth,
                 kSymbolHeight, kCaptionAlign);
}

QLabel* Symbol(Controls& c, ControlFactory& f, QWidget* panel, int index, const QString& html,
               int left, int top, int width) {
  QLabel* symbol =
      f.symbol(panel, ControlName("Label6", index), html, left, top, width, kSymbolHeight);
  c.Label6.add(index, symbol);
  return symbol;
}

QLabel* Value(ControlFactory& f, QWidget* panel, const char* name, int index,
              const QString& caption, int left, int top, int width) {
  return f.label(panel, ControlName(name, index), caption, left, top, width, kSymbolHeight);
}

}  // namespace

void BuildFourfoldPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using panels::ChiSquareSymbol;

  // Theoretical frequencies of a to d, then n.
  struct Row {
    int caption;
    int value;
    int top;
    const char16_t* text;
  };
  constexpr Row kRows[5] = {
      {1, 1, 120, u"a 的理论数(T)="}, {2, 2, 420, u"b 的理论数(T)="},
      {3, 3, 720, u"c 的理论数(T)="}, {4, 4, 1020, u"d 的理论数(T)="},
      {6, 5, 1320, u"例数(n)="},
  };
  for (const Row& row : kRows) {
    c.Label19.add(row.caption,
                  Caption(f, panel, "Label19", row.caption, QString::fromUtf16(row.text), row.top));
    c.Label20.add(row.value, Value(f, panel, "Label20", row.value, QString(), kValueLeft, row.top,
                                   kValueWidth));
  }

  constexpr int kSymbolLeft = 3600;
  constexpr int kSymbolWidth = 900;
  constexpr int kStatisticLeft = 4500;
  constexpr int kStatisticWidth = 1500;
  int symbol = panels::kFourfoldSymbols;
  Symbol(c, f, panel, symbol++, ChiSquareSymbol(), kSymbolLeft, 120, kSymbolWidth);
  c.Label20.add(6, Value(f, panel, "Label20", 6, QString(), kStatisticLeft, 120, kStatisticWidth));
  Symbol(c, f, panel, symbol++, ChiSquareSymbol(QStringLiteral("0.05")), kSymbolLeft, 420,
         kSymbolWidth);
  c.Label5.add(20, Value(f, panel, "Label5", 20, QStringLiteral("3.84"), kStatisticLeft, 420,
                         kStatisticWidth));
  Symbol(c, f, panel, symbol, ChiSquareSymbol(QStringLiteral("0.01")), kSymbolLeft, 720,
         kSymbolWidth);
  c.Label5.add(19, Value(f, panel, "Label5", 19, QStringLiteral("6.63"), kStatisticLeft, 720,
                         kStatisticWidth));

  constexpr int kVerdictTop = 1740;
  c.Label5.add(22, f.label(panel, ControlName("Label5", 22), QStringLiteral("结果判断："), 120,
                           kVerdictTop, 1300, kLabelHeight, kCaptionAlign));
  c.Label5.add(21, f.label(panel, ControlName("Label5", 21), QString(), 1440, kVerdictTop, 5800,
                           kLabelHeight));
}

void BuildPairedChiSquarePanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using panels::ChiSquareSymbol;

  c.Label19.add(0, Caption(f, panel, "Label19", 0, QStringLiteral("例数(n)="), 240));
  c.Label20.add(8, Value(f, panel, "Label20", 8, QString(), kValueLeft, 240, kValueWidth));

  int symbol = panels::kPairedChiSymbols;
  Symbol(c, f, panel, symbol++, ChiSquareSymbol(), kCaptionLeft, 600, kCaptionWidth);
  c.Label20.add(7, Value(f, panel, "Label20", 7, QString(), kValueLeft, 600, kValueWidth));

  constexpr int kCriticalTop = 960;
  Symbol(c, f, panel, symbol++, ChiSquareSymbol(QStringLiteral("0.05")), kCaptionLeft, kCriticalTop,
         kCaptionWidth);
  c.Label5.add(24, Value(f, panel, "Label5", 24, QStringLiteral("3.84"), kValueLeft, kCriticalTop,
                         kCriticalWidth));
  Symbol(c, f, panel, symbol, ChiSquareSymbol(QStringLiteral("0.01")), kRightSymbolLeft,
         kCriticalTop, kRightSymbolWidth);
  c.Label5.add(25, Value(f, panel, "Label5", 25, QStringLiteral("6.63"), kRightValueLeft,
                         kCriticalTop, kCriticalWidth));

  constexpr int kVerdictTop = 1500;
  c.Label5.add(18, f.label(panel, ControlName("Label5", 18), QStringLiteral("结果判断："),
                           kCaptionLeft, kVerdictTop, kCaptionWidth, kLabelHeight, kCaptionAlign));
  c.Label5.add(23, f.label(panel, ControlName("Label5", 23), QString(), kValueLeft, kVerdictTop,
                           kVerdictWidth, kLabelHeight));
}

void BuildRxcResultPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using panels::ChiSquareSymbol;

  c.Label19.add(10, Caption(f, panel, "Label19", 10, QStringLiteral("例数(n)="), 120));
  c.Label20.add(12, Value(f, panel, "Label20", 12, QString(), kValueLeft, 120, kValueWidth));

  int symbol = panels::kRxcSymbols;
  Symbol(c, f, panel, symbol++, ChiSquareSymbol(), kCaptionLeft, 420, kCaptionWidth);
  c.Label20.add(13, Value(f, panel, "Label20", 13, QString(), kValueLeft, 420, kValueWidth));

  // The critical values start at those of 2 degrees of freedom; the test
  // rewrites them for the table's own degrees of freedom.
  constexpr int kCriticalTop = 720;
  Symbol(c, f, panel, symbol++, ChiSquareSymbol(QStringLiteral("0.05")), kCaptionLeft, kCriticalTop,
         kCaptionWidth);
  c.Label5.add(37, Value(f, panel, "Label5", 37, QStringLiteral("5.99"), kValueLeft, kCriticalTop,
                         kCriticalWidth));
  Symbol(c, f, panel, symbol, ChiSquareSymbol(QStringLiteral("0.01")), kRightSymbolLeft,
         kCriticalTop, kRightSymbolWidth);
  c.Label5.add(36, Value(f, panel, "Label5", 36, QStringLiteral("9.21"), kRightValueLeft,
                         kCriticalTop, kCriticalWidth));

  constexpr int kVerdictTop = 1140;
  c.Label5.add(39, f.label(panel, ControlName("Label5", 39), QStringLiteral("结果判断："),
                           kCaptionLeft, kVerdictTop, kCaptionWidth, kLabelHeight, kCaptionAlign));
  c.Label5.add(35, f.label(panel, ControlName("Label5", 35), QString(), kValueLeft, kVerdictTop,
                           kVerdictWidth, kLabelHeight));

  QLabel* warning = f.label(panel, ControlName("Label22"),
                            QStringLiteral("提示：某行列中的理论数太小，不宜应用本法！"),
                            kCaptionLeft, 1560, 7000, kLabelHeight);
  warning->setStyleSheet(QStringLiteral("color: red;"));
  warning->setVisible(false);
  c.Label22 = warning;

  // Store of the twelve theoretical frequencies, never shown.
  for (int k = 0; k < 12; ++k) {
    QLabel* store = f.label(panel, ControlName("Label21", k), QStringLiteral("Label21"), 6000,
                            60 + 180 * k, 1200, 180);
    store->setVisible(false);
    c.Label21.add(k, store);
  }
}

}  // namespace kelvasta
