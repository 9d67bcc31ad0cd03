// The calculation report drawn on pages: the two titles and a rule heading every page, "Page N of M" at
// its foot, the document's lines in a fixed-width font, the map view and the hydrograph chart drawn
// into the page at the device's resolution (lines and labels stay sharp in a PDF).
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QRectF>
#include <optional>

#include "runoff/calc_report.hpp"

class QGraphicsView;
class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace brelvo::app {

// What the printed reports share: Letter pages with 18 mm margins, a 9-point fixed-width font and its
// bold, the font's metrics on the device and the page's drawing area.
struct ReportPages {
    QFont mono;
    QFont bold;
    QFontMetricsF metrics;
    QRectF page;
};
// Sets the device's pages up and begins painting on it; nothing when the device cannot be painted on.
std::optional<ReportPages> beginReportPages(QPagedPaintDevice& device, QPainter& painter);

// The number of pages drawn; 0 when the device could not be painted on.
int paintCalcReport(QPagedPaintDevice& device, const runoff::CalcReport& report, QWidget& map,
                    QWidget& chart);

}  // namespace brelvo::app
