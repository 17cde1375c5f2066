// The chart in files: PNG, SVG and PDF, and the picture that is copied.
#include "app/chart/chart_drawing.h"
#include "app/chart/chart_view.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <algorithm>

namespace kelvasta {

QSize LogicalSize(QSizeF sizeCm) {
  return QSize(std::max(1, qRound(sizeCm.width() / 2.54 * kScreenDpi)),
               std::max(1, qRound(sizeCm.height() / 2.54 * kScreenDpi)));
}

void Paint(QCustomPlot& plot, QPaintDevice& device, QSize logical, double scaleX, double scaleY, bool vector) {
  QCPPainter painter(&device);
  painter.setFont(plot.font());
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  if (vector) {
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
  }
  painter.scale(scaleX, scaleY);
  plot.toPainter(&painter, logical.width(), logical.height());
}

QImage RenderChart(const ChartModel& model, QSizeF sizeCm, int dpi) {
  const QSize pixels(std::max(1, qRound(sizeCm.width() / 2.54 * dpi)),
                     std::max(1, qRound(sizeCm.height() / 2.54 * dpi)));
  const QSize logical = LogicalSize(sizeCm);
  QCustomPlot plot;
  plot.resize(logical);
  DrawChart(plot, model);
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  // Fonts are laid out at 96 dpi and the painter scales, so the resolution
  // is written only after painting.
  Paint(plot, image, logical, double(pixels.width()) / logical.width(), double(pixels.height()) / logical.height(),
        false);
  const int dotsPerMetre = qRound(dpi / 0.0254);
  image.setDotsPerMeterX(dotsPerMetre);
  image.setDotsPerMeterY(dotsPerMetre);
  return image;
}

QByteArray TidySvg(QByteArray svg, QSizeF sizeCm) {
  const int open = int(svg.indexOf("<svg"));
  const int close = open < 0 ? -1 : int(svg.indexOf('>', open));
  if (close < 0) return svg;
  QString head = QString::fromUtf8(svg.mid(open, close - open));
  static const QRegularExpression kWidth(QStringLiteral(R"( width="[^"]*")"));
  static const QRegularExpression kHeight(QStringLiteral(R"( height="[^"]*")"));
  head.replace(kWidth, QStringLiteral(" width=\"%1mm\"").arg(sizeCm.width() * 10, 0, 'g', 10));
  head.replace(kHeight, QStringLiteral(" height=\"%1mm\"").arg(sizeCm.height() * 10, 0, 'g', 10));
  svg.replace(open, close - open, head.toUtf8());
  // font-family="WenQuanYi Micro Hei" -> font-family="'WenQuanYi Micro Hei', sans-serif"
  static const QRegularExpression kFamily(QStringLiteral(R"re(font-family="([^"',]+)")re"));
  QString text = QString::fromUtf8(svg);
  text.replace(kFamily, QStringLiteral("font-family=\"'\\1', sans-serif\""));
  return text.toUtf8();
}

bool SaveChart(const ChartModel& model, const QString& path, const ChartFileOptions& options) {
  const QSizeF sizeCm = options.sizeCm;
  if (!(sizeCm.width() >= kChartMinCm && sizeCm.width() <= kChartMaxCm && sizeCm.height() >= kChartMinCm &&
        sizeCm.height() <= kChartMaxCm && options.dpi >= kChartMinDpi && options.dpi <= kChartMaxDpi))
    return false;
  // A folder, named pipe or device is never written: opening a pipe for
  // writing would wait for a reader.
  const QFileInfo target(path);
  if (target.exists() && !target.isFile()) return false;
  const QString suffix = target.suffix().toLower();
  const QString title = options.title.isEmpty() ? QStringLiteral("Kelvasta") : options.title;
  if (suffix == u"png") {
    // At most 100 million pixels (400 MB while drawn).
    const double side = options.dpi / 2.54;
    if (sizeCm.width() * side * sizeCm.height() * side > kChartMaxPixels) return false;
    const QImage image = RenderChart(model, sizeCm, options.dpi);
    return !image.isNull() && image.save(path, "PNG");
  }
  const QSize logical = LogicalSize(sizeCm);
  QCustomPlot plot;
  plot.resize(logical);
  DrawChart(plot, model);
  if (suffix == u"svg") {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(logical);
    svg.setViewBox(QRect(QPoint(0, 0), logical));
    svg.setResolution(int(kScreenDpi));
    svg.setTitle(title);
    Paint(plot, svg, logical, 1, 1, true);
    QFile file(path);
    const QByteArray text = TidySvg(buffer.data(), sizeCm);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
           file.flush();
  }
  if (suffix == u"pdf") {
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QSizeF(sizeCm.width() * 10, sizeCm.height() * 10), QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setResolution(int(kScreenDpi));
    pdf.setCreator(QStringLiteral("Kelvasta"));
    pdf.setTitle(title);
    Paint(plot, pdf, logical, 1, 1, true);
    return QFileInfo(path).size() > 0;
  }
  return false;
}

}  // namespace kelvasta
