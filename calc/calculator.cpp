#include "calc/calculator.h"

#include <cmath>
#include <optional>
#include <utility>

#include "calc/plain_number.h"
#include "stats/number_text.h"

namespace kelvasta {
namespace {

bool IsDigitKey(char key) { return (key >= '0' && key <= '9') || key == '.'; }

std::optional<double> OperandValue(const std::string& text) {
  if (text.empty()) return 0.0;
  return ReadPlainNumber(text);
}

// nullopt when there is no operator or the arithmetic fails: division by
// zero, or a result beyond the double range.
std::optional<double> Apply(CalcOperator op, double first, double second) {
  double result = 0;
  switch (op) {
    case CalcOperator::None:
      return std::nullopt;
    case CalcOperator::Divide:
      if (second == 0) return std::nullopt;
      result = first / second;
      break;
    case CalcOperator::Multiply:
      result = first * second;
      break;
    case CalcOperator::Add:
      result = first + second;
      break;
    case CalcOperator::Subtract:
      result = first - second;
      break;
  }
  if (!std::isfinite(result)) return std::nullopt;
  return result;
}

// Only the front is repaired (".5" -> "0.5", "-.25" -> "-0.25"); results of
// the text conversion never need it, but a display typed after an operator
// or by hand may.
void AddLeadingZero(std::string& text) {
  if (text.starts_with('.')) {
    text.insert(0, "0");
  } else if (text.starts_with("-.")) {
    text.insert(1, "0");
  }
}

}  // namespace

void Calculator::setDisplay(std::string text) { display_ = std::move(text); }

void Calculator::pressDigit(char key) {
  if (!IsDigitKey(key)) return;
  if (startNew_) {
    display_.clear();
    startNew_ = false;
  }
  display_ += key;
  if (display_.size() >= 2 && display_[0] == '0' && display_[1] != '.') display_.erase(0, 1);
  const std::optional<double> value = ReadPlainNumber(display_);
  if (!value) return;  // "." alone or a second point: the operand is kept
  if (enteringSecond_) {
    secondOperand_ = *value;
  } else {
    firstOperand_ = display_;
  }
}

void Calculator::pressBackspace() {
  if (startNew_) return;
  if (!display_.empty()) display_.pop_back();
  if (display_.empty() || display_ == "-") display_ = "0";
  const std::optional<double> value = ReadPlainNumber(display_);
  if (!value) return;
  if (enteringSecond_) {
    secondOperand_ = *value;
  } else {
    firstOperand_ = display_;
  }
}

void Calculator::pressOperator(CalcOperator op) {
  operator_ = op;
  enteringSecond_ = true;
  startNew_ = true;
  if (secondOperand_ != 0) pressEquals();
}

void Calculator::pressEquals() {
  completeCalculation();
  firstOperand_ = display_;
  secondOperand_ = 0;
  AddLeadingZero(display_);
}

void Calculator::completeCalculation() {
  const std::optional<double> first = OperandValue(firstOperand_);
  if (!first) return;
  if (const std::optional<double> result = Apply(operator_, *first, secondOperand_)) {
    display_ = DoubleToText(*result);
  }
}

void Calculator::pressClear() {
  display_ = "0";
  firstOperand_ = "0";
  secondOperand_ = 0;
  enteringSecond_ = false;
}

}  // namespace kelvasta
