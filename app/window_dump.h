#pragma once

#include <QJsonObject>

namespace kelvasta {

class MainWindow;
class RecordingDesktop;

// Every named control of the window (and of the version window, once it
// exists) with its state, keyed by name.
QJsonObject DumpControls(const MainWindow& window);

// The state of the window as the automation script's `dump` prints it, with
// the given controls. Takes the messages and addresses recorded since the
// previous dump.
QJsonObject DumpWindow(const MainWindow& window, RecordingDesktop& desktop, const QJsonObject& controls);

}  // namespace kelvasta
