// What the map view draws of a delineation over the map: the stream cells of the elevation model (blue)
// and the outlet's search square with the snapped outlet. Cells are placed by a transform from the
// model's cell corners (column, row) to the view's pixels; only the part inside the painted rectangle
// is drawn, at no more than the view's own resolution.
#pragma once

#include <QTransform>
#include <cstdint>
#include <vector>

class QPainter;
class QRect;

namespace brelvo::app {

// `streams`: width * height cells, row by row, non-zero on a stream.
void paintStreams(QPainter& painter, const QRect& dirty, const QTransform& cellToView,
                  const std::vector<std::uint8_t>& streams, int width, int height);

// The outlet's cell marked, at least a few pixels across.
void paintOutlet(QPainter& painter, const QTransform& cellToView, int outletColumn, int outletRow);

// The reach of the outlet's search: an ellipse about the clicked cell's centre, its radii in columns
// and rows (the search distance over the cells' width and height on the ground).
void paintSearchReach(QPainter& painter, const QTransform& cellToView, int clickedColumn, int clickedRow,
                      double radiusColumns, double radiusRows);

}  // namespace brelvo::app
