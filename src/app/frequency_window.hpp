// Storm -> Frequency Runs...: the current basin run for the chosen return periods of the imported
// precipitation-frequency table, on worker threads with a progress bar and Cancel, shown as a summary
// table, the peak against return period on a logarithmic axis and every run's hydrograph. The runoff
// window's own hydrograph, report, chart and fields stay those of its last single compute.
#pragma once

#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/chart_plugin.hpp"
#include "basin/runoff_fields.hpp"
#include "common/dialogs.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/frequency_run.hpp"
#include "runoff/precip_frequency.hpp"

class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace brelvo::app {

class FrequencyWindow : public QWidget {
  public:
    // What a run reads when Run is pressed, from the runoff window: the imported table (nullptr when
    // none), the fields, the run's context and the storm length last chosen.
    struct Source {
        std::function<const runoff::PrecipFrequencyTable*()> table;
        std::function<const basin::RunoffFields&()> fields;
        std::function<runoff::ComputeContext()> context;
        std::function<double()> stormHours;
    };
    FrequencyWindow(common::Dialogs& dialogs, Source source, QWidget* owner);
    ~FrequencyWindow() override;
    FrequencyWindow(const FrequencyWindow&) = delete;
    FrequencyWindow& operator=(const FrequencyWindow&) = delete;

    // Lists the table's return periods (2, 5, 10, 25, 50 and 100 years checked when the table has
    // them) and the storm length, and shows the last result.
    void refresh(const std::optional<std::vector<runoff::FrequencyRow>>& last);
    // The periods checked, in the table's order; checking a period the table lacks is false.
    std::vector<int> chosenPeriods() const;
    bool choosePeriods(const std::vector<int>& years);
    // Says (or stops saying) that the rows shown came from other inputs than the runoff window's now.
    void showStale(bool stale);
    bool staleShown() const;
    void setStormHours(const std::string& text);

    // Run: starts the workers (false, with a message, when the inputs are refused); Cancel asks them to
    // stop after their current storms. While a run is under way the window stays responsive.
    bool run();
    void cancel();
    bool running() const { return worker_.joinable(); }
    // Processes events until the run under way has ended.
    void waitForRun();
    // "Export Frequency Summary...": the summary as CSV through a save dialog; false when cancelled or
    // there is nothing to export.
    bool exportSummary();

    const std::optional<std::vector<runoff::FrequencyRow>>& shown() const { return shown_; }
    QTableWidget* summaryTable() const { return table_; }
    const FrequencyCharts& charts() const { return *charts_; }
    QProgressBar* progressBar() const { return progress_; }

    // Told with the rows of every run that ended (not of a cancelled one), on the window's thread.
    std::function<void(const std::vector<runoff::FrequencyRow>&)> finished;
    // Told when a run takes its copies of the inputs (what its rows will have come from).
    std::function<void()> started;

  private:
    void showChosenCount();
    void buildWidgets();
    void setRunning(bool running);
    void progressed(int done, int total);
    void ended(std::optional<std::vector<runoff::FrequencyRow>> rows);
    void showRows(const std::vector<runoff::FrequencyRow>& rows);
    void showCharts(const std::vector<runoff::FrequencyRow>& rows);

    common::Dialogs& dialogs_;
    Source source_;
    std::optional<std::vector<runoff::FrequencyRow>> shown_;
    // What the workers read, copied when Run is pressed: the window's fields and table may change meanwhile.
    std::unique_ptr<runoff::PrecipFrequencyTable> runTable_;
    std::unique_ptr<basin::RunoffFields> runFields_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;

    QListWidget* periods_ = nullptr;
    QLineEdit* hours_ = nullptr;
    QLabel* tableLabel_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* export_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* stale_ = nullptr;
    QTableWidget* table_ = nullptr;
    std::unique_ptr<FrequencyCharts> charts_;
};

}  // namespace brelvo::app
