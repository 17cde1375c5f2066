#pragma once

#include <QLabel>

namespace kelvasta {

// A label that takes the mouse: pressed on button down, released on button
// up (delivered to the label that got the press, even when the pointer left
// it), clicked after a release over the label.
class ClickLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

 signals:
  void pressed();
  void released();
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace kelvasta
