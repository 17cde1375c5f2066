#include "app/cell_filter_widget.h"
#include "app/controls.h"
#include "app/handlers/caption_text.h"
#include "app/handlers/handlers.h"
#include "stats/anova.h"
#include "stats/pairwise_lsd_t.h"
#include "stats/pairwise_q.h"

#include <QPushButton>

namespace kelvasta {

namespace {

std::array<std::string, 9> SummaryCells(const Controls& c) { return CellTexts<9>(c.Text41); }

void ClearPairwiseLines(const Controls& c) {
  c.Label10->clear();
  c.Label11->clear();
  c.Label12->clear();
}

void ShowPairwise(const Controls& c, Storage& s, const PairwiseOutcome& out) {
  switch (out.action) {
    case PairwiseOutcome::Action::Blank:
      c.Label5(26)->clear();
      ClearPairwiseLines(c);
      return;
    case PairwiseOutcome::Action::KeepLines:
      break;
    case PairwiseOutcome::Action::Write:
      SetCaption(c.Label10, out.lines[0]);
      SetCaption(c.Label11, out.lines[1]);
      SetCaption(c.Label12, out.lines[2]);
      break;
  }
  if (!out.sortedMeans.empty()) s.List8 = out.sortedMeans;
}

void ShowPairwiseQ(const Controls& c, Storage& s) {
  ShowPairwise(c, s, RunPairwiseQ(SummaryCells(c), s.WithinGroupsSS, s.WithinGroupsDf, s.List7));
}

void ShowPairwiseLsdT(const Controls& c, Storage& s) {
  ShowPairwise(c, s, RunPairwiseLsdT(SummaryCells(c), s.WithinGroupsSS, s.WithinGroupsDf));
}

void RecomputeAnova(const Controls& c, Storage& s) {
  const AnovaOutcome out = AnovaFTest(SummaryCells(c), s.List6);
  if (!out.complete) {
    // The critical values stay; everything computed from the cells goes.
    c.Label5(26)->clear();
    ClearPairwiseLines(c);
    c.Label5(30)->clear();
    return;
  }
  if (out.f05) SetCaption(c.Label5(29), *out.f05);
  if (out.f01) SetCaption(c.Label5(28), *out.f01);
  s.WithinGroupsSS = out.withinSS;
  s.WithinGroupsDf = out.withinDf;
  SetCaption(c.Label5(26), out.result);
  if (out.runPairwise) {
    ShowPairwiseQ(c, s);
  } else {
    ClearPairwiseLines(c);
  }
  c.Label5(30)->clear();
}

}  // namespace

void WireAnova(const Controls& c, Storage& s, QObject* context) {
  for (const auto& [index, cell] : c.Text41) {
    QLineEdit* changed = cell;
    QObject::connect(changed, &QLineEdit::textChanged, context, [&c, &s, changed] {
      ReplaceFullStops(changed);
      RecomputeAnova(c, s);
    });
  }
  QObject::connect(c.Command15, &QPushButton::clicked, context, [&c, &s] { ShowPairwiseQ(c, s); });
  QObject::connect(c.Command16, &QPushButton::clicked, context, [&c, &s] { ShowPairwiseLsdT(c, s); });
}

}  // namespace kelvasta
