#pragma once

class QApplication;
class QCoreApplication;
class QTranslator;

namespace kelvasta {

class MainWindow;

// The form's font: "宋体" 9 points, with a CJK font that Debian ships as the
// stand-in where SimSun is not installed; and the style's focus frame drawn
// so that it can be seen (FocusFrameStyle).
void ApplyFormFont(QApplication& app);

// Qt's own texts — the standard dialogs, the message-box buttons, the cells'
// context menus, the command-line usage — in Chinese like the rest of the
// window. Returns the installed translator (owned by `app`), or nullptr when
// Qt's Chinese catalogue (Debian: qt6-translations-l10n) is not installed and
// those texts stay English.
QTranslator* LoadQtTranslations(QCoreApplication& app);

// Loads the window, shows it non-modally, puts the focus into the first cell
// of test 0 and lets pending window events run. `placeOnScreen`: the zoom
// and place kept from the last run, or the zoom that fits the screen.
void StartUp(MainWindow& window, bool placeOnScreen = false);

}  // namespace kelvasta
