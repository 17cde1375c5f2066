#include "app/click_label.h"

#include <QMouseEvent>

namespace kelvasta {

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  event->accept();
  emit pressed();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  emit released();
  if (rect().contains(event->position().toPoint())) emit clicked();
}

}  // namespace kelvasta
