#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>

#include <string>
#include <string_view>

namespace kelvasta {

// Texts cross between the widgets (QString) and the computations (UTF-8).
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string CellText(const QLineEdit* cell) { return cell->text().toStdString(); }

inline void SetCaption(QLabel* label, std::string_view text) { label->setText(ToQString(text)); }

inline bool TitleIs(const QLabel* title, std::string_view expected) { return title->text() == ToQString(expected); }

}  // namespace kelvasta
