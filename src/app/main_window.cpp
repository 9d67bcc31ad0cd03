// The measuring window: the parts it owns, its events routed into document steps, the view geometry.
#include "app/main_window.hpp"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <cmath>
#include <stdexcept>
#include <string>

#include "app/elevation_layer.hpp"
#include "app/geo_plugin.hpp"
#include "app/help_window.hpp"
#include "app/map_view.hpp"
#include "app/measuring_widgets.hpp"
#include "app/pan_zoom_control.hpp"
#include "app/runoff_window.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/pan_zoom.hpp"
#include "mapview/view_fit.hpp"
#include "measure/coordinate_listing.hpp"

namespace brelvo::app {

namespace {

constexpr int kMarkerPixels = 9;

}  // namespace

MainWindow::MainWindow(common::Dialogs& dialogs, MenuBar menuBar)
    : userDialogs_(dialogs),
      tpp_(1440.0f / static_cast<float>(logicalDpiX() > 0 ? logicalDpiX() : 96)),
      dialogs_(userDialogs_, doc_),
      pictureHost_(*this, doc_, geometry_, renderer_, tpp_,
                   {[this] { syncGeometry(); },
                    [this](bool visible) { widgets_->panZoomControl()->setVisible(visible); },
                    [this] {
                        // The model and its delineation's record go with the picture.
                        clearElevation();
                        forgetDelineation();
                    },
                    [this]() -> QWidget* { return widgets_ ? widgets_->mapView() : nullptr; },
                    [this] { return elevationModelName(); }}),
      controller_(doc_, *this, dialogs_),
      pictureCommands_(doc_, controller_, dialogs_, pictureHost_),
      picture_(pictureHost_, dialogs_),
      project_(*this, dialogs_, menuBar == MenuBar::Shown) {
    // The window draws the document's changes once per user step; a change outside any step (a
    // widget's own signal) is drawn on the next turn of the event loop.
    doc_.setListener([this](const measure::SurfaceChanges& changes) { redraw(changes); },
                     [this] { QTimer::singleShot(0, this, [this] { doc_.flush(); }); });
    controller_.scale().setTwipsPerPixelX(tpp_);
    geometry_.panZoom.width = PanZoomControl::kWidth * tpp_;
    geometry_.panZoom.height = PanZoomControl::kHeight * tpp_;
    measure::MeasureDocument::Step start(doc_);
    measure::SurfaceControls& markers = doc_.edit(measure::SurfacePart::Shape1);
    markers.shape1.width = markers.shape1.height = kMarkerPixels * tpp_;
    markers.shape2.width = markers.shape2.height = kMarkerPixels * tpp_;
    widgets_ = new MeasuringWidgets(*this, doc_, geometry_, renderer_, controller_, tpp_, *this);
    widgets_->syncLabels();
    widgets_->pointerExtra = [this](float x, float y) {
        // While the outlet is awaited, where a click there would place it comes first.
        const std::string outlet = previewOutlet(x, y);
        const std::string height = elevationPointerText(x, y);
        return outlet.empty() ? height : height.empty() ? outlet : outlet + "  " + height;
    };
    widgets_->mapView()->paintOverPicture = [this](QPainter& painter, const QRectF& picture) {
        paintElevation(painter, picture);
    };
    widgets_->mapView()->paintOverMap = [this](QPainter& painter, const QRect& dirty) {
        paintDelineation(painter, dirty);
    };
    menuBar_ = new MeasuringMenuBar(
        *this, project_, menuBar == MenuBar::Shown,
        {[this](MeasuringAction action) { return run(action); },
         [this] { locatePicture(); },
         [this] { panZoomRegionClick(mapview::PanZoomRegion::Centre); },
         [this] { dialogs_.message(common::msg::kAboutText); },
         {[this] { openGeorefDialog(); }, [this] { showMeasuringUnits(); }, [this] { exportBasin(); },
          [this] { importBasin(); }, [this] { openElevationModel(); },
          [this](bool shown) { showElevationModel(shown); }, [this] { delineateBasin(); },
          [this] { askOutletSearchDistance(); }, [this] { setStreamsShown(!streamsShown()); },
          [this] { askStreamThreshold(); }},
         stormEntries(),
         [this] { exportCalcReport(); },
         [this] { askReportSignature(); }});
    setMinimumSize(320, 240);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    controller_.start();
    project_.questionParent = this;
    project_.start();
}

MainWindow::~MainWindow() = default;

// ---- events ----

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The first layout sizes the picture to the view: it waits until the window shows at its real size.
    // A zoom that the layout drops is given back to the scale, so measurements stay tied to the picture.
    if (!isVisible()) return;
    mapview::layout(geometry_, clientArea(), doc_.state().scaleX, doc_.state().scaleY);
    syncGeometry();
}

void MainWindow::showMaximizedAtStart() {
    // Sized to the screen before it shows, so that the first layout sizes the picture to the full view.
    if (const QScreen* screen = this->screen()) resize(screen->availableGeometry().size());
    showMaximized();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the measuring window ends the program: every other window closes with it. Unsaved
    // changes are asked about first; a cancel keeps the program open.
    if (!project_.settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    if (runoff_) runoff_->close();
    QWidget::closeEvent(event);
    QApplication::quit();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (geometry_.firstLayoutDone) return;
    relayoutView();
    // The empty project is what the first layout shows: that is no change of the user's.
    project_.firstLayoutDone();
}

void MainWindow::mapMouseUp(measure::MouseButton button, float x, float y) {
    if (georefClick(button, x, y)) return;
    if (outletClick(button, x, y)) return;
    step([&] { controller_.mapMouseUp(button, x, y); });
}

void MainWindow::mapPan(float dx, float dy) {
    if (mapview::pan(geometry_, dx, dy) == mapview::PanZoomOutcome::Moved) syncGeometry();
}

void MainWindow::mapWheel(float viewX, float viewY, int steps, mapview::WheelTurn turn) {
    if (mapview::wheelTurn(geometry_, doc_.state(), viewX, viewY, steps, turn) ==
        mapview::PanZoomOutcome::Moved)
        syncGeometry();
}

bool MainWindow::zoomToMap() {
    if (mapview::zoomToMap(geometry_, doc_.state()) != mapview::PanZoomOutcome::Moved) return false;
    syncGeometry();
    return true;
}

bool MainWindow::zoomToBasin() {
    if (!mapview::basinExtent(doc_)) {
        dialogs_.message(common::msg::kNoBasinToZoomTo);
        return false;
    }
    if (mapview::zoomToBasin(geometry_, doc_) != mapview::PanZoomOutcome::Moved) return false;
    syncGeometry();
    return true;
}

namespace {

// The local file of a drop, when it carries exactly one.
std::optional<QString> droppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return std::nullopt;
    return mime->urls().front().toLocalFile();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const auto file = droppedFile(event->mimeData());
    if (!file) return;
    event->acceptProposedAction();
    dropPictureFile(file->toStdString());
}

void MainWindow::dropPictureFile(const std::string& path) {
    step([&] { pictureCommands_.loadDroppedFile(path); });
}

void MainWindow::text1Press(measure::MouseButton button, float x, float y) {
    measure::MeasureDocument::Step step(doc_);
    if (button == measure::MouseButton::Left) {
        measure::dragPress(doc_, x, y);
    } else {
        measure::SaveCoordinateText(doc_, dialogs_, common::dialogFolder());
    }
}

void MainWindow::text1Move(float x, float y) {
    step([&] { measure::dragMove(doc_, measure::DragTarget::text1(), x, y); });
}

void MainWindow::labelPress(int index, measure::MouseButton button, float x, float y) {
    measure::MeasureDocument::Step step(doc_);
    if (button == measure::MouseButton::Left) {
        measure::dragPress(doc_, x, y);
    } else {
        measure::editLabel(doc_, index, dialogs_);
    }
}

void MainWindow::labelMove(int index, float x, float y) {
    step([&] { measure::dragMove(doc_, measure::DragTarget::label(index), x, y); });
}

void MainWindow::panZoomClick(float x, float y) {
    if (mapview::panZoomClick(geometry_, doc_.state(), x, y) == mapview::PanZoomOutcome::Moved)
        syncGeometry();
}

void MainWindow::panZoomRegionClick(mapview::PanZoomRegion region) {
    if (mapview::panZoomRegionClick(geometry_, doc_.state(), region) == mapview::PanZoomOutcome::Moved) {
        syncGeometry();
    }
}

void MainWindow::choosePicture(const std::string& item) {
    step([&] { pictureCommands_.run(item); });
}

QWidget* MainWindow::control(const QString& qualified) const {
    namespace names = common::controls::form1;
    const QString qualifier = QString::fromLatin1(names::kQualifier.data(), names::kQualifier.size());
    QString name = qualified;
    if (name.startsWith(qualifier)) name = name.mid(qualifier.size());
    if (name == QLatin1StringView(names::kForm1.data(), names::kForm1.size()))
        return const_cast<MainWindow*>(this);
    if (name == QLatin1StringView(names::kUpDown1.data(), names::kUpDown1.size())) return widgets_->upDown();
    if (name == QLatin1StringView(names::kText1.data(), names::kText1.size()))
        return widgets_->coordinateBox();
    return findChild<QWidget*>(name);
}

QWidget& MainWindow::requiredControl(std::string_view name) const {
    QWidget* found = control(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    if (!found) throw std::logic_error("the measuring window has no control " + std::string(name));
    return *found;
}

// ---- MapSurface ----

void MainWindow::redraw(const measure::SurfaceChanges& changes) {
    for (const auto part : changes.parts) {
        if (part == measure::SurfacePart::Caption) updateTitle();
        if (part == measure::SurfacePart::Picture) syncGeometry();
        widgets_->show(part);  // the title follows a changed State (below)
    }
    for (const auto part : changes.raised) widgets_->broughtToFront(part);
    projectChanged();
}

void MainWindow::syncGeometry() {
    // Lines, markers and labels go where their picture points now are.
    const auto& pic = geometry_.picture;
    {
        measure::MeasureDocument::Step step(doc_);
        anchoring_.follow(doc_, {pic.left, pic.top, pic.width, pic.height});
    }
    widgets_->syncLabels();
    widgets_->placeView(menuBar_->height());
    placeGeorefMarkers();
    if (menuBar_->shown()) menuBar_->bar()->setGeometry(0, 0, width(), menuBar_->height());
    projectChanged();
}

mapview::RectF MainWindow::clientArea() const {
    // The client area is the window below its menu bar.
    return {0, 0, static_cast<float>(width()) * tpp_,
            static_cast<float>(height() - menuBar_->height()) * tpp_};
}

void MainWindow::relayoutView() {
    mapview::layout(geometry_, clientArea());
    syncGeometry();
}

float MainWindow::pictureZoom() const {
    if (!geometry_.hasPicture || geometry_.naturalWidth <= 0) return 1.0f;
    return static_cast<float>(static_cast<double>(geometry_.picture.width) / geometry_.naturalWidth);
}

const measure::GroundModel* MainWindow::ground() const {
    const std::optional<measure::Georeference>& georef = doc_.georeference();
    if (!georef || !georef->systemKnown()) return nullptr;
    if (groundFor_ != georef) {
        groundFor_ = georef;
        ground_.reset();
        if (geo::GeoServices* services = geoServices()) {
            std::string error;
            ground_ = services->ground(*georef, error);
        }
    }
    return ground_.get();
}

measure::Box MainWindow::visibleArea() const {
    // The map view as far as it lies on the screen the window is on.
    const QWidget* mapView = widgets_->mapView();
    QRect shown(mapView->mapToGlobal(QPoint(0, 0)), mapView->size());
    if (const QScreen* screen = this->screen()) shown = shown.intersected(screen->availableGeometry());
    if (shown.isEmpty()) return {0, 0, geometry_.view.width, geometry_.view.height, true};
    const QPoint topLeft = mapView->mapFromGlobal(shown.topLeft());
    return {static_cast<float>(topLeft.x()) * tpp_, static_cast<float>(topLeft.y()) * tpp_,
            static_cast<float>(shown.width()) * tpp_, static_cast<float>(shown.height()) * tpp_, true};
}

void MainWindow::createRunoffWindow() {
    runoff_ = std::make_unique<RunoffWindow>(dialogs_);
    // An owned window: it stays above this one, and the dialogs it opens come up over it.
    runoff_->setParent(this, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    runoff_->edited = [this] { projectChanged(); };
    runoff_->stormTableImported = [this](const runoff::PrecipFrequencyTable& table) { warnFarSite(table); };
    runoff_->askStormChoice = [this](const runoff::PrecipFrequencyTable& table, const StormChoice& last) {
        return stormAsker()(table, last);
    };
    // Saving, opening, printing and quitting by their keys work from the runoff window as well.
    runoff_->addActions(menuBar_->runoffWindowKeys());
    projectChanged();
}

void MainWindow::openRunoffWindow() {
    const bool opening = !runoff_;
    if (opening) createRunoffWindow();
    const common::HandOff h = controller_.handOff();
    for (const auto& failure : h.failures) dialogs_.message(failure);
    runoff_->receiveMeasurement(h);
    // What the window first holds comes from the measurement alone: opening it changes no value.
    if (opening) project_.runoffOpened(runoff_->inputs());
    runoff_->show();
    runoff_->raise();
}

void MainWindow::openHelp() {
    // The guide in a window of the program: read-only and searchable.
    if (!help_) {
        help_ = new HelpWindow(this);
        help_->setWindowFlag(Qt::Window);
    }
    help_->load(QString::fromStdString(measure::helpTextPath(common::programFolder())));
    help_->show();
    help_->raise();
    help_->activateWindow();
}

bool MainWindow::triggerMenuEntry(const std::string& path) {
    return menuBar_->trigger(path);
}

}  // namespace brelvo::app
