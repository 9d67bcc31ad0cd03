// Control point fits: the two-point similarity in complex numbers, the affine least squares on
// coordinates centred on their means (normal equations in double precision).
#include "measure/control_points.hpp"

#include <cmath>
#include <complex>

#include "common/messages.hpp"

namespace brelvo::measure {

namespace {

namespace msg = common::msg;

// Below this share of what it could be, a determinant is taken as zero: the points lie in one line.
constexpr double kInLine = 1e-9;

bool finite(const MapPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// map = w (column, -row) + t: rows grow downward, map Y upward, so the picture is mirrored first.
std::array<double, 6> similarity(const ControlPoint& p1, const ControlPoint& p2) {
    using C = std::complex<double>;
    const C u1(p1.pixel.x, -p1.pixel.y), u2(p2.pixel.x, -p2.pixel.y);
    const C m1(p1.map.x, p1.map.y), m2(p2.map.x, p2.map.y);
    const C w = (m2 - m1) / (u2 - u1);
    const C t = m1 - w * u1;
    // X = t.x + a column + b row;  Y = t.y + b column - a row.
    return {t.real(), w.real(), w.imag(), t.imag(), w.imag(), -w.real()};
}

// One map coordinate fitted as value = g0 + g1 column + g2 row, by least squares about the means.
struct AxisFit {
    double g0, g1, g2;
};

}  // namespace

std::optional<ControlFit> fitControlPoints(const std::vector<ControlPoint>& points, std::string& error) {
    error.clear();
    if (points.size() < 2) {
        error = msg::kControlPointsTooFew;
        return std::nullopt;
    }
    for (const ControlPoint& p : points) {
        if (!finite(p.pixel) || !finite(p.map)) {
            error = msg::kControlPointNotNumber;
            return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            const int a = static_cast<int>(i) + 1, b = static_cast<int>(j) + 1;
            if (points[i].pixel == points[j].pixel) error = msg::controlPointsSamePixel(a, b);
            if (error.empty() && points[i].map == points[j].map) error = msg::controlPointsSameMapPoint(a, b);
            if (!error.empty()) return std::nullopt;
        }
    }

    ControlFit fit;
    if (points.size() == 2) {
        fit.geotransform = similarity(points[0], points[1]);
    } else {
        const double n = static_cast<double>(points.size());
        double mc = 0, mr = 0, mx = 0, my = 0;
        for (const ControlPoint& p : points) {
            mc += p.pixel.x / n;
            mr += p.pixel.y / n;
            mx += p.map.x / n;
            my += p.map.y / n;
        }
        double scc = 0, srr = 0, scr = 0, scx = 0, srx = 0, scy = 0, sry = 0;
        for (const ControlPoint& p : points) {
            const double dc = p.pixel.x - mc, dr = p.pixel.y - mr;
            const double dx = p.map.x - mx, dy = p.map.y - my;
            scc += dc * dc;
            srr += dr * dr;
            scr += dc * dr;
            scx += dc * dx;
            srx += dr * dx;
            scy += dc * dy;
            sry += dr * dy;
        }
        const double det = scc * srr - scr * scr;
        if (!(det > kInLine * scc * srr)) {
            error = msg::kControlPointsInLine;
            return std::nullopt;
        }
        auto axis = [&](double sc, double sr, double mean) {
            const double g1 = (srr * sc - scr * sr) / det;
            const double g2 = (scc * sr - scr * sc) / det;
            return AxisFit{mean - g1 * mc - g2 * mr, g1, g2};
        };
        const AxisFit x = axis(scx, srx, mx), y = axis(scy, sry, my);
        fit.geotransform = {x.g0, x.g1, x.g2, y.g0, y.g1, y.g2};
        const double scale = (std::fabs(x.g1) + std::fabs(x.g2)) * (std::fabs(y.g1) + std::fabs(y.g2));
        if (!(std::fabs(x.g1 * y.g2 - x.g2 * y.g1) > kInLine * scale)) {
            error = msg::kControlPointsMapInLine;
            return std::nullopt;
        }
    }

    Georeference fitted;
    fitted.geotransform = fit.geotransform;
    if (!fitted.valid()) {
        error = msg::kControlPointsMapInLine;
        return std::nullopt;
    }
    for (const ControlPoint& p : points) {
        const MapPoint m = fitted.toMap(p.pixel.x, p.pixel.y);
        fit.residuals.push_back(std::hypot(m.x - p.map.x, m.y - p.map.y));
    }
    return fit;
}

}  // namespace brelvo::measure
