// The frequency runs' window: choices, the worker thread and what it shows when the run has ended.
#include "app/frequency_window.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "runoff/input_check.hpp"

namespace brelvo::app {

namespace msg = common::msg;

namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A number written by the program (a chart label or a flow), read whatever the C locale says.
double number(const std::string& text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

FrequencyWindow::FrequencyWindow(common::Dialogs& dialogs, Source source, QWidget* owner)
    : QWidget(owner, Qt::Window), dialogs_(dialogs), source_(std::move(source)) {
    setObjectName(QStringLiteral("FrequencyWindow"));
    setWindowTitle(QString::fromLatin1(msg::kFrequencyTitle));
    buildWidgets();
    resize(1100, 760);
}

FrequencyWindow::~FrequencyWindow() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void FrequencyWindow::buildWidgets() {
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    auto* choices = new QVBoxLayout();
    choices->addWidget(new QLabel(QString::fromLatin1(msg::kFrequencyPeriods), this));
    periods_ = new QListWidget(this);
    periods_->setObjectName(QStringLiteral("lstPeriods"));
    periods_->setMaximumWidth(160);
    periods_->setMaximumHeight(150);
    choices->addWidget(periods_);
    connect(periods_, &QListWidget::itemChanged, this, [this] {
        if (!running() && !shown_) showChosenCount();
    });
    top->addLayout(choices);

    auto* controls = new QVBoxLayout();
    tableLabel_ = new QLabel(this);
    tableLabel_->setWordWrap(true);
    controls->addWidget(tableLabel_);
    auto* hoursRow = new QHBoxLayout();
    hoursRow->addWidget(new QLabel(QString::fromLatin1(msg::kFrequencyHours), this));
    hours_ = new QLineEdit(this);
    hours_->setObjectName(QStringLiteral("txtStormHours"));
    hours_->setMaximumWidth(70);
    hoursRow->addWidget(hours_);
    hoursRow->addStretch();
    controls->addLayout(hoursRow);
    auto* buttons = new QHBoxLayout();
    const auto button = [&](const char* name, const char* text) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    run_ = button("butRun", msg::kFrequencyRun);
    cancelButton_ = button("butCancel", msg::kFrequencyCancel);
    export_ = button("butExport", msg::kFrequencyExport);
    auto* close = button("butClose", msg::kFrequencyClose);
    buttons->addStretch();
    controls->addLayout(buttons);
    progress_ = new QProgressBar(this);
    progress_->setFormat(QString::fromLatin1(msg::kFrequencyProgress));
    progress_->setValue(0);
    controls->addWidget(progress_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    controls->addWidget(status_);
    stale_ = new QLabel(QString::fromLatin1(msg::kResultsOutOfDate), this);
    stale_->setObjectName(QStringLiteral("lblStale"));
    stale_->setWordWrap(true);
    stale_->hide();
    controls->addWidget(stale_);
    controls->addStretch();
    top->addLayout(controls, 1);
    root->addLayout(top);

    table_ = new QTableWidget(0, 6, this);
    table_->setObjectName(QStringLiteral("tblSummary"));
    QStringList headers;
    for (const QString& header : qs(msg::kFrequencyCsvHeader).split(QLatin1Char(','))) headers << header;
    table_->setHorizontalHeaderLabels(headers);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setMinimumHeight(150);
    root->addWidget(table_);

    auto* charts = new QHBoxLayout();
    charts_ = newFrequencyCharts(this);
    charts->addWidget(charts_->peakChart());
    charts->addWidget(charts_->hydrographChart(), 1);
    root->addLayout(charts, 1);

    connect(run_, &QPushButton::clicked, this, [this] { run(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportSummary(); });
    connect(close, &QPushButton::clicked, this, [this] { this->close(); });
    setRunning(false);
}

void FrequencyWindow::refresh(const std::optional<std::vector<runoff::FrequencyRow>>& last) {
    if (running()) return;
    const runoff::PrecipFrequencyTable* table = source_.table();
    periods_->clear();
    tableLabel_->clear();
    if (table) {
        for (const int years : table->returnPeriods) {
            auto* item = new QListWidgetItem(QString::number(years), periods_);
            item->setData(Qt::UserRole, years);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(runoff::isDefaultReturnPeriod(years) ? Qt::Checked : Qt::Unchecked);
        }
        tableLabel_->setText(qs(msg::frequencySource(table->volume, runoff::sitePlace(*table))));
    }
    hours_->setText(qs(common::generalText(source_.stormHours())));
    shown_ = last;
    if (shown_) {
        showRows(*shown_);
        progress_->setRange(0, static_cast<int>(shown_->size()));
        progress_->setValue(static_cast<int>(shown_->size()));
    } else {
        table_->setRowCount(0);
        showCharts({});
        showChosenCount();
    }
    status_->clear();
}

void FrequencyWindow::showChosenCount() {
    // Before a run the bar counts the storms that Run would start, not a percentage.
    progress_->setRange(0, static_cast<int>(chosenPeriods().size()));
    progress_->setValue(0);
}

std::vector<int> FrequencyWindow::chosenPeriods() const {
    std::vector<int> years;
    for (int i = 0; i < periods_->count(); ++i) {
        const QListWidgetItem* item = periods_->item(i);
        if (item->checkState() == Qt::Checked) years.push_back(item->data(Qt::UserRole).toInt());
    }
    return years;
}

bool FrequencyWindow::choosePeriods(const std::vector<int>& years) {
    for (const int y : years) {
        if (periods_->findItems(QString::number(y), Qt::MatchExactly).isEmpty()) return false;
    }
    for (int i = 0; i < periods_->count(); ++i) {
        QListWidgetItem* item = periods_->item(i);
        const bool chosen =
            std::find(years.begin(), years.end(), item->data(Qt::UserRole).toInt()) != years.end();
        item->setCheckState(chosen ? Qt::Checked : Qt::Unchecked);
    }
    return true;
}

void FrequencyWindow::setStormHours(const std::string& text) {
    hours_->setText(qs(text));
}

bool FrequencyWindow::run() {
    if (running()) return false;
    const runoff::PrecipFrequencyTable* table = source_.table();
    if (!table) {
        dialogs_.message(std::string(msg::kFrequencyNoTable));
        return false;
    }
    const std::vector<int> years = chosenPeriods();
    if (years.empty()) {
        dialogs_.message(std::string(msg::kFrequencyNoPeriods));
        return false;
    }
    const std::string hoursText = hours_->text().trimmed().toStdString();
    double hours = 0;
    const auto read = std::from_chars(hoursText.data(), hoursText.data() + hoursText.size(), hours);
    if (read.ec != std::errc() || read.ptr != hoursText.data() + hoursText.size() || !(hours > 0) ||
        !std::isfinite(hours)) {
        dialogs_.message(std::string(msg::kFrequencyBadHours));
        return false;
    }
    // The workers read copies: the runoff window's boxes and table may change while they run.
    runTable_ = std::make_unique<runoff::PrecipFrequencyTable>(*table);
    runFields_ = std::make_unique<basin::RunoffFields>(runoff::detachedFields(source_.fields()));
    if (started) started();
    runoff::FrequencyRequest request;
    request.table = runTable_.get();
    request.returnPeriods = years;
    request.stormHours = hours;
    request.fields = runFields_.get();
    request.context = source_.context();
    cancel_ = false;
    progress_->setRange(0, static_cast<int>(years.size()));
    progress_->setValue(0);
    status_->clear();
    setRunning(true);
    worker_ = std::thread([this, request = std::move(request)] {
        auto rows = runoff::runFrequency(
            request,
            [this](int done, int total) {
                QMetaObject::invokeMethod(
                    this, [this, done, total] { progressed(done, total); }, Qt::QueuedConnection);
            },
            cancel_);
        QMetaObject::invokeMethod(
            this, [this, rows = std::move(rows)]() mutable { ended(std::move(rows)); }, Qt::QueuedConnection);
    });
    return true;
}

void FrequencyWindow::cancel() {
    if (running()) cancel_ = true;
}

void FrequencyWindow::waitForRun() {
    while (running()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void FrequencyWindow::setRunning(bool running) {
    run_->setEnabled(!running);
    cancelButton_->setEnabled(running);
    export_->setEnabled(!running && shown_.has_value());
    periods_->setEnabled(!running);
    hours_->setEnabled(!running);
}

void FrequencyWindow::progressed(int done, int total) {
    progress_->setRange(0, total);
    progress_->setValue(std::max(progress_->value(), done));
}

void FrequencyWindow::ended(std::optional<std::vector<runoff::FrequencyRow>> rows) {
    if (worker_.joinable()) worker_.join();
    runTable_.reset();
    runFields_.reset();
    if (!rows) {
        status_->setText(QString::fromLatin1(msg::kFrequencyCancelled));
        progress_->setValue(0);
        setRunning(false);
        return;
    }
    const auto failed =
        std::count_if(rows->begin(), rows->end(), [](const auto& r) { return !r.run.reported; });
    shown_ = std::move(rows);
    showRows(*shown_);
    status_->setText(qs(msg::frequencyDone(static_cast<int>(shown_->size()), static_cast<int>(failed))));
    setRunning(false);
    if (finished) finished(*shown_);
}

void FrequencyWindow::showRows(const std::vector<runoff::FrequencyRow>& rows) {
    table_->clearSpans();
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const runoff::FrequencyRow& row = rows[static_cast<std::size_t>(r)];
        table_->setItem(r, 0, new QTableWidgetItem(QString::number(row.returnPeriodYears)));
        if (!row.run.reported) {
            // The failure across the figures' columns.
            auto* item = new QTableWidgetItem(qs(runoff::failureText(row.run)).replace('\n', ' '));
            item->setToolTip(qs(runoff::failureText(row.run)));
            table_->setItem(r, 1, item);
            for (int c = 2; c < 6; ++c) table_->setItem(r, c, new QTableWidgetItem());
            table_->setSpan(r, 1, 1, 5);
            continue;
        }
        const std::vector<std::string> texts = runoff::summaryTexts(row.run.summary);
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(qs(texts[static_cast<std::size_t>(c)]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c + 1, item);
        }
    }
    showCharts(rows);
    export_->setEnabled(!running());
}

void FrequencyWindow::showCharts(const std::vector<runoff::FrequencyRow>& rows) {
    QList<QPointF> peaks;
    std::vector<FrequencyStorm> storms;
    for (const runoff::FrequencyRow& row : rows) {
        if (!row.run.reported) continue;
        peaks.append(QPointF(row.returnPeriodYears, row.run.summary.peakCfs));
        FrequencyStorm storm{qs(msg::yearStorm(row.returnPeriodYears)), {}};
        const runoff::ChartColumn& column = row.run.column;
        for (std::size_t i = 0; i < column.flows.size() && i < column.labels.size(); ++i)
            storm.points.append(QPointF(number(column.labels[i]), number(column.flows[i])));
        storms.push_back(std::move(storm));
    }
    charts_->show(peaks, storms);
}

bool FrequencyWindow::exportSummary() {
    if (!shown_) {
        dialogs_.message(std::string(msg::kFrequencyNothingToExport));
        return false;
    }
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::csv, std::string(msg::kFrequencyExportTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(source_.fields()), ".csv", "Frequency.csv"),
        std::string(msg::kCsvFilter), ".csv");
    if (!chosen) return false;
    try {
        runoff::FrequencySite site;
        if (const runoff::PrecipFrequencyTable* table = source_.table())
            site.site = runoff::sitePlace(*table);
        site.losses = runoff::readComputeBoxes(source_.fields()).boxes.losses;
        common::replaceFile(*chosen, runoff::frequencySummaryCsv(*shown_, site));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return false;
    }
    return true;
}

void FrequencyWindow::showStale(bool stale) {
    stale_->setVisible(stale);
}

bool FrequencyWindow::staleShown() const {
    return !stale_->isHidden();
}

}  // namespace brelvo::app
