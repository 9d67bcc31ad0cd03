// The calculation report drawn on pages: one header naming the project and its storm set and a rule
// heading every page, "Page N of M" at its foot, the document's lines in the shipped fixed-width font,
// the map figure drawn from the traced lines at the page's resolution and the hydrograph chart.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPolygonF>
#include <QRectF>
#include <functional>
#include <optional>
#include <vector>

#include "runoff/calc_report.hpp"

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace brelvo::app {

// The printed reports' fonts, loaded once from the program's data files (DejaVu Sans and Sans Mono), so
// that a report looks the same on every machine. Falls back to the system's fonts only when the files
// are missing.
struct ReportFonts {
    QString sans;
    QString mono;
    bool shipped = false;  // both families came from the program's own files
};
const ReportFonts& reportFonts();

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

// The map page's figure as the window gathers it, in the map view's pixels: the whole traced work, not
// only the part the view shows.
struct MapFigure {
    std::vector<QPolygonF> boundaries;
    std::vector<QPolygonF> streams;
    std::optional<QPointF> outlet;
    QRectF picture;  // the map picture's rectangle; empty without one
    // Draws the map picture into `target` (page pixels), clipped to `clip`.
    std::function<void(QPainter&, const QRectF& target, const QRect& clip)> paintPicture;
    double unitsPerPixel = 0;  // map length units per view pixel; 0: the map has no scale
    QString unit;              // of those lengths: "ft", "m", "mi"
    // North's direction on the map, degrees clockwise from up; none: not known (not georeferenced).
    std::optional<double> northDegrees;
};

// Draws the figure into `box` of the page: the picture under the basin, stream and outlet, a north
// arrow, and below it the legend and a scale bar.
void drawMapFigure(QPainter& painter, const MapFigure& figure, const QRectF& box, const QFont& font);

// The length a scale bar shows for about `length` units: 1, 2 or 5 times a power of ten, not above it.
double scaleBarLength(double length);

// The number of pages drawn; 0 when the device could not be painted on.
int paintCalcReport(QPagedPaintDevice& device, const runoff::CalcReport& report, const MapFigure& map,
                    QWidget& chart);

}  // namespace brelvo::app
