// The measuring window (Form1): the Qt window that owns the measuring document, its widgets
// (MeasuringWidgets), its menu bar (MeasuringMenuBar) and the project controller. It routes what the user
// does into document steps, keeps the map view's geometry and draws each step's changes once.
#pragma once

#include <QEvent>
#include <QImage>
#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/document_dialogs.hpp"
#include "app/elevation_layer.hpp"
#include "app/flow_preparation.hpp"
#include "app/map_picture_host.hpp"
#include "app/measuring_keys.hpp"
#include "app/measuring_menu_bar.hpp"
#include "app/measuring_widgets.hpp"
#include "app/project_controller.hpp"
#include "app/project_file.hpp"
#include "app/project_picture.hpp"
#include "app/storm_import.hpp"
#include "common/dialogs.hpp"
#include "geo/geo_services.hpp"
#include "mapview/picture_commands.hpp"
#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/command_controller.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"
#include "measure/picture_anchoring.hpp"
#include "terrain/delineation.hpp"

class QMenuBar;
class QPainter;
class QTransform;

namespace brelvo::runoff {
struct CalcReportSources;
}

namespace brelvo::app {

struct MapFigure;
class ElevationLayer;
class GeorefDialog;
class HelpWindow;
class RunoffWindow;

class MainWindow : public QWidget, public measure::MapSurface, public MeasuringInput, private ProjectView {
  public:
    // The menu bar takes room above the map view; a replayed session runs without it showing, so that
    // its map view keeps the size the session was recorded with (its entries still run by `action`).
    enum class MenuBar { Hidden, Shown };
    explicit MainWindow(common::Dialogs& dialogs, MenuBar menuBar = MenuBar::Hidden);
    ~MainWindow() override;

    // The window opens maximised.
    void showMaximizedAtStart();

    // Events as the window's widgets deliver them (the script runner calls the same entries).
    void mapMouseUp(measure::MouseButton button, float x, float y) override;  // image-relative view units
    // Press and left-button move on the coordinate text box or a label, control-relative view units.
    void text1Press(measure::MouseButton button, float x, float y) override;
    void text1Move(float x, float y) override;
    void labelPress(int index, measure::MouseButton button, float x, float y) override;
    void labelMove(int index, float x, float y) override;
    void panZoomClick(float x, float y) override;  // control-relative view units
    void panZoomRegionClick(mapview::PanZoomRegion region);
    void chooseCommand(const std::string& item) override;
    void choosePicture(const std::string& item) override;
    void mapPan(float dx, float dy) override;
    // The mouse wheel over the map at a view position: `steps` notches (positive = wheel up) zoom by
    // notches or fine steps, or pan sideways (mapview::WheelTurn).
    void mapWheel(float viewX, float viewY, int steps, mapview::WheelTurn turn) override;
    // View -> Zoom to Map (Ctrl+0): the whole picture in the view; false without a picture.
    bool zoomToMap();
    // View -> Zoom to Basin (Ctrl+B): the last basin traced or delineated in the view, with its flow
    // path and a margin; without one, a message says so and it returns false.
    bool zoomToBasin();
    // A key pressed in the window, dispatched through the key table; false when it means nothing here.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers) override;
    // What a key or its menu entry does; false when it did nothing.
    bool run(MeasuringAction action);
    // Edit -> Undo (Ctrl+Z): the last point of the line being traced; otherwise the last Clear Area/Line,
    // when nothing has changed the work since. False when there was nothing to undo.
    bool undo();
    // File -> Locate Picture...: a picture file for the project, shown in place of the one it had (found
    // or not), keeping every line, label and measurement. False when nothing was located.
    bool locatePicture();
    // The picture a project named but that could not be shown; empty when there is none.
    const std::string& missingPicturePath() const { return picture_.missingPath(); }
    // Runs the menu-bar entry "MENU/ENTRY" ("View/Show Coordinate Listing"); false when there is none.
    bool triggerMenuEntry(const std::string& path);
    // ---- the Map menu ----
    // Map -> Georeference Map...: the control points' tool window beside the map (a left click on the
    // map adds a point while it is open).
    void openGeorefDialog();
    // The control points' window while it is open; nullptr otherwise.
    GeorefDialog* georefDialog() const;
    // Map -> Measuring Units...: the units of a georeferenced map (no scale points needed).
    void showMeasuringUnits();
    // Map -> Export Basin and Stream... and Import Basin or Stream...; false when nothing was written
    // or traced.
    bool exportBasin();
    bool importBasin();
    // ---- elevation models (main_window_elevation.cpp) ----
    // Map -> Open Elevation Model...: without a map picture the model's relief becomes the map; on a
    // georeferenced map it is drawn over it. False when none was opened.
    bool openElevationModel();
    // Map -> Show Elevation Model: the relief over the map shown or hidden.
    void showElevationModel(bool shown);
    bool elevationShown() const { return elevationShown_; }
    // The model open beside the map and where its cells lie on the picture; nullptr when none is.
    const ElevationLayer* elevationLayer() const { return elevation_.get(); }
    std::shared_ptr<const terrain::ElevationModel> elevationModel() const { return elevationModel_; }
    // ---- delineation from the elevation model (main_window_delineate.cpp) ----
    // Map -> Delineate Basin...: the flow prepared once per model (on a worker, with progress and Cancel),
    // then the next left click on the map is the outlet (Esc cancels).
    void delineateBasin();
    bool awaitingOutlet() const { return awaitingOutlet_; }
    // A replayed Shift+click: the next clicks take their cell as the outlet as it is.
    void setShiftClick(bool held) { shiftClick_ = held; }
    // Map -> Outlet Search Distance... and Stream Threshold...: asked in an input box.
    void askOutletSearchDistance();
    void askStreamThreshold();
    // Map -> Show Streams: the cells of at least the threshold's accumulation drawn over the map.
    void setStreamsShown(bool shown);
    bool streamsShown() const { return doc_.work().delineationSettings.showStreams; }
    // The flow prepared for the elevation model shown; nullptr before, and once the model is replaced.
    const terrain::FlowModel* preparedFlow() const;
    // What prepares the flow; empty: terrain::prepareFlow.
    FlowPreparer flowPreparer;
    // A basin of at least this many cells (seconds of work on a large model) is traced on a worker
    // behind a progress dialog; smaller ones at once.
    std::size_t largeBasinCells = 2'000'000;
    // ---- the Storm menu (main_window_storm.cpp) ----
    // Storm -> Import Precipitation Frequency...: the table read, the storm chosen, its rows in the runoff
    // window (opened as "Runoff Hydrogaph" opens it when it is not yet).
    void importPrecipFrequency();
    // A table whose point lies more than 50 km from the basin traced on a georeferenced map is said.
    void warnFarSite(const runoff::PrecipFrequencyTable& table);
    // How the storm's dialog is answered; empty: the dialog for a user (the script runner answers it).
    StormChoiceAsker askStormChoice;
    // Storm -> Frequency Runs...: the runoff window's frequency runs (main_window_frequency.cpp).
    void openFrequencyRuns();
    // File -> Export Calculation Report...: the map, the inputs, the chart, the runs and the report
    // tables as one PDF file; false when nothing was written. The pages of the last one written.
    bool exportCalcReport();
    int lastCalcReportPages() const { return lastCalcReportPages_; }
    // File -> Report Signature...: the engineer and firm the report's title page names, asked in two
    // input boxes and kept in the program's settings.
    void askReportSignature();
    // Waits for a map picture loading in the background (and its smaller copies), as a script does.
    void waitForPictureLoad() { pictureHost_.waitForLoad(); }
    // A picture file dropped on the window.
    void dropPictureFile(const std::string& path);
    // The status line's text: the map coordinates under the pointer while a scale is set.
    QString statusText() const { return widgets_->statusText(); }
    // The pointer resting over the map picture at x, y (picture-relative view units, as a click).
    void hoverMap(float x, float y) { widgets_->pointerMoved(QPointF(x + imageLeft(), y + imageTop())); }
    HelpWindow* helpWindow() const { return help_; }
    QMenuBar* menuBar() const { return menuBar_->bar(); }
    // A named control for the script runner ("Text2", "Form1.Command1", ...); nullptr when unknown.
    QWidget* control(const QString& name) const;
    // A control that code names (common::controls::form1): one that does not exist is a programming
    // error, thrown as std::logic_error.
    QWidget& requiredControl(std::string_view name) const;
    bool hasCommandItem(const std::string& item) const { return widgets_->hasCommandItem(item); }
    bool hasPictureItem(const std::string& item) const { return widgets_->hasPictureItem(item); }

    float twipsPerPixelX() const { return tpp_; }
    // The runoff window once a hand-off has loaded it; nullptr before.
    RunoffWindow* runoffWindow() const override { return runoff_.get(); }
    const measure::MeasureState& measureState() const { return doc_.state(); }
    const measure::MeasureDocument& document() const { return doc_; }
    const MapPictureHost& pictureHost() const { return pictureHost_; }
    const mapview::ViewGeometry& geometry() const { return geometry_; }
    const mapview::PictureRenderer& renderer() const { return renderer_; }

    // ---- projects ----
    // What a project file keeps of the window now, and putting it back. A restore replaces the runoff
    // window by one holding the project's inputs (or by none).
    project::Project captureProject() const override;
    void restoreProject(const project::Project& project) override;
    // The project's rules: new, open, save, unsaved changes, recent files, exports.
    ProjectController& project() { return project_; }
    const ProjectController& project() const { return project_; }
    // The window's title as shown: the project's name, "*" with unsaved changes, the caption.
    std::string shownTitle() const;

    // MapSurface
    float imageLeft() const override { return geometry_.picture.left; }
    float imageTop() const override { return geometry_.picture.top; }
    float viewHeight() const override { return geometry_.view.height; }
    measure::Box visibleArea() const override;
    float pictureZoom() const override;
    const measure::GroundModel* ground() const override;
    void relayoutView() override;
    mapview::RectF clientArea() const;
    void openRunoffWindow() override;
    void openHelp() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The measuring document's changes of one user step, drawn.
    void redraw(const measure::SurfaceChanges& changes);
    // Runs `work` as one user step: the window draws its changes once, after it.
    template <typename Work>
    void step(Work work) {
        measure::MeasureDocument::Step step(doc_);
        work();
    }
    void createRunoffWindow();
    // The Storm menu's entries, and the storm's dialog as it is answered now.
    std::vector<std::pair<const char*, std::function<void()>>> stormEntries();
    StormChoiceAsker stormAsker();
    // The picture pixel at a picture-relative view position, and back; nothing without a picture.
    std::optional<measure::MapPoint> pixelOfView(float x, float y) const;
    std::optional<measure::MapPoint> viewOfPixel(double column, double row) const;
    // A map click taken as a control point while the georeference window is open.
    bool georefClick(measure::MouseButton button, float x, float y);
    void placeGeorefMarkers();
    // An imported feature traced as the user would trace it; false when a vertex cannot be placed.
    bool traceFeature(const geo::GeoServices& services, const measure::Georeference& georef,
                      const geo::Feature& feature);
    // Reads the model at `path` (what the file does not say taken from `given`, else asked) and shows it
    // as the map (`asMap`) or over the georeferenced map; `asked`: the user opened it (a new map picture
    // asks before traced work goes), else a project's. False when nothing changed.
    bool loadElevation(const std::string& path, const project::ElevationSource& given, bool asMap,
                       bool asked);
    // A project's model read again: as the map when it was the map (before the view is put back), else
    // over the map (after its georeference is back). A missing file is said by name.
    void restoreElevation(const project::Project& p, bool asMap);
    void clearElevation();
    // The elevation model's file name; empty without one.
    std::string elevationModelName() const;
    // The delineated basin's record goes (its model went): no outlet marker stays on another map.
    void forgetDelineation();
    void paintElevation(QPainter& painter, const QRectF& picture) const;
    std::string elevationPointerText(float viewX, float viewY) const;
    // The delineation's parts: the flow of the model shown, the outlet's click (false: not taken as
    // one), Esc while the outlet is awaited, the catchment traced as one undoable step, and its drawing.
    bool ensureFlow();
    void dropStaleFlow() const;
    bool outletClick(measure::MouseButton button, float x, float y);
    bool cancelOutlet();
    // The outlet a click at a view position takes: the nearest stream cell within the search distance
    // on the ground, or the clicked cell itself (Shift, or no stream within reach). Nothing off the model
    // or on NoData with no stream within reach.
    struct OutletChoice {
        terrain::Cell clicked;
        terrain::Cell outlet;
        double searchM = 0;  // 0: taken as clicked
        bool onStream = false;
    };
    std::optional<OutletChoice> outletAt(float x, float y, bool asClicked) const;
    // The delineated basin's outlet when a click at a picture-relative position falls on its marker.
    std::optional<terrain::Cell> onDelineatedOutlet(float x, float y) const;
    // The search distance on the ground, metres: the user's, or three cells' width at `row`.
    double searchDistanceM(const terrain::CellGeometry& cells, int row) const;
    // The cells' lengths and areas of the model shown (kept with the flow).
    const terrain::CellGeometry& modelCells() const;
    // The pointer moved to a position of the whole view (not picture-relative) while the outlet is
    // awaited: the outlet a click there would take is shown; the status text.
    std::string previewOutlet(float x, float y);
    // Shift held: the click's cell is the outlet as it is.
    bool shiftHeld() const;
    // `searchM`: the distance the outlet snapped within (0: taken as clicked).
    void traceDelineation(const ElevationLayer& layer, const terrain::Delineation& basin, double searchM);
    std::optional<QTransform> cellToView() const;
    void paintDelineation(QPainter& painter, const QRect& dirty) const;
    // The calculation report's sources from the measuring side and its map figure (main_window_report.cpp).
    void gatherCalcReport(runoff::CalcReportSources& sources, MapFigure& map) const;
    // ProjectView
    void layOutAfresh() override;
    void projectShown() override;
    void projectOpened() override;
    void projectChanged();
    void updateTitle();
    void syncGeometry();

    common::Dialogs& userDialogs_;
    float tpp_;  // view units (twips) per screen pixel
    measure::MeasureDocument doc_;
    // The dialogs as the measuring logic asks them: the window shows the step's changes first.
    DocumentDialogs dialogs_;
    mapview::ViewGeometry geometry_;
    mapview::PictureRenderer renderer_;
    MapPictureHost pictureHost_;
    measure::MeasureController controller_;
    measure::PictureAnchoring anchoring_;
    mapview::PictureCommands pictureCommands_;

    MeasuringWidgets* widgets_ = nullptr;
    std::unique_ptr<RunoffWindow> runoff_;
    // The ground model of the georeference it was made for (the plugin makes it on first need).
    mutable std::optional<measure::Georeference> groundFor_;
    mutable std::unique_ptr<measure::GroundModel> ground_;
    MeasuringMenuBar* menuBar_ = nullptr;
    HelpWindow* help_ = nullptr;
    QPointer<GeorefDialog> georefDialog_;
    ProjectPicture picture_;
    ProjectController project_;
    // The elevation model, its layer, where it came from, and its relief drawn over a map.
    std::shared_ptr<const terrain::ElevationModel> elevationModel_;
    std::uint64_t elevationFingerprint_ = 0;  // of the model open (terrain::modelFingerprint)
    std::unique_ptr<ElevationLayer> elevation_;
    project::ElevationSource elevationSource_;
    QImage elevationOverlay_;
    QRectF elevationOverlayRect_;  // picture pixels
    bool elevationShown_ = true;
    bool titleUpdatePending_ = false;
    // The prepared flow and the model it was prepared for; the stream cells at the threshold drawn.
    mutable std::shared_ptr<const terrain::FlowModel> flow_;
    mutable std::weak_ptr<const terrain::ElevationModel> flowFor_;
    mutable std::optional<terrain::CellGeometry> modelCells_;
    std::optional<OutletChoice> outletPreview_;
    mutable std::vector<std::uint8_t> streams_;
    mutable std::int64_t streamsThreshold_ = -1;
    bool awaitingOutlet_ = false;
    bool shiftClick_ = false;
    int lastCalcReportPages_ = 0;
};

}  // namespace brelvo::app
