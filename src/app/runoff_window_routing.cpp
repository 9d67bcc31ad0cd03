// The runoff window's routing panel: the four routing options, their boxes, Go and Cancel.
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/runoff_window.hpp"
#include "common/control_names.hpp"
#include "runoff/routing_panel.hpp"

namespace brelvo::app {

namespace form3 = common::controls::form3;

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void RunoffWindow::buildRoutingPanel() {
    frameRoute_ = new QGroupBox(QStringLiteral("Route Hydrograph"), this);
    frameRoute_->setObjectName(qs(form3::frameRoute));
    frameRoute_->setStyleSheet(QStringLiteral(
        "QGroupBox#frameRoute { background: #f6f7f9; border: 1px solid #8a9099; border-radius: 4px;"
        " padding: 24px 10px 10px 10px; font-weight: bold; }"
        "QGroupBox#frameRoute::title { subcontrol-origin: padding; left: 10px; top: 5px; }"
        "QGroupBox#frameRoute QWidget { font-weight: normal; }"));
    auto* layout = new QGridLayout(frameRoute_);
    routeOptions_ = new QButtonGroup(frameRoute_);
    const char* captions[] = {"Modified Puls storage routing", "Muskingum routing",
                              "Combine with hyrdograph from file", "Travel time routing (Tatum)"};
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(QString::fromLatin1(captions[i]), frameRoute_);
        option->setObjectName(QString::fromStdString(basin::RunoffFields::indexed(form3::optRouteType, i)));
        routeOptions_->addButton(option, i);
        layout->addWidget(option, i, 0, 1, 3);
    }
    int row = 4;
    auto addRow = [&](const QString& label, std::string_view field, QWidget* note = nullptr) {
        layout->addWidget(new QLabel(label, frameRoute_), row, 0);
        layout->addWidget(addField(field), row, 1);
        if (note) layout->addWidget(note, row, 2);
        ++row;
    };
    addRow(QStringLiteral("Begin Elev (blank ok)"), form3::txtModbelv);
    addRow(QStringLiteral("K lag (hr)"), form3::txtMuskK);
    addRow(QStringLiteral("X storage (0 - 0.5)"), form3::txtMuskX,
           new QLabel(QStringLiteral("X=0 for storage routing, X=.5 just lag"), frameRoute_));
    layout->addWidget(new QLabel(QStringLiteral("Travel time"), frameRoute_), row, 0);
    layout->addWidget(addField(form3::txtTatum), row, 1);
    layout->addWidget(addCaption(form3::capTatum), row, 2);
    ++row;
    auto* buttonRow = new QHBoxLayout;
    auto* go = new QPushButton(QStringLiteral("Go"), frameRoute_);
    go->setObjectName(qs(form3::Command4));
    go->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), frameRoute_);
    cancel->setObjectName(qs(form3::Command5));
    buttonRow->addStretch(1);
    buttonRow->addWidget(go);
    buttonRow->addWidget(cancel);
    layout->addLayout(buttonRow, row, 0, 1, 3);
    frameRoute_->adjustSize();
    frameRoute_->hide();

    connect(routeOptions_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on && !syncing_) fields_.setText(form3::optRouteType, std::to_string(id));
    });
    connect(go, &QPushButton::clicked, this, [this] { routeGo(); });
    connect(cancel, &QPushButton::clicked, this, [this] { frameRoute_->hide(); });
}

void RunoffWindow::openRoutingPanel() {
    runoff::openRoutingPanel(fields_);
    frameRoute_->adjustSize();
    frameRoute_->move((width() - frameRoute_->width()) / 2, (height() - frameRoute_->height()) / 2);
    frameRoute_->show();
    frameRoute_->raise();
}

void RunoffWindow::routeGo() {
    frameRoute_->hide();
    plotNewReport(
        [this] { return runoff::routeHydrograph(session_, fields_, chart_, dialogs_, runContext()); });
}

}  // namespace brelvo::app
