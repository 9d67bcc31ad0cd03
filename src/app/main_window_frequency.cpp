// The measuring window's Storm -> Frequency Runs...: the runoff window's frequency runs, which need its
// imported precipitation-frequency table.
#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "common/messages.hpp"

namespace brelvo::app {

void MainWindow::openFrequencyRuns() {
    if (!runoff_) {
        dialogs_.message(std::string(common::msg::kFrequencyNoTable));
        return;
    }
    runoff_->openFrequencyRuns();
}

}  // namespace brelvo::app
