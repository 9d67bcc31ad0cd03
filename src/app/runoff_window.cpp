// The runoff window: widgets bound to the runoff field model, the basin logic and the chart grid.
#include "app/runoff_window.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/chart_plugin.hpp"
#include "app/graph_list.hpp"
#include "app/json_writer.hpp"
#include "app/screen_fit.hpp"
#include "common/control_names.hpp"
#include "common/dialog_folders.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "runoff/chart_series.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/csv_export.hpp"
#include "runoff/routing_panel.hpp"
#include "runoff/unit_graphs.hpp"

namespace brelvo::app {

namespace form3 = common::controls::form3;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

RunoffWindow::RunoffWindow(common::Dialogs& dialogs) : dialogs_(dialogs) {
    basin::loadRunoffDefaults(fields_);
    fields_.setCaption(form3::Form3, "Runoff Hydrograph");
    block_ = std::make_unique<basin::BasinBlock>(fields_);
    fields_.onChange(form3::ComboRain, [this] { runoff::arrangementChanged(session_, fields_); });
    buildWidgets();
    block_->checked = [this](const basin::BoxReport& report) { markRead(report); };
    buildResultsLine();
    fields_.displayChanged = [this](const std::string& name) {
        showField(name);
        showResultsState();
        if (edited) edited();
    };
    for (const auto& name : fields_.textNames()) showField(name);
    for (const auto& name : fields_.captionNames()) showField(name);
    for (const auto& name : fields_.checkNames()) showField(name);
    runoff::clearPlots(session_, chart_, fields_);
    fitToScreen(*this, QSize(1280, 720));
}

RunoffWindow::~RunoffWindow() {
    fields_.displayChanged = nullptr;
    chart_.changed = nullptr;
}

QLineEdit* RunoffWindow::addField(std::string_view fieldName, int width) {
    const std::string name(fieldName);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(q(name));
    edit->setMinimumWidth(width);
    edit->installEventFilter(this);
    edits_[name] = edit;
    connect(edit, &QLineEdit::textChanged, this, [this, name](const QString& text) {
        if (syncing_) return;
        unmark(name);
        fields_.setText(name, text.toStdString());
    });
    return edit;
}

QLabel* RunoffWindow::addCaption(std::string_view captionName) {
    const std::string name(captionName);
    auto* label = new QLabel(this);
    label->setObjectName(q(name));
    captions_[name] = label;
    return label;
}

void RunoffWindow::buildWidgets() {
    setObjectName(qs(form3::Form3));
    auto* root = new QVBoxLayout(scrollingContent(*this));  // every control in reach on a small screen
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(8);

    inputs_ = new QWidget(this);
    auto* top = new QHBoxLayout(inputs_);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(10);

    // Basin block: the lag formula heads the frame.
    auto* basinBox = new QGroupBox(QStringLiteral("Lag Time = C* (L*Lca/S^.5)^.33"), inputs_);
    auto* basinGrid = new QGridLayout(basinBox);
    basinGrid->setVerticalSpacing(4);
    int row = 0;
    auto basinRow = [&](QWidget* label, std::string_view field) {
        basinGrid->addWidget(label, row, 0);
        basinGrid->addWidget(addField(field), row, 1);
        ++row;
    };
    basinRow(addCaption(form3::Label10), form3::txtBasinArea);
    basinRow(addCaption(form3::lblL), form3::txtL);
    basinRow(addCaption(form3::lblLca), form3::txtLca);
    basinRow(new QLabel(QStringLiteral("Upper Elev (ft)"), basinBox), form3::txtelv1);
    basinRow(new QLabel(QStringLiteral("Lower Elev (ft)"), basinBox), form3::txtElv2);
    basinRow(new QLabel(QStringLiteral("S (ft/mi)"), basinBox), form3::txtS);
    basinRow(new QLabel(QStringLiteral("C estimate"), basinBox), form3::txtC);
    basinRow(new QLabel(QStringLiteral("Lag Time (hours)"), basinBox), form3::txtLag);
    auto* autoStep = new QCheckBox(QStringLiteral("Auto time step / lag"), basinBox);
    autoStep->setObjectName(qs(form3::chkAutoTimeStep));
    checks_.emplace(form3::chkAutoTimeStep, autoStep);
    basinGrid->addWidget(autoStep, row++, 0, 1, 2);
    auto* stepLabel = addCaption(form3::Label14);
    stepLabel->setWordWrap(true);
    basinRow(stepLabel, form3::txtGraphtimestep);
    edits_.find(form3::txtS)->second->setReadOnly(true);
    basinGrid->setRowStretch(row, 1);
    top->addWidget(basinBox);

    // Rainfall durations: hours, inches and the areal factor of each row.
    auto* rainBox = new QGroupBox(QStringLiteral("Rainfall Durations"), inputs_);
    auto* rainGrid = new QGridLayout(rainBox);
    rainGrid->setVerticalSpacing(3);
    rainGrid->addWidget(new QLabel(QStringLiteral("Hours"), rainBox), 0, 0);
    rainGrid->addWidget(new QLabel(QStringLiteral("Inches"), rainBox), 0, 1);
    rainGrid->addWidget(new QLabel(QStringLiteral("Areal factor"), rainBox), 0, 2);
    for (int i = 0; i < form3::kGridRows; ++i) {
        rainGrid->addWidget(addField(basin::RunoffFields::indexed(form3::txtDuration, i), 55), i + 1, 0);
        rainGrid->addWidget(addField(basin::RunoffFields::indexed(form3::txtRain, i), 55), i + 1, 1);
        auto* factor = addField(basin::RunoffFields::indexed(form3::txtArealAdj, i), 55);
        factor->setReadOnly(true);
        rainGrid->addWidget(factor, i + 1, 2);
    }
    auto* areaAdj = new QCheckBox(QStringLiteral("Areal Reduction"), rainBox);
    areaAdj->setObjectName(qs(form3::chkAreaAdj));
    checks_.emplace(form3::chkAreaAdj, areaAdj);
    rainGrid->addWidget(areaAdj, form3::kGridRows + 1, 0, 1, 3);
    auto* rainList = new QComboBox(rainBox);
    rainList->setObjectName(qs(form3::ComboRain));
    rainList->setEditable(true);
    for (const auto& item : basin::rainItems()) rainList->addItem(q(item));
    lists_.emplace(form3::ComboRain, rainList);
    rainGrid->addWidget(rainList, form3::kGridRows + 2, 0, 1, 3);
    // The Storm menu's commands that fill the durations, beside them.
    auto* importStorm =
        new QPushButton(QString::fromLatin1(common::msg::kImportPrecipFrequencyButton), rainBox);
    importStorm->setObjectName(qs(form3::butImportPrecipFrequency));
    rainGrid->addWidget(importStorm, form3::kGridRows + 3, 0, 1, 3);
    connect(importStorm, &QPushButton::clicked, this, [this] { importPrecipFrequency(); });
    top->addWidget(rainBox);

    // Losses, the hydrograph method and the titles.
    auto* rightColumn = new QVBoxLayout;
    auto* lossBox = new QGroupBox(QStringLiteral("Rainfall Losses"), inputs_);
    auto* lossGrid = new QGridLayout(lossBox);
    lossGrid->addWidget(new QLabel(QStringLiteral("SCS CN (5-100) or Initial Loss (inches)"), lossBox), 0, 0);
    lossGrid->addWidget(addField(form3::txtCNloss), 0, 1);
    lossGrid->addWidget(new QLabel(QStringLiteral("Constant Loss (in/hr)"), lossBox), 1, 0);
    lossGrid->addWidget(addField(form3::txtConstLoss), 1, 1);
    lossGrid->addWidget(new QLabel(QStringLiteral("Percent Basin Impervious"), lossBox), 2, 0);
    lossGrid->addWidget(addField(form3::txtPercentImp), 2, 1);
    rightColumn->addWidget(lossBox);

    frame2_ = new QGroupBox(inputs_);
    frame2_->setObjectName(qs(form3::Frame2));
    auto* methodLayout = new QVBoxLayout(frame2_);
    auto* graphList = new QComboBox(frame2_);
    graphList->setObjectName(qs(form3::ComboDimgraph));
    graphList->setEditable(true);
    fillGraphList(*graphList, common::dialogFolder());
    lists_.emplace(form3::ComboDimgraph, graphList);
    methodLayout->addWidget(graphList);
    rightColumn->addWidget(frame2_);

    auto* titleBox = new QGroupBox(QStringLiteral("Titles"), inputs_);
    auto* titleLayout = new QVBoxLayout(titleBox);
    titleLayout->addWidget(addField(form3::txtTitle, 220));
    titleLayout->addWidget(addField(form3::txtTile2, 220));
    rightColumn->addWidget(titleBox);
    rightColumn->addStretch(1);
    top->addLayout(rightColumn, 1);
    root->addWidget(inputs_);

    buttons_ = new QWidget(this);
    auto* buttonRow = new QHBoxLayout(buttons_);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    auto addButton = [&](std::string_view name, const char* text) {
        auto* button = new QPushButton(QString::fromLatin1(text), buttons_);
        button->setObjectName(qs(name));
        buttonRow->addWidget(button);
        return button;
    };
    auto* compute = addButton(form3::Command1, "Compute Hydrograph");
    compute->setDefault(true);
    auto* clear = addButton(form3::Command2, "Clear Hydrograph Plots");
    auto* save = addButton(form3::Command3, "Save Hydrograph");
    auto* route = addButton(form3::butRoute, "Route Hydrograph");
    auto* temporal = addButton(form3::butTemporal, common::msg::kEntryImportTemporalDistribution);
    auto* frequency = addButton("butFrequency", common::msg::kEntryFrequencyRuns);
    buttonRow->addStretch(1);
    root->addWidget(buttons_);

    buildRoutingPanel();

    chartView_ = newHydrographChart(this);
    chartView_->widget()->setObjectName(qs(form3::MSChart1));
    chartView_->widget()->setMinimumHeight(220);
    chartView_->onDoubleClick = [this] { toggleChartSize(); };
    chartView_->onExport = [this] { exportChart(); };
    root->addWidget(chartView_->widget(), 1);

    for (const auto& [name, list] : lists_) {
        const std::string listName = name;
        connect(list, &QComboBox::currentTextChanged, this, [this, listName](const QString& text) {
            if (syncing_) return;
            fields_.setText(listName, text.toStdString());
        });
    }
    // Choosing a graph whose file is not beside the program says so at once, naming the file.
    connect(graphList, &QComboBox::activated, this,
            [this, graphList](int i) { checkGraphFile(chooseListEntry(*graphList, i).toStdString()); });
    connect(autoStep, &QCheckBox::toggled, this, [this](bool on) {
        if (!syncing_) fields_.setChecked(form3::chkAutoTimeStep, on);
    });
    connect(areaAdj, &QCheckBox::toggled, this, [this](bool on) {
        if (syncing_) return;
        fields_.setChecked(form3::chkAreaAdj, on);
        block_->areaAdjClicked();
    });
    connect(compute, &QPushButton::clicked, this, [this] { computeHydrograph(); });
    connect(clear, &QPushButton::clicked, this, [this] { clearPlots(); });
    connect(save, &QPushButton::clicked, this, [this] { saveHydrograph(); });
    connect(route, &QPushButton::clicked, this, [this] { openRoutingPanel(); });
    connect(temporal, &QPushButton::clicked, this, [this] { importTemporalDistribution(); });
    connect(frequency, &QPushButton::clicked, this, [this] { openFrequencyRuns(); });
}

runoff::ComputeContext RunoffWindow::runContext() {
    runoff::ComputeContext context{common::dialogFolder(), common::workingHydrographFile(), nullptr, {}};
    context.showRefused = [this](const std::vector<runoff::RefusedBox>& refused) { markRefused(refused); };
    return context;
}

void RunoffWindow::plotNewReport(const std::function<runoff::RunOutcome()>& run) {
    const bool hadHydrograph = session_.hydrographPlotted;
    const std::string stormFile = session_.stormFile, storageFile = session_.storageFile;
    const runoff::RunOutcome outcome = run();
    if (outcome.checked) markRefused(outcome.refused);
    // The files a project keeps: a new one is a change of the project even when no box changed.
    if ((session_.stormFile != stormFile || session_.storageFile != storageFile) && edited) edited();
    if (!outcome.reported) {
        showResultsState();
        return;
    }
    runInputs_ = project::inputsFingerprint(plainInputs());
    showResultsState();
    const bool compute = !session_.lastReport->route.has_value();
    if (compute) ++computeRuns_;
    chartView_->addRun(
        runoff::plotOfRun(session_.hydrograph, *session_.lastReport, computeRuns_, !hadHydrograph));
}

void RunoffWindow::showField(const std::string& name) {
    syncing_ = true;
    if (name == form3::Form3) {
        setWindowTitle(q(fields_.caption(name)));
    } else if (name == form3::Frame2) {
        frame2_->setTitle(q(fields_.caption(name)));
    } else if (auto e = edits_.find(name); e != edits_.end()) {
        if (e->second->text().toStdString() != fields_.text(name)) e->second->setText(q(fields_.text(name)));
    } else if (auto c = captions_.find(name); c != captions_.end()) {
        c->second->setText(q(fields_.caption(name)));
    } else if (auto k = checks_.find(name); k != checks_.end()) {
        k->second->setChecked(fields_.checked(name));
    } else if (name == form3::optRouteType) {
        const int id = static_cast<int>(common::leadingNumber(fields_.text(name)));
        if (auto* option = routeOptions_->button(id)) option->setChecked(true);
    } else if (auto l = lists_.find(name); l != lists_.end()) {
        if (l->second->currentText().toStdString() != fields_.text(name)) {
            l->second->setEditText(q(fields_.text(name)));
        }
    }
    syncing_ = false;
}

bool RunoffWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        for (const auto& [name, edit] : edits_) {
            if (edit == watched) {
                fieldLostFocus(name);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RunoffWindow::fieldLostFocus(const std::string& name) {
    try {
        block_->lostFocus(name);
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
    }
}

void RunoffWindow::chooseListText(const std::string& name, const std::string& text) {
    const auto it = lists_.find(name);
    if (it == lists_.end()) return;
    const int index = findListEntry(*it->second, q(text));
    if (index >= 0) {
        chooseListEntry(*it->second, index);
        if (name == form3::ComboDimgraph) checkGraphFile(text);
    } else {
        it->second->setEditText(q(text));
    }
}

void RunoffWindow::checkGraphFile(const std::string& listText) {
    if (const auto message = runoff::missingGraphFile(listText, common::dialogFolder()))
        dialogs_.message(*message);
}

void RunoffWindow::receiveMeasurement(const common::HandOff& values) {
    basin::receiveMeasurement(fields_, values);
    // Elevations handed over with the lengths: slope, C, lag and the time step follow, as when the user
    // types them and leaves the box.
    if (values.upperElevation && values.lowerElevation) block_->Getbasinstats();
    // Areal reduction ticked: the factors follow the new area.
    if (values.basinArea && !values.basinArea->empty() && fields_.checked(form3::chkAreaAdj))
        block_->areaAdjClicked();
}

void RunoffWindow::toggleChartSize() {
    // The chart either fills the window or returns to its place below the inputs.
    chartMaximised_ = !chartMaximised_;
    inputs_->setVisible(!chartMaximised_);
    buttons_->setVisible(!chartMaximised_);
}

void RunoffWindow::clearPlots() {
    try {
        runoff::clearPlots(session_, chart_, fields_);
        chartView_->clear();
        computeRuns_ = 0;
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
    }
}

void RunoffWindow::computeHydrograph() {
    plotNewReport(
        [this] { return runoff::computeHydrograph(session_, fields_, chart_, dialogs_, runContext()); });
}

QWidget* RunoffWindow::control(const QString& qualified) const {
    QString name = qualified;
    if (name.startsWith(qs(form3::kQualifier))) name = name.mid(static_cast<int>(form3::kQualifier.size()));
    if (name == qs(form3::Form3)) return const_cast<RunoffWindow*>(this);
    if (name == qs(form3::kChartAlias)) return chartView_->widget();
    return findChild<QWidget*>(name);
}

void RunoffWindow::dump(JsonWriter& j) const {
    j.key("loaded").value(true);
    j.key("visible").value(isVisible());
    j.key("caption").value(windowTitle().toStdString());
    j.key("fields").beginObject();
    for (const auto& [name, edit] : edits_) j.key(name).value(edit->text().toStdString());
    j.endObject();
    j.key("captions").beginObject();
    for (const auto& [name, label] : captions_) j.key(name).value(label->text().toStdString());
    j.key(form3::Frame2).value(frame2_->title().toStdString());
    j.endObject();
    j.key("lists").beginObject();
    for (const auto& [name, list] : lists_) j.key(name).value(list->currentText().toStdString());
    j.endObject();
    j.key("checks").beginObject();
    for (const auto& [name, check] : checks_) j.key(name).value(check->isChecked());
    j.endObject();
    j.key("chart").beginObject();
    j.key("columns").value(chart_.columnCount());
    j.key("rows").beginArray();
    for (int row = 0; row < chart_.rowCount(); ++row) {
        j.beginObject().key("label").value(chart_.label(row)).key("cells").beginArray();
        for (int column = 0; column < chart_.columnCount(); ++column) j.value(chart_.cell(row, column));
        j.endArray().endObject();
    }
    j.endArray();
    j.key("maximised").value(chartMaximised_);
    j.endObject();
    // The boxes marked as refused by the last run, with the reason each shows; only while there are any.
    if (!marked_.empty()) {
        j.key("marked").beginObject();
        for (const auto& [name, reason] : marked_) j.key(name).value(reason);
        j.endObject();
    }
    // The imported temporal distribution: where it came from and its points, or null.
    j.key("temporalPattern");
    if (const auto& pattern = session_.temporalPattern) {
        j.beginObject();
        j.key("file").value(pattern->fileName).key("section").value(pattern->section);
        j.key("probability")
            .value(pattern->probability)
            .key("rows")
            .value(static_cast<int>(pattern->hours.size()));
        j.key("hours").value(pattern->hours.back()).key("percents").beginArray();
        for (const double percent : pattern->percents) j.value(percent);
        j.endArray().endObject();
    } else {
        j.null();
    }
    // Whether the last run or the frequency rows came from other inputs than the window's now.
    j.key("resultsStale").value(resultsStale());
    j.key(form3::frameRoute).beginObject();
    j.key("visible").value(frameRoute_->isVisible());
    j.key(form3::optRouteType).value(routeOptions_->checkedId());
    j.endObject();
}

project::RunoffInputs RunoffWindow::inputs() const {
    project::RunoffInputs kept = plainInputs();
    kept.results = results();
    return kept;
}

project::RunoffInputs RunoffWindow::plainInputs() const {
    project::RunoffInputs kept;
    for (const auto& name : fields_.textNames()) kept.texts.emplace(name, fields_.text(name));
    for (const auto& name : fields_.captionNames()) kept.captions.emplace(name, fields_.caption(name));
    for (const auto& name : fields_.checkNames()) kept.checks.emplace(name, fields_.checked(name));
    kept.stormFile = session_.stormFile;
    kept.storageFile = session_.storageFile;
    if (session_.stormTable)
        kept.stormTable =
            runoff::KeptStormTable{*session_.stormTable, session_.stormReturnPeriod, session_.stormHours};
    kept.temporalPattern = session_.temporalPattern;
    return kept;
}

bool RunoffWindow::acceptsInputs(const project::RunoffInputs& kept) {
    // The field model refuses a name that is no control of the window, or one of another kind.
    const basin::RunoffFields probe;
    try {
        for (const auto& entry : kept.texts) (void)probe.text(entry.first);
        for (const auto& entry : kept.captions) (void)probe.caption(entry.first);
        for (const auto& entry : kept.checks) (void)probe.checked(entry.first);
    } catch (const std::logic_error&) {
        return false;
    }
    return true;
}

void RunoffWindow::restoreInputs(const project::RunoffInputs& kept) {
    for (const auto& [name, value] : kept.captions) fields_.setCaption(name, value);
    for (const auto& [name, value] : kept.checks) fields_.setChecked(name, value);
    for (const auto& [name, value] : kept.texts) fields_.restoreText(name, value);
    session_.stormFile = kept.stormFile;
    session_.storageFile = kept.storageFile;
    session_.stormTable.reset();
    session_.stormReturnPeriod = 0;
    session_.stormHours = 24;
    if (kept.stormTable) {
        session_.stormTable = kept.stormTable->table;
        session_.stormReturnPeriod = kept.stormTable->returnPeriod;
        session_.stormHours = kept.stormTable->hours;
    }
    session_.temporalPattern = kept.temporalPattern;
    if (kept.results) restoreResults(*kept.results);
    showResultsState();
}

}  // namespace brelvo::app
