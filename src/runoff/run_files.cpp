// Asking for the files of a run, and saving the last report under a chosen name.
#include "runoff/run_files.hpp"

#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"

namespace brelvo::runoff {

std::optional<std::string> chooseStorageFile(common::Dialogs& dialogs, const std::string& programFolder,
                                             const std::string& keptFile) {
    return common::askKeptFileToOpen(dialogs, common::FileKind::storage, keptFile, programFolder,
                                     std::string(common::msg::kStorageFilter));
}

std::optional<std::string> chooseHydrographFile(common::Dialogs& dialogs, const std::string& programFolder) {
    common::FileDialogRequest request;
    request.title = std::string(common::msg::kLoadOrCombineTitle);
    request.initialDir = programFolder;
    request.filter = std::string(common::msg::kHydrographFilter);
    const auto chosen = common::askFile(dialogs, request, common::FileKind::hydrograph);
    if (!chosen || chosen->empty()) return std::nullopt;
    return chosen;
}

void saveHydrograph(const basin::ChartGrid& chart, const std::string& reportBytes,
                    const std::string& workingFile, const std::string& programFolder,
                    common::Dialogs& dialogs, const std::string& proposedName) {
    // Columns 1 and 2 are the rainfall grid; a third exists once a hydrograph was plotted.
    if (chart.columnCount() <= 2) {
        dialogs.message(std::string(common::msg::kComputeBeforeSaving));
        return;
    }
    // A name typed without an extension gets the one the dialog's filter shows, so that the file is
    // listed there afterwards.
    const std::optional<std::string> chosen =
        common::askSavePath(dialogs, common::FileKind::hydrograph, std::string(), programFolder, proposedName,
                            std::string(common::msg::kHydrographFilter), ".GRF");
    if (!chosen || *chosen == workingFile) return;
    try {
        common::replaceFile(*chosen, reportBytes);
    } catch (const common::ReplaceFailure& failure) {
        dialogs.message(common::msg::fileNotSaved(*chosen, failure.reason()));
    } catch (const common::RuntimeFailure& failure) {
        dialogs.message(failure.cause().empty() ? failure.description()
                                                : failure.description() + "\n" + failure.cause());
    }
}

}  // namespace brelvo::runoff
