// The Georeference Map tool window: control points clicked on the map, their coordinates typed, the fit.
#include "app/georef_dialog.hpp"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/json_writer.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "geo/geo_services.hpp"
#include "measure/georef_fit.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

enum Column { kPoint, kColumn, kRow, kFirst, kSecond, kResidual, kColumns };

const QString kRefusedStyle = QStringLiteral("QLineEdit { border: 2px solid #d00000; background: #ffe4e4; }");

QString pixelText(double value) {
    return QString::fromStdString(common::messageNumber(value, 6));
}

}  // namespace

GeorefDialog::GeorefDialog(QWidget& owner, QWidget& markerParent, Hooks hooks)
    : QWidget(&owner, Qt::Tool),
      hooks_(std::move(hooks)),
      markerParent_(markerParent),
      kind_(new QComboBox(this)),
      epsg_(new QLineEdit(this)),
      table_(new QTableWidget(0, kColumns, this)),
      message_(new QLabel(this)),
      remove_(new QPushButton(QString::fromLatin1(msg::kGeorefRemove), this)) {
    setObjectName(QStringLiteral("GeoreferenceDialog"));
    setWindowTitle(QString::fromLatin1(msg::kGeorefDialogTitle));
    kind_->setObjectName(QStringLiteral("georefKind"));
    kind_->addItems(
        {QString::fromLatin1(msg::kGeorefKindLatLong), QString::fromLatin1(msg::kGeorefKindProjected)});
    epsg_->setObjectName(QStringLiteral("georefEpsg"));
    epsg_->setPlaceholderText(QStringLiteral("32613"));
    epsg_->setEnabled(false);
    table_->setObjectName(QStringLiteral("georefTable"));
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    message_->setWordWrap(true);
    message_->setObjectName(QStringLiteral("georefMessage"));
    auto* fitButton = new QPushButton(QString::fromLatin1(msg::kGeorefFit), this);
    auto* saveButton = new QPushButton(QString::fromLatin1(msg::kGeorefSave), this);
    auto* closeButton = new QPushButton(QString::fromLatin1(msg::kGeorefClose), this);

    auto* system = new QHBoxLayout;
    system->addWidget(kind_, 1);
    system->addWidget(new QLabel(QString::fromLatin1(msg::kGeorefEpsgLabel), this));
    system->addWidget(epsg_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    buttons->addWidget(fitButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(system);
    layout->addWidget(table_, 1);
    layout->addWidget(message_);
    layout->addLayout(buttons);
    resize(560, 320);

    connect(kind_, &QComboBox::activated, this, [this](int index) { kindChosen(index); });
    connect(epsg_, &QLineEdit::editingFinished, this, [this] {
        if (kind_->currentIndex() == 1) chooseSystem(epsg_->text().toStdString());
    });
    connect(remove_, &QPushButton::clicked, this, [this] {
        const int row = table_->currentRow();
        removePoint(row >= 0 ? row + 1 : static_cast<int>(points_.points().size()));
    });
    connect(fitButton, &QPushButton::clicked, this, [this] { fit(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    std::string error;
    if (!points_.useLatLong([this](const std::string& code, std::string& e) { return systemWkt(code, e); }))
        points_.setMessage(points_.message());
    if (points_.message().empty()) points_.setMessage(msg::kGeorefClickPoints);
    refresh();
}

GeorefDialog::~GeorefDialog() {
    for (QLabel* marker : markers_) delete marker;
}

std::optional<std::string> GeorefDialog::systemWkt(const std::string& code, std::string& error) const {
    geo::GeoServices* services = hooks_.services();
    if (!services) {
        error = msg::kGeoPluginMissing;
        return std::nullopt;
    }
    return services->systemWkt(code, error);
}

void GeorefDialog::closeEvent(QCloseEvent* event) {
    // The markers leave the map with the window; the next opening starts afresh.
    QWidget::closeEvent(event);
    deleteLater();
}

void GeorefDialog::addPoint(double column, double row) {
    points_.add(column, row);
    refit();
}

bool GeorefDialog::typeCoordinates(int number, const std::string& first, const std::string& second) {
    if (number < 1 || number > table_->rowCount()) return false;
    for (int which = 0; which < 2; ++which) {
        auto* box = static_cast<QLineEdit*>(table_->cellWidget(number - 1, kFirst + which));
        box->setText(QString::fromStdString(which == 0 ? first : second));
        boxLeft(number, which);
    }
    return true;
}

void GeorefDialog::boxLeft(int number, int which) {
    if (refreshing_) return;
    auto* box = static_cast<QLineEdit*>(table_->cellWidget(number - 1, kFirst + which));
    const auto& point = points_.points()[static_cast<std::size_t>(number - 1)];
    const std::string text = box->text().toStdString();
    if (text == (which == 0 ? point.first : point.second)) return;
    points_.setText(number, which, text);
    // A refused text keeps its reason in the message; a good one fits again.
    const bool refused = !(which == 0 ? points_.points()[static_cast<std::size_t>(number - 1)].firstRefused
                                      : points_.points()[static_cast<std::size_t>(number - 1)].secondRefused)
                              .empty();
    if (refused) {
        refresh();
    } else {
        refit();
    }
}

void GeorefDialog::kindChosen(int index) {
    if (index == 0) {
        chooseLatLong();
    } else {
        epsg_->setEnabled(true);
        if (!epsg_->text().isEmpty()) chooseSystem(epsg_->text().toStdString());
        refresh();
    }
}

void GeorefDialog::chooseLatLong() {
    if (points_.useLatLong([this](const std::string& code, std::string& e) { return systemWkt(code, e); })) {
        refit();
    } else {
        refresh();
    }
}

void GeorefDialog::chooseSystem(const std::string& code) {
    if (points_.useProjected(code,
                             [this](const std::string& c, std::string& e) { return systemWkt(c, e); })) {
        refit();
    } else {
        refresh();
    }
}

bool GeorefDialog::removePoint(int number) {
    if (!points_.remove(number)) return false;
    refit();
    return true;
}

void GeorefDialog::refit() {
    // Fits as soon as two points have their coordinates; before that the message says what is needed.
    int complete = 0;
    for (const auto& point : points_.points()) complete += points_.mapOf(point) ? 1 : 0;
    if (complete >= 2) {
        points_.fit(measure::fitGeotransform);
    } else if (!points_.points().empty() && points_.message().empty()) {
        points_.setMessage(msg::kGeorefNeedTwoPoints);
    }
    refresh();
}

void GeorefDialog::fit() {
    points_.fit(measure::fitGeotransform);
    refresh();
}

void GeorefDialog::save() {
    if (!points_.geotransform() && !points_.fit(measure::fitGeotransform)) {
        refresh();
        return;
    }
    const std::optional<measure::Georeference> georef = points_.georeference();
    if (!georef) {
        refresh();
        return;
    }
    const std::string path = hooks_.picturePath();
    if (path.empty()) {
        // Nothing to save beside: the map takes the georeference for this session only.
        points_.setMessage(msg::kGeorefNoPictureFile);
        hooks_.apply(*georef);
        refresh();
        return;
    }
    geo::GeoServices* services = hooks_.services();
    std::string error = msg::kGeoPluginMissing;
    if (!services || !services->writeWorldFile(path, *georef, error)) {
        points_.setMessage(msg::georefNotSaved(path, error));
        refresh();
        return;
    }
    points_.setMessage(msg::georefSaved(std::filesystem::path(path).filename().string()));
    hooks_.apply(*georef);
    refresh();
}

void GeorefDialog::refresh() {
    refreshing_ = true;
    const bool latLong = points_.kind() == measure::GeorefKind::LatLong;
    kind_->setCurrentIndex(latLong ? 0 : 1);
    epsg_->setEnabled(!latLong);
    if (!latLong) epsg_->setText(QString::fromStdString(points_.system()));
    table_->setHorizontalHeaderLabels(
        {QString::fromLatin1(msg::kGeorefColumnPoint), QString::fromLatin1(msg::kGeorefColumnPixel),
         QString::fromLatin1(msg::kGeorefColumnRow),
         QString::fromLatin1(latLong ? msg::kGeorefColumnLatitude : msg::kGeorefColumnEasting),
         QString::fromLatin1(latLong ? msg::kGeorefColumnLongitude : msg::kGeorefColumnNorthing),
         QString::fromLatin1(msg::kGeorefColumnResidual)});
    const auto& points = points_.points();
    const int rows = static_cast<int>(points.size());
    while (table_->rowCount() > rows) table_->removeRow(table_->rowCount() - 1);
    for (int r = table_->rowCount(); r < rows; ++r) {
        table_->insertRow(r);
        for (int which = 0; which < 2; ++which) {
            auto* box = new QLineEdit(table_);
            box->setObjectName(QStringLiteral("georefBox%1").arg(which));
            table_->setCellWidget(r, kFirst + which, box);
            connect(box, &QLineEdit::editingFinished, this, [this, box, which] {
                for (int row = 0; row < table_->rowCount(); ++row) {
                    if (table_->cellWidget(row, kFirst + which) == box) boxLeft(row + 1, which);
                }
            });
        }
    }
    for (int r = 0; r < rows; ++r) {
        const auto& p = points[static_cast<std::size_t>(r)];
        auto cell = [this, r](int column, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            table_->setItem(r, column, item);
        };
        cell(kPoint, QString::number(r + 1));
        cell(kColumn, pixelText(p.column));
        cell(kRow, pixelText(p.row));
        cell(kResidual,
             p.residual ? QString::fromStdString(common::messageNumber(*p.residual, 4)) : QString());
        for (int which = 0; which < 2; ++which) {
            auto* box = static_cast<QLineEdit*>(table_->cellWidget(r, kFirst + which));
            const std::string& text = which == 0 ? p.first : p.second;
            const std::string& refused = which == 0 ? p.firstRefused : p.secondRefused;
            if (box->text().toStdString() != text) box->setText(QString::fromStdString(text));
            box->setStyleSheet(refused.empty() ? QString() : kRefusedStyle);
            box->setToolTip(QString::fromStdString(refused));
        }
    }
    remove_->setEnabled(rows > 0);
    message_->setText(QString::fromStdString(points_.message()));
    refreshing_ = false;
    placeMarkers();
}

void GeorefDialog::placeMarkers() {
    const auto& points = points_.points();
    while (markers_.size() > points.size()) {
        delete markers_.back();
        markers_.pop_back();
    }
    while (markers_.size() < points.size()) {
        auto* marker = new QLabel(QString::number(markers_.size() + 1), &markerParent_);
        marker->setStyleSheet(QStringLiteral(
            "QLabel { background: #ffd000; color: black; border: 1px solid black; padding: 0 2px; "
            "font-weight: bold; }"));
        marker->setAttribute(Qt::WA_TransparentForMouseEvents);
        markers_.push_back(marker);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        QLabel* marker = markers_[i];
        marker->setText(QString::number(i + 1));
        marker->adjustSize();
        // The marker's lower-left corner is on the point.
        const QPoint at = hooks_.viewOfPixel(points[i].column, points[i].row);
        marker->move(at.x(), at.y() - marker->height());
        marker->show();
        marker->raise();
    }
}

void GeorefDialog::dump(JsonWriter& j) const {
    j.beginObject();
    j.key("points").beginArray();
    for (const auto& p : points_.points()) {
        j.beginObject();
        j.key("column").value(p.column).key("row").value(p.row);
        const std::optional<measure::MapPoint> map = points_.mapOf(p);
        if (map) {
            j.key("x").value(map->x).key("y").value(map->y);
        } else {
            j.key("x").null().key("y").null();
        }
        if (p.residual) {
            j.key("residual").value(*p.residual);
        } else {
            j.key("residual").null();
        }
        if (!p.firstRefused.empty()) j.key("firstRefused").value(p.firstRefused);
        if (!p.secondRefused.empty()) j.key("secondRefused").value(p.secondRefused);
        j.endObject();
    }
    j.endArray();
    // The fitted transform, to twelve digits of its largest shift and of its largest pixel size, so that
    // an exact fit reads as the round numbers it is.
    if (const auto& g = points_.geotransform()) {
        const auto rounded = [](double v, double largest) {
            // A power of ten from 1 to 1e22 is exact as a double, so the division gives the nearest double
            // to the rounded decimal.
            const int digits =
                std::clamp(11 - static_cast<int>(std::floor(std::log10(std::max(largest, 1e-11)))), 0, 22);
            const double scale = std::pow(10.0, digits);
            return std::nearbyint(v * scale) / scale;
        };
        const double shift = std::max(std::fabs((*g)[0]), std::fabs((*g)[3]));
        const double size =
            std::max({std::fabs((*g)[1]), std::fabs((*g)[2]), std::fabs((*g)[4]), std::fabs((*g)[5])});
        j.key("geotransform").beginArray();
        for (int i = 0; i < 6; ++i)
            j.value(rounded((*g)[static_cast<std::size_t>(i)], i % 3 == 0 ? shift : size));
        j.endArray();
    } else {
        j.key("geotransform").null();
    }
    j.key("system").value(points_.system());
    j.key("message").value(points_.message());
    j.endObject();
}

}  // namespace brelvo::app
