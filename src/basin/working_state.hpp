// The values the runoff kernels hand each other: the bounds-checked series, the storm, the loss inputs,
// the hydrograph and its routed outflow, and the run-control enumerations. Units are in the names:
// square miles, hours, inches, cfs, acre-feet, feet. Index i of a hydrograph is the flow at time
// i * step.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "common/failure.hpp"

namespace brelvo::basin {

// A float series with the bounds checked on every access: running past a bound is the run's
// "Subscript out of range" failure, never a write into memory that is not ours.
class Series {
  public:
    Series() = default;

    // Recreate with indices 0..upper, all zero (upper -1 gives no elements).
    void redim(int upper);
    // Keep the values and grow or shrink to indices 0..upper.
    void redimPreserve(int upper);
    // Makes room for indices 0..upper without changing the series, so that growing to there later
    // neither moves nor copies its values.
    void reserve(int upper) { values_.reserve(static_cast<std::size_t>(std::max(upper, -1) + 1)); }
    int upper() const { return static_cast<int>(values_.size()) - 1; }
    int size() const { return static_cast<int>(values_.size()); }

    float& operator[](int index) {
        if (index < 0 || index >= static_cast<int>(values_.size())) throw common::subscriptOutOfRange();
        return values_[static_cast<std::size_t>(index)];
    }
    float operator[](int index) const {
        if (index < 0 || index >= static_cast<int>(values_.size())) throw common::subscriptOutOfRange();
        return values_[static_cast<std::size_t>(index)];
    }
    const std::vector<float>& values() const { return values_; }

  private:
    std::vector<float> values_;
};

// Upper bounds of the runoff series.
inline constexpr int kTableUpper = 500;        // depth-duration table rows
inline constexpr int kHydrographUpper = 9000;  // a computed hydrograph's ordinates
inline constexpr int kMaxGraphPoints = 2001;   // points of a dimensionless graph and of a unit graph

// Where a synthetic storm puts its largest step.
enum class PeakPlacement : std::int16_t { none = 0, twoThirds = 1, oneThird = 2, centered = 3 };

// How a compute run builds its rainfall: the uniform storm, a synthetic storm, a storm file, one of the
// NRCS 24-hour distributions, or the imported temporal pattern.
enum class RainSource : std::int16_t { average = 0, synthetic = 1, stormFile = 2, nrcs = 3, temporal = 4 };

// The NRCS 24-hour distribution of an "NRCS Type ..." arrangement, numbered as the columns of the
// distributions' data file.
enum class NrcsType : std::int16_t { typeI = 0, typeIA = 1, typeII = 2, typeIII = 3 };

// The rainfall arrangement chosen in ComboRain.
struct RainArrangement {
    RainSource source = RainSource::synthetic;
    PeakPlacement peak = PeakPlacement::none;
    NrcsType nrcs = NrcsType::typeII;  // with source nrcs
};

// The arrangements of the ComboRain list, in list order, each with the text the list, projects and
// scripts show: the one table their texts are decoded by. An arrangement without a peak of its own
// keeps the peak of the previous run.
struct ArrangementText {
    std::string_view text;
    RainSource source;
    std::optional<PeakPlacement> peak;
    NrcsType nrcs;  // the distribution of an NRCS arrangement; unused by the others
};
inline constexpr ArrangementText kArrangementTexts[] = {
    {"Average", RainSource::average, std::nullopt, NrcsType::typeII},
    {"None", RainSource::synthetic, PeakPlacement::none, NrcsType::typeII},
    {"Peak at 2/3", RainSource::synthetic, PeakPlacement::twoThirds, NrcsType::typeII},
    {"Peak at 1/3", RainSource::synthetic, PeakPlacement::oneThird, NrcsType::typeII},
    {"Peak Centered", RainSource::synthetic, PeakPlacement::centered, NrcsType::typeII},
    {"Storm File", RainSource::stormFile, std::nullopt, NrcsType::typeII},
    {"NRCS Type I", RainSource::nrcs, std::nullopt, NrcsType::typeI},
    {"NRCS Type IA", RainSource::nrcs, std::nullopt, NrcsType::typeIA},
    {"NRCS Type II", RainSource::nrcs, std::nullopt, NrcsType::typeII},
    {"NRCS Type III", RainSource::nrcs, std::nullopt, NrcsType::typeIII},
    {"Temporal Distribution", RainSource::temporal, std::nullopt, NrcsType::typeII},
};
// The arrangement of a ComboRain text; nothing for a text that is none of the list's.
[[nodiscard]] const ArrangementText* arrangementOf(std::string_view text);
// Whether a ComboRain text chooses the storm file.
[[nodiscard]] bool isStormFile(std::string_view text);

// How a compute run turns the excess into a hydrograph: the Rational Method, the triangular unit graph or
// the unit graph of a dimensionless-graph file (any other ComboDimgraph text names the file).
enum class GraphMethod : std::int16_t { rational, triangle, graphFile };
struct GraphMethodText {
    std::string_view text;
    GraphMethod method;
};
// The two methods that need no file, in list order, with the text the list shows.
inline constexpr GraphMethodText kGraphMethodTexts[] = {
    {"Rational Method", GraphMethod::rational},
    {"Triangle Unit Graph", GraphMethod::triangle},
};
// The method of a ComboDimgraph text, decoded by that table.
[[nodiscard]] GraphMethod graphMethodOf(std::string_view text);

// The routing methods of a routing run, numbered as the report's routing layouts know them.
enum class RouteMethod : std::int16_t { storage = 1, muskingum = 2, combine = 3, travelTime = 4 };

// One storm on the time step of its run.
struct Storm {
    Series rainIn;           // inches per step, steps 1..steps (index 0 is the start, 0)
    Series excessIn;         // inches per step that run off
    std::int16_t steps = 0;  // rain steps
    std::int16_t upper = 0;  // upper index of the per-step series
    float durationHours = 0;
    float depthIn = 0;
};

// Loss inputs of a compute run.
struct LossInputs {
    float lossValue = 0;  // curve number when 5 or more, else the initial loss in inches
    bool curveNumberLoss = false;
    std::int16_t curveNumber = 0;
    float initialLossIn = 0;
    float constantLossInPerHour = 0;
    float imperviousFraction = 0;  // 0..1
};

// A hydrograph: flowCfs(i) is the flow at time i * step. The routings and the report call the flows of
// the working hydrograph's inflow qi, and its last index it.
struct Hydrograph {
    Series flowCfs;         // indices 0..9000 after a compute run
    std::int16_t last = 0;  // last index of the hydrograph (and of its routed outflow)
    float peakCfs = 0;
    std::int16_t peakIndex = 0;
};

// The outflow of a routing, load or combination (qout, with elvout and storout of a storage routing).
struct RoutedHydrograph {
    Series outflowCfs;
    Series elevationFt;    // storage routing only
    Series storageAcreFt;  // storage routing only
    float peakCfs = 0;
    float peakIndex = 0;        // counted as a single
    float peakElevationFt = 0;  // storage routing only
};

// The hydrograph the window holds between runs: the inflow, its routed outflow and its volume.
// With outflowIsCurrent the working hydrograph is the outflow (after a load, combination or routing),
// and the next routing starts from it.
struct WorkingHydrograph {
    Hydrograph inflow;
    RoutedHydrograph routed;
    float volumeAcreFt = 0;
    bool outflowIsCurrent = false;
};

}  // namespace brelvo::basin
