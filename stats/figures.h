#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace kelvasta {

// One named figure of the details pane: the key is the stable name used by
// the automation dump ("pearson_p", "ci_low"), the value is empty where the
// figure cannot be computed for the data at hand.
struct Figure {
  std::string_view key;
  std::optional<double> value;
};

// The figures of one test in the order the pane lists them.
using FigureList = std::vector<Figure>;

}  // namespace kelvasta
