// Import Temporal Distribution...: a NOAA temporal-distribution file read, its quartile and probability
// chosen in the dialog, the pattern kept with the runoff inputs for the arrangement "Temporal
// Distribution".
#include <QPointer>

#include "app/runoff_window.hpp"
#include "app/temporal_dialog.hpp"
#include "common/control_names.hpp"
#include "common/data_file.hpp"
#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"

namespace brelvo::app {

namespace {
constexpr std::string_view kTemporalArrangement = "Temporal Distribution";
}  // namespace

void RunoffWindow::importTemporalDistribution() {
    const std::string kept = session_.temporalPattern ? session_.temporalPattern->fileName : std::string();
    const std::optional<std::string> chosen =
        common::askKeptFileToOpen(dialogs_, common::FileKind::storm, kept, common::dialogFolder(),
                                  std::string(common::msg::kTemporalFilter));
    if (!chosen) return;
    runoff::TemporalFileRead read;
    try {
        read = runoff::readTemporalFile(common::readDataFile(*chosen, common::kMaxDataFileBytes),
                                        common::fullPath(*chosen));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(common::failureText(failure));
        return;
    }
    if (!read.file) {
        dialogs_.message(read.error);
        return;
    }
    if (temporalDialog_) temporalDialog_->close();
    auto* dialog = new TemporalDialog(std::move(*read.file), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->chosen = [this](const runoff::TemporalPattern& pattern) {
        session_.temporalPattern = pattern;
        chooseListText(std::string(common::controls::form3::ComboRain), std::string(kTemporalArrangement));
        if (edited) edited();
    };
    temporalDialog_ = dialog;
    dialog->open();
}

TemporalDialog* RunoffWindow::temporalDialog() const {
    return temporalDialog_.data();
}

}  // namespace brelvo::app
