// The areal reduction table and its log-log interpolation.
#include "basin/areal_reduction.hpp"

#include <array>
#include <cmath>
#include <cstddef>

namespace brelvo::basin {

namespace {

constexpr std::size_t kAreas = 8;
constexpr std::size_t kDurations = 5;

constexpr std::array<float, kAreas> kAreaSqMi{1, 10, 25, 50, 100, 150, 250, 400};
constexpr std::array<float, kDurations> kDurationHours{0.5f, 1, 3, 6, 24};

// Factor by duration row (ascending, as kDurationHours) and area column.
constexpr std::array<std::array<float, kAreas>, kDurations> kFactor{{
    {1, 0.905f, 0.805f, 0.7f, 0.612f, 0.578f, 0.56f, 0.55f},
    {1, 0.945f, 0.88f, 0.805f, 0.725f, 0.69f, 0.662f, 0.655f},
    {1, 0.975f, 0.94f, 0.9f, 0.848f, 0.818f, 0.79f, 0.788f},
    {1, 0.98f, 0.957f, 0.93f, 0.894f, 0.872f, 0.848f, 0.835f},
    {1, 0.987f, 0.97f, 0.953f, 0.935f, 0.928f, 0.92f, 0.913f},
}};

// The lower index of the table interval [values[i], values[i + 1]] that holds x, and x's position
// in it as a fraction of the interval's length in logarithms. x lies within the table's range.
template <std::size_t N>
void bracket(const std::array<float, N>& values, float x, std::size_t& lower, float& fraction) {
    lower = 0;
    while (lower + 2 < N && x > values[lower + 1]) ++lower;
    const float logLow = std::log(values[lower]);
    const float logHigh = std::log(values[lower + 1]);
    fraction = (std::log(x) - logLow) / (logHigh - logLow);
}

}  // namespace

float arealReductionFactor(float areaSqMi, float durationHours) {
    // Written so that a NaN area counts as a small basin and a NaN duration as the shortest one.
    if (!(areaSqMi >= 1.0f)) return 1.0f;
    const float area = areaSqMi > 400.0f ? 400.0f : areaSqMi;
    float duration = durationHours >= 0.5f ? durationHours : 0.5f;
    // The table ends at 24 hours; longer storms take the 24-hour row rather than 1, since the
    // factors grow slowly towards 1 with duration and a jump to no reduction at all would overstate
    // the basin's rain for a 25-hour storm compared with a 24-hour one.
    if (duration > 24.0f) duration = 24.0f;

    std::size_t row = 0;
    float inDuration = 0;
    bracket(kDurationHours, duration, row, inDuration);
    std::size_t column = 0;
    float inArea = 0;
    bracket(kAreaSqMi, area, column, inArea);

    // Log factor at the two bracketing areas, each interpolated in log duration first.
    std::array<float, 2> logFactorAtArea{};
    for (std::size_t k = 0; k < 2; ++k) {
        const float low = std::log(kFactor[row][column + k]);
        const float high = std::log(kFactor[row + 1][column + k]);
        logFactorAtArea[k] = low + inDuration * (high - low);
    }
    const float logFactor = logFactorAtArea[0] + inArea * (logFactorAtArea[1] - logFactorAtArea[0]);
    return std::exp(logFactor);
}

}  // namespace brelvo::basin
