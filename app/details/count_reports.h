#pragma once

#include "app/details/details_report.h"

namespace kelvasta {

// The details of the count tables, built from the grid as the panel reads it
// and from the captions the panel has just written. A grid with nothing
// typed gives the bare report (title and source, no figures).

// Fourfold table (the 2 x 2 grid, rows = groups, first column = the event):
// Pearson and Yates chi-squares, Fisher's exact P, OR, RR and the rate
// difference with their intervals; the sentence follows FourfoldRule.
DetailsBuild BuildFourfoldReport(const MainWindow& window);

// Paired fourfold table (the same grid, b and c discordant): McNemar's
// chi-squares, the exact binomial P and mid-P, the discordant ratio and
// Cohen's kappa; the sentence follows PairedRule.
DetailsBuild BuildPairedFourfoldReport(const MainWindow& window);

// R x C table of rates: chi-square, Cramér's V and the expected counts at
// once; the Freeman-Halton exact P follows from a job on the worker thread
// (its row reads "计算中…" meanwhile). The sentence follows RxcRule; when the
// rule picks the exact test the sentence waits for it.
DetailsBuild BuildRxcReport(const MainWindow& window);

// Ordinal 2 x 4 table: rank sum test (U, z without and with the tie
// correction, P), the probability of superiority and the mean Ridits.
DetailsBuild BuildOrdinalReport(const MainWindow& window);

}  // namespace kelvasta
