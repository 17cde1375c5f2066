#include "stats/three_groups.h"

#include "stats/number_reading.h"
#include "stats/utf8.h"

namespace kelvasta {

std::optional<ThreeGroups> ReadThreeGroups(const std::array<std::string, 9>& cellTexts) {
  // Only a cell without a number, or a size that is not positive, is
  // missing: a mean of 0 or an SD of 0 (all values equal) is real data.
  std::array<double, 9> values{};
  for (std::size_t k = 0; k < cellTexts.size(); ++k) {
    std::string_view text = TrimBlanks(cellTexts[k]);
    if (!BeginsWithNumber(text)) {
      return std::nullopt;
    }
    values[k] = ReadLeadingNumber(text);
    bool isCount = k % 3 == 2;
    if (isCount && !(values[k] > 0)) {
      return std::nullopt;
    }
  }
  ThreeGroups groups;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    groups[g] = {values[3 * g], values[3 * g + 1], values[3 * g + 2]};
  }
  return groups;
}

}  // namespace kelvasta
