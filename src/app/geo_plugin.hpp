// The geodata plugin (GDAL and PROJ), loaded on first use so that starting the program loads neither.
#pragma once

#include <QString>
#include <QStringList>

#include "geo/geo_services.hpp"

namespace brelvo::app {

// Where the plugin `file` is looked for, in order: beside the program, then in the program's library
// folder of an installed program (libDirFromBin: that folder relative to the program's folder).
QStringList pluginCandidates(const QString& file, const QString& programFolder, const QString& libDirFromBin);

// The geodata services, loading the plugin the first time; nullptr when it cannot be found or loaded
// (the program then treats every picture as without a georeference and says so where asked).
geo::GeoServices* geoServices();
// Whether the plugin has been loaded in this run (start-up must not load it).
bool geoServicesLoaded();

}  // namespace brelvo::app
