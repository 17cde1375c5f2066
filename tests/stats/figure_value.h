#pragma once

// The value of one figure of a list, looked up by its key in tests.

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "stats/figures.h"

namespace kelvasta::testing {

inline std::optional<double> Value(const FigureList& figures, std::string_view key) {
  for (const Figure& f : figures)
    if (f.key == key) return f.value;
  ADD_FAILURE() << "no figure " << key;
  return std::nullopt;
}

}  // namespace kelvasta::testing
