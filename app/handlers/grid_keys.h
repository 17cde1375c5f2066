#pragma once

#include <vector>

class QObject;
class QWidget;

namespace kelvasta {

struct Controls;

// The widgets in the order a reader meets them on screen: row by row from
// the top, left to right within a row. Two widgets share a row when the
// second starts above the middle of the first in that row.
std::vector<QWidget*> ReadingOrder(std::vector<QWidget*> widgets, const QWidget* frame);

// Enter and Down move the focus to the next cell of a count grid (Text11,
// Text111, Text12) or of the summary cells (Text4, Text41), Up to the
// previous one, in reading order. The last cell keeps the focus on Enter and
// Down, the first on Up: a count is never carried into another row of data
// by surprise. The cells' texts and change handling are untouched.
void InstallGridKeys(const Controls& c, QObject* owner);

// The mouse wheel over the cells of the value lists moves their scroll bar
// (VS1, VSl1) three rows a notch; the bar refreshes the rows itself.
void InstallListWheel(const Controls& c, QObject* owner);

// Tab follows the drawing: the test buttons top to bottom, then the cells
// and buttons of the panels (upper, then lower) in reading order, then the
// calculator. Hidden panels drop out of the chain by themselves.
void ChainTabOrder(const Controls& c);

}  // namespace kelvasta
