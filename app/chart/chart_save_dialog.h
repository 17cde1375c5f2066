#pragma once

#include "app/chart/chart_view.h"

#include <QString>

#include <optional>

class QWidget;

namespace kelvasta {

// Where and how a chart is saved: the path (its extension picks the format)
// and the file options.
struct ChartSaveChoice {
  QString path;
  ChartFileOptions options;
};

// The save dialog of the chart: the file browser with the suggested name
// (`suggestedName` plus the chosen format's extension), the size in
// centimetres and, for PNG, the resolution. Nullopt when cancelled.
std::optional<ChartSaveChoice> AskChartFile(QWidget* owner, const QString& suggestedName);

// The file name a chart is offered under: the test's name with characters
// that file systems refuse replaced.
QString ChartFileName(const QString& testName);

}  // namespace kelvasta
