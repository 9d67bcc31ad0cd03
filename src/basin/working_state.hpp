// The runoff window's working state, shared by the compute run, the rainfall, loss and unit-graph
// procedures, the report, the hydrograph-file reader, routing and the chart. Units: square miles,
// hours, inches, cfs, acre-feet, feet. Series index i of a hydrograph is the flow at time i * udur.
#pragma once

#include <cstdint>
#include <string>
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

struct RunoffState {
    // Run control and flags.
    std::int16_t routeMode = 0;  // 0 compute; 99 routing requested; 1 storage, 2 Muskingum, 3 file, 4 travel time
    bool outflowIsCurrent = false;
    bool hydrographPlotted = false;
    bool rationalRun = false;
    std::string storageFileName;
    float prevStep = 0;  // time step as typed in the previous compute run

    // Basin and time step.
    float basinArea = 0;  // square miles
    float cValue = 0;
    float lagHours = 0;
    float udur = 0;  // hours

    // Losses.
    float lossValue = 0;
    bool curveNumberLoss = false;
    std::int16_t curveNumber = 0;
    float initialLoss = 0;         // inches
    float constantLoss = 0;        // inches per hour
    float constantLossStep = 0;    // inches per step
    float imperviousFraction = 0;  // 0..1

    // Rainfall.
    std::int16_t arrangeClass = 1;  // 0 Average, 1 synthetic, 2 storm file
    std::int16_t arrangePeak = 0;   // 0 None, 1 Peak at 2/3, 2 Peak at 1/3, 3 Peak Centered
    Series durTable;                // hours, entries 1..nTable; 0 is the duration-0 point
    Series depthTable;              // inches after the areal factor
    std::int16_t nTable = 0;
    float stormDur = 0;    // hours
    float stormDepth = 0;  // inches
    std::int16_t nSize = 0;
    std::int16_t nRain = 0;  // -2 after a routing run
    Series rainStep;         // inches per step, 1..nRain
    Series excessStep;
    float rainTotal = 0;
    float rainLoss = 0;

    // Hydrograph before routing.
    Series qi;  // cfs, 0..9000
    std::int16_t it = 0;
    float maxq = 0;
    std::int16_t tmax = 0;
    float volAcft = 0;

    // Routed hydrograph.
    Series qout;
    Series elvout;
    Series storout;
    float maxout = 0;
    float tmaxout = 0;
    float maxelv = 0;
    std::int16_t newit = 0;

    static constexpr int kTableUpper = 500;
    static constexpr int kHydrographUpper = 9000;
    static constexpr int kMaxGraphPoints = 2001;
};

}  // namespace brelvo::basin
