#pragma once

#include "app/control_factory.h"

#include <QWidget>

namespace kelvasta {

class ClickLabel;
class Desktop;

// The version-information window: product and version, the home-page address
// (a click opens it), the contact lines and a button that closes it, as
// Escape does. Created once, non-modal; closing only hides it.
class AboutWindow : public QWidget {
  Q_OBJECT

 public:
  AboutWindow(Desktop& desktop, QWidget* owner);

  // Centres the window on the screen and shows the home-page address.
  void Load();
  const std::vector<QWidget*>& namedControls() const { return factory_.controls(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  Desktop& desktop_;
  ControlFactory factory_;
  ClickLabel* label7_ = nullptr;
  QPushButton* close_ = nullptr;
};

}  // namespace kelvasta
