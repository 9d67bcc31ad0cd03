// The runoff window's frequency runs: its frequency window, fed with the imported table, the window's
// own fields and the storm length last chosen; the rows of the last run are kept beside the session.
#include "app/frequency_window.hpp"
#include "app/runoff_window.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"

namespace brelvo::app {

FrequencyWindow* RunoffWindow::frequencyWindow() const {
    return frequencyWindow_.data();
}

void RunoffWindow::openFrequencyRuns() {
    if (!session_.stormTable) {
        dialogs_.message(std::string(common::msg::kFrequencyNoTable));
        return;
    }
    if (!frequencyWindow_) {
        FrequencyWindow::Source source{
            [this]() -> const runoff::PrecipFrequencyTable* {
                return session_.stormTable ? &*session_.stormTable : nullptr;
            },
            [this]() -> const basin::RunoffFields& { return fields_; },
            // The runs write no report file and mark no box: the window's report stays its last compute's.
            [this] {
                runoff::ComputeContext context{common::dialogFolder(), std::string(), nullptr, {}};
                context.temporalPattern = session_.temporalPattern;
                return context;
            },
            [this] { return session_.stormHours; }};
        frequencyWindow_ = new FrequencyWindow(dialogs_, std::move(source), this);
        // The rows are marked with the inputs as the run took them: an edit while it runs makes them stale.
        frequencyWindow_->started = [this] {
            runningFrequencyInputs_ = project::inputsFingerprint(plainInputs());
        };
        frequencyWindow_->finished = [this](const std::vector<runoff::FrequencyRow>& rows) {
            frequency_ = rows;
            frequencyInputs_ = runningFrequencyInputs_;
            showResultsState();
            if (edited) edited();
        };
    }
    frequencyWindow_->refresh(frequency_);
    showResultsState();
    frequencyWindow_->show();
    frequencyWindow_->raise();
}

}  // namespace brelvo::app
