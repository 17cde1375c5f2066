#pragma once

#include <array>

class QObject;

namespace kelvasta {

class MainWindow;
class ValueListBinding;

// Paste into the data cells and full-width typing. Ctrl+V (and the cells'
// context menu) pastes a block copied from a spreadsheet: into the value
// lists from that row and column on, into a count grid or the summary cells
// from that cell on within the grid, as one step of the window's history; a
// single value is pasted into the cell like typed text. Full-width digits,
// point and minus (and "。") typed with an input method arrive as ASCII.
void InstallCellPaste(MainWindow& window, const std::array<ValueListBinding*, 2>& lists);

}  // namespace kelvasta
