#pragma once

#include "app/control_array.h"

#include <QLabel>
#include <QLineEdit>
#include <QString>

#include <array>
#include <string>
#include <string_view>

namespace kelvasta {

// Texts cross between the widgets (QString) and the computations (UTF-8).
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string CellText(const QLineEdit* cell) { return cell->text().toStdString(); }

// The texts of cells 0 to N - 1 of a control array, in index order.
template <std::size_t N>
std::array<std::string, N> CellTexts(const ControlArray<QLineEdit>& cells) {
  std::array<std::string, N> texts;
  for (std::size_t i = 0; i < N; ++i) texts[i] = CellText(cells(int(i)));
  return texts;
}

inline void SetCaption(QLabel* label, std::string_view text) { label->setText(ToQString(text)); }

inline bool TitleIs(const QLabel* title, std::string_view expected) { return title->text() == ToQString(expected); }

}  // namespace kelvasta
