#include "calc/calculator.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

// Plays a key sequence: digits and "." are digit keys, "/ * + -" the
// operators ÷ × + -, "=" is "=", "C" is C/CE, "<" is Backspace, and
// "[text]" is the display handed in as text.
void Play(Calculator& calc, std::string_view keys) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    switch (const char key = keys[i]) {
      case '[': {
        const std::size_t close = keys.find(']', i);
        ASSERT_NE(close, std::string_view::npos) << "unclosed [ in " << keys;
        calc.setDisplay(std::string(keys.substr(i + 1, close - i - 1)));
        i = close;
        break;
      }
      case '/':
        calc.pressOperator(CalcOperator::Divide);
        break;
      case '*':
        calc.pressOperator(CalcOperator::Multiply);
        break;
      case '+':
        calc.pressOperator(CalcOperator::Add);
        break;
      case '-':
        calc.pressOperator(CalcOperator::Subtract);
        break;
      case '=':
        calc.pressEquals();
        break;
      case 'C':
        calc.pressClear();
        break;
      case '<':
        calc.pressBackspace();
        break;
      default:
        ASSERT_TRUE((key >= '0' && key <= '9') || key == '.') << "unknown key " << key << " in " << keys;
        calc.pressDigit(key);
    }
  }
}

struct DisplayCase {
  const char* name;
  const char* keys;
  const char* display;
  const char* source;
};

void ExpectDisplays(const std::vector<DisplayCase>& cases) {
  ForEachCase(cases, [](const DisplayCase& c) {
    Calculator calc;
    Play(calc, c.keys);
    EXPECT_EQ(calc.display(), c.display) << c.keys;
  });
}

TEST(Calculator, DigitKeysEditTheDisplay) {
  ExpectDisplays({
      {"fresh", "", "0", "initial display"},
      {"leading zero dropped", "07", "7", "07 becomes 7"},
      {"zeros collapse", "00", "0", "00 becomes 0"},
      {"zero point kept", "0.05", "0.05", "0. stays, then digits append"},
      {"point from start", ".5", "0.5", "the initial 0 stays before the point"},
      {"point after operator", "1+.", ".", "start-new empties the display first"},
      {"point digit after operator", "1+.5", ".5", "the zero fix is for = only"},
      {"append to result", "7+5=3", "123", "= does not start a new number"},
  });
}

TEST(Calculator, BackspaceEditsTheNumberBeingTyped) {
  ExpectDisplays({
      {"last digit", "123<", "12", "one character removed"},
      {"first operand follows", "123<+1=", "13", "12 + 1: the operand is the edited display"},
      {"second operand follows", "5+23<=", "7", "5 + 2"},
      {"down to zero", "7<", "0", "nothing left shows 0"},
      {"point removed", "1.<5=", "15", "1. becomes 1, then 15"},
      {"negative result shortened", "1-4=<", "0", "-3 loses its 3; a lone minus shows 0"},
      {"after operator ignored", "12+<", "12", "the display awaits the second number"},
  });
}

TEST(Calculator, EqualsAndOperators) {
  ExpectDisplays({
      {"sum", "7+5=", "12", "7 + 5"},
      {"sum repeated", "7+5==", "12", "12 + 0: the second operand was cleared"},
      {"product", "6*3=", "18", "6 × 3"},
      {"product repeated", "6*3==", "0", "18 × 0"},
      {"divide without divisor", "5/=", "5", "5 ÷ 0 fails, display kept"},
      {"divide by zero", "5/0=", "0", "5 ÷ 0 fails, display kept"},
      {"zero by zero", "0/0=", "0", "0 ÷ 0 fails like any division by zero"},
      {"quarter", "1/4=", "0.25", "1 ÷ 4"},
      {"negative difference", "1-4=", "-3", "1 - 4"},
      {"chained on result", "1-4=/4=", "-0.75", "-3 ÷ 4, leading zero shown"},
      {"third", "1/3=", "0.333333333333333", "15 significant digits"},
      {"tenths", ".1+.2=", "0.3", "0.30000000000000004 to 15 digits"},
      {"result feeds second", "7+5=3=", "135", "12 + 123: after = digits feed the second operand"},
      {"no operator", "5=", "5", "= without operator leaves the display"},
      {"point kept on failure", "5/.=", "0.", "failed ÷ leaves '.', the zero fix still runs"},
      {"completes with new operator", "2+3*", "6", "the operator is recorded before = runs: 2 × 3"},
      {"new operator then more", "2+3*4=", "24", "6 × 4"},
      {"no completion without second", "2+0*", "0", "second operand 0: nothing computed"},
      {"zero second then multiply", "2+0*5=", "10", "× replaced +, 2 × 5"},
      {"operator switch", "7+*2=", "14", "the last operator key counts"},
  });
}

TEST(Calculator, ClearKeepsOperatorAndStartNew) {
  ExpectDisplays({
      {"clear in the middle", "12+3C4=", "4", "4 + 0 with + still pending"},
      {"clear keeps times", "12*3C4=", "0", "× still pending: 4 × 0"},
      {"clear feeds first again", "7+5C3=", "3", "entering-second is reset: 3 + 0"},
      {"clear keeps start-new", "7+C.5", ".5", "start-new still set: display emptied before '.'"},
  });
}

TEST(Calculator, FailedConversionsAndHandEdits) {
  ExpectDisplays({
      {"two points keep operand", "1..5+2=", "3", "1..5 fails, first stays 1"},
      {"bad second keeps operand", "7+5[abc]1=", "12", "abc1 fails, second stays 5"},
      {"edit ignored by equals", "7+5[20]=", "12", "= uses the operands, not the display"},
      {"digit after edit", "7+5[20]1=", "208", "201 converts as second operand"},
      {"edit replaced after operator", "7+[20]5=", "12", "start-new empties the edited text"},
      {"text first operand fails", "[abc]=-5=", "5", "abc is not a number: 0 - 5 is not computed"},
      {"edited point repaired", "[.5]=", "0.5", "zero fix on the display"},
      {"edited minus point repaired", "[-.5]=", "-0.5", "-. becomes -0."},
      {"overflow keeps display", "[1E+300]=*1[1E+30]0=", "1E+300", "1E+300 × 1E+300 is infinite"},
      {"overflow then clean", "[1E+300]=*1[1E+30]0=/2=", "5E+299", "failed = still takes the display"},
  });
}

struct StateCase {
  const char* name;
  const char* keys;
  CalcOperator op;
  bool enteringSecond;
  bool startNew;
  const char* source;
};

TEST(Calculator, StateAfterKeys) {
  std::vector<StateCase> cases{
      {"fresh", "", CalcOperator::None, false, false, "initial state"},
      {"operator", "7+", CalcOperator::Add, true, true, "operator key sets both flags"},
      {"second digit", "7+5", CalcOperator::Add, true, false, "digit clears start-new"},
      {"equals", "7+5=", CalcOperator::Add, true, false, "= leaves all three"},
      {"recorded without completion", "2+0*", CalcOperator::Multiply, true, true, "second was 0"},
      {"clear after operator", "7+C", CalcOperator::Add, false, true, "C keeps operator, start-new"},
      {"clear after digit", "7+5C", CalcOperator::Add, false, false, "C keeps start-new false"},
  };
  ForEachCase(cases, [](const StateCase& c) {
    Calculator calc;
    Play(calc, c.keys);
    EXPECT_EQ(calc.pendingOperator(), c.op);
    EXPECT_EQ(calc.enteringSecond(), c.enteringSecond);
    EXPECT_EQ(calc.startNew(), c.startNew);
  });
}

}  // namespace
}  // namespace kelvasta
