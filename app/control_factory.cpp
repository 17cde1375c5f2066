#include "app/control_factory.h"

#include "app/click_label.h"
#include "app/twips.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVariant>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>

namespace kelvasta {

namespace {

// Draws a selectable plain caption exactly as a label that takes no mouse
// draws it, with the selection on top. Qt lays selectable text out as a
// document, which sits a pixel higher than the captions always have; the
// label's own text handling still does the selecting and copying.
class CaptionPainter final : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* label = static_cast<QLabel*>(watched);
    if (event->type() != QEvent::Paint || !drawnAsLine(*label)) return false;
    QPainter painter(label);
    QStyleOption option;
    option.initFrom(label);
    const QRect area = label->contentsRect();
    const int flags = int(label->alignment()) | Qt::TextForceLeftToRight;
    QStyle* style = label->style();
    style->drawItemText(&painter, area, flags, option.palette, label->isEnabled(), label->text(),
                        label->foregroundRole());
    if (label->hasSelectedText()) {
      const QFontMetrics metrics = label->fontMetrics();
      const QRect line = metrics.boundingRect(area, flags, label->text());
      const int start = label->selectionStart();
      const QRect selected(line.left() + metrics.horizontalAdvance(label->text().left(start)), line.top(),
                           metrics.horizontalAdvance(label->selectedText()), line.height());
      const QPalette::ColorGroup group = label->hasFocus() ? QPalette::Active : QPalette::Inactive;
      painter.fillRect(selected, option.palette.brush(group, QPalette::Highlight));
      painter.setClipRect(selected);
      QPalette highlighted = option.palette;
      highlighted.setBrush(QPalette::WindowText, option.palette.brush(group, QPalette::HighlightedText));
      style->drawItemText(&painter, area, flags, highlighted, label->isEnabled(), label->text(),
                          QPalette::WindowText);
    }
    return true;
  }

 private:
  // One line of plain text in a frameless label; anything else keeps Qt's drawing.
  static bool drawnAsLine(const QLabel& label) {
    return label.textFormat() == Qt::PlainText && label.frameShape() == QFrame::NoFrame && !label.wordWrap() &&
           label.margin() == 0 && label.pixmap().isNull() && !label.text().isEmpty() &&
           !label.text().contains(QLatin1Char('\n'));
  }
};

}  // namespace

QString ControlName(const char* name, int index) {
  const QString base = QString::fromLatin1(name);
  return index < 0 ? base : QStringLiteral("%1(%2)").arg(base).arg(index);
}

namespace {
constexpr char kTwipsProperty[] = "kelvastaTwips";
}  // namespace

QRect FormTwips(const QWidget* control) { return control->property(kTwipsProperty).toRect(); }

void ControlFactory::place(QWidget* widget, const QString& name, int left, int top, int width,
                           int height) {
  widget->setObjectName(name);
  widget->setProperty(kTwipsProperty, QRect(left, top, width, height));
  widget->setGeometry(TwipsRect(left, top, width, height));
  controls_.push_back(widget);
}

QLabel* ControlFactory::label(QWidget* parent, const QString& name, const QString& caption,
                              int left, int top, int width, int height, Qt::Alignment align) {
  return label(new QLabel(parent), name, caption, left, top, width, height, align);
}

QLabel* ControlFactory::label(QLabel* label, const QString& name, const QString& caption, int left,
                              int top, int width, int height, Qt::Alignment align) {
  label->setTextFormat(Qt::PlainText);
  label->setText(caption);
  label->setAlignment(align);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->installEventFilter(new CaptionPainter(label));
  place(label, name, left, top, width, height);
  return label;
}

QLabel* ControlFactory::symbol(QWidget* parent, const QString& name, const QString& html,
                               int left, int top, int width, int height) {
  auto* label = new QLabel(html, parent);
  label->setTextFormat(Qt::RichText);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->installEventFilter(new CaptionPainter(label));
  place(label, name, left, top, width, height);
  return label;
}

ClickLabel* ControlFactory::clickLabel(QWidget* parent, const QString& name, int left, int top,
                                       int width, int height) {
  auto* label = new ClickLabel(parent);
  label->setTextFormat(Qt::PlainText);
  place(label, name, left, top, width, height);
  return label;
}

QLineEdit* ControlFactory::cell(QWidget* parent, const QString& name, int left, int top, int width,
                                int height, Qt::Alignment align) {
  auto* cell = new QLineEdit(parent);
  cell->setAlignment(align);
  cell->setTextMargins(0, 0, 0, 0);
  place(cell, name, left, top, width, height);
  return cell;
}

QPushButton* ControlFactory::button(QWidget* parent, const QString& name, const QString& caption,
                                    int left, int top, int width, int height) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  place(button, name, left, top, width, height);
  return button;
}

QScrollBar* ControlFactory::scrollBar(QWidget* parent, const QString& name, int left, int top,
                                      int width, int height) {
  auto* bar = new QScrollBar(Qt::Vertical, parent);
  place(bar, name, left, top, width, height);
  return bar;
}

QWidget* ControlFactory::panel(QWidget* parent, const QString& name, int left, int top, int width,
                               int height) {
  auto* panel = new QWidget(parent);
  place(panel, name, left, top, width, height);
  return panel;
}

QFrame* ControlFactory::frame(QWidget* parent, const QString& name, int left, int top, int width,
                              int height) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::StyledPanel);
  place(frame, name, left, top, width, height);
  return frame;
}

QGroupBox* ControlFactory::groupBox(QWidget* parent, const QString& name, const QString& caption,
                                    int left, int top, int width, int height) {
  auto* box = new QGroupBox(caption, parent);
  place(box, name, left, top, width, height);
  return box;
}

}  // namespace kelvasta
