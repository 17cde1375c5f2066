#pragma once

// The planning designs, one unit each.

#include "app/power/power_design.h"

namespace kelvasta {

PowerDesign TwoMeansDesign();     // 0: two independent means
PowerDesign PairedMeansDesign();  // 1: paired means
PowerDesign AnovaDesign();        // 2: one-way analysis of variance
PowerDesign TwoRatesDesign();     // 3: two rates
PowerDesign PairedRatesDesign();  // 4: paired rates
PowerDesign RxcDesign();          // 5: several rates or compositions (R x C)
PowerDesign CorrelationDesign();  // 6: correlation
PowerDesign OrdinalDesign();      // 7: ordinal grades

}  // namespace kelvasta
