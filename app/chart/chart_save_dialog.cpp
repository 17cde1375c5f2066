#include "app/chart/chart_save_dialog.h"

#include "app/file_dialogs.h"

#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>

namespace kelvasta {

namespace {

const QString kPng = QStringLiteral("PNG 图像 (*.png)");
const QString kSvg = QStringLiteral("SVG 矢量图 (*.svg)");
const QString kPdf = QStringLiteral("PDF 文档 (*.pdf)");

QString SuffixOf(const QString& filter) {
  if (filter == kSvg) return QStringLiteral("svg");
  if (filter == kPdf) return QStringLiteral("pdf");
  return QStringLiteral("png");
}

QDoubleSpinBox* CentimetreBox(QWidget* parent, double value) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(kChartMinCm, kChartMaxCm);
  box->setDecimals(1);
  box->setSingleStep(0.5);
  box->setSuffix(QStringLiteral(" cm"));
  box->setValue(value);
  return box;
}

}  // namespace

QString ChartFileName(const QString& testName) {
  static const QRegularExpression kRefused(QStringLiteral(R"([\\/:*?"<>|\x00-\x1f])"));
  QString name = testName;
  name.replace(kRefused, QStringLiteral("_"));
  name = name.trimmed();
  return name.isEmpty() ? QStringLiteral("图表") : name;
}

std::optional<ChartSaveChoice> AskChartFile(QWidget* owner, const QString& suggestedName) {
  QFileDialog dialog(owner, QStringLiteral("保存图表"));
  // Qt's own dialog, so that the size and resolution can sit in it.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kPng, kSvg, kPdf});
  dialog.selectFile(suggestedName + QStringLiteral(".png"));
  FitFileDialog(dialog);

  auto* options = new QWidget(&dialog);
  auto* row = new QHBoxLayout(options);
  row->setContentsMargins(0, 0, 0, 0);
  QDoubleSpinBox* width = CentimetreBox(options, kChartWidthCm);
  QDoubleSpinBox* height = CentimetreBox(options, kChartHeightCm);
  width->setObjectName(QStringLiteral("ChartWidthCm"));
  height->setObjectName(QStringLiteral("ChartHeightCm"));
  auto* dpi = new QSpinBox(options);
  dpi->setObjectName(QStringLiteral("ChartDpi"));
  dpi->setRange(kChartMinDpi, kChartMaxDpi);
  dpi->setSingleStep(50);
  dpi->setValue(kChartDpi);
  auto* dpiLabel = new QLabel(QStringLiteral("分辨率(dpi)："), options);
  row->addWidget(new QLabel(QStringLiteral("宽度："), options));
  row->addWidget(width);
  row->addWidget(new QLabel(QStringLiteral("高度："), options));
  row->addWidget(height);
  row->addWidget(dpiLabel);
  row->addWidget(dpi);
  row->addStretch(1);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(new QLabel(QStringLiteral("图表大小："), &dialog), grid->rowCount(), 0);
    grid->addWidget(options, grid->rowCount() - 1, 1, 1, -1);
  }
  // The format follows the filter: the name's extension and the dpi with it.
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
    const QString suffix = SuffixOf(filter);
    dpi->setEnabled(suffix == u"png");
    dpiLabel->setEnabled(suffix == u"png");
    dialog.setDefaultSuffix(suffix);
    for (QLineEdit* name : dialog.findChildren<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
      const QString base = QFileInfo(name->text()).completeBaseName();
      if (!base.isEmpty()) name->setText(base + QLatin1Char('.') + suffix);
    }
  });
  dialog.setDefaultSuffix(QStringLiteral("png"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  ChartSaveChoice choice;
  choice.path = dialog.selectedFiles().front();
  choice.options.sizeCm = QSizeF(width->value(), height->value());
  choice.options.dpi = dpi->value();
  return choice;
}

}  // namespace kelvasta
