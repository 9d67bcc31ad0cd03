#include "app/measuring_menu_bar.hpp"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QWidget>

#include "app/project_controller.hpp"
#include "app/runoff_window.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

namespace msg = common::msg;

MeasuringMenuBar::MeasuringMenuBar(QWidget& window, ProjectController& project, bool shown, Entries entries)
    : QObject(&window),
      bar_(new QMenuBar(&window)),
      project_(project),
      shown_(shown),
      entries_(std::move(entries)) {
    using A = MeasuringAction;
    bar_->setObjectName(QStringLiteral("menuBar"));
    bar_->setVisible(shown_);
    QMenu* file = bar_->addMenu(QString::fromLatin1(msg::kMenuFile));
    keyed(file, msg::kEntryNewProject, A::NewProject);
    keyed(file, msg::kEntryOpenProject, A::OpenProject);
    keyed(file, msg::kEntrySaveProject, A::SaveProject);
    keyed(file, msg::kEntrySaveProjectAs, A::SaveProjectAs);
    recentMenu_ = file->addMenu(QString::fromLatin1(msg::kMenuRecentProjects));
    rebuildRecentMenu();
    plain(file, msg::kEntryLocatePicture, entries_.locatePicture);
    file->addSeparator();
    plain(file, msg::kEntryExportCsv, [this] { project_.exportHydrographCsv(); });
    plain(file, msg::kEntryExportChart, [this] { project_.runoffExport(&RunoffWindow::exportChart); });
    keyed(file, msg::kEntryPrintReport, A::PrintReport);
    plain(file, msg::kEntryExportReportPdf,
          [this] { project_.runoffExport(&RunoffWindow::exportReportPdf); });
    plain(file, msg::kEntryExportCalcReport, entries_.calcReport);
    plain(file, msg::kEntryReportSignature, entries_.reportSignature);
    file->addSeparator();
    keyed(file, msg::kEntryQuit, A::Quit);
    QMenu* edit = bar_->addMenu(QString::fromLatin1(msg::kMenuEdit));
    keyed(edit, msg::kEntryUndo, A::Undo);
    QMenu* view = bar_->addMenu(QString::fromLatin1(msg::kMenuView));
    keyed(view, msg::kEntryZoomIn, A::ZoomIn);
    keyed(view, msg::kEntryZoomOut, A::ZoomOut);
    keyed(view, msg::kEntryZoomToMap, A::ZoomToMap);
    keyed(view, msg::kEntryZoomToBasin, A::ZoomToBasin);
    plain(view, msg::kEntryCentre, entries_.centre);
    view->addSeparator();
    keyed(view, msg::kEntryShowListing, A::ShowListing);
    QMenu* map = bar_->addMenu(QString::fromLatin1(msg::kMenuMap));
    plain(map, msg::kEntryGeoreferenceMap, entries_.map.georeference);
    plain(map, msg::kEntryMeasuringUnits, entries_.map.measuringUnits);
    map->addSeparator();
    plain(map, msg::kEntryExportBasin, entries_.map.exportBasin);
    plain(map, msg::kEntryImportBasin, entries_.map.importBasin);
    map->addSeparator();
    plain(map, msg::kEntryOpenElevation, entries_.map.openElevation);
    showElevation_ = map->addAction(QString::fromLatin1(msg::kEntryShowElevation));
    showElevation_->setCheckable(true);
    connect(showElevation_, &QAction::toggled, this, [this](bool on) {
        if (entries_.map.showElevation) entries_.map.showElevation(on);
    });
    syncElevationEntry(false, true);
    map->addSeparator();
    plain(map, msg::kEntryDelineateBasin, entries_.map.delineate);
    plain(map, msg::kEntryOutletSearchDistance, entries_.map.searchDistance);
    showStreams_ = plain(map, msg::kEntryShowStreams, entries_.map.toggleStreams);
    showStreams_->setCheckable(true);
    plain(map, msg::kEntryStreamThreshold, entries_.map.streamThreshold);
    QMenu* storm = bar_->addMenu(QString::fromLatin1(msg::kMenuStorm));
    for (const auto& [text, run] : entries_.storm) plain(storm, text, run);
    QMenu* help = bar_->addMenu(QString::fromLatin1(msg::kMenuHelp));
    keyed(help, msg::kEntryHelp, A::Help);
    plain(help, msg::kEntryAbout, entries_.about);
}

QAction* MeasuringMenuBar::keyed(QMenu* menu, const char* text, MeasuringAction action) {
    QAction* entry = plain(menu, text, [this, action] { entries_.run(action); });
    entry->setShortcut(shortcutOf(action));
    // A menu bar off the screen takes no shortcut: its keys reach the window's dispatch instead.
    entry->setShortcutContext(Qt::WindowShortcut);
    if (worksInRunoffWindow(action)) runoffKeys_.append(entry);
    return entry;
}

QAction* MeasuringMenuBar::plain(QMenu* menu, const char* text, std::function<void()> run) {
    QAction* entry = menu->addAction(QString::fromLatin1(text));
    connect(entry, &QAction::triggered, this, std::move(run));
    return entry;
}

void MeasuringMenuBar::syncElevationEntry(bool enabled, bool checked) {
    const QSignalBlocker quiet(showElevation_);
    showElevation_->setEnabled(enabled);
    showElevation_->setChecked(checked);
}

void MeasuringMenuBar::setStreamsChecked(bool checked) {
    showStreams_->setChecked(checked);
}

int MeasuringMenuBar::height() const {
    return shown_ ? bar_->sizeHint().height() : 0;
}

void MeasuringMenuBar::rebuildRecentMenu() {
    recentMenu_->clear();
    for (const auto& file : project_.recentProjects()) {
        QAction* action = recentMenu_->addAction(QString::fromStdString(file));
        connect(action, &QAction::triggered, this, [this, file] {
            if (project_.settleUnsavedChanges()) project_.openProjectFile(file);
        });
    }
    recentMenu_->setEnabled(!project_.recentProjects().empty());
}

bool MeasuringMenuBar::trigger(const std::string& path) {
    const QString full = QString::fromStdString(path);
    const qsizetype slash = full.indexOf('/');
    if (slash <= 0) return false;
    const QString menuTitle = full.left(slash);
    QString entryText = full.mid(slash + 1);
    if (menuTitle == QLatin1StringView(msg::kMenuFile) &&
        entryText == QLatin1StringView(msg::kEntryExitOldName))
        entryText = QString::fromLatin1(msg::kEntryQuit);
    for (QAction* top : bar_->actions()) {
        QMenu* menu = top->menu();
        if (!menu || menu->title().remove('&') != menuTitle) continue;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->text().remove('&') != entryText) continue;
            action->trigger();
            return true;
        }
    }
    return false;
}

}  // namespace brelvo::app
