#pragma once

#include <array>

class QObject;

namespace kelvasta {

struct Controls;
struct Storage;
class ValueListBinding;

// Each function connects the change handling of one panel's cells. A handler
// only reads the controls, calls the panel's pure computation and writes its
// captions; the computations live in stats/ and entry/.

void WireCountTable(const Controls& c, QObject* context);   // Text11: fourfold and paired chi-square
void WireRxcTable(const Controls& c, QObject* context);     // Text111: several rates
void WireOrdinalTable(const Controls& c, QObject* context); // Text12: rank sum and Ridit
void WireSummaryT(const Controls& c, const Storage& s, QObject* context);  // Text4: t test from summaries
// The raw-value lists of both list panels, with the hand-over to their tests;
// gives the bindings of the two-column and of the group lists.
std::array<ValueListBinding*, 2> WireValueLists(const Controls& c, Storage& s, QObject* context);
// Summarises every column of the two-column lists (or of the group lists)
// and computes the panel's test from the lists as they stand, as storing
// into each column in turn would.
void RecomputeValueLists(const Controls& c, Storage& s, bool groups);
// Text41: the analysis of variance, and the two pairwise buttons.
void WireAnova(const Controls& c, Storage& s, QObject* context);
// The pocket calculator's keys.
void WireCalculator(const Controls& c, Storage& s, QObject* context);

}  // namespace kelvasta
