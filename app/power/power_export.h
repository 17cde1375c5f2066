#pragma once

#include <QJsonObject>

namespace kelvasta {

class PowerWindow;

// The automation dump's `power`: design, mode ("n" or "power"), sides, the
// shown inputs' texts, figures (numbers, null where "—"), rows as [label,
// shown text], notes, sentence and chart {"points"}.
QJsonObject PowerJson(const PowerWindow& window);

}  // namespace kelvasta
