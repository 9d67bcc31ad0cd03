// The measuring window's Storm menu: design storms from a precipitation-frequency table, put in the
// runoff window's rainfall durations.
#include <QApplication>
#include <cmath>
#include <filesystem>
#include <string>

#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "common/messages.hpp"
#include "measure/ground_measure.hpp"

namespace brelvo::app {

namespace msg = common::msg;

std::vector<std::pair<const char*, std::function<void()>>> MainWindow::stormEntries() {
    return {{msg::kEntryImportPrecipFrequency, [this] { importPrecipFrequency(); }},
            {msg::kEntryImportTemporalDistribution,
             [this] {
                 openRunoffWindow();
                 runoff_->importTemporalDistribution();
             }},
            {msg::kEntryFrequencyRuns, [this] { openFrequencyRuns(); }}};
}

StormChoiceAsker MainWindow::stormAsker() {
    if (askStormChoice) return askStormChoice;
    return [this](const runoff::PrecipFrequencyTable& table, const StormChoice& last) {
        QWidget* active = QApplication::activeWindow();
        return app::askStormChoice(active ? active : this, table, last);
    };
}

void MainWindow::importPrecipFrequency() {
    if (runoff_) {
        // The window shows the rows it takes, and keeps the table with its inputs.
        runoff_->show();
        runoff_->raise();
        runoff_->importPrecipFrequency();
        return;
    }
    // Nothing opens before the file and the storm are taken: a refusal leaves everything as it was.
    const auto imported = app::importPrecipFrequency(dialogs_, stormAsker(), StormChoice{});
    if (!imported) return;
    openRunoffWindow();
    runoff_->applyStormImport(*imported);
}

void MainWindow::warnFarSite(const runoff::PrecipFrequencyTable& table) {
    // Only a point the file names, and a basin whose place is known on the ground.
    const measure::GroundModel* ground = this->ground();
    if (ground == nullptr || table.latitudeText.empty() || table.longitudeText.empty()) return;
    const measure::GroundBasin basin = measure::groundBasin(doc_, *this, tpp_);
    if (!basin.centroid) return;
    constexpr double kFarMetres = 50000;
    const double metres = ground->geodesicLength(*basin.centroid, {table.longitude, table.latitude});
    if (!std::isfinite(metres) || metres <= kFarMetres) return;
    dialogs_.message(msg::precipSiteFar(std::filesystem::path(table.fileName).filename().string(),
                                        table.latitudeText, table.longitudeText,
                                        std::to_string(static_cast<long long>(std::lround(metres / 1000)))));
}

}  // namespace brelvo::app
