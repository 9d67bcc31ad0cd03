// The runoff window (Form3): the basin block, the rainfall grid, losses, titles, the two lists, the
// buttons and the chart, bound to the field model and the basin logic.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/chart_plugin.hpp"
#include "app/project_file.hpp"
#include "app/storm_import.hpp"
#include "basin/basin_block.hpp"
#include "basin/chart_grid.hpp"
#include "basin/runoff_fields.hpp"
#include "common/dialogs.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/csv_export.hpp"
#include "runoff/frequency_run.hpp"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPagedPaintDevice;
class QPushButton;

namespace brelvo::app {

class FrequencyWindow;
class JsonWriter;
class TemporalDialog;

class RunoffWindow : public QWidget {
  public:
    explicit RunoffWindow(common::Dialogs& dialogs);
    ~RunoffWindow() override;

    basin::RunoffFields& fields() { return fields_; }
    const basin::ChartGrid& chart() const { return chart_; }
    const runoff::RunoffSession& session() const { return session_; }
    HydrographChart& chartView() const { return *chartView_; }

    // The measured values from the main window; absent values leave their fields unchanged.
    void receiveMeasurement(const common::HandOff& values);

    // Events as the widgets deliver them (the script runner calls the same entries).
    void fieldLostFocus(const std::string& name);
    void chooseListText(const std::string& name, const std::string& text);
    void toggleChartSize();
    bool chartMaximised() const { return chartMaximised_; }

    QWidget* control(const QString& name) const;
    void dump(JsonWriter& json) const;

    // The inputs a project keeps: every text, list text, caption and check of the field model, and the
    // storm and storage files the session keeps.
    project::RunoffInputs inputs() const;
    // Whether a project's inputs name only controls of this window.
    static bool acceptsInputs(const project::RunoffInputs& inputs);
    // Puts kept inputs back as they were, derived values included (no change handler runs), and the
    // kept files into the session; kept results come back with them (runoff_window_results.cpp).
    void restoreInputs(const project::RunoffInputs& inputs);
    // Whether the last run or the frequency rows came from other inputs than the window's now: then
    // they are shown as out of date and no calculation report is made of them.
    bool resultsStale() const;
    // The chart as a picture: PNG as shown or SVG, by the name's extension (".png" when it has none).
    bool exportChart();
    // This window's last report as a PDF file, or printed (to a PDF file without a printer): fixed-width,
    // the titles it was written with and the page number heading each page.
    bool exportReportPdf();
    bool printReport();
    // What they print: this window's last report, from its session; nothing before a report.
    std::optional<runoff::PrintedReport> reportToPrint() const;
    // The pages of the last report printed or exported.
    int lastReportPages() const { return lastReportPages_; }

    // Storm -> Import Precipitation Frequency... (the button beside the rainfall durations): the table read,
    // the storm chosen and its rows written into the durations, the table kept (runoff_window_storm.cpp).
    void importPrecipFrequency();
    void applyStormImport(const StormImport& imported);
    // How the storm's dialog is answered; empty: the dialog for a user over this window.
    StormChoiceAsker askStormChoice;
    // Import Temporal Distribution...: asks for a NOAA temporal-distribution file, then opens the dialog
    // of its quartile and probability (runoff_window_temporal.cpp); the dialog while it is open.
    void importTemporalDistribution();
    TemporalDialog* temporalDialog() const;
    // Storm -> Frequency Runs...: the frequency window for the imported table, or a message naming what
    // to do first when no table is imported (runoff_window_frequency.cpp).
    void openFrequencyRuns();
    FrequencyWindow* frequencyWindow() const;
    // The last frequency run's rows, kept beside the session; nothing before one.
    const std::optional<std::vector<runoff::FrequencyRow>>& frequency() const { return frequency_; }

    // Told after every change of a text, caption or check.
    std::function<void()> edited;
    // After a precipitation-frequency table was imported into the rainfall durations.
    std::function<void(const runoff::PrecipFrequencyTable&)> stormTableImported;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* addField(std::string_view name, int width = 70);
    QLabel* addCaption(std::string_view name);
    void buildWidgets();
    void showField(const std::string& name);
    void clearPlots();
    void checkGraphFile(const std::string& listText);
    void saveHydrograph();
    void computeHydrograph();
    void buildRoutingPanel();
    void openRoutingPanel();
    void routeGo();
    // Marks the boxes a run refused (red frame, the reason as tooltip) and clears the earlier marks; a
    // box loses its mark when the user edits it.
    void markRefused(const std::vector<runoff::RefusedBox>& refused);
    void markBoxes(const std::vector<runoff::RefusedBox>& refused);  // adds to the marks
    // What the basin block read: its accepted boxes lose their marks, its refused ones are marked.
    void markRead(const basin::BoxReport& report);
    void unmark(const std::string& name);
    runoff::ComputeContext runContext();
    // Draws the report on the pages of `device`; the number of pages, 0 when it could not.
    int paintReport(QPagedPaintDevice& device) const;
    // Runs a compute or routing run and draws what it reported.
    void plotNewReport(const std::function<runoff::RunOutcome()>& run);
    // The inputs without the results; the results as kept; the kept results put back and drawn.
    project::RunoffInputs plainInputs() const;
    std::optional<runoff::KeptResults> results() const;
    void restoreResults(const runoff::KeptResults& results);
    // The line under the buttons that says the results are out of date, shown while they are.
    void buildResultsLine();
    void showResultsState();

    common::Dialogs& dialogs_;
    basin::RunoffFields fields_;
    runoff::RunoffSession session_;
    basin::ChartGrid chart_;
    std::unique_ptr<basin::BasinBlock> block_;

    std::map<std::string, QLineEdit*, std::less<>> edits_;
    std::map<std::string, std::string, std::less<>> marked_;  // refused box -> its line of the message
    std::map<std::string, QLabel*, std::less<>> captions_;
    std::map<std::string, QCheckBox*, std::less<>> checks_;
    std::map<std::string, QComboBox*, std::less<>> lists_;
    QGroupBox* frame2_ = nullptr;
    QGroupBox* frameRoute_ = nullptr;
    QButtonGroup* routeOptions_ = nullptr;
    QWidget* inputs_ = nullptr;
    QWidget* buttons_ = nullptr;
    std::unique_ptr<HydrographChart> chartView_;  // its widget is a child of this window
    QPointer<TemporalDialog> temporalDialog_;
    bool chartMaximised_ = false;
    int computeRuns_ = 0;
    int lastReportPages_ = 0;  // compute runs since the chart was cleared, for the legend
    bool syncing_ = false;
    bool telling_ = false;  // a refusal of the basin block is being shown
    std::optional<std::vector<runoff::FrequencyRow>> frequency_;
    QPointer<FrequencyWindow> frequencyWindow_;
    // The fingerprints of the inputs the last run and the frequency rows came from.
    std::string runInputs_;
    std::string frequencyInputs_;
    std::string runningFrequencyInputs_;  // the inputs of the frequency run under way
    QLabel* resultsLine_ = nullptr;
};

}  // namespace brelvo::app
