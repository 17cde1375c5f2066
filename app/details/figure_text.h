#pragma once

#include <QString>

#include <optional>

namespace kelvasta {

// The texts of the details pane. An empty optional, NaN or an infinity shows
// as "—" (the figure cannot be computed for the data at hand).

// Four decimals rounded half away from zero, as the panels write them: the
// value's 15-significant-digit text is rounded on its decimal digits.
QString FigureText(std::optional<double> value);

// A P value: four decimals, or "<0.0001" below 0.0001.
QString PText(std::optional<double> p);

// Degrees of freedom: a whole number without decimals, else four decimals.
QString DfText(std::optional<double> df);
// A count (n, U): shown as degrees of freedom are ("2330", "2330.5000").
inline QString CountText(std::optional<double> count) { return DfText(count); }

// A confidence interval "a ~ b"; "—" when either end is missing.
QString IntervalText(std::optional<double> low, std::optional<double> high);

// The dash shown for a figure that cannot be computed.
QString MissingText();

}  // namespace kelvasta
