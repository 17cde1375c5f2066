#include "app/control_factory.h"

#include "app/click_label.h"
#include "app/twips.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace kelvasta {

QString ControlName(const char* name, int index) {
  const QString base = QString::fromLatin1(name);
  return index < 0 ? base : QStringLiteral("%1(%2)").arg(base).arg(index);
}

void ControlFactory::place(QWidget* widget, const QString& name, int left, int top, int width,
                           int height) {
  widget->setObjectName(name);
  widget->setGeometry(TwipsRect(left, top, width, height));
  controls_.push_back(widget);
}

QLabel* ControlFactory::label(QWidget* parent, const QString& name, const QString& caption,
                              int left, int top, int width, int height, Qt::Alignment align) {
  auto* label = new QLabel(caption, parent);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(align);
  place(label, name, left, top, width, height);
  return label;
}

QLabel* ControlFactory::symbol(QWidget* parent, const QString& name, const QString& html,
                               int left, int top, int width, int height) {
  auto* label = new QLabel(html, parent);
  label->setTextFormat(Qt::RichText);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
