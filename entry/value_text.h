#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// Values that come from outside, a pasted block or an imported sheet, read
// the way the same value typed into a cell would be.

// The characters (UTF-16 units) a data cell holds.
inline constexpr std::size_t kMaxCellLength = 32767;

// Full-width digits, point (．) and minus (－), and the minus sign (−),
// become their ASCII forms, as a Chinese input method in full-width mode
// types them; with `fullStop` the ideographic full stop (。) becomes "." too.
// Other characters are kept.
std::string NormaliseWidth(std::string_view text, bool fullStop);

// One cell as it arrives: blanks, tabs and ideographic spaces around it
// removed, then width-normalised with full stops.
std::string NormaliseCell(std::string_view text);

// How the numbers of a block use the comma.
enum class CommaReading {
  None,      // no number holds a comma
  Grouping,  // thousands separators: every comma is followed by groups of three digits ("1,234.5", "2,000")
  Decimal,   // decimal marks ("12,5"), and no number has a decimal point
  Unclear,   // both ways, or neither: the numbers with commas are left as they are
};

// Gathers the cells of one block, then tells how its commas are meant. Only
// cells that are a number but for their commas (sign, digits, commas and
// points) take part; texts such as "李, 四" do not.
class CommaSurvey {
 public:
  void add(std::string_view cell);
  CommaReading reading() const;
  // The cells holding a comma that the reading rewrites or, when Unclear,
  // leaves as they are.
  std::size_t commaCells() const { return groupingOnly_ + decimalOnly_ + either_ + neither_; }

 private:
  std::size_t groupingOnly_ = 0;  // "1,234.5", "1,234,567"
  std::size_t decimalOnly_ = 0;   // "12,5", "0,500", "1234,567"
  std::size_t either_ = 0;        // "2,500"
  std::size_t neither_ = 0;       // "1,2,3", "1,5.5"
  std::size_t pointDecimals_ = 0; // "12.5"
};

// A cell's commas as `reading` takes them: Grouping drops them, Decimal makes
// the comma a point. Cells that are not numbers, and the other readings,
// stay as they are.
void ApplyCommaReading(CommaReading reading, std::string& cell);

// Cuts `text` (UTF-8) to kMaxCellLength UTF-16 units at a character
// boundary; true when something was cut.
bool CutToCellLength(std::string& text);

// What CleanValues did beyond what typing does unseen.
struct CleanedValues {
  std::size_t emptied = 0;  // cells the filter left empty ("阴性", "TRUE")
  std::size_t cut = 0;      // cells longer than kMaxCellLength
  CommaReading commas = CommaReading::None;
  std::size_t commaCells = 0;  // cells holding commas (see CommaSurvey)
};

// Every cell of `columns` from row `firstRow` on, made what pasting and then
// typing it gives: NormaliseCell, the commas as the whole block reads them,
// the last-character filter of the cells ("3kg" is 3, "12.5%" is 12.5), and
// the cut to a cell's length. Plain numbers are left untouched quickly.
CleanedValues CleanValues(std::span<std::vector<std::string>> columns, std::size_t firstRow);

}  // namespace kelvasta
