#include "entry/group_summary.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>

#include "stats/currency.h"
#include "stats/number_text.h"
#include "stats/raw_value.h"

namespace kelvasta {
namespace {

// The SD with divisor n − 1, kept at four decimals as a Currency ("0" for an
// empty list or when it leaves the Currency range). One value has no SD: its
// text is empty, so the tests wait for a second value rather than judge a
// spread of 0.
std::string SdText(const RawMoments& m) {
  if (m.n == 1) {
    return "";
  }
  if (m.n < 2) {
    return "0";
  }
  const long double sd = std::sqrt(m.squares / static_cast<long double>(m.n - 1)) / Currency::kScale;
  const std::optional<Currency> rounded = Currency::FromDouble(static_cast<double>(sd));
  return rounded.value_or(Currency{}).ToText();
}

GroupSummary ComputeSummary(const ValueList& list) {
  const std::vector<std::int64_t>& values = list.values();
  // A text that is not a number is not counted: counting it and repeating
  // the previous value, as a half-typed "-" once did, shifts mean and SD.
  // The moments are exact sums and a centred second pass, so data with a
  // large common part (10000000.2 ± 0.1) keep their spread.
  const RawMoments m = CentredMoments([&values](auto&& visit) {
    for (std::int64_t v : values) {
      if (v != kMissingRaw) {
        visit(Int128{v});
      }
    }
  });
  GroupSummary summary{.n = m.n, .meanText = {}, .sdText = SdText(m)};
  if (m.n > 0) {
    const long double mean =
        static_cast<long double>(m.sum) / (static_cast<long double>(m.n) * Currency::kScale);
    summary.meanText = DoubleToText(static_cast<double>(mean));
  }
  return summary;
}

}  // namespace

GroupSummary SummarizeGroup(const ValueList& list) {
  // Writing a list's visible cells after an import asks for the same
  // summary once per cell: the last few are kept under their lists' versions.
  struct Kept {
    std::uint64_t version = 0;
    GroupSummary summary;
  };
  thread_local std::array<Kept, 4> kept;
  thread_local std::size_t next = 0;
  for (const Kept& entry : kept)
    if (entry.version == list.version()) return entry.summary;
  GroupSummary summary = ComputeSummary(list);
  kept[next++ % kept.size()] = {list.version(), summary};
  return summary;
}

}  // namespace kelvasta
