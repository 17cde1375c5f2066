#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kelvasta {

// The last-character filter of data cells, as separate steps so that the
// widget layer can write the text back after each one (and re-enter the
// cell's change handling, as the cells expect).
enum class FilterStep {
  ReplaceFullStop,  // every "。" becomes "."
  DropAboveNine,    // last character's code above '9'
  DropBelowMinus,   // last character's code below '-'
  DropSlash,        // last character is '/'
};

inline constexpr std::array<FilterStep, 4> kFilterSteps{FilterStep::ReplaceFullStop,
                                                        FilterStep::DropAboveNine, FilterStep::DropBelowMinus,
                                                        FilterStep::DropSlash};

// One step on UTF-8 text; removes at most one code point. Character codes
// follow the double-byte Chinese code page, where every non-ASCII character
// has a negative code: DropAboveNine keeps it and DropBelowMinus removes it.
std::string ApplyFilterStep(FilterStep step, std::string_view text);

// What the cell ends up holding once the nested write-backs have settled:
// the steps repeated until nothing changes. The net effect is that trailing
// characters other than digits, "-" and "." are removed.
std::string FilterFully(std::string_view text, bool replaceFullStop);

}  // namespace kelvasta
