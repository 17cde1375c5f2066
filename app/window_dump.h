#pragma once

#include <QJsonObject>

#include <optional>

namespace kelvasta {

class MainWindow;
class RecordingDesktop;

// Every named control of the window (and of the version window, once it
// exists) with its state, keyed by name.
QJsonObject DumpControls(const MainWindow& window);

// One entry of DumpControls by name, at the cost of that entry alone;
// nullopt for a name the window does not know.
std::optional<QJsonObject> DumpControl(const MainWindow& window, const QString& name);

// A list or store that is never shown (List1 to List8, Text14), or nullopt.
std::optional<QJsonObject> DumpStore(const MainWindow& window, const QString& name);

// The state of the window as the automation script's `dump` prints it, with
// the given controls. Takes the messages and addresses recorded since the
// previous dump.
QJsonObject DumpWindow(const MainWindow& window, RecordingDesktop& desktop, const QJsonObject& controls);

}  // namespace kelvasta
