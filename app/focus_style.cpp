#include "app/focus_style.h"

#include <QPainter>
#include <QStyleOption>

namespace kelvasta {

namespace {

const QColor kFocusColour(0x00, 0x5F, 0xCC);

void DrawFocusFrame(QPainter* painter, const QRect& rect, int inset) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setPen(QPen(kFocusColour, 2));
  painter->setBrush(Qt::NoBrush);
  // A 2-pixel pen centred on the rectangle inset by one more pixel stays
  // inside `rect`.
  painter->drawRect(rect.adjusted(inset + 1, inset + 1, -inset - 1, -inset - 1));
  painter->restore();
}

}  // namespace

void FocusFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
  // The focus rectangle of buttons is drawn below, whole.
  if (element == PE_FrameFocusRect && qstyleoption_cast<const QStyleOptionButton*>(option) != nullptr) return;
  QProxyStyle::drawPrimitive(element, option, painter, widget);
  if (element == PE_FrameLineEdit && option->state.testFlag(State_HasFocus) &&
      !option->state.testFlag(State_ReadOnly))
    DrawFocusFrame(painter, option->rect, 0);
}

void FocusFrameStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  if (element == CE_PushButton && option->state.testFlag(State_HasFocus)) DrawFocusFrame(painter, option->rect, 1);
}

}  // namespace kelvasta
