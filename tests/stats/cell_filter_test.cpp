#include "stats/cell_filter.h"

#include <gtest/gtest.h>

#include "case_table.h"

namespace kelvasta {
namespace {

using testing::ForEachCase;

struct StepCase {
  const char* name;
  FilterStep step;
  const char* text;
  const char* result;
  const char* source;
};

TEST(ApplyFilterStep, EachStepRemovesAtMostOneCharacter) {
  std::vector<StepCase> cases{
      {"full stops", FilterStep::ReplaceFullStop, "3。5。", "3.5.", "every 。 becomes ."},
      {"letter", FilterStep::DropAboveNine, "12ab", "12a", "b (98) is above 57; one per step"},
      {"colon", FilterStep::DropAboveNine, "1:", "1", "':' is 58"},
      {"nine kept", FilterStep::DropAboveNine, "19", "19", "'9' is 57"},
      {"chinese kept above nine", FilterStep::DropAboveNine, "12伍", "12伍", "non-ASCII has a negative code"},
      {"chinese dropped below minus", FilterStep::DropBelowMinus, "12伍", "12", "negative code is below 45"},
      {"blank", FilterStep::DropBelowMinus, "7 ", "7", "blank is 32"},
      {"plus", FilterStep::DropBelowMinus, "7+", "7", "'+' is 43"},
      {"comma", FilterStep::DropBelowMinus, "7,", "7", "',' is 44"},
      {"minus kept", FilterStep::DropBelowMinus, "-", "-", "'-' is 45"},
      {"point kept", FilterStep::DropSlash, ".", ".", "'.' is 46"},
      {"slash", FilterStep::DropSlash, "1/", "1", "'/' is 47"},
      {"empty", FilterStep::DropBelowMinus, "", "", "an empty text stays empty"},
      {"inner letter", FilterStep::DropAboveNine, "1a2", "1a2", "only the last character counts"},
  };
  ForEachCase(cases, [](const StepCase& c) { EXPECT_EQ(ApplyFilterStep(c.step, c.text), c.result); });
}

struct FullCase {
  const char* name;
  const char* text;
  bool replaceFullStop;
  const char* result;
  const char* source;
};

TEST(FilterFully, TrailingDisallowedCharactersAreRemovedUntilStable) {
  std::vector<FullCase> cases{
      {"typed letter", "12a", false, "12", "typing 12a leaves 12"},
      {"full stop replaced", "3。5", true, "3.5", "replacement on"},
      {"full stop at end replaced", "3。", true, "3.", "replacement keeps the point"},
      {"full stop at end dropped", "3。", false, "3", "without replacement 。 is non-ASCII"},
      {"pasted inner letter", "1a2", false, "1a2", "only the end is examined"},
      {"chinese last", "12伍", false, "12", "a trailing Chinese character is removed"},
      {"two letters", "12ab", false, "12", "one per nested level until stable"},
      {"mixed tail", "5a 伍/", false, "5", "each step's character in turn"},
      {"blank", "7 ", false, "7", "blank is below '-'"},
      {"slash", "1/", false, "1", "'/' dropped"},
      {"minus", "-", false, "-", "allowed"},
      {"point", ".", false, ".", "allowed"},
      {"all removed", "ab", false, "", "nothing allowed left"},
  };
  ForEachCase(cases, [](const FullCase& c) { EXPECT_EQ(FilterFully(c.text, c.replaceFullStop), c.result); });
}

}  // namespace
}  // namespace kelvasta
