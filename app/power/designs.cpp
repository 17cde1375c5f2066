#include "app/power/designs.h"

#include "app/power/planning_text.h"

namespace kelvasta {

PowerDesign PendingDesign(const QString& name) {
  PowerDesign design;
  design.name = name;
  design.shownKeys = [](const PlanningState&) { return QStringList(); };
  design.compute = [](const PlanningState&, const QString&, const std::atomic<bool>&) {
    return planning::PendingReport();
  };
  design.pilot = [](const MainWindow&) { return PilotValues(); };
  return design;
}

const std::array<PowerDesign, 8>& PowerDesigns() {
  static const std::array<PowerDesign, 8> designs{
      TwoMeansDesign(),
      PairedMeansDesign(),
      AnovaDesign(),
      PendingDesign(QStringLiteral("两样本率比较")),
      PendingDesign(QStringLiteral("配对率比较")),
      PendingDesign(QStringLiteral("多个率（R×C）比较")),
      CorrelationDesign(),
      PendingDesign(QStringLiteral("等级资料比较（秩和检验）")),
  };
  return designs;
}

}  // namespace kelvasta
