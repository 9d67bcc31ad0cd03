// Finds and loads the geodata plugin on first use.
#include "app/geo_plugin.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace brelvo::app {

namespace {

geo::GeoServices* loaded = nullptr;
bool tried = false;

}  // namespace

QStringList pluginCandidates(const QString& file, const QString& programFolder,
                             const QString& libDirFromBin) {
    QStringList candidates{QDir(programFolder).filePath(file)};
    if (!libDirFromBin.isEmpty()) {
        candidates.append(
            QDir::cleanPath(QDir(programFolder).filePath(libDirFromBin + QStringLiteral("/") + file)));
    }
    return candidates;
}

geo::GeoServices* geoServices() {
    if (tried) return loaded;
    tried = true;
#ifdef BRELVO_PLUGIN_DIR_FROM_BIN
    const QString libDir = QStringLiteral(BRELVO_PLUGIN_DIR_FROM_BIN);
#else
    const QString libDir;
#endif
    const QStringList candidates = pluginCandidates(QString::fromLatin1(geo::kGeoPluginFile),
                                                    QCoreApplication::applicationDirPath(), libDir);
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile()) continue;
        QLibrary library(path);  // never unloaded: the services live in it
        if (!library.load()) continue;
        auto entry = reinterpret_cast<geo::GeoPluginEntry>(library.resolve(geo::kGeoPluginEntry));
        if (entry == nullptr) {
            library.unload();
            continue;
        }
        loaded = entry();
        if (loaded != nullptr) break;
    }
    return loaded;
}

bool geoServicesLoaded() {
    return loaded != nullptr;
}

}  // namespace brelvo::app
