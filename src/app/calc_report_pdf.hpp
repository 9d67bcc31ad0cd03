// The calculation report drawn on pages: the two titles and a rule heading every page, "Page N of M" at
// its foot, the document's lines in a fixed-width font, the map view and the hydrograph chart drawn
// into the page at the device's resolution (lines and labels stay sharp in a PDF).
#pragma once

#include "runoff/calc_report.hpp"

class QGraphicsView;
class QPagedPaintDevice;
class QWidget;

namespace brelvo::app {

// The number of pages drawn; 0 when the device could not be painted on.
int paintCalcReport(QPagedPaintDevice& device, const runoff::CalcReport& report, QWidget& map,
                    QGraphicsView& chart);

}  // namespace brelvo::app
