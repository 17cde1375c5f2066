#include "interchange/cell_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <random>

#include "interchange/worksheet_scanner.h"
#include "stats/number_text.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct StoredNumberCase {
  const char* name;
  const char* stored;
  const char* text;
  const char* source;
};

TEST(NumberCellText, StoredNumbersReadAsTheGeneralText) {
  std::vector<StoredNumberCase> cases{
      {"already general", "12.5", "12.5", "DoubleToText(12.5)"},
      {"integer", "3", "3", "DoubleToText(3)"},
      {"trailing zero", "12.50", "12.5", "no trailing zeros in the general form"},
      {"exponent small", "1.5E-5", "1.5E-05", "exponent -5 is written in E form, two digits"},
      {"exponent plain", "1e3", "1000", "exponent 3 is within the plain range"},
      {"openpyxl float", "0.30000000000000004", "0.3", "rounded to 15 significant digits"},
      {"seventeen digits", "3.1415926535897931", "3.14159265358979", "rounded to 15 significant digits"},
      {"negative zero", "-0", "0", "zero has no sign"},
      {"leading plus", "+7", "7", "a sign is not part of the general form"},
      {"blanks", " 42 ", "42", "blanks around the stored value"},
      {"huge", "1E+308", "1E+308", "largest decade"},
      {"big integer", "1234567890123456789", "1.23456789012346E+18", "E form from exponent 15"},
      {"not a number", "abc", "abc", "kept unchanged"},
      {"overflow", "1e999", "1e999", "not a finite double: kept unchanged"},
      {"empty", "", "", "nothing stored"},
      {"leading zeros", "007.50", "7.5", "no leading zeros in the general form"},
      {"negative zero decimal", "-0.00", "0", "zero has no sign"},
      {"small with zeros", "0.000100", "0.0001", "exponent -4 is still plain"},
      {"smaller with zeros", "0.0000100", "1E-05", "exponent -5 is written in E form"},
      {"sixteen digits with zeros", "1234567890123456.0", "1.23456789012346E+15", "E form from exponent 15"},
      {"trailing point", "3.", "3", "from_chars reads it as 3"},
  };
  ForEachCase(cases, [](const StoredNumberCase& c) { EXPECT_EQ(NumberCellText(c.stored), c.text); });
}

struct FastPathCase {
  const char* name;
  const char* text;
  bool general;
  const char* source;
};

TEST(IsGeneralNumberText, AcceptsOnlyTextsDoubleToTextWouldWrite) {
  std::vector<FastPathCase> cases{
      {"zero", "0", true, "DoubleToText(0)"},
      {"decimal", "105.37", true, "plain form"},
      {"negative small", "-0.0001", true, "exponent -4 is plain"},
      {"exponent -5", "0.00001", false, "DoubleToText gives 1E-05"},
      {"fifteen digits", "123456789012345", true, "exponent 14 is plain"},
      {"sixteen digits", "1234567890123456", false, "more than 15 significant digits"},
      {"fifteen after zeros", "0.000123456789012345", true, "leading zeros are not significant"},
      {"trailing zero", "1.50", false, "DoubleToText drops it"},
      {"leading zero", "012", false, "DoubleToText drops it"},
      {"negative zero", "-0", false, "DoubleToText gives 0"},
      {"bare point", "5.", false, "no digits after the point"},
      {"plus", "+5", false, "no plus sign in the general form"},
      {"exponent", "1E+15", false, "left to DoubleToText"},
  };
  ForEachCase(cases, [](const FastPathCase& c) {
    EXPECT_EQ(IsGeneralNumberText(c.text), c.general);
    if (c.general) {
      double value = 0;
      std::string_view text(c.text);
      std::from_chars(text.data(), text.data() + text.size(), value);
      EXPECT_EQ(DoubleToText(value), c.text) << "the fast path must agree with DoubleToText";
    }
  });
}

TEST(IsGeneralNumberText, AgreesWithDoubleToTextOnRandomDecimals) {
  // Decimals of the shapes workbooks hold: 1 to 17 digits, the point anywhere.
  std::mt19937_64 random(20240101);
  for (int i = 0; i < 200000; ++i) {
    int digits = 1 + static_cast<int>(random() % 17);
    std::string text = random() % 4 == 0 ? "-" : "";
    std::string mantissa;
    for (int d = 0; d < digits; ++d) {
      mantissa += static_cast<char>('0' + random() % 10);
    }
    std::size_t point = random() % (mantissa.size() + 1);
    if (point == 0) {
      text += "0." + mantissa;
    } else if (point < mantissa.size()) {
      text += mantissa.substr(0, point) + "." + mantissa.substr(point);
    } else {
      text += mantissa;
    }
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    if (IsGeneralNumberText(text)) {
      ASSERT_EQ(DoubleToText(value), text);
    }
    ASSERT_EQ(NumberCellText(text), DoubleToText(value)) << text;
  }
}

struct DateCase {
  const char* name;
  const char* iso;
  bool date1904;
  double serial;
  const char* source;
};

TEST(IsoDateToSerial, MatchesExcelSerialNumbers) {
  std::vector<DateCase> cases{
      {"first day", "1900-01-01", false, 1, "Excel: 1900-01-01 is day 1"},
      {"before the phantom leap day", "1900-02-28", false, 59, "Excel: day 59"},
      {"after the phantom leap day", "1900-03-01", false, 61, "Excel counts 1900-02-29 as day 60"},
      {"new year 2024", "2024-01-01", false, 45292, "Excel: =DATE(2024,1,1) is 45292"},
      {"noon", "2024-01-01T12:00:00", false, 45292.5, "half a day"},
      {"zulu with fraction", "2024-01-01T06:00:00.000Z", false, 45292.25, "a quarter day"},
      {"1904 system start", "1904-01-01", true, 0, "1904 system: day 0"},
      {"1904 system 2024", "2024-01-01", true, 45292 - 1462, "the systems differ by 1462 days"},
  };
  ForEachCase(cases, [](const DateCase& c) {
    std::optional<double> serial = IsoDateToSerial(c.iso, c.date1904);
    ASSERT_TRUE(serial.has_value());
    EXPECT_DOUBLE_EQ(*serial, c.serial);
  });
  EXPECT_FALSE(IsoDateToSerial("2024-13-01", false));
  EXPECT_FALSE(IsoDateToSerial("yesterday", false));
  EXPECT_FALSE(IsoDateToSerial("2024-01-01T25", false));
}

struct EscapeCase {
  const char* name;
  std::string stored;
  std::string text;
  const char* source;
};

TEST(DecodeOoxmlEscapes, ReplacesEscapedCodeUnits) {
  std::vector<EscapeCase> cases{
      {"carriage return", "a_x000D_b", "a\rb", "Excel writes CR as _x000D_"},
      {"escaped underscore", "_x005F_x0041_", "_x0041_", "a literal _x0041_ is written with _x005F_"},
      {"surrogate pair", "_xD83D__xDE00_", "\xF0\x9F\x98\x80", "U+1F600 as two escapes"},
      {"lone surrogate", "_xD83D_", "\xEF\xBF\xBD", "becomes U+FFFD"},
      {"not an escape", "_x12_ and _xZZZZ_", "_x12_ and _xZZZZ_", "needs four hex digits"},
      {"plain", "收缩压", "收缩压", "nothing to decode"},
  };
  ForEachCase(cases, [](const EscapeCase& c) {
    std::string text = c.stored;
    DecodeOoxmlEscapes(text);
    EXPECT_EQ(text, c.text);
  });
}

TEST(Utf16, ConvertsBothWaysAndReplacesInvalidSequences) {
  EXPECT_EQ(Utf8ToUtf16("A血\xF0\x9F\x98\x80"), (std::u16string{u'A', u'血', 0xD83D, 0xDE00}));
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'A', u'血', 0xD83D, 0xDE00}), "A血\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), std::u16string(2, 0xFFFD)) << "overlong form";
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), std::u16string(3, 0xFFFD)) << "encoded surrogate";
  EXPECT_EQ(Utf8ToUtf16("\xE8\xA1"), std::u16string(2, 0xFFFD)) << "cut sequence";
  EXPECT_EQ(Utf16ToUtf8(std::u16string{0xDC00, u'x'}), "\xEF\xBF\xBDx") << "lone low surrogate";
}

struct ReferenceCase {
  const char* name;
  const char* reference;
  bool valid;
  std::int64_t column;
  std::int64_t row;
  const char* source;
};

TEST(ParseCellReference, ReadsColumnLettersAndRow) {
  std::vector<ReferenceCase> cases{
      {"first cell", "A1", true, 1, 1, "A is column 1"},
      {"two letters", "AB12", true, 28, 12, "AB = 26 + 2"},
      {"last cell", "XFD1048576", true, 16384, 1048576, "largest .xlsx cell"},
      {"letters only", "C", true, 3, 0, "no row given"},
      {"past last column", "XFE1", false, 0, 0, "column 16385"},
      {"past last row", "A1048577", false, 0, 0, "row 1048577"},
      {"row zero", "A0", false, 0, 0, "rows start at 1"},
      {"digits only", "12", false, 0, 0, "no column"},
      {"trailing junk", "A1x", false, 0, 0, "not a reference"},
  };
  ForEachCase(cases, [](const ReferenceCase& c) {
    std::int64_t column = 0;
    std::int64_t row = 0;
    ASSERT_EQ(ParseCellReference(c.reference, column, row), c.valid);
    if (c.valid) {
      EXPECT_EQ(column, c.column);
      EXPECT_EQ(row, c.row);
    }
  });
}

}  // namespace
}  // namespace kelvasta
