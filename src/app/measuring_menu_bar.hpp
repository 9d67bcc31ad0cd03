// The measuring window's menu bar: File (projects, the recent files, locating the picture, the
// exports, quitting), Edit, View, Map, Storm and Help. Entries with a key take their shortcut from the key
// table and run through the same dispatch as the window's keys; the rest run the project controller's
// entries.
#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/measuring_keys.hpp"

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace brelvo::app {

class ProjectController;

class MeasuringMenuBar : public QObject {
  public:
    struct Entries {
        std::function<bool(MeasuringAction)> run;  // the window's dispatch of a keyed action
        std::function<void()> locatePicture;
        std::function<void()> centre;
        std::function<void()> about;
        // The Map menu's entries.
        struct Map {
            std::function<void()> georeference;
            std::function<void()> measuringUnits;
            std::function<void()> exportBasin;
            std::function<void()> importBasin;
            std::function<void()> openElevation;
            std::function<void(bool)> showElevation;  // the checkable entry toggled
            std::function<void()> delineate;
            std::function<void()> searchDistance;
            std::function<void()> toggleStreams;  // Show Streams (checked while shown)
            std::function<void()> streamThreshold;
        } map;
        // The Storm menu's entries in their order: the entry's text and what it does.
        std::vector<std::pair<const char*, std::function<void()>>> storm;
        std::function<void()> calcReport;       // File -> Export Calculation Report...
        std::function<void()> reportSignature;  // File -> Report Signature...
    };
    // The bar is a child of `window`; `shown` false keeps it off the screen (a replayed session).
    MeasuringMenuBar(QWidget& window, ProjectController& project, bool shown, Entries entries);

    QMenuBar* bar() const { return bar_; }
    bool shown() const { return shown_; }
    int height() const;
    // The File entries whose keys work in the runoff window too.
    const QList<QAction*>& runoffWindowKeys() const { return runoffKeys_; }
    // Map -> Show Elevation Model: enabled while a model is open over a map, checked while it shows.
    void syncElevationEntry(bool enabled, bool checked);
    // The recent files' menu, after the list changed.
    void rebuildRecentMenu();
    // Runs the entry "MENU/ENTRY" ("View/Show Coordinate Listing"); false when there is none.
    bool trigger(const std::string& path);
    // Map -> Show Streams checked as the overlay is shown.
    void setStreamsChecked(bool checked);

  private:
    QAction* keyed(QMenu* menu, const char* text, MeasuringAction action);
    QAction* plain(QMenu* menu, const char* text, std::function<void()> run);

    QMenuBar* bar_;
    ProjectController& project_;
    bool shown_;
    Entries entries_;
    QMenu* recentMenu_ = nullptr;
    QAction* showElevation_ = nullptr;
    QList<QAction*> runoffKeys_;
    QAction* showStreams_ = nullptr;
};

}  // namespace brelvo::app
