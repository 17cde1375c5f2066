#include "entry/value_list.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "stats/number_reading.h"
#include "stats/raw_value.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct RawCase {
  const char* name;
  const char* text;
  std::int64_t raw;
  const char* source;
};

TEST(ValueList, ValuesAreTheCurrencyCountsOfTheItems) {
  // clang-format off
  std::vector<RawCase> cases{
      {"whole", "12", 120000, "12 · 10^4"},
      {"decimal", "12.5", 125000, "12.5 · 10^4"},
      {"negative", "-0.25", -2500, "-0.25 · 10^4"},
      {"fifth decimal up", "1.23456", 12346, "1.2346 after rounding"},
      {"tie to even down", "1.23445", 12344, "halves to even: 1.2344"},
      {"tie to even up", "1.23455", 12346, "halves to even: 1.2346"},
      {"exponent", "1.5E2", 1500000, "150"},
      {"empty", "", kMissingRaw, "no value in the row"},
      {"lone minus", "-", kMissingRaw, "half-typed number"},
      {"lone point", ".", kMissingRaw, "half-typed number"},
      {"letter inside", "1a2", kMissingRaw, "pasted text, not a number as a whole"},
      {"header text", "第 1 组", kMissingRaw, "a spreadsheet header"},
      {"beyond Currency", "1E30", kMissingRaw, "outside the Currency range"},
  };
  // clang-format on
  ForEachCase(cases, [](const RawCase& c) {
    ValueList list;
    list.append(c.text);
    EXPECT_EQ(list.values().at(0), c.raw);
    list.setItem(0, "7");
    list.setItem(0, c.text);
    EXPECT_EQ(list.values().at(0), c.raw);
    EXPECT_EQ(list.item(0), c.text);
  });
}

TEST(ValueList, ValuesStayInStepWithTheItems) {
  ValueList list;
  list.append("3");
  list.appendEmpty(2);
  list.setItem(2, "4");
  EXPECT_EQ(list.items(), (std::vector<std::string>{"3", "", "4"}));
  EXPECT_EQ(list.values(), (std::vector<std::int64_t>{30000, kMissingRaw, 40000}));
  list.setItem(0, "");
  EXPECT_EQ(list.values().front(), kMissingRaw);
  EXPECT_THROW(list.setItem(3, "1"), std::out_of_range);
  EXPECT_EQ(list.values().size(), 3u);
  EXPECT_EQ(list.numbers().size(), 3u);
  list.clear();
  EXPECT_EQ(list.count(), 0u);
  EXPECT_TRUE(list.values().empty());
}

TEST(ValueList, NumbersKeepTheFullPrecisionOfTheText) {
  ValueList list;
  for (const char* text : {"1.00000001", "1000000.123456789", "1.5E-05", "-", "1E30"}) list.append(text);
  list.appendEmpty(1);
  EXPECT_EQ(list.numbers()[0], 1.00000001) << "Currency counts it as 1";
  EXPECT_EQ(list.numbers()[1], 1000000.123456789);
  EXPECT_EQ(list.numbers()[2], 1.5e-05);
  for (std::size_t k : {3u, 4u, 5u}) EXPECT_TRUE(std::isnan(list.numbers()[k])) << "not a number as the lists count: " << k;
  list.setItem(3, "2.5");
  EXPECT_EQ(list.numbers()[3], 2.5);
}

}  // namespace

TEST(ValueList, PlainDecimalsReadAsTheFullReadingsDo) {
  // Each text's count and value must be what ReadRawValue and
  // ReadLeadingNumber give, bit for bit (the sign of zero too), whether the
  // list reads it by its short path or not.
  for (const char* text : {"107.1", "-0", "-0.0", "-0.5", "0.0001", "007.50", "99999999999.9999",
                           "-12345678901.1234", "123456789012.5", "1.23456", "5.", ".5", "+5", "1 2", "0.1",
                           "3", "-",
                           // Long runs of digits, which must not overflow the short path's count.
                           "7777777777777777777777777", "12345678901.123456789012345678"}) {
    ValueList list;
    list.append(text);
    const std::int64_t raw = ReadRawValue(text);
    EXPECT_EQ(list.values()[0], raw) << text;
    if (raw == kMissingRaw) {
      EXPECT_TRUE(std::isnan(list.numbers()[0])) << text;
      continue;
    }
    const double exact = ReadLeadingNumber(text);
    EXPECT_EQ(list.numbers()[0], exact) << text;
    EXPECT_EQ(std::signbit(list.numbers()[0]), std::signbit(exact)) << text;
  }
}

TEST(ValueList, RandomDecimalsReadAsTheFullReadingsDo) {
  // Decimals of 1 to 16 digits with the point anywhere, signed or not: the
  // short path must agree with the full readings wherever it applies.
  std::mt19937_64 random(7);
  ValueList list;
  std::vector<std::string> texts;
  for (int i = 0; i < 20000; ++i) {
    std::string digits;
    for (std::uint64_t d = 0, count = 1 + random() % 16; d < count; ++d) digits += static_cast<char>('0' + random() % 10);
    const std::size_t point = random() % (digits.size() + 1);
    std::string text = random() % 3 == 0 ? "-" : "";
    text += point == digits.size() ? digits : digits.substr(0, point) + "." + digits.substr(point);
    list.append(text);
    texts.push_back(text);
  }
  for (std::size_t k = 0; k < texts.size(); ++k) {
    ASSERT_EQ(list.values()[k], ReadRawValue(texts[k])) << texts[k];
    if (list.values()[k] != kMissingRaw) {
      ASSERT_EQ(list.numbers()[k], ReadLeadingNumber(texts[k])) << texts[k];
    }
  }
}

TEST(ValueList, AssignTakesTheTextsAndPadsWithEmptyItems) {
  ValueList list;
  list.append("9");
  const std::uint64_t before = list.version();
  std::vector<std::string> texts{"1.5", "x", "", "-2"};
  list.assign(std::move(texts), 2);
  EXPECT_EQ(list.items(), (std::vector<std::string>{"1.5", "x", "", "-2", "", ""}));
  EXPECT_EQ(list.values(), (std::vector<std::int64_t>{15000, kMissingRaw, kMissingRaw, -20000, kMissingRaw, kMissingRaw}));
  EXPECT_EQ(list.numbers()[3], -2.0);
  EXPECT_TRUE(std::isnan(list.numbers()[5]));
  EXPECT_NE(list.version(), before);
}

TEST(ValueList, StoringTheSameTextAgainIsNoChange) {
  ValueList list;
  list.append("4");
  const std::uint64_t first = list.version();
  list.setItem(0, "4");
  EXPECT_EQ(list.version(), first) << "figures kept under the version stay valid";
  list.setItem(0, "4.0");
  EXPECT_NE(list.version(), first);
  EXPECT_EQ(list.values()[0], 40000);
}

// Shared values are a snapshot: every kind of change leaves them as they
// were, and the list goes on with its own.
TEST(ValueList, SharedNumbersStayAsTheyWere) {
  struct Case {
    const char* name;
    void (*change)(ValueList&);
    std::vector<double> after;  // the list's numbers after the change
  };
  const Case cases[] = {
      {"setItem", [](ValueList& l) { l.setItem(0, "9"); }, {9, 2}},
      {"append", [](ValueList& l) { l.append("3"); }, {1, 2, 3}},
      {"truncate", [](ValueList& l) { l.truncate(1); }, {1}},
      {"clear", [](ValueList& l) { l.clear(); }, {}},
      {"assign", [](ValueList& l) { l.assign({"5"}, 0); }, {5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ValueList list;
    list.append("1");
    list.append("2");
    const std::shared_ptr<const std::vector<double>> shared = list.sharedNumbers();
    const ValueList copy = list;
    c.change(list);
    EXPECT_EQ(*shared, (std::vector<double>{1, 2}));
    EXPECT_EQ(copy.numbers(), (std::vector<double>{1, 2}));
    EXPECT_EQ(list.numbers(), c.after);
  }
}

}  // namespace kelvasta
