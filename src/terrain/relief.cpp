// The shaded relief: Horn (1981), "Hill shading and the reflectance map", Proc. IEEE 69(1), for the
// gradient; the shade is the cosine of the angle between the sun and the surface's normal.
#include "terrain/relief.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace brelvo::terrain {

namespace {

struct Stop {
    double at;
    double r, g, b;
};
// Low ground green, middle heights tan, high ground brown, the tops pale.
constexpr std::array<Stop, 5> kRamp{{{0.00, 0x3A, 0x7D, 0x44},
                                     {0.25, 0x8F, 0xB8, 0x5A},
                                     {0.50, 0xE8, 0xD9, 0x8B},
                                     {0.75, 0xB0, 0x7D, 0x4F},
                                     {1.00, 0xF4, 0xF1, 0xEE}}};
constexpr double kLeastLight = 1.0 / 3.0;

std::uint32_t channel(double v) {
    return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

}  // namespace

ReliefParams reliefParams(const ElevationModel& model, double cellMetresX, double cellMetresY) {
    ReliefParams p;
    p.cellMetresX = cellMetresX;
    p.cellMetresY = cellMetresY;
    p.metresPerZ = model.unit == VerticalUnit::Unknown ? 1.0 : metresPer(model.unit);
    float low = INFINITY, high = -INFINITY;
    for (const float z : model.z) {
        if (std::isnan(z)) continue;
        low = std::min(low, z);
        high = std::max(high, z);
    }
    if (low > high) low = high = 0;
    p.zLow = low;
    p.zHigh = high;
    return p;
}

double hillshade(const ElevationModel& model, const ReliefParams& params, int column, int row) {
    const float centre = model.z[model.index(column, row)];
    const auto at = [&](int dc, int dr) -> double {
        const int c = column + dc, r = row + dr;
        return model.hasData(c, r) ? model.z[model.index(c, r)] : centre;
    };
    const double a = at(-1, -1), b = at(0, -1), c = at(1, -1);
    const double d = at(-1, 0), f = at(1, 0);
    const double g = at(-1, 1), h = at(0, 1), i = at(1, 1);
    // Rises to the east and to the south (rows run southward), in metres per metre.
    const double dzdx = ((c + 2 * f + i) - (a + 2 * d + g)) * params.metresPerZ / (8 * params.cellMetresX);
    const double dzdy = ((g + 2 * h + i) - (a + 2 * b + c)) * params.metresPerZ / (8 * params.cellMetresY);
    const double slope = std::atan(std::hypot(dzdx, dzdy));
    const double aspect = std::atan2(dzdy, -dzdx);
    constexpr double degree = std::numbers::pi / 180;
    const double zenith = (90 - params.altitudeDeg) * degree;
    // The sun's azimuth turned from compass bearings to the angle of atan2 above.
    const double sun = (360 - params.azimuthDeg + 90) * degree;
    const double shade =
        std::cos(zenith) * std::cos(slope) + std::sin(zenith) * std::sin(slope) * std::cos(sun - aspect);
    return std::clamp(shade, 0.0, 1.0);
}

std::uint32_t rampColour(const ReliefParams& params, float z) {
    const double span = static_cast<double>(params.zHigh) - params.zLow;
    const double t = span > 0 ? std::clamp((static_cast<double>(z) - params.zLow) / span, 0.0, 1.0) : 0.5;
    std::size_t k = 1;
    while (k + 1 < kRamp.size() && t > kRamp[k].at) ++k;
    const Stop& lo = kRamp[k - 1];
    const Stop& hi = kRamp[k];
    const double u = (t - lo.at) / (hi.at - lo.at);
    return 0xff000000u | channel(lo.r + u * (hi.r - lo.r)) << 16 | channel(lo.g + u * (hi.g - lo.g)) << 8 |
           channel(lo.b + u * (hi.b - lo.b));
}

std::uint32_t reliefPixel(const ElevationModel& model, const ReliefParams& params, int column, int row) {
    if (!model.hasData(column, row)) return 0;
    const std::uint32_t colour = rampColour(params, model.z[model.index(column, row)]);
    const double light = kLeastLight + (1 - kLeastLight) * hillshade(model, params, column, row);
    return 0xff000000u | channel(((colour >> 16) & 0xffu) * light) << 16 |
           channel(((colour >> 8) & 0xffu) * light) << 8 | channel((colour & 0xffu) * light);
}

std::vector<std::uint32_t> renderRelief(const ElevationModel& model, const ReliefParams& params,
                                        double column, double row, double width, double height, int outWidth,
                                        int outHeight) {
    if (outWidth <= 0 || outHeight <= 0) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(outWidth) *
                                      static_cast<std::size_t>(outHeight));
    const double stepX = width / outWidth, stepY = height / outHeight;
    std::vector<int> columns(static_cast<std::size_t>(outWidth));
    for (int x = 0; x < outWidth; ++x)
        columns[static_cast<std::size_t>(x)] = static_cast<int>(std::floor(column + (x + 0.5) * stepX));
    for (int y = 0; y < outHeight; ++y) {
        const int r = static_cast<int>(std::floor(row + (y + 0.5) * stepY));
        std::uint32_t* line =
            pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(outWidth);
        for (int x = 0; x < outWidth; ++x)
            line[x] = reliefPixel(model, params, columns[static_cast<std::size_t>(x)], r);
    }
    return pixels;
}

}  // namespace brelvo::terrain
