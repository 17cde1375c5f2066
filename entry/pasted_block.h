#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvasta {

// Cells copied from a spreadsheet program, row by row.
using TextBlock = std::vector<std::vector<std::string>>;

// Full-width digits, point (．) and minus (－), and the minus sign (−),
// become their ASCII forms, as a Chinese input method in full-width mode
// types them; with `fullStop` the ideographic full stop (。) becomes "." too.
// Other characters are kept.
std::string NormaliseWidth(std::string_view text, bool fullStop);

// Splits a pasted text into rows (LF or CR LF; a final line break ends the
// last row rather than starting an empty one) and cells (tabs). Each cell is
// width-normalised with full stops, and blanks and ideographic spaces around
// it are removed. Where the block writes decimals with a comma consistently
// (some "12,5", no "12.5", no comma used any other way) those commas become
// points. Empty text gives an empty block.
TextBlock ParsePastedBlock(std::string_view text);

}  // namespace kelvasta
