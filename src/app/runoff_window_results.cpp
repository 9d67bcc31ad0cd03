// The runoff window's results kept with a project: the last run (its hydrograph, report, caption and
// chart) and the last frequency rows, each with the fingerprint of the inputs it came from, and the
// line that says they are out of date once an input has changed since.
#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>

#include "app/frequency_window.hpp"
#include "app/runoff_window.hpp"
#include "common/messages.hpp"
#include "runoff/chart_series.hpp"

namespace brelvo::app {

void RunoffWindow::buildResultsLine() {
    resultsLine_ = new QLabel(QString::fromLatin1(common::msg::kResultsOutOfDate), buttons_);
    resultsLine_->setObjectName(QStringLiteral("lblResultsStale"));
    resultsLine_->setStyleSheet(QStringLiteral("color: #b00000"));
    resultsLine_->hide();
    buttons_->layout()->addWidget(resultsLine_);
}

std::optional<runoff::KeptResults> RunoffWindow::results() const {
    runoff::KeptResults kept;
    kept.run = runoff::keptRun(session_, runInputs_);
    if (frequency_) kept.frequency = runoff::KeptFrequency{*frequency_, frequencyInputs_};
    if (!kept.run && !kept.frequency) return std::nullopt;
    return kept;
}

void RunoffWindow::restoreResults(const runoff::KeptResults& kept) {
    if (kept.run) {
        try {
            runoff::restoreRun(session_, *kept.run);
            runoff::clearPlots(session_, chart_, fields_);
            chartView_->clear();
            runoff::plotHydrograph(chart_, session_.hydrograph, *session_.lastReport);
            session_.hydrographPlotted = true;
            computeRuns_ = session_.lastReport->route ? 0 : 1;
            chartView_->addRun(runoff::plotOfRun(session_.hydrograph, *session_.lastReport,
                                                 std::max(computeRuns_, 1), true));
            runInputs_ = kept.run->inputs;
        } catch (const common::RuntimeFailure& f) {
            // A kept run that cannot be drawn is no result: the window opens without it, as before a run.
            session_.lastReport.reset();
            session_.reportText.clear();
            session_.runSummaries.clear();
            runoff::clearPlots(session_, chart_, fields_);
            chartView_->clear();
            computeRuns_ = 0;
            dialogs_.message(common::failureText(f));
        }
    }
    if (kept.frequency) {
        frequency_ = kept.frequency->rows;
        frequencyInputs_ = kept.frequency->inputs;
        if (frequencyWindow_) frequencyWindow_->refresh(frequency_);
    }
}

bool RunoffWindow::resultsStale() const {
    if (!session_.lastReport && !frequency_) return false;
    const std::string now = project::inputsFingerprint(plainInputs());
    return (session_.lastReport && runInputs_ != now) || (frequency_ && frequencyInputs_ != now);
}

void RunoffWindow::showResultsState() {
    if (!resultsLine_) return;
    const bool runStale = resultsStale();
    resultsLine_->setVisible(runStale);
    if (frequencyWindow_) {
        const std::string now = project::inputsFingerprint(plainInputs());
        frequencyWindow_->showStale(frequency_ && frequencyInputs_ != now);
    }
}

}  // namespace brelvo::app
