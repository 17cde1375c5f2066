// Result panel of the ordinal data (Picture4(7)): the rank-sum test on the
// left half, the Ridit analysis on the right half.

#include "app/control_factory.h"
#include "app/controls.h"
#include "app/panels/panel_layout.h"
#include "app/panels/panels.h"

#include <QLabel>

namespace kelvasta {

void BuildOrdinalResultPanel(QWidget* panel, Controls& c, ControlFactory& f) {
  using namespace panels;
  constexpr int kHeadingTop = 120;
  constexpr int kStatisticTop = 480;
  constexpr int kVerdictTop = 840;
  constexpr int kNoteTop = 1320;
  constexpr int kCaptionWidth = 1200;
  constexpr int kValueWidth = 2000;
  constexpr int kHalfWidth = 3400;

  // One half of the panel: heading, z statistic and verdict.
  struct Half {
    int left;
    int heading;
    const char16_t* headingText;
    int statistic;
    int verdictCaption;
    int verdict;
    int note;
  };
  constexpr Half kHalves[2] = {
      {240, 0, u"秩和检验", 9, 40, 44, 10},
      {3840, 1, u"Ridit分析", 10, 41, 43, 13},
  };

  int symbol = kOrdinalSymbols;
  for (const Half& half : kHalves) {
    const int valueLeft = half.left + kCaptionWidth;
    c.Label23.add(half.heading, f.label(panel, ControlName("Label23", half.heading),
                                        QString::fromUtf16(half.headingText), half.left,
                                        kHeadingTop, kHalfWidth, kLabelHeight));
    c.Label6.add(symbol,
                 f.symbol(panel, ControlName("Label6", symbol), PlainSymbol(QStringLiteral("z")),
                          half.left, kStatisticTop, kCaptionWidth, kSymbolHeight));
    ++symbol;
    c.Label20.add(half.statistic, f.label(panel, ControlName("Label20", half.statistic), QString(),
                                          valueLeft, kStatisticTop, kValueWidth, kSymbolHeight));
    c.Label5.add(half.verdictCaption, f.label(panel, ControlName("Label5", half.verdictCaption),
                                              QStringLiteral("结果判断："), half.left, kVerdictTop,
                                              kCaptionWidth, kLabelHeight, kCaptionAlign));
    c.Label5.add(half.verdict, f.label(panel, ControlName("Label5", half.verdict), QString(),
                                       valueLeft, kVerdictTop, kValueWidth, kLabelHeight));
  }
  for (const Half& half : kHalves) {
    c.Label107.add(half.note, f.label(panel, ControlName("Label107", half.note), QString(),
                                      half.left, kNoteTop, kHalfWidth, kLabelHeight));
  }
}

}  // namespace kelvasta
