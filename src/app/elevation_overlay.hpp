// The relief of an elevation model over a map: placed on a worker thread behind a progress dialog with
// Cancel (through WGS 84 it takes seconds on a big map), and, when the two coordinate systems differ,
// kept in the user's cache folder so that the same model over the same map opens again at once.
//
// Where it is kept: <the user's cache folder>/elevation-overlays/<SHA-256 of the key>.png (on Linux
// ~/.cache/Brelvo/elevation-overlays, or under $XDG_CACHE_HOME). The key holds both files' full paths,
// sizes and modification times, both georeferences (system and geotransform), the picture's size and
// the relief's parameters; it is written into the PNG too and compared when read, so a changed file,
// another map or another georeference never takes an old picture. Deleting the folder loses nothing.
#pragma once

#include <QSize>
#include <QWidget>
#include <string>

#include "app/elevation_view.hpp"

namespace brelvo::app {

// The cache key of the relief of `model` over the map picture `mapPath` with `mapGeoref`; empty when
// either has no file (a pasted map): such an overlay is not kept.
std::string overlayCacheKey(const terrain::ElevationModel& model, const std::string& mapPath,
                            const measure::Georeference& mapGeoref, QSize pictureSize,
                            const terrain::ReliefParams& params);
// The file an overlay of this key is kept in.
std::string overlayCachePath(const std::string& key);

struct PlacedOverlay {
    enum class Outcome { placed, offMap, cancelled };
    Outcome outcome = Outcome::offMap;
    ReliefOverlay overlay;
    bool fromCache = false;
};

// The relief over the map: from the cache when `key` is kept there, else placed on a worker behind a
// progress dialog over `parent` (its Cancel stops the work) and kept under `key` when the systems differ.
PlacedOverlay placeReliefOverlay(QWidget& parent, const ElevationLayer& layer,
                                 const terrain::ReliefParams& params, QSize pictureSize,
                                 const std::string& key);

}  // namespace brelvo::app
