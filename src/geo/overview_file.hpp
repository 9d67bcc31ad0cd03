// A raster's overviews built beside it, never into it: GDAL's external overview file (FILE.ovr, which GDAL
// reads whenever it opens FILE), written under a temporary name and renamed into place only when complete.
#pragma once

#include <string>
#include <vector>

#include "geo/geo_services.hpp"

namespace brelvo::geo::detail {

// The overview factors a raster of `width` x `height` pixels gets: 2, 4, 8, ... until the smallest
// overview fits 256 pixels a side.
std::vector<int> overviewFactors(int width, int height);

// Builds the overviews of the raster at `path` (opened read-only: its own bytes are never written) into
// `path`.ovr. A failure or a cancel leaves neither the .ovr nor a temporary file and sets `error` (the
// reason without a final stop, as the caller's message goes on).
bool buildOverviewFile(const std::string& path, const std::vector<int>& factors, const Progress& progress,
                       std::string& error);

}  // namespace brelvo::geo::detail
