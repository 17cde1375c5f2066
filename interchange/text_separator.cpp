#include "interchange/text_separator.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace kelvasta {
namespace {

constexpr std::size_t kSampleRecords = 100;
constexpr std::size_t kSampleBytes = std::size_t{1} << 20;

// How often one candidate separator comes on each of the first records,
// with quotes taken as the reader takes them: a field is quoted only when
// it starts with '"' (after a line end or this separator), a doubled quote
// inside it is text, and a quote anywhere else is an ordinary character.
struct SeparatorTally {
  std::size_t records = 0;
  std::size_t linesWith = 0;  // records holding it at least once
  bool consistent = true;     // on every record, equally often
};

SeparatorTally TallySeparator(std::string_view text, char separator) {
  SeparatorTally tally;
  std::size_t first = 0;
  std::size_t count = 0;
  bool recordEmpty = true;
  auto finishRecord = [&] {
    if (recordEmpty) return;
    if (tally.records == 0) first = count;
    if (count == 0 || count != first) tally.consistent = false;
    if (count > 0) ++tally.linesWith;
    ++tally.records;
    count = 0;
    recordEmpty = true;
  };
  const std::size_t limit = std::min(text.size(), kSampleBytes);
  bool fieldStart = true;
  bool quoted = false;
  for (std::size_t at = 0; at < limit && tally.records < kSampleRecords; ++at) {
    const char c = text[at];
    if (quoted) {
      if (c == '"') {
        if (at + 1 < text.size() && text[at + 1] == '"') {
          ++at;  // a doubled quote is text
        } else {
          quoted = false;
        }
      }
      continue;
    }
    if (c == '\n' || c == '\r') {
      finishRecord();
      fieldStart = true;
      continue;
    }
    recordEmpty = false;
    if (c == '"' && fieldStart) {
      quoted = true;
      fieldStart = false;
      continue;
    }
    fieldStart = c == separator;
    count += fieldStart ? 1 : 0;
  }
  if (!quoted) finishRecord();
  return tally;
}

}  // namespace

char DetectSeparator(std::string_view text, bool& unclear) {
  static constexpr std::array<char, 3> kCandidates{'\t', ';', ','};  // in order of preference
  std::array<SeparatorTally, 3> tally;
  for (std::size_t k = 0; k < 3; ++k) tally[k] = TallySeparator(text, kCandidates[k]);
  unclear = false;
  for (std::size_t k = 0; k < 3; ++k) {
    if (tally[k].records > 0 && tally[k].consistent) {
      return kCandidates[k];
    }
  }
  std::size_t best = 0;
  for (std::size_t k = 1; k < 3; ++k) {
    if (tally[k].linesWith > tally[best].linesWith) best = k;
  }
  if (tally[best].linesWith == 0) {
    return 0;
  }
  for (std::size_t k = 0; k < 3; ++k) {
    if (k != best && tally[k].linesWith * 3 > tally[best].linesWith) {
      unclear = true;
      return 0;
    }
  }
  return kCandidates[best];
}

}  // namespace kelvasta
