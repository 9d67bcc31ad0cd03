// The shaded relief of an elevation model: Horn's hillshade (the sun in the north-west, 45 degrees up)
// times a hypsometric colour ramp, NoData transparent, as 32-bit 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <vector>

#include "terrain/elevation_model.hpp"

namespace brelvo::terrain {

struct ReliefParams {
    double cellMetresX = 1;  // one cell east-west on the ground
    double cellMetresY = 1;  // one cell north-south
    double metresPerZ = 1;   // the heights' unit (1 when not known)
    float zLow = 0;          // the ramp's lowest colour
    float zHigh = 1;         // and its highest
    double azimuthDeg = 315;
    double altitudeDeg = 45;
};

// The parameters for a model: the ramp spans its lowest to its highest height; the heights' unit is
// the model's (metres when unknown).
ReliefParams reliefParams(const ElevationModel& model, double cellMetresX, double cellMetresY);

// The hillshade of a cell, 0 (in shadow) to 1 (facing the sun): Horn's 3 x 3 gradient, a neighbour off
// the model or NoData taken at the cell's own height.
double hillshade(const ElevationModel& model, const ReliefParams& params, int column, int row);
// The ramp's colour at a height, 0xffRRGGBB.
std::uint32_t rampColour(const ReliefParams& params, float z);
// The relief's pixel of a cell: the ramp's colour darkened by the shade (a third of it even in full
// shadow, so the colours stay readable); 0 (transparent) for NoData or off the model.
std::uint32_t reliefPixel(const ElevationModel& model, const ReliefParams& params, int column, int row);

// The relief of the window (column, row, width, height in cells, fractional) resampled to
// outWidth x outHeight pixels (each pixel takes the cell under its centre), row by row.
std::vector<std::uint32_t> renderRelief(const ElevationModel& model, const ReliefParams& params,
                                        double column, double row, double width, double height, int outWidth,
                                        int outHeight);

}  // namespace brelvo::terrain
