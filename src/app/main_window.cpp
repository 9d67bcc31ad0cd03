// The measuring window: widgets bound to the measuring logic and the map view geometry.
#include "app/main_window.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "app/help_window.hpp"
#include "app/json_writer.hpp"
#include "app/map_view.hpp"
#include "app/pan_zoom_control.hpp"
#include "app/runoff_window.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/pan_zoom.hpp"
#include "measure/coordinate_listing.hpp"
#include "measure/scale_calibration.hpp"

namespace brelvo::app {

namespace {

constexpr int kMarkerPixels = 9;
measure::MouseButton measureButton(Qt::MouseButton button) {
    return button == Qt::LeftButton    ? measure::MouseButton::Left
           : button == Qt::RightButton ? measure::MouseButton::Right
                                       : measure::MouseButton::Middle;
}

}  // namespace

MainWindow::MainWindow(common::Dialogs& dialogs, MenuBar menuBar)
    : userDialogs_(dialogs),
      tpp_(1440.0f / static_cast<float>(logicalDpiX() > 0 ? logicalDpiX() : 96)),
      dialogs_(userDialogs_, doc_),
      pictureHost_(
          *this, doc_, geometry_, renderer_, tpp_,
          {[this] { syncGeometry(); }, [this](bool visible) { panZoomControl_->setVisible(visible); }}),
      controller_(doc_, *this, dialogs_),
      pictureCommands_(doc_, controller_, dialogs_, pictureHost_),
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
    buildWidgets();
    menuBarShown_ = menuBar == MenuBar::Shown;
    buildMenuBar();
    setMinimumSize(320, 240);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    controller_.start();
    project_.questionParent = this;
    project_.start();
}

MainWindow::~MainWindow() = default;

int MainWindow::px(float viewUnits) const {
    return static_cast<int>(std::lround(viewUnits / tpp_));
}

int MainWindow::menuBarHeight() const {
    return menuBarShown_ ? menuBar_->sizeHint().height() : 0;
}

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

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == coordinateBox_ && (type == QEvent::KeyPress || type == QEvent::ShortcutOverride)) {
        if (coordinateBoxKey(event)) return true;
        return QWidget::eventFilter(watched, event);
    }
    if (watched == coordinateBox_->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
         type == QEvent::MouseButtonRelease)) {
        if (coordinateBoxMouse(type, static_cast<QMouseEvent*>(event))) return true;
        return QWidget::eventFilter(watched, event);
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const float x = static_cast<float>(mouse->position().x()) * tpp_;
        const float y = static_cast<float>(mouse->position().y()) * tpp_;
        if (watched == commandList_->viewport() && type == QEvent::MouseButtonPress &&
            mouse->button() == Qt::LeftButton) {
            step([&] { controller_.commandMenuPress(x, y); });
        } else if (watched == scalePanel_) {
            if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
                step([&] { controller_.scale().panelPress(x, y); });
                return true;
            }
            if (type == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton)) {
                step([&] { controller_.scale().panelDrag(x, y); });
                return true;
            }
        } else if (const auto found = std::find(labels_.begin(), labels_.end(), watched);
                   found != labels_.end()) {
            const int index = static_cast<int>(found - labels_.begin());
            if (type == QEvent::MouseButtonPress) {
                labelPress(index, measureButton(mouse->button()), x, y);
                return true;
            }
            if (mouse->buttons() & Qt::LeftButton) {
                labelMove(index, x, y);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::coordinateBoxMouse(QEvent::Type type, QMouseEvent* mouse) {
    // Positions relative to the whole box, frame included, as the box is what moves.
    const QPointF p = coordinateBox_->viewport()->mapTo(coordinateBox_, mouse->position());
    const float bx = static_cast<float>(p.x()) * tpp_;
    const float by = static_cast<float>(p.y()) * tpp_;
    if (type == QEvent::MouseButtonPress) {
        text1ClickPending_ = controller_.tracing() && mouse->button() == Qt::LeftButton;
        text1Press(measureButton(mouse->button()), bx, by);
        // A left press still places the caret, except while a line is traced; any other press is the
        // save alone.
        return mouse->button() != Qt::LeftButton || text1ClickPending_;
    }
    if (type == QEvent::MouseMove) {
        if (!(mouse->buttons() & Qt::LeftButton)) return false;
        text1ClickPending_ = false;
        text1Move(bx, by);
        return true;  // the box moves instead of selecting text
    }
    // Release: a click on the box while a line is traced was meant for the map under it.
    if (!text1ClickPending_ || mouse->button() != Qt::LeftButton) return false;
    text1ClickPending_ = false;
    const QPointF onMap = coordinateBox_->viewport()->mapTo(mapView_, mouse->position());
    mapMouseUp(measure::MouseButton::Left, static_cast<float>(onMap.x()) * tpp_ - imageLeft(),
               static_cast<float>(onMap.y()) * tpp_ - imageTop());
    return true;
}

void MainWindow::mapMouseUp(measure::MouseButton button, float x, float y) {
    step([&] { controller_.mapMouseUp(button, x, y); });
}

void MainWindow::mapWheel(float viewX, float viewY, int steps, bool shift) {
    mapview::PanZoomOutcome outcome;
    if (shift) {
        // Wheel up shows more of the left part, as the left arrow of the control does.
        const float step = geometry_.view.width * geometry_.scrollZoomFactor;
        outcome = mapview::pan(geometry_, step * static_cast<float>(steps), 0);
    } else {
        outcome = mapview::wheelZoom(geometry_, doc_.state(), viewX, viewY, steps);
    }
    if (outcome == mapview::PanZoomOutcome::Moved) syncGeometry();
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

bool MainWindow::hasCommandItem(const std::string& item) const {
    return !commandList_->findItems(QString::fromStdString(item), Qt::MatchExactly).isEmpty();
}

bool MainWindow::hasPictureItem(const std::string& item) const {
    return !pictureList_->findItems(QString::fromStdString(item), Qt::MatchExactly).isEmpty();
}

QWidget* MainWindow::control(const QString& qualified) const {
    namespace names = common::controls::form1;
    const QString qualifier = QString::fromLatin1(names::kQualifier.data(), names::kQualifier.size());
    QString name = qualified;
    if (name.startsWith(qualifier)) name = name.mid(qualifier.size());
    if (name == QLatin1StringView(names::kForm1.data(), names::kForm1.size()))
        return const_cast<MainWindow*>(this);
    if (name == QLatin1StringView(names::kUpDown1.data(), names::kUpDown1.size()))
        return spinUp_->parentWidget();
    return findChild<QWidget*>(name);
}

QWidget& MainWindow::requiredControl(std::string_view name) const {
    QWidget* found = control(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    if (!found) throw std::logic_error("the measuring window has no control " + std::string(name));
    return *found;
}

// ---- MapSurface ----

void MainWindow::placeBox(QWidget* widget, const measure::Box& box) {
    widget->move(px(box.left), px(box.top));
    widget->setVisible(box.visible);
}

void MainWindow::redraw(const measure::SurfaceChanges& changes) {
    for (const auto part : changes.parts) redrawPart(part);
    for (const auto part : changes.raised) broughtToFront(part);
    projectChanged();
}

void MainWindow::redrawPart(measure::SurfacePart part) {
    using measure::SurfacePart;
    switch (part) {
        case SurfacePart::Caption:
            updateTitle();
            break;
        case SurfacePart::Menu1:
            placeBox(commandList_, doc_.menus().lstMenu1);
            break;
        case SurfacePart::Menu2:
            placeBox(pictureList_, doc_.menus().lstMenu2);
            break;
        case SurfacePart::Text1:
            syncText1();
            break;
        case SurfacePart::Shape1:
        case SurfacePart::Shape2:
        case SurfacePart::Lines:
            mapView_->update();
            break;
        case SurfacePart::Labels:
            syncLabels();
            break;
        case SurfacePart::Pointer:
            mapView_->setCursor(doc_.controls().pointer == measure::Pointer::Cross ? Qt::CrossCursor
                                                                                   : Qt::ArrowCursor);
            break;
        case SurfacePart::ScalePanel:
            syncScalePanel();
            break;
        case SurfacePart::Picture:
            syncGeometry();
            break;
        case SurfacePart::State:
            break;  // the title follows (redraw)
    }
}

void MainWindow::broughtToFront(measure::SurfacePart part) {
    using measure::SurfacePart;
    switch (part) {
        case SurfacePart::Menu1:
            commandList_->raise();
            break;
        case SurfacePart::Menu2:
            pictureList_->raise();
            break;
        case SurfacePart::Text1:
            coordinateBox_->raise();
            break;
        case SurfacePart::ScalePanel:
            scalePanel_->raise();
            break;
        case SurfacePart::Labels:
            for (auto* label : labels_) label->raise();
            break;
        default:
            break;
    }
    panZoomControl_->raise();
}

void MainWindow::syncGeometry() {
    // Lines, markers and labels go where their picture points now are.
    const auto& pic = geometry_.picture;
    {
        measure::MeasureDocument::Step step(doc_);
        anchoring_.follow(doc_, {pic.left, pic.top, pic.width, pic.height});
    }
    syncLabels();
    mapView_->setGeometry(px(geometry_.view.left), menuBarHeight() + px(geometry_.view.top),
                          px(geometry_.view.width), px(geometry_.view.height));
    if (menuBarShown_) menuBar_->setGeometry(0, 0, width(), menuBarHeight());
    panZoomControl_->move(px(geometry_.panZoom.left), px(geometry_.panZoom.top));
    panZoomControl_->raise();
    mapView_->update();
    projectChanged();
}

mapview::RectF MainWindow::clientArea() const {
    // The client area is the window below its menu bar.
    return {0, 0, static_cast<float>(width()) * tpp_, static_cast<float>(height() - menuBarHeight()) * tpp_};
}

void MainWindow::relayoutView() {
    mapview::layout(geometry_, clientArea());
    syncGeometry();
}

float MainWindow::pictureZoom() const {
    if (!geometry_.hasPicture || geometry_.naturalWidth <= 0) return 1.0f;
    return static_cast<float>(static_cast<double>(geometry_.picture.width) / geometry_.naturalWidth);
}

measure::Box MainWindow::visibleArea() const {
    // The map view as far as it lies on the screen the window is on.
    QRect shown(mapView_->mapToGlobal(QPoint(0, 0)), mapView_->size());
    if (const QScreen* screen = this->screen()) shown = shown.intersected(screen->availableGeometry());
    if (shown.isEmpty()) return {0, 0, geometry_.view.width, geometry_.view.height, true};
    const QPoint topLeft = mapView_->mapFromGlobal(shown.topLeft());
    return {static_cast<float>(topLeft.x()) * tpp_, static_cast<float>(topLeft.y()) * tpp_,
            static_cast<float>(shown.width()) * tpp_, static_cast<float>(shown.height()) * tpp_, true};
}

void MainWindow::createRunoffWindow() {
    runoff_ = std::make_unique<RunoffWindow>(dialogs_);
    // An owned window: it stays above this one, and the dialogs it opens come up over it.
    runoff_->setParent(this, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    runoff_->edited = [this] { projectChanged(); };
    // Saving, opening, printing and quitting by their keys work from the runoff window as well.
    runoff_->addActions(fileKeys_);
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

}  // namespace brelvo::app
