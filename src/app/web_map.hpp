// Opening the web map capture window from the main window. The window and the browser engine it needs
// live in a plugin (libbrelvo_webmap.so) that is loaded on first use, so that starting the program
// does not load the browser engine; without the plugin there is nothing to open.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace brelvo::app {

// The plugin's file name and the one function it exports. The function takes the close notice and the
// page to show (nullptr: the map page) and returns the window, already opened, which the caller owns
// (nullptr when it cannot be made).
inline constexpr const char* kWebMapPluginFile = "libbrelvo_webmap.so";
inline constexpr const char* kWebMapPluginEntry = "brelvo_open_web_map_v1";
using WebMapPluginEntry = QWidget* (*)(std::function<void()>* onClosed, const QString* address);

// Where the plugin is looked for, in order: beside the program, then in the program's library folder
// of an installed program (libDirFromBin: that folder relative to the program's folder).
QStringList webMapPluginCandidates(const QString& programFolder, const QString& libDirFromBin);

// Loads the first candidate that is a web map plugin and opens the window with it; the plugin stays
// loaded for the rest of the run (its window may be open). nullptr when none is found or usable.
// address: the page to show; empty for the map page (tests use local pages).
std::unique_ptr<QWidget> openWebMapWindowFrom(const QStringList& candidates, std::function<void()> onClosed,
                                              const QString& address = QString());

// Creates the web map window and runs its start-up sequence, which returns once the map page has
// loaded or at most 10 seconds later. onClosed runs inside the window's close event each time the
// user closes it: it may show other windows but must not destroy this one; the caller keeps the
// window (for instance until the next opening replaces it). Without the plugin: nullptr.
std::unique_ptr<QWidget> openWebMapWindow(std::function<void()> onClosed);

}  // namespace brelvo::app
