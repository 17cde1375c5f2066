#include "entry/group_summary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "stats/currency.h"
#include "stats/number_text.h"
#include "tests/stats/case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

ValueList ListOf(const std::vector<std::string>& items) {
  ValueList list;
  for (const std::string& item : items) {
    list.append(item);
  }
  return list;
}

struct SummaryCase {
  const char* name;
  std::vector<std::string> items;
  std::int64_t n;
  std::string mean, sd;
  const char* source;
};

TEST(SummarizeGroup, WorkedExamplesAndHardRows) {
  // clang-format off
  std::vector<SummaryCase> cases{
      {"one two three", {"1", "2", "3", "", ""}, 3, "2", "1", "worked example: 2.0000, 1.0000, 3"},
      {"four six eight", {"4", "6", "8"}, 3, "6", "2", "worked example of the group lists"},
      {"fifth decimal", {"1.23456"}, 1, "1.2346", "", "worked example: counted as 1.2346"},
      {"empty list", {}, 0, "", "0", "no items"},
      {"only empty items", {"", "", ""}, 0, "", "0", "n = 0: no mean"},
      {"one value", {"5"}, 1, "5", "", "n = 1: SD undefined, cell left empty"},
      {"one value among non-numbers", {"-", "5", "a"}, 1, "5", "", "n = 1"},
      {"two equal values", {"5", "5"}, 2, "5", "0", "SD 0 is data"},
      {"non-numbers not counted", {"1", "-", "2", ".", "3", "1a2"}, 3, "2", "1",
       "only 1, 2, 3 are numbers"},
      {"equal tenths", {"0.1", "0.1", "0.1"}, 3, "0.1", "0", "no spread; no rounding residue"},
      {"large common part", {"1000001", "1000002", "1000003", "1000004"}, 4, "1000002.5", "1.291",
       "sqrt(5/3) = 1.29099…"},
      {"below four decimals", {"1", "1.00000001"}, 2, "1", "0", "1.00000001 is counted as 1"},
      {"negative", {"-1.5", "-2.5"}, 2, "-2", "0.7071", "sqrt(0.5) = 0.70710…"},
  };
  // clang-format on
  ForEachCase(cases, [](const SummaryCase& c) {
    const GroupSummary s = SummarizeGroup(ListOf(c.items));
    EXPECT_EQ(s.n, c.n);
    EXPECT_EQ(s.meanText, c.mean);
    EXPECT_EQ(s.sdText, c.sd);
  });
}

// Twelve squares of 4E+18 ten-thousandths overflow a 128-bit sum; the
// rest of the sum goes on in long double.
TEST(SummarizeGroup, SpreadBeyondExactSums) {
  std::vector<std::string> items;
  for (int i = 0; i < 6; ++i) {
    items.insert(items.end(), {"400000000000000", "-400000000000000"});
  }
  const GroupSummary s = SummarizeGroup(ListOf(items));
  EXPECT_EQ(s.n, 12);
  EXPECT_EQ(s.meanText, "0");
  // 4E+14 · sqrt(12/11) = 417786374293674.81…, held by a double to 1/16.
  EXPECT_NEAR(std::stod(s.sdText), 417786374293674.81, 0.1);
}

struct NistUnivariate {
  std::vector<std::string> data;
  std::string mean, sd;
};

std::string FirstWordAfter(const std::string& line, const std::string& label) {
  std::istringstream rest(line.substr(line.find(label) + label.size()));
  std::string word;
  rest >> word;
  return word;
}

// Reads the certified "ybar:" and "s:" values and the column under "Data: Y"
// and its dashes; the edited copies have no fixed line numbers.
NistUnivariate ReadNist(const std::string& path) {
  std::ifstream in(path);
  NistUnivariate set;
  std::string line;
  bool inData = false;
  while (std::getline(in, line)) {
    std::string word = FirstWordAfter(line, "");
    if (inData && !word.empty() && word.find_first_not_of('-') != std::string::npos) {
      set.data.push_back(word);
    } else if (line.find("ybar:") != std::string::npos) {
      set.mean = FirstWordAfter(line, "ybar:");
    } else if (line.starts_with("Sample Standard Deviation")) {
      set.sd = FirstWordAfter(line, "s:");
    } else if (line.starts_with("Data: Y")) {
      inData = true;
    }
  }
  return set;
}

TEST(SummarizeGroup, NistUnivariateCertifiedValues) {
  const char* dir = std::getenv("KELVASTA_NIST_DIR");
  if (dir == nullptr || !std::ifstream(std::string(dir) + "/NumAcc1.dat")) {
    GTEST_SKIP() << "NIST reference data not available";
  }
  const std::vector<std::pair<std::string, std::size_t>> sets{
      {"NumAcc1", 3}, {"NumAcc2", 1001}, {"NumAcc3", 1001}, {"NumAcc4", 1001}, {"Michelso", 100},
      {"Lew", 200},   {"Lottery", 218},  {"Mavro", 50},     {"PiDigits", 5000}};
  for (const auto& [name, n] : sets) {
    SCOPED_TRACE(name + " [NIST StRD certified ybar and s]");
    const NistUnivariate set = ReadNist(std::string(dir) + "/" + name + ".dat");
    ASSERT_EQ(set.data.size(), n);
    const GroupSummary s = SummarizeGroup(ListOf(set.data));
    EXPECT_EQ(s.n, static_cast<std::int64_t>(n));
    EXPECT_EQ(FormatFourDecimals(s.meanText), FormatFourDecimals(set.mean));
    EXPECT_EQ(FormatFourDecimals(s.sdText), FormatFourDecimals(set.sd));
  }
}

// True when v lies so close to a half of the fourth decimal that two
// correct computations may round it differently.
bool NearTie(double v) {
  const double scaled = std::fabs(v) * 1e4;
  return std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-6;
}

// For data of ordinary size the shown results are those of the textbook
// formulas: mean = Σx/n and sqrt((Σx² − (Σx)²/n)/(n−1)) in doubles.
TEST(SummarizeGroup, RandomDataAgreeWithTheTextbookFormulas) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> cents(-50000, 50000);
  std::uniform_int_distribution<int> size(2, 60);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> items;
    double sum = 0, squares = 0;
    const int n = size(random);
    for (int i = 0; i < n; ++i) {
      const double v = cents(random) / 100.0;
      items.push_back(DoubleToText(v));
      sum += v;
      squares += v * v;
    }
    const double mean = sum / n;
    const double sd = std::sqrt((squares - sum * sum / n) / (n - 1));
    if (NearTie(mean) || NearTie(sd)) {
      continue;
    }
    SCOPED_TRACE("round " + std::to_string(round) + " [textbook formulas in double]");
    const GroupSummary s = SummarizeGroup(ListOf(items));
    EXPECT_EQ(FormatFourDecimals(s.meanText), FormatFourDecimals(DoubleToText(mean)));
    EXPECT_EQ(s.sdText, Currency::FromDouble(sd)->ToText());
  }
}

TEST(SummarizeGroup, FollowsEveryChangeOfTheList) {
  // A summary kept for one state of the list must not answer for the next.
  ValueList list = ListOf({"1", "2", "3"});
  EXPECT_EQ(SummarizeGroup(list).meanText, "2");
  EXPECT_EQ(SummarizeGroup(list).meanText, "2");
  list.setItem(2, "6");
  EXPECT_EQ(SummarizeGroup(list).meanText, "3");
  list.append("");
  list.setItem(3, "11");
  const GroupSummary summary = SummarizeGroup(list);
  EXPECT_EQ(summary.n, 4);
  EXPECT_EQ(summary.meanText, "5");
}

}  // namespace
}  // namespace kelvasta
