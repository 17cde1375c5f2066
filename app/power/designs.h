#pragma once

// The planning designs, one unit each.

#include "app/power/power_design.h"

namespace kelvasta {

PowerDesign TwoMeansDesign();     // 0: two independent means
PowerDesign PairedMeansDesign();  // 1: paired means
PowerDesign AnovaDesign();        // 2: one-way analysis of variance
PowerDesign CorrelationDesign();  // 6: correlation
// A design whose planning is not built yet: its name, and "—" for figures.
PowerDesign PendingDesign(const QString& name);

}  // namespace kelvasta
