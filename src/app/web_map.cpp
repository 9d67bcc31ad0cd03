// Finds and loads the web map plugin on first use, and opens the web map window through it.
#include "app/web_map.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QWidget>

namespace brelvo::app {

namespace {

// The entry of the plugin loaded in this run (loaded once, never unloaded: its windows use its code).
WebMapPluginEntry loadedEntry = nullptr;

WebMapPluginEntry loadEntry(const QStringList& candidates) {
    if (loadedEntry != nullptr) return loadedEntry;
    for (const QString& path : candidates) {
        if (!QFileInfo(path).isFile()) continue;
        QLibrary library(path);
        if (!library.load()) continue;
        auto entry = reinterpret_cast<WebMapPluginEntry>(library.resolve(kWebMapPluginEntry));
        if (entry == nullptr) {
            library.unload();
            continue;
        }
        loadedEntry = entry;
        return entry;
    }
    return nullptr;
}

}  // namespace

QStringList webMapPluginCandidates(const QString& programFolder, const QString& libDirFromBin) {
    const QString file = QString::fromLatin1(kWebMapPluginFile);
    QStringList candidates{QDir(programFolder).filePath(file)};
    if (!libDirFromBin.isEmpty()) {
        candidates.append(
            QDir::cleanPath(QDir(programFolder).filePath(libDirFromBin + QStringLiteral("/") + file)));
    }
    return candidates;
}

std::unique_ptr<QWidget> openWebMapWindowFrom(const QStringList& candidates, std::function<void()> onClosed,
                                              const QString& address) {
    const WebMapPluginEntry entry = loadEntry(candidates);
    if (entry == nullptr) return nullptr;
    return std::unique_ptr<QWidget>(entry(&onClosed, address.isEmpty() ? nullptr : &address));
}

std::unique_ptr<QWidget> openWebMapWindow(std::function<void()> onClosed) {
#ifdef BRELVO_PLUGIN_DIR_FROM_BIN
    const QString libDir = QStringLiteral(BRELVO_PLUGIN_DIR_FROM_BIN);
#else
    const QString libDir;
#endif
    return openWebMapWindowFrom(webMapPluginCandidates(QCoreApplication::applicationDirPath(), libDir),
                                std::move(onClosed));
}

}  // namespace brelvo::app
