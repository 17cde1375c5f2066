#pragma once

#include <QJsonObject>

namespace kelvasta {

class MainWindow;
class RecordingDesktop;

// The state of the window as the automation script's `dump` prints it, with
// every named control. Takes the messages and addresses recorded since the
// previous dump.
QJsonObject DumpWindow(const MainWindow& window, RecordingDesktop& desktop);

}  // namespace kelvasta
