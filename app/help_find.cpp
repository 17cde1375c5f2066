#include "app/help_find.h"

#include <algorithm>

namespace kelvasta {

namespace {

bool Blank(QChar c) { return c.isSpace() || c == QChar(0x3000) || c == QChar::ObjectReplacementCharacter; }

}  // namespace

FoldedText FoldForFind(const QString& text) {
  FoldedText folded;
  folded.text.reserve(text.size());
  folded.positions.reserve(std::size_t(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (Blank(c)) continue;
    // Compatibility forms (full-width Latin, digits and signs) to their
    // plain letters; a character may unfold into several.
    const QString plain = (c.unicode() < 0x80 ? QString(c) : QString(c).normalized(QString::NormalizationForm_KC))
                              .toCaseFolded();
    for (QChar p : plain) {
      if (Blank(p)) continue;
      folded.text.append(p);
      folded.positions.push_back(int(i));
    }
  }
  return folded;
}

FoundSpan FindFolded(const FoldedText& haystack, const QString& needle, int from, bool backward) {
  const QString wanted = FoldForFind(needle).text;
  if (wanted.isEmpty()) return {};
  std::vector<qsizetype> starts;
  for (qsizetype at = haystack.text.indexOf(wanted); at >= 0; at = haystack.text.indexOf(wanted, at + 1))
    starts.push_back(at);
  if (starts.empty()) return {};
  const auto original = [&](qsizetype at) { return haystack.positions[std::size_t(at)]; };
  qsizetype chosen = -1;
  if (backward) {
    auto it = std::find_if(starts.rbegin(), starts.rend(), [&](qsizetype at) { return original(at) < from; });
    chosen = it != starts.rend() ? *it : starts.back();
  } else {
    auto it = std::find_if(starts.begin(), starts.end(), [&](qsizetype at) { return original(at) >= from; });
    chosen = it != starts.end() ? *it : starts.front();
  }
  return {original(chosen), original(chosen + wanted.size() - 1) + 1};
}

}  // namespace kelvasta
