// The measuring work compared on the picture, and the undo of Clear Area/Line. Positions are compared
// as fractions of the picture's rectangle (scales per picture width), so a zoom, a scroll or a resize
// changes nothing; captions, open panels, the pointer, the markers of a line being started and the
// digitizing mode are the window's passing state and are left out.
#pragma once

#include <optional>
#include <vector>

#include "measure/measure_document.hpp"

namespace brelvo::measure {

// Work with its view-dependent values taken out into `places` and its passing state cleared.
struct WorkOnPicture {
    MeasureWork rest;
    std::vector<double> places;
};
WorkOnPicture onPicture(MeasureWork work, const PictureFrame& frame);
// Places agree to a hundred-thousandth: far below a pixel, far above the rounding of a zoom.
bool samePlaces(const std::vector<double>& a, const std::vector<double>& b);
bool sameWork(const MeasureWork& a, const PictureFrame& frameA, const MeasureWork& b,
              const PictureFrame& frameB);

}  // namespace brelvo::measure
