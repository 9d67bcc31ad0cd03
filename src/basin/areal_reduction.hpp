// Areal reduction of point rainfall depths by basin area (square miles) and storm duration (hours).
#pragma once

namespace brelvo::basin {

// The factor that turns a point rainfall depth into the basin's average depth, in single precision,
// interpolated in natural logarithms from the duration-by-area table. Basins under 1 sq mi get 1.
// The area is limited to 400 sq mi and the duration to 0.5 h .. 24 h (the table's rows).
[[nodiscard]] float arealReductionFactor(float areaSqMi, float durationHours);

}  // namespace brelvo::basin
