#pragma once

#include "app/details/details_report.h"

namespace kelvasta {

// The details of the tests of means and of correlation. The lists' items
// count at full precision (each item's text read as a number), not as the
// four-decimal summaries the panels show; with nothing typed the report is
// bare (title and source, no figures).

// Two-sample t: from the two lists while the six summary cells hold what the
// lists' summaries wrote (source "raw"), else from the cells as shown
// ("summary"). Pooled and Welch t, the variance ratio, Cohen's d and Hedges'
// g; the sentence reports the pooled t, or Welch's when the variances differ.
DetailsBuild BuildTwoSampleReport(const MainWindow& window);

// Paired t of the first list minus the second over the complete pairs.
DetailsBuild BuildPairedTReport(const MainWindow& window);

// One-way analysis of variance of the three group lists or the nine summary
// cells (source as for the two-sample t): the table, Welch's F, Bartlett's
// test and the Tukey-Kramer, LSD and Bonferroni pairs.
DetailsBuild BuildAnovaReport(const MainWindow& window);

// Pearson r and the least-squares line of the second list on the first, at
// once; Spearman's rank correlation follows from a job on the worker thread
// that holds its own copy of the two columns (its rows read "计算中…"
// meanwhile).
DetailsBuild BuildCorrelationReport(const MainWindow& window);

}  // namespace kelvasta
