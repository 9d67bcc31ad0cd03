// Frequency runs: the current basin run for several return periods of the imported precipitation-
// frequency table, each storm through the same compute as the window's, on as many threads as asked.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/design_run.hpp"
#include "runoff/precip_frequency.hpp"

namespace brelvo::runoff {

// The return periods a frequency run takes unless others are chosen, in years: 2 to 100 (the window's
// ticks and the batch command's --frequency without --return-periods).
inline constexpr std::array<int, 6> kDefaultReturnPeriods = {2, 5, 10, 25, 50, 100};
[[nodiscard]] bool isDefaultReturnPeriod(int years);
// The table's return periods that are default ones, in the table's order.
[[nodiscard]] std::vector<int> defaultReturnPeriods(const std::vector<int>& tablePeriods);

struct FrequencyRow {
    int returnPeriodYears = 0;
    DesignRun run;  // not reported: failureText(run) says why
};

struct FrequencyRequest {
    const PrecipFrequencyTable* table = nullptr;
    std::vector<int> returnPeriods;
    double stormHours = 24;
    const basin::RunoffFields* fields = nullptr;  // read only, from every thread: not changed while it runs
    ComputeContext context;                       // its report path and refused-box marker are not used
    unsigned threads = 0;                         // 0: all cores
};

// Every return period's storm (applyDesignStorm on a detached copy of the fields) run by runDesignStorm
// without a report file; rows in the request's order whatever the threads, so the result is the same for
// any number of threads. A storm the table cannot give, or a run that fails, gives its row with the
// reason and the others go on. progress(done, total) is told from any thread after each run. Cancel is
// looked at between runs: std::nullopt when it was set.
std::optional<std::vector<FrequencyRow>> runFrequency(const FrequencyRequest& request,
                                                      const std::function<void(int, int)>& progress,
                                                      const std::atomic<bool>& cancel);

// What the summary CSV says of every run besides its figures: the precipitation table's site (sitePlace)
// and the losses the runs used.
struct FrequencySite {
    std::string site;
    basin::LossInputs losses;
};

// The summary as CSV: the header line, then one line per row (the return period and summaryTexts, or the
// return period and the failure quoted on one line), each followed by the site and the losses: the curve
// number or the initial loss (inches, whichever the loss box gave), the constant loss (in/h) and the
// percent impervious. CR LF line ends, as the program's other files.
std::string frequencySummaryCsv(const std::vector<FrequencyRow>& rows, const FrequencySite& site);

}  // namespace brelvo::runoff
