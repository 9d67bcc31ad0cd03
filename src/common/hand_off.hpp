// What the measuring window hands to the runoff window: the number texts cut out of the result texts,
// with the unit captions of the fields they go to. An absent or empty value leaves its field unchanged.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brelvo::common {

struct HandOff {
    std::string frameCaption;                   // Frame2: "HydrographArea" + n
    std::optional<std::string> streamLength;    // txtL
    std::string streamLengthLabel;              // lblL: "Stream Length" + unit suffix
    std::optional<std::string> belowCentroid;   // txtLca
    std::string belowCentroidLabel;             // lblLca: "Below Centroid" + unit suffix
    std::optional<std::string> basinArea;       // txtBasinArea
    std::optional<std::string> basinAreaLabel;  // Label10: "Basin Area" + unit suffix, with an area only
    // Descriptions of the values that could not be cut out; those values stay absent.
    std::vector<std::string> failures;
    // A basin delineated from an elevation model: the longest flow path's head (txtelv1) and the outlet
    // (txtElv2), feet.
    std::optional<std::string> upperElevation;
    std::optional<std::string> lowerElevation;
};

}  // namespace brelvo::common
