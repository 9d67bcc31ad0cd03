// The elevation model's relief as the map picture, or over a georeferenced map.
#include "app/elevation_view.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace brelvo::app {

CellMetres cellMetresAtCentre(const terrain::ElevationModel& model, const measure::GroundModel& ground) {
    const double cx = model.width / 2.0, cy = model.height / 2.0;
    const auto at = [&](double column, double row) {
        return ground.toGeographic(model.georef.toMap(column, row));
    };
    const auto centre = at(cx, cy), east = at(cx + 1, cy), south = at(cx, cy + 1);
    CellMetres cell;
    if (centre && east) cell.x = ground.geodesicLength(*centre, *east);
    if (centre && south) cell.y = ground.geodesicLength(*centre, *south);
    if (!(cell.x > 0)) cell.x = 1;
    if (!(cell.y > 0)) cell.y = 1;
    return cell;
}

namespace {

QImage imageOf(const std::vector<std::uint32_t>& pixels, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    if (image.isNull() || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return {};
    for (int y = 0; y < height; ++y) {
        std::memcpy(image.scanLine(y),
                    pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
    return image;
}

}  // namespace

ReliefMap reliefAsMap(const terrain::ElevationModel& model, const terrain::ReliefParams& params) {
    ReliefMap map;
    const int longSide = std::max(model.width, model.height);
    map.scale = std::max(1, (longSide + kMaxReliefMapSide - 1) / kMaxReliefMapSide);
    // The last picture pixel may reach past the model's edge: that part is transparent.
    const int width = (model.width + map.scale - 1) / map.scale;
    const int height = (model.height + map.scale - 1) / map.scale;
    const auto pixels = terrain::renderRelief(model, params, 0, 0, static_cast<double>(width) * map.scale,
                                              static_cast<double>(height) * map.scale, width, height);
    map.image = imageOf(pixels, width, height);
    map.georef = model.georef;
    for (const std::size_t k : {1u, 2u, 4u, 5u}) map.georef.geotransform[k] *= map.scale;
    return map;
}

std::optional<ReliefOverlay> reliefOverlay(const ElevationLayer& layer, const terrain::ReliefParams& params,
                                           QSize pictureSize, const std::function<bool(double)>& progress,
                                           bool* cancelled) {
    const terrain::ElevationModel& model = layer.model();
    // The grid's points, each transformed between the systems, are most of the work: 90 % of the bar.
    const auto goOn = [&](double fraction) {
        if (!progress || progress(fraction)) return true;
        if (cancelled != nullptr) *cancelled = true;
        return false;
    };
    // The model's outline on the picture, from points along its edges.
    constexpr int kEdgePoints = 32;
    double left = INFINITY, top = INFINITY, right = -INFINITY, bottom = -INFINITY;
    for (int k = 0; k <= kEdgePoints; ++k) {
        const double f = static_cast<double>(k) / kEdgePoints;
        for (const auto& [c, r] :
             {std::pair{f * model.width, 0.0}, std::pair{f * model.width, 1.0 * model.height},
              std::pair{0.0, f * model.height}, std::pair{1.0 * model.width, f * model.height}}) {
            const auto p = layer.pictureOfModel(model.georef.toMap(c, r));
            if (!p || !std::isfinite(p->x) || !std::isfinite(p->y)) continue;
            left = std::min(left, p->x);
            right = std::max(right, p->x);
            top = std::min(top, p->y);
            bottom = std::max(bottom, p->y);
        }
    }
    left = std::max(left, 0.0);
    top = std::max(top, 0.0);
    right = std::min(right, static_cast<double>(pictureSize.width()));
    bottom = std::min(bottom, static_cast<double>(pictureSize.height()));
    if (!(right > left) || !(bottom > top)) return std::nullopt;

    // At most one image pixel per picture pixel, and at most kMaxReliefOverlaySide on the long side.
    const double spanX = right - left, spanY = bottom - top;
    const double shrink = std::max(1.0, std::max(spanX, spanY) / kMaxReliefOverlaySide);
    const int width = std::max(1, static_cast<int>(std::ceil(spanX / shrink)));
    const int height = std::max(1, static_cast<int>(std::ceil(spanY / shrink)));
    const double stepX = spanX / width, stepY = spanY / height;

    // The model's cell coordinates at every kGrid-th image pixel, interpolated in between.
    constexpr int kGrid = 16;
    const int nodesX = width / kGrid + 2, nodesY = height / kGrid + 2;
    struct Node {
        double column = 0, row = 0;
        bool ok = false;
    };
    std::vector<Node> nodes(static_cast<std::size_t>(nodesX) * static_cast<std::size_t>(nodesY));
    for (int j = 0; j < nodesY; ++j) {
        if (!goOn(0.9 * j / nodesY)) return std::nullopt;
        for (int i = 0; i < nodesX; ++i) {
            Node& n = nodes[static_cast<std::size_t>(j) * nodesX + i];
            const auto point = layer.modelOfPicture(left + i * kGrid * stepX, top + j * kGrid * stepY);
            const auto cell = point ? model.georef.toPixel(*point) : std::nullopt;
            if (!cell || !std::isfinite(cell->x) || !std::isfinite(cell->y)) continue;
            n = {cell->x, cell->y, true};
        }
    }
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        if (y % kGrid == 0 && !goOn(0.9 + 0.1 * y / height)) return std::nullopt;
        const double gy = (y + 0.5) / kGrid;
        const int j = static_cast<int>(gy);
        const double v = gy - j;
        for (int x = 0; x < width; ++x) {
            const double gx = (x + 0.5) / kGrid;
            const int i = static_cast<int>(gx);
            const double u = gx - i;
            const Node& a = nodes[static_cast<std::size_t>(j) * nodesX + i];
            const Node& b = nodes[static_cast<std::size_t>(j) * nodesX + i + 1];
            const Node& c = nodes[static_cast<std::size_t>(j + 1) * nodesX + i];
            const Node& d = nodes[static_cast<std::size_t>(j + 1) * nodesX + i + 1];
            if (!a.ok || !b.ok || !c.ok || !d.ok) continue;
            const double column =
                (1 - v) * ((1 - u) * a.column + u * b.column) + v * ((1 - u) * c.column + u * d.column);
            const double row = (1 - v) * ((1 - u) * a.row + u * b.row) + v * ((1 - u) * c.row + u * d.row);
            // Far off the model stays off it (and within an int).
            const double c0 = std::clamp(std::floor(column), -1.0, static_cast<double>(model.width));
            const double r0 = std::clamp(std::floor(row), -1.0, static_cast<double>(model.height));
            pixels[static_cast<std::size_t>(y) * width + x] =
                terrain::reliefPixel(model, params, static_cast<int>(c0), static_cast<int>(r0));
        }
    }
    ReliefOverlay overlay;
    overlay.image = imageOf(pixels, width, height);
    overlay.rect = QRectF(left, top, spanX, spanY);
    return overlay;
}

}  // namespace brelvo::app
