#include "app/power/planning_codec.h"

#include <algorithm>

namespace kelvasta {

WorkPlanning ToWorkPlanning(const PlanningState& state) {
  WorkPlanning planning;
  planning.design = std::clamp(state.design, 0, 7);
  planning.findPower = state.findPower;
  planning.sides = state.sides == 1 ? 1 : 2;
  for (auto it = state.inputs.cbegin(); it != state.inputs.cend(); ++it)
    planning.inputs.emplace(it.key().toStdString(), it.value().toStdString());
  for (const QString& key : state.pilotKeys) planning.pilotKeys.push_back(key.toStdString());
  planning.pilotSource = state.pilotSource.toStdString();
  return planning;
}

PlanningState FromWorkPlanning(const WorkPlanning& planning) {
  PlanningState state;
  state.design = std::clamp(planning.design, 0, 7);
  state.findPower = planning.findPower;
  state.sides = planning.sides == 1 ? 1 : 2;
  for (const auto& [key, text] : planning.inputs)
    state.inputs.insert(QString::fromStdString(key), QString::fromStdString(text));
  for (const std::string& key : planning.pilotKeys) state.pilotKeys.push_back(QString::fromStdString(key));
  state.pilotSource = QString::fromStdString(planning.pilotSource);
  return state;
}

}  // namespace kelvasta
