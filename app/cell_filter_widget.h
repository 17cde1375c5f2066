#pragma once

class QLineEdit;

namespace kelvasta {

// The last-character filter of a data cell. Every step that changes the text
// writes it back at once, which runs the cell's change handling again, nested,
// before the next step looks at the text as it then stands.
void FilterLastCharacter(QLineEdit* cell, bool replaceFullStop);

// Only the first step of the filter: every "。" becomes ".". Summary cells
// use it; they never lose a character.
void ReplaceFullStops(QLineEdit* cell);

}  // namespace kelvasta
