#pragma once

#include <array>
#include <string_view>

namespace kelvasta {

// The eight tests in the order of their buttons' indexes.
enum TestIndex : int {
  kTwoSampleT = 0,
  kPairedT = 1,
  kAnova = 2,
  kFourfold = 3,
  kPairedChiSquare = 4,
  kSeveralRates = 5,
  kCorrelation = 6,
  kOrdinal = 7,
};
inline constexpr int kTestCount = 8;

enum class UpperPanel { ValueList, GroupList, RxcTable, CountTable, OrdinalTable };
enum class FirstCell { Text1, Text30, Text11, Text111, Text12 };

struct TestEntry {
  std::string_view caption;  // of the test button, also the start of the title
  int buttonTop;             // twips inside the button frame
  UpperPanel upper;
  FirstCell firstCell;
  bool valueList;            // data typed as columns of raw values
};

inline constexpr std::array<TestEntry, kTestCount> kTests{{
    {"两样本均数t检验", 180, UpperPanel::ValueList, FirstCell::Text1, true},
    {"配对资料t检验", 600, UpperPanel::ValueList, FirstCell::Text1, true},
    {"方差分析（F检验）", 1020, UpperPanel::GroupList, FirstCell::Text30, true},
    {"计数资料卡方检验", 1440, UpperPanel::CountTable, FirstCell::Text11, false},
    {"配对资料卡方检验", 1860, UpperPanel::CountTable, FirstCell::Text11, false},
    {"多个样本率卡方检验", 2280, UpperPanel::RxcTable, FirstCell::Text111, false},
    {"直线相关与回归", 3120, UpperPanel::ValueList, FirstCell::Text1, true},
    {"秩和检验及Ridit分析", 2700, UpperPanel::OrdinalTable, FirstCell::Text12, false},
}};

// The entry hint that follows the title of the value-list tests.
inline constexpr std::string_view kEntryHint = "（按回车键或“↓”键输入下一个数据）";

// Titles that handlers serving several tests compare with, exactly.
inline constexpr std::string_view kTitleTwoSampleT = "两样本均数t检验（按回车键或“↓”键输入下一个数据）";
inline constexpr std::string_view kTitlePairedT = "配对资料t检验（按回车键或“↓”键输入下一个数据）";
inline constexpr std::string_view kTitleCorrelation = "直线相关与回归（按回车键或“↓”键输入下一个数据）";
inline constexpr std::string_view kTitleFourfold = "计数资料卡方检验";
inline constexpr std::string_view kTitlePairedChiSquare = "配对资料卡方检验";

}  // namespace kelvasta
