#include "app/power/designs.h"

namespace kelvasta {

const std::array<PowerDesign, 8>& PowerDesigns() {
  static const std::array<PowerDesign, 8> designs{
      TwoMeansDesign(), PairedMeansDesign(), AnovaDesign(),       TwoRatesDesign(),
      PairedRatesDesign(), RxcDesign(),      CorrelationDesign(), OrdinalDesign(),
  };
  return designs;
}

}  // namespace kelvasta
