#pragma once

#include <QApplication>
#include <QScrollArea>

namespace kelvasta {

// Holds the form at its own size and scrolls it when the window is smaller.
// Its size hint is the whole form, so the window opens showing all of it
// (QScrollArea's own hint stops at a few hundred pixels).
class FormScrollArea final : public QScrollArea {
 public:
  explicit FormScrollArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A cell reached by Enter or the arrows scrolls into sight, as Tab does.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
      if (now != nullptr && widget() != nullptr && widget()->isAncestorOf(now)) ensureWidgetVisible(now);
    });
  }

  QSize sizeHint() const override {
    return widget() != nullptr ? widget()->size() : QScrollArea::sizeHint();
  }
};

}  // namespace kelvasta
