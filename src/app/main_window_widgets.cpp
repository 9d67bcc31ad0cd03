// The measuring window's widgets: building them, and setting them from the measuring surface.
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>

#include "app/line_ends.hpp"
#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/pan_zoom_control.hpp"
#include "common/control_names.hpp"
#include "measure/scale_calibration.hpp"

namespace brelvo::app {

namespace {

constexpr int kMenuWidthPixels = 170;
constexpr int kText1WidthPixels = 560;
constexpr int kText1HeightPixels = 300;

namespace names = common::controls::form1;

QString qName(std::string_view name) {
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

void MainWindow::buildWidgets() {
    mapView_ = new MapView(this, geometry_, *this, renderer_, tpp_);
    mapView_->setObjectName(qName(names::kMapView));
    mapView_->onRelease = [this](Qt::MouseButton button, QPointF pos) {
        const measure::MouseButton b = button == Qt::LeftButton    ? measure::MouseButton::Left
                                       : button == Qt::RightButton ? measure::MouseButton::Right
                                                                   : measure::MouseButton::Middle;
        mapMouseUp(b, static_cast<float>(pos.x()) - imageLeft(), static_cast<float>(pos.y()) - imageTop());
    };

    auto makeList = [this](const std::vector<std::string>& items, std::string_view name) {
        auto* list = new QListWidget(mapView_);
        list->setObjectName(qName(name));
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
    lstMenu1_ = makeList(measure::MeasureController::commandItems(), names::kLstMenu1);
    lstMenu2_ = makeList(measure::MeasureController::pictureItems(), names::kLstMenu2);
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
    text1_->setObjectName(qName(names::kText1));
    text1_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text1_->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    text1_->setStyleSheet(
        QStringLiteral("QPlainTextEdit { background: rgba(255,255,255,235); border: 1px solid #8a9099; "
                       "border-radius: 3px; }"));
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
    img4Way_->setObjectName(qName(names::kImg4Way));
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
    frameScale_->setObjectName(qName(names::kFrameScale));
    frameScale_->setStyleSheet(QStringLiteral(
        "QGroupBox { background: #f6f7f9; border: 1px solid #8a9099; border-radius: 4px; margin-top: 0px;"
        " padding: 22px 8px 8px 8px; font-weight: bold; }"
        "QGroupBox::title { subcontrol-origin: padding; left: 8px; top: 4px; }"
        "QRadioButton, QLineEdit, QPushButton { font-weight: normal; }"));
    auto* layout = new QVBoxLayout(frameScale_);
    layout->setSpacing(4);

    auto* distanceRow = new QHBoxLayout;
    text2_ = new QLineEdit(frameScale_);
    text2_->setObjectName(qName(names::kText2));
    text2_->setText(QString::fromStdString(text2));
    spinUp_ = new QToolButton(frameScale_);
    spinUp_->setObjectName(qName(names::kUpDown1Up));
    spinUp_->setArrowType(Qt::UpArrow);
    spinDown_ = new QToolButton(frameScale_);
    spinDown_->setObjectName(qName(names::kUpDown1Down));
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
        button->setObjectName(QString::fromStdString(names::indexed(names::kOption1, i)));
        option1_->addButton(button, i);
        optionButtons_.push_back(button);
        layout->addWidget(button);
    }
    optionButtons_.front()->setChecked(true);

    command1_ = new QPushButton(QStringLiteral("Ok"), frameScale_);
    command1_->setObjectName(qName(names::kCommand1));
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
    connect(option1_, &QButtonGroup::idClicked, this,
            [this](int id) { controller_.scale().chooseOption(id); });
    connect(command1_, &QPushButton::clicked, this, [this] { controller_.scale().ApplyScale(); });
}

void MainWindow::syncText1() {
    syncing_ = true;
    const QString shown = withLineFeeds(text1.text);
    if (text1_->toPlainText() != shown) text1_->setPlainText(shown);
    // The caret counts CR LF as two characters; the widget holds a line feed only.
    const QString before =
        QString::fromStdString(text1.text.substr(0, static_cast<std::size_t>(std::max(0, text1.caret))));
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
        label->setObjectName(
            QString::fromStdString(names::indexed(names::kLabel1, static_cast<int>(labels_.size()))));
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

}  // namespace brelvo::app
