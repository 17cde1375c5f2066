#pragma once

#include <string>

namespace kelvasta {

enum class CalcOperator { None = 0, Divide = 1, Multiply = 2, Add = 3, Subtract = 4 };

// The four-function pocket calculator, immediate-execution style, as a pure
// state machine: two operands, a pending operator and the display text, which
// is the working number. No key ever reports an error; a conversion or
// calculation that fails leaves the display and the operand concerned as
// they were.
class Calculator {
 public:
  // The window hands the display's text in before a key and shows display()
  // after it. Handing it in changes no operand: only the next digit key or
  // "=" reads it.
  void setDisplay(std::string text);
  const std::string& display() const { return display_; }  // starts "0"

  // '0'..'9' or '.'; any other character is ignored. Appends to the display
  // (emptied first after an operator key), drops a leading "0" unless a "."
  // follows it, and feeds the strictly converted display to the first
  // operand, or to the second once an operator key was pressed.
  void pressDigit(char key);

  // Removes the last character of the number being typed ("0" when none is
  // left) and feeds it to the operand as a digit key would. Does nothing
  // while the display awaits a new number after an operator key.
  void pressBackspace();

  // Records op, then completes the pending calculation with op when a second
  // operand was entered (2 + 3 × shows 6).
  void pressOperator(CalcOperator op);

  // Shows first op second, takes the display as the new first operand and
  // clears the second. Operator, entering-second and start-new stay.
  void pressEquals();

  // "C" and "CE": display "0", both operands 0, digits feed the first operand
  // again. The pending operator and start-new stay.
  void pressClear();

  CalcOperator pendingOperator() const { return operator_; }
  bool enteringSecond() const { return enteringSecond_; }
  bool startNew() const { return startNew_; }

 private:
  void completeCalculation();

  std::string display_ = "0";
  // Kept as the text it was taken from ("" counts as 0): "=" takes the
  // display as it stands, and a text that is not a number makes the next
  // calculation fail rather than count as some earlier value.
  std::string firstOperand_;
  double secondOperand_ = 0;  // 0 also means that none was entered
  CalcOperator operator_ = CalcOperator::None;
  bool enteringSecond_ = false;
  bool startNew_ = false;
};

}  // namespace kelvasta
