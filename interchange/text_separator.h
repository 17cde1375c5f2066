#pragma once

#include <string_view>

namespace kelvasta {

// The separator of a text table, told from its first 100 records (at most
// 1 MiB): tab, ';' or ',', or 0 for one column; `unclear` is set when the
// lines mix separators beyond telling. See ReadTextTable for the rules.
char DetectSeparator(std::string_view text, bool& unclear);

}  // namespace kelvasta
