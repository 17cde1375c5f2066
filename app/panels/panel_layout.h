#pragma once

// Shared pieces of the panel builders: alignments, the entry-cell tip, the
// rich-text statistic symbols and the index blocks of the symbol array Label6.

#include <QString>
#include <Qt>

namespace kelvasta::panels {

// Captions standing before a value are right-aligned so that they end next to
// it.
inline constexpr Qt::Alignment kCaptionAlign = Qt::AlignRight | Qt::AlignVCenter;

// Common heights, in twips.
inline constexpr int kLabelHeight = 240;    // one line of 9-point text
inline constexpr int kSymbolHeight = 285;   // a symbol with a sub- or superscript
inline constexpr int kGridRowHeight = 285;  // cells and labels of the count grids

// Tip of every entry cell of the value lists.
inline QString EntryTip() { return QStringLiteral("按回车键或“↓”键输入下一个数据"); }

// Statistic symbols as rich text, each ending in "=".
inline QString ChiSquareSymbol() { return QStringLiteral("<i>χ</i><sup>2</sup>="); }
inline QString ChiSquareSymbol(const QString& level) {
  return QStringLiteral("<i>χ</i><sup>2</sup><sub>%1</sub>=").arg(level);
}
inline QString TSymbol(const QString& subscript) {
  return QStringLiteral("<i>t</i><sub>%1</sub>=").arg(subscript);
}
inline QString FSymbol(const QString& level) {
  return QStringLiteral("<i>F</i><sub>%1</sub>=").arg(level);
}
inline QString PlainSymbol(const QString& letter) {
  return QStringLiteral("<i>%1</i>=").arg(letter);
}

// Label6 holds every statistic symbol of the result panels. Each panel owns a
// fixed block of indexes, so the builders may run in any order.
inline constexpr int kSummaryTSymbols = 0;      // 0..2:   t0.05, t0.01, t0.001
inline constexpr int kPairedTSymbols = 3;       // 3..5:   t0.05, t0.01, t0.001
inline constexpr int kAnovaSymbols = 6;         // 6..7:   F0.05, F0.01
inline constexpr int kFourfoldSymbols = 8;      // 8..10:  χ², χ²0.05, χ²0.01
inline constexpr int kPairedChiSymbols = 11;    // 11..13: χ², χ²0.05, χ²0.01
inline constexpr int kRxcSymbols = 14;          // 14..16: χ², χ²0.05, χ²0.01
inline constexpr int kCorrelationSymbols = 17;  // 17..21: r, tr, tr0.05, tr0.01, tr0.001
inline constexpr int kOrdinalSymbols = 22;      // 22..23: z (rank sum), z (Ridit)

}  // namespace kelvasta::panels
