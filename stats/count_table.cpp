#include "stats/count_table.h"

namespace kelvasta {
namespace {

std::optional<Currency> Sum(Currency x, Currency y) { return x.Plus(y); }

std::optional<Currency> Sum(const std::optional<Currency>& x, const std::optional<Currency>& y) {
  if (!x || !y) {
    return std::nullopt;
  }
  return x->Plus(*y);
}

std::string Caption(const std::optional<Currency>& value) { return value ? value->ToText() : ""; }

}  // namespace

Currency CellValue(const CountTotals& t, int index) {
  return t.cells[static_cast<std::size_t>(index)].value_or(Currency{});
}

CountTotals ComputeCountTotals(const std::array<std::string, 4>& cellTexts) {
  CountTotals t;
  for (std::size_t i = 0; i < cellTexts.size(); ++i) {
    t.cells[i] = Currency::FromText(cellTexts[i]);
  }
  Currency a = CellValue(t, 0), b = CellValue(t, 1), c = CellValue(t, 2), d = CellValue(t, 3);
  t.c1 = Sum(a, c);
  t.c2 = Sum(b, d);
  t.r1 = Sum(a, b);
  t.r2 = Sum(c, d);
  // A total that overflows has no text, so the grand total built on it has none either.
  t.grand = Sum(t.r1, t.r2);
  t.n = t.grand ? t.grand->RoundToInteger().value_or(0) : 0;
  t.captions = {Caption(t.c1), Caption(t.c2), Caption(t.r1), Caption(t.r2), Caption(t.grand)};
  return t;
}

}  // namespace kelvasta
