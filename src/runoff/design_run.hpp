// One compute run of the runoff window's inputs with no window: the kernel that a frequency row, a batch
// row and the window's own compute share, and the summary of a run as its tables and files write it.
#pragma once

#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/report.hpp"

namespace brelvo::runoff {

// A run summed up: the storm's total rain and the depth that ran off over the basin (inches), the peak
// as reported (cfs, usgsround), its time (hours from the storm's start) and the volume as reported
// (acre-feet, usgsround).
struct RunSummary {
    float stormDepthIn = 0;
    float runoffDepthIn = 0;
    float peakCfs = 0;
    float peakHours = 0;
    float volumeAcreFt = 0;
};

// The summary's figures as the table, the CSV and the batch write them, in that order: storm depth and
// runoff depth with "0.00", the peak as the caption writes it (its shortest text), the time of peak with
// "0.00" and the volume as the caption writes it.
std::vector<std::string> summaryTexts(const RunSummary& summary);

struct DesignRun {
    bool reported = false;              // the run wrote its report; the rest below is then filled in
    std::vector<std::string> messages;  // every message the run showed, in order (warnings too)
    RunSummary summary;
    std::string caption;     // the runoff window's caption that sums the run up
    std::string reportText;  // the report as the working file would hold it
    ChartColumn column;      // the hydrograph as the chart plots it
};

// Why a run that did not report failed: its messages, one a line, or a plain word when it told nothing
// (a file dialog answered with cancel).
std::string failureText(const DesignRun& run);

// The fields' texts, captions and checks in a model of their own without change handlers: the window's
// handlers capture the window's own fields and must never run on a copy.
basin::RunoffFields detachedFields(const basin::RunoffFields& fields);

// Runs computeHydrograph on a detached copy of `fields`, with a fresh session and chart, and dialogs that
// collect messages and answer every file dialog and question with cancel (so a storm file that is asked
// for ends the run without a report). The refused boxes are not shown anywhere but in
// the messages. An empty context.reportPath writes no report file. Safe to call from several threads at
// once on different fields.
DesignRun runDesignStorm(const basin::RunoffFields& fields, const ComputeContext& context);

}  // namespace brelvo::runoff
