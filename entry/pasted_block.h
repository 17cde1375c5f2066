#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "entry/value_text.h"

namespace kelvasta {

// Cells copied from a spreadsheet, row by row.
using TextBlock = std::vector<std::vector<std::string>>;

// What reading a block did that the user should hear of.
struct PasteNotes {
  CommaReading commas = CommaReading::None;
  std::size_t commaCells = 0;  // cells holding commas in numbers
  std::size_t cut = 0;         // cells cut to kMaxCellLength characters
};

// Splits a pasted text into rows (LF or CR LF; a final line break ends the
// last row rather than starting an empty one) and cells (tabs). Each cell is
// NormaliseCell'd; the commas of its numbers are read as the whole block
// uses them (CommaSurvey: "1,000" groups thousands, "12,5" is a decimal
// comma, a block using both ways keeps them as they are); a cell longer
// than a data cell holds is cut. Empty text gives an empty block. `notes`,
// when given, says how the commas were read and how many cells were cut.
TextBlock ParsePastedBlock(std::string_view text, PasteNotes* notes = nullptr);

}  // namespace kelvasta
