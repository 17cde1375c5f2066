#include "app/power/pilot_data.h"

#include "app/controls.h"
#include "app/details/mean_reports_parts.h"
#include "app/main_window.h"
#include "app/power/planning_text.h"
#include "app/test_table.h"
#include "stats/correlation_figures.h"
#include "stats/mean_figures.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace kelvasta {

namespace {

using mean_reports::CellsFromLists;
using mean_reports::ListMoments;
using mean_reports::TypedMoments;

QString TestCaption(int test) {
  const std::string_view caption = kTests[std::size_t(test)].caption;
  return QString::fromUtf8(caption.data(), qsizetype(caption.size()));
}

bool Usable(const GroupMoments& m) { return m.n >= 2 && std::isfinite(m.mean) && std::isfinite(m.sd); }

// Each group's moments from the lists while the summary cells hold what the
// lists wrote, else from the cells (three per group).
template <std::size_t Groups>
std::array<GroupMoments, Groups> GroupsOf(const ControlArray<QLineEdit>& cells,
                                          std::span<const std::string> written,
                                          const std::array<const ValueList*, Groups>& lists) {
  const bool raw = CellsFromLists(cells, written);
  std::array<GroupMoments, Groups> groups;
  for (std::size_t g = 0; g < Groups; ++g) groups[g] = raw ? ListMoments(*lists[g]) : TypedMoments(cells, int(g) * 3);
  return groups;
}

}  // namespace

QString PilotText(double value) { return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest); }

PilotValues NoPilot(int test, bool shown) {
  PilotValues none;
  none.note = shown ? QStringLiteral("“%1”面板的数据不足以计算设计参数").arg(TestCaption(test))
                    : QStringLiteral("请先在“%1”面板中输入预试验数据").arg(TestCaption(test));
  return none;
}

QString SizesSource(const QStringList& sizes) {
  return QStringLiteral("取自预试验数据：%1").arg(sizes.join(QStringLiteral("、")));
}

PilotValues TwoGroupsPilot(const MainWindow& window) {
  if (window.CurrentTest() != kTwoSampleT) return NoPilot(kTwoSampleT, false);
  const Storage& s = window.storage();
  const auto [one, two] =
      GroupsOf<2>(window.controls().Text4, s.Text4FromLists, {&s.List1(), &s.List2()});
  if (!Usable(one) || !Usable(two)) return NoPilot(kTwoSampleT, true);
  const double pooled =
      std::sqrt(((one.n - 1) * one.sd * one.sd + (two.n - 1) * two.sd * two.sd) / (one.n + two.n - 2));
  if (!std::isfinite(pooled) || pooled <= 0) return NoPilot(kTwoSampleT, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("mean1"), PilotText(one.mean)},
                 {QStringLiteral("mean2"), PilotText(two.mean)},
                 {QStringLiteral("sd"), PilotText(pooled)}};
  pilot.source = SizesSource({QStringLiteral("第1组%1例").arg(PilotText(one.n)),
                              QStringLiteral("第2组%1例").arg(PilotText(two.n))});
  return pilot;
}

PilotValues PairedPilot(const MainWindow& window) {
  if (window.CurrentTest() != kPairedT) return NoPilot(kPairedT, false);
  const Storage& s = window.storage();
  const PairedTFigures f = ComputePairedTFigures(s.List1().numbers(), s.List2().numbers());
  if (!f.mean_difference || !f.sd_difference || !f.n || *f.sd_difference <= 0) return NoPilot(kPairedT, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("mean_difference"), PilotText(*f.mean_difference)},
                 {QStringLiteral("sd_difference"), PilotText(*f.sd_difference)}};
  pilot.source = SizesSource({QStringLiteral("%1对").arg(PilotText(*f.n))});
  return pilot;
}

PilotValues ThreeGroupsPilot(const MainWindow& window) {
  if (window.CurrentTest() != kAnova) return NoPilot(kAnova, false);
  const Storage& s = window.storage();
  const std::array<GroupMoments, 3> groups =
      GroupsOf<3>(window.controls().Text41, s.Text41FromLists, {&s.List3(), &s.List4(), &s.List5()});
  for (const GroupMoments& g : groups)
    if (!Usable(g)) return NoPilot(kAnova, true);
  const AnovaFigures f = ComputeAnovaFigures(groups);
  if (!f.ms_within || *f.ms_within <= 0) return NoPilot(kAnova, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("k"), QStringLiteral("3")}, {QStringLiteral("sd"), PilotText(std::sqrt(*f.ms_within))}};
  QStringList sizes;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    pilot.texts[QStringLiteral("mean_%1").arg(g + 1)] = PilotText(groups[g].mean);
    sizes.push_back(QStringLiteral("第%1组%2例").arg(g + 1).arg(PilotText(groups[g].n)));
  }
  pilot.source = SizesSource(sizes);
  return pilot;
}

PilotValues CorrelationPilot(const MainWindow& window) {
  if (window.CurrentTest() != kCorrelation) return NoPilot(kCorrelation, false);
  const Storage& s = window.storage();
  const CorrelationFigures f = ComputeCorrelationFigures(s.List1().numbers(), s.List2().numbers());
  if (!f.r || !f.n || std::fabs(*f.r) >= 1 || *f.r == 0) return NoPilot(kCorrelation, true);
  PilotValues pilot;
  pilot.texts = {{QStringLiteral("rho"), PilotText(*f.r)}};
  pilot.source = SizesSource({QStringLiteral("%1对").arg(PilotText(*f.n))});
  return pilot;
}

}  // namespace kelvasta
