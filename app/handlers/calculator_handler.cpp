#include "app/controls.h"
#include "app/handlers/handlers.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace kelvasta {

namespace {

// Every key hands the display to the calculator, works it and shows its
// display again.
template <class Key>
void Press(const Controls& c, Calculator& calculator, Key key) {
  calculator.setDisplay(c.Text5->text().toStdString());
  key(calculator);
  c.Text5->setText(QString::fromStdString(calculator.display()));
}

// The keyboard drives the calculator while its display or one of its keys
// has the focus: each key press clicks the key it stands for, so it does
// exactly what that key does. Shortcuts with Ctrl or Alt (copying the
// display) pass through.
class CalculatorKeyboard : public QObject {
 public:
  CalculatorKeyboard(const Controls& c, Calculator& calc, QObject* parent)
      : QObject(parent), c_(c), calc_(calc) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (key->key() == Qt::Key_Backspace) {
      Press(c_, calc_, [](Calculator& k) { k.pressBackspace(); });
      return true;
    }
    QPushButton* target = KeyFor(key->key(), key->text());
    if (target == nullptr) return false;
    target->click();
    return true;
  }

 private:
  QPushButton* KeyFor(int code, const QString& text) const {
    switch (code) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        return c_.Command4;
      case Qt::Key_Escape:
        return c_.Command21;
      case Qt::Key_Delete:
        return c_.Command22;
      default:
        break;
    }
    if (text.size() != 1) return nullptr;
    const QChar ch = text.at(0);
    for (const auto& [index, digit] : c_.Command2)
      if (digit->text() == text) return digit;
    if (ch == u'=') return c_.Command4;
    if (ch == u'+') return c_.Command7;
    if (ch == u'-' || ch == u'\u2212') return c_.Command8;
    if (ch == u'*' || ch == u'\u00d7') return c_.Command6;
    if (ch == u'/' || ch == u'\u00f7') return c_.Command5;
    return nullptr;
  }

  const Controls& c_;
  Calculator& calc_;
};

}  // namespace

void WireCalculator(const Controls& c, Storage& s, QObject* context) {
  Calculator& calc = s.calculator;
  for (const auto& [index, key] : c.Command2) {
    const char digit = key->text().toLatin1().at(0);
    QObject::connect(key, &QPushButton::clicked, context,
                     [&c, &calc, digit] { Press(c, calc, [digit](Calculator& k) { k.pressDigit(digit); }); });
  }
  const std::pair<QPushButton*, CalcOperator> operators[] = {{c.Command5, CalcOperator::Divide},
                                                             {c.Command6, CalcOperator::Multiply},
                                                             {c.Command7, CalcOperator::Add},
                                                             {c.Command8, CalcOperator::Subtract}};
  for (const auto& [key, op] : operators) {
    const CalcOperator pressed = op;
    QObject::connect(key, &QPushButton::clicked, context,
                     [&c, &calc, pressed] { Press(c, calc, [pressed](Calculator& k) { k.pressOperator(pressed); }); });
  }
  QObject::connect(c.Command4, &QPushButton::clicked, context,
                   [&c, &calc] { Press(c, calc, [](Calculator& k) { k.pressEquals(); }); });
  for (QPushButton* clear : {c.Command21, c.Command22})
    QObject::connect(clear, &QPushButton::clicked, context,
                     [&c, &calc] { Press(c, calc, [](Calculator& k) { k.pressClear(); }); });

  // The display only shows the working number; it can be selected and copied.
  c.Text5->setReadOnly(true);
  auto* keyboard = new CalculatorKeyboard(c, calc, context);
  c.Text5->installEventFilter(keyboard);
  for (QPushButton* key : c.Frame4->findChildren<QPushButton*>()) key->installEventFilter(keyboard);
}

}  // namespace kelvasta
