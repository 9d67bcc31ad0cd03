// The results a project keeps beside the runoff inputs: the last single run (its hydrograph, report
// text, caption and what the chart is drawn from) and the last frequency run's rows, each marked with
// the fingerprint of the inputs it came from, to and from a value tree. Series are kept as texts of
// the shortest decimals that read back to the same singles, so that thousands of ordinates stay small.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/value_tree.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/frequency_run.hpp"

namespace brelvo::runoff {

// What the runoff session holds of its last reported run.
struct KeptRun {
    basin::WorkingHydrograph hydrograph;
    ReportRun report;
    std::string reportText;
    std::vector<std::string> runSummaries;
    float stepHours = 0;
    float previousStepTyped = 0;
    std::int16_t rainSteps = 0;
    bool routed = false;
    std::string inputs;  // the fingerprint of the inputs it came from
};

struct KeptFrequency {
    std::vector<FrequencyRow> rows;
    std::string inputs;  // the fingerprint of the inputs they came from
};

struct KeptResults {
    std::optional<KeptRun> run;
    std::optional<KeptFrequency> frequency;
    // Equal when they write the same tree.
    friend bool operator==(const KeptResults& a, const KeptResults& b);
};

// The session's last report as kept; nothing before one.
[[nodiscard]] std::optional<KeptRun> keptRun(const RunoffSession& session, std::string inputs);
// Puts a kept run back into the session (the chart is drawn again from it by the caller).
void restoreRun(RunoffSession& session, const KeptRun& kept);

[[nodiscard]] common::ValueTree resultsTree(const KeptResults& results);
// Reads a results tree, naming the first value that is wrong (common::TreeError).
[[nodiscard]] KeptResults readResultsTree(const common::TreeReader& r);

// A 64-bit fingerprint of a text, as 16 hexadecimal digits.
[[nodiscard]] std::string fingerprint(std::string_view text);

}  // namespace brelvo::runoff
