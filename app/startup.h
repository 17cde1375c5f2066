#pragma once

class QApplication;

namespace kelvasta {

class MainWindow;

// The form's font: "宋体" 9 points, with a CJK font that Debian ships as the
// stand-in where SimSun is not installed.
void ApplyFormFont(QApplication& app);

// Loads the window, shows it non-modally, puts the focus into the first cell
// of test 0 and lets pending window events run.
void StartUp(MainWindow& window);

}  // namespace kelvasta
