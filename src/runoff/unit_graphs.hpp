// Unit-hydrograph methods: dimensionless-graph unit graph with convolution, triangle, Rational Method.
#pragma once

#include <array>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "basin/working_state.hpp"

namespace brelvo::runoff {

// What a hydrograph method needs of the basin and the run.
struct GraphBasin {
    float areaSqMi = 0;
    float lagHours = 0;  // the time of concentration of the Rational Method
    float c = 0;         // runoff coefficient of the Rational Method
    float imperviousFraction = 0;
    float stepHours = 0;
};

// What a method hands back to the compute run besides the hydrograph it built.
struct GraphResult {
    // S, the plain sum of the ordinates produced (cfs); the volume is S * step / 24 cfs-days.
    float ordinateSum = 0;
    basin::Series excessIn;  // the storm's excess with the impervious share mixed in, inches per step
    bool rational = false;   // the report then shows C times the excess
};

// Where the convolution works: the unit graph and the ordinates at fixed places, each at the start of a
// cache line, in one block per thread kept between runs. A buffer allocated afresh for every run
// falls anywhere in a page, and where it falls against the unit graph decides how often the stores of
// the ordinates seem to collide with the loads of the unit graph: the same run took from one to three
// times as long. In this block the distance is always the same.
struct alignas(64) ConvolutionScratch {
    std::array<float, basin::kMaxGraphPoints + 15> unit{};        // u(0..2000), then padding
    std::array<float, basin::kHydrographUpper + 1 + 15> flows{};  // q(0..9000), then padding
};

// A dimensionless graph: ordinates at times 0, s, 2s, ... percent of the time to peak.
struct DimensionlessGraph {
    float spacingPercent = 0;
    std::vector<float> ordinates;  // any consistent scale; the unit graph is normalised to one inch
};

// Reads a dimensionless-graph file: two lines of any text, then comma- or line-separated fields:
// the point count M (at most 2,001), the spacing in percent, and the M ordinates, the first at time 0.
// Empty fields are skipped. A field that is not wholly a number, a count that is not a whole number
// from 1 to 2,001 or a file that ends early is a RuntimeFailure whose cause names `fileName`, the line
// and the text.
DimensionlessGraph parseDimensionlessGraph(std::istream& in, std::string_view fileName = "graph file");

// The unit graph u(0..L-1) in cfs at times udur, 2 udur, ... (hours) up to the graph's last time,
// for a basin of basinArea square miles with the given lag (hours), normalised so that
// sum(u) * udur = 645.36 * basinArea cfs-hours (one inch). More than 2,001 ordinates is a failure.
std::vector<float> sampleUnitGraph(const DimensionlessGraph& graph, float basinArea, float lagHours,
                                   float udur);

// The three methods build the hydrograph (flows 0..9000, last index, peak and its index) in the one
// they are given: nothing is returned, the hydrograph unchanged, when the excess totals 0 (the run then
// says "No Excess Rainfall"); a failure part way leaves what the method had built by then, and a peak
// index that no ordinate above 0 replaced stays as it was.

// Mixes the impervious share into the excess (0..steps), then convolves it with u.
std::optional<GraphResult> convolveUnitGraph(const basin::Storm& storm, float imperviousFraction,
                                             const std::vector<float>& u, basin::Hydrograph& hydrograph);

// The dimensionless-graph method with the file programFolder + "/" + fileName.
std::optional<GraphResult> unitGraphFile(const basin::Storm& storm, const GraphBasin& basin,
                                         const std::string& fileName, const std::string& programFolder,
                                         basin::Hydrograph& hydrograph);

// Triangular unit graph: peak rate 484 cfs per square mile per inch over the lag, recession 1.67
// times the rise.
std::optional<GraphResult> triangleGraph(const basin::Storm& storm, const GraphBasin& basin,
                                         basin::Hydrograph& hydrograph);

// For a method list text that names a dimensionless-graph file: a message naming the file when it is
// not in the program's folder. Nothing for the two methods that need no file, or when the file is there.
std::optional<std::string> missingGraphFile(const std::string& listText, const std::string& programFolder);

// The entries of the graph list: the two methods and the graph files that are there first (`present`,
// in list order), then the graph files that are not (`absent`), which the list still offers by name.
struct GraphChoices {
    std::vector<std::string> present;
    std::vector<std::string> absent;
};
GraphChoices graphChoices(const std::string& programFolder);

// Rational Method with C and the lag as the time of concentration; the result is marked rational.
std::optional<GraphResult> rationalGraph(const basin::Storm& storm, const GraphBasin& basin,
                                         basin::Hydrograph& hydrograph);
// A C the Rational Method warns of before it runs ("C value should be between 0 and 1"): 0 or above 1.
[[nodiscard]] bool rationalCOutOfRange(float c);

}  // namespace brelvo::runoff
