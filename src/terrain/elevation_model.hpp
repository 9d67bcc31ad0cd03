// An elevation model (a single-band raster of ground heights) as the delineation reads it: cells row by
// row from the top, NoData as NaN, the georeference of the cells' corners and the vertical unit. The
// geodata plugin reads the file; everything here is plain values.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "measure/georeference.hpp"

namespace brelvo::terrain {

// The unit of the heights. Unknown until the file says so or the user answers.
enum class VerticalUnit { Unknown, Metre, Foot, UsFoot };
// "m", "ft", "US ft" ("" for Unknown).
const char* verticalUnitText(VerticalUnit unit);
// Metres in one unit (0 for Unknown).
double metresPer(VerticalUnit unit);
// The unit a text names, as a raster band's unit type or a user's answer has it, in any letter case:
// "m", "metre(s)", "meter(s)"; "ft", "foot", "feet", "international foot"; "US survey foot", "ftUS",
// "US ft", "us-ft", "US feet". Unknown for anything else.
VerticalUnit verticalUnitFromText(std::string_view text);

struct ElevationModel {
    std::string path;  // the file it was read from
    int width = 0;
    int height = 0;
    std::vector<float> z;          // width * height heights, row by row from the top; NaN: NoData
    measure::Georeference georef;  // cell (column, row) corners to the model's coordinates
    VerticalUnit unit = VerticalUnit::Unknown;

    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(column);
    }
    bool inside(int column, int row) const {
        return column >= 0 && row >= 0 && column < width && row < height;
    }
    bool hasData(int column, int row) const {
        return inside(column, row) && !std::isnan(z[index(column, row)]);
    }
};

// Ground heights lie within +/-12,000 m: anything beyond (or not finite) is no height but a fill value
// or a broken cell. The bound in the model's unit; with the unit unknown, in international feet (the
// largest number of the units a height may be given in), so that no true height is taken for NoData.
inline constexpr double kHeightBoundM = 12000;
bool plausibleHeight(float z, VerticalUnit unit);
// Sets every height that is not plausible to NaN (NoData); returns how many there were (NaN not
// counted).
std::size_t clearAbsurdHeights(ElevationModel& model);

// A fingerprint of a model's size, place and heights (FNV-1a over them, NoData alike whatever its bits),
// so that a basin delineated on one model is not taken for one of another model at the same path.
std::uint64_t modelFingerprint(const ElevationModel& model);

// The cells' lengths and areas on the ground, metres and square metres, row by row: a projected model's
// cells are all alike; a geographic model's narrow toward the pole, so each row has its own.
struct CellGeometry {
    std::vector<double> dx;        // one cell east-west
    std::vector<double> dy;        // one cell north-south
    std::vector<double> diagonal;  // corner to corner
    std::vector<double> area;      // the cell
};

// Projected models: the cell size times `metresPerUnit` (the system's linear unit). Geographic models
// (`ground` answers in degrees, unitName() "deg"): each row's lengths and area are geodesics on the
// system's ellipsoid through `ground`.
CellGeometry cellGeometry(const ElevationModel& model, const measure::GroundModel& ground);

}  // namespace brelvo::terrain
