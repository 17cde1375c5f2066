#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// Mean, standard deviation and size of one group, as typed.
struct GroupStatistics {
  double mean = 0;
  double sd = 0;
  double count = 0;
};

using ThreeGroups = std::array<GroupStatistics, 3>;

// The nine summary cells (X1, S1, N1, X2, S2, N2, X3, S3, N3), each read
// leniently after trimming blanks. nullopt when a cell is missing: its text
// does not begin with a number, or it is a count of 0 or below. A mean or
// standard deviation of 0 is data.
std::optional<ThreeGroups> ReadThreeGroups(const std::array<std::string, 9>& cellTexts);

// The three comparisons in the order of their result lines.
struct GroupPair {
  std::size_t first;
  std::size_t second;
  std::string_view prefix;
};

inline constexpr std::array<GroupPair, 3> kGroupPairs{{
    {0, 1, "第1组与第2组比较："},
    {0, 2, "第1组与第3组比较："},
    {1, 2, "第2组与第3组比较："},
}};

// What a pairwise comparison does to its three result lines.
struct PairwiseOutcome {
  enum class Action { Blank, KeepLines, Write };
  // Blank: empty the ANOVA result line and the three lines; KeepLines:
  // write nothing; Write: write `lines`.
  Action action = Action::Blank;
  std::array<std::string, 3> lines;      // groups 1-2, 1-3, 2-3
  std::vector<std::string> sortedMeans;  // q test only: "000000000.0000" texts, ascending
};

// The pairwise tests need the error df of the q table's first row.
inline constexpr double kPairwiseMinimumDf = 5;

}  // namespace kelvasta
