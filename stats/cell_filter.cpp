#include "stats/cell_filter.h"

#include "stats/utf8.h"

namespace kelvasta {
namespace {

constexpr std::string_view kIdeographicFullStop = "\u3002";

// The code-page character code of the last character: ASCII as is, anything
// else negative (GBK double-byte codes read as negative 16-bit integers).
int LastCharacterCode(std::string_view text) {
  std::string_view last = Utf8LastCharacter(text);
  if (last.size() == 1 && static_cast<unsigned char>(last[0]) < 0x80) {
    return last[0];
  }
  return -1;
}

std::string DropLast(std::string_view text) {
  return std::string(text.substr(0, text.size() - Utf8LastCharacter(text).size()));
}

std::string ReplaceFullStops(std::string_view text) {
  std::string result;
  for (std::size_t pos = 0; pos < text.size();) {
    if (text.substr(pos).starts_with(kIdeographicFullStop)) {
      result += '.';
      pos += kIdeographicFullStop.size();
    } else {
      result += text[pos++];
    }
  }
  return result;
}

bool ShouldDrop(FilterStep step, int code) {
  switch (step) {
    case FilterStep::DropAboveNine:
      return code > '9';
    case FilterStep::DropBelowMinus:
      return code < '-';
    case FilterStep::DropSlash:
      return code == '/';
    case FilterStep::ReplaceFullStop:
      break;
  }
  return false;
}

}  // namespace

std::string ApplyFilterStep(FilterStep step, std::string_view text) {
  if (step == FilterStep::ReplaceFullStop) {
    return ReplaceFullStops(text);
  }
  if (text.empty() || !ShouldDrop(step, LastCharacterCode(text))) {
    return std::string(text);
  }
  return DropLast(text);
}

std::string FilterFully(std::string_view text, bool replaceFullStop) {
  // The steps only ever drop the last character or rewrite "。", so the
  // settled text is the full stops replaced and then every trailing character
  // the steps would drop removed, one pass from the end.
  std::string current = replaceFullStop ? ReplaceFullStops(text) : std::string(text);
  while (!current.empty()) {
    const int code = LastCharacterCode(current);
    if (!ShouldDrop(FilterStep::DropAboveNine, code) && !ShouldDrop(FilterStep::DropBelowMinus, code) &&
        !ShouldDrop(FilterStep::DropSlash, code)) {
      break;
    }
    current.resize(current.size() - Utf8LastCharacter(current).size());
  }
  return current;
}

}  // namespace kelvasta
