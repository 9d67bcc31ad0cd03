// The outlet's snap to the stream network, the older snap to the largest accumulation nearby, and the
// stream overlay.
#include <algorithm>
#include <cmath>
#include <tuple>

#include "terrain/delineation.hpp"

namespace brelvo::terrain {

namespace {

// A row's length from `lengths`, 0 when the row has none or it is not a positive finite number.
double lengthOf(const std::vector<double>& lengths, int row) {
    const auto r = static_cast<std::size_t>(row);
    if (row < 0 || r >= lengths.size()) return 0;
    const double v = lengths[r];
    return std::isfinite(v) && v > 0 ? v : 0;
}

}  // namespace

std::optional<Cell> snapOutlet(const FlowModel& flow, Cell clicked, int searchCells) {
    const int reach = std::max(searchCells, 0);
    std::optional<Cell> best;
    std::uint32_t bestAccumulation = 0;
    long long bestDistance = 0;
    const int top = std::max(clicked.row - reach, 0), bottom = std::min(clicked.row + reach, flow.height - 1);
    const int left = std::max(clicked.column - reach, 0),
              right = std::min(clicked.column + reach, flow.width - 1);
    for (int r = top; r <= bottom; ++r) {
        for (int c = left; c <= right; ++c) {
            const std::uint32_t a = flow.accumulation[static_cast<std::size_t>(r) * flow.width + c];
            if (a == 0) continue;  // NoData
            const long long dc = c - clicked.column, dr = r - clicked.row;
            const long long distance = dc * dc + dr * dr;
            if (!best || a > bestAccumulation || (a == bestAccumulation && distance < bestDistance)) {
                best = Cell{c, r};
                bestAccumulation = a;
                bestDistance = distance;
            }
        }
    }
    return best;
}

// Rows are searched outward from the clicked one while their centres' north-south distance stays within
// reach, and in each row the columns whose east-west distance does. A geometry without positive lengths
// for the clicked row (none was made for this model) searches the clicked cell alone.
std::optional<Cell> snapToStream(const FlowModel& flow, const CellGeometry& geometry, Cell clicked,
                                 double searchDistanceM, std::uint32_t streamThreshold) {
    if (clicked.column < 0 || clicked.row < 0 || clicked.column >= flow.width || clicked.row >= flow.height ||
        flow.accumulation.size() != static_cast<std::size_t>(flow.width) * flow.height) {
        return std::nullopt;
    }
    const std::uint32_t threshold = std::max<std::uint32_t>(streamThreshold, 1);
    const bool measured = lengthOf(geometry.dx, clicked.row) > 0 && lengthOf(geometry.dy, clicked.row) > 0;
    const double reach = measured && searchDistanceM > 0 ? searchDistanceM : 0;
    const double reach2 = reach * reach;
    std::optional<Cell> best;
    // Nearest, then the larger accumulation, then the first in row order.
    std::tuple<double, std::int64_t, int, int> bestKey{};
    const auto searchRow = [&](int row, double northSouth) {
        const double dx = (lengthOf(geometry.dx, clicked.row) + lengthOf(geometry.dx, row)) / 2;
        const double left = reach2 - northSouth * northSouth;
        if (left < 0) return;
        // One column more than the bound, each cell checked exactly below.
        const double bound = dx > 0 ? std::floor(std::sqrt(left) / dx) + 1 : 0;
        const int span = static_cast<int>(std::min(bound, static_cast<double>(flow.width)));
        const int first = std::max(clicked.column - span, 0);
        const int last = std::min(clicked.column + span, flow.width - 1);
        for (int c = first; c <= last; ++c) {
            const std::uint32_t a = flow.accumulation[static_cast<std::size_t>(row) * flow.width + c];
            if (a < threshold) continue;
            const double eastWest = (c - clicked.column) * dx;
            const double d2 = eastWest * eastWest + northSouth * northSouth;
            if (d2 > reach2) continue;
            const std::tuple<double, std::int64_t, int, int> key{d2, -static_cast<std::int64_t>(a), row, c};
            if (!best || key < bestKey) {
                best = Cell{c, row};
                bestKey = key;
            }
        }
    };
    searchRow(clicked.row, 0);
    double northSouth = 0;
    for (int r = clicked.row - 1; r >= 0; --r) {
        const double step = lengthOf(geometry.dy, r);
        if (step <= 0) break;
        northSouth += (lengthOf(geometry.dy, r + 1) + step) / 2;
        if (northSouth > reach) break;
        searchRow(r, northSouth);
    }
    northSouth = 0;
    for (int r = clicked.row + 1; r < flow.height; ++r) {
        const double step = lengthOf(geometry.dy, r);
        if (step <= 0) break;
        northSouth += (lengthOf(geometry.dy, r - 1) + step) / 2;
        if (northSouth > reach) break;
        searchRow(r, northSouth);
    }
    if (best) return best;
    if (flow.accumulation[static_cast<std::size_t>(clicked.row) * flow.width + clicked.column] == 0)
        return std::nullopt;  // NoData
    return clicked;
}

std::vector<std::uint8_t> streamCells(const FlowModel& flow, std::uint32_t threshold) {
    std::vector<std::uint8_t> stream(flow.accumulation.size(), 0);
    for (std::size_t c = 0; c < stream.size(); ++c) {
        const std::uint32_t a = flow.accumulation[c];
        stream[c] = a > 0 && a >= threshold ? 1 : 0;
    }
    return stream;
}

}  // namespace brelvo::terrain
