// The measuring window (Form1): the map view with its picture, segments and markers, the two command
// lists, the coordinate text box, the labels, the scale panel and the pan/zoom control. It binds the
// widgets to the measuring logic and draws what that logic holds.
#pragma once

#include <QEvent>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/document_dialogs.hpp"
#include "app/map_picture_host.hpp"
#include "app/project_controller.hpp"
#include "app/project_file.hpp"
#include "common/dialogs.hpp"
#include "mapview/picture_commands.hpp"
#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/command_controller.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"
#include "measure/picture_anchoring.hpp"

class QAction;
class QButtonGroup;
class QMenu;
class QMenuBar;
class QMouseEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace brelvo::app {

class HelpWindow;
class JsonWriter;
class MapView;
class RunoffWindow;
class PanZoomControl;

class MainWindow : public QWidget, public measure::MapSurface, private ProjectView {
  public:
    // The menu bar takes room above the map view; a replayed session runs without it showing, so that
    // its map view keeps the size the session was recorded with (its entries still run by `action`).
    enum class MenuBar { Hidden, Shown };
    explicit MainWindow(common::Dialogs& dialogs, MenuBar menuBar = MenuBar::Hidden);
    ~MainWindow() override;

    // The window opens maximised.
    void showMaximizedAtStart();

    // Events as the window's widgets deliver them (the script runner calls the same entries).
    void mapMouseUp(measure::MouseButton button, float x, float y);  // image-relative view units
    // Press and left-button move on the coordinate text box or a label, control-relative view units.
    void text1Press(measure::MouseButton button, float x, float y);
    void text1Move(float x, float y);
    void labelPress(int index, measure::MouseButton button, float x, float y);
    void labelMove(int index, float x, float y);
    void panZoomClick(float x, float y);  // control-relative view units
    void panZoomRegionClick(mapview::PanZoomRegion region);
    void chooseCommand(const std::string& item);
    void choosePicture(const std::string& item);
    // The mouse wheel over the map at a view position: `steps` notches (positive = wheel up); with
    // Shift it pans sideways instead of zooming.
    void mapWheel(float viewX, float viewY, int steps, bool shift);
    // A key pressed in the window; false when it means nothing here.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    // Edit -> Undo (Ctrl+Z): the last point of the line being traced; otherwise the last Clear Area/Line,
    // when nothing has changed the work since. False when there was nothing to undo.
    bool undo();
    // File -> Locate Picture...: a picture file for the project, shown in place of the one it had (found
    // or not), keeping every line, label and measurement. False when nothing was located.
    bool locatePicture();
    // The picture a project named but that could not be shown; empty when there is none.
    const std::string& missingPicturePath() const { return missingPicturePath_; }
    // Runs the menu-bar entry "MENU/ENTRY" ("View/Show Coordinate Listing"); false when there is none.
    bool triggerMenuEntry(const std::string& path);
    // A picture file dropped on the window.
    void dropPictureFile(const std::string& path);
    // The status line's text: the map coordinates under the pointer while a scale is set.
    QString statusText() const;
    HelpWindow* helpWindow() const { return help_; }
    QMenuBar* menuBar() const { return menuBar_; }
    // A named control for the script runner ("Text2", "Form1.Command1", ...); nullptr when unknown.
    QWidget* control(const QString& name) const;
    // A control that code names (common::controls::form1): one that does not exist is a programming
    // error, thrown as std::logic_error.
    QWidget& requiredControl(std::string_view name) const;
    bool hasCommandItem(const std::string& item) const;
    bool hasPictureItem(const std::string& item) const;

    float twipsPerPixelX() const { return tpp_; }
    // The runoff window once a hand-off has loaded it; nullptr before.
    RunoffWindow* runoffWindow() const override { return runoff_.get(); }
    const measure::MeasureState& measureState() const { return doc_.state(); }
    const measure::MeasureDocument& document() const { return doc_; }
    const mapview::ViewGeometry& geometry() const { return geometry_; }

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
    void relayoutView() override;
    mapview::RectF clientArea() const;
    void openRunoffWindow() override;
    void openHelp() override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // The measuring document's changes of one user step, drawn.
    void redraw(const measure::SurfaceChanges& changes);
    void redrawPart(measure::SurfacePart part);
    void broughtToFront(measure::SurfacePart part);
    // Runs `work` as one user step: the window draws its changes once, after it.
    template <typename Work>
    void step(Work work) {
        measure::MeasureDocument::Step step(doc_);
        work();
    }
    void buildWidgets();
    void createRunoffWindow();
    // ProjectView
    void layOutAfresh() override;
    void projectShown() override;
    void projectOpened() override;
    void projectChanged();
    // Says why the project's picture is missing and offers to locate it.
    void offerToLocatePicture(const std::string& problem);
    // While a line is traced the map has the keys, also when the coordinate listing has the focus.
    bool coordinateBoxKey(QEvent* event);
    void updateTitle();
    void rebuildRecentMenu();
    void buildScalePanel();
    void buildMenuBar();
    void mapPointerMoved(std::optional<QPointF> viewPosition);
    bool coordinateBoxMouse(QEvent::Type type, QMouseEvent* mouse);
    void placeBox(QWidget* widget, const measure::Box& box);
    void syncLabels();
    void syncScalePanel();
    void syncText1();
    void syncGeometry();
    int px(float viewUnits) const;
    int menuBarHeight() const;

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

    // The widgets, with the control names (common::controls::form1) that scripts and the dump use.
    MapView* mapView_ = nullptr;                    // UserControlPic1, which shows Image1
    QListWidget* commandList_ = nullptr;            // lstMenu1
    QListWidget* pictureList_ = nullptr;            // lstMenu2
    QPlainTextEdit* coordinateBox_ = nullptr;       // Text1
    std::vector<QLabel*> labels_;                   // Label1(0), Label1(1), ...
    QGroupBox* scalePanel_ = nullptr;               // frameScale
    QLineEdit* scaleDistanceBox_ = nullptr;         // Text2
    QToolButton* spinUp_ = nullptr;                 // UpDown1.up
    QToolButton* spinDown_ = nullptr;               // UpDown1.down
    QButtonGroup* unitOptions_ = nullptr;           // Option1
    std::vector<QRadioButton*> unitOptionButtons_;  // Option1(0), Option1(1), ...
    QPushButton* scaleOkButton_ = nullptr;          // Command1
    PanZoomControl* panZoomControl_ = nullptr;      // img4Way
    std::unique_ptr<RunoffWindow> runoff_;
    QMenuBar* menuBar_ = nullptr;
    bool menuBarShown_ = false;
    QLabel* statusLine_ = nullptr;
    HelpWindow* help_ = nullptr;
    // A left press on the coordinate box while a line is traced: a click there is the map's, a drag
    // still moves the box.
    bool text1ClickPending_ = false;
    // A picture the opened project names but that could not be shown, and why.
    std::string missingPicturePath_;
    std::string missingPictureProblem_;
    QMenu* recentMenu_ = nullptr;
    ProjectController project_;
    // The File entries whose keys work in the runoff window too (projects, printing, quitting).
    QList<QAction*> fileKeys_;
    bool titleUpdatePending_ = false;
    bool syncing_ = false;  // widgets are being set from the model: their change signals are not user input
};

}  // namespace brelvo::app
