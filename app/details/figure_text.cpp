#include "app/details/figure_text.h"

#include "stats/number_text.h"

#include <cmath>

namespace kelvasta {

namespace {

bool Usable(std::optional<double> value) { return value.has_value() && std::isfinite(*value); }

QString FromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString MissingText() { return QStringLiteral("—"); }

QString FigureText(std::optional<double> value) {
  if (!Usable(value)) return MissingText();
  return FromStd(FormatFourDecimals(DoubleToText(*value)));
}

QString PText(std::optional<double> p) {
  if (!Usable(p)) return MissingText();
  if (*p < 0.0001) return QStringLiteral("<0.0001");
  return FigureText(p);
}

QString DfText(std::optional<double> df) {
  if (!Usable(df)) return MissingText();
  if (std::floor(*df) == *df && std::fabs(*df) < 1e15) return FromStd(DoubleToText(*df));
  return FigureText(df);
}

QString IntervalText(std::optional<double> low, std::optional<double> high) {
  if (!Usable(low) || !Usable(high)) return MissingText();
  return FigureText(low) + QStringLiteral(" ~ ") + FigureText(high);
}

}  // namespace kelvasta
