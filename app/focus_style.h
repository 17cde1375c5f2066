#pragma once

#include <QProxyStyle>

namespace kelvasta {

// The platform's style with a focus frame that can be seen at a glance: the
// cell or button that has the keyboard focus gets a 2-pixel frame in a
// strong blue, drawn over what the style draws. Unfocused controls look as
// the style makes them.
class FocusFrameStyle final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
};

}  // namespace kelvasta
