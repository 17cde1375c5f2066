#pragma once

class QLineEdit;

namespace kelvasta {

// The last-character filter of a data cell: when the filter's steps would
// change the text, the text they settle on is written back once, which runs
// the cell's change handling again, nested, on that text.
void FilterLastCharacter(QLineEdit* cell, bool replaceFullStop);

// Only the first step of the filter: every "。" becomes ".". Summary cells
// use it; they never lose a character.
void ReplaceFullStops(QLineEdit* cell);

}  // namespace kelvasta
