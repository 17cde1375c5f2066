#include "entry/pasted_block.h"

namespace kelvasta {

TextBlock ParsePastedBlock(std::string_view text, PasteNotes* notes) {
  TextBlock block;
  CommaSurvey survey;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::vector<std::string>& row = block.emplace_back();
    for (std::size_t start = 0;;) {
      const std::size_t tab = line.find('\t', start);
      survey.add(row.emplace_back(NormaliseCell(line.substr(start, tab - start))));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  PasteNotes found;
  found.commas = survey.reading();
  found.commaCells = survey.commaCells();
  for (auto& row : block) {
    for (std::string& cell : row) {
      ApplyCommaReading(found.commas, cell);
      found.cut += CutToCellLength(cell) ? 1 : 0;
    }
  }
  if (notes != nullptr) *notes = found;
  return block;
}

}  // namespace kelvasta
