// The control points' fit: a similarity (scale, rotation, shift; the picture's rows run down while
// northings run up) through two points, an affine transform by least squares through three or more.
#include "measure/georef_fit.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

#include "common/messages.hpp"

namespace brelvo::measure {

namespace {

namespace msg = common::msg;

std::optional<std::array<double, 6>> similarity(const PixelToMap& p, const PixelToMap& q,
                                                std::string& error) {
    // Picture (column, -row) to map (X, Y) as one complex multiply and shift: w = a + b z.
    const std::complex<double> z1(p.column, -p.row), z2(q.column, -q.row);
    const std::complex<double> w1(p.map.x, p.map.y), w2(q.map.x, q.map.y);
    if (z1 == z2 || w1 == w2) {
        error = msg::kGeorefPointsTogether;
        return std::nullopt;
    }
    const std::complex<double> b = (w2 - w1) / (z2 - z1);
    // Shifted from the middle of the two points, so that both carry the same rounding.
    const std::complex<double> a = (w1 + w2) / 2.0 - b * (z1 + z2) / 2.0;
    return std::array<double, 6>{a.real(), b.real(), b.imag(), a.imag(), b.imag(), -b.real()};
}

std::optional<std::array<double, 6>> affine(const std::vector<PixelToMap>& points, std::string& error) {
    // Least squares about the points' mean, which keeps the normal equations well conditioned.
    const double n = static_cast<double>(points.size());
    double mc = 0, mr = 0, mx = 0, my = 0;
    for (const auto& p : points) {
        mc += p.column / n;
        mr += p.row / n;
        mx += p.map.x / n;
        my += p.map.y / n;
    }
    double scc = 0, scr = 0, srr = 0, scx = 0, srx = 0, scy = 0, sry = 0;
    for (const auto& p : points) {
        const double c = p.column - mc, r = p.row - mr, x = p.map.x - mx, y = p.map.y - my;
        scc += c * c;
        scr += c * r;
        srr += r * r;
        scx += c * x;
        srx += r * x;
        scy += c * y;
        sry += r * y;
    }
    const double det = scc * srr - scr * scr;
    if (!(std::fabs(det) > 1e-9 * std::max(scc * srr, 1e-300))) {
        error = msg::kGeorefPointsInLine;
        return std::nullopt;
    }
    const double g1 = (scx * srr - srx * scr) / det, g2 = (srx * scc - scx * scr) / det;
    const double g4 = (scy * srr - sry * scr) / det, g5 = (sry * scc - scy * scr) / det;
    return std::array<double, 6>{mx - g1 * mc - g2 * mr, g1, g2, my - g4 * mc - g5 * mr, g4, g5};
}

}  // namespace

std::optional<std::array<double, 6>> fitGeotransform(const std::vector<PixelToMap>& points,
                                                     std::string& error) {
    if (points.size() < 2) {
        error = msg::kGeorefNeedTwoPoints;
        return std::nullopt;
    }
    if (points.size() == 2) return similarity(points[0], points[1], error);
    return affine(points, error);
}

}  // namespace brelvo::measure
