#pragma once

#include <QString>

#include <vector>

namespace kelvasta {

// Text prepared for finding: blanks dropped, full-width forms folded to
// their ordinary ones, case folded, so that "P值" finds "P 值" and "Ｐ值".
// positions[i] is where folded character i came from in the original.
struct FoldedText {
  QString text;
  std::vector<int> positions;
};
FoldedText FoldForFind(const QString& text);

// A match in the original text: [start, end); start < 0 when none.
struct FoundSpan {
  int start = -1;
  int end = -1;
};

// The first match of `needle` (folded as above) in `haystack` that starts
// at or after `from`, going round to the start; with `backward`, the last
// one that starts before `from`, going round from the end. None when the
// needle folds to nothing or occurs nowhere.
FoundSpan FindFolded(const FoldedText& haystack, const QString& needle, int from, bool backward);

}  // namespace kelvasta
