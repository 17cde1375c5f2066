#include "app/controls.h"
#include "app/handlers/handlers.h"

#include <QLineEdit>
#include <QPushButton>

namespace kelvasta {

namespace {

// Every key reads the display as it stands (the user may have edited it),
// works the calculator and shows its display again.
template <class Key>
void Press(const Controls& c, Calculator& calculator, Key key) {
  calculator.setDisplay(c.Text5->text().toStdString());
  key(calculator);
  c.Text5->setText(QString::fromStdString(calculator.display()));
}

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
}

}  // namespace kelvasta
