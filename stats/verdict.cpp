#include "stats/verdict.h"

namespace kelvasta {

std::string_view VerdictText(Verdict verdict) {
  switch (verdict) {
    case Verdict::P05:
      return "p < 0.05";
    case Verdict::P01:
      return "p < 0.01";
    case Verdict::P001:
      return "p < 0.001";
    case Verdict::NotSignificant:
      break;
  }
  return "p > 0.05";
}

Verdict JudgeTwoLevels(double x, double c05, double c01) {
  if (x >= c05 && x < c01) {
    return Verdict::P05;
  }
  return x >= c01 ? Verdict::P01 : Verdict::NotSignificant;
}

Verdict JudgeThreeLevels(double x, double c05, double c01, double c001) {
  if (x >= c05 && x < c01) {
    return Verdict::P05;
  }
  if (x >= c01 && x < c001) {
    return Verdict::P01;
  }
  return x >= c001 ? Verdict::P001 : Verdict::NotSignificant;
}

}  // namespace kelvasta
