#pragma once

#include "app/control_factory.h"

#include <QWidget>

namespace kelvasta {

class ClickLabel;
class Desktop;

// The version-information window: product and version, the home-page address
// (a click opens it) and the contact lines. Created once, non-modal.
class AboutWindow : public QWidget {
  Q_OBJECT

 public:
  AboutWindow(Desktop& desktop, QWidget* owner);

  // Centres the window on the screen and shows the home-page address.
  void Load();
  const std::vector<QWidget*>& namedControls() const { return factory_.controls(); }

 private:
  Desktop& desktop_;
  ControlFactory factory_;
  ClickLabel* label7_ = nullptr;
};

}  // namespace kelvasta
