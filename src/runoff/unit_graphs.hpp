// Unit-hydrograph methods: dimensionless-graph unit graph with convolution, triangle, Rational Method.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "basin/working_state.hpp"
#include "common/dialogs.hpp"

namespace brelvo::runoff {

// What a method hands back to the compute run besides qi, it, maxq and tmax in the state.
struct GraphResult {
    bool produced = false;  // false after "No Excess Rainfall": the state's hydrograph is unchanged
    // S, the plain sum of the ordinates produced (cfs); the volume is S * udur / 24 cfs-days.
    float ordinateSum = 0;
};

// A dimensionless graph: ordinates at times 0, s, 2s, ... percent of the time to peak.
struct DimensionlessGraph {
    float spacingPercent = 0;
    std::vector<float> ordinates;  // any consistent scale; the unit graph is normalised to one inch
};

// Reads a dimensionless-graph file: two lines of any text, then comma- or line-separated fields:
// the point count M (at most 2,001), the spacing in percent, and the M ordinates, the first at time 0.
// Empty fields are skipped. A field without a leading number, a count out of range or a file that
// ends early is a RuntimeFailure.
DimensionlessGraph parseDimensionlessGraph(std::istream& in);

// The unit graph u(0..L-1) in cfs at times udur, 2 udur, ... (hours) up to the graph's last time,
// for a basin of basinArea square miles with the given lag (hours), normalised so that
// sum(u) * udur = 645.36 * basinArea cfs-hours (one inch). More than 2,001 ordinates is a failure.
std::vector<float> sampleUnitGraph(const DimensionlessGraph& graph, float basinArea, float lagHours,
                                   float udur);

// Mixes the impervious share into excessStep(0..nRain), then convolves it with u into qi, it, maxq,
// tmax. Shows "No Excess Rainfall" and leaves qi, it, maxq and tmax alone when the excess totals 0.
GraphResult convolveUnitGraph(basin::RunoffState& state, const std::vector<float>& u,
                              common::Dialogs& dialogs);

// The dimensionless-graph method with the file programFolder + "/" + fileName.
GraphResult unitGraphFile(basin::RunoffState& state, const std::string& fileName,
                          const std::string& programFolder, common::Dialogs& dialogs);

// Triangular unit graph: peak rate 484 cfs per square mile per inch over the lag, recession 1.67
// times the rise.
GraphResult triangleGraph(basin::RunoffState& state, common::Dialogs& dialogs);

// For a method list text that names a dimensionless-graph file: a message naming the file when it is
// not in the program's folder. Nothing for the two methods that need no file, or when the file is there.
std::optional<std::string> missingGraphFile(const std::string& listText, const std::string& programFolder);

// Rational Method with C = cValue and the lag as the time of concentration; sets rationalRun.
GraphResult rationalGraph(basin::RunoffState& state, common::Dialogs& dialogs);

}  // namespace brelvo::runoff
