#pragma once

#include <QRect>
#include <QString>
#include <Qt>

#include <vector>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QWidget;

namespace kelvasta {

class ClickLabel;

// The objectName of a control: its form name, with the index in parentheses
// for an element of a control array ("Text11(0)").
QString ControlName(const char* name, int index = -1);

// Where the factory placed `control`, in twips within its parent; an empty
// rectangle for a widget the factory did not make. Zooming re-places every
// control from it.
QRect FormTwips(const QWidget* control);

// Creates the window's controls at their twip positions and remembers every
// one of them, in creation order, for look-up by name.
class ControlFactory {
 public:
  // Captions and results can be selected with the mouse and copied; the
  // clickable labels below cannot.
  QLabel* label(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                int width, int height, Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter);
  // The same for a label made by the caller, a subclass with its own drawing.
  QLabel* label(QLabel* label, const QString& name, const QString& caption, int left, int top,
                int width, int height, Qt::Alignment align);
  // A label drawn from rich text, for statistic symbols with sub- and
  // superscripts such as "<i>χ</i><sup>2</sup><sub>0.05</sub>=".
  QLabel* symbol(QWidget* parent, const QString& name, const QString& html, int left, int top,
                 int width, int height);
  ClickLabel* clickLabel(QWidget* parent, const QString& name, int left, int top, int width,
                         int height);
  QLineEdit* cell(QWidget* parent, const QString& name, int left, int top, int width, int height,
                  Qt::Alignment align = Qt::AlignCenter);
  QPushButton* button(QWidget* parent, const QString& name, const QString& caption, int left,
                      int top, int width, int height);
  QScrollBar* scrollBar(QWidget* parent, const QString& name, int left, int top, int width,
                        int height);
  QWidget* panel(QWidget* parent, const QString& name, int left, int top, int width, int height);
  QFrame* frame(QWidget* parent, const QString& name, int left, int top, int width, int height);
  QGroupBox* groupBox(QWidget* parent, const QString& name, const QString& caption, int left,
                      int top, int width, int height);

  const std::vector<QWidget*>& controls() const { return controls_; }

 private:
  void place(QWidget* widget, const QString& name, int left, int top, int width, int height);
  std::vector<QWidget*> controls_;
};

}  // namespace kelvasta
