// The measuring window: widgets bound to the measuring logic and the map view geometry.
#include "app/main_window.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QDesktopServices>
#include <QDir>
#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/json_writer.hpp"
#include "app/map_view.hpp"
#include "app/pan_zoom_control.hpp"
#include "app/runoff_window.hpp"
#include "common/program_folder.hpp"
#include "mapview/wmf_picture.hpp"
#include "measure/coordinate_listing.hpp"
#include "measure/scale_calibration.hpp"

namespace brelvo::app {

namespace {

constexpr int kMarkerPixels = 9;
constexpr int kMenuWidthPixels = 170;
constexpr int kText1WidthPixels = 560;
constexpr int kText1HeightPixels = 300;
// Large scanned maps are normal; a bad header must still not ask for more than this (MiB).
constexpr int kPictureAllocationLimitMiB = 4096;

QString withLineFeeds(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string withCrLf(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace('\n', QStringLiteral("\r\n"));
    return t.toStdString();
}

// The desktop's text viewer: Notepad on Windows, the desktop's default viewer for text elsewhere.
class DesktopTextViewer : public measure::TextViewer {
public:
    bool open(const std::string& path) override {
        const QString file = QString::fromStdString(path);
        // A viewer started for a missing file fails on its own, out of sight: say where it should be.
        if (!QFileInfo(file).isFile()) return false;
#ifdef Q_OS_WIN
        return QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(file)});
#else
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
#endif
    }
};

measure::MouseButton measureButton(Qt::MouseButton button) {
    return button == Qt::LeftButton    ? measure::MouseButton::Left
           : button == Qt::RightButton ? measure::MouseButton::Right
                                       : measure::MouseButton::Middle;
}

}  // namespace

MainWindow::MainWindow(common::Dialogs& dialogs)
    : dialogs_(dialogs),
      tpp_(1440.0f / static_cast<float>(logicalDpiX() > 0 ? logicalDpiX() : 96)),
      controller_(state_, *this, dialogs_),
      pictureCommands_(*this, state_, controller_, dialogs_, *this) {
    controller_.scale().setTwipsPerPixelX(tpp_);
    geometry_.panZoom.width = PanZoomControl::kWidth * tpp_;
    geometry_.panZoom.height = PanZoomControl::kHeight * tpp_;
    shape1.width = shape1.height = kMarkerPixels * tpp_;
    shape2.width = shape2.height = kMarkerPixels * tpp_;
    buildWidgets();
    setMinimumSize(320, 240);
    controller_.start();
}

MainWindow::~MainWindow() = default;

int MainWindow::px(float viewUnits) const { return static_cast<int>(std::lround(viewUnits / tpp_)); }

void MainWindow::buildWidgets() {
    mapView_ = new MapView(this, geometry_, *this, renderer_, tpp_);
    mapView_->setObjectName(QStringLiteral("UserControlPic1"));
    mapView_->onRelease = [this](Qt::MouseButton button, QPointF pos) {
        const measure::MouseButton b = button == Qt::LeftButton    ? measure::MouseButton::Left
                                       : button == Qt::RightButton ? measure::MouseButton::Right
                                                                   : measure::MouseButton::Middle;
        mapMouseUp(b, static_cast<float>(pos.x()) - imageLeft(), static_cast<float>(pos.y()) - imageTop());
    };

    auto makeList = [this](const std::vector<std::string>& items, const char* name) {
        auto* list = new QListWidget(mapView_);
        list->setObjectName(QString::fromLatin1(name));
        for (const auto& item : items) list->addItem(QString::fromStdString(item));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setStyleSheet(QStringLiteral(
            "QListWidget { background: white; border: 1px solid #8a9099; border-radius: 3px; padding: 2px; }"
            "QListWidget::item { padding: 3px 8px; color: #1c2128; }"
            "QListWidget::item:hover { background: #dbe7f7; }"
            "QListWidget::item:selected { background: #2f6fbf; color: white; }"));
        const int height = list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth() + 6;
        list->setFixedSize(kMenuWidthPixels, height);
        list->hide();
        list->viewport()->installEventFilter(this);
        return list;
    };
    lstMenu1_ = makeList(measure::MeasureController::commandItems(), "lstMenu1");
    lstMenu2_ = makeList(measure::MeasureController::pictureItems(), "lstMenu2");
    lstMenu1.width = lstMenu1_->width() * tpp_;
    lstMenu1.height = lstMenu1_->height() * tpp_;
    lstMenu2.width = lstMenu2_->width() * tpp_;
    lstMenu2.height = lstMenu2_->height() * tpp_;
    connect(lstMenu1_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        lstMenu1_->clearSelection();
        chooseCommand(item->text().toStdString());
    });
    connect(lstMenu2_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        lstMenu2_->clearSelection();
        choosePicture(item->text().toStdString());
    });

    text1_ = new QPlainTextEdit(mapView_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    text1_->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: rgba(255,255,255,235); border: 1px solid #8a9099; border-radius: 3px; }"));
    text1_->setFixedSize(kText1WidthPixels, kText1HeightPixels);
    text1.width = kText1WidthPixels * tpp_;
    text1.height = kText1HeightPixels * tpp_;
    text1_->hide();
    // A right press saves the listing, so the editor's own context menu would only get in the way.
    text1_->setContextMenuPolicy(Qt::PreventContextMenu);
    text1_->setToolTip(QStringLiteral("Drag to move; right-click to save the coordinates"));
    text1_->viewport()->installEventFilter(this);
    connect(text1_, &QPlainTextEdit::textChanged, this, [this] {
        if (syncing_) return;
        text1.text = withCrLf(text1_->toPlainText());
    });

    buildScalePanel();

    img4Way_ = new PanZoomControl(mapView_);
    img4Way_->setObjectName(QStringLiteral("img4Way"));
    img4Way_->onRelease = [this](QPointF p) {
        panZoomClick(static_cast<float>(p.x()) * tpp_, static_cast<float>(p.y()) * tpp_);
    };
    syncLabels();
    // A click on a list, the text box, the panel or a label is theirs: it never reaches the map below.
    for (QWidget* child : {static_cast<QWidget*>(lstMenu1_), static_cast<QWidget*>(lstMenu2_),
                           static_cast<QWidget*>(text1_), static_cast<QWidget*>(frameScale_)}) {
        child->setAttribute(Qt::WA_NoMousePropagation);
    }
}

void MainWindow::buildScalePanel() {
    frameScale_ = new QGroupBox(QStringLiteral("Scale distance and units"), mapView_);
    frameScale_->setObjectName(QStringLiteral("frameScale"));
    frameScale_->setStyleSheet(QStringLiteral(
        "QGroupBox { background: #f6f7f9; border: 1px solid #8a9099; border-radius: 4px; margin-top: 0px;"
        " padding: 22px 8px 8px 8px; font-weight: bold; }"
        "QGroupBox::title { subcontrol-origin: padding; left: 8px; top: 4px; }"
        "QRadioButton, QLineEdit, QPushButton { font-weight: normal; }"));
    auto* layout = new QVBoxLayout(frameScale_);
    layout->setSpacing(4);

    auto* distanceRow = new QHBoxLayout;
    text2_ = new QLineEdit(frameScale_);
    text2_->setObjectName(QStringLiteral("Text2"));
    text2_->setText(QString::fromStdString(text2));
    spinUp_ = new QToolButton(frameScale_);
    spinUp_->setObjectName(QStringLiteral("UpDown1.up"));
    spinUp_->setArrowType(Qt::UpArrow);
    spinDown_ = new QToolButton(frameScale_);
    spinDown_->setObjectName(QStringLiteral("UpDown1.down"));
    spinDown_->setArrowType(Qt::DownArrow);
    for (auto* b : {spinUp_, spinDown_}) b->setFixedSize(22, 13);
    auto* spinColumn = new QVBoxLayout;
    spinColumn->setSpacing(0);
    spinColumn->addWidget(spinUp_);
    spinColumn->addWidget(spinDown_);
    distanceRow->addWidget(text2_);
    distanceRow->addLayout(spinColumn);
    layout->addLayout(distanceRow);

    option1_ = new QButtonGroup(frameScale_);
    for (int i = 0; i < measure::ScaleCalibration::kUnitOptions; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(measure::ScaleCalibration::unitOption(i).caption),
                                        frameScale_);
        button->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        option1_->addButton(button, i);
        optionButtons_.push_back(button);
        layout->addWidget(button);
    }
    optionButtons_.front()->setChecked(true);

    command1_ = new QPushButton(QStringLiteral("Ok"), frameScale_);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    layout->addWidget(command1_);
    frameScale_->adjustSize();
    frameScale_->setFixedSize(frameScale_->sizeHint().expandedTo(QSize(210, 0)));
    frameScale.width = frameScale_->width() * tpp_;
    frameScale.height = frameScale_->height() * tpp_;
    frameScale_->hide();
    frameScale_->installEventFilter(this);

    connect(text2_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (syncing_) return;
        controller_.scale().typeDistance(text.toStdString());
    });
    connect(spinUp_, &QToolButton::clicked, this, [this] { controller_.scale().spin(+1); });
    connect(spinDown_, &QToolButton::clicked, this, [this] { controller_.scale().spin(-1); });
    connect(option1_, &QButtonGroup::idClicked, this, [this](int id) { controller_.scale().chooseOption(id); });
    connect(command1_, &QPushButton::clicked, this, [this] { controller_.scale().ApplyScale(); });
}

// ---- events ----

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The first layout sizes the picture to the view: it waits until the window shows at its real size.
    if (isVisible()) relayoutView();
}

void MainWindow::showMaximizedAtStart() {
    // Sized to the screen before it shows, so that the first layout sizes the picture to the full view.
    if (const QScreen* screen = this->screen()) resize(screen->availableGeometry().size());
    showMaximized();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the measuring window ends the program: every other window closes with it.
    if (runoff_) runoff_->close();
    QWidget::closeEvent(event);
    QApplication::quit();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!geometry_.firstLayoutDone) relayoutView();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const float x = static_cast<float>(mouse->position().x()) * tpp_;
        const float y = static_cast<float>(mouse->position().y()) * tpp_;
        if (watched == lstMenu1_->viewport() && type == QEvent::MouseButtonPress &&
            mouse->button() == Qt::LeftButton) {
            controller_.commandMenuPress(x, y);
        } else if (watched == frameScale_) {
            if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
                controller_.scale().panelPress(x, y);
                return true;
            }
            if (type == QEvent::MouseMove && (mouse->buttons() & Qt::LeftButton)) {
                controller_.scale().panelDrag(x, y);
                return true;
            }
        } else if (watched == text1_->viewport()) {
            // Positions relative to the whole box, frame included, as the box is what moves.
            const QPointF p = text1_->viewport()->mapTo(text1_, mouse->position());
            const float bx = static_cast<float>(p.x()) * tpp_;
            const float by = static_cast<float>(p.y()) * tpp_;
            if (type == QEvent::MouseButtonPress) {
                text1Press(measureButton(mouse->button()), bx, by);
                // A left press still places the caret; any other press is the save alone.
                return mouse->button() != Qt::LeftButton;
            }
            if (mouse->buttons() & Qt::LeftButton) {
                text1Move(bx, by);
                return true;  // the box moves instead of selecting text
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

void MainWindow::mapMouseUp(measure::MouseButton button, float x, float y) { controller_.mapMouseUp(button, x, y); }

void MainWindow::text1Press(measure::MouseButton button, float x, float y) {
    if (button == measure::MouseButton::Left) {
        measure::dragPress(state_, x, y);
    } else {
        dialogCancelRaisesError = true;  // as with every save through the shared file dialog
        measure::SaveCoordinateText(state_, *this, dialogs_, common::programFolder());
    }
}

void MainWindow::text1Move(float x, float y) {
    measure::dragMove(state_, *this, measure::DragTarget::text1(), x, y);
}

void MainWindow::labelPress(int index, measure::MouseButton button, float x, float y) {
    if (button == measure::MouseButton::Left) {
        measure::dragPress(state_, x, y);
    } else {
        measure::editLabel(*this, index, dialogs_);
    }
}

void MainWindow::labelMove(int index, float x, float y) {
    measure::dragMove(state_, *this, measure::DragTarget::label(index), x, y);
}

void MainWindow::panZoomClick(float x, float y) {
    if (!mapview::panZoomAllowed(state_.viewUnlocked, state_.pixelUnits, state_.generalPixels)) {
        dialogs_.message("No resizing or scrolling after scale has been set");
        return;
    }
    const auto region = mapview::panZoomRegionAt(x, y, geometry_.panZoom.width, geometry_.panZoom.height);
    const double f = geometry_.scrollZoomFactor;
    switch (region) {
        case mapview::PanZoomRegion::Up: mapview::scrollPic(geometry_, 0); break;
        case mapview::PanZoomRegion::Down: mapview::scrollPic(geometry_, 1); break;
        case mapview::PanZoomRegion::Left: mapview::scrollPic(geometry_, 2); break;
        case mapview::PanZoomRegion::Right: mapview::scrollPic(geometry_, 3); break;
        case mapview::PanZoomRegion::Centre: mapview::scrollPic(geometry_, 4); break;
        case mapview::PanZoomRegion::ZoomIn: mapview::zoomPic(geometry_, 1 + f, state_.scaleX, state_.scaleY); break;
        case mapview::PanZoomRegion::ZoomOut:
            mapview::zoomPic(geometry_, 1 / (1 + f), state_.scaleX, state_.scaleY);
            break;
        case mapview::PanZoomRegion::None: return;
    }
    syncGeometry();
}

void MainWindow::panZoomRegionClick(mapview::PanZoomRegion region) {
    float x = 0, y = 0;
    mapview::panZoomRegionCentre(region, geometry_.panZoom.width, geometry_.panZoom.height, x, y);
    panZoomClick(x, y);
}

void MainWindow::chooseCommand(const std::string& item) { controller_.runCommand(item); }

void MainWindow::choosePicture(const std::string& item) { pictureCommands_.run(item); }

bool MainWindow::hasCommandItem(const std::string& item) const {
    return !lstMenu1_->findItems(QString::fromStdString(item), Qt::MatchExactly).isEmpty();
}

bool MainWindow::hasPictureItem(const std::string& item) const {
    return !lstMenu2_->findItems(QString::fromStdString(item), Qt::MatchExactly).isEmpty();
}

QWidget* MainWindow::control(const QString& qualified) const {
    QString name = qualified;
    if (name.startsWith(QStringLiteral("Form1."))) name = name.mid(6);
    if (name == QStringLiteral("Form1")) return const_cast<MainWindow*>(this);
    if (name == QStringLiteral("UpDown1")) return spinUp_->parentWidget();
    return findChild<QWidget*>(name);
}

// ---- MapSurface ----

void MainWindow::placeBox(QWidget* widget, const measure::Box& box) {
    widget->move(px(box.left), px(box.top));
    widget->setVisible(box.visible);
}

void MainWindow::changed(measure::SurfacePart part) {
    using measure::SurfacePart;
    switch (part) {
        case SurfacePart::Caption: setWindowTitle(QString::fromStdString(caption)); break;
        case SurfacePart::Menu1: placeBox(lstMenu1_, lstMenu1); break;
        case SurfacePart::Menu2: placeBox(lstMenu2_, lstMenu2); break;
        case SurfacePart::Text1: syncText1(); break;
        case SurfacePart::Shape1:
        case SurfacePart::Shape2:
        case SurfacePart::Lines: mapView_->update(); break;
        case SurfacePart::Labels: syncLabels(); break;
        case SurfacePart::Pointer:
            mapView_->setCursor(pointer == measure::Pointer::Cross ? Qt::CrossCursor : Qt::ArrowCursor);
            break;
        case SurfacePart::ScalePanel: syncScalePanel(); break;
        case SurfacePart::Picture: syncGeometry(); break;
    }
}

void MainWindow::broughtToFront(measure::SurfacePart part) {
    using measure::SurfacePart;
    switch (part) {
        case SurfacePart::Menu1: lstMenu1_->raise(); break;
        case SurfacePart::Menu2: lstMenu2_->raise(); break;
        case SurfacePart::Text1: text1_->raise(); break;
        case SurfacePart::ScalePanel: frameScale_->raise(); break;
        case SurfacePart::Labels:
            for (auto* label : labels_) label->raise();
            break;
        default: break;
    }
    img4Way_->raise();
}

void MainWindow::syncText1() {
    syncing_ = true;
    const QString shown = withLineFeeds(text1.text);
    if (text1_->toPlainText() != shown) text1_->setPlainText(shown);
    // The caret counts CR LF as two characters; the widget holds a line feed only.
    const QString before = QString::fromStdString(text1.text.substr(0, static_cast<std::size_t>(
                                                                             std::max(0, text1.caret))));
    QTextCursor cursor = text1_->textCursor();
    cursor.setPosition(std::min(static_cast<int>(withLineFeeds(before.toStdString()).size()),
                                static_cast<int>(shown.size())));
    text1_->setTextCursor(cursor);
    text1_->ensureCursorVisible();
    syncing_ = false;
    placeBox(text1_, text1);
}

void MainWindow::syncLabels() {
    while (labels_.size() > label1.size()) {
        delete labels_.back();
        labels_.pop_back();
    }
    while (labels_.size() < label1.size()) {
        auto* label = new QLabel(mapView_);
        label->setObjectName(QStringLiteral("Label1(%1)").arg(labels_.size()));
        label->setStyleSheet(QStringLiteral(
            "QLabel { background: rgba(255,255,255,225); color: #1c2128; border: 1px solid #8a9099;"
            " border-radius: 3px; padding: 3px 6px; }"));
        label->setAttribute(Qt::WA_NoMousePropagation);
        label->setContextMenuPolicy(Qt::PreventContextMenu);
        label->setToolTip(QStringLiteral("Drag to move; right-click to edit the label"));
        label->installEventFilter(this);
        label->hide();
        labels_.push_back(label);
    }
    for (std::size_t i = 0; i < label1.size(); ++i) {
        labels_[i]->setText(withLineFeeds(label1[i].caption));
        labels_[i]->adjustSize();
        placeBox(labels_[i], label1[i]);
    }
}

void MainWindow::syncScalePanel() {
    syncing_ = true;
    if (text2_->text().toStdString() != text2) text2_->setText(QString::fromStdString(text2));
    if (option1 >= 0 && option1 < static_cast<int>(optionButtons_.size())) {
        optionButtons_[static_cast<std::size_t>(option1)]->setChecked(true);
    }
    syncing_ = false;
    placeBox(frameScale_, frameScale);
}

void MainWindow::syncGeometry() {
    mapView_->setGeometry(px(geometry_.view.left), px(geometry_.view.top), px(geometry_.view.width),
                          px(geometry_.view.height));
    img4Way_->move(px(geometry_.panZoom.left), px(geometry_.panZoom.top));
    img4Way_->raise();
    mapView_->update();
}

void MainWindow::relayoutView() {
    const mapview::RectF client{0, 0, static_cast<float>(width()) * tpp_, static_cast<float>(height()) * tpp_};
    mapview::layout(geometry_, client);
    syncGeometry();
}

void MainWindow::resetPictureToNaturalSize() {
    geometry_.stretch = false;
    mapview::setPicture(geometry_, geometry_.hasPicture, geometry_.naturalWidth, geometry_.naturalHeight);
    mapview::zoomPic(geometry_, 1.0, state_.scaleX, state_.scaleY);
    mapview::scrollPic(geometry_, 4);
    syncGeometry();
}

void MainWindow::openRunoffWindow() {
    if (!runoff_) runoff_ = std::make_unique<RunoffWindow>(dialogs_);
    const measure::HandOff h = controller_.handOff();
    for (const auto& failure : h.failures) dialogs_.message(failure);
    basin::HandOffValues values;
    values.frameCaption = h.frameCaption;
    values.streamLength = h.streamLength;
    values.streamLengthLabel = h.streamLengthLabel;
    values.belowCentroid = h.belowCentroid;
    values.belowCentroidLabel = h.belowCentroidLabel;
    values.basinArea = h.basinArea;
    values.basinAreaLabel = h.basinAreaLabel.value_or(std::string());
    runoff_->receiveMeasurement(values);
    runoff_->show();
    runoff_->raise();
}

void MainWindow::openHelp() {
    DesktopTextViewer viewer;
    measure::OpenInNotepad(measure::helpTextPath(common::programFolder()), viewer, dialogs_);
}

// ---- PictureHost ----

std::optional<std::string> MainWindow::decodePicture(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) return std::string("File not found");
    QImageReader::setAllocationLimit(kPictureAllocationLimitMiB);
    QImage image;
    QFile in(file);
    const bool metafile = file.endsWith(QStringLiteral(".wmf"), Qt::CaseInsensitive) ||
                          (in.open(QIODevice::ReadOnly) && mapview::looksLikeWmf(in.peek(8)));
    if (metafile) {
        // Qt reads no Windows metafiles: libwmf draws them. Metafiles are drawing records, so one far past
        // this size is no map picture, and reading it whole must not exhaust memory.
        constexpr qint64 kMetafileLimitBytes = qint64{256} * 1024 * 1024;
        if ((in.isOpen() || in.open(QIODevice::ReadOnly)) && in.size() <= kMetafileLimitBytes) {
            image = mapview::readWmfPicture(in.readAll()).image;
        }
    } else {
        QImageReader reader(file);
        reader.setAutoTransform(true);
        image = reader.read();
    }
    if (image.isNull()) return std::string("Invalid picture");
    decoded_ = std::move(image);
    return std::nullopt;
}

void MainWindow::showDecodedPicture() {
    renderer_.setImage(std::move(decoded_));
    decoded_ = QImage();
    const QSize size = renderer_.size();
    mapview::setPicture(geometry_, !renderer_.isNull(), static_cast<float>(size.width()) * tpp_,
                        static_cast<float>(size.height()) * tpp_);
    syncGeometry();
}

void MainWindow::clearPicture() {
    renderer_.clear();
    mapview::setPicture(geometry_, false, 0, 0);
    syncGeometry();
}

void MainWindow::scrollPicture(int mode) {
    mapview::scrollPic(geometry_, static_cast<std::int16_t>(mode));
    syncGeometry();
}

std::string MainWindow::programFolder() const { return common::programFolder(); }

// ---- dump ----

void MainWindow::dump(JsonWriter& j) const {
    auto box = [&](const char* name, const QWidget* widget, const measure::Box& b) {
        j.key(name).beginObject();
        j.key("visible").value(widget ? widget->isVisibleTo(this) : b.visible);
        j.key("left").value(b.left).key("top").value(b.top);
        j.endObject();
    };
    j.key("Form1").beginObject();
    j.key("caption").value(windowTitle().toStdString());
    j.key("pointer").value(pointer == measure::Pointer::Cross ? "cross" : "default");
    j.key("Text1").beginObject();
    j.key("text").value(withCrLf(text1_->toPlainText()));
    j.key("visible").value(text1_->isVisibleTo(this));
    j.key("left").value(text1.left).key("top").value(text1.top);
    j.endObject();
    box("lstMenu1", lstMenu1_, lstMenu1);
    box("lstMenu2", lstMenu2_, lstMenu2);
    box("frameScale", frameScale_, frameScale);
    box("Shape1", nullptr, shape1);
    box("Shape2", nullptr, shape2);
    j.key("Text2").value(text2_->text().toStdString());
    j.key("Option1").value(option1_->checkedId());
    j.key("UpDown1").beginObject().key("value").value(upDown1Value).key("step").value(upDown1Step).endObject();
    j.key("Label1").beginArray();
    for (std::size_t i = 0; i < label1.size(); ++i) {
        j.beginObject();
        j.key("caption").value(withCrLf(labels_[i]->text()));
        j.key("visible").value(labels_[i]->isVisibleTo(this));
        j.key("left").value(label1[i].left).key("top").value(label1[i].top);
        j.endObject();
    }
    j.endArray();
    j.key("Line1").beginArray();
    for (const auto& [index, s] : line1) {
        char color[8];
        static const char* hex = "0123456789ABCDEF";
        color[0] = '#';
        for (int k = 0; k < 6; ++k) color[1 + k] = hex[(s.color >> (20 - 4 * k)) & 0xF];
        color[7] = '\0';
        j.beginObject();
        j.key("index").value(index);
        j.key("x1").value(s.x1).key("y1").value(s.y1).key("x2").value(s.x2).key("y2").value(s.y2);
        j.key("width").value(s.width).key("color").value(color).key("visible").value(s.visible);
        j.endObject();
    }
    j.endArray();
    const auto& pic = geometry_.picture;
    j.key("Image1").beginObject();
    j.key("left").value(pic.left).key("top").value(pic.top).key("width").value(pic.width);
    j.key("height").value(pic.height).key("stretch").value(geometry_.stretch);
    j.endObject();
    const auto& v = geometry_.view;
    j.key("UserControlPic1").beginObject();
    j.key("left").value(v.left).key("top").value(v.top).key("width").value(v.width).key("height").value(v.height);
    j.key("scaleWidth").value(v.width).key("scaleHeight").value(v.height);
    j.endObject();
    const auto& pz = geometry_.panZoom;
    j.key("img4Way").beginObject();
    j.key("left").value(pz.left).key("top").value(pz.top).key("width").value(pz.width);
    j.key("height").value(pz.height).key("visible").value(img4Way_->isVisibleTo(this));
    j.endObject();
    j.key("twipsPerPixelX").value(tpp_);
    j.key("scrollZoomFactor").value(geometry_.scrollZoomFactor);
    j.endObject();

    const auto& s = state_;
    j.key("MeasureState").beginObject();
    j.key("mode").value(static_cast<int>(s.mode));
    j.key("lastPoint").point(s.lastPoint.x, s.lastPoint.y);
    j.key("lineStart").beginArray();
    for (const auto start : s.lineStart) j.value(static_cast<int>(start));
    j.endArray();
    j.key("segmentIndex").value(static_cast<int>(s.segmentIndex));
    j.key("lineNumber").value(static_cast<int>(s.lineNumber));
    j.key("scaleDistance").value(s.scaleDistance);
    j.key("scaleX").value(s.scaleX).key("scaleY").value(s.scaleY);
    j.key("grabPoint").point(s.grabPoint.x, s.grabPoint.y);
    j.key("measureNumber").value(static_cast<int>(s.measureNumber));
    j.key("areaText").value(s.areaText).key("areaCentroidText").value(s.areaCentroidText);
    j.key("streamLengthText").value(s.streamLengthText).key("belowCentroidText").value(s.belowCentroidText);
    j.key("lastFinishedMode").value(static_cast<int>(s.lastFinishedMode));
    j.key("distanceStep").value(s.distanceStep);
    j.key("feetUnits").value(s.feetUnits).key("pixelUnits").value(s.pixelUnits);
    j.key("generalPixels").value(s.generalPixels);
    j.key("refPixel").point(s.refPixel.x, s.refPixel.y);
    j.key("refCoord").beginArray().value(static_cast<int>(s.refCoord[0])).value(static_cast<int>(s.refCoord[1]));
    j.endArray();
    j.key("viewUnlocked").value(s.viewUnlocked);
    j.key("centroid").point(s.centroid.x, s.centroid.y);
    j.key("areaCentroid").point(s.areaCentroid.x, s.areaCentroid.y);
    j.key("scalePoint2").point(s.scalePoint2.x, s.scalePoint2.y);
    j.key("areaFactor").value(s.areaFactor);
    j.key("lengthUnitText").value(s.lengthUnitText).key("areaUnitText").value(s.areaUnitText);
    j.key("removeAll").value(s.removeAll);
    j.endObject();
}

}  // namespace brelvo::app
