// The measuring window's widgets: building them, setting them from the document, and their input.
#include "app/measuring_widgets.hpp"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <string_view>

#include "app/line_ends.hpp"
#include "app/map_view.hpp"
#include "app/measuring_keys.hpp"
#include "app/measuring_panels.hpp"
#include "app/pan_zoom_control.hpp"
#include "app/panel_widgets.hpp"
#include "common/control_names.hpp"
#include "mapview/pan_zoom.hpp"
#include "measure/scale_calibration.hpp"

namespace brelvo::app {

namespace {

constexpr int kMenuWidthPixels = 170;

}  // namespace

using namespace panels;
namespace names = common::controls::form1;

MeasuringWidgets::MeasuringWidgets(QWidget& window, measure::MeasureDocument& doc,
                                   mapview::ViewGeometry& geometry, mapview::PictureRenderer& renderer,
                                   measure::MeasureController& controller, float tpp, MeasuringInput& input)
    : QObject(&window),
      window_(window),
      doc_(doc),
      geometry_(geometry),
      controller_(controller),
      tpp_(tpp),
      input_(input) {
    mapView_ = new MapView(&window_, geometry_, doc_, renderer, tpp_);
    mapView_->setObjectName(qName(names::kMapView));
    mapView_->onRelease = [this](Qt::MouseButton button, QPointF pos) {
        input_.mapMouseUp(measureButton(button), static_cast<float>(pos.x()) - geometry_.picture.left,
                          static_cast<float>(pos.y()) - geometry_.picture.top);
    };
    mapView_->onWheel = [this](QPointF pos, int steps, Qt::KeyboardModifiers modifiers) {
        input_.mapWheel(static_cast<float>(pos.x()), static_cast<float>(pos.y()), steps,
                        wheelTurnOf(modifiers));
    };
    mapView_->onPan = [this](QPointF by) {
        input_.mapPan(static_cast<float>(by.x()), static_cast<float>(by.y()));
    };
    mapView_->onPointer = [this](std::optional<QPointF> pos) { pointerMoved(pos); };
    mapView_->setFocusPolicy(Qt::ClickFocus);

    auto makeList = [this](const std::vector<std::string>& items, std::string_view name) {
        // Rows padded 3 by 8 pixels; the row under the pointer light blue, the selected one blue.
        const PanelRowLook rows{QMargins(8, 3, 8, 3), QColor(kPanelText), QColor(0xdbe7f7), QColor(0x2f6fbf),
                                QColor(Qt::white)};
        auto* list = new PanelList(panelLook(Qt::white), 2, rows, mapView_);
        list->setObjectName(qName(name));
        for (const auto& item : items) list->addItem(QString::fromStdString(item));
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const int height = list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth() + 6;
        list->setFixedSize(kMenuWidthPixels, height);
        list->hide();
        list->setFocusPolicy(Qt::NoFocus);  // the keys stay with the map
        list->viewport()->installEventFilter(this);
        return list;
    };
    commandList_ = makeList(measure::MeasureController::commandItems(), names::kLstMenu1);
    pictureList_ = makeList(measure::MeasureController::pictureItems(), names::kLstMenu2);
    for (auto [part, list] : {std::pair{measure::SurfacePart::Menu1, commandList_},
                              std::pair{measure::SurfacePart::Menu2, pictureList_}}) {
        measure::Box& box = doc_.menu(part);
        box.width = static_cast<float>(list->width()) * tpp_;
        box.height = static_cast<float>(list->height()) * tpp_;
    }
    connect(commandList_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        commandList_->clearSelection();
        input_.chooseCommand(item->text().toStdString());
    });
    connect(pictureList_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        pictureList_->clearSelection();
        input_.choosePicture(item->text().toStdString());
    });

    // The coordinate listing's size is the document's from the start; the box itself (a text editor and
    // its monospaced font) is built when it first shows or is asked for by name.
    measure::TextBox& listing = doc_.edit(measure::SurfacePart::Text1).text1;
    listing.width = kText1WidthPixels * tpp_;
    listing.height = kText1HeightPixels * tpp_;

    buildScalePanel();

    panZoomControl_ = new PanZoomControl(mapView_);
    panZoomControl_->setObjectName(qName(names::kImg4Way));
    panZoomControl_->onRelease = [this](QPointF p) {
        input_.panZoomClick(static_cast<float>(p.x()) * tpp_, static_cast<float>(p.y()) * tpp_);
    };
    syncLabels();
    // A click on a list, the text box, the panel or a label is theirs: it never reaches the map below.
    for (QWidget* child : {static_cast<QWidget*>(commandList_), static_cast<QWidget*>(pictureList_),
                           static_cast<QWidget*>(scalePanel_)}) {
        child->setAttribute(Qt::WA_NoMousePropagation);
    }
}

QLabel* MeasuringWidgets::statusLine() {
    if (statusLine_ != nullptr) return statusLine_;
    // The map coordinates under the pointer, over the map's lower left corner.
    statusLine_ = newPanelLabel(215, QMargins(6, 2, 6, 2), mapView_);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    statusLine_->setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont monospace = statusLine_->font();
    monospace.setFamilies({QStringLiteral("DejaVu Sans Mono")});
    statusLine_->setFont(monospace);
    statusLine_->hide();

    return statusLine_;
}

void MeasuringWidgets::buildScalePanel() {
    // Room for the bold title above the contents: the title 8 pixels in and 4 down from the border.
    scalePanel_ =
        new PanelGroupBox(QStringLiteral("Scale distance and units"), panelLook(QColor(0xf6f7f9), 4),
                          QMargins(8, 22, 8, 8), QPoint(8, 4), mapView_);
    scalePanel_->setObjectName(qName(names::kFrameScale));
    auto* layout = new QVBoxLayout(scalePanel_);
    layout->setSpacing(4);

    auto* distanceRow = new QHBoxLayout;
    scaleDistanceBox_ = new QLineEdit(scalePanel_);
    scaleDistanceBox_->setObjectName(qName(names::kText2));
    scaleDistanceBox_->setText(QString::fromStdString(doc_.controls().text2));
    spinUp_ = new QToolButton(scalePanel_);
    spinUp_->setObjectName(qName(names::kUpDown1Up));
    spinUp_->setArrowType(Qt::UpArrow);
    spinDown_ = new QToolButton(scalePanel_);
    spinDown_->setObjectName(qName(names::kUpDown1Down));
    spinDown_->setArrowType(Qt::DownArrow);
    for (auto* b : {spinUp_, spinDown_}) b->setFixedSize(22, 13);
    auto* spinColumn = new QVBoxLayout;
    spinColumn->setSpacing(0);
    spinColumn->addWidget(spinUp_);
    spinColumn->addWidget(spinDown_);
    distanceRow->addWidget(scaleDistanceBox_);
    distanceRow->addLayout(spinColumn);
    layout->addLayout(distanceRow);

    unitOptions_ = new QButtonGroup(scalePanel_);
    for (int i = 0; i < measure::ScaleCalibration::kUnitOptions; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(measure::ScaleCalibration::unitOption(i).caption),
                                        scalePanel_);
        button->setObjectName(QString::fromStdString(names::indexed(names::kOption1, i)));
        unitOptions_->addButton(button, i);
        unitOptionButtons_.push_back(button);
        layout->addWidget(button);
    }
    unitOptionButtons_.front()->setChecked(true);

    scaleOkButton_ = new QPushButton(QStringLiteral("Ok"), scalePanel_);
    scaleOkButton_->setObjectName(qName(names::kCommand1));
    scaleOkButton_->setDefault(true);
    layout->addWidget(scaleOkButton_);
    scalePanel_->adjustSize();
    scalePanel_->setFixedSize(scalePanel_->sizeHint().expandedTo(QSize(210, 0)));
    measure::Box& panel = doc_.edit(measure::SurfacePart::ScalePanel).frameScale;
    panel.width = static_cast<float>(scalePanel_->width()) * tpp_;
    panel.height = static_cast<float>(scalePanel_->height()) * tpp_;
    scalePanel_->hide();
    scalePanel_->installEventFilter(this);

    connect(scaleDistanceBox_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (syncing_) return;
        step([&] { controller_.scale().typeDistance(text.toStdString()); });
    });
    connect(spinUp_, &QToolButton::clicked, this, [this] { step([this] { controller_.scale().spin(+1); }); });
    connect(spinDown_, &QToolButton::clicked, this,
            [this] { step([this] { controller_.scale().spin(-1); }); });
    connect(unitOptions_, &QButtonGroup::idClicked, this,
            [this](int id) { step([&] { controller_.scale().chooseOption(id); }); });
    connect(scaleOkButton_, &QPushButton::clicked, this,
            [this] { step([this] { controller_.scale().ApplyScale(); }); });
}

void MeasuringWidgets::setStatusNote(const QString& note) {
    statusNote_ = note;
    pointerMoved(lastPointer_);
}

void MeasuringWidgets::pointerMoved(std::optional<QPointF> viewPosition) {
    lastPointer_ = viewPosition;
    std::string text = viewPosition ? controller_.pointerCoordinates(static_cast<float>(viewPosition->x()),
                                                                     static_cast<float>(viewPosition->y()))
                                    : std::string();
    if (viewPosition && pointerExtra) {
        const std::string extra =
            pointerExtra(static_cast<float>(viewPosition->x()), static_cast<float>(viewPosition->y()));
        if (!extra.empty()) text += (text.empty() ? "" : "  ") + extra;
    }
    if (!statusNote_.isEmpty()) text = statusNote_.toStdString() + (text.empty() ? "" : "   " + text);
    if (text.empty()) {
        if (statusLine_ != nullptr) statusLine_->hide();
        return;
    }
    QLabel* line = statusLine();
    line->setText(QString::fromStdString(text));
    line->adjustSize();
    line->move(4, mapView_->height() - line->height() - 4);
    line->show();
    line->raise();
}

QString MeasuringWidgets::statusText() const {
    return statusLine_ != nullptr && statusLine_->isVisibleTo(&window_) ? statusLine_->text() : QString();
}

void MeasuringWidgets::syncLabels() {
    const std::vector<measure::Label>& label1 = doc_.controls().label1;
    while (labels_.size() > label1.size()) {
        delete labels_.back();
        labels_.pop_back();
    }
    while (labels_.size() < label1.size()) {
        QLabel* label = newPanelLabel(225, QMargins(6, 3, 6, 3), mapView_);
        label->setObjectName(
            QString::fromStdString(names::indexed(names::kLabel1, static_cast<int>(labels_.size()))));
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

void MeasuringWidgets::syncScalePanel() {
    const measure::SurfaceControls& c = doc_.controls();
    const std::string& text2 = c.text2;
    const std::string& text2Refused = c.text2Refused;
    const int option1 = c.option1;
    syncing_ = true;
    if (scaleDistanceBox_->text().toStdString() != text2)
        scaleDistanceBox_->setText(QString::fromStdString(doc_.controls().text2));
    // A refused distance is framed as a refused box of the runoff window is, its reason as the tip.
    scaleDistanceBox_->setStyleSheet(
        text2Refused.empty()
            ? QString()
            : QStringLiteral("QLineEdit { border: 2px solid #d00000; background: #ffe4e4; }"));
    scaleDistanceBox_->setToolTip(QString::fromStdString(text2Refused));
    if (option1 >= 0 && option1 < static_cast<int>(unitOptionButtons_.size())) {
        unitOptionButtons_[static_cast<std::size_t>(option1)]->setChecked(true);
    }
    syncing_ = false;
    placeBox(scalePanel_, c.frameScale);
}

int MeasuringWidgets::px(float viewUnits) const {
    return static_cast<int>(std::lround(viewUnits / tpp_));
}

void MeasuringWidgets::placeBox(QWidget* widget, const measure::Box& box) {
    widget->move(px(box.left), px(box.top));
    widget->setVisible(box.visible);
}

void MeasuringWidgets::placeView(int top) {
    mapView_->setGeometry(px(geometry_.view.left), top + px(geometry_.view.top), px(geometry_.view.width),
                          px(geometry_.view.height));
    panZoomControl_->move(px(geometry_.panZoom.left), px(geometry_.panZoom.top));
    panZoomControl_->raise();
    mapView_->update();
}

QWidget* MeasuringWidgets::upDown() const {
    return spinUp_->parentWidget();
}

bool MeasuringWidgets::hasCommandItem(const std::string& item) const {
    return !commandList_->findItems(QString::fromStdString(item), Qt::MatchExactly).isEmpty();
}

bool MeasuringWidgets::hasPictureItem(const std::string& item) const {
    return !pictureList_->findItems(QString::fromStdString(item), Qt::MatchExactly).isEmpty();
}

void MeasuringWidgets::show(measure::SurfacePart part) {
    using measure::SurfacePart;
    switch (part) {
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
        default:
            break;
    }
}

void MeasuringWidgets::broughtToFront(measure::SurfacePart part) {
    using measure::SurfacePart;
    switch (part) {
        case SurfacePart::Menu1:
            commandList_->raise();
            break;
        case SurfacePart::Menu2:
            pictureList_->raise();
            break;
        case SurfacePart::Text1:
            if (coordinateBox_ != nullptr) coordinateBox_->raise();
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

bool MeasuringWidgets::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (coordinateBox_ != nullptr && watched == coordinateBox_ &&
        (type == QEvent::KeyPress || type == QEvent::ShortcutOverride))
        return coordinateBoxKey(event);
    if (coordinateBox_ != nullptr && watched == coordinateBox_->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease))
        return coordinateBoxMouse(type, static_cast<QMouseEvent*>(event));
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove) return false;
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
            input_.labelPress(index, measureButton(mouse->button()), x, y);
            return true;
        }
        if (mouse->buttons() & Qt::LeftButton) {
            input_.labelMove(index, x, y);
            return true;
        }
    }
    return false;
}

}  // namespace brelvo::app
