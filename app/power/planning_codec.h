#pragma once

#include "app/power/planning_state.h"
#include "interchange/work_file.h"

namespace kelvasta {

// The planning window's state and the work file's plain form of it. Design
// and sides outside their ranges are brought into them (0 to 7; 1 or 2), so
// a state read back always fits the window.
WorkPlanning ToWorkPlanning(const PlanningState& state);
PlanningState FromWorkPlanning(const WorkPlanning& planning);

}  // namespace kelvasta
