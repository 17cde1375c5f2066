#include "app/about_window.h"
#include "app/click_label.h"
#include "app/desktop.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/web_addresses.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>

namespace kelvasta {

void MainWindow::wireToolStrip() {
  setWindowIcon(QIcon(QStringLiteral(":/icons/kelvasta.svg")));
  paintToolIcons();
  for (const auto& [item, area] : c_.Label28) {
    const int i = item;
    connect(area, &ClickLabel::pressed, this, [this, i] { setPressedLook(i, true); });
    // The release belongs to the item that took the press, even after the
    // pointer was dragged off it.
    connect(area, &ClickLabel::released, this, [this, i] {
      setPressedLook(i, false);
      switch (i) {
        case 0: ImportFromSpreadsheet(); break;
        case 1: ExportToSpreadsheet(); break;
        case 3: OpenTutorial(); break;
        case 4: ensureAboutWindow(); OpenHelp(); break;
        default: break;
      }
    });
  }
}

void MainWindow::setPressedLook(int item, bool pressed) {
  QWidget* picture = c_.Picture14(item);
  picture->setAttribute(Qt::WA_StyledBackground, true);
  picture->setStyleSheet(pressed ? QStringLiteral("background: palette(button); border: 1px inset palette(dark);")
                                 : QStringLiteral("background: palette(button); border: none;"));
}

AboutWindow& MainWindow::ensureAboutWindow() {
  if (about_ == nullptr) {
    about_ = new AboutWindow(desktop_, this);
    about_->Load();
  }
  return *about_;
}

void MainWindow::ShowAboutWindow() {
  AboutWindow& about = ensureAboutWindow();
  about.show();
  // Without a screen there is no stacking order to change.
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) about.raise();
  about.activateWindow();
}

void MainWindow::OpenHomePage() { desktop_.openUrl(QString::fromLatin1(kHomePageAddress)); }

HelpWindow& MainWindow::ensureHelpWindow() {
  if (help_ == nullptr) {
    help_ = new HelpWindow(desktop_, this);
    help_->Load();
  }
  return *help_;
}

// The help and the tutorial open in the program's own help window.
void MainWindow::OpenTutorial() { ensureHelpWindow().showPage(HelpWindow::Page::Tutorial); }

void MainWindow::OpenHelp() { ensureHelpWindow().showPage(HelpWindow::Page::Help); }

}  // namespace kelvasta
