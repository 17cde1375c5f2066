#pragma once

#include <QSettings>

namespace kelvasta {

// What the program keeps between runs (never in script mode): the details
// pane, the recent imports, the zoom and the window's place.
inline QSettings KeptSettings() { return QSettings(QStringLiteral("Kelvasta"), QStringLiteral("Kelvasta")); }

}  // namespace kelvasta
